#include "options.h"

#include <cctype>
#include <cstdlib>

#include "core/batch.h"
#include "core/decimal.h"
#include "core/printsheet.h"
#include "core/textutil.h"

namespace {

// The options of a row's form (sheet, series and weighed): which value each sets.
bool IsFormOption(const std::string &name, FormValue *which = nullptr) {
    const FormValue value = name == "--density"    ? FormValue::Density
                            : name == "--molarity" ? FormValue::Molarity
                                                   : FormValue::MassFraction;
    if (which != nullptr) *which = value;
    return name == "--density" || name == "--molarity" || name == "--mass-fraction";
}

// The options of sheet that take a value, and the form's.
bool IsBatchValueOption(const std::string &name) {
    return name == "--purity" || name == "--excess" || name == "--mass-of" || name == "--total" || IsFormOption(name);
}

// The options of series, weighed, stock and the balance that take a value.
bool TakesValue(const std::string &name) {
    return name == "--x" || name == "--weighed" || name == "--weighed-file" || name == "--dispensed" ||
           name == "--tolerance" || name == "--format" || name == "--readability" || name == "--min-weight" ||
           name == "--pipette" || name == "--min-volume" || name == "--solid" || name == "--unit" || name == "--volume" ||
           name == "--shelf";
}

// The batch value options that stock takes too, with a value of its own (no row).
bool IsStockValueOption(const std::string &name) { return name == "--purity" || name == "--molarity"; }

// The commands each value option belongs to.
bool ValueOptionsFit(const Options &options) {
    static const char *const owners[][2] = {{"--x", "series"},           {"--weighed", "weighed"}, {"--weighed-file", "weighed"},
                                            {"--dispensed", "weighed"},  {"--tolerance", "weighed"},
                                            {"--format", "sheet series weighed stock"},
                                            {"--readability", "sheet"},  {"--min-weight", "sheet"},
                                            {"--pipette", "sheet"},      {"--min-volume", "sheet"},
                                            {"--solid", "stock"},        {"--unit", "stock"},
                                            {"--volume", "stock"},       {"--shelf", "sheet series weighed"}};
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
    if (options.values.count("--min-volume") && !options.values.count("--pipette")) {
        Complain("--min-volume needs --pipette");
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

// A whole argument read as a balance setting (ReadBalanceGrams, the rule of
// the program's Balance dialog); false after complaining, naming the option
// and the limits, when it does not read.
bool BalanceOption(const std::string &option, const std::string &text, Decimal *grams, const char *unit = "grams") {
    if (ReadBalanceGrams(text.c_str(), grams)) return true;
    Complain(option + " needs " + unit + " above 0 and at most " + std::to_string(MAX_BALANCE_GRAMS) + ", with at most " +
             std::to_string(MAX_BALANCE_DECIMALS) + " decimals, not '" + text + "'");
    return false;
}

// Adds one N=GRAMS item of source (the option, or the option and its file)
// to masses, or with byVolume one N=ML item; false after complaining when it
// does not read or names a row that has a mass (or volume) already.
bool AddMass(const std::string &source, const std::string &item, std::map<int, WeighedAmount> &masses,
             bool byVolume = false) {
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
        Complain(source + (byVolume ? " takes N=ML (row 1 to 30, mL 0 or more), not '"
                                    : " takes N=GRAMS (row 1 to 30, grams 0 or more), not '") + item + "'");
        return false;
    }
    WeighedAmount amount;
    amount.byVolume = byVolume;
    (byVolume ? amount.millilitres : amount.grams) = grams;
    if (!masses.emplace(int(row), amount).second) {
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

}  // namespace

void Put(FILE *stream, const std::string &text) { std::fwrite(text.data(), 1, text.size(), stream); }

void Complain(const std::string &text) { Put(stderr, "quillon-cli: " + text + "\n"); }

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
            if (name == "--dispensed") options.dispensed.push_back(value);
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
    std::string sheetOnly = options.mmol ? "--mmol" : options.gases ? "--gases" : "";
    for (const auto &option : options.batchValues) {
        if (command == "stock" && IsStockValueOption(option.first)) continue;  // stock's own value
        const bool form = IsFormOption(option.first);
        if (sheetOnly.empty() && !form) sheetOnly = option.first;
        if (form && (!calc || command == "solve")) {
            Complain(option.first + " is an option of sheet, series" +
                     (IsStockValueOption(option.first) ? ", weighed and stock" : " and weighed"));
            return false;
        }
    }
    if (!sheetOnly.empty() && !sheet) {
        Complain(sheetOnly + " is an option of sheet" + (IsStockValueOption(sheetOnly) ? " and stock" : ""));
        return false;
    }
    return ValueOptionsFit(options);
}

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
        FormValue which;
        if (IsFormOption(name, &which)) {
            // Just this value of the row's form: a density beside the file's
            // molarity is the solution's.
            const FormCheck check = SetFormValue(&kept.form, which, value);
            if (check != FormCheck::Acceptable) {
                Complain(FormProblem(check, kept.form, MaterialName(formula, row)).GetString());
                return false;
            }
            batch.SetRow(row, formula, kept.purity, kept.excess, kept.form);
            continue;
        }
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
        // A purity (or a form, above) typed is not the bottle's: the row names none. An excess is no
        // bottle's value: the row still names its bottle.
        if (name == "--purity") batch.SetRow(row, formula, value, kept.excess, kept.form);
        if (name == "--excess") batch.SetRow(row, formula, kept.purity, value, kept.form, kept.bottle);
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
    // The rows' values together, the options' over the file's: one
    // concentration per solution, and a solution's purity 100 %.
    for (int i = 0; i < entry.rows.capacity() && i < ROW_CAPACITY; ++i) {
        const BatchRowValues &values = batch.rows[i];
        if (values.formula.IsEmpty() || values.formula != entry.rows.row(i)->formula) continue;
        const FormCheck check = CheckForm(values.form, values.purity);
        if (check != FormCheck::Acceptable) {
            Complain(FormProblem(check, values.form, MaterialName(values.formula, i + 1)).GetString());
            return false;
        }
    }
    if (options.mmol) batch.mmol = true;
    if (options.gases) batch.gases = true;
    return true;
}

namespace {

// A readability option and its minimum (times readabilities unless given):
// false after complaining; true, nothing set, without the readability option.
bool ReadInstrument(const Options &options, const char *readabilityOption, const char *minimumOption, int64_t times,
                    const char *unit, Decimal *readability, double *minimum) {
    auto given = options.values.find(readabilityOption);
    if (given == options.values.end()) return true;
    if (!BalanceOption(readabilityOption, given->second, readability, unit)) return false;
    Decimal least;
    DecimalMultiply(*readability, Decimal{times, 0}, &least);
    auto leastGiven = options.values.find(minimumOption);
    if (leastGiven != options.values.end() && !BalanceOption(minimumOption, leastGiven->second, &least, unit))
        return false;
    *minimum = DecimalValue(least);
    return true;
}

}  // namespace

bool SetBalance(const Options &options, CalcOptions &calc) {
    // The pipette's volumes are rounded and named as the balance's masses are.
    return ReadInstrument(options, "--pipette", "--min-volume", 10, "millilitres", &calc.pipetteReadability,
                          &calc.minimumVolume) &&
           ReadInstrument(options, "--readability", "--min-weight", 100, "grams", &calc.readability,
                          &calc.minimumWeight);
}

std::string Format(const Options &options) {
    auto format = options.values.find("--format");
    return format == options.values.end() ? "text" : format->second;
}

CalcOptions CalcOptionsOf(const Options &options) {
    CalcOptions calc;
    calc.autoRatio = options.autoRatio;
    calc.showDifferential = options.noDifferential ? 0 : 1;
    return calc;
}

bool WeighedMasses(const Options &options, std::map<int, WeighedAmount> &masses) {
    for (const std::string &list : options.weighed)
        for (const std::string &item : Items(list, ",", false))
            if (!AddMass("--weighed", item, masses)) return false;
    for (const std::string &list : options.dispensed)
        for (const std::string &item : Items(list, ",", false))
            if (!AddMass("--dispensed", item, masses, true)) return false;
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
