#include "sheetdata.h"

#include "datatext.h"
#include "sheet.h"

namespace {

std::string Number(double value) { return ExactNumber(value); }
std::string Field(const char *text) { return CsvField(text); }

std::string JsonString(const char *text) { return ::JsonString(std::string(text)); }

// Whether the sheet's data carry the forms, volumes and grams of solution.
bool ShowsForms(const WeighingSheet &sheet) { return sheet.showVolume || sheet.showSolutionGrams; }

// A value given (not 0) or applying, else none.
std::string Given(double value) { return value != 0.0 ? Number(value) : std::string(); }
std::string Applying(bool applies, double value) { return applies ? Number(value) : std::string(); }

// A material's cells density_g_ml,molarity_mol_l,mass_fraction_pct,solution_g,volume_ml.
std::string FormCells(const SheetReactant &r) {
    return "," + Given(r.form.density) + "," + Given(r.form.molarity) + "," + Given(r.form.massFraction) + "," +
           Applying(r.hasSolutionGrams, r.solutionGrams) + "," + Applying(r.hasVolume, r.volumeMl);
}

const char *FormName(FormKind kind) {
    switch (kind) {
    case FormKind::Solid: break;
    case FormKind::NeatLiquid: return "neat_liquid";
    case FormKind::Molar: return "molar";
    case FormKind::MassFraction: return "mass_fraction";
    }
    return "solid";
}

std::string JsonValue(const std::string &number) { return number.empty() ? "null" : number; }

// A material's JSON members after "mmol".
std::string FormMembers(const SheetReactant &r) {
    return std::string(", \"form\": \"") + FormName(r.form.Kind()) + "\", \"density_g_ml\": " +
           JsonValue(Given(r.form.density)) + ", \"molarity_mol_l\": " + JsonValue(Given(r.form.molarity)) +
           ", \"mass_fraction_pct\": " + JsonValue(Given(r.form.massFraction)) +
           ", \"solution_g\": " + JsonValue(Applying(r.hasSolutionGrams, r.solutionGrams)) +
           ", \"volume_ml\": " + JsonValue(Applying(r.hasVolume, r.volumeMl));
}

// Whether some material names the shelf's bottle it came from.
bool ShowsBottles(const WeighingSheet &sheet) {
    for (const SheetReactant &r : sheet.reactants)
        if (r.bottle.fromShelf) return true;
    return false;
}

// A material's cells bottle_name,bottle_supplier,bottle_lot (empty for a material without one).
std::string BottleCells(const SheetReactant &r) {
    return "," + Field(r.bottle.name) + "," + Field(r.bottle.supplier) + "," + Field(r.bottle.lot);
}

// A material's "bottle" member, when it names one.
std::string BottleMember(const SheetReactant &r) {
    if (!r.bottle.fromShelf) return std::string();
    return ", \"bottle\": {\"name\": " + JsonString(r.bottle.name) + ", \"supplier\": " + JsonString(r.bottle.supplier) +
           ", \"lot\": " + JsonString(r.bottle.lot) + "}";
}

}  // namespace

std::string SheetCsv(const WeighingSheet &sheet) {
    const BatchResult &batch = sheet.batch;
    const bool forms = ShowsForms(sheet), bottles = ShowsBottles(sheet);
    // The end of a line other than a material's: the forms' and bottles' cells empty.
    const std::string end = std::string(forms ? ",,,,," : "") + (bottles ? ",,," : "") + "\r\n";
    std::string out = "record,row,formula,molar_mass,ratio,purity_pct,excess_pct,pure_g,weighed_g,mmol,percent";
    if (forms) out += ",density_g_ml,molarity_mol_l,mass_fraction_pct,solution_g,volume_ml";
    out += bottles ? ",bottle_name,bottle_supplier,bottle_lot\r\n" : "\r\n";
    out += "sample,," + Field(sheet.sampleId) + ",,,,,,,," + end;
    out += "product,," + Field(sheet.productFormula) + "," + Number(sheet.productMolarMass) + "," +
           Number(sheet.productRatio) + ",,," + Number(sheet.amount) + ",," + Number(sheet.productMmol) + "," + end;
    if (sheet.showDifferential)
        out += "differential,," + Field(sheet.differential.IsEmpty() ? "None" : sheet.differential.GetString()) +
               ",,,,,,,," + end;
    if (sheet.scale == BatchScale::Material)
        out += "scale," + std::to_string(sheet.scaleRow) + "," + Field(sheet.scaleFormula) + ",,,,,," +
               Number(sheet.scaleGrams) + ",," + end;
    else if (sheet.scale == BatchScale::Total)
        out += "scale,,,,,,,," + Number(sheet.scaleGrams) + ",," + end;
    for (size_t i = 0; i < sheet.reactants.size(); ++i) {
        const SheetReactant &r = sheet.reactants[i];
        out += "material," + std::to_string(r.row) + "," + Field(r.formula) + "," + Number(r.molarMass) + "," +
               Number(r.ratio) + "," + Number(r.purity) + "," + Number(r.excess) + "," + Number(r.grams) + "," +
               Number(r.weighedGrams) + "," + Number(r.mmol) + "," + (forms ? FormCells(r) : "") + (bottles ? BottleCells(r) : "") + "\r\n";
    }
    for (const BatchGas &gas : batch.gases)
        out += "gas,," + Field(gas.formula) + "," + Number(gas.molarMass) + ",,,," + Number(gas.grams) + ",," +
               Number(gas.mmol) + "," + end;
    for (const BatchLeftover &leftover : batch.unaccounted)
        out += "unaccounted,," + Field(leftover.symbol) + ",,,,,,," + Number(leftover.mmol) + "," + end;
    out += "total,,,,,,," + Number(batch.stoichiometricTotal) + "," + Number(batch.weighedTotal) + ",," + end;
    out += "mass_loss,,,,,,," + Number(batch.gasGrams) + ",,," + Number(batch.massLossPercent) + end;
    return out;
}

