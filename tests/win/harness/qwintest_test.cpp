// Tests of the test bed itself: message box watching, child processes,
// keyboard state, pixel capture and the PNG writer, host windows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qwintest.h"

namespace {

using qwintest::BoxIcon;

// ---------------------------------------------------------------------------
// PNG

uint32_t BigEndian(const uint8_t *p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// Decodes what EncodePng writes (RGB, filter 0, stored blocks), checking every
// checksum on the way; returns false on anything unexpected.
bool DecodeStoredPng(const std::vector<uint8_t> &png, qwintest::Bitmap32 &image, int *blocks) {
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 || std::memcmp(png.data(), signature, 8) != 0) return false;
    size_t at = 8;
    int width = 0, height = 0;
    std::vector<uint8_t> zlib;
    bool ended = false;
    while (at + 12 <= png.size() && !ended) {
        uint32_t length = BigEndian(&png[at]);
        if (at + 12 + length > png.size()) return false;
        const uint8_t *type = &png[at + 4];
        const uint8_t *data = type + 4;
        if (qwintest::Crc32(type, 4 + length) != BigEndian(data + length)) return false;
        if (std::memcmp(type, "IHDR", 4) == 0) {
            width = int(BigEndian(data));
            height = int(BigEndian(data + 4));
            if (length != 13 || data[8] != 8 || data[9] != 2 || data[12] != 0) return false;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            zlib.insert(zlib.end(), data, data + length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            ended = true;
        }
        at += 12 + length;
    }
    if (!ended || at != png.size() || zlib.size() < 6 || zlib[0] != 0x78 || (zlib[0] * 256 + zlib[1]) % 31 != 0)
        return false;
    std::vector<uint8_t> raw;
    size_t z = 2;
    *blocks = 0;
    for (bool last = false; !last;) {
        if (z + 5 > zlib.size()) return false;
        last = zlib[z] & 1;
        if ((zlib[z] >> 1) != 0) return false;  // stored blocks only
        size_t length = zlib[z + 1] | zlib[z + 2] << 8;
        size_t check = zlib[z + 3] | zlib[z + 4] << 8;
        if ((length ^ 0xFFFF) != check || z + 5 + length > zlib.size()) return false;
        raw.insert(raw.end(), zlib.begin() + long(z + 5), zlib.begin() + long(z + 5 + length));
        z += 5 + length;
        ++*blocks;
    }
    if (z + 4 != zlib.size() || BigEndian(&zlib[z]) != qwintest::Adler32(raw.data(), raw.size())) return false;
    size_t stride = 1 + 3 * size_t(width);
    if (raw.size() != stride * size_t(height)) return false;
    image = qwintest::Bitmap32(width, height);
    for (int y = 0; y < height; ++y) {
        const uint8_t *row = &raw[size_t(y) * stride];
        if (row[0] != 0) return false;
        for (int x = 0; x < width; ++x) image.Set(x, y, RGB(row[1 + 3 * x], row[2 + 3 * x], row[3 + 3 * x]));
    }
    return true;
}

TEST(PngTest, ChecksumsMatchTheirPublishedCheckValues) {
    const uint8_t digits[] = "123456789";
    EXPECT_EQ(0xCBF43926u, qwintest::Crc32(digits, 9));
    EXPECT_EQ(0xCBF43926u, qwintest::Crc32(digits + 4, 5, qwintest::Crc32(digits, 4)));  // in pieces
    const uint8_t word[] = "Wikipedia";
    EXPECT_EQ(0x11E60398u, qwintest::Adler32(word, 9));
    EXPECT_EQ(0x11E60398u, qwintest::Adler32(word + 3, 6, qwintest::Adler32(word, 3)));
    EXPECT_EQ(0u, qwintest::Crc32(nullptr, 0));
    EXPECT_EQ(1u, qwintest::Adler32(nullptr, 0));
}

TEST(PngTest, EncodedImagesDecodeToTheSamePixels) {
    struct Case {
        int width, height, blocks;
    } cases[] = {{1, 1, 1}, {3, 2, 1}, {200, 120, 2}, {0, 0, 1}};
    for (const Case &c : cases) {
        qwintest::Bitmap32 image(c.width, c.height);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) image.Set(x, y, RGB(x * 7 % 256, y * 13 % 256, (x ^ y) % 256));
        qwintest::Bitmap32 decoded;
        int blocks = 0;
        ASSERT_TRUE(DecodeStoredPng(qwintest::EncodePng(image), decoded, &blocks)) << c.width << "x" << c.height;
        EXPECT_EQ(c.blocks, blocks) << c.width << "x" << c.height;
        EXPECT_EQ(image.Width(), decoded.Width());
        EXPECT_EQ(image.Pixels(), decoded.Pixels()) << c.width << "x" << c.height;
    }
}

TEST(PngTest, SavePngWritesTheFileUnderTheBuildFolder) {
    qwintest::Bitmap32 image(4, 4, RGB(10, 20, 30));
    std::string path = qwintest::ArtifactPath("qwintest-save.png");
    ASSERT_TRUE(image.SavePng(path));
    FILE *file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(nullptr, file);
    std::vector<uint8_t> bytes(4096);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    EXPECT_EQ(qwintest::EncodePng(image), bytes);
}

// ---------------------------------------------------------------------------
// Message boxes

TEST(MessageBoxWatcherTest, RecordsEachBoxAndAnswersAsToldOrWithAButtonItHas) {
    qwintest::MessageBoxWatcher boxes(IDNO);
    EXPECT_EQ(IDNO, ::MessageBoxA(nullptr, "Delete old reports?", "Quillon", MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(IDOK, ::MessageBoxA(nullptr, "Only OK", "Cap", MB_OK));  // no No button: OK
    boxes.QueueAnswers({IDRETRY, IDYES});
    EXPECT_EQ(IDRETRY, ::MessageBoxA(nullptr, "line 1\nline 2", "Cap", MB_RETRYCANCEL | MB_ICONHAND));
    EXPECT_EQ(IDYES, ::MessageBoxA(nullptr, "", "", MB_YESNOCANCEL | MB_ICONEXCLAMATION));
    EXPECT_EQ(IDCANCEL, ::MessageBoxA(nullptr, "back to the default", "Cap", MB_OKCANCEL | MB_ICONASTERISK));
    ASSERT_EQ(5u, boxes.Count());
    EXPECT_EQ("Delete old reports?", boxes[0].text);
    EXPECT_EQ("Quillon", boxes[0].caption);
    EXPECT_EQ(BoxIcon::Question, boxes[0].icon);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), boxes[0].buttons);
    EXPECT_EQ(BoxIcon::None, boxes[1].icon);
    EXPECT_EQ("line 1\nline 2", boxes[2].text);
    EXPECT_EQ(BoxIcon::Hand, boxes[2].icon);
    EXPECT_EQ(BoxIcon::Exclamation, boxes[3].icon);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO, IDCANCEL}), boxes[3].buttons);
    EXPECT_EQ(BoxIcon::Asterisk, boxes[4].icon);
    EXPECT_EQ(IDCANCEL, boxes[4].answer);
}

