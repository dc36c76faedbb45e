// quillon-cli: the chemistry of Quillon from the command line.
//
//   quillon-cli check FORMULA...
//   quillon-cli mass FORMULA...
//   quillon-cli solve FILE.QSF [--include El,El,...]
//   quillon-cli sheet FILE.QSF [--auto] [--include El,El,...] [--no-differential]
//                    [--purity N=PCT]... [--excess N=PCT]... [--mass-of N=GRAMS | --total GRAMS]
//                    [--mmol] [--gases] [--format text|csv|json]
//                    [--readability GRAMS [--min-weight GRAMS]]
//   quillon-cli series FILE.QSF [--x VALUES] [--auto] [--include ...] [--format text|csv|json]
//   quillon-cli weighed FILE.QSF --weighed N=GRAMS[,N=GRAMS...] [--weighed-file FILE] [--auto] [--include ...]
//                      [--tolerance PCT] [--format text|csv|json]
//   every command: [--atoms PATH]   (default: ATOMS.LST beside the program)
//
// solve and sheet read a calculation file as the program's Open command
// does and then act as its automatic-ratio and Calculate commands do, with
// the element selection given on the command line instead of the selection
// dialog, and with the messages on stderr instead of message boxes.
//
// series calculates every member of a composition series as sheet would
// calculate the file with the member's formula; weighed checks the masses
// actually weighed against the file's sheet.
//
// Exit codes: 0 success; 1 an invalid formula (check, mass); 2 the
// calculation failed (series: a member failed); 3 bad input (usage,
// unreadable file or element table); 4 (weighed) an element or a row past
// the tolerance.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
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
#include "core/printsheet.h"
#include "core/batch.h"
#include "core/textutil.h"
#include "core/series.h"
#include "core/weighed.h"
#include "core/calculation.h"
#include "core/sheetdata.h"

namespace {

const int EXIT_INVALID = 1;
const int EXIT_CALCULATION = 2;
const int EXIT_BAD_INPUT = 3;
const int EXIT_PAST_TOLERANCE = 4;

const char *const USAGE =
    "usage: quillon-cli check FORMULA...\n"
    "       quillon-cli mass FORMULA...\n"
    "       quillon-cli solve FILE.QSF [--include El,El,...]\n"
    "       quillon-cli sheet FILE.QSF [--auto] [--include El,El,...] [--no-differential]\n"
    "                         [--purity N=PCT]... [--excess N=PCT]... [--mass-of N=GRAMS | --total GRAMS]\n"
    "                         [--mmol] [--gases] [--format text|csv|json]\n"
    "                         [--readability GRAMS [--min-weight GRAMS]]\n"
    "         (N: a row number as written in the file, 1 to 30)\n"
    "       quillon-cli series FILE.QSF [--x VALUES] [--auto] [--include El,El,...] [--format text|csv|json]\n"
    "       quillon-cli weighed FILE.QSF --weighed N=GRAMS[,N=GRAMS...] [--weighed-file FILE]\n"
    "                           [--auto] [--include El,El,...] [--tolerance PCT] [--format text|csv|json]\n"
    "         (--weighed-file: N=GRAMS items separated by commas, blanks or line ends)\n"
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
    std::map<std::string, std::string> values;  // the last value of each option below
    std::vector<std::string> weighed;           // every --weighed list
    std::vector<std::string> weighedFiles;      // every --weighed-file
};

// The options of sheet that take a value.
bool IsBatchValueOption(const std::string &name) {
    return name == "--purity" || name == "--excess" || name == "--mass-of" || name == "--total";
}

