// The weighing sheet typed into the stand-in word processor: its text, subscripts on the counts, a closed document
// replaced, a running server used. (Successive sheets, failures and the fall-back are tested through the main dialog,
// tests/win/dialogfiles.)
#include <gtest/gtest.h>

#include <string>

#include "tests/support/harness/qwintest.h"
#include "tests/support/wordstandin/registration.h"
#include "app/wordout.h"

namespace {

// Ca(OH)2 from CaO and H2O, 10 g, the differential shown (empty).
WeighingSheet LimeSheet(const char *sampleId = "S-17") {
    WeighingSheet sheet;
    sheet.sampleId = sampleId;
    sheet.amount = 10.0;
    sheet.productFormula = "Ca(OH)2";
    sheet.showDifferential = 1;
    sheet.reactants.push_back({"CaO", 56.0774, 7.56839});
    sheet.reactants.push_back({"H2O", 18.01528, 2.43161});
    return sheet;
}

// What LimeSheet leaves in a document: counts in _{...}, paragraphs as LF.
std::string LimeText(const char *sampleId = "S-17") {
    const std::string equals(53, '='), dashes(53, '-');
    return std::string("ID: ") + sampleId + "\n" +
           "Ca(OH)_{2}  (10 grams)    + None\n" + equals + "\n" +
           "Reactant  (Molar Mass)              Amount Weighed(g)\n" + equals + "\n" +
           // The piece after the formula is padded to 36, wherever the formula ends.
           "CaO" + "  (56.0774)" + std::string(25, ' ') + " 7.56839\n" +
           "H_{2}O" + "  (18.01528)" + std::string(24, ' ') + " 2.43161\n" +
           dashes + "\n\n\n\n";
}

class WordOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        ASSERT_TRUE(server.ok());
        ::CLSIDFromProgID(L"Word.Application", &clsid);
    }
    void TearDown() override { ::CoUninitialize(); }

    WordOutputResult Output(const WeighingSheet &sheet) { return TypeSheetInWord(clsid, sheet, documentName, nullptr); }

    StandInServer server;
    CLSID clsid = {};
    CString documentName;
};

// The sheet's text with the counts subscript (the stand-in refuses unknown calls, which shows the failure box), in
// the sheet's font, and Word shown at the end.
TEST_F(WordOutputTest, TypesTheSheetIntoANewDocument) {
    EXPECT_EQ(WORD_OUTPUT_TYPED, Output(LimeSheet()));  // any message box fails the test
    EXPECT_STREQ("Document1", documentName);
    EXPECT_EQ(LimeText(), server.DocumentText("Document1"));
    const std::string log = StandInLog();
    for (const char *call : {"\nFont.Name=Times New Roman\n", "\nFont.Size=13\n"})
        EXPECT_NE(std::string::npos, log.find(call)) << log;
    EXPECT_EQ(log.size() - 23, log.rfind("\nApplication.Visible=1\n")) << log;  // the last call
}

// A running server is used rather than a new one; a document closed there is replaced by a new one, whose name is
// remembered.
TEST_F(WordOutputTest, UsesARunningServerAndReplacesAClosedDocument) {
    IDispatch *running = StandInNewApplication();
    DWORD cookie = 0;
    ASSERT_TRUE(SUCCEEDED(::RegisterActiveObject(running, clsid, ACTIVEOBJECT_STRONG, &cookie)));
    EXPECT_EQ(WORD_OUTPUT_TYPED, Output(LimeSheet("first")));
    StandInCloseDocument("Document1");
    EXPECT_EQ(WORD_OUTPUT_TYPED, Output(LimeSheet("second")));
    ::RevokeActiveObject(cookie, nullptr);
    running->Release();
    EXPECT_STREQ("Document2", documentName);
    EXPECT_EQ(LimeText("second"), server.DocumentText("Document2"));
    std::string log = StandInLog();
    EXPECT_EQ(std::string::npos, log.find("new Application")) << log;
    EXPECT_EQ(0u, log.find("Application.Documents\n")) << log;
}

}  // namespace
