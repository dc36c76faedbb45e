// The shelf's bottles and how they are found.
#include "shelf.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>

#include "calcfile.h"
#include "datatext.h"
#include "formula.h"
#include "textutil.h"

BottleRef Bottle::Ref() const {
    BottleRef ref;
    ref.fromShelf = true;
    ref.name = name;
    ref.supplier = supplier;
    ref.lot = lot;
    return ref;
}

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string ShelfFormulaKey(const char *formula) {
    const char *begin = formula;
    while (IsBlank(*begin)) ++begin;
    const char *end = begin + std::char_traits<char>::length(begin);
    while (end > begin && IsBlank(end[-1])) --end;
    std::string key;
    key.reserve(static_cast<size_t>(end - begin));
    for (const char *p = begin; p < end;) {
        size_t separator = FormulaSeparatorLength(p);
        if (separator > 0) {
            key += FORMULA_MIDDLE_DOT;
            p += separator;
        } else {
            key += *p++;
        }
    }
    return key;
}

std::vector<int> Shelf::Find(const char *formula) const {
    auto found = index.find(ShelfFormulaKey(formula));
    return found == index.end() ? std::vector<int>() : found->second;
}

int Shelf::FindBottle(const char *formula, const BottleRef &ref) const {
    auto found = index.find(ShelfFormulaKey(formula));
    if (found == index.end()) return -1;
    for (int i : found->second) {
        const Bottle &bottle = bottles[static_cast<size_t>(i)];
        if ((ref.name.IsEmpty() || bottle.name == ref.name) && (ref.supplier.IsEmpty() || bottle.supplier == ref.supplier) &&
            (ref.lot.IsEmpty() || bottle.lot == ref.lot))
            return i;
    }
    return -1;
}

void Shelf::Reindex() {
    index.clear();
    for (size_t i = 0; i < bottles.size(); ++i)
        index[ShelfFormulaKey(bottles[i].formula)].push_back(static_cast<int>(i));
}

bool SameBottle(const Bottle &a, const Bottle &b) {
    return a.formula == b.formula && a.name == b.name && a.supplier == b.supplier && a.lot == b.lot &&
           a.location == b.location && a.note == b.note && a.purity == b.purity && a.form == b.form &&
           a.unknown == b.unknown;
}

// ---- The file: columns, encodings, cells, the reader ----