TEST(MessageBoxWatcherTest, TheInnermostWatcherSeesTheBoxes) {
    qwintest::MessageBoxWatcher outer(IDOK);
    {
        qwintest::MessageBoxWatcher inner(IDCANCEL);
        EXPECT_EQ(IDCANCEL, ::MessageBoxA(nullptr, "inner", "Cap", MB_OKCANCEL));
        EXPECT_EQ(1u, inner.Count());
    }
    EXPECT_EQ(IDOK, ::MessageBoxA(nullptr, "outer", "Cap", MB_OKCANCEL));
    ASSERT_EQ(1u, outer.Count());
    EXPECT_EQ("outer", outer[0].text);
}

TEST(MessageBoxWatcherTest, OrdinaryDialogsAreLeftAlone) {
    qwintest::MessageBoxWatcher boxes;
    qwintest::TestHost host;  // a system dialog, but no message box
    qwintest::PumpMessages(50);
    EXPECT_TRUE(::IsWindowVisible(host.hwnd()));
    EXPECT_EQ(0u, boxes.Count());
}

TEST(ChildProcessTest, ReportsExitCodeBoxesAndOutput) {
    qwintest::ChildResult child = qwintest::RunInChild(
        [] {
            std::printf("about to fail\n");
            ::MessageBoxA(nullptr, "first\ttabbed", "One", MB_OK | MB_ICONHAND);
            ::MessageBoxA(nullptr, "second", "Two", MB_YESNO);
            std::exit(3);
        },
        IDYES);
    ASSERT_TRUE(child.started);
    EXPECT_FALSE(child.timedOut);
    EXPECT_EQ(3u, child.exitCode);
    ASSERT_EQ(2u, child.boxes.size()) << child.output;
    EXPECT_EQ("first\ttabbed", child.boxes[0].text);
    EXPECT_EQ("One", child.boxes[0].caption);
    EXPECT_EQ(BoxIcon::Hand, child.boxes[0].icon);
    EXPECT_EQ(IDYES, child.boxes[1].answer);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), child.boxes[1].buttons);
    EXPECT_NE(std::string::npos, child.output.find("about to fail"));
}

TEST(ChildProcessTest, ABodyThatReturnsEndsWithZero) {
    qwintest::ChildResult child = qwintest::RunInChild([] {});
    ASSERT_TRUE(child.started);
    EXPECT_EQ(0u, child.exitCode);
    EXPECT_TRUE(child.boxes.empty());
}

TEST(ChildProcessTest, GoogleTestDeathTestsSeeTheBoxOnStderr) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ::MessageBoxA(nullptr, "Failed to get module path.", "Quillon", MB_OK);
            std::exit(1);
        },
        ::testing::ExitedWithCode(1), "Failed to get module path\\.");
}

// ---------------------------------------------------------------------------
// Keyboard

