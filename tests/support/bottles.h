// A bottle as the shelf tests make one, with the values they give it.
#ifndef QUILLON_TESTS_SUPPORT_BOTTLES_H
#define QUILLON_TESTS_SUPPORT_BOTTLES_H

#include "core/shelf.h"

inline Bottle MakeBottle(const char *formula, const char *name, double purity, const char *supplier, const char *lot,
                         MaterialForm form = MaterialForm(), const char *note = "") {
    Bottle bottle;
    bottle.formula = formula;
    bottle.name = name;
    bottle.purity = purity;
    bottle.supplier = supplier;
    bottle.lot = lot;
    bottle.form = form;
    bottle.note = note;
    return bottle;
}

#endif