std::string SheetJson(const WeighingSheet &sheet) {
    const BatchResult &batch = sheet.batch;
    std::string out = "{\n  \"sample\": " + JsonString(sheet.sampleId) + ",\n";
    out += "  \"product\": {\"formula\": " + JsonString(sheet.productFormula) +
           ", \"molar_mass\": " + Number(sheet.productMolarMass) + ", \"ratio\": " + Number(sheet.productRatio) +
           ", \"grams\": " + Number(sheet.amount) + ", \"mmol\": " + Number(sheet.productMmol) + "},\n";
    if (sheet.showDifferential)
        out += "  \"differential\": " + JsonString(sheet.differential.IsEmpty() ? "None" : sheet.differential.GetString()) +
               ",\n";
    out += "  \"scale\": {\"to\": ";
    if (sheet.scale == BatchScale::Material)
        out += "\"row\", \"row\": " + std::to_string(sheet.scaleRow) + ", \"formula\": " + JsonString(sheet.scaleFormula) +
               ", \"grams\": " + Number(sheet.scaleGrams);
    else if (sheet.scale == BatchScale::Total)
        out += "\"total\", \"grams\": " + Number(sheet.scaleGrams);
    else
        out += "\"product\", \"grams\": " + Number(sheet.amount);
    out += "},\n  \"materials\": [";
    for (size_t i = 0; i < sheet.reactants.size(); ++i) {
        const SheetReactant &r = sheet.reactants[i];
        out += std::string(i ? ",\n" : "\n") + "    {\"row\": " + std::to_string(r.row) + ", \"formula\": " +
               JsonString(r.formula) + ", \"molar_mass\": " + Number(r.molarMass) + ", \"ratio\": " + Number(r.ratio) +
               ", \"purity_pct\": " + Number(r.purity) + ", \"excess_pct\": " + Number(r.excess) +
               ", \"pure_g\": " + Number(r.grams) + ", \"weighed_g\": " + Number(r.weighedGrams) +
               ", \"mmol\": " + Number(r.mmol) + (ShowsForms(sheet) ? FormMembers(r) : "") + BottleMember(r) + "}";
    }
    out += "\n  ],\n  \"pure_g_total\": " + Number(batch.stoichiometricTotal) +
           ",\n  \"weighed_g_total\": " + Number(batch.weighedTotal) + ",\n  \"gases\": [";
    for (size_t i = 0; i < batch.gases.size(); ++i)
        out += std::string(i ? ", " : "") + "{\"formula\": " + JsonString(batch.gases[i].formula) +
               ", \"grams\": " + Number(batch.gases[i].grams) + ", \"mmol\": " + Number(batch.gases[i].mmol) + "}";
    out += "],\n  \"gas_grams\": " + Number(batch.gasGrams) + ",\n  \"mass_loss_pct\": " +
           Number(batch.massLossPercent) + ",\n  \"unaccounted\": [";
    for (size_t i = 0; i < batch.unaccounted.size(); ++i)
        out += std::string(i ? ", " : "") + "{\"element\": " + JsonString(batch.unaccounted[i].symbol) +
               ", \"mmol\": " + Number(batch.unaccounted[i].mmol) + "}";
    return out + "]\n}\n";
}
