// Tests of the test bed itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "qwintest.h"

namespace {

using qwintest::BoxIcon;

// Wrong checksums make every saved PNG unreadable.
TEST(PngTest, ChecksumsMatchTheirPublishedCheckValuesAlsoInPieces) {
    const uint8_t digits[] = "123456789", word[] = "Wikipedia";
    EXPECT_EQ(0xCBF43926u, qwintest::Crc32(digits + 4, 5, qwintest::Crc32(digits, 4)));
    EXPECT_EQ(0x11E60398u, qwintest::Adler32(word + 3, 6, qwintest::Adler32(word, 3)));
}

// Misread boxes, wrong fallback answers, outer watchers seeing inner boxes, hosts taken for boxes.
TEST(MessageBoxWatcherTest, RecordsAndAnswersBoxesAndLeavesOtherDialogsAlone) {
    qwintest::MessageBoxWatcher outer(IDNO);
    qwintest::TestHost host;
    EXPECT_EQ(IDNO, ::MessageBoxA(nullptr, "line 1\nline 2", "Quillon", MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(IDOK, ::MessageBoxA(nullptr, "", "", MB_OK | MB_ICONHAND));  // no No button: OK
    {
        qwintest::MessageBoxWatcher inner(IDRETRY);
        EXPECT_EQ(IDRETRY, ::MessageBoxA(nullptr, "inner", "Cap", MB_RETRYCANCEL));
        EXPECT_EQ(1u, inner.Count());
    }
    ASSERT_EQ(2u, outer.Count());
    EXPECT_EQ("line 1\nline 2", outer[0].text);
    EXPECT_EQ("Quillon", outer[0].caption);
    EXPECT_EQ(BoxIcon::Question, outer[0].icon);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), outer[0].buttons);
    EXPECT_EQ(BoxIcon::Hand, outer[1].icon);
    EXPECT_TRUE(::IsWindowVisible(host.hwnd()));
}

// Boxes with tabs and line ends must survive the trip from the child's log.
TEST(ChildProcessTest, ReportsExitCodeBoxesAndOutput) {
    qwintest::ChildResult child = qwintest::RunInChild(
        [] {
            std::printf("about to fail\n");
            ::MessageBoxA(nullptr, "first\ttabbed\nline", "One", MB_OK | MB_ICONHAND);
            ::MessageBoxA(nullptr, "second", "Two", MB_YESNO);
            std::exit(3);
        },
        IDYES);
    ASSERT_TRUE(child.started);
    EXPECT_EQ(3u, child.exitCode);
    ASSERT_EQ(2u, child.boxes.size()) << child.output;
    EXPECT_EQ("first\ttabbed\nline", child.boxes[0].text);
    EXPECT_EQ("One", child.boxes[0].caption);
    EXPECT_EQ(BoxIcon::Hand, child.boxes[0].icon);
    EXPECT_EQ(IDYES, child.boxes[1].answer);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), child.boxes[1].buttons);
    EXPECT_NE(std::string::npos, child.output.find("about to fail"));
}

// Capture at the wrong origin or size.
TEST(PixelTest, CaptureClientReadsTheHostsClientArea) {
    qwintest::TestHost host(240, 100);  // over 64 KiB of PNG rows: two deflate blocks
    host.CreateChild("STATIC", "", SS_BLACKRECT, 30, 20, 40, 30, 2);
    qwintest::Bitmap32 shot = qwintest::CaptureClient(host);
    ASSERT_EQ(240, shot.Width());
    ASSERT_EQ(100, shot.Height());
    COLORREF frame = shot.At(50, 35);  // the rectangle's colour, whichever the system uses
    EXPECT_EQ(40 * 30, shot.CountColor(frame));
    EXPECT_EQ(frame, shot.At(30, 20));
    EXPECT_EQ(frame, shot.At(69, 49));
    EXPECT_NE(frame, shot.At(29, 20));
    EXPECT_EQ(CLR_INVALID, shot.At(240, 0));
    shot.SavePng(qwintest::ArtifactPath("qwintest-host.png"));
}

}  // namespace