namespace {

const char *const COLUMN_NAMES[SHELF_COLUMNS] = {"Formula",          "Name",     "Purity (%)", "Density (g/mL)",
                                                 "Molarity (mol/L)", "Mass fraction (%)", "Supplier",
                                                 "Lot",              "Location", "Note"};

// Windows-1252's bytes 0x80 to 0x9F as Unicode; the five it leaves undefined
// stand for the control characters of their own codes, as Windows takes them.
const unsigned CP1252_HIGH[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int ByteOfCode(unsigned code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<int>(code);
    for (int i = 0; i < 32; ++i)
        if (CP1252_HIGH[i] == code) return 0x80 + i;
    return -1;
}

// The UTF-8 sequence at text[i]: its length and code point, 0 when the bytes
// there are not UTF-8 (overlong forms and surrogates included).
size_t DecodeUtf8(const std::string &text, size_t i, unsigned *code) {
    const auto byte = [&text](size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
    const unsigned lead = byte(i);
    if (lead < 0x80) return *code = lead, 1;
    size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0) return 0;
    unsigned value = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    const unsigned least[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < least[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    *code = value;
    return length;
}

bool ValidUtf8(const std::string &text) {
    unsigned code = 0;
    for (size_t i = 0, n = 0; i < text.size(); i += n)
        if ((n = DecodeUtf8(text, i, &code)) == 0) return false;
    return true;
}

// UTF-8 as Windows-1252; a reason when it is not UTF-8 or holds a
// character Windows-1252 has no byte for.
CString FromUtf8(const std::string &text, std::string *out) {
    out->clear();
    unsigned code = 0;
    for (size_t i = 0, n = 0; i < text.size(); i += n) {
        if ((n = DecodeUtf8(text, i, &code)) == 0) return "it is not UTF-8";
        const int byte = ByteOfCode(code);
        if (byte < 0) {
            CString reason;
            reason.Format("it holds the character U+%04X, which Windows-1252 has no byte for", code);
            return reason;
        }
        *out += static_cast<char>(byte);
    }
    return CString();
}

std::string ToUtf8(const std::string &text) {
    std::string out;
    for (char c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        const unsigned code = b >= 0x80 && b < 0xA0 ? CP1252_HIGH[b - 0x80] : b;
        if (code < 0x80) {
            out += c;
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

std::string Trimmed(const std::string &text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

struct Cell {
    std::string text;
    bool quoted = false;
};

// One line of CSV at *pos: its cells, its bytes' end (before the line end)
// and the line ends inside its quoted cells; *pos moves past its line end.
// False when a quoted cell runs to the end of the bytes.
bool ReadRecord(const std::string &bytes, size_t *pos, std::vector<Cell> *cells, size_t *end, int *breaks) {
    cells->assign(1, Cell());
    *breaks = 0;
    bool inQuotes = false;
    size_t i = *pos;
    const size_t n = bytes.size();
    for (; i < n; ++i) {
        const char c = bytes[i];
        Cell &cell = cells->back();
        if (inQuotes) {
            if (c == '"') {
                if (i + 1 < n && bytes[i + 1] == '"') cell.text += bytes[i++];
                else inQuotes = false;
                continue;
            }
            if (c == '\n' || (c == '\r' && (i + 1 >= n || bytes[i + 1] != '\n'))) ++*breaks;
            cell.text += c;
        } else if (c == ',') {
            cells->emplace_back();
        } else if (c == '\r' || c == '\n') {
            break;
        } else if (c == '"' && cell.text.empty() && !cell.quoted) {
            inQuotes = cell.quoted = true;
        } else {
            cell.text += c;
        }
    }
    if (inQuotes) return false;
    *end = i;
    if (i < n) i += bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n' ? 2 : 1;
    *pos = i;
    return true;
}

bool BlankCells(const std::vector<Cell> &cells, size_t from = 0) {
    for (size_t i = from; i < cells.size(); ++i)
        if (!Trimmed(cells[i].text).empty()) return false;
    return true;
}

// A number cell: blank leaves *value as it is; a reason when it is not one
// plain decimal number.
CString ReadNumberCell(const std::string &text, const char *column, double *value) {
    if (Trimmed(text).empty()) return CString();
    // Beside the number only blanks (a no-break space too): the number
    // fields' trim drops any byte above 127 after the number, which would
    // read "1.1\xB5" as 1.1 and a lone "\xBF" as no value at all.
    bool stray = false;
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        stray = stray || (u < 32 && u != '\t') || (u >= 0x80 && u != 0xA0);
    }
    const int read = stray ? 1 : ReadNumberText(text.c_str(), value);
    if (read == 0) return CString();
    CString reason = CString(column) + " must be a plain decimal number, not \"" + text.c_str() + "\"";
    if (read == 2) {
        std::string point = Trimmed(text);
        point[point.find(',')] = '.';
        reason += CString(" (use a point for decimals: ") + point.c_str() + ")";
    }
    return reason;
}

// A bottle from the cells of one line, in the header's columns; a reason
// when the line gives none.
CString BottleOfCells(const std::vector<Cell> &cells, const ShelfFileForm &form, const ShelfFormulaCheck &check,
                      Bottle *bottle) {
    if (cells.size() > form.columns.size() && !BlankCells(cells, form.columns.size()))
        return "it has a field the header does not name";
    std::string texts[SHELF_COLUMNS];
    for (size_t i = 0; i < form.columns.size(); ++i) {
        std::string text;
        if (i < cells.size()) {
            if (form.utf8) {
                const CString reason = FromUtf8(cells[i].text, &text);
                if (!reason.IsEmpty()) return reason;
            } else {
                text = cells[i].text;
            }
        }
        if (text.find('\0') != std::string::npos) return "it holds a zero byte";
        const ShelfColumn column = form.columns[i];
        if (column == ShelfColumn::Other) bottle->unknown.push_back(CString(text.c_str()));
        else texts[static_cast<int>(column)] = i < cells.size() && cells[i].quoted ? text : Trimmed(text);
    }
    const auto text = [&texts](ShelfColumn column) { return CString(texts[static_cast<int>(column)].c_str()); };
    bottle->formula = CString(Trimmed(texts[0]).c_str());
    bottle->name = text(ShelfColumn::Name);
    bottle->supplier = text(ShelfColumn::Supplier);
    bottle->lot = text(ShelfColumn::Lot);
    bottle->location = text(ShelfColumn::Location);
    bottle->note = text(ShelfColumn::Note);
    const std::pair<ShelfColumn, double *> numbers[] = {{ShelfColumn::Purity, &bottle->purity},
                                                        {ShelfColumn::Density, &bottle->form.density},
                                                        {ShelfColumn::Molarity, &bottle->form.molarity},
                                                        {ShelfColumn::MassFraction, &bottle->form.massFraction}};
    const char *const words[] = {"purity", "density", "molarity", "mass fraction"};
    for (int k = 0; k < 4; ++k) {
        const CString reason = ReadNumberCell(texts[static_cast<int>(numbers[k].first)], words[k], numbers[k].second);
        if (!reason.IsEmpty()) return reason;
    }
    return BottleProblem(*bottle, check);
}

// The whole of a file, at most TEXT_FILE_LIMIT bytes.
ShelfReadStatus ReadFileBytes(const char *path, std::string *bytes) {
    errno = 0;
    std::FILE *file = std::fopen(path, "rb");
    if (file == nullptr) return errno == ENOENT ? ShelfReadStatus::Missing : ShelfReadStatus::Unreadable;
    char buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && bytes->size() <= TEXT_FILE_LIMIT)
        bytes->append(buffer, got);
    const bool failed = std::ferror(file) != 0 || bytes->size() > TEXT_FILE_LIMIT;
    std::fclose(file);
    return failed ? ShelfReadStatus::Unreadable : ShelfReadStatus::Read;
}

// The form of a shelf never read: the ten columns, UTF-8 with a byte-order
// mark, CR LF.
ShelfFileForm NewShelfForm() {
    ShelfFileForm form;
    for (int i = 0; i < SHELF_COLUMNS; ++i) {
        form.header += std::string(i > 0 ? "," : "") + COLUMN_NAMES[i];
        form.columns.push_back(static_cast<ShelfColumn>(i));
    }
    return form;
}

// ---- Writing ----

// The text of a bottle's cell in a named column (Windows-1252); numbers not
// given are empty.
std::string CellText(const Bottle &bottle, ShelfColumn column) {
    const auto number = [](double value) { return value == 0.0 ? std::string() : ExactNumber(value); };
    switch (column) {
    case ShelfColumn::Formula: return bottle.formula.GetString();
    case ShelfColumn::Name: return bottle.name.GetString();
    case ShelfColumn::Purity: return ExactNumber(bottle.purity);
    case ShelfColumn::Density: return number(bottle.form.density);
    case ShelfColumn::Molarity: return number(bottle.form.molarity);
    case ShelfColumn::MassFraction: return number(bottle.form.massFraction);
    case ShelfColumn::Supplier: return bottle.supplier.GetString();
    case ShelfColumn::Lot: return bottle.lot.GetString();
    case ShelfColumn::Location: return bottle.location.GetString();
    case ShelfColumn::Note: return bottle.note.GetString();
    case ShelfColumn::Other: break;
    }
    return std::string();
}

// A cell as a spreadsheet reads it back: quoted when it holds a comma, a
// quote or a line end, or starts or ends with a blank.
std::string CsvCell(const std::string &text) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string::npos ||
                       (!text.empty() && (IsBlank(text.front()) || IsBlank(text.back())));
    if (!quote) return text;
    std::string out = "\"";
    for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// The line ends inside a line's bytes (those of its quoted cells).
int Breaks(const std::string &bytes) {
    int breaks = 0;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'))) ++breaks;
    return breaks;
}

// The file a save writes, and what each of its lines after the header is.
struct Composed {
    std::string text;
    std::string header;
    std::vector<ShelfColumn> columns;
    struct Line {
        bool bad;
        size_t index;  // into the bottles, or (bad) into the records
        std::string bytes;
    };
    std::vector<Line> lines;
};

Composed Compose(const Shelf &shelf) {
    const ShelfFileForm fresh = NewShelfForm();
    const ShelfFileForm &form = shelf.file.columns.empty() ? fresh : shelf.file;  // no columns: never read
    Composed out;
    out.header = form.header;
    out.columns = form.columns;
    for (int c = 0; c < SHELF_COLUMNS; ++c) {  // a column for the values the header has none for
        const ShelfColumn column = static_cast<ShelfColumn>(c);
        bool held = false, needed = false;
        for (ShelfColumn taken : out.columns) held = held || taken == column;
        for (const Bottle &b : shelf.bottles)
            needed = needed || (column == ShelfColumn::Purity ? b.purity != PURITY_DEFAULT : !CellText(b, column).empty());
        if (!held && needed) {
            // Past the cells of every bad line, so that none of them falls into it: columns of no
            // name (kept and ignored) in between.
            for (const ShelfRecord &record : form.records)
                for (; record.bad && out.columns.size() < record.cells; out.columns.push_back(ShelfColumn::Other))
                    out.header += ",";
            out.header += std::string(",") + COLUMN_NAMES[c];
            out.columns.push_back(column);
        }
    }
    const std::string end = form.crlf ? "\r\n" : "\n";
    out.text = (form.byteOrderMark ? "\xEF\xBB\xBF" : "") + out.header + end;
    size_t r = 0;
    const auto badBefore = [&](int line) {
        for (; r < form.records.size() && form.records[r].line < line; ++r)
            if (form.records[r].bad) out.lines.push_back(Composed::Line{true, r, form.records[r].bytes});
    };
    for (size_t i = 0; i < shelf.bottles.size(); ++i) {
        const Bottle &bottle = shelf.bottles[i];
        const ShelfRecord *asRead = nullptr;
        badBefore(bottle.line > 0 ? bottle.line : 1 << 30);  // the bottles added follow every line read
        if (bottle.line > 0) {
            const auto record = std::lower_bound(form.records.begin(), form.records.end(), bottle.line,
                                                 [](const ShelfRecord &r, int line) { return r.line < line; });
            if (record != form.records.end() && record->line == bottle.line && !record->bad &&
                SameBottle(record->asRead, bottle))
                asRead = &*record;
        }
        std::string bytes;
        if (asRead != nullptr) {
            bytes = asRead->bytes;
        } else {
            size_t other = 0;
            for (size_t c = 0; c < out.columns.size(); ++c) {
                std::string cell;
                if (out.columns[c] != ShelfColumn::Other) cell = CellText(bottle, out.columns[c]);
                else if (other < bottle.unknown.size()) cell = bottle.unknown[other++].GetString();
                else ++other;
                bytes += (c > 0 ? "," : "") + CsvCell(cell);
            }
            if (form.utf8) bytes = ToUtf8(bytes);
        }
        out.lines.push_back(Composed::Line{false, i, bytes});
    }
    badBefore(1 << 30);
    for (const Composed::Line &line : out.lines) out.text += line.bytes + end;
    return out;
}

}  // namespace

ShelfColumn ShelfColumnOf(const char *headerCell) {
    std::string name = Trimmed(headerCell);
    if (!name.empty() && name.back() == ')') {
        const size_t open = name.rfind('(');
        if (open != std::string::npos) name = Trimmed(name.substr(0, open));
    }
    for (char &c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (int i = 0; i < SHELF_COLUMNS; ++i) {
        std::string known = Trimmed(std::string(COLUMN_NAMES[i]).substr(0, std::string(COLUMN_NAMES[i]).find('(')));
        for (char &c : known) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name == known) return static_cast<ShelfColumn>(i);
    }
    return ShelfColumn::Other;
}

const char *ShelfColumnName(ShelfColumn column) {
    return column == ShelfColumn::Other ? "" : COLUMN_NAMES[static_cast<int>(column)];
}

CString BottleProblem(const Bottle &bottle, const ShelfFormulaCheck &check) {
    if (bottle.formula.IsEmpty()) return "the formula is missing";
    if (check && !check(bottle.formula)) return "the formula " + bottle.formula + " does not parse";
    const BatchValueCheck purity = CheckPurity(bottle.purity);
    if (purity == BatchValueCheck::OutOfLimits)
        return CString("purity must be above 0 and at most 100 %, not ") + ExactNumber(bottle.purity).c_str();
    if (purity == BatchValueCheck::TooFine)
        return "purity must be " + PurityShownLimit() + ", not " + ExactNumber(bottle.purity).c_str();
    const FormCheck form = CheckForm(bottle.form, bottle.purity);
    if (form == FormCheck::Acceptable) return CString();
    CString text = FormProblem(form, bottle.form, bottle.formula);
    if (text.GetLength() > 0 && text[text.GetLength() - 1] == '.') text = text.Mid(0, text.GetLength() - 1);
    if (form != FormCheck::MolarityWithMassFraction && text.GetLength() > 0) {
        char *first = text.GetBuffer(0);
        *first = static_cast<char>(std::tolower(static_cast<unsigned char>(*first)));
        text.ReleaseBuffer(text.GetLength());
    }
    return text;
}

ShelfReadStatus ReadShelfText(const std::string &bytes, const ShelfFormulaCheck &check, Shelf *shelf) {
    *shelf = Shelf();
    ShelfFileForm form;
    size_t pos = 0;
    form.byteOrderMark = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (form.byteOrderMark) pos = 3;
    form.utf8 = form.byteOrderMark || ValidUtf8(bytes);
    std::vector<Cell> cells;
    int line = 1;
    bool header = false;
    while (pos < bytes.size()) {
        const size_t start = pos;
        size_t end = 0;
        int breaks = 0;
        const bool ended = ReadRecord(bytes, &pos, &cells, &end, &breaks);
        const int at = line;
        if (!ended) {  // the line alone, up to its end, is bad
            end = bytes.find_first_of("\r\n", start);
            if (end == std::string::npos) end = bytes.size();
            pos = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : end < bytes.size() ? 1 : 0);
            breaks = 0;
        }
        line += breaks + 1;
        if (ended && BlankCells(cells)) continue;
        if (!header) {
            header = true;
            if (!ended) break;
            form.header = bytes.substr(start, end - start);
            form.crlf = bytes.compare(end, 2, "\r\n") == 0;
            for (const Cell &cell : cells) {
                std::string name = cell.text;
                if (form.utf8 && !FromUtf8(cell.text, &name).IsEmpty()) name.clear();
                ShelfColumn column = ShelfColumnOf(name.c_str());
                for (ShelfColumn taken : form.columns)
                    if (taken == column) column = ShelfColumn::Other;  // a second column of one name is kept, not read
                form.columns.push_back(column);
            }
            continue;
        }
        ShelfRecord record;
        record.line = at;
        record.bytes = bytes.substr(start, end - start);
        Bottle bottle;
        const CString reason = ended ? BottleOfCells(cells, form, check, &bottle) : CString("a quoted cell does not end");
        record.bad = !reason.IsEmpty();
        record.cells = cells.size();
        if (record.bad) {
            shelf->problems.push_back(ShelfProblem{at, reason});
        } else {
            bottle.line = at;
            record.asRead = bottle;
            shelf->bottles.push_back(bottle);
        }
        form.records.push_back(record);
    }
    bool formula = false;
    for (ShelfColumn column : form.columns) formula = formula || column == ShelfColumn::Formula;
    if (!formula) {
        *shelf = Shelf();
        shelf->file = NewShelfForm();
        return ShelfReadStatus::NotAShelf;
    }
    shelf->file = form;
    shelf->Reindex();
    return ShelfReadStatus::Read;
}

ShelfReadStatus ReadShelfFile(const char *path, const ShelfFormulaCheck &check, Shelf *shelf) {
    *shelf = Shelf();
    shelf->file = NewShelfForm();
    std::string bytes;
    const ShelfReadStatus status = ReadFileBytes(path, &bytes);
    if (status != ShelfReadStatus::Read) {
        shelf->file.disk = status == ShelfReadStatus::Missing ? ShelfFileForm::Disk::Absent : ShelfFileForm::Disk::Foreign;
        return status;
    }
    const ShelfReadStatus read = ReadShelfText(bytes, check, shelf);
    shelf->file.disk = read == ShelfReadStatus::Read ? ShelfFileForm::Disk::Known : ShelfFileForm::Disk::Foreign;
    shelf->file.diskBytes = read == ShelfReadStatus::Read ? bytes : std::string();
    return read;
}

CString ShelfFileProblem(ShelfReadStatus status, const char *path) {
    const CString file = CString("The shelf file ") + path;
    switch (status) {
    case ShelfReadStatus::Missing:
        return file + " does not exist.";
    case ShelfReadStatus::Unreadable:
        return file + " cannot be read.";
    case ShelfReadStatus::NotAShelf:
        return file + " is not a shelf: its first line must name the columns, Formula among them.";
    case ShelfReadStatus::Read:
        break;
    }
    return CString();
}

CString ShelfReadMessage(ShelfReadStatus status, const char *path, const Shelf &shelf) {
    if (status != ShelfReadStatus::Read) return ShelfFileProblem(status, path) + " No bottle is taken from a shelf.";
    const CString file = CString("The shelf file ") + path;
    if (shelf.problems.empty()) return CString();
    const size_t shown = 20;
    CString text = file + " has lines that give no bottle:";
    for (size_t i = 0; i < shelf.problems.size() && i < shown; ++i) {
        CString item;
        item.Format("\nline %d: ", shelf.problems[i].line);
        text += item + shelf.problems[i].reason;
    }
    CString count;
    if (shelf.problems.size() > shown) {
        count.Format("\nand %d more", static_cast<int>(shelf.problems.size() - shown));
        text += count;
    }
    const size_t usable = shelf.bottles.size();
    if (usable == 0) count = "\nNo bottle is usable.";
    else if (usable == 1) count = "\n1 bottle is usable.";
    else count.Format("\n%d bottles are usable.", static_cast<int>(usable));
    return text + count;
}

std::string Utf8OfWindows1252(const std::string &text) { return ToUtf8(text); }

CString ShelfText(const Shelf &shelf) {
    const std::string text = Compose(shelf).text;
    return CString(text.data(), static_cast<int>(text.size()));
}

ShelfSaveStatus SaveShelfFile(const char *path, Shelf *shelf, bool overwriteChanged) {
    std::string current;
    const ShelfReadStatus onDisk = ReadFileBytes(path, &current);
    if (onDisk == ShelfReadStatus::Unreadable) return ShelfSaveStatus::Failed;
    const ShelfFileForm::Disk disk = shelf->file.disk;
    const bool present = onDisk == ShelfReadStatus::Read;
    const bool same = disk == ShelfFileForm::Disk::Absent  ? !present
                      : disk == ShelfFileForm::Disk::Known ? present && current == shelf->file.diskBytes
                                                           : false;
    if (!same && !overwriteChanged) return ShelfSaveStatus::ChangedOnDisk;
    Composed composed = Compose(*shelf);
    if (SaveTextFile(path, CString(composed.text.data(), static_cast<int>(composed.text.size()))) != CalcSaveStatus::Saved)
        return ShelfSaveStatus::Failed;
    // The shelf as read from what was written: its lines renumbered.
    ShelfFileForm &form = shelf->file;
    std::vector<ShelfRecord> records;
    std::vector<ShelfProblem> problems;
    int line = 2 + Breaks(composed.header);
    size_t next = 0;
    for (const Composed::Line &written : composed.lines) {
        ShelfRecord record;
        record.line = line;
        record.bytes = written.bytes;
        record.bad = written.bad;
        if (written.bad) {  // the bad lines are written in line order, as the problems are kept
            const int was = form.records[written.index].line;
            while (next < shelf->problems.size() && shelf->problems[next].line < was) ++next;
            if (next < shelf->problems.size() && shelf->problems[next].line == was)
                problems.push_back(ShelfProblem{line, shelf->problems[next].reason});
        } else {
            Bottle &bottle = shelf->bottles[written.index];
            bottle.line = line;
            record.asRead = bottle;
        }
        records.push_back(record);
        line += 1 + Breaks(written.bytes);
    }
    form.header = composed.header;
    form.columns = composed.columns;
    form.records = records;
    form.disk = ShelfFileForm::Disk::Known;
    form.diskBytes = composed.text;
    shelf->problems = problems;
    return ShelfSaveStatus::Saved;
}
