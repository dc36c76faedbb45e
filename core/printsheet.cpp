#include "printsheet.h"

#include <cstring>

#include "sheet.h"
#include "textutil.h"

const char *const PRINT_COLUMNS[7] = {"#", "Starting material", "Molar mass (g/mol)", "Mass (g)", "",
                                      "Weighed (g)", "Done"};
const char *const PRINT_VOLUME_COLUMNS[9] = {"#",           "Starting material", "Molar mass (g/mol)",
                                             "Mass (g)",    "",                  "Volume (mL)",
                                             "",            "Weighed (g)",       "Done"};
const char *const PRINT_WARNING_MARK = "!";

bool ReadBalanceGrams(const char *text, Decimal *grams) {
    const char *start = text + std::strspn(text, " \t");
    Decimal read;
    const char *end = ReadDecimal(start, false, &read);
    if (end == start || end[std::strspn(end, " \t")] != 0) return false;
    // The decimals as typed, trailing zeros included: "0.0000010" has seven.
    const char *point = std::strchr(start, '.');
    if (point != nullptr && point < end && end - point - 1 > MAX_BALANCE_DECIMALS) return false;
    if (DecimalSign(read) <= 0 || DecimalCompare(read, Decimal{MAX_BALANCE_GRAMS, 0}) > 0) return false;
    *grams = read;
    return true;
}

PrintSheetStatus MakePrintedSheet(const WeighingSheet &sheet, const PrintSettings &settings, const char *date,
                                  PrintedSheet *out) {
    const Decimal &readability = settings.readability;
    Decimal minimum = settings.minimumWeight;
    if (minimum.units <= 0) minimum = Decimal{readability.units * 100, readability.scale};
    const CString readabilityText = DecimalFixedText(readability).c_str();
    const CString minimumText = DecimalFixedText(minimum).c_str();

    PrintedSheet printed;
    printed.fields.push_back({"Sample ID", sheet.sampleId});
    printed.fields.push_back({"Date", date});
    printed.fields.push_back({"Operator", settings.operatorName});
    printed.fields.push_back({"Product", sheet.productFormula + ", " + NumberText(sheet.amount).c_str() + " g"});
    printed.fields.push_back({"Balance", "readability " + readabilityText + " g, minimum weight " + minimumText +
                                             " g"});
    const Decimal pipette =
        settings.pipetteReadability.units > 0 ? settings.pipetteReadability : PIPETTE_READABILITY_DEFAULT;
    Decimal minimumVolume = settings.minimumVolume;
    if (minimumVolume.units <= 0) minimumVolume = Decimal{pipette.units * 10, pipette.scale};
    const CString minimumVolumeText = DecimalFixedText(minimumVolume).c_str();
    printed.volumes = sheet.showVolume != 0;
    if (printed.volumes)
        printed.fields.push_back({"Pipette", "readability " + CString(DecimalFixedText(pipette).c_str()) +
                                                 " mL, minimum volume " + minimumVolumeText + " mL"});
    double total = 0.0;
    bool anyWarned = false, anyVolumeWarned = false, anySolution = false;
    for (size_t i = 0; i < sheet.reactants.size(); ++i) {
        const SheetReactant &reactant = sheet.reactants[i];
        PrintedRow row;
        row.number.Format("%d", int(i + 1));
        row.formula = reactant.formula;
        row.molarMass = NumberText(reactant.molarMass).c_str();
        // What goes on the balance: a solution's own grams (the compound it
        // holds is not weighed out), none for a solution known by volume alone.
        const FormKind kind = reactant.form.Kind();
        const bool solution = kind == FormKind::Molar || kind == FormKind::MassFraction;
        anySolution = anySolution || solution;
        if (!solution || reactant.hasSolutionGrams) {
            const double grams = solution ? reactant.solutionGrams : GramsToWeigh(sheet, reactant);
            Decimal mass;
            if (!RoundToMultiple(grams, readability, &mass)) return PrintSheetStatus::NotRoundable;
            row.mass = DecimalFixedText(mass).c_str();
            row.warned = DecimalCompare(mass, minimum) < 0;
            anyWarned = anyWarned || row.warned;
            total += grams;
        }
        if (printed.volumes && reactant.hasVolume) {
            Decimal volume;
            if (!RoundToMultiple(reactant.volumeMl, pipette, &volume)) return PrintSheetStatus::VolumeNotRoundable;
            row.volume = DecimalFixedText(volume).c_str();
            row.volumeWarned = reactant.volumeMl > 0.0 && DecimalCompare(volume, minimumVolume) < 0;
            anyVolumeWarned = anyVolumeWarned || row.volumeWarned;
        }
        printed.rows.push_back(row);
        if (reactant.bottle.fromShelf)
            printed.bottles.push_back(reactant.formula + ": bottle " + BottleText(reactant.bottle) + ".");
    }
    Decimal roundedTotal;
    if (!RoundToMultiple(total, readability, &roundedTotal)) return PrintSheetStatus::NotRoundable;
    printed.total = DecimalFixedText(roundedTotal).c_str();
    if (anyWarned)
        printed.notes.push_back(CString(PRINT_WARNING_MARK) + " Below the balance's minimum weight of " +
                                minimumText + " g: weigh a larger batch or use a finer balance.");
    if (anyVolumeWarned)
        printed.notes.push_back(CString(PRINT_WARNING_MARK) + " Below the pipette's minimum volume of " +
                                minimumVolumeText + " mL: dispense a larger batch or use a finer pipette.");
    if (anySolution)
        printed.notes.push_back("The mass of a solution is the grams of the solution, the compound in it included; "
                                "a solution without a density is dispensed by volume alone.");
    CString negative = NegativeWeighingWarning(sheet);
    if (!negative.IsEmpty()) printed.notes.push_back(negative);
    *out = printed;
    return PrintSheetStatus::Ready;
}
