// The XML routines: the header repair, documents, child elements and attributes, and the web
// service call through a small library loaded by the name "CallWebService.dll".
#include <gtest/gtest.h>

#include <regex>

#include "environment/LibXml.h"
#include "environment/fixtures/Installation.h"
#include "platform/forms/Dialogs.h"
#include "platform/system/SysInfo.h"

using namespace plat;
using namespace qm;

namespace {

const std::string Decl = XMLDeclarationGB2312;
const std::string DocType = XMLDocTypeSC;

struct HeaderCase {
    const char* name;
    std::string text;
    std::string want;
};

TEST(FixXMLHeader, AddsWhatIsMissing) {
    const std::string longBody(100, 'a');
    const HeaderCase cases[] = {
        {"no declaration", "<Root/>", Decl + DocType + "<Root/>"},
        {"declaration without encoding", "<?xml version=\"1.0\"?><Root/>",
         "<?xml version=\"1.0\" encoding=\"GB2312\"?>" + DocType + "<Root/>"},
        {"complete", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><!DOCTYPE R[]><R/>",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><!DOCTYPE R[]><R/>"},
        {"encoding but no document type", "<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n<R/>",
         "<?xml version=\"1.0\" encoding=\"GBK\"?>" + DocType + "\r\n<R/>"},
        {"upper case head", "<?XML VERSION=\"1.0\" ENCODING=\"UTF-8\"?><!DOCTYPE R[]><R/>",
         "<?XML VERSION=\"1.0\" ENCODING=\"UTF-8\"?><!DOCTYPE R[]><R/>"},
        {"document type but no declaration", "<!DOCTYPE R[]><R/>", Decl + "<!DOCTYPE R[]><R/>"},
        {"document type beyond the head", "<R>" + longBody + "<!DOCTYPE R[]></R>",
         Decl + DocType + "<R>" + longBody + "<!DOCTYPE R[]></R>"},
        {"characters count, not bytes", "<?xml version=\"1.0\"?><R>费用</R>",
         "<?xml version=\"1.0\" encoding=\"GB2312\"?>" + DocType + "<R>费用</R>"},
        // Positions come from the trimmed head: two leading characters shift them in the text.
        {"leading line break", "\r\n<?xml version=\"1.0\"?><R/>",
         "\r\n<?xml version=\"1. encoding=\"GB2312\"0\"" + DocType + "?><R/>"},
    };
    for (const HeaderCase& c : cases) EXPECT_EQ(FixXMLHeader(c.text), c.want) << c.name;
}

TEST(XmlDocuments, LoadXMLTextRepairsTheHeaderAndReadsTheEntity) {
    TXmlDocument doc = LoadXMLText(R"(<?xml version="1.0"?><Recipients><R Name="费用" Note="&stdd;"/></Recipients>)");
    ASSERT_TRUE(doc.DocumentElement());
    TXmlNode r = doc.SelectSingleNode("//R");
    EXPECT_EQ(GetAttributeText(r, "Name"), "费用");
    EXPECT_EQ(GetAttributeText(r, "Note"), "&stdd;");
}

TEST(XmlDocuments, ParseErrorsLeaveADocumentWithoutRoot) {
    TXmlDocument broken;
    EXPECT_NO_THROW(broken = LoadXMLText("<Root><open></Root>"));
    EXPECT_FALSE(broken.DocumentElement());
    EXPECT_TRUE(broken.ParseError().Failed());
    // Unrepaired, the entity is undeclared.
    TXmlDocument plain = LoadXMLFromText("<R Note=\"&stdd;\"/>");
    EXPECT_FALSE(plain.DocumentElement());
    TXmlDocument fine = LoadXMLFromText("<R Note=\"x\"/>");
    ASSERT_TRUE(fine.DocumentElement());
    EXPECT_EQ(fine.DeclaredEncoding(), "");
}

TEST(XmlDocuments, NewDocumentIsEmptyAndBuildable) {
    TXmlDocument doc = NewXMLDocument();
    EXPECT_FALSE(doc.DocumentElement());
    doc.AppendChild(doc.CreateElement("Root"));
    EXPECT_EQ(doc.DocumentElement().NodeName(), "Root");
}

TEST(XmlDocuments, FindChildElementFindsOrAppendsExactlyOne) {
    TXmlDocument doc = LoadXMLFromText("<Root><A/><B id=\"1\"/><B id=\"2\"/></Root>");
    TXmlNode root = doc.DocumentElement();
    EXPECT_EQ(FindChildElement(root, "B", false), root.ChildNodes().Item(1));
    EXPECT_EQ(GetAttributeText(FindChildElement(root, "B[@id='2']", true), "id"), "2");
    EXPECT_FALSE(FindChildElement(root, "C", false));
    EXPECT_EQ(root.ChildNodes().Length(), 3);
    TXmlNode c = FindChildElement(root, "C", true);
    ASSERT_TRUE(c);
    EXPECT_EQ(root.ChildNodes().Length(), 4);
    EXPECT_EQ(root.LastChild(), c);
    EXPECT_EQ(FindChildElement(root, "C", true), c);  // found now, nothing appended
    EXPECT_EQ(root.ChildNodes().Length(), 4);
}

TEST(XmlDocuments, AttributesReadAndSetAsText) {
    TXmlDocument doc = LoadXMLFromText("<Root a=\"1\"/>");
    TXmlNode root = doc.DocumentElement();
    EXPECT_EQ(GetAttributeText(root, "a"), "1");
    EXPECT_EQ(GetAttributeText(root, "missing"), "");
    EXPECT_EQ(GetAttributeText(TXmlNode(), "a"), "");
    SetAttributeText(root, "a", "预算");
    SetAttributeText(root, "b", "new");
    EXPECT_EQ(root.XML(), "<Root a=\"预算\" b=\"new\"/>");
}

// ---- Web service ------------------------------------------------------------------------------

class WebService : public envtest::Installation {
protected:
    void SetUp() override {
        envtest::Installation::SetUp();
        std::filesystem::create_directories(fFolder / "ext");
        ClearDialogTranscript();
    }
    void TearDown() override {
        SetCommandLineParams({});
        envtest::Installation::TearDown();
    }
    // Puts a test library into the installation under the name the call loads.
    void Library(const char* file) {
        std::filesystem::create_symlink(std::filesystem::path(XQ_ENV_TESTLIB_DIR) / file,
                                        fFolder / "ext" / "CallWebService.so");
    }
    std::filesystem::path TempFolder() const { return fRoot / "tmp"; }
    bool TempFolderEmpty() const { return std::filesystem::is_empty(TempFolder()); }
};

TEST_F(WebService, ResponseComesThroughATemporaryFileThatIsDeleted) {
    Library("WebServiceEcho.so");
    std::string answer = CallWebService("http://portal/ws", "PORTAL.getAllUser", "<Request a=\"费用\"/>");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(answer, m, std::regex("http://portal/ws\nPORTAL\\.getAllUser\n<Request a=\"费用\"/>\n(.*)")))
        << answer;
    const std::string file = m[1];
    EXPECT_TRUE(std::regex_match(file, std::regex(std::regex_replace(TempFolder().string() + "/", std::regex("[.]"), "\\.") +
                                                  "~Velin_20[0-9]{15}\\.tmp")))
        << file;
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(DialogTranscript().empty());
}

