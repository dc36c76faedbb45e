// The weighing sheet typed into the stand-in word processor: the calls in
// order, subscripts on the counts, one document for successive sheets, a
// closed document replaced, a failure half-way, an unreachable server; and
// the dispatch driver's exceptions.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "qwintest.h"
#include "registration.h"
#include "wordout.h"

namespace {

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

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
    }
    void TearDown() override { ::CoUninitialize(); }

    WordOutputResult Output(const WeighingSheet &sheet) {
        return TypeSheetInWord(server.clsid(), sheet, documentName, nullptr);
    }

    StandInServer server;
    CString documentName;
};

// Calls in a wrong order, a wrong dispatch id or argument kind (the stand-in
// refuses those, which shows the failure box), subscripts off the digit runs.
TEST_F(WordOutputTest, TypesTheSheetIntoANewDocument) {
    qwintest::MessageBoxWatcher boxes;
    EXPECT_EQ(WORD_OUTPUT_TYPED, Output(LimeSheet()));
    EXPECT_EQ(0u, boxes.Count());
    EXPECT_STREQ("Document1", documentName);
    EXPECT_EQ(LimeText(), server.DocumentText("Document1"));

    std::vector<std::string> log = Lines(server.Log());
    const std::vector<std::string> head = {
        "new Application", "Application.Documents", "Documents.Count", "Documents.Add()", "Document.Name",
        "Document.Activate()", "Application.Selection", "Selection.Font", "Font.Name=Times New Roman",
        "Font.Size=13", "Selection.TypeText(ID: S-17\\n)", "Font.Subscript=0", "Selection.TypeText(Ca(OH))",
        "Font.Subscript=1", "Selection.TypeText(2)", "Font.Subscript=0", "Selection.TypeText(  (10 grams)  )",
        "Selection.TypeText(  + )", "Selection.TypeText(None)", "Selection.TypeText(\\n)"};
    ASSERT_GE(log.size(), head.size());
    EXPECT_EQ(head, std::vector<std::string>(log.begin(), log.begin() + long(head.size())));
    EXPECT_EQ("Application.Visible=1", log.back());
    // Every piece typed as subscript is a count; the sheet ends with paragraphs.
    int subscript = 0;
    for (const std::string &line : log) {
        if (line.rfind("Font.Subscript=", 0) == 0) subscript = line.back() - '0';
        if (subscript && line.rfind("Selection.TypeText(", 0) == 0) {
            EXPECT_EQ(std::string::npos, line.substr(19, line.size() - 20).find_first_not_of("0123456789.")) << line;
        }
    }
    EXPECT_EQ(0, subscript);
    EXPECT_EQ("Selection.TypeParagraph()", log[log.size() - 2]);
}

// A second sheet added in a new document, or typed before the first.
TEST_F(WordOutputTest, SuccessiveSheetsGoIntoOneDocumentUntilItIsClosed) {
    ASSERT_EQ(WORD_OUTPUT_TYPED, Output(LimeSheet("first")));
    ASSERT_STREQ("Document1", documentName);
    std::string before = server.Log();
    ASSERT_EQ(WORD_OUTPUT_TYPED, Output(LimeSheet("second")));
    EXPECT_STREQ("Document1", documentName);
    EXPECT_EQ(LimeText("first") + LimeText("second"), server.DocumentText("Document1"));
    std::vector<std::string> second = Lines(server.Log() + before.size());
    const std::vector<std::string> found = {"new Application", "Application.Documents", "Documents.Count",
                                            "Documents.Item(1)", "Document.Name", "Document.Activate()"};
    ASSERT_GE(second.size(), found.size());
    EXPECT_EQ(found, std::vector<std::string>(second.begin(), second.begin() + long(found.size())));

    // The user closes it: the next sheet goes into a new document, which is remembered.
    server.CloseDocument("Document1");
    ASSERT_EQ(WORD_OUTPUT_TYPED, Output(LimeSheet("third")));
    EXPECT_STREQ("Document2", documentName);
    EXPECT_EQ(LimeText("third"), server.DocumentText("Document2"));
    EXPECT_EQ(nullptr, server.DocumentText("Document1"));
}

