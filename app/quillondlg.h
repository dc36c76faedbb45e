// The main dialog: sample ID, product formula, ratio and amount, the list
// of starting materials, "Auto-Ratio", Calculate and Clear. It owns the
// formula fonts, the initialisation records of both custom controls and the
// formula parser, and answers the list's callbacks.
#ifndef QUILLON_APP_QUILLONDLG_H
#define QUILLON_APP_QUILLONDLG_H

#include <string>
#include <vector>

#include "quillon/ledra.h"
#include "balancedlg.h"
#include "core/rowstore.h"
#include "core/sheet.h"
#include "printout.h"
#include "seriesdlg.h"
#include "quillon/vexil.h"
#include "framework/afxwin.h"
#include "core/batch.h"
#include "core/calcfile.h"
#include "core/calculation.h"
#include "core/entry.h"
#include "fields.h"
#include "core/elements.h"
#include "core/formula.h"

class CReaction;
struct WeighingSheet;
struct SeriesResult;

// Plain functions for the list's callbacks, the fields and calculation
// files, answered by the main dialog that is running: 1 when its parser
// accepts the formula, else 0; whether the application is closing.
int FormulaCheckCallback(const char *formula);
int AppClosingCallback();

class CQuillonDlg : public CDialog, private FieldOwner {
public:
    explicit CQuillonDlg(CWnd *parent = nullptr);
    ~CQuillonDlg() override;