// Records GetKeyState of the modifiers at each WM_KEYDOWN.
struct KeyRecorder {
    static std::vector<unsigned> seen;
    static LRESULT CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_KEYDOWN) {
            unsigned held = 0;
            if (::GetKeyState(VK_SHIFT) < 0) held |= qwintest::kShift;
            if (::GetKeyState(VK_CONTROL) < 0) held |= qwintest::kControl;
            if (::GetKeyState(VK_MENU) < 0) held |= qwintest::kAlt;
            seen.push_back(held);
            return 0;
        }
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    }
};
std::vector<unsigned> KeyRecorder::seen;

TEST(KeyboardTest, ModifiersAreSeenByGetKeyStateAndReleasedAfterwards) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = KeyRecorder::Proc;
    wc.lpszClassName = "QwinTestKeys";
    ::RegisterClassA(&wc);
    HWND hWnd = ::CreateWindowExA(0, "QwinTestKeys", "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
    KeyRecorder::seen.clear();
    const unsigned combos[] = {0, qwintest::kShift, qwintest::kControl, qwintest::kShift | qwintest::kControl,
                               qwintest::kAlt};
    for (unsigned held : combos) qwintest::SendKeyDown(hWnd, VK_RETURN, held);
    EXPECT_EQ(std::vector<unsigned>(std::begin(combos), std::end(combos)), KeyRecorder::seen);
    EXPECT_GE(::GetKeyState(VK_SHIFT), 0);
    EXPECT_GE(::GetKeyState(VK_CONTROL), 0);
    {
        qwintest::KeyboardState shift(qwintest::kShift);
        EXPECT_LT(::GetKeyState(VK_SHIFT), 0);
        EXPECT_GE(::GetKeyState(VK_CONTROL), 0);
    }
    EXPECT_GE(::GetKeyState(VK_SHIFT), 0);
    ::DestroyWindow(hWnd);
}

// ---------------------------------------------------------------------------
// Pixels and hosts

// Paints a blue square at (5, 5)-(15, 15) on white.
LRESULT CALLBACK SquareProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(hWnd, &paint);
        RECT all;
        ::GetClientRect(hWnd, &all);
        ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        RECT square = {5, 5, 15, 15};
        HBRUSH blue = ::CreateSolidBrush(RGB(0, 0, 255));
        ::FillRect(dc, &square, blue);
        ::DeleteObject(blue);
        ::EndPaint(hWnd, &paint);
        return 0;
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

TEST(PixelTest, CaptureClientReadsWhatTheWindowPainted) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = SquareProc;
    wc.lpszClassName = "QwinTestSquare";
    ::RegisterClassA(&wc);
    qwintest::TestHost host(120, 80);
    HWND square = host.CreateChild("QwinTestSquare", "", 0, 30, 20, 40, 30, 1);
    qwintest::Bitmap32 shot = qwintest::CaptureClient(square);
    ASSERT_EQ(40, shot.Width());
    ASSERT_EQ(30, shot.Height());
    RECT bounds = shot.BoundsOfNot(RGB(255, 255, 255));
    EXPECT_EQ(5, bounds.left);
    EXPECT_EQ(5, bounds.top);
    EXPECT_EQ(15, bounds.right);
    EXPECT_EQ(15, bounds.bottom);
    EXPECT_EQ(100, shot.CountColor(RGB(0, 0, 255)));
    EXPECT_EQ(CLR_INVALID, shot.At(40, 0));
    shot.SavePng(qwintest::ArtifactPath("qwintest-square.png"));
}

TEST(HostTest, RecordsCommandsAndCustomMessagesAndAnswersThroughOnMessage) {
    qwintest::TestHost host;
    HWND button = host.CreateChild("BUTTON", "Go", BS_PUSHBUTTON, 10, 10, 60, 24, 1038);
    host.onMessage = [](UINT message, WPARAM wParam, LPARAM, LRESULT *result) {
        if (message != WM_USER + 5) return false;
        *result = LRESULT(wParam) * 3;
        return true;
    };
    ::SendMessageA(button, BM_CLICK, 0, 0);
    EXPECT_EQ(21, ::SendMessageA(host.hwnd(), WM_USER + 5, 7, 0));
    ::PostMessageA(host.hwnd(), 1801, 0, 0);
    qwintest::PumpMessages();
    auto commands = host.ReceivedOf(WM_COMMAND);
    ASSERT_EQ(1u, commands.size());
    EXPECT_EQ(MAKEWPARAM(1038, BN_CLICKED), commands[0].wParam);
    EXPECT_EQ(reinterpret_cast<LPARAM>(button), commands[0].lParam);
    EXPECT_EQ(1u, host.ReceivedOf(WM_USER + 5).size());
    EXPECT_EQ(1u, host.ReceivedOf(1801).size());
    EXPECT_EQ(host.hwnd(), host.Wnd()->m_hWnd);
    EXPECT_EQ(host.Wnd(), CWnd::FromHandlePermanent(host.hwnd()));
}

}  // namespace
