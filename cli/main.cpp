// quillon-cli: the chemistry of Quillon from the command line.
//
//   quillon-cli check FORMULA...
//   quillon-cli mass FORMULA...
//   quillon-cli solve FILE.QSF [--include El,El,...]
//   quillon-cli sheet FILE.QSF [--auto] [--include El,El,...] [--no-differential]
//                    [--purity N=PCT]... [--excess N=PCT]... [--mass-of N=GRAMS | --total GRAMS]
//                    [--mmol] [--gases] [--format text|csv|json]
//   every command: [--atoms PATH]   (default: ATOMS.LST beside the program)
//
// solve and sheet read a calculation file as the program's Open command
// does and then act as its automatic-ratio and Calculate commands do, with
// the element selection given on the command line instead of the selection
// dialog, and with the messages on stderr instead of message boxes.
//
// Exit codes: 0 success; 1 an invalid formula (check, mass); 2 the
// calculation failed; 3 bad input (usage, unreadable file or element table).
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "core/elements.h"
#include "core/formula.h"
#include "core/reaction.h"
#include "core/sheet.h"
#include "core/calcfile.h"
#include "core/batch.h"
#include "core/textutil.h"
#include "entry.h"

namespace {

const int EXIT_INVALID = 1;
const int EXIT_CALCULATION = 2;
const int EXIT_BAD_INPUT = 3;

const char *const USAGE =
    "usage: quillon-cli check FORMULA...\n"
    "       quillon-cli mass FORMULA...\n"
    "       quillon-cli solve FILE.QSF [--include El,El,...]\n"
    "       quillon-cli sheet FILE.QSF [--auto] [--include El,El,...] [--no-differential]\n"
    "                         [--purity N=PCT]... [--excess N=PCT]... [--mass-of N=GRAMS | --total GRAMS]\n"
    "                         [--mmol] [--gases] [--format text|csv|json]\n"
    "         (N: a row number as written in the file, 1 to 30)\n"
    "options for every command: --atoms PATH (element table; default ATOMS.LST beside the program)\n";

// The command line, taken apart.
struct Options {
    std::string command;
    std::vector<std::string> arguments;  // positional arguments after the command
    std::string atomsPath;               // empty: beside the program
    std::vector<std::string> includeLists;
    bool haveInclude = false;
    bool autoRatio = false;
    bool noDifferential = false;
    bool help = false;
    // sheet's batch options, as given: (option, value) in order.
    std::vector<std::pair<std::string, std::string>> batchValues;
    bool mmol = false;
    bool gases = false;
    std::string format = "text";
    bool haveFormat = false;
};

// The options of sheet that take a value.
bool IsBatchValueOption(const std::string &name) {
    return name == "--purity" || name == "--excess" || name == "--mass-of" || name == "--total";
}

// Writes text to a stream as it is.
void Put(FILE *stream, const std::string &text) { std::fwrite(text.data(), 1, text.size(), stream); }

// One line of a bad-input message on stderr.
void Complain(const std::string &text) { Put(stderr, "quillon-cli: " + text + "\n"); }

// printf-style formatting into a std::string.
std::string Formatted(const char *format, double value) {
    CString text;
    text.Format(format, value);
    return std::string(text.GetString(), static_cast<size_t>(text.GetLength()));
}

// Splits the command line; returns false (after complaining) on a bad option.
bool ParseOptions(int argc, char **argv, Options &options) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            if (arg == "-h" && !optionsEnded) {
                options.help = true;
            } else if (options.command.empty()) {
                options.command = arg;
            } else {
                options.arguments.push_back(arg);
            }
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::string value;
        bool hasValue = false;
        size_t equals = arg.find('=');
        if (equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            hasValue = true;
        }
        if (name == "--atoms" || name == "--include" || name == "--format" || IsBatchValueOption(name)) {
            if (!hasValue) {
                if (i + 1 >= argc) {
                    Complain("option " + name + " needs a value");
                    return false;
                }
                value = argv[++i];
            }
            if (name == "--atoms") {
                options.atomsPath = value;
            } else if (name == "--format") {
                options.format = value;
                options.haveFormat = true;
            } else if (IsBatchValueOption(name)) {
                options.batchValues.emplace_back(name, value);
            } else {
                options.includeLists.push_back(value);
                options.haveInclude = true;
            }
        } else if (hasValue) {
            Complain("option " + name + " takes no value");
            return false;
        } else if (name == "--auto") {
            options.autoRatio = true;
        } else if (name == "--mmol") {
            options.mmol = true;
        } else if (name == "--gases") {
            options.gases = true;
        } else if (name == "--no-differential") {
            options.noDifferential = true;
        } else if (name == "--help") {
            options.help = true;
        } else {
            Complain("unknown option " + arg);
            return false;
        }
    }
    return true;
}

