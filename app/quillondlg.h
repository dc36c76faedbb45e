// The main dialog: sample ID, product formula, ratio and amount, the list
// of starting materials, "Auto-Ratio", Calculate and Clear, and the menus.
// It reads the entry from its fields and list and shows one in them, runs
// the calculation, and owns the parts that keep their own state: the
// entry's file (entryfile.h), the report output (reportoutput.h), the lab
// record (labrecord.h), the settings (settings.h), the window's layout
// (windowlayout.h) and the help (htmlhelp.h). It owns the formula fonts,
// the initialisation records of both custom controls and the formula
// parser, and answers the list's callbacks.
#ifndef QUILLON_APP_QUILLONDLG_H
#define QUILLON_APP_QUILLONDLG_H

#include <memory>
#include <vector>

#include "core/batch.h"
#include "core/calculation.h"
#include "core/elements.h"
#include "core/entry.h"
#include "core/formula.h"
#include "entryfile.h"
#include "fields.h"
#include "framework/afxwin.h"
#include "htmlhelp.h"
#include "labrecord.h"
#include "labshelf.h"
#include "quillon/ledra.h"
#include "quillon/vexil.h"
#include "reportoutput.h"
#include "seriesdlg.h"
#include "settings.h"
#include "windowlayout.h"

struct SeriesResult;

// Plain functions for the list's callbacks and the calculation files,
// answered by the application's main window when it is this dialog: 1 when
// its parser accepts the formula, else 0; whether the application is
// closing.
int FormulaCheckCallback(const char *formula);
int AppClosingCallback();

class CQuillonDlg : public CDialog, private FieldOwner {
public:
    explicit CQuillonDlg(CWnd *parent = nullptr);
    ~CQuillonDlg() override;

    // The options as the menus show them and the settings store them.
    bool RetainsSelection() const { return settings.retainSelection; }
    bool OutputToWord() const { return output.ToWord(); }
    bool WordAvailable() const { return output.WordAvailable(); }
    // The entry's purity, excess and scaling, as the weighing dialog left them.
    const BatchSettings &BatchValues() const { return batchValues; }
    // The parser that reads formulas against the element table loaded from ATOMS.LST.
    const CFormulaParser &Parser() const { return formulaParser; }
    // True once the user closes the application with Exit or the Close command.
    bool Closing() const override;
    // The lab's shelf the rows take bottles from (the Shelf File setting).
    CLabShelf &LabShelf() { return shelf; }
    // Row rowNumber (1..30) takes bottle's purity and form and names it; a
    // row holding another formula takes the bottle's formula first. Values of
    // the row's own that differ are replaced only when the user says Yes.
    // True when the row holds the bottle's values.
    bool TakeBottleIntoRow(int rowNumber, const Bottle &bottle);

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG *msg) override;
    void OnCancel() override;

    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(m_hIcon); }
    void OnDestroy();
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnGetMinMaxInfo(WPARAM, LPARAM lParam);
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnReleaseButtons(WPARAM, LPARAM);
    LRESULT OnEntryEdited(WPARAM, LPARAM);
    void OnInitMenu(HMENU menu);
    LRESULT OnDeferredInit(WPARAM, LPARAM);
    LRESULT OnEditorSignal(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    // FieldOwner: what the entry fields ask of the dialog (and Closing above).
    CString ProductProblem(const char *formula) const override;

    // Calculate, "?" in the list, Clear and the smaller dialogs.
    void OnCalculate();
    void OnAutoRatio();
    void OnClear();
    void OnWeighing();
    void OnSeries();
    // What the weighing is scaled to beside the amount, which is disabled
    // while the weighing does not use it.
    void ShowScaling();
    void OnSaveFile();
    void OnOpenFile();
    // The shelf: chosen under Options (or none), its read's message shown once;
    // a formula stored into a row takes its bottle (the user choosing among
    // several); an opened file's bottles whose values the shelf has changed
    // since are named, and their values taken if the user says so.
    void LoadShelf(const CString &path);
    void OnShelfFile();
    void OnShelf();  // Options > Shelf...: the Shelf window, and a bottle it puts into a row
    void OnFormulaCommitted();
    void OfferShelfChanges();

    // The entry as the fields and the list hold it (the series formula in
    // place of the empty product field), and an entry shown in them.
    Entry ReadEntry();
    void ShowEntry(const Entry &entry);
    CString ProductFieldText();
    // Every command and every input may change the entry: the title's mark
    // follows it.
    void UpdateTitle();
    // Before the entry is dropped (closing, New, Open): true to go on.
    bool ConfirmDiscard();

    // The calculation's inputs and outputs: the entry as Calculate takes it
    // (the sheet's mmol and gases from the options) and the options; the
    // element selection dialog for start.unknowns unknowns (true when the
    // ratios were asked for; the selection, and the Retain setting when
    // offered, as the user left them); the rows an outcome leaves written
    // back into the list; its messages shown in order.
    Entry CalculationEntry();
    CalcOptions CalculationOptions() const;
    bool ChooseElements(const CalcStart &start, bool retainOffered);
    void ShowRows(const Entry &entry);
    void ShowMessages(const std::vector<CalcMessage> &messages);

    // Composition series: the series formula kept apart from the product
    // field (which cannot show it, and is then empty and disabled), every
    // member calculated as Calculate would with the member's formula.
    void KeepSeriesFormula(const CString &formula);
    bool CalculateTypedSeries(const SeriesTexts &typed, SeriesResult *series, int *wrongField);
    bool ShowSeriesSheet(const SeriesTexts &typed, bool checkOnly, int *wrongField);
    void ExportSeriesCsv();

    CEntryFile entryFile;
    CReportOutput output;
    CLabRecord record;
    CWindowLayout layout;
    CAppHelp help;
    AppSettings settings;  // the options as the menus show them; written whole at the end
    CLabShelf shelf{[this](const char *formula) { return formulaParser.Check(formula) == 0; }};

    CElementTable elementTable;  // loaded from ATOMS.LST in OnInitDialog
    CFormulaParser formulaParser{elementTable};
    // The elements the automatic ratios balance: the metals after loading,
    // then what the selection dialog leaves, back to the metals after each
    // report unless the Retain setting keeps it.
    ElementSelection elementSelection;
    BatchSettings batchValues;  // the entry's purity, excess and scaling
    CString seriesFormula;      // a series entry's formula, empty for a single product
    CString seriesValues;       // the values of x of a composition series, kept with the entry
    CString moduleDir;          // the program's folder, ending in '\'
    bool closing = false;
    bool entryCheckPosted = false;  // WM_ENTRY_EDITED is on its way

    HICON m_hIcon;
    HACCEL accelerators = nullptr;  // Ctrl+N, Ctrl+O, Ctrl+S and F1
    CProductField productField{*this};
    CNumberField ratioField{*this, "Wrong ratio value for the product!"};
    CNumberField amountField{*this, "Wrong value for amount!"};
    std::unique_ptr<VexilInit> vexilInit;
    std::unique_ptr<LedraInit> ledraInit;
    std::unique_ptr<CFont> digitFont;
    std::unique_ptr<CFont> letterFont;
};

#endif
