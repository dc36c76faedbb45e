// The program at 96, 144 and 192 DPI: the manifest (DPI aware, common controls 6), and the main window
// and element selection started with Wine's DPI (LogPixels) set to each, their geometry and pixels
// compared with the 96-DPI run scaled. Screenshots go to the test output (dpi-96.bmp, ...).
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cmath>
#include <string>

#include "app/resource.h"
#include "tests/support/driver/driver.h"

using qdriver::Quillon;
using qwintest::Bitmap32;

namespace {

std::string ManifestOf(const std::string &program) {
    HMODULE module = ::LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) return "<no module>";
    std::string text = "<no manifest>";
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    HGLOBAL loaded = found != nullptr ? ::LoadResource(module, found) : nullptr;
    if (loaded != nullptr) text.assign(static_cast<const char *>(::LockResource(loaded)), ::SizeofResource(module, found));
    ::FreeLibrary(module);
    return text;
}

// The text of the element named tag (its first occurrence), or "<none>".
std::string Element(const std::string &xml, const std::string &tag) {
    size_t open = xml.find("<" + tag);
    size_t start = open == std::string::npos ? open : xml.find('>', open);
    size_t end = start == std::string::npos ? start : xml.find("</" + tag, start);
    return end == std::string::npos ? "<none>" : xml.substr(start + 1, end - start - 1);
}

// Wine reads the DPI from the registry when a process starts: set for this test's programs, then put back.
class LogPixels {
public:
    explicit LogPixels(DWORD dpi) {
        DWORD size = sizeof old_;
        had_ = ::SHGetValueA(HKEY_CURRENT_USER, kKey, "LogPixels", nullptr, &old_, &size) == ERROR_SUCCESS;
        ::SHSetValueA(HKEY_CURRENT_USER, kKey, "LogPixels", REG_DWORD, &dpi, sizeof dpi);
    }
    ~LogPixels() {
        if (had_) ::SHSetValueA(HKEY_CURRENT_USER, kKey, "LogPixels", REG_DWORD, &old_, sizeof old_);
        else ::SHDeleteValueA(HKEY_CURRENT_USER, kKey, "LogPixels");
    }

private:
    static constexpr const char *kKey = "Control Panel\\Desktop";
    DWORD old_ = 0;
    bool had_ = false;
};

bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 384; }

// The dark pixels' box within [x0, x1) x [y0, y1), as {left, top, right, bottom} (inclusive); left -1 when none.
RECT Ink(const Bitmap32 &image, int x0, int y0, int x1, int y1) {
    RECT box = {-1, -1, -1, -1};
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            if (!Dark(image.At(x, y))) continue;
            if (box.left < 0) box = {x, y, x, y};
            box.left = std::min<LONG>(box.left, x), box.right = std::max<LONG>(box.right, x);
            box.top = std::min<LONG>(box.top, y), box.bottom = std::max<LONG>(box.bottom, y);
        }
    return box;
}

// What one run measures, in the list's client coordinates unless said.
struct Look {
    int rowHeight = 0;
    int numberInk = 0;            // height of the row number's ink
    double numberOffCentre = 0;   // its centre less the row's centre
    double ratioOffCentre = 0;
    int ratioGap = 0;             // from the ratio column's line to the ratio's ink
    int subscriptDrop = 0;        // "H2": the 2's foot below the H's
    int bandUnderList = 0;        // list bottom to the first control under it
    int sampleIdHeight = 0;       // 14 dialog units
    RECT ratioClosed = {}, ratioOpen = {};
    int legendWidth = 0, legendHeight = 0;
};