// A running server is used rather than a new one.
TEST_F(WordOutputTest, AttachesToARunningServer) {
    IDispatch *running = server.NewApplication();
    DWORD cookie = 0;
    ASSERT_TRUE(SUCCEEDED(::RegisterActiveObject(running, server.clsid(), ACTIVEOBJECT_STRONG, &cookie)));
    EXPECT_EQ(WORD_OUTPUT_TYPED, Output(LimeSheet()));
    ::RevokeActiveObject(cookie, nullptr);
    running->Release();
    std::string log = server.Log();
    EXPECT_EQ(std::string::npos, log.find("new Application")) << log;
    EXPECT_EQ(0u, log.find("Application.Documents\n")) << log;
}

// No box, or the partial text lost, or the server made visible after a failure.
TEST_F(WordOutputTest, AFailureHalfWayIsReportedAndWhatWasTypedStays) {
    qwintest::MessageBoxWatcher boxes;
    server.FailAt("Selection.TypeText", 4);  // the amount piece of the product line
    EXPECT_EQ(WORD_OUTPUT_FAILED, Output(LimeSheet()));
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ("Output to MS Word failed!", boxes[0].text);
    EXPECT_EQ("Quillon I/O Error", boxes[0].caption);
    EXPECT_EQ(qwintest::BoxIcon::Hand, boxes[0].icon);
    EXPECT_STREQ("Document1", documentName);
    EXPECT_STREQ("ID: S-17\nCa(OH)_{2}", server.DocumentText("Document1"));
    std::string log = server.Log();
    EXPECT_NE(std::string::npos, log.find("Selection.TypeText(  (10 grams)  ) !failed\n")) << log;
    EXPECT_EQ(std::string::npos, log.find("Visible")) << log;
}

// The server named by the ProgID cannot be loaded: the caller falls back, nothing is shown.
TEST(WordOutputFallbackTest, AServerThatCannotStartIsUnreachable) {
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    {
        StandInServer broken("C:\\nowhere\\missing-server.dll");
        ASSERT_TRUE(broken.ok());
        qwintest::MessageBoxWatcher boxes;
        CString name("kept");
        EXPECT_EQ(WORD_OUTPUT_UNREACHABLE, TypeSheetInWord(broken.clsid(), LimeSheet(), name, nullptr));
        EXPECT_EQ(0u, boxes.Count());
        EXPECT_STREQ("kept", name);
        EXPECT_EQ("", std::string(broken.Log()));
    }
    ::CoUninitialize();
}

// The exception kinds the dispatch driver throws, and that the caller owns them.
TEST_F(WordOutputTest, DispatchDriverThrowsTheServersExceptionAndOleFailures) {
    CWordApplication application;
    application.AttachDispatch(server.NewApplication());
    server.FailAt("Application.Visible", 1);
    try {
        application.SetVisible(TRUE);
        ADD_FAILURE() << "no exception";
    } catch (COleDispatchException *e) {
        EXPECT_STREQ("Visible failed", e->m_strDescription);
        e->Delete();
    }
    try {
        application.InvokeHelper(999, DISPATCH_METHOD, VT_EMPTY, nullptr, VTS_NONE);
        ADD_FAILURE() << "no exception";
    } catch (COleException *e) {
        EXPECT_EQ(DISP_E_MEMBERNOTFOUND, e->m_sc);
        e->Delete();
    }
    COleDispatchDriver empty;
    try {
        empty.InvokeHelper(1, DISPATCH_METHOD, VT_EMPTY, nullptr, VTS_NONE);
        ADD_FAILURE() << "no exception";
    } catch (CException *e) {
        e->Delete();
    }
}

}  // namespace
