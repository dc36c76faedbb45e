// The list's library, initialisation and row messages, driven as the main dialog drives them.
#include <windows.h>

#include <climits>
#include <string>

#include "tests/support/testbed/controls.h"

using testbed::LedraHost;
using testbed::LedraTest;

namespace {

// Each broken initialisation contract ends the process with exit code 1 after one message box with the library's
// caption and the exclamation icon.
struct InitFailure {
    const char *text;
    void (*breakIt)(LedraHost &);  // spoils the record or the set-up; LDM_INITIALIZE follows
};

class LedraInitFailure : public ::testing::TestWithParam<InitFailure> {};

TEST_P(LedraInitFailure, ShowsTheMessageAndEndsTheProcess) {
    qwintest::ChildResult r = qwintest::RunInChild([] {
        if (testbed::LoadLedra() == nullptr) ::ExitProcess(3);
        LedraHost host;
        host.FillRecord();
        GetParam().breakIt(host);
        host.Initialise();
        ::ExitProcess(5);  // not reached
    });
    EXPECT_EQ(1u, r.exitCode) << r.output;
    ASSERT_EQ(1u, r.boxes.size()) << r.output;
    EXPECT_EQ(GetParam().text, r.boxes[0].text);
    EXPECT_TRUE(r.boxes[0].caption == "LEDRA" && r.boxes[0].icon == qwintest::BoxIcon::Exclamation) << r.boxes[0].caption;
}

int Reject(const char *) { return 0; }
int Closing() { return 1; }

INSTANTIATE_TEST_SUITE_P(
    Ledra, LedraInitFailure,
    ::testing::Values(
        InitFailure{"NULL parameter passed to Initialization.", [](LedraHost &h) { h.init.parent = nullptr; }},
        InitFailure{"NULL parameter passed to Initialization.",
                    [](LedraHost &h) { ::SendMessageA(h.list, LDM_INITIALIZE, 0, 0); }},
        InitFailure{"Initialization attempt by non-parent.", [](LedraHost &h) { h.init.parent = h.product; }},
        InitFailure{"Multiple initialization attempt.", [](LedraHost &h) { h.Initialise(); }},
        InitFailure{"Vexil initialization attempt failed.", [](LedraHost &h) { h.init.vexilInit = nullptr; }},
        InitFailure{"Application closing function pointer is NULL.", [](LedraHost &h) { h.init.isClosing = nullptr; }},
        InitFailure{"Application closing indicator has wrong value.", [](LedraHost &h) { h.init.isClosing = Closing; }},
        InitFailure{"Formula check function pointer is NULL.", [](LedraHost &h) { h.init.formulaCheck = nullptr; }},
        InitFailure{"Given Formula check function doesn't function properly.",
                    [](LedraHost &h) { h.init.formulaCheck = Reject; }},
        // Without the VEXIL class the list cannot make its formula editor.
        InitFailure{"Failed to subclass VEXIL in Ledra.DLL.", [](LedraHost &h) {
                        ::DestroyWindow(h.dialog);  // no VEXIL window may be left
                        ::UnregisterClassA(VEXIL_CLASS_NAME, ::GetModuleHandleA("VEXIL.DLL"));
                        qwintest::TestHost plain;
                        plain.CreateChild(LEDRA_CLASS_NAME, "", WS_BORDER | WS_VSCROLL, 0, 0, 300, 200, 1005);
                    }}));

// Without VEXIL.DLL the library loads and registers its class, showing nothing, but no list window can be made: its
// creation says so and fails. The child is a copy of this program in a folder holding LEDRA.DLL alone.
TEST(LedraLibrary, NoListWithoutVexil) {
    std::string folder = qwintest::ArtifactPath("no-vexil");
    ::CreateDirectoryA(folder.c_str(), nullptr);
    std::string copy = folder + "\\ledra_tests.exe";
    ASSERT_TRUE(::CopyFileA(qwintest::ProgramPath().c_str(), copy.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileA((qwintest::ProgramFolder() + "LEDRA.DLL").c_str(), (folder + "\\LEDRA.DLL").c_str(), FALSE));
    qwintest::ChildResult r = qwintest::RunInChild(
        [] {
            ::SetCurrentDirectoryA(qwintest::ProgramFolder().c_str());
            HMODULE ledra = ::LoadLibraryA("LEDRA.DLL");
            WNDCLASSA wc;
            if (ledra == nullptr || !::GetClassInfoA(nullptr, LEDRA_CLASS_NAME, &wc)) ::ExitProcess(6);
            HWND list = ::CreateWindowExA(0, LEDRA_CLASS_NAME, "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                          nullptr, nullptr);
            ::ExitProcess(list == nullptr ? 0 : 7);
        },
        copy);
    EXPECT_EQ(0u, r.exitCode) << r.output;
    ASSERT_EQ(1u, r.boxes.size()) << r.output;
    EXPECT_EQ("Failed to load VEXIL.DLL.", r.boxes[0].text);  // captioned as ShowsTheMessageAndEndsTheProcess's
}

// Row messages answer for rows 0..29 only; other indexes touch nothing. Before LDM_INITIALIZE there are no rows at
// all, nothing is drawn and clicks and the scroll bar do nothing. LDM_GETROWS hands out the store's own rows (the
// store's normalisation is tested natively).
TEST_F(LedraTest, RowMessagesStayWithinTheRows) {
    SetRow(29, "CuO", 3.0, 1);
    EXPECT_TRUE(Formula(29) == "CuO" && Ratio(29) == 3.0 && Fixed(29) == 1);
    CString text("BaO");
    double ratio = 2.0;
    for (WPARAM index : {WPARAM(30), WPARAM(-1), WPARAM(UINT_MAX), WPARAM(INT_MIN)}) {
        SCOPED_TRACE(index);
        for (UINT message : {LDM_GETFORMULA, LDM_GETRATIO, LDM_GETROW}) EXPECT_EQ(0, Send(message, index));
        EXPECT_EQ(0, Send(LDM_SETFORMULA, index, reinterpret_cast<LPARAM>(&text)));
        EXPECT_EQ(0, Send(LDM_SETRATIO, index, reinterpret_cast<LPARAM>(&ratio)));
        EXPECT_EQ(0, Send(LDM_SETFIXED, index, 1));
    }
    SetRow(6, "Y2O3", UNDETERMINED_RATIO, 1);
    LedraRow *pointers[2] = {};
    LedraRowList request = {2, -1, pointers};
    ASSERT_EQ(0, Send(LDM_GETROWS, 2, reinterpret_cast<LPARAM>(&request)));
    EXPECT_EQ(reinterpret_cast<LedraRow *>(Send(LDM_GETROW, 6)), pointers[0]);
    EXPECT_EQ(reinterpret_cast<LedraRow *>(Send(LDM_GETROW, 29)), pointers[1]);
    EXPECT_EQ(1, Send(LDM_GETUNFIXEDCOUNT));

    LedraHost bare;
    ::InvalidateRect(bare.list, nullptr, TRUE);
    ::UpdateWindow(bare.list);
    EXPECT_FALSE(::GetUpdateRect(bare.list, nullptr, FALSE)) << "painting validates";
    EXPECT_EQ(0, ::SendMessageA(bare.list, LDM_GETROW, 0, 0));
    EXPECT_EQ(0, ::SendMessageA(bare.list, LDM_GETCAPACITY, 0, 0));
    EXPECT_EQ(-1, ::SendMessageA(bare.list, LDM_GETCURRENTROW, 0, 0));
    ::SendMessageA(bare.list, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(0, ::GetScrollPos(bare.list, SB_VERT));
    ::SendMessageA(bare.list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 5));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(bare.list, 101)));
}

}  // namespace
