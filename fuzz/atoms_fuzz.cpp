// Any element file loads or fails with a documented code and, for a damaged line, names it; a
// loaded table has symbols of 1 to 3 non-blank characters, positive finite masses, inclusion =
// metal, Lookup agreeing with a linear search, and written back it loads to the same table.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "core/elements.h"

static void Require(bool condition) { if (!condition) __builtin_trap(); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static std::string path = "atoms_fuzz_" + std::to_string(getpid()) + ".lst";
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    static CElementTable table;
    const ElementLoad loaded = table.Load(path.c_str());
    std::remove(path.c_str());
    const bool lineFails = loaded == ElementLoad::BadLine || loaded == ElementLoad::TooMany ||
                           loaded == ElementLoad::BadSymbol || loaded == ElementLoad::BadMark ||
                           loaded == ElementLoad::LineTooLong || loaded == ElementLoad::FileTooLarge;
    Require(loaded == ElementLoad::Loaded || loaded == ElementLoad::NoElements || lineFails);
    const int result = table.Count();
    Require(result >= 0 && result <= MAX_ELEMENTS && (result > 0) == (loaded == ElementLoad::Loaded));
    if (lineFails) {
        Require(table.FailingLine() >= 1);
        return 0;
    }

    for (int i = 0; i < result; ++i) {
        const char *symbol = table.Symbol(i);
        size_t length = std::strlen(symbol);
        Require(length >= 1 && length <= 3);
        for (size_t k = 0; k < length; ++k) Require(static_cast<signed char>(symbol[k]) >= 33);
        Require(ElementSelection::Metals(table).Includes(i) == (table.metal(i) == 1) &&
                (table.metal(i) == 0 || table.metal(i) == 1));
        Require(std::isfinite(table.Mass(i)) && table.Mass(i) > 0.0);
        int found = table.Lookup(symbol);
        Require(found >= 0 && found < result && std::strcmp(table.Symbol(found), symbol) == 0);
    }
    // Written back in the fewest digits that read back, the table loads again exactly.
    std::string written = "written back\n";
    char line[64];
    for (int i = 0; i < result; ++i) {
        for (int digits = 1; digits <= 17; ++digits) {
            std::snprintf(line, sizeof line, "%d %s %.*g%s\n", i + 1, table.Symbol(i), digits, table.Mass(i),
                          table.metal(i) ? "" : " m");
            double back = 0.0;
            if (std::sscanf(line, "%*d %*s %lf", &back) == 1 && back == table.Mass(i)) break;
        }
        written += line;
    }
    file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    std::fwrite(written.data(), 1, written.size(), file);
    std::fclose(file);
    static CElementTable again;
    Require(again.Load(path.c_str()) == loaded && again.Count() == result);
    std::remove(path.c_str());
    for (int i = 0; i < result; ++i)
        Require(std::strcmp(again.Symbol(i), table.Symbol(i)) == 0 && again.Mass(i) == table.Mass(i) &&
                again.metal(i) == table.metal(i));

    // Every piece of the input of up to 3 bytes is found exactly when some symbol equals it.
    for (size_t start = 0; start < size && start < 256; ++start) {
        for (size_t length = 1; length <= 3 && start + length <= size; ++length) {
            std::string piece(reinterpret_cast<const char *>(data) + start, length);
            if (std::strlen(piece.c_str()) != length) continue;
            bool listed = false;
            for (int i = 0; i < result; ++i) listed |= piece == table.Symbol(i);
            Require((table.Lookup(piece.c_str()) >= 0) == listed);
        }
    }
    return 0;
}
