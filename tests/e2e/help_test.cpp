// Help end to end where the system cannot draw HTML (Wine without its HTML
// engine, as the test prefix and the Linux launcher run it): the Help
// command opens the help file's first page in the desktop's browser.
// Wine's browser launcher is pointed at a stand-in that logs what it is
// asked to open (tests/support/driver/browser.h).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/resource.h"
#include "tests/support/driver/browser.h"
#include "tests/support/driver/driver.h"

using qdriver::Quillon;

namespace {

class HelpEndToEnd : public qdriver::Session {
protected:
    qdriver::BrowserStandIn browser{QUILLON_STANDIN_BROWSER, QUILLON_BROWSER_LOG};  // set before the start
};

// Each way of asking for help (F1 joins the table with the main window's
// accelerator for it) opens the first page, a real file holding the
// page, and no HTML Help window with an empty page.
TEST_F(HelpEndToEnd, HelpOpensTheFirstPageInTheBrowser) {
    const struct {
        const char *how;
        std::function<void(Quillon &)> ask;
    } ways[] = {
        {"Help menu", [](Quillon &q) { ::PostMessageA(q.Main(), WM_COMMAND, ID_HELP_HELP, 0); }},
        {"F1", [](Quillon &q) { q.Key(VK_F1); }},
    };
    for (const auto &way : ways) {
        browser.Forget();
        way.ask(quillon);
        std::string opened = browser.Opened();
        ASSERT_FALSE(opened.empty()) << way.how << ": the browser was not started";
        std::string page = ReadBytes(qdriver::BrowserStandIn::WindowsPath(opened));
        EXPECT_NE(page.find("<title>Quillon at the bench</title>"), std::string::npos)
            << way.how << ": " << opened << " holds no first page";
        EXPECT_EQ(quillon.WaitWindow([](HWND window) { return Quillon::TextOf(window) == "Quillon Help"; }, 300),
                  nullptr)
            << way.how << ": an HTML Help window opened";
    }
}

}  // namespace
