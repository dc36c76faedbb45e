// The lab record: the outcome of the last report, kept with the entry it
// came from, and what is made of its sheet while the entry is unchanged
// (the printed sheet, the CSV file, the check of the masses weighed); the
// masses weighed, which belong to the entry (the main dialog reads them into
// its entry and shows an opened entry's here); and the operator and balance
// the printed sheet names and rounds to.
#ifndef QUILLON_APP_LABRECORD_H
#define QUILLON_APP_LABRECORD_H

#include <string>

#include "balancedlg.h"
#include "core/calculation.h"
#include "core/entry.h"
#include "core/printsheet.h"
#include "framework/afxwin.h"
#include "printout.h"

class CLabRecord {
public:
    // Every report: the outcome as calculated, and the entry it came from.
    void Keep(const CalcOutcome &outcome, const Entry &entry);
    bool HasSheet() const { return kept; }

    // File > Print..., File > Print Preview..., File > Export CSV... and
    // Options > Weighed Masses... on the kept sheet; each first says why
    // nothing happens when there is no sheet yet or now is not the entry it
    // came from.
    void Print(CWnd *owner, const Entry &now);
    void Preview(CWnd *owner, const Entry &now);
    void ExportCsv(CWnd *owner, const Entry &now);
    void CheckWeighed(CWnd *owner, const Entry &now);

    // The entry's weighed masses and tolerance: what the Weighed Masses
    // dialog left, or what an opened entry holds.
    const WeighedMasses &Weighed() const { return weighed; }
    void SetWeighed(const WeighedMasses &masses) { weighed = masses; }

    // Options > Balance and Operator...: OK keeps what the dialog leaves.
    void EditBalance(CWnd *owner);
    const BalanceTexts &Balance() const { return balance; }
    void SetBalance(const BalanceTexts &texts) { balance = texts; }

private:
    bool Current(CWnd *owner, const Entry &now) const;
    // The printed page of the kept sheet, dated now; false, with its message, when there is none.
    bool MakePage(CWnd *owner, const Entry &now, PrintedSheet *printed) const;

    CalcOutcome outcome;  // its reaction and its sheet
    Entry entry;
    bool kept = false;
    WeighedMasses weighed;
    BalanceTexts balance;
    CSheetPrinter printer;  // keeps the printer chosen last
};

// Asks where to export, proposing proposedName (the characters a file name
// cannot hold made '_'), and writes csv there whole or not at all: a file
// that was there stays until the new one is complete.
void ExportCsvFile(CWnd *owner, const CString &proposedName, const std::string &csv);

#endif
