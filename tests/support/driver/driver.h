// qdriver: drives the real Quillon.exe from another process the way a person
// does: started in a folder of the test's own, given input through the
// system's input queue, its boxes and dialogs answered, its window texts and
// list rows (from its memory) read.
#ifndef QUILLON_TESTS_SUPPORT_DRIVER_DRIVER_H
#define QUILLON_TESTS_SUPPORT_DRIVER_DRIVER_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/files.h"
#include "tests/support/harness/qwintest.h"

namespace qdriver {

// The top-level windows of process pid, topmost first: the visible ones,
// or every one when all.
std::vector<HWND> TopLevelWindows(DWORD pid, bool all = false);

// A fresh folder <bin>\..\e2e\<name> with copies of the files named from
// the bin folder (Quillon.exe, VEXIL.DLL, LEDRA.DLL, ATOMS.LST by default).
std::string MakeFolder(const std::string &name,
                       const std::vector<std::string> &files = {"Quillon.exe", "VEXIL.DLL", "LEDRA.DLL",
                                                                "ATOMS.LST"});
std::string WithoutCR(std::string text);
// The files of folder that match pattern (names only).
std::vector<std::string> FilesIn(const std::string &folder, const std::string &pattern);
using qwintest::BoxIcon;
using qwintest::ClipboardText;
using qwintest::FileNameField;

struct Box : qwintest::ObservedBox {
    HWND hwnd = nullptr;
};

class Quillon {
public:
    Quillon() = default;
    ~Quillon();  // ends a program still running
    Quillon(const Quillon &) = delete;

    // Starts folder\Quillon.exe with folder as its current directory, as a
    // first run (its settings removed) unless keepSettings.
    bool Start(const std::string &folder, bool keepSettings = false);
    // The main dialog once its deferred initialisation has run, else nullptr.
    HWND WaitReady(DWORD timeoutMs = 20000, DWORD pollMs = 20);
    HWND Main() const { return main_; }
    HWND Item(int id) const { return ::GetDlgItem(main_, id); }
    HANDLE Process() const { return info_.hProcess; }

    void Sync();  // lets the program process what was sent to it
    // A visible top-level window of the program that match accepts, or nullptr.
    HWND WaitWindow(const std::function<bool(HWND)> &match, DWORD timeoutMs = 10000, DWORD pollMs = 20);
    // A top-level dialog of the program with this caption, or nullptr.
    HWND WaitDialog(const char *caption, DWORD timeoutMs = 10000);
    // A message box of the program, or one with hwnd nullptr after timeoutMs.
    Box WaitBox(DWORD timeoutMs = 10000);
    // Presses the box's button (IDOK, IDYES, ...) and waits until it is gone.
    void Answer(const Box &box, int button = IDOK);
    // Waits for the program to end; its exit code, or -1 after timeoutMs.
    long WaitExit(DWORD timeoutMs = 20000);
    long Exit(UINT command);  // Command, then WaitExit
    bool Running() const;

    // Input through the system's queue, to the program's foreground window.
    void Click(HWND window, int x, int y);  // client coordinates
    void ClickCenter(HWND window);
    void Key(UINT vk, unsigned modifiers = 0);
    void Type(const std::string &text);
    // Clicks into a field, selects its text, types text and leaves with Tab.
    void Fill(int id, const std::string &text, bool leave = true) { Fill(Item(id), text, leave); }
    void Fill(HWND field, const std::string &text, bool leave = true);
    void Command(UINT id);  // posted to the main window
    // Types path into the program's next Open or Save As dialog and presses
    // its button; the name the dialog proposed, empty when none appeared.
    std::string AnswerFileDialog(const std::string &path);
    // A command that asks for a file, answered with path.
    std::string FileCommand(UINT id, const std::string &path) {
        Command(id);
        return AnswerFileDialog(path);
    }

