// CWinApp and the modules: each module's AfxMessageBox as the message box watcher sees it, the profile functions
// (settings in the registry; CFileDialog and the subkey named after the program are tested through the main
// dialog, tests/win/dialogfiles), and the faces the program's fonts are drawn with.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <string>

#include "framework/afxwin.h"
#include "tests/support/peer/peer.h"
#include "tests/support/harness/qwintest.h"

namespace {

// A wrong caption (the module's base name, or the DLL's own name), default icon or owner.
TEST(AppTest, AfxMessageBoxCaptionIconAndOwnerPerModule) {
    HMODULE peer = ::LoadLibraryA("fwpeer.dll");
    ASSERT_NE(nullptr, peer);
    auto peerBox = PeerExport<PeerMessageBoxFn>(peer, "PeerMessageBox");
    auto peerInstance = PeerExport<PeerInstanceFn>(peer, "PeerInstance");
    ASSERT_TRUE(peerBox && peerInstance);
    EXPECT_EQ(peer, peerInstance());
    EXPECT_EQ(::GetModuleHandleA(nullptr), AfxGetInstanceHandle());

    qwintest::TestHost host;
    qwintest::MessageBoxWatcher boxes(IDYES);
    EXPECT_EQ(IDOK, AfxMessageBox("plain"));
    EXPECT_EQ(IDOK, AfxMessageBox("stop", MB_OK | MB_ICONHAND));
    EXPECT_EQ(IDYES, AfxMessageBox("question", MB_YESNO | MB_ICONQUESTION));
    peerBox("Failed to load VEXIL.DLL.");
    const struct { const char *text, *caption; qwintest::BoxIcon icon; } expected[] = {
        {"plain", "framework_tests", qwintest::BoxIcon::Exclamation}, {"stop", "framework_tests", qwintest::BoxIcon::Hand},
        {"question", "framework_tests", qwintest::BoxIcon::Question},
        {"Failed to load VEXIL.DLL.", PEER_APP_NAME, qwintest::BoxIcon::Exclamation},
    };
    ASSERT_EQ(4u, boxes.Count());
    for (size_t i = 0; i < 4; ++i)  // owned by the active window
        EXPECT_TRUE(boxes[i].text == expected[i].text && boxes[i].caption == expected[i].caption &&
                    boxes[i].icon == expected[i].icon && boxes[i].owner == host.hwnd())
            << expected[i].text << ": " << boxes[i].caption;
}

// What is stored that the reads must not trust: a value of the other type (the default instead), a text without its
// terminating NUL (read whole). (Where the values live and that they last: tests/win/dialogfiles.)
TEST(ProfileTest, ReadsGiveTheDefaultForValuesOfTheOtherKind) {
    const char kTestKey[] = "Quillon Framework Test";
    const std::string root = std::string("Software\\") + kTestKey, section = root + "\\Alembic\\Settings";
    ::SHDeleteKeyA(HKEY_CURRENT_USER, root.c_str());  // left by a run that stopped half-way
    CWinApp app("Alembic");
    EXPECT_FALSE(app.WriteProfileInt("Settings", "Count", 3)) << "stored without a registry key";
    app.SetRegistryKey(kTestKey);
    const DWORD number = 3;
    ASSERT_EQ(ERROR_SUCCESS, ::SHSetValueA(HKEY_CURRENT_USER, section.c_str(), "Number", REG_DWORD, &number, sizeof number));
    ::SHSetValueA(HKEY_CURRENT_USER, section.c_str(), "Text", REG_SZ, "123", 4);  // as long as a number
    ::SHSetValueA(HKEY_CURRENT_USER, section.c_str(), "Bare", REG_SZ, "abc", 3);
    EXPECT_EQ(3u, app.GetProfileInt("Settings", "Number", 7));
    EXPECT_EQ(7u, app.GetProfileInt("Settings", "Text", 7));
    EXPECT_EQ(7u, app.GetProfileInt("Settings", "Missing", 7));
    EXPECT_STREQ("x", app.GetProfileString("Settings", "Number", "x"));
    EXPECT_STREQ("123", app.GetProfileString("Settings", "Text", "x"));
    EXPECT_STREQ("abc", app.GetProfileString("Settings", "Bare"));
    EXPECT_STREQ("", app.GetProfileString("Settings", "Missing"));
    ::SHDeleteKeyA(HKEY_CURRENT_USER, root.c_str());
}

}  // namespace

// packaging/fonts.reg (imported by the Linux launcher and into the test prefix) maps the faces the program asks for
// to metric-compatible ones; a wrong line draws the program in another face. Wine reports the asked name in the
// metrics, so the test reads the real font file's own name table.
TEST(FontTest, PointFontsResolveToTheMappedFaces) {
    struct Case { const char *asked, *family; } cases[] = {
        {"Times New Roman", "Liberation Serif"}, {"Courier New", "Liberation Mono"},
        {"MS Sans Serif", "Liberation Sans"}, {"Arial", "Liberation Sans"},
    };
    const DWORD nameTable = 'n' | 'a' << 8 | 'm' << 16 | 'e' << 24;
    HDC screen = ::GetDC(nullptr);
    for (const Case &c : cases) {
        CFont font;
        ASSERT_TRUE(font.CreatePointFont(140, c.asked));
        HGDIOBJ old = ::SelectObject(screen, font.m_hObject);
        DWORD size = ::GetFontData(screen, nameTable, 0, nullptr, 0);
        ASSERT_NE(GDI_ERROR, size) << c.asked;
        std::string names(size, '\0');
        ::GetFontData(screen, nameTable, 0, &names[0], size);
        ::SelectObject(screen, old);
        std::string wide;  // the family as the name table's UTF-16BE records hold it
        for (const char *p = c.family; *p; ++p) wide += std::string(1, '\0') + *p;
        EXPECT_NE(std::string::npos, names.find(wide)) << c.asked << " is not drawn with " << c.family;
    }
    ::ReleaseDC(nullptr, screen);
}
