// Fuzz target of the element file loader: any file must load or fail with
// one of the documented codes, and a loaded table keeps its invariants
// (symbols of 1 to 3 non-blank characters, inclusion = metal, every symbol
// found by Lookup, Lookup agreeing with a linear search).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "elements.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

// Linear search: does any loaded symbol equal text?
bool Contains(const CElementTable &table, const char *text) {
    for (int i = 0; i < table.Count(); ++i) {
        if (std::strcmp(table.Symbol(i), text) == 0) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static std::string path = "atoms_fuzz_" + std::to_string(getpid()) + ".lst";
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    static CElementTable table;
    int result = table.Load(path.c_str());
    std::remove(path.c_str());
    Require(result == -3 || result == -4 || (result >= 0 && result <= MAX_ELEMENTS));
    if (result < 0) return 0;

    Require(table.Count() == result);
    for (int i = 0; i < result; ++i) {
        const char *symbol = table.Symbol(i);
        size_t length = std::strlen(symbol);
        Require(length >= 1 && length <= 3);
        for (size_t k = 0; k < length; ++k) Require(static_cast<signed char>(symbol[k]) >= 33);
        Require(table.included(i) == table.metal(i));
        Require(table.metal(i) == 0 || table.metal(i) == 1);
        int found = table.Lookup(symbol);
        Require(found >= 0 && found < result && std::strcmp(table.Symbol(found), symbol) == 0);
    }
    // Every piece of the input of up to 3 bytes: found exactly when some
    // symbol equals it.
    for (size_t start = 0; start < size && start < 256; ++start) {
        for (size_t length = 1; length <= 3 && start + length <= size; ++length) {
            std::string piece(reinterpret_cast<const char *>(data) + start, length);
            if (std::strlen(piece.c_str()) != length) continue;
            int found = table.Lookup(piece.c_str());
            Require((found >= 0) == Contains(table, piece.c_str()));
        }
    }
    return 0;
}