    // A window's text, read by message (also for the VEXIL control).
    static std::string TextOf(HWND window);
    std::string Text(int id) const { return TextOf(Item(id)); }
    // A window's text once it reads expected, or as it stands after 3 s: typed
    // characters reach a field as posted WM_CHAR messages (after Sync), the
    // title follows the entry within a quarter second. Main() by default.
    std::string Settled(const std::string &expected, HWND window = nullptr) const;
    HWND Focus() const;  // the program's focus window

    // One row of the list, read from the program's memory.
    struct Row {
        int fixed = 0;
        std::string formula;
        double ratio = 0.0;
    };
    Row ReadRow(int index);
    // Clicks a cell of the list: column 0 the Fixed mark, 1 the formula, 2 the ratio.
    void ClickCell(int row, int column);
    // Enters a row as a person does: click the formula cell, type, then the
    // ratio cell when ratio is not empty; fixedClick toggles the mark.
    // Enter commits a cell and opens the next one (formula, ratio, next formula).
    void EnterRow(int index, const std::string &formula, const std::string &ratio = "", bool fixedClick = false);

    qwintest::Bitmap32 Capture(HWND window);  // as on screen

private:
    void Foreground();
    PROCESS_INFORMATION info_ = {};
    HWND main_ = nullptr;
};

// Expects a message box of the program now with this text and icon
// (caption "Quillon"), and answers it.
void ExpectBox(Quillon &quillon, const std::string &text, BoxIcon icon, int answer = IDOK);
// Sets a window's text by message (also across processes).
void SetText(HWND window, const std::string &text);
bool Checked(HWND button);
void SetCheck(HWND button, bool checked);
// Posts a button's click to a dialog of the program and waits until the
// dialog is gone or disabled (under a message box).
void PressAndWait(Quillon &quillon, HWND dialog, int id);

// The list's column edges in its client coordinates, from the layout of the
// headers above it (which the main dialog lays over the columns).
struct ListColumns {
    int formulaLeft = 0, ratioLeft = 0, rowHeight = 0;
};
ListColumns ColumnsOf(const Quillon &quillon);

extern const char *const SELECTION_CAPTION;
extern const char *const DISPLAY_CAPTION;

// The fixture of the scenarios: the program started in a fresh folder named
// after the test, ready for input; a message box left open fails the test.
class Session : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void ExpectBox(const std::string &text, BoxIcon icon, int answer = IDOK) {
        qdriver::ExpectBox(quillon, text, icon, answer);
    }
    // Expects "Save changes?" (Yes, No, Cancel) now, and answers it.
    void ExpectSaveQuestion(int answer) { ExpectBox("Save changes?", BoxIcon::Question, answer); }
    void Press(HWND dialog, int id) { quillon.ClickCenter(::GetDlgItem(dialog, id)); }
    void Press(int id) { quillon.ClickCenter(quillon.Item(id)); }
    // Fills sample ID, product and amount, enters the starting materials
    // (Unfixed, or Fixed at the ratio given) and closes the open cell.
    void Enter(const std::string &product, const std::string &amount,
               const std::vector<std::pair<std::string, std::string>> &rows, const std::string &sampleId = "S-17");
    // Types into a row's ratio cell (opened with its text selected) and commits it with Enter.
    void EnterRatio(int row, const std::string &text);
    // Presses Calculate, accepts the element selection when select, and
    // returns the display of the sheet (nullptr, and a failure, when none came).
    HWND Calculate(bool select = true);
    // A dialog opened by a menu command (0: none) with this caption (nullptr, and a failure, when none came).
    HWND OpenDialog(UINT command, const char *caption);
    // Clear, the changed entry dropped.
    void Clear();
    std::vector<std::string> Reports() const { return FilesIn(folder, "*.QL"); }
    // The bytes of the one report file of the folder (a failure when there is not exactly one).
    std::string Report() const;

    std::string folder;
    Quillon quillon;
};

}  // namespace qdriver

#endif
