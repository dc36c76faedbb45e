// The list's library, initialisation and row messages, driven as the main
// dialog drives them.
#include <windows.h>

#include <climits>
#include <functional>
#include <string>

#include "ledra_testbed.h"

using ledratest::LedraHost;
using ledratest::LedraTest;

namespace {

// Each broken initialisation contract ends the process with exit code 1 after
// one message box with the library's caption and the exclamation icon.
struct InitFailure {
    const char *text;
    std::function<void(LedraHost &)> breakIt;  // spoils the record or the set-up, then initialises
};

class LedraInitFailure : public ::testing::TestWithParam<InitFailure> {};

TEST_P(LedraInitFailure, ShowsTheMessageAndEndsTheProcess) {
    qwintest::ChildResult r = qwintest::RunInChild([] {
        if (ledratest::LoadLedra() == nullptr) ::ExitProcess(3);
        LedraHost host;
        host.FillRecord();
        GetParam().breakIt(host);
        ::ExitProcess(5);  // not reached
    });
    EXPECT_EQ(1u, r.exitCode) << r.output;
    ASSERT_EQ(1u, r.boxes.size()) << r.output;
    EXPECT_EQ(GetParam().text, r.boxes[0].text);
    EXPECT_EQ("LEDRA", r.boxes[0].caption);
    EXPECT_EQ(qwintest::BoxIcon::Exclamation, r.boxes[0].icon);
}

int Reject(const char *) { return 0; }
int Closing() { return 1; }

INSTANTIATE_TEST_SUITE_P(
    Ledra, LedraInitFailure,
    ::testing::Values(
        InitFailure{"NULL parameter passed to Initialization.",
                    [](LedraHost &h) { ::SendMessageA(h.list, LDM_INITIALIZE, 0, reinterpret_cast<LPARAM>(&h.init)); }},
        InitFailure{"Initialization attempt by non-parent.",
                    [](LedraHost &h) {
                        CWnd other;
                        other.Attach(h.product);
                        ::SendMessageA(h.list, LDM_INITIALIZE, reinterpret_cast<WPARAM>(&other),
                                       reinterpret_cast<LPARAM>(&h.init));
                    }},
        InitFailure{"Multiple initialization attempt.",
                    [](LedraHost &h) {
                        if (h.Initialise() == 0) h.Initialise();
                    }},
        InitFailure{"Vexil initialization attempt failed.",
                    [](LedraHost &h) {
                        h.init.vexilInit = nullptr;
                        h.Initialise();
                    }},
        InitFailure{"Application closing function pointer is NULL.",
                    [](LedraHost &h) {
                        h.init.isClosing = nullptr;
                        h.Initialise();
                    }},
        InitFailure{"Application closing indicator has wrong value.",
                    [](LedraHost &h) {
                        h.init.isClosing = Closing;
                        h.Initialise();
                    }},
        InitFailure{"Formula check function pointer is NULL.",
                    [](LedraHost &h) {
                        h.init.formulaCheck = nullptr;
                        h.Initialise();
                    }},
        InitFailure{"Given Formula check function doesn't function properly.",
                    [](LedraHost &h) {
                        h.init.formulaCheck = Reject;
                        h.Initialise();
                    }},
        // Without the VEXIL class the list cannot make its formula editor.
        InitFailure{"Failed to subclass VEXIL in Ledra.DLL.", [](LedraHost &h) {
                        ::DestroyWindow(h.dialog);  // no VEXIL window may be left
                        ::UnregisterClassA(VEXIL_CLASS_NAME, ::GetModuleHandleA("VEXIL.DLL"));
                        qwintest::TestHost plain;
                        plain.CreateChild(LEDRA_CLASS_NAME, "", WS_BORDER | WS_VSCROLL, 0, 0, 300, 200, 1005);
                    }}));

// Without VEXIL.DLL the library refuses to load and registers no class. The
// child is a copy of this program in a folder holding LEDRA.DLL alone.
TEST(LedraLibrary, LoadFailsWithoutVexil) {
    char self[MAX_PATH];
    ::GetModuleFileNameA(nullptr, self, sizeof self);
    std::string bin(self);
    bin.erase(bin.find_last_of("\\/") + 1);
    std::string folder = qwintest::ArtifactPath("no-vexil");
    ::CreateDirectoryA(folder.c_str(), nullptr);
    std::string copy = folder + "\\ledra_tests.exe";
    ASSERT_TRUE(::CopyFileA(self, copy.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileA((bin + "LEDRA.DLL").c_str(), (folder + "\\LEDRA.DLL").c_str(), FALSE));
    qwintest::ChildResult r = qwintest::RunInChild(
        [] {
            char exe[MAX_PATH];
            std::string here(exe, ::GetModuleFileNameA(nullptr, exe, sizeof exe));
            ::SetCurrentDirectoryA(here.substr(0, here.find_last_of("\\/")).c_str());
            HMODULE ledra = ::LoadLibraryA("LEDRA.DLL");
            WNDCLASSA wc;
            ::ExitProcess(ledra == nullptr && !::GetClassInfoA(nullptr, LEDRA_CLASS_NAME, &wc) ? 0 : 7);
        },
        IDOK, 60000, copy);
    EXPECT_EQ(0u, r.exitCode) << r.output;
    ASSERT_EQ(1u, r.boxes.size()) << r.output;
    EXPECT_EQ("Failed to load VEXIL.DLL.", r.boxes[0].text);
    EXPECT_EQ(qwintest::BoxIcon::Exclamation, r.boxes[0].icon);
}

// Initialisation writes the dividers back in window coordinates, fits the
// height to whole rows and asks each callback once.
TEST_F(LedraTest, InitialisationLaysOutTheColumnsAndRows) {
    RECT client;
    ::GetClientRect(list, &client);
    EXPECT_EQ(0, client.bottom % rowHeight);
    EXPECT_EQ(visibleRows * rowHeight, client.bottom);
    EXPECT_GE(visibleRows, 5);
    HDC dc = ::GetDC(list);
    HGDIOBJ old = ::SelectObject(dc, host.init.font);
    TEXTMETRICA metrics;
    ::GetTextMetricsA(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(list, dc);
    EXPECT_EQ(3 * metrics.tmMaxCharWidth, formulaLeft);
    EXPECT_EQ(client.right - 8 * metrics.tmMaxCharWidth, ratioLeft);
    EXPECT_GT(host.init.formulaLeft, formulaLeft) << "the border is added";
    EXPECT_EQ(1, ledratest::Calls().checks);
    EXPECT_EQ("H2.1(Re3Os7.8)(PtAu)3.4", ledratest::Calls().lastChecked);
    EXPECT_EQ(1, ledratest::Calls().closingQueries);
    int minimum = -1, maximum = -1;
    ::GetScrollRange(list, SB_VERT, &minimum, &maximum);
    EXPECT_EQ(30 - visibleRows, maximum);
    EXPECT_EQ(30, Send(LDM_GETCAPACITY));
    EXPECT_EQ(DLGC_WANTARROWS, Send(WM_GETDLGCODE));
}

// Row messages answer for rows 0..29 only; other indexes touch nothing.
TEST_F(LedraTest, RowMessagesStayWithinTheRows) {
    SetRow(29, "CuO", 3.0, 1);
    EXPECT_EQ("CuO", Formula(29));
    EXPECT_EQ(3.0, Ratio(29));
    EXPECT_EQ(1, Fixed(29));
    CString text("BaO");
    double ratio = 2.0;
    for (WPARAM index : {WPARAM(30), WPARAM(-1), WPARAM(UINT_MAX), WPARAM(INT_MIN)}) {
        SCOPED_TRACE(index);
        for (UINT message : {LDM_GETFORMULA, LDM_GETRATIO, LDM_GETROW}) EXPECT_EQ(0, Send(message, index));
        EXPECT_EQ(0, Send(LDM_SETFORMULA, index, reinterpret_cast<LPARAM>(&text)));
        EXPECT_EQ(0, Send(LDM_SETRATIO, index, reinterpret_cast<LPARAM>(&ratio)));
        EXPECT_EQ(0, Send(LDM_SETFIXED, index, 1));
    }
    EXPECT_EQ(1, Send(LDM_SETRATIO, 0, reinterpret_cast<LPARAM>(&ratio)));
    EXPECT_EQ(1, Send(LDM_GETROWS, 0, 0)) << "row 29 only";
}

// The messages reach the row store's normalisation and collection (tested on
// their own natively): rows 3 and 7 used come back in order, normalised.
TEST_F(LedraTest, GetRowsNormalisesAndCollects) {
    SetRow(2, "BaCO3", 2.5, 0);
    SetRow(6, "Y2O3", UNDETERMINED_RATIO, 1);
    LedraRow *pointers[2] = {};
    LedraRowList request = {2, -1, pointers};
    EXPECT_EQ(-1, Send(LDM_GETROWS, 0, reinterpret_cast<LPARAM>(&request)));
    EXPECT_EQ(2.5, Ratio(2)) << "no normalisation on -1";
    EXPECT_EQ(2, Send(LDM_GETUNFIXEDCOUNT));
    EXPECT_EQ(1.0, Ratio(2));
    EXPECT_EQ(0, Fixed(6));
    ASSERT_EQ(0, Send(LDM_GETROWS, 2, reinterpret_cast<LPARAM>(&request)));
    EXPECT_EQ(0, request.fixedCount);
    EXPECT_EQ(reinterpret_cast<LedraRow *>(Send(LDM_GETROW, 2)), pointers[0]);
    EXPECT_EQ(reinterpret_cast<LedraRow *>(Send(LDM_GETROW, 6)), pointers[1]);
}

// Before LDM_INITIALIZE the list has no rows, paints nothing and ignores the scroll bar and clicks.
TEST(LedraUninitialised, DoesNothingUntilInitialised) {
    ASSERT_NE(nullptr, ledratest::LoadLedra());
    LedraHost host;
    ::InvalidateRect(host.list, nullptr, TRUE);
    ::UpdateWindow(host.list);
    EXPECT_FALSE(::GetUpdateRect(host.list, nullptr, FALSE)) << "painting validates";
    EXPECT_EQ(0, ::SendMessageA(host.list, LDM_GETROW, 0, 0));
    EXPECT_EQ(0, ::SendMessageA(host.list, LDM_GETCAPACITY, 0, 0));
    int before = ::GetScrollPos(host.list, SB_VERT);
    ::SendMessageA(host.list, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(before, ::GetScrollPos(host.list, SB_VERT));
    ::SendMessageA(host.list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 5));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(host.list, 101)));
}

}  // namespace