    // The options as the menus show them and the settings store them.
    bool OutputToWord() const { return outputToWord != 0; }
    bool WordAvailable() const { return wordAvailable != 0; }
    bool ShowsDifferential() const { return showDifferential != 0; }
    bool ResetsSelectionAfterCalc() const { return resetSelectionAfterCalc != 0; }
    bool ShowsMmol() const { return showMmol != 0; }
    bool ShowsGases() const { return showGases != 0; }
    // The entry's purity, excess and scaling, as the weighing dialog left them.
    const BatchSettings &BatchValues() const { return batchValues; }
    // The parser that reads formulas against the element table loaded from ATOMS.LST.
    const CFormulaParser &Parser() const { return formulaParser; }
    // True once the user closes the application with Exit or the Close command.
    bool Closing() const override;

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(m_hIcon); }
    void OnCalculate();
    void OnClear();
    void OnWeighing();
    void OnDestroy();
    void OnCancel() override;
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnGetMinMaxInfo(WPARAM, LPARAM lParam);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnReleaseButtons(WPARAM, LPARAM);
    void OnInitMenu(HMENU menu);
    LRESULT OnDeferredInit(WPARAM, LPARAM);
    LRESULT OnEditorSignal(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

    // The calculation's inputs and outputs: the product field's text; the
    // entry as Calculate takes it (the sheet's mmol and gases from the
    // options) and the options; the element selection dialog for
    // start.unknowns unknowns (true when the ratios were asked for; the
    // selection, and the Retain setting when offered, as the user left
    // them); the rows an outcome leaves written back into the list; its
    // messages shown in order.
    CString ProductFormula();
    Entry CalculationEntry();
    CalcOptions CalculationOptions(bool autoRatio) const;
    bool ChooseElements(const CalcStart &start, bool retainOffered);
    void ShowRows(const Entry &entry);
    void ShowMessages(const std::vector<CalcMessage> &messages);

private:
    // FieldOwner: what the entry fields ask of the dialog (and Closing above).
    CString ProductProblem(const char *formula) const override;

    void OnAutoRatio();

    // The output (quillonreport.cpp): the default output is the sheet
    // appended to this second's report file, then shown; 1 when the file
    // cannot be opened, else 0. The Word output types the sheet into Word;
    // when Word cannot be reached, the default output instead and
    // outputToWord switched to 0. DeleteOldReports offers to delete the
    // report files of earlier runs and answers the number deleted.
    void WriteSheet(const CalcOutcome &outcome);
    int WriteDefaultReport(const WeighingSheet &sheet);
    int WriteWordReport(const WeighingSheet &sheet);
    int ShowReportText(const char *text, size_t length);
    int DeleteOldReports();

    // Calculation files (quillonfiles.cpp): the menu commands Save... and
    // Open.... Save: true once the entry is in a file. Open reads the whole
    // file first and changes nothing unless every line reads.
    bool OnSaveFile();
    void OnOpenFile();
    CString FileDialogFilter() const;

    // The entry since it was last saved, opened, cleared or started: the
    // question before it is dropped (true: go on; Yes saves first, and a
    // save that does not happen, or Cancel, answers false), the title bar.
    bool EntryChanged();
    bool ConfirmDiscard();
    void EntryKept(const char *path);  // the entry now counts as unchanged; path names it, or nullptr
    void UpdateTitle();
    void ReadEntry(Entry &entry);
    void ShowEntry(const Entry &entry);

    // The settings: read in OnInitDialog, written in OnDestroy
    // (quillonfiles.cpp, with help and the About box).
    void ReadSettings();
    void WriteSettings();
    void OnHelpContents();
    void OnAbout();

    // The lab record (quillonprint.cpp): the outcome of the last report is
    // kept with the entry it came from; Print..., Export CSV... and Weighed
    // Masses... use its sheet while the entry is unchanged. The operator and
    // the balance are settings read and written with the others.
    void KeepSheet(const CalcOutcome &outcome);
    bool SheetCurrent();
    void OnPrint();
    void OnExportCsv();
    void OnBalanceSettings();
    void ReadPrintSettings();
    void WritePrintSettings();
    CalcOutcome kept;  // the last report's outcome: its reaction and its sheet
    Entry sheetEntry;
    bool sheetKept = false;
    BalanceTexts balance;
    CSheetPrinter printer;

    // Composition series (quillonseries.cpp): the Series dialog, the series
    // formula kept apart from the product field (which cannot show it, and
    // is then empty and disabled), every member calculated as Calculate
    // would with the member's formula.
    void OnSeries();
    bool RunSeries(const SeriesTexts &typed, bool checkOnly, int *wrongField);
    void KeepSeriesFormula(const CString &formula);
    bool CalculateSeries(const SeriesTexts &typed, SeriesResult *series, int *wrongField);
    void ExportSeriesCsv();
    void ExportCsvText(const CString &proposedName, const std::string &csv);
    CString seriesFormula;
    // The Weighed Masses dialog on the entry's current sheet.
    void OnWeighedMasses();

    // A control's window rectangle in this dialog's client coordinates.
    CRect GetControlRectInParent(int id) const;
    void LayOutOverColumns();
    CElementTable elementTable;             // loaded from ATOMS.LST in OnInitDialog
    CFormulaParser formulaParser{elementTable};
    // The elements the automatic ratios balance: the metals after loading,
    // then what the selection dialog leaves, back to the metals after each
    // report when resetSelectionAfterCalc says so.
    ElementSelection elementSelection;
    bool closing = false;

    // Enlarging the window: the list takes the extra height, the controls
    // below it move down with the bottom edge.
    void RecordLayout();
    void ApplyStoredHeight();

    HICON m_hIcon;
    int showDifferential = 1;
    int showMmol = 0;   // the sheet's mmol column and the product's mmol
    int showGases = 0;  // the sheet's released gases and mass loss
    BatchSettings batchValues;   // the entry's purity, excess and scaling
    int resetSelectionAfterCalc = 1;
    int outputToWord = 0;
    int wordAvailable = 0;
    CLSID wordClsid = {};
    CString wordDocumentName;
    CString fileExtension;
    CString fileFilter;
    CString moduleDir;
    CString reportExtension;
    CString reportFontFace;
    CString formulaFontFace;
    CProductField *productField = nullptr;
    CNumberField *ratioField = nullptr;
    CNumberField *amountField = nullptr;
    VexilInit *vexilInit = nullptr;
    LedraInit *ledraInit = nullptr;
    CFont *digitFont = nullptr;
    CFont *letterFont = nullptr;
    int elementCount = 0;  // elements loaded from ATOMS.LST

    Entry keptEntry;        // as last saved, opened, cleared or started
    CString seriesValues;   // the values of x of a composition series, kept with the entry
    CString entryName;      // the file's name, empty for a new entry
    bool entryReady = false;  // the controls are initialised and the entry kept once

    int baseWidth = 0, baseHeight = 0;  // the window at its template size, the smallest it gets
    int baseClientHeight = 0, baseListHeight = 0;
    std::vector<std::pair<HWND, int>> belowList;  // controls under the list, with their template tops
    int storedHeight = 0;  // "Window Height" as read from the settings
};

#endif
