// quillon-cli: the chemistry of Quillon from the command line.
//
//   quillon-cli check FORMULA...
//   quillon-cli mass FORMULA...
//   quillon-cli solve FILE.QSF [--include El,El,...]
//   quillon-cli sheet FILE.QSF [--auto] [--include El,El,...] [--no-differential]
//                    [--purity N=PCT]... [--excess N=PCT]... [--mass-of N=GRAMS | --total GRAMS]
//                    [--mmol] [--gases] [--format text|csv|json]
//                    [--readability GRAMS [--min-weight GRAMS]] [--pipette ML [--min-volume ML]] [FORM...]
//   quillon-cli series FILE.QSF [--x VALUES] [--auto] [--include ...] [--format text|csv|json] [FORM...]
//   quillon-cli weighed FILE.QSF [--weighed N=GRAMS[,N=GRAMS...]] [--weighed-file FILE] [--dispensed N=ML[,N=ML...]]
//                      [--auto] [--include ...] [--tolerance PCT] [--format text|csv|json] [FORM...]
//   sheet, series and weighed: [--shelf SHELF.csv]  (rows without values of their own take their
//         bottle's: the lot the file names, else the first bottle of the row's formula)
//   FORM: [--density N=G_PER_ML] [--molarity N=MOL_PER_L] [--mass-fraction N=PCT], a row's form over
//         the file's: a density alone makes a neat liquid, with a molarity or mass fraction it is the
//         solution's
//                      (without --weighed, --weighed-file and --dispensed: the file's weighed masses and
//                      dispensed volumes; without --tolerance:
//                      the file's tolerance, else 0.5 %)
//   quillon-cli stock --solid FORMULA [--purity PCT] [--unit FORMULA] --molarity MOL_PER_L --volume ML
//                    [--format text|json]
//   quillon-cli shelf SHELF.csv
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
// unreadable file or element table, a stock value refused); 4 (weighed) an element or a row past
// the tolerance.
//
// shelf reads a shelf file as the program does at start and lists its
// bottles, one line each; the lines that give no bottle go to stderr, and
// the exit code is 3 unless every line read.
#include <cmath>
#include <cstdio>
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
#include "core/datatext.h"
#include "core/textutil.h"
#include "core/series.h"
#include "core/weighed.h"
#include "core/calculation.h"
#include "core/sheetdata.h"
#include "core/shelf.h"
#include "core/shelfentry.h"
#include "core/stock.h"
#include "options.h"

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
    "                         [--readability GRAMS [--min-weight GRAMS]] [--pipette ML [--min-volume ML]]\n"
    "                         [FORM...]\n"
    "         (N: a row number as written in the file, 1 to 30)\n"
    "       quillon-cli series FILE.QSF [--x VALUES] [--auto] [--include El,El,...] [--format text|csv|json]\n"
    "                          [FORM...]\n"
    "       quillon-cli weighed FILE.QSF --weighed N=GRAMS[,N=GRAMS...] [--weighed-file FILE] [--dispensed N=ML[,N=ML...]]\n"
    "                           [--auto] [--include El,El,...] [--tolerance PCT] [--format text|csv|json]\n"
    "                           [FORM...]\n"
    "         (--weighed-file: N=GRAMS items separated by commas, blanks or line ends;\n"
    "          --dispensed: the millilitres of rows dispensed by volume)\n"
    "       quillon-cli stock --solid FORMULA [--purity PCT] [--unit FORMULA] --molarity MOL_PER_L --volume ML\n"
    "                         [--format text|json]\n"
    "         (the grams of the solid to dissolve; --unit defaults to the solid)\n"
    "       quillon-cli shelf SHELF.csv\n"
    "         (checks a shelf file and lists its bottles: formula, name, purity, form, supplier, lot, location)\n"
    "sheet, series and weighed: --shelf SHELF.csv (each row without values of its own takes its bottle's:\n"
    "       the bottle the file names, else the first of the row's formula; the options of rows still win)\n"
    "FORM, a row dispensed by volume (over the file's values for the row):\n"
    "       --density N=G_PER_ML       alone: row N is a neat liquid of this density;\n"
    "                                  with a molarity or mass fraction: the solution's density\n"
    "       --molarity N=MOL_PER_L     row N is a solution of this molarity of its formula\n"
    "       --mass-fraction N=PCT      row N is a solution or suspension of this % by mass of its formula\n"
    "options for every command: --atoms PATH (element table; default ATOMS.LST beside the program)\n";