TEST_F(WebService, LibraryFailureRaisesItsReasonAndLeavesNoFile) {
    Library("WebServiceEcho.so");
    try {
        CallWebService("http://portal/ws", "fail", "<Request/>");
        FAIL() << "no error";
    } catch (const EWebServiceError& e) {
        EXPECT_STREQ(e.what(), "service unreachable");
    }
    EXPECT_TRUE(TempFolderEmpty());
    EXPECT_THROW(CallWebService("http://portal/ws", "empty", "<Request/>"), EInOutError);  // no response file
}

TEST_F(WebService, MissingLibraryOrEntryPointGivesAnEmptyResponse) {
    EXPECT_EQ(CallWebService("http://portal/ws", "op", "<Request/>"), "");
    Library("NoEntries.so");
    EXPECT_EQ(CallWebService("http://portal/ws", "op", "<Request/>"), "");
    EXPECT_TRUE(TempFolderEmpty());
}

TEST_F(WebService, TraceParameterPausesAfterLoading) {
    const std::string pause = "跟踪测试中断!可在此时设置Dll之Modules。点\"OK\"继续。";
    Library("WebServiceEcho.so");
    SetCommandLineParams({"host", "t", "x"});  // only the last parameter counts
    CallWebService("http://portal/ws", "op", "<Request/>");
    EXPECT_TRUE(DialogTranscript().empty());
    SetCommandLineParams({"host", "x", "t"});
    EXPECT_NE(CallWebService("http://portal/ws", "op", "<Request/>"), "");
    ASSERT_EQ(DialogTranscript().size(), 1u);
    EXPECT_EQ(DialogTranscript()[0].Text, pause);
    std::filesystem::remove(fFolder / "ext" / "CallWebService.so");
    ClearDialogTranscript();
    SetCommandLineParams({"host", "T"});
    EXPECT_EQ(CallWebService("http://portal/ws", "op", "<Request/>"), "");
    ASSERT_EQ(DialogTranscript().size(), 1u);
}

}  // namespace
