// Each module's AfxMessageBox as the message box watcher sees it, and the faces the program's fonts are drawn
// with.
#include <gtest/gtest.h>

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

}  // namespace

// packaging/fonts.reg (imported by the Linux launcher and into the test prefix) maps the faces the program
// asks for to metric-compatible ones; a wrong line draws the program in another face. Wine reports the asked
// name in the metrics, so the test reads the real font file's own name table.
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
