// The shelf: the starting materials a lab keeps, one bottle a line of a CSV
// file that a spreadsheet can edit. A header line names the columns
// (Formula, Name, Purity (%), Density (g/mL), Molarity (mol/L),
// Mass fraction (%), Supplier, Lot, Location, Note, in any order; names
// match without regard to case, surrounding blanks or the unit in
// parentheses; columns of other names are kept and ignored), then one line
// per bottle. A bottle's form follows from which of density, molarity and
// mass fraction are filled, as a row's does (MaterialForm, core/batch.h).
//
// Several bottles may hold one formula (two lots, two suppliers); they are
// found by the formula's meaning, not its bytes: surrounding blanks do not
// count, and the separators of a hydrate ("*", the middle dot in either
// spelling) are one. Texts are kept as the program keeps every text, in
// Windows-1252, whatever encoding the file had. Portable.
#ifndef QUILLON_CORE_SHELF_H
#define QUILLON_CORE_SHELF_H

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/afxstr.h"
#include "batch.h"

// One bottle: what a row takes from it (purity and form) and what names it.
struct Bottle {
    CString formula;  // as stored (Windows-1252, middle dot 0xB7), without surrounding blanks
    CString name;
    CString supplier;
    CString lot;
    CString location;
    CString note;
    double purity = PURITY_DEFAULT;  // a blank cell: 100 %
    MaterialForm form{};             // blank cells: not given (a solid)
    std::vector<CString> unknown;    // the cells of the columns of other names, in the header's order
    int line = 0;                    // the file's line it was read from (the header is 1); 0: added since

    // The name, supplier and lot a row keeps of the bottle it took.
    BottleRef Ref() const;
};

// True when every value and text of a and b is the same (the line read from aside).
bool SameBottle(const Bottle &a, const Bottle &b);

// A line of the file that gave no bottle: its number and why, for example
// "purity must be above 0 and at most 100 %, not 120".
struct ShelfProblem {
    int line = 0;
    CString reason;
};

// The key bottles are found by: the formula without surrounding blanks,
// every separator (UTF-8 or stored middle dot, "*") as the stored middle dot.
std::string ShelfFormulaKey(const char *formula);

// The columns a header names. ShelfColumnOf matches a header cell without
// regard to case, surrounding blanks or a unit in parentheses ("purity",
// " Purity (%) " and "PURITY(percent)" are Purity); any other name is Other.
enum class ShelfColumn { Formula, Name, Purity, Density, Molarity, MassFraction, Supplier, Lot, Location, Note, Other };
const int SHELF_COLUMNS = 10;  // the named ones, in the order of a new shelf's header
ShelfColumn ShelfColumnOf(const char *headerCell);
// A named column as a new shelf's header writes it: "Purity (%)".
const char *ShelfColumnName(ShelfColumn column);

// One line of the file as read (a quoted cell may hold line ends, so one
// "line" may span several): its bytes in the file's encoding, without its
// end, and, when it gave a bottle, that bottle as read. A save writes a bad
// line back as it was, and a bottle that is still as read as its line was.
struct ShelfRecord {
    int line = 0;
    std::string bytes;
    bool bad = false;
    size_t cells = 0;  // how many cells it has: a column a save adds goes past every bad line's
    Bottle asRead;
};

// What a save needs to write the file as it was written: the header, the
// encoding and line end, the lines as read, and the file's bytes as last
// read or saved, against which a save sees that someone else changed it.
struct ShelfFileForm {
    std::string header;                  // the header line's bytes (a new shelf: the ten columns)
    std::vector<ShelfColumn> columns;    // what each header cell names (none: a shelf never read)
    bool utf8 = true;                    // else Windows-1252
    bool byteOrderMark = true;
    bool crlf = true;                    // else LF
    std::vector<ShelfRecord> records;    // in line order
    enum class Disk { Absent, Known, Foreign } disk = Disk::Absent;  // Foreign: never replaced unasked
    std::string diskBytes;               // Known: the bytes the file held
};

class Shelf {
public:
    std::vector<Bottle> bottles;          // in the file's order, then those added
    std::vector<ShelfProblem> problems;   // the lines not taken, in line order
    ShelfFileForm file;