// Checks that the options given belong to the command; complains if not.
bool OptionsFitCommand(const Options &options) {
    bool calc = options.command == "solve" || options.command == "sheet";
    bool sheet = options.command == "sheet";
    if (options.haveInclude && !calc) {
        Complain("--include is an option of solve and sheet");
        return false;
    }
    const char *sheetOnly = options.autoRatio ? "--auto"
                            : options.noDifferential ? "--no-differential"
                            : options.mmol ? "--mmol"
                            : options.gases ? "--gases"
                            : options.haveFormat ? "--format"
                            : !options.batchValues.empty() ? options.batchValues[0].first.c_str()
                                                           : nullptr;
    if (sheetOnly != nullptr && !sheet) {
        Complain(std::string(sheetOnly) + " is an option of sheet");
        return false;
    }
    if (options.format != "text" && options.format != "csv" && options.format != "json") {
        Complain("--format takes text, csv or json, not '" + options.format + "'");
        return false;
    }
    return true;
}

// The directory of the running program, with a trailing separator, or "".
std::string ProgramDirectory() {
#ifdef _WIN32
    std::vector<char> path(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return "";
        if (n < path.size()) {
            std::string full(path.data(), n);
            size_t cut = full.find_last_of("\\/");
            return cut == std::string::npos ? "" : full.substr(0, cut + 1);
        }
        path.resize(path.size() * 2);
    }
#else
    std::vector<char> path(4096);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
        if (n < 0) return "";
        if (static_cast<size_t>(n) < path.size()) {
            std::string full(path.data(), static_cast<size_t>(n));
            size_t cut = full.rfind('/');
            return cut == std::string::npos ? "" : full.substr(0, cut + 1);
        }
        path.resize(path.size() * 2);
    }
#endif
}

// Why an element file did not load, as the message says it.
const char *ElementLoadReason(ElementLoad loaded) {
    switch (loaded) {
    case ElementLoad::Loaded:
        break;
    case ElementLoad::NoElements:
        return "no elements";
    case ElementLoad::CannotOpen:
        return "cannot open";
    case ElementLoad::ReadError:
        return "read error";
    case ElementLoad::BadLine:
        return "bad element line (the mass must be a positive number with a point)";
    case ElementLoad::TooMany:
        return "more than 120 elements";
    }
    return "";
}

// Loads the element table; complains on failure.
bool LoadElements(const Options &options, CElementTable &table) {
    std::string path = options.atomsPath.empty() ? ProgramDirectory() + "ATOMS.LST" : options.atomsPath;
    ElementLoad loaded = table.Load(path.c_str());
    if (loaded != ElementLoad::Loaded) {
        std::string where = table.FailingLine() > 0 ? ", line " + std::to_string(table.FailingLine()) : "";
        Complain("Couldn't load data from ATOMS.LST. (" + path + where + ": " + ElementLoadReason(loaded) + ")");
        return false;
    }
    return true;
}

// The parser the formula check callback of calculation files uses: the one
// Run owns, set while a calculation file is read.
const CFormulaParser *fileParser = nullptr;

// The formula check callback of calculation files.
int FormulaIsValid(const char *formula) { return fileParser->Check(formula) == 0 ? 1 : 0; }

// The check line of a formula: "FORMULA\tvalid" or the reason it is not.
std::string CheckLine(const std::string &formula, int result) {
    const char *verdict = result == 0 ? "valid" : result == -1 ? "invalid: unbalanced parentheses" : "invalid: syntax";
    return formula + "\t" + verdict + "\n";
}

// check FORMULA...: one verdict line per formula.
int CommandCheck(const Options &options, const CFormulaParser &parser) {
    int exitCode = 0;
    for (const std::string &formula : options.arguments) {
        int result = parser.Check(formula.c_str());
        Put(stdout, CheckLine(formula, result));
        if (result != 0) exitCode = EXIT_INVALID;
    }
    return exitCode;
}

