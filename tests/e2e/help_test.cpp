// Help end to end where the system cannot draw HTML (Wine without its HTML
// engine, as the test prefix and the Linux launcher run it): the Help
// command opens the help file's first page in the desktop's browser.
// Wine's browser launcher is pointed at a stand-in that logs what it is
// asked to open.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <functional>
#include <string>

#include "app/resource.h"
#include "tests/support/driver/driver.h"

using qdriver::Quillon;

namespace {

const char BROWSER_KEY[] = "Software\\Wine\\WineBrowser";

class HelpEndToEnd : public qdriver::Session {
protected:
    void SetUp() override {
        ::DeleteFileA(QUILLON_BROWSER_LOG);
        ::SHSetValueA(HKEY_CURRENT_USER, BROWSER_KEY, "Browsers", REG_SZ, QUILLON_STANDIN_BROWSER,
                      sizeof QUILLON_STANDIN_BROWSER);
        Session::SetUp();
    }
    void TearDown() override {
        Session::TearDown();
        ::SHDeleteValueA(HKEY_CURRENT_USER, BROWSER_KEY, "Browsers");
    }

    // What the browser was asked to open (one line), once it has been asked.
    static std::string Opened() {
        for (int tries = 0; tries < 250; ++tries) {
            std::string log = ReadBytes(QUILLON_BROWSER_LOG);
            if (!log.empty() && log.back() == '\n') return log.substr(0, log.size() - 1);
            ::Sleep(40);
        }
        return std::string();
    }

    // The Windows path of a file URL or Unix path the browser was given.
    static std::string WindowsPath(std::string opened) {
        if (opened.compare(0, 7, "file://") == 0) opened.erase(0, 7);
        std::string path = "Z:";
        for (std::string::size_type i = 0; i < opened.size(); ++i) {
            if (opened[i] == '%' && i + 2 < opened.size()) {
                path += char(std::stoi(opened.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                path += opened[i] == '/' ? '\\' : opened[i];
            }
        }
        return path;
    }
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
        ::DeleteFileA(QUILLON_BROWSER_LOG);
        way.ask(quillon);
        std::string opened = Opened();
        ASSERT_FALSE(opened.empty()) << way.how << ": the browser was not started";
        std::string page = ReadBytes(WindowsPath(opened));
        EXPECT_NE(page.find("<title>Quillon at the bench</title>"), std::string::npos)
            << way.how << ": " << opened << " holds no first page";
        EXPECT_EQ(quillon.WaitWindow([](HWND window) { return Quillon::TextOf(window) == "Quillon Help"; }, 300),
                  nullptr)
            << way.how << ": an HTML Help window opened";
    }
}

}  // namespace
