// Any bytes read as a shelf without fault: every bottle taken passes BottleProblem; the text
// written for the shelf keeps every bad line's bytes, and reads back to the same bottles and bad
// lines, and so does the text written with every bottle changed (each then written anew in the
// header's columns). Two kinds of bad line may read otherwise once written back among other lines:
// a quoted cell that does not end (a quote written after it may end it) and a line with a field
// the header does not name (it may fall into a column of no name the save adds); with them only
// the bytes are checked. So too when a Windows-1252 file's only bytes that are not UTF-8 were in
// cells written anew: the text written is then valid UTF-8 and reads as UTF-8.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/shelf.h"

namespace {

// Stand-in for the formula check: letters, digits, '.', '*', the middle dot and parentheses.
bool Check(const char *formula) {
    return formula[std::strspn(formula, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.()*\xB7")] == 0;
}

bool SameBottles(const Shelf &a, const Shelf &b) {
    if (a.bottles.size() != b.bottles.size() || a.problems.size() != b.problems.size()) return false;
    for (size_t i = 0; i < a.bottles.size(); ++i) {
        const Bottle &x = a.bottles[i], &y = b.bottles[i];
        if (!(x.formula == y.formula && x.name == y.name && x.supplier == y.supplier && x.lot == y.lot &&
              x.location == y.location && x.note == y.note && x.purity == y.purity && x.form == y.form))
            return false;
        for (size_t k = 0; k < x.unknown.size() || k < y.unknown.size(); ++k)
            if ((k < x.unknown.size() ? x.unknown[k] : CString()) != (k < y.unknown.size() ? y.unknown[k] : CString()))
                return false;
    }
    return true;
}

std::string Bytes(const CString &text) { return std::string(text.GetString(), static_cast<size_t>(text.GetLength())); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Shelf shelf;
    if (ReadShelfText(std::string(reinterpret_cast<const char *>(data), size), Check, &shelf) != ShelfReadStatus::Read)
        return 0;
    for (const Bottle &bottle : shelf.bottles)
        if (!BottleProblem(bottle, Check).IsEmpty()) std::abort();
    bool strict = true;
    for (const ShelfProblem &problem : shelf.problems)
        strict = strict && problem.reason != "a quoted cell does not end" &&
                 problem.reason != "it has a field the header does not name";
    for (int pass = 0; pass < 2; ++pass) {
        const std::string text = Bytes(ShelfText(shelf));
        for (const ShelfRecord &record : shelf.file.records)
            if (record.bad && text.find(record.bytes) == std::string::npos) std::abort();
        if (!strict) continue;
        Shelf again;
        if (ReadShelfText(text, Check, &again) != ShelfReadStatus::Read) std::abort();
        if (again.file.utf8 != shelf.file.utf8) continue;
        if (!SameBottles(shelf, again)) std::abort();
        if (Bytes(ShelfText(again)) != text) std::abort();
        for (Bottle &bottle : shelf.bottles) bottle.purity = bottle.form.IsSolid() ? 50.0 : 100.0;
        for (Bottle &bottle : shelf.bottles) bottle.note += " ,\"";
    }
    return 0;
}
