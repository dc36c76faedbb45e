#include "entry.h"

namespace {

bool SameNumber(double a, double b) { return a == b || (a != a && b != b); }

bool SameBatch(const BatchSettings &a, const BatchSettings &b) {
    if (a.scale != b.scale || a.scaleRow != b.scaleRow || a.scaleFormula != b.scaleFormula ||
        !SameNumber(a.scaleMass, b.scaleMass) || a.mmol != b.mmol || a.gases != b.gases)
        return false;
    for (int i = 0; i < ROW_CAPACITY; ++i) {
        const BatchRowValues &x = a.rows[i], &y = b.rows[i];
        if (x.formula != y.formula || !SameNumber(x.purity, y.purity) || !SameNumber(x.excess, y.excess) ||
            x.form != y.form || x.bottle != y.bottle)
            return false;
    }
    return true;
}

}  // namespace

Entry::Entry() { rows.create(ROW_CAPACITY); }

Entry::Entry(const Entry &other) : Entry() { *this = other; }

Entry &Entry::operator=(const Entry &other) {
    if (this == &other) return *this;
    fields = other.fields;
    batch = other.batch;
    weighed = other.weighed;
    rows.reset();
    for (int i = 0; i < other.rows.capacity(); ++i) {
        const LedraRow *row = other.rows.row(i);
        rows.setFormula(i, row->formula);
        rows.setRatio(i, row->ratio);
        rows.setFixed(i, row->fixed);
    }
    return *this;
}

bool SameEntry(const Entry &a, const Entry &b) {
    if (!SameBatch(a.batch, b.batch) || !SameWeighed(a.weighed, b.weighed)) return false;
    if (a.fields.sampleId != b.fields.sampleId || a.fields.productFormula != b.fields.productFormula ||
        a.fields.ratioText != b.fields.ratioText || a.fields.amountText != b.fields.amountText ||
        a.fields.seriesValues != b.fields.seriesValues)
        return false;
    for (int i = 0; i < a.rows.capacity(); ++i) {
        const LedraRow *x = a.rows.row(i), *y = b.rows.row(i);
        if (x->formula != y->formula || x->fixed != y->fixed || !SameNumber(x->ratio, y->ratio)) return false;
    }
    return true;
}
