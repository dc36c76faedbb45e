// The module's application name and instance, AfxMessageBox as the message
// box watcher sees it, paths that end the process, and WinMain.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "afxwin.h"
#include "peer/peer.h"
#include "qwintest.h"

namespace {

TEST(AppTest, TheApplicationNameIsTheExecutablesBaseNameUntilSet) {
    EXPECT_STREQ("framework_tests", AfxGetAppName());
    AfxSetAppName("Quillon");
    EXPECT_STREQ("Quillon", AfxGetAppName());
    AfxSetAppName(nullptr);
    EXPECT_STREQ("framework_tests", AfxGetAppName());
    EXPECT_EQ(::GetModuleHandleA(nullptr), AfxGetInstanceHandle());
}

TEST(AppTest, AfxMessageBoxCaptionIconAndOwner) {
    qwintest::TestHost host;
    qwintest::MessageBoxWatcher boxes(IDYES);
    EXPECT_EQ(IDOK, AfxMessageBox("plain"));
    EXPECT_EQ(IDOK, AfxMessageBox("stop", MB_OK | MB_ICONHAND));
    EXPECT_EQ(IDYES, AfxMessageBox("question", MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(IDOK, AfxMessageBox("information", MB_ICONINFORMATION));
    ASSERT_EQ(4u, boxes.Count());
    struct Expected {
        const char *text;
        qwintest::BoxIcon icon;
        std::vector<int> buttons;
    } expected[] = {
        {"plain", qwintest::BoxIcon::Exclamation, {IDOK}},
        {"stop", qwintest::BoxIcon::Hand, {IDOK}},
        {"question", qwintest::BoxIcon::Question, {IDYES, IDNO}},
        {"information", qwintest::BoxIcon::Asterisk, {IDOK}},
    };
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i].text, boxes[i].text);
        EXPECT_EQ("framework_tests", boxes[i].caption) << expected[i].text;
        EXPECT_EQ(expected[i].icon, boxes[i].icon) << expected[i].text;
        EXPECT_EQ(expected[i].buttons, boxes[i].buttons) << expected[i].text;
        EXPECT_EQ(host.hwnd(), boxes[i].owner) << expected[i].text;  // the active window
    }
}

TEST(AppTest, CWndMessageBoxIsOwnedByItsWindowWithTheAppNameByDefault) {
    qwintest::TestHost host;
    qwintest::MessageBoxWatcher boxes;
    host.Wnd()->MessageBox("Wrong format for Starting Material!", nullptr, MB_ICONHAND);
    host.Wnd()->MessageBox("text", "Quillon ");
    ASSERT_EQ(2u, boxes.Count());
    EXPECT_EQ("framework_tests", boxes[0].caption);
    EXPECT_EQ(qwintest::BoxIcon::Hand, boxes[0].icon);
    EXPECT_EQ(host.hwnd(), boxes[0].owner);
    EXPECT_EQ("Quillon ", boxes[1].caption);
    EXPECT_EQ(qwintest::BoxIcon::None, boxes[1].icon);  // CWnd::MessageBox adds no icon
}

TEST(AppTest, ADllHasItsOwnInstanceAndApplicationName) {
    HMODULE peer = ::LoadLibraryA("fwpeer.dll");
    ASSERT_NE(nullptr, peer);
    auto showBox = PeerExport<PeerMessageBoxFn>(peer, "PeerMessageBox");
    auto instance = PeerExport<PeerInstanceFn>(peer, "PeerInstance");
    ASSERT_TRUE(showBox && instance);
    EXPECT_EQ(peer, instance());
    qwintest::MessageBoxWatcher boxes;
    showBox("Failed to load VEXIL.DLL.");
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ(PEER_APP_NAME, boxes[0].caption);
    EXPECT_EQ("Failed to load VEXIL.DLL.", boxes[0].text);
    EXPECT_EQ(qwintest::BoxIcon::Exclamation, boxes[0].icon);
}

TEST(AppTest, AMessageThenExitCodeOneIsSeenFromAChildProcess) {
    qwintest::ChildResult child = qwintest::RunInChild([] {
        AfxMessageBox("Multiple initialization attempt.");
        std::exit(1);
    });
    ASSERT_TRUE(child.started);
    EXPECT_FALSE(child.timedOut);
    EXPECT_EQ(1u, child.exitCode);
    ASSERT_EQ(1u, child.boxes.size()) << child.output;
    EXPECT_EQ("Multiple initialization attempt.", child.boxes[0].text);
    EXPECT_EQ("framework_tests", child.boxes[0].caption);
    EXPECT_EQ(qwintest::BoxIcon::Exclamation, child.boxes[0].icon);
}

// Runs fwapp.exe with arguments and returns its exit code.
DWORD RunApp(const std::string &arguments) {
    std::string command = "fwapp.exe " + arguments + " ";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return DWORD(-1);
    DWORD code = DWORD(-2);
    if (::WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) ::GetExitCodeProcess(process.hProcess, &code);
    else ::TerminateProcess(process.hProcess, 0xDEAD);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code;
}

TEST(AppTest, WinMainRunsInitInstanceRunAndExitInstance) {
    EXPECT_EQ(107u, RunApp("run 7"));  // Run ended by WM_QUIT 7
    EXPECT_EQ(100u, RunApp("fail"));   // no Run: no quit code
}

}  // namespace