Look Measure(int dpi) {
    Look look;
    LogPixels setting(dpi);
    std::string folder = qdriver::MakeFolder("dpi-" + std::to_string(dpi));
    Quillon quillon;
    EXPECT_TRUE(quillon.Start(folder));
    if (quillon.WaitReady() == nullptr) {
        ADD_FAILURE() << "no main window";
        return look;
    }
    HWND list = quillon.Item(IDC_LIST);
    qdriver::ListColumns columns = qdriver::ColumnsOf(quillon);
    look.rowHeight = columns.rowHeight;
    quillon.Fill(IDC_PRODUCT, "H2O");
    quillon.EnterRow(0, "H2", "1.25");
    quillon.EnterRow(1, "O2");
    quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));

    auto rect = [&](HWND w) { RECT r = {}; ::GetWindowRect(w, &r); return r; };
    const RECT window = rect(list), sample = rect(quillon.Item(IDC_SAMPLE_ID));
    look.sampleIdHeight = sample.bottom - sample.top;
    int below = INT_MAX;
    for (int id : {IDC_AUTO_RATIO, IDC_AMOUNT, IDC_CALCULATE, IDC_CLEAR, IDC_WEIGHING})
        below = std::min<int>(below, rect(quillon.Item(id)).top);
    look.bandUnderList = below - window.bottom;

    POINT origin = {0, 0};
    ::ClientToScreen(list, &origin);
    int bx = origin.x - window.left, by = origin.y - window.top;  // the border
    Bitmap32 shot = quillon.Capture(list);
    RECT inside;
    ::GetClientRect(list, &inside);
    auto client = [&](RECT r) { if (r.left >= 0) ::OffsetRect(&r, -bx, -by); return r; };
    int h = look.rowHeight, rowCentre2 = h;  // twice the centre of row 0 (top 1, bottom h - 1)
    RECT number = client(Ink(shot, bx, by + 1, bx + columns.formulaLeft - 1, by + h));
    look.numberInk = number.bottom - number.top + 1;
    look.numberOffCentre = (number.top + number.bottom - rowCentre2) / 2.0;
    RECT ratio = client(Ink(shot, bx + columns.ratioLeft + 1, by + 1, bx + inside.right, by + h));
    look.ratioOffCentre = (ratio.top + ratio.bottom - rowCentre2) / 2.0;
    look.ratioGap = ratio.left - columns.ratioLeft;
    // The text's first half, where the open editor's caret (after the text) is not.
    int halfLeft = bx + ratio.left - 3, halfRight = bx + (ratio.left + ratio.right) / 2;
    look.ratioClosed = client(Ink(shot, halfLeft, by + 1, halfRight, by + h));
    RECT formula = client(Ink(shot, bx + columns.formulaLeft + 1, by + 1, bx + columns.ratioLeft - 1, by + h));
    if (formula.left >= 0) {
        int hFoot = Ink(shot, bx + formula.left, by + 1, bx + formula.left + 3, by + h).bottom;
        look.subscriptDrop = Ink(shot, bx + formula.right - 2, by + 1, bx + formula.right + 1, by + h).bottom - hFoot;
    }
    quillon.Capture(quillon.Main()).SaveBmp(qwintest::ArtifactPath("dpi-" + std::to_string(dpi) + ".bmp"));

    // The ratio cell opened: its text where it was.
    quillon.ClickCell(0, 2);
    ::SendMessageA(quillon.Focus(), EM_SETSEL, 10, 10);
    quillon.Sync();
    Bitmap32 open = quillon.Capture(list);
    look.ratioOpen = client(Ink(open, halfLeft, by + 1, halfRight, by + h));
    quillon.ClickCenter(quillon.Item(IDC_SAMPLE_ID));

    qdriver::SetCheck(quillon.Item(IDC_AUTO_RATIO), true);
    quillon.ClickCenter(quillon.Item(IDC_CALCULATE));
    HWND selection = quillon.WaitDialog(qdriver::SELECTION_CAPTION);
    EXPECT_NE(selection, nullptr) << "no element selection";
    for (HWND child = selection ? ::GetWindow(selection, GW_CHILD) : nullptr; child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if ((::GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP || qwintest::ClassOf(child) != "Static") continue;
        RECT r;
        ::GetClientRect(child, &r);
        look.legendWidth = r.right, look.legendHeight = r.bottom;
    }
    if (selection != nullptr) qdriver::PressAndWait(quillon, selection, IDCANCEL);
    quillon.Command(ID_FILE_EXIT);
    for (qdriver::Box box; (box = quillon.WaitBox(3000)).hwnd != nullptr;) quillon.Answer(box, IDNO);
    EXPECT_EQ(quillon.WaitExit(), 0);
    return look;
}

}  // namespace

TEST(Manifest, DeclaresPerMonitorAwarenessAndCommonControls6) {
    std::string manifest = ManifestOf(qwintest::ProgramFolder() + "Quillon.exe");
    EXPECT_EQ(Element(manifest, "dpiAware"), "true/pm");
    EXPECT_EQ(Element(manifest, "dpiAwareness").substr(0, 12), "PerMonitorV2");
    size_t controls = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
    ASSERT_NE(controls, std::string::npos) << manifest;
    size_t end = manifest.find("/>", controls);
    EXPECT_NE(manifest.substr(controls, end - controls).find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("publicKeyToken=\"6595b64144ccf1df\""), std::string::npos);
}

// Sizes at 144 and 192 are those at 96 scaled, within a pixel or two; the text is centred in the rows.
TEST(Dpi, MainWindowAndSelectionScale) {
    Look base = Measure(96);
    ASSERT_GT(base.rowHeight, 0);
    for (int dpi : {96, 144, 192}) {
        SCOPED_TRACE(dpi);
        Look look = dpi == 96 ? base : Measure(dpi);
        auto scaled = [dpi](int size) { return double(size) * dpi / 96; };
        EXPECT_NEAR(look.rowHeight, scaled(base.rowHeight), 2.0);
        EXPECT_NEAR(look.numberInk, scaled(base.numberInk), 2.0);
        EXPECT_LE(std::fabs(look.numberOffCentre), 1.0);
        EXPECT_LE(std::fabs(look.ratioOffCentre), 1.0);
        EXPECT_GE(look.ratioGap, 2 * dpi / 96) << "the ratio keeps off its column's line";
        EXPECT_NEAR(look.subscriptDrop, scaled(base.subscriptDrop), 1.5);
        EXPECT_GT(base.subscriptDrop, 2);
        // The template's 7 dialog units (half the Sample ID's 14) between the list and what is under it.
        EXPECT_NEAR(look.bandUnderList, look.sampleIdHeight / 2.0, 1.5);
        EXPECT_TRUE(look.ratioOpen.left == look.ratioClosed.left && look.ratioOpen.top == look.ratioClosed.top &&
                    look.ratioOpen.bottom == look.ratioClosed.bottom) << "the ratio moved when its cell opened";
        EXPECT_NEAR(look.legendWidth, scaled(136), 1.0);
        EXPECT_NEAR(look.legendHeight, scaled(79), 1.0);
    }
}
