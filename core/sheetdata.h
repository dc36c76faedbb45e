// The weighing sheet as data for scripts: every number of the sheet (and of
// its batch) at full precision, the shortest text that reads back exactly,
// as CSV (one table) or JSON (one object). quillon-cli prints both and the
// program exports the CSV, the same bytes: CSV lines end CR LF, as
// spreadsheets expect; JSON lines end LF. Portable.
#ifndef QUILLON_CORE_SHEETDATA_H
#define QUILLON_CORE_SHEETDATA_H

#include <string>
#include <vector>

struct WeighingSheet;

// One CSV table, columns
// record,row,formula,molar_mass,ratio,purity_pct,excess_pct,pure_g,weighed_g,mmol,percent
// and records sample (formula: the ID), product, differential (formula: its
// text, when shown), scale (row, formula and weighed_g of the target; row
// empty for the total; none when scaled to the product),
// material (one per starting material), gas (pure_g and mmol negative when
// taken up), unaccounted (formula: the element; mmol negative when
// missing), total (pure_g, weighed_g) and mass_loss (pure_g: the gases' net
// grams; percent). A material's row is its list row (SheetReactant::row).
// A sheet that shows volumes or grams of solution adds to every line the
// columns density_g_ml,molarity_mol_l,mass_fraction_pct,solution_g,volume_ml,
// filled on material lines with the values given and computed (empty where
// they do not apply); its JSON materials add "form" and the same five
// (null where they do not apply). A sheet with a material that names the
// shelf's bottle it came from adds the columns bottle_name,bottle_supplier,
// bottle_lot after those (filled on such material lines), and its JSON
// materials that name one add "bottle": {"name", "supplier", "lot"}.
std::string SheetCsv(const WeighingSheet &sheet);

// The same numbers as one JSON object.
std::string SheetJson(const WeighingSheet &sheet);

#endif