// printf-style formatting into a std::string.
std::string Formatted(const char *format, double value) {
    CString text;
    text.Format(format, value);
    return std::string(text.GetString(), static_cast<size_t>(text.GetLength()));
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

// Reads the calculation file into the entry as the Open command does, its
// formulas checked with the parser; complains and returns false when the
// file does not load.
bool OpenCalculationFile(const std::string &path, const CFormulaParser &parser, Entry &entry) {
    CalcReadResult result;
    const auto check = [&parser](const char *formula) { return parser.Check(formula) == 0 ? 1 : 0; };
    ReadCalcFile(path.c_str(), entry.rows.capacity(), check, result);
    if (result.status == CalcReadStatus::Ok) {
        ApplyCalcRecords(result.records, &entry);
        return true;
    }
    std::string why = result.reason.GetString();
    if (result.status == CalcReadStatus::BadLine) why = "not a valid line: " + why;
    const std::string where = result.failingLine > 0 ? ", line " + std::to_string(result.failingLine) : "";
    Complain("Failed to load a file. (" + path + where + ": " + why + ")");
    return false;
}

// --shelf: the rows without values of their own take their bottle's; what
// the shelf's reading says (its bad lines) and the rows whose bottle's
// values changed on the shelf on stderr. False, after complaining, when the
// shelf gives no bottle at all (missing, unreadable, not a shelf).
bool ApplyShelf(const Options &options, const CFormulaParser &parser, Entry &entry) {
    const auto path = options.values.find("--shelf");
    if (path == options.values.end()) return true;
    Shelf shelf;
    const ShelfFormulaCheck check = [&parser](const char *formula) { return parser.Check(formula) == 0; };
    const ShelfReadStatus status = ReadShelfFile(path->second.c_str(), check, &shelf);
    if (status != ShelfReadStatus::Read) {
        Complain(ShelfFileProblem(status, path->second.c_str()).GetString());
        return false;
    }
    const std::string message = ShelfReadMessage(status, path->second.c_str(), shelf).GetString();
    if (!message.empty()) Put(stderr, message + "\n");
    TakeShelfValues(shelf, &entry);
    const CString changes = ShelfChangesText(ShelfChanges(shelf, entry));
    if (!changes.IsEmpty()) Put(stderr, std::string(changes.GetString()) + "The file's values are used.\n");
    return true;
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

// The Calculate command on the file's entry: with --auto the Unfixed rows
// are solved, else the ratios as written are weighed. The messages go to
// stderr, after the warnings of formulas with a count that starts with a
// zero (LiCo02), which the program asks about; the outcome's sheet is the
// one every output renders.
CalcOutcome CalculateFile(const CFormulaParser &parser, const ElementSelection &selection, const Entry &entry,
                          const CalcOptions &calc) {
    PutMessages(StartCalculation(entry, calc).formulaWarnings);
    const CalcOutcome outcome = Calculate(entry, parser, selection, calc);
    PutMessages(outcome.messages);
    return outcome;
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
    PutMessages(ZeroCountWarnings(entry));
    const SeriesResult series = CalculateSeries(entry, parser, selection, CalcOptionsOf(options), values);
    std::string format = Format(options);
    Put(stdout, format == "csv" ? SeriesCsv(series) : format == "json" ? SeriesJson(series) : SeriesText(series));
    for (const SeriesMember &member : series.members)
        if (!member.outcome.done) return EXIT_CALCULATION;
    return 0;
}

// weighed FILE: the composition the weighed masses make against the file's
// sheet. The masses and the tolerance are the options', else the file's
// (its weighed and tolerance lines, as the program saved them).
int CommandWeighed(const Options &options, const CFormulaParser &parser, const ElementSelection &selection,
                   const Entry &entry) {
    std::map<int, WeighedAmount> masses;
    if (!WeighedMasses(options, masses)) return EXIT_BAD_INPUT;
    if (options.weighed.empty() && options.weighedFiles.empty() && options.dispensed.empty())
        for (int i = 0; i < entry.rows.capacity(); ++i)
            if (const WeighedAmount *given = entry.weighed.Given(i + 1, entry.rows.row(i)->formula)) masses[i + 1] = *given;
    double tolerance = entry.weighed.tolerance;
    auto given = options.values.find("--tolerance");
    if (given != options.values.end()) {
        const char *end = ReadPlainNumber(given->second.c_str(), &tolerance);
        if (end == given->second.c_str() || *end != 0 || tolerance < 0.0) {
            Complain("--tolerance needs a percentage of 0 or more, not '" + given->second + "'");
            return EXIT_BAD_INPUT;
        }
    }
    std::vector<int> rowNumbers;
    std::vector<WeighedAmount> weighed;
    for (int i = 0; i < entry.rows.capacity(); ++i) {
        const LedraRow *row = entry.rows.row(i);
        bool used = !row->formula.IsEmpty();
        auto mass = masses.find(i + 1);
        if (used && mass == masses.end()) {
            Complain("--weighed has no mass for row " + std::to_string(i + 1) + " (" + row->formula.GetString() + ")");
            return EXIT_BAD_INPUT;
        }
        if (!used && mass != masses.end()) {
            Complain(std::string(mass->second.byVolume ? "--dispensed" : "--weighed") + " names row " +
                     std::to_string(i + 1) + ", which holds no starting material");
            return EXIT_BAD_INPUT;
        }
        if (!used) continue;
        rowNumbers.push_back(i + 1);
        weighed.push_back(mass->second);
    }
    const CalcOutcome outcome = CalculateFile(parser, selection, entry, CalcOptionsOf(options));
    if (!outcome.done) return EXIT_CALCULATION;
    const WeighedResult result = CheckWeighed(*outcome.reaction, outcome.sheet, rowNumbers, weighed, tolerance);
    if (result.status == WeighedStatus::BadVolume) {
        Complain(result.refusal.GetString());
        return EXIT_BAD_INPUT;
    }
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

// stock: the grams of a solid to dissolve for a stock solution. Every value
// that does not read or that the calculation refuses is bad input.
int CommandStock(const Options &options, const CFormulaParser &parser) {
    StockInput input;
    const auto given = [&options](const char *name) {
        auto value = options.values.find(name);
        return value != options.values.end() ? &value->second : nullptr;
    };
    std::map<std::string, std::string> numbers;  // --purity and --molarity, the last given
    for (const auto &option : options.batchValues) numbers[option.first] = option.second;
    if (given("--solid") == nullptr || numbers.count("--molarity") == 0 || given("--volume") == nullptr) {
        Complain("stock needs --solid, --molarity and --volume");
        return EXIT_BAD_INPUT;
    }
    if (Format(options) == "csv") {
        Complain("stock prints text or json");
        return EXIT_BAD_INPUT;
    }
    input.solid = *given("--solid");
    if (given("--unit") != nullptr) input.unit = *given("--unit");
    numbers["--volume"] = *given("--volume");
    const std::pair<const char *, double *> fields[] = {
        {"--purity", &input.purity}, {"--molarity", &input.molarity}, {"--volume", &input.volumeMl}};
    for (const auto &field : fields) {
        auto text = numbers.find(field.first);
        if (text == numbers.end()) continue;
        const char *end = ReadPlainNumber(text->second.c_str(), field.second);
        if (end == text->second.c_str() || *end != 0) {
            Complain(std::string(field.first) + " takes a number, not '" + text->second + "'");
            return EXIT_BAD_INPUT;
        }
    }
    const StockResult result = CalculateStock(parser, input);
    if (result.status != StockStatus::Done) {
        Complain(StockProblem(input, result));
        return EXIT_BAD_INPUT;
    }
    Put(stdout, Format(options) == "json" ? StockJson(input, result) : StockText(input, result));
    return 0;
}

// A bottle's form as the shelf listing shows it: "solid", "neat liquid, 0.933 g/mL",
// "solution, 0.5 mol/L (1.1 g/mL)", "25 % by mass".
std::string FormListing(const MaterialForm &form) {
    const std::string density = form.density != 0.0 ? " (" + ExactNumber(form.density) + " g/mL)" : "";
    switch (form.Kind()) {
    case FormKind::Solid:
        break;
    case FormKind::NeatLiquid:
        return "neat liquid, " + ExactNumber(form.density) + " g/mL";
    case FormKind::Molar:
        return "solution, " + ExactNumber(form.molarity) + " mol/L" + density;
    case FormKind::MassFraction:
        return ExactNumber(form.massFraction) + " % by mass" + density;
    }
    return "solid";
}

// shelf SHELF.csv: a line per bottle (formula, name, purity, form, supplier,
// lot, location, tab-separated, in UTF-8), then the read's message on stderr.
int CommandShelf(const Options &options, const CFormulaParser &parser) {
    const std::string &path = options.arguments[0];
    const auto check = [&parser](const char *formula) { return parser.Check(formula) == 0; };
    Shelf shelf;
    const ShelfReadStatus status = ReadShelfFile(path.c_str(), check, &shelf);
    const auto utf8 = [](const CString &text) { return Utf8OfWindows1252(text.GetString()); };
    for (const Bottle &bottle : shelf.bottles)
        Put(stdout, utf8(bottle.formula) + "\t" + utf8(bottle.name) + "\t" + ExactNumber(bottle.purity) + " %\t" +
                        FormListing(bottle.form) + "\t" + utf8(bottle.supplier) + "\t" + utf8(bottle.lot) + "\t" +
                        utf8(bottle.location) + "\n");
    const CString message = status == ShelfReadStatus::Read ? ShelfReadMessage(status, path.c_str(), shelf)
                                                             : ShelfFileProblem(status, path.c_str());
    if (!message.IsEmpty()) Complain(message.GetString());
    return status == ShelfReadStatus::Read && shelf.problems.empty() ? 0 : EXIT_BAD_INPUT;
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
    bool stock = options.command == "stock";
    bool shelf = options.command == "shelf";
    bool calc = options.command == "solve" || options.command == "sheet" || options.command == "series" ||
                options.command == "weighed";
    if (!formulas && !calc && !stock && !shelf) {
        Complain(options.command.empty() ? "no command given" : "unknown command " + options.command);
        Put(stderr, USAGE);
        return EXIT_BAD_INPUT;
    }
    if (!OptionsFitCommand(options)) return EXIT_BAD_INPUT;
    if (formulas && options.arguments.empty()) {
        Complain(options.command + " needs at least one formula");
        return EXIT_BAD_INPUT;
    }
    if (stock && !options.arguments.empty()) {
        Complain("stock takes no file or formula: --solid names the solid");
        return EXIT_BAD_INPUT;
    }
    if (calc && options.arguments.size() != 1) {
        Complain(options.command + " needs exactly one calculation file");
        return EXIT_BAD_INPUT;
    }
    if (shelf && options.arguments.size() != 1) {
        Complain("shelf needs exactly one shelf file");
        return EXIT_BAD_INPUT;
    }
    CElementTable table;
    if (!LoadElements(options, table)) return EXIT_BAD_INPUT;
    const CFormulaParser parser(table);
    if (options.command == "check") return CommandCheck(options, parser);
    if (options.command == "mass") return CommandMass(options, parser);
    if (stock) return CommandStock(options, parser);
    if (shelf) return CommandShelf(options, parser);

    ElementSelection selection;
    if (!MakeSelection(options, table, selection)) return EXIT_BAD_INPUT;
    Entry entry;
    if (!OpenCalculationFile(options.arguments[0], parser, entry)) return EXIT_BAD_INPUT;
    if (!ApplyShelf(options, parser, entry)) return EXIT_BAD_INPUT;
    if (options.command == "series")
        return ApplyBatchOptions(options, entry) ? CommandSeries(options, parser, selection, entry) : EXIT_BAD_INPUT;
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