// The options of series, weighed and the balance that take a value.
bool TakesValue(const std::string &name) {
    return name == "--x" || name == "--weighed" || name == "--weighed-file" || name == "--tolerance" || name == "--format" ||
           name == "--readability" || name == "--min-weight";
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
        if (name == "--atoms" || name == "--include" || TakesValue(name) || IsBatchValueOption(name)) {
            if (!hasValue) {
                if (i + 1 >= argc) {
                    Complain("option " + name + " needs a value");
                    return false;
                }
                value = argv[++i];
            }
            if (name == "--weighed") options.weighed.push_back(value);
            if (name == "--weighed-file") options.weighedFiles.push_back(value);
            if (TakesValue(name)) {
                options.values[name] = value;
            } else if (name == "--atoms") {
                options.atomsPath = value;
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

// The commands each value option belongs to.
bool ValueOptionsFit(const Options &options) {
    static const char *const owners[][2] = {{"--x", "series"},           {"--weighed", "weighed"}, {"--weighed-file", "weighed"},
                                            {"--tolerance", "weighed"},  {"--format", "sheet series weighed"},
                                            {"--readability", "sheet"},  {"--min-weight", "sheet"}};
    for (const auto &owner : owners) {
        if (options.values.count(owner[0]) == 0) continue;
        std::string commands = std::string(" ") + owner[1] + " ";
        if (commands.find(" " + options.command + " ") != std::string::npos) continue;
        // "a b c" is said "a, b and c".
        const std::string words = owner[1];
        const size_t last = words.rfind(' ');
        std::string list;
        for (size_t i = 0; i < words.size(); ++i)
            list += words[i] != ' ' ? std::string(1, words[i]) : i == last ? std::string(" and ") : std::string(", ");
        Complain(std::string(owner[0]) + " is an option of " + list);
        return false;
    }
    if (options.values.count("--min-weight") && !options.values.count("--readability")) {
        Complain("--min-weight needs --readability");
        return false;
    }
    auto format = options.values.find("--format");
    if (format != options.values.end() && format->second != "text" && format->second != "csv" &&
        format->second != "json") {
        Complain("--format takes text, csv or json, not '" + format->second + "'");
        return false;
    }
    return true;
}

// Checks that the options given belong to the command; complains if not.
bool OptionsFitCommand(const Options &options) {
    const std::string &command = options.command;
    bool calc = command == "solve" || command == "sheet" || command == "series" || command == "weighed";
    bool sheet = command == "sheet";
    if (options.haveInclude && !calc) {
        Complain("--include is an option of solve, sheet, series and weighed");
        return false;
    }
    if (options.noDifferential && !sheet) {
        Complain("--no-differential is an option of sheet");
        return false;
    }
    if (options.autoRatio && (!calc || command == "solve")) {
        Complain("--auto is an option of sheet, series and weighed");
        return false;
    }
    const char *sheetOnly = options.mmol                  ? "--mmol"
                            : options.gases               ? "--gases"
                            : !options.batchValues.empty() ? options.batchValues[0].first.c_str()
                                                           : nullptr;
    if (sheetOnly != nullptr && !sheet) {
        Complain(std::string(sheetOnly) + " is an option of sheet");
        return false;
    }
    return ValueOptionsFit(options);
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
    case ElementLoad::BadSymbol:
        return "bad element line (the symbol must be 1 to 3 characters)";
    case ElementLoad::BadMark:
        return "bad element line (only the mark m may follow the mass)";
    case ElementLoad::LineTooLong:
        return "the line is longer than 1 MiB";
    case ElementLoad::FileTooLarge:
        return "the file is larger than 16 MiB";
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

// The check line of a formula: "FORMULA\tvalid" or the reason it is not
// (result as CheckComposition gives it).
std::string CheckLine(const std::string &formula, int result) {
    const char *verdict = result == 0                          ? "valid"
                          : result == -1                       ? "invalid: unbalanced parentheses"
                          : result == FORMULA_AMOUNT_TOO_LARGE ? "invalid: an amount is too large"
                                                               : "invalid: syntax";
    return formula + "\t" + verdict + "\n";
}

// check FORMULA...: one verdict line per formula, the one mass gives.
int CommandCheck(const Options &options, const CFormulaParser &parser) {
    int exitCode = 0;
    for (const std::string &formula : options.arguments) {
        Composition composition;
        int result = parser.CheckComposition(formula.c_str(), composition);
        Put(stdout, CheckLine(formula, result));
        if (result != 0) exitCode = EXIT_INVALID;
    }
    return exitCode;
}

// mass FORMULA...: molar mass and composition of each valid formula.
int CommandMass(const Options &options, const CFormulaParser &parser) {
    int exitCode = 0;
    for (const std::string &formula : options.arguments) {
        Composition composition;
        int result = parser.CheckComposition(formula.c_str(), composition);
        if (result != 0) {
            Put(stderr, CheckLine(formula, result));
            exitCode = EXIT_INVALID;
            continue;
        }
        double molarMass = MolarMass(composition, parser.Table());
        if (!std::isfinite(molarMass)) {
            Put(stderr, formula + "\tinvalid: the molar mass is not a finite number\n");
            exitCode = EXIT_INVALID;
            continue;
        }
        std::string line = formula + "\t" + Formatted("%.6f", molarMass) + "\t";
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
bool OpenCalculationFile(const std::string &path, Entry &entry) {
    CalcReadResult result;
    ReadCalcFile(path.c_str(), entry.rows.capacity(), FormulaIsValid, result);
    if (result.status == CalcReadStatus::Ok) {
        ApplyCalcRecords(result.records, entry.fields, entry.rows, &entry.batch);
        return true;
    }
    std::string why = result.reason.GetString();
    if (result.status == CalcReadStatus::BadLine) why = "not a valid line: " + why;
    const std::string where = result.failingLine > 0 ? ", line " + std::to_string(result.failingLine) : "";
    Complain("Failed to load a file. (" + path + where + ": " + why + ")");
    return false;
}

// The messages of a calculation on stderr, one after the other.
void PutMessages(const std::vector<CalcMessage> &messages) {
    for (const CalcMessage &message : messages) Put(stderr, std::string(message.text.GetString()) + "\n");
}

// solve FILE: the automatic-ratio command; prints the used rows.
int CommandSolve(const CFormulaParser &parser, const ElementSelection &selection, const Entry &entry) {
    const CalcOutcome outcome = Solve(entry, parser, selection);
    PutMessages(outcome.messages);
    if (!outcome.done) return EXIT_CALCULATION;
    std::string out;
    for (int i = 0; i < outcome.entry.rows.capacity(); ++i) {
        const LedraRow *row = outcome.entry.rows.row(i);
        if (row->formula.IsEmpty()) continue;
        double ratio = row->ratio == 0.0 ? 0.0 : row->ratio;  // -0 prints as 0
        out += std::to_string(i + 1) + "\t" + row->formula.GetString() + "\t" + Formatted("%.10g", ratio) + "\n";
    }
    Put(stdout, out);
    return 0;
}

// Reads "N=NUMBER" of option (N a used row of the file) into *row and
// *value; complains and returns false when it does not read.
bool ReadRowValue(const std::string &option, const std::string &text, const Entry &entry, int *row,
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
bool ApplyBatchOptions(const Options &options, Entry &entry) {
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
            if (!AmountShowable(value)) {
                Complain(std::string("--total must be ") + AmountShownLimit().GetString());
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
        const BatchValueCheck check = name == "--purity"   ? CheckPurity(value)
                                      : name == "--excess" ? CheckExcess(value)
                                                           : BatchValueCheck::Acceptable;
        if (check == BatchValueCheck::OutOfLimits) {
            Complain(name + " of row " + std::to_string(row) +
                     (name == "--purity" ? " must be above 0 and at most 100" : " must be 0 or more and below 1000"));
            return false;
        }
        if (check == BatchValueCheck::TooFine) {
            const CString limit = name == "--purity" ? PurityShownLimit() : ExcessShownLimit();
            Complain(name + " of row " + std::to_string(row) + " must be " + limit.GetString());
            return false;
        }
        if (name == "--mass-of" && !(value > 0.0)) {
            Complain("--mass-of row " + std::to_string(row) + " must be above 0 grams");
            return false;
        }
        if (name == "--mass-of" && !AmountShowable(value)) {
            Complain("--mass-of row " + std::to_string(row) + " must be " + AmountShownLimit().GetString());
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

// A whole argument read as a balance setting (ReadBalanceGrams, the rule of
// the program's Balance dialog); false after complaining, naming the option
// and the limits, when it does not read.
bool BalanceOption(const std::string &option, const std::string &text, Decimal *grams) {
    if (ReadBalanceGrams(text.c_str(), grams)) return true;
    Complain(option + " needs grams above 0 and at most " + std::to_string(MAX_BALANCE_GRAMS) + ", with at most " +
             std::to_string(MAX_BALANCE_DECIMALS) + " decimals, not '" + text + "'");
    return false;
}

// The balance of --readability and --min-weight into the options.
bool SetBalance(const Options &options, CalcOptions &calc) {
    auto readability = options.values.find("--readability");
    if (readability == options.values.end()) return true;
    if (!BalanceOption("--readability", readability->second, &calc.readability)) return false;
    Decimal minimum;
    DecimalMultiply(calc.readability, Decimal{100, 0}, &minimum);
    auto given = options.values.find("--min-weight");
    if (given != options.values.end() && !BalanceOption("--min-weight", given->second, &minimum)) return false;
    calc.minimumWeight = DecimalValue(minimum);
    return true;
}

// The output format of --format: "text" unless given.
std::string Format(const Options &options) {
    auto format = options.values.find("--format");
    return format == options.values.end() ? "text" : format->second;
}

// The Calculate command on the file's entry: with --auto the Unfixed rows
// are solved, else the ratios as written are weighed. The messages go to
// stderr; the outcome's sheet is the one every output renders.
CalcOutcome CalculateFile(const CFormulaParser &parser, const ElementSelection &selection, const Entry &entry,
                          const CalcOptions &calc) {
    const CalcOutcome outcome = Calculate(entry, parser, selection, calc);
    PutMessages(outcome.messages);
    return outcome;
}

// The options of a calculation that the command line gives.
CalcOptions CalcOptionsOf(const Options &options) {
    CalcOptions calc;
    calc.autoRatio = options.autoRatio;
    calc.showDifferential = options.noDifferential ? 0 : 1;
    return calc;
}

// sheet FILE: the Calculate command; prints the weighing sheet with LF line ends.
int CommandSheet(const Options &options, const CFormulaParser &parser, const ElementSelection &selection,
                 const Entry &entry) {
    CalcOptions calc = CalcOptionsOf(options);
    if (!SetBalance(options, calc)) return EXIT_BAD_INPUT;
    const CalcOutcome outcome = CalculateFile(parser, selection, entry, calc);
    if (!outcome.done) return EXIT_CALCULATION;
    const std::string format = Format(options);
    if (format == "csv") {
        Put(stdout, SheetCsv(outcome.sheet));
    } else if (format == "json") {
        Put(stdout, SheetJson(outcome.sheet));
    } else {
        const CString text = SheetFileText(outcome.sheet);
        Put(stdout, TextModeRead(text.GetString(), static_cast<size_t>(text.GetLength())));
    }
    return 0;
}

// series FILE: every member calculated on its own copy of the entry as
// opened; prints the series sheet. A failing member is named on the sheet.
int CommandSeries(const Options &options, const CFormulaParser &parser, const ElementSelection &selection,
                  const Entry &entry) {
    auto given = options.values.find("--x");
    std::string valuesText = given != options.values.end() ? given->second : entry.fields.seriesValues.GetString();
    if (valuesText.empty()) {
        Complain("series needs the values of x: --x VALUES, or a series line in the file");
        return EXIT_BAD_INPUT;
    }
    std::vector<SeriesX> values;
    CString why;
    if (!ParseSeriesValues(valuesText.c_str(), &values, &why)) {
        Complain(why.GetString());
        return EXIT_BAD_INPUT;
    }
    CString probe;
    if (SeriesMemberFormula(parser, entry.fields.productFormula, nullptr, &probe, &why) != SeriesFormulaStatus::Done) {
        Complain("the product formula " + std::string(entry.fields.productFormula.GetString()) +
                 " is not a series formula: " + why.GetString());
        return EXIT_BAD_INPUT;
    }
    const SeriesResult series = CalculateSeries(entry, parser, selection, CalcOptionsOf(options), values);
    std::string format = Format(options);
    Put(stdout, format == "csv" ? SeriesCsv(series) : format == "json" ? SeriesJson(series) : SeriesText(series));
    for (const SeriesMember &member : series.members)
        if (!member.outcome.done) return EXIT_CALCULATION;
    return 0;
}

// Adds one N=GRAMS item of source (the option, or the option and its file)
// to masses; false after complaining when it does not read or names a row
// that has a mass already.
bool AddMass(const std::string &source, const std::string &item, std::map<int, double> &masses) {
    const size_t equals = item.find('=');
    const char *text = item.c_str();
    long row = 0;
    double grams = -1.0;
    if (equals != std::string::npos) {
        char *end = nullptr;
        row = std::strtol(text, &end, 10);
        const char *number = text + equals + 1;
        const char *numberEnd = ReadPlainNumber(number, &grams);
        if (end != text + equals || numberEnd == number || numberEnd != text + item.size()) row = 0;
    }
    if (row < 1 || row > ROW_CAPACITY || grams < 0.0) {
        Complain(source + " takes N=GRAMS (row 1 to 30, grams 0 or more), not '" + item + "'");
        return false;
    }
    if (!masses.emplace(int(row), grams).second) {
        Complain(source + " gives row " + std::to_string(row) + " twice");
        return false;
    }
    return true;
}

// Splits text at every character of separators; empty pieces are dropped
// when dropEmpty.
std::vector<std::string> Items(const std::string &text, const char *separators, bool dropEmpty) {
    std::vector<std::string> items;
    size_t start = 0;
    for (;;) {
        size_t at = text.find_first_of(separators, start);
        std::string item = text.substr(start, at == std::string::npos ? std::string::npos : at - start);
        if (!dropEmpty || !item.empty()) items.push_back(item);
        if (at == std::string::npos) return items;
        start = at + 1;
    }
}

// The masses of every --weighed list and --weighed-file by row number;
// false after complaining when one does not read or names a row twice.
bool WeighedMasses(const Options &options, std::map<int, double> &masses) {
    for (const std::string &list : options.weighed)
        for (const std::string &item : Items(list, ",", false))
            if (!AddMass("--weighed", item, masses)) return false;
    for (const std::string &path : options.weighedFiles) {
        // Line by line, within the limits of a text file: a file that never
        // ends is refused, not read into memory.
        std::vector<std::string> lines;
        FILE *file = std::fopen(path.c_str(), "rb");
        TextLineRead got = file != nullptr ? TextLineRead::Line : TextLineRead::ReadError;
        std::string line;
        for (size_t total = 0; file != nullptr && (got = ReadTextLine(file, line, &total)) == TextLineRead::Line;)
            lines.push_back(line);
        if (file != nullptr) std::fclose(file);
        if (got != TextLineRead::End) {
            Complain("--weighed-file " + path + ": " +
                     (got == TextLineRead::LineTooLong    ? "line " + std::to_string(lines.size() + 1) + " is longer than 1 MiB"
                      : got == TextLineRead::FileTooLarge ? std::string("the file is larger than 16 MiB")
                                                          : std::string("cannot read the file")));
            return false;
        }
        for (const std::string &text : lines)
            for (const std::string &item : Items(text, ", \t", true))
                if (!AddMass("--weighed-file " + path, item, masses)) return false;
    }
    return true;
}

// weighed FILE: the composition the weighed masses make against the file's sheet.
int CommandWeighed(const Options &options, const CFormulaParser &parser, const ElementSelection &selection,
                   const Entry &entry) {
    std::map<int, double> masses;
    if (!WeighedMasses(options, masses)) return EXIT_BAD_INPUT;
    double tolerance = DEFAULT_WEIGHED_TOLERANCE;
    auto given = options.values.find("--tolerance");
    if (given != options.values.end()) {
        const char *end = ReadPlainNumber(given->second.c_str(), &tolerance);
        if (end == given->second.c_str() || *end != 0 || tolerance < 0.0) {
            Complain("--tolerance needs a percentage of 0 or more, not '" + given->second + "'");
            return EXIT_BAD_INPUT;
        }
    }
    std::vector<int> rowNumbers;
    std::vector<double> weighed;
    for (int i = 0; i < entry.rows.capacity(); ++i) {
        const LedraRow *row = entry.rows.row(i);
        bool used = !row->formula.IsEmpty();
        auto mass = masses.find(i + 1);
        if (used && mass == masses.end()) {
            Complain("--weighed has no mass for row " + std::to_string(i + 1) + " (" + row->formula.GetString() + ")");
            return EXIT_BAD_INPUT;
        }
        if (!used && mass != masses.end()) {
            Complain("--weighed names row " + std::to_string(i + 1) + ", which holds no starting material");
            return EXIT_BAD_INPUT;
        }
        if (!used) continue;
        rowNumbers.push_back(i + 1);
        weighed.push_back(mass->second);
    }
    const CalcOutcome outcome = CalculateFile(parser, selection, entry, CalcOptionsOf(options));
    if (!outcome.done) return EXIT_CALCULATION;
    const WeighedResult result = CheckWeighed(*outcome.reaction, outcome.sheet, rowNumbers, weighed, tolerance);
    std::string format = Format(options);
    Put(stdout, format == "csv" ? WeighedCsv(result) : format == "json" ? WeighedJson(result) : WeighedText(result));
    if (!result.done) {
        Complain(result.status == WeighedStatus::NoneWeighed ? "the weighed masses hold none of the elements that are balanced"
                 : result.status == WeighedStatus::NoneBalanced
                     ? "the sheet balances none of the product's elements: --include names the elements to compare"
                     : "the weighed masses are too large to compare with the sheet");
        return EXIT_CALCULATION;
    }
    return result.Within() ? 0 : EXIT_PAST_TOLERANCE;
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
    bool calc = options.command == "solve" || options.command == "sheet" || options.command == "series" ||
                options.command == "weighed";
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
    Entry entry;
    fileParser = &parser;
    const bool opened = OpenCalculationFile(options.arguments[0], entry);
    fileParser = nullptr;
    if (!opened) return EXIT_BAD_INPUT;
    if (options.command == "series") return CommandSeries(options, parser, selection, entry);
    if (IsSeriesFormula(parser, entry.fields.productFormula)) {
        Complain("the product formula " + std::string(entry.fields.productFormula.GetString()) +
                 " holds x: quillon-cli series calculates it");
        return EXIT_BAD_INPUT;
    }
    if (options.command == "solve") return CommandSolve(parser, selection, entry);
    if (!ApplyBatchOptions(options, entry)) return EXIT_BAD_INPUT;
    if (options.command == "weighed") return CommandWeighed(options, parser, selection, entry);
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