    // The indices into bottles of every bottle of formula, in shelf order.
    std::vector<int> Find(const char *formula) const;
    // The first bottle of formula whose name, supplier and lot equal those
    // of ref that are not empty (a ref with none: the first bottle of
    // formula); -1 when there is none.
    int FindBottle(const char *formula, const BottleRef &ref) const;
    // Makes Find see bottles as they now are; call after changing them.
    void Reindex();

private:
    std::unordered_map<std::string, std::vector<int>> index;
};

// A stored text (Windows-1252) as UTF-8: what quillon-cli shelf lists.
std::string Utf8OfWindows1252(const std::string &text);

// True when a formula parses (the program's and quillon-cli's parser).
using ShelfFormulaCheck = std::function<bool(const char *formula)>;

// Why a bottle cannot be on the shelf, in the words of the file readers'
// refusals (lower case, no full stop), naming the bottle by its formula:
// "purity must be above 0 and at most 100 %, not 120", "density of
// Si(OC2H5)4 must be a number of at least 0.00001 g/mL (the sheet shows 5
// decimals), not -1". Empty when the bottle is acceptable. The reader and
// the Shelf window's field checks both ask it.
CString BottleProblem(const Bottle &bottle, const ShelfFormulaCheck &check);

enum class ShelfReadStatus {
    Read,        // the header and every line read (problems names the bad lines)
    Missing,     // no such file
    Unreadable,  // the file cannot be read (or is larger than TEXT_FILE_LIMIT)
    NotAShelf,   // no header line, or no Formula column: no bottle at all
};

// Reads a shelf file's bytes into *shelf (whatever it held is replaced):
// UTF-8 with a byte-order mark, or valid UTF-8 without one, is converted to
// Windows-1252 (a line with a character Windows-1252 lacks is bad); any
// other bytes are Windows-1252. CR LF or LF; blank lines are skipped; a
// quoted cell may hold commas, doubled quotes and line ends. Each bad line
// is a problem of its line number (the header's line is 1) and gives no
// bottle. Reindexes the shelf.
ShelfReadStatus ReadShelfText(const std::string &bytes, const ShelfFormulaCheck &check, Shelf *shelf);
// The same for a file; the shelf keeps the bytes read for SaveShelfFile's
// check. Missing and Unreadable leave an empty shelf.
ShelfReadStatus ReadShelfFile(const char *path, const ShelfFormulaCheck &check, Shelf *shelf);

// The one message of a read, shown once: empty for Read without problems;
// otherwise it names the file and why no bottle was taken from it, or each
// bad line ("line 4: ...", at most 20, then "and N more") and how many
// bottles are usable. No final line end.
CString ShelfReadMessage(ShelfReadStatus status, const char *path, const Shelf &shelf);
// Why a file gave no bottle at all (Missing, Unreadable, NotAShelf), the
// first sentence of that message: what quillon-cli, which then makes no
// sheet, says. Empty for Read.
CString ShelfFileProblem(ShelfReadStatus status, const char *path);

// The file's text for the shelf as it is: the header and encoding as read
// (a new shelf: UTF-8 with a byte-order mark, CR LF, the ten columns), a
// column added to the header for a value no column of it holds, bad lines
// and bottles unchanged since the read as they were, every other bottle in
// the header's columns (numbers as the shortest text that reads back
// exactly, cells quoted where a spreadsheet needs it).
CString ShelfText(const Shelf &shelf);

enum class ShelfSaveStatus {
    Saved,
    ChangedOnDisk,  // the file is not what was read or last saved (or appeared, or vanished): nothing written
    Failed,         // the file could not be written (or read for the check); it is as it was
};

// Saves ShelfText as path, replacing the file only once the new text is
// complete (SaveTextFile), after checking that the file still holds what
// the shelf was read from or last saved (overwriteChanged: replace it
// anyway). Saved: the shelf is then as if read from what was written (the
// bottles' and problems' line numbers those of the new file).
ShelfSaveStatus SaveShelfFile(const char *path, Shelf *shelf, bool overwriteChanged = false);

#endif