// mass FORMULA...: molar mass and composition of each valid formula.
int CommandMass(const Options &options, const CFormulaParser &parser) {
    int exitCode = 0;
    for (const std::string &formula : options.arguments) {
        CFormulaNode *tree = nullptr;
        int result = parser.Check(formula.c_str(), &tree);
        Composition composition;
        if (result == 0 && parser.GetComposition(nullptr, 1.0, tree, composition) != 0) result = -2;
        delete tree;
        if (result != 0) {
            Put(stderr, CheckLine(formula, result));
            exitCode = EXIT_INVALID;
            continue;
        }
        std::string line = formula + "\t" + Formatted("%.6f", MolarMass(composition, parser.Table())) + "\t";
        for (int k = 0; k < composition.count; ++k) {
            if (k > 0) line += " ";
            line += parser.Table().Symbol(composition.elements[k]);
            line += ":" + Formatted("%.10g", composition.amounts[k]);
        }
        Put(stdout, line + "\n");
    }
    return exitCode;
}

// The element selection of --include (exactly the listed elements), or the
// defaults (the metals); complains about unknown symbols.
bool MakeSelection(const Options &options, const CElementTable &table, ElementSelection &selection) {
    selection = options.haveInclude ? ElementSelection() : ElementSelection::Metals(table);
    for (const std::string &list : options.includeLists) {
        size_t start = 0;
        for (;;) {
            size_t comma = list.find(',', start);
            std::string symbol = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            int index = table.Lookup(symbol.c_str());
            if (index < 0) {
                Complain("unknown element '" + symbol + "' in --include");
                return false;
            }
            selection.Set(index, true);
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    return true;
}

// Reads the calculation file into the entry as the Open command does;
// complains and returns false when the file does not load.
bool OpenCalculationFile(const std::string &path, CalcEntry &entry) {
    CalcReadResult result;
    ReadCalcFile(path.c_str(), entry.rows.capacity(), FormulaIsValid, result);
    switch (result.status) {
    case CalcReadStatus::Ok:
        ApplyCalcRecords(result.records, entry.fields, entry.rows, &entry.batch);
        return true;
    case CalcReadStatus::OpenFailed:
        Complain("Failed to load a file. (" + path + ": cannot open)");
        return false;
    case CalcReadStatus::BadLine:
        Complain("Failed to load a file. (" + path + ", line " + std::to_string(result.failingLine) +
                 ": not a valid line)");
        return false;
    case CalcReadStatus::ReadError:
        Complain("Failed to load a file. (" + path + ", line " + std::to_string(result.failingLine) +
                 ": read error)");
        return false;
    }
    return false;
}

// solve FILE: the automatic-ratio command; prints the used rows.
int CommandSolve(const CFormulaParser &parser, const ElementSelection &selection, CalcEntry &entry) {
    CliEntrySource source(entry, selection, 1);
    ElementSelection chosen = selection;
    if (AutoRatioCommand(source, parser, &chosen) != CommandResult::Done) return EXIT_CALCULATION;
    std::string out;
    for (int i = 0; i < entry.rows.capacity(); ++i) {
        const LedraRow *row = entry.rows.row(i);
        if (row->formula.IsEmpty()) continue;
        double ratio = row->ratio == 0.0 ? 0.0 : row->ratio;  // -0 prints as 0
        out += std::to_string(i + 1) + "\t" + row->formula.GetString() + "\t" + Formatted("%.10g", ratio) + "\n";
    }
    Put(stdout, out);
    return 0;
}

// Reads "N=NUMBER" of option (N a used row of the file) into *row and
// *value; complains and returns false when it does not read.
bool ReadRowValue(const std::string &option, const std::string &text, const CalcEntry &entry, int *row,
                  double *value) {
    const size_t equals = text.find('=');
    char *end = nullptr;
    const std::string number = text.substr(0, equals == std::string::npos ? 0 : equals);
    const long n = std::strtol(number.c_str(), &end, 10);
    if (equals == std::string::npos || number.empty() || *end != 0 || !std::isdigit(static_cast<unsigned char>(number[0])) ||
        ReadNumberText(text.substr(equals + 1).c_str(), value) != 0 || text.size() == equals + 1) {
        Complain(option + " takes ROW=NUMBER, not '" + text + "'");
        return false;
    }
    if (n < 1 || n > entry.rows.capacity() || entry.rows.row(int(n) - 1)->formula.IsEmpty()) {
        Complain(option + ": row " + number + " holds no starting material in the file");
        return false;
    }
    *row = static_cast<int>(n);
    return true;
}

// The sheet options over the file's batch values: each option overrides
// what the file holds for its row. Complains and returns false on a bad value.
bool ApplyBatchOptions(const Options &options, CalcEntry &entry) {
    BatchSettings &batch = entry.batch;
    bool massOf = false, total = false;
    for (const auto &option : options.batchValues) {
        const std::string &name = option.first;
        int row = 0;
        double value = 0.0;
        if (name == "--total") {
            if (ReadNumberText(option.second.c_str(), &value) != 0 || option.second.empty() || !(value > 0.0)) {
                Complain("--total takes the grams of all starting materials, above 0, not '" + option.second + "'");
                return false;
            }
            batch.scale = BatchScale::Total;
            batch.scaleMass = value;
            total = true;
            continue;
        }
        if (!ReadRowValue(name, option.second, entry, &row, &value)) return false;
        const CString formula = entry.rows.row(row - 1)->formula;
        BatchRowValues kept = batch.rows[row - 1];
        if (kept.formula != formula) kept = BatchRowValues();
        if (name == "--purity" && !PurityAcceptable(value)) {
            Complain("--purity of row " + std::to_string(row) + " must be above 0 and at most 100");
            return false;
        }
        if (name == "--excess" && !ExcessAcceptable(value)) {
            Complain("--excess of row " + std::to_string(row) + " must be 0 or more and below 1000");
            return false;
        }
        if (name == "--mass-of" && !(value > 0.0)) {
            Complain("--mass-of row " + std::to_string(row) + " must be above 0 grams");
            return false;
        }
        if (name == "--purity") batch.SetRow(row, formula, value, kept.excess);
        if (name == "--excess") batch.SetRow(row, formula, kept.purity, value);
        if (name == "--mass-of") {
            batch.scale = BatchScale::Material;
            batch.scaleRow = row;
            batch.scaleFormula = formula;
            batch.scaleMass = value;
            massOf = true;
        }
    }
    if (massOf && total) {
        Complain("--mass-of and --total cannot be given together");
        return false;
    }
    if (options.mmol) batch.mmol = true;
    if (options.gases) batch.gases = true;
    return true;
}

// sheet FILE: the Calculate command; prints the weighing sheet with LF line ends.
int CommandSheet(const Options &options, const CFormulaParser &parser, const ElementSelection &selection,
                 CalcEntry &entry) {
    CliEntrySource source(entry, selection, options.noDifferential ? 0 : 1);
    source.keepRatios = !options.autoRatio;
    source.format = options.format == "csv"    ? CliEntrySource::Format::Csv
                    : options.format == "json" ? CliEntrySource::Format::Json
                                               : CliEntrySource::Format::Text;
    int reset = 0;
    ElementSelection chosen = selection;
    if (CalculateCommand(source, parser, options.autoRatio, &chosen, &reset) != CommandResult::Done)
        return EXIT_CALCULATION;
    Put(stdout, source.sheetText);
    return 0;
}

// Runs the command line; returns the exit code.
int Run(int argc, char **argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        Put(stderr, USAGE);
        return EXIT_BAD_INPUT;
    }
    if (options.help) {
        Put(stdout, USAGE);
        return 0;
    }
    bool formulas = options.command == "check" || options.command == "mass";
    bool calc = options.command == "solve" || options.command == "sheet";
    if (!formulas && !calc) {
        Complain(options.command.empty() ? "no command given" : "unknown command " + options.command);
        Put(stderr, USAGE);
        return EXIT_BAD_INPUT;
    }
    if (!OptionsFitCommand(options)) return EXIT_BAD_INPUT;
    if (formulas && options.arguments.empty()) {
        Complain(options.command + " needs at least one formula");
        return EXIT_BAD_INPUT;
    }
    if (calc && options.arguments.size() != 1) {
        Complain(options.command + " needs exactly one calculation file");
        return EXIT_BAD_INPUT;
    }
    CElementTable table;
    if (!LoadElements(options, table)) return EXIT_BAD_INPUT;
    const CFormulaParser parser(table);
    if (options.command == "check") return CommandCheck(options, parser);
    if (options.command == "mass") return CommandMass(options, parser);

    ElementSelection selection;
    if (!MakeSelection(options, table, selection)) return EXIT_BAD_INPUT;
    CalcEntry entry;
    fileParser = &parser;
    const bool opened = OpenCalculationFile(options.arguments[0], entry);
    fileParser = nullptr;
    if (!opened) return EXIT_BAD_INPUT;
    if (options.command == "solve") return CommandSolve(parser, selection, entry);
    if (!ApplyBatchOptions(options, entry)) return EXIT_BAD_INPUT;
    return CommandSheet(options, parser, selection, entry);
}

}  // namespace

int main(int argc, char **argv) {
#ifdef _WIN32
    // Binary streams: the same bytes as the native build, no CR added.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    int code = Run(argc, argv);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        Complain("cannot write the output");
        if (code == 0) code = EXIT_BAD_INPUT;
    }
    return code;
}
