// The product field end to end: the characters of the keyboard layout in
// use. (Long formulas typed whole: files_test.)
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/resource.h"
#include "tests/support/driver/driver.h"

using qwintest::kShift;


// One layout's keys for "Ba(NO3)2"; the layout is told by what Shift+8 types.
struct KeyboardCase {
    char shift8;
    const char *layout;  // the name scripts/with-display takes in QUILLON_KEYBOARD
    std::vector<std::pair<UINT, unsigned>> formula;
};

using KeyboardLayouts = qdriver::Session;

// The product field takes the characters the layout in use gives the keys:
// the parentheses of a German or French keyboard, digits that need Shift on a
// French one, and letters as Caps Lock makes them.
TEST_F(KeyboardLayouts, ParenthesesDigitsAndCapsLockFollowTheLayout) {
    const KeyboardCase cases[] = {
        {'*', "us", {{'B', kShift}, {'A', 0}, {'9', kShift}, {'N', kShift}, {'O', kShift}, {'3', 0},
                              {'0', kShift}, {'2', 0}}},
        {'(', "de", {{'B', kShift}, {'A', 0}, {'8', kShift}, {'N', kShift}, {'O', kShift}, {'3', 0},
                             {'9', kShift}, {'2', 0}}},
        {'8', "fr", {{'B', kShift}, {'A', 0}, {'5', 0}, {'N', kShift}, {'O', kShift}, {'3', kShift},
                             {VK_OEM_4, 0}, {'2', kShift}}},
    };
    // Wine keeps reporting the US layout id; its key mapping follows the display.
    BYTE state[256] = {};
    state[VK_SHIFT] = 0x80;
    WORD typed = 0;
    ::ToAscii('8', ::MapVirtualKeyA('8', MAPVK_VK_TO_VSC), state, &typed, 0);
    char shift8 = char(typed & 0xFF);
    const char *wanted = std::getenv("QUILLON_KEYBOARD");
    const KeyboardCase *layout = nullptr;
    for (const KeyboardCase &c : cases)
        if (c.shift8 == shift8) layout = &c;
    if (wanted != nullptr && *wanted != '\0') {
        ASSERT_NE(layout, nullptr) << "the display was to have layout " << wanted;
        ASSERT_STREQ(layout->layout, wanted) << "Wine did not take the display's layout";
    }
    if (layout == nullptr) GTEST_SKIP() << "no keys known for a layout whose Shift+8 types " << shift8;

    quillon.ClickCenter(quillon.Item(IDC_PRODUCT));
    for (const auto &key : layout->formula) quillon.Key(key.first, key.second);
    EXPECT_EQ(quillon.Settled("Ba(NO3)2", quillon.Item(IDC_PRODUCT)), "Ba(NO3)2") << layout->layout;

    ::SendMessageA(quillon.Item(IDC_PRODUCT), EM_SETSEL, 0, -1);
    quillon.Key(VK_DELETE);
    quillon.Key(VK_CAPITAL);
    for (const auto &key : std::vector<std::pair<UINT, unsigned>>{{'B', 0}, {'A', 0}, {'C', kShift}, {'U', 0}})
        quillon.Key(key.first, key.second);
    quillon.Key(VK_CAPITAL);
    EXPECT_EQ(quillon.Settled("BAcU", quillon.Item(IDC_PRODUCT)), "BAcU") << layout->layout << " with Caps Lock";
    quillon.Capture(quillon.Main()).SaveBmp(qwintest::ArtifactPath(std::string("e2e-keyboard-") + layout->layout + ".bmp"));
}
