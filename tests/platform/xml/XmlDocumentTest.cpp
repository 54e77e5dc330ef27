#include "platform/xml/XmlDocument.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace plat;

namespace {

// Encodes UTF-8 text in a code page, independently of the XML service.
std::string Encode(const std::string& utf8, const char* codec) {
    iconv_t cd = iconv_open(codec, "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string out(utf8.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* o = out.data();
    size_t oLeft = out.size();
    EXPECT_NE(iconv(cd, &in, &inLeft, &o, &oLeft), static_cast<size_t>(-1));
    out.resize(out.size() - oLeft);
    iconv_close(cd);
    return out;
}

class TempDir : public ::testing::Test {
protected:
    void SetUp() override {
        fDir = std::filesystem::temp_directory_path() /
               ("xmldoc-test-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(fDir);
    }
    void TearDown() override { std::filesystem::remove_all(fDir); }
    std::string PathOf(const std::string& name) const { return (fDir / name).string(); }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(PathOf(name), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    std::filesystem::path fDir;
};

}  // namespace

// ---- parsing a text in memory: the characters count, the declaration's encoding does not ----

class TextInMemory : public ::testing::TestWithParam<const char*> {};

TEST_P(TextInMemory, ParsesTheCharactersItHoldsWhateverTheDeclarationNames) {
    const std::string text = std::string(GetParam()) + "<Root Name=\"费用预算\">費用預算</Root>";
    TXmlDocument doc;
    ASSERT_TRUE(doc.LoadXML(text)) << doc.ParseError().Reason;
    EXPECT_FALSE(doc.ParseError().Failed());
    EXPECT_EQ(doc.DocumentElement().GetAttribute("Name"), "费用预算");
    EXPECT_EQ(doc.DocumentElement().Text(), "費用預算");
}

INSTANTIATE_TEST_SUITE_P(Declarations, TextInMemory,
                         ::testing::Values("<?xml version=\"1.0\" encoding=\"GB2312\"?>",
                                           "<?xml version=\"1.0\" encoding=\"BIG5\"?>",
                                           "<?xml version=\"1.0\" encoding='utf-8'?>",
                                           "<?xml version=\"1.0\"?>", ""));

// ---- parsing bytes: by their declaration ----

struct BytesCase {
    const char* label;
    const char* declaration;  // encoding named in the declaration ("" = no declaration)
    const char* codec;        // how the test encodes the bytes
};

class BytesByDeclaration : public ::testing::TestWithParam<BytesCase> {};

TEST_P(BytesByDeclaration, DecodesAsTheDeclarationSays) {
    const BytesCase& c = GetParam();
    // 丂 and 鍩 exist in code page 936 but not in strict GB2312; 碁 is a code page 950 character.
    const bool big5 = std::string(c.codec) == "CP950";
    const std::string body = big5 ? std::string("<Root Name=\"費用預算碁\">報表</Root>")
                                  : std::string("<Root Name=\"费用预算丂鍩\">报表</Root>");
    std::string head;
    if (*c.declaration) head = std::string("<?xml version=\"1.0\" encoding=\"") + c.declaration + "\"?>";
    TXmlDocument doc;
    ASSERT_TRUE(doc.LoadBytes(Encode(head + body, c.codec))) << c.label << ": " << doc.ParseError().Reason;
    EXPECT_EQ(doc.DocumentElement().GetAttribute("Name"), big5 ? "費用預算碁" : "费用预算丂鍩") << c.label;
    EXPECT_EQ(doc.DocumentElement().Text(), big5 ? "報表" : "报表") << c.label;
    EXPECT_EQ(doc.DeclaredEncoding(), c.declaration);
}

INSTANTIATE_TEST_SUITE_P(Encodings, BytesByDeclaration,
                         ::testing::Values(BytesCase{"GB2312 read as 936", "GB2312", "CP936"},
                                           BytesCase{"gbk in lower case", "gbk", "CP936"},
                                           BytesCase{"BIG5 read as 950", "BIG5", "CP950"},
                                           BytesCase{"UTF-8 declared", "UTF-8", "UTF-8"},
                                           BytesCase{"no declaration means UTF-8", "", "UTF-8"}));

TEST(XmlBytes, ByteOrderMarkAndWrongDeclaration) {
    TXmlDocument doc;
    EXPECT_TRUE(doc.LoadBytes("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>费</a>"));
    EXPECT_EQ(doc.DocumentElement().Text(), "费");
    // GB bytes that claim to be UTF-8 are not UTF-8: the declaration is believed and parsing fails.
    EXPECT_FALSE(doc.LoadBytes("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>" + Encode("费用", "CP936") + "</a>"));
    EXPECT_TRUE(doc.ParseError().Failed());
    EXPECT_TRUE(doc.DocumentElement().IsNull());
}

using XmlFiles = TempDir;

TEST_F(XmlFiles, LoadReadsTheFileByItsDeclaration) {
    Write("gb.xml", Encode("<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<Root><R1 Name=\"张三\"/></Root>", "CP936"));
    TXmlDocument doc;
    ASSERT_TRUE(doc.Load(PathOf("gb.xml"))) << doc.ParseError().Reason;
    EXPECT_EQ(doc.SelectSingleNode("//R1").GetAttribute("Name"), "张三");
}

TEST_F(XmlFiles, MissingFileIsAParseErrorNotAnException) {
    TXmlDocument doc;
    ASSERT_TRUE(doc.LoadXML("<a/>"));
    EXPECT_FALSE(doc.Load(PathOf("nope.xml")));
    EXPECT_TRUE(doc.ParseError().Failed());
    EXPECT_NE(doc.ParseError().Reason.find("nope.xml"), std::string::npos);
    EXPECT_EQ(doc.ParseError().Url, PathOf("nope.xml"));
    EXPECT_TRUE(doc.DocumentElement().IsNull());
}

TEST_F(XmlFiles, SaveWritesTheChosenEncodingAndLoadsBack) {
    TXmlDocument doc;
    ASSERT_TRUE(doc.LoadXML("<?xml version=\"1.0\" encoding=\"GB2312\"?><Root><R1 Name=\"费用预算\"/></Root>"));
    doc.Save(PathOf("default.xml"));  // the declared encoding
    doc.Save(PathOf("big5.xml"), "BIG5");
    EXPECT_EQ(Read("default.xml"),
              Encode("<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<Root><R1 Name=\"费用预算\"/></Root>\n", "CP936"));
    for (const char* name : {"default.xml", "big5.xml"}) {
        TXmlDocument back;
        ASSERT_TRUE(back.Load(PathOf(name))) << name << ": " << back.ParseError().Reason;
        EXPECT_EQ(back.SelectSingleNode("/Root/R1/@Name").NodeValue(), "费用预算") << name;
    }
    EXPECT_THROW(doc.Save(PathOf("no-such-folder/x.xml"), "UTF-8"), EInOutError);
}

// ---- parse errors ----

struct BadCase {
    const char* text;
    int line;
};

class ParseErrors : public ::testing::TestWithParam<BadCase> {};

TEST_P(ParseErrors, LeaveNoDocumentElementAndAReason) {
    TXmlDocument doc;
    ASSERT_TRUE(doc.LoadXML("<Previous/>"));
    EXPECT_FALSE(doc.LoadXML(GetParam().text));
    EXPECT_TRUE(doc.DocumentElement().IsNull());
    EXPECT_EQ(doc.ChildNodes().Length(), 0);
    const TXmlParseError& e = doc.ParseError();
    EXPECT_NE(e.ErrorCode, 0);
    EXPECT_FALSE(e.Reason.empty());
    EXPECT_EQ(e.Reason.find('\n'), std::string::npos);
    EXPECT_EQ(e.Line, GetParam().line) << e.Reason;
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseErrors,
                         ::testing::Values(BadCase{"", 1}, BadCase{"plain text", 1},
                                           BadCase{"<a>\n<b></a>", 2},
                                           BadCase{"<a>\n\n<b x=\"1\" x=\"2\"/></a>", 3},
                                           BadCase{"<a>&undefined;</a>", 1},
                                           BadCase{"<p:a/>", 1},
                                           BadCase{"<a>\xFF</a>", 1}));

TEST(XmlParse, SuccessClearsTheReason) {
    TXmlDocument doc;
    EXPECT_FALSE(doc.LoadXML("<a>"));
    EXPECT_TRUE(doc.LoadXML("<a/>"));
    EXPECT_FALSE(doc.ParseError().Failed());
    EXPECT_TRUE(doc.ParseError().Reason.empty());
}

// ---- entities: internal ones work, external ones are never fetched ----

using XmlEntities = TempDir;

TEST_F(XmlEntities, ExternalEntitiesAreNotExpanded) {
    Write("secret.txt", "SECRET");
    const std::string uri = "file://" + PathOf("secret.txt");
    const std::string general = "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + uri + "\">]><r>a&x;b</r>";
    const std::string parameter = "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + uri + "\"> %p;]><r>ab</r>";
    const std::string dtd = "<!DOCTYPE r SYSTEM \"" + uri + "\"><r>ab</r>";
    for (const std::string& text : {general, parameter, dtd}) {
        TXmlDocument doc;
        ASSERT_TRUE(doc.LoadXML(text)) << text << ": " << doc.ParseError().Reason;
        EXPECT_EQ(doc.DocumentElement().Text(), "ab") << text;
        EXPECT_EQ(doc.XML().find("SECRET"), std::string::npos) << text;
        EXPECT_EQ(doc.ParseError().Reason.find("SECRET"), std::string::npos) << text;
    }
}

TEST(XmlEntitiesInternal, TheRepairHeaderDocumentTypeParses) {
    // The header the environment puts in front of received texts declares an internal entity.
    TXmlDocument doc;
    ASSERT_TRUE(doc.LoadXML("<?xml version=\"1.0\" encoding=\"GB2312\"?><!DOCTYPE SC[<!ENTITY stdd \"&amp;stdd;\">]>"
                            "<Root A=\"x&stdd;y\">p&stdd;q<R1/></Root>"))
        << doc.ParseError().Reason;
    EXPECT_EQ(doc.DocumentElement().NodeName(), "Root");
    EXPECT_EQ(doc.DocumentElement().Text(), "p&stdd;q");
    EXPECT_EQ(doc.DocumentElement().GetAttribute("A"), "x&stdd;y");
    EXPECT_EQ(doc.ChildNodes().Item(0).NodeType(), ntDocumentType);
    EXPECT_EQ(doc.SelectNodes("//R1").Length(), 1);
}

// ---- navigation ----

class XmlTree : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(doc.LoadXML("<?xml version=\"1.0\"?><!--head--><Root a=\"1\">"
                                "<R1 ID=\"u1\">one</R1>text<![CDATA[<raw>]]><?pi data?><R2/><!--c--></Root>"))
            << doc.ParseError().Reason;
        root = doc.DocumentElement();
    }
    TXmlDocument doc;
    TXmlNode root;
};

TEST_F(XmlTree, WalksChildrenSiblingsAndParents) {
    TXmlNodeList kids = root.ChildNodes();
    ASSERT_EQ(kids.Length(), 6);
    struct Expect { TXmlNodeType type; const char* name; const char* value; const char* text; };
    const Expect expected[] = {{ntElement, "R1", "", "one"},
                               {ntText, "#text", "text", "text"},
                               {ntCData, "#cdata-section", "<raw>", "<raw>"},
                               {ntProcessingInstruction, "pi", "data", "data"},
                               {ntElement, "R2", "", ""},
                               {ntComment, "#comment", "c", "c"}};
    TXmlNode n = root.FirstChild();
    for (int i = 0; i < 6; ++i, n = n.NextSibling()) {
        ASSERT_FALSE(n.IsNull()) << i;
        EXPECT_TRUE(n == kids.Item(i)) << i;
        EXPECT_EQ(n.NodeType(), expected[i].type) << i;
        EXPECT_EQ(n.NodeName(), expected[i].name) << i;
        EXPECT_EQ(n.NodeValue(), expected[i].value) << i;
        EXPECT_EQ(n.Text(), expected[i].text) << i;
        EXPECT_TRUE(n.ParentNode() == root) << i;
    }
    EXPECT_TRUE(n.IsNull());
    EXPECT_TRUE(root.LastChild() == kids.Item(5));
    EXPECT_TRUE(kids.Item(4).PreviousSibling() == kids.Item(3));
    EXPECT_TRUE(root.FirstChild().PreviousSibling().IsNull());
    EXPECT_TRUE(kids.Item(6).IsNull());
    EXPECT_TRUE(kids.Item(-1).IsNull());
    EXPECT_FALSE(kids.Item(4).HasChildNodes());
}

TEST_F(XmlTree, DocumentNodeAndElementBasics) {
    TXmlNode d = doc.DocumentNode();
    EXPECT_EQ(d.NodeType(), ntDocument);
    EXPECT_EQ(d.NodeName(), "#document");
    EXPECT_TRUE(root.ParentNode() == d);
    EXPECT_TRUE(d.ParentNode().IsNull());
    EXPECT_EQ(d.ChildNodes().Length(), 2);  // the comment and the root; the declaration is no node
    EXPECT_EQ(root.NodeValue(), "");
    EXPECT_EQ(root.Text(), "onetext<raw>");  // text and CDATA, not comments or instructions
    EXPECT_EQ(root.OwnerDocument().DocumentElement(), root);
}

TEST(XmlNull, EveryCallOnNothingRaises) {
    TXmlNode none;
    EXPECT_TRUE(none.IsNull());
    EXPECT_FALSE(static_cast<bool>(none));
    EXPECT_THROW(none.NodeName(), EXmlError);
    EXPECT_THROW(none.SelectSingleNode("a"), EXmlError);
    EXPECT_THROW(none.GetAttribute("a"), EXmlError);
    TXmlDocument doc;
    EXPECT_TRUE(doc.DocumentElement().IsNull());
    EXPECT_THROW(doc.AppendChild(none), EXmlError);
}

// ---- white space ----

TEST(XmlWhiteSpace, BlankTextNodesAreDroppedUnlessPreserved) {
    const std::string text = "<Root>\n  <R1/>\n  <R2>  </R2>\n  <K xml:space=\"preserve\"> <x/> </K>\n</Root>";
    TXmlDocument doc;
    ASSERT_TRUE(doc.LoadXML(text));
    EXPECT_EQ(doc.DocumentElement().ChildNodes().Length(), 3);
    EXPECT_FALSE(doc.SelectSingleNode("//R2").HasChildNodes());
    EXPECT_EQ(doc.SelectSingleNode("//K").ChildNodes().Length(), 3);

    doc.SetPreserveWhiteSpace(true);
    ASSERT_TRUE(doc.LoadXML(text));
    EXPECT_EQ(doc.DocumentElement().ChildNodes().Length(), 7);
    EXPECT_EQ(doc.SelectSingleNode("//R2").Text(), "  ");
}

// ---- XPath ----

class XmlXPath : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(doc.LoadXML("<Answer><Status code=\"0\" Description=\"ok\"/>"
                                "<Record><Field name=\"Id\" value=\"u1\"/><Field name=\"Name\" value=\"甲\"/></Record>"
                                "<Record><Field name=\"Id\" value=\"u2\"/><Field name=\"Name\" value=\"乙\"/></Record>"
                                "<Nested><Record><Field name=\"Id\" value=\"u3\"/></Record></Nested></Answer>"));
    }
    TXmlDocument doc;
};

TEST_F(XmlXPath, SelectsListsInDocumentOrderAndRelativeToANode) {
    TXmlNodeList records = doc.SelectNodes("//Record");
    ASSERT_EQ(records.Length(), 3);
    std::vector<std::string> ids;
    for (const TXmlNode& r : records) ids.push_back(r.SelectSingleNode("Field[@name='Id']").GetAttribute("value"));
    EXPECT_EQ(ids, (std::vector<std::string>{"u1", "u2", "u3"}));
    EXPECT_EQ(records.Item(1).SelectSingleNode("Field[@name='Name']/@value").NodeValue(), "乙");
    EXPECT_EQ(records.Item(1).SelectNodes("Field").Length(), 2);
    EXPECT_EQ(records.Item(2).SelectSingleNode("..").NodeName(), "Nested");
    EXPECT_EQ(doc.DocumentElement().SelectNodes("Record").Length(), 2);  // children only
    EXPECT_EQ(doc.SelectSingleNode("//Status[@code]").GetAttribute("code"), "0");
    TXmlNode attr = doc.SelectSingleNode("//Status/@Description");
    EXPECT_EQ(attr.NodeType(), ntAttribute);
    EXPECT_EQ(attr.Text(), "ok");
    EXPECT_TRUE(doc.SelectSingleNode("/").NodeType() == ntDocument);
}

TEST_F(XmlXPath, NoMatchGivesNothingAndBadPathsRaise) {
    EXPECT_TRUE(doc.SelectSingleNode("//Missing").IsNull());
    EXPECT_EQ(doc.SelectNodes("//Missing").Length(), 0);
    EXPECT_TRUE(doc.DocumentElement().SelectSingleNode("Field").IsNull());
    for (const char* bad : {"//", "Record[", "count(//Record)", "'text'", ""})
        EXPECT_THROW(doc.SelectNodes(bad), EXmlError) << bad;
}

// ---- attributes ----

TEST(XmlAttributes, ReadByNameAndPositionSetAndCreate) {
    TXmlDocument doc;
    ASSERT_TRUE(doc.LoadXML("<Root><R1 ID=\"u1\" Name=\"张三\" Msg=\"YNN\"/></Root>"));
    TXmlNode r1 = doc.SelectSingleNode("//R1");
    ASSERT_EQ(r1.AttributeCount(), 3);
    EXPECT_EQ(r1.Attribute(1).NodeName(), "Name");
    EXPECT_EQ(r1.Attribute(1).NodeValue(), "张三");
    EXPECT_TRUE(r1.Attribute(3).IsNull());
    EXPECT_TRUE(r1.Attribute(-1).IsNull());
    EXPECT_EQ(r1.GetAttribute("Msg"), "YNN");
    EXPECT_EQ(r1.GetAttribute("Mob"), "");
    EXPECT_FALSE(r1.HasAttribute("Mob"));
    EXPECT_TRUE(r1.Attribute(0).OwnerElement() == r1);
    EXPECT_TRUE(r1.Attribute(0).ParentNode().IsNull());

    r1.SetAttribute("Name", "李四");      // existing: value replaced, position kept
    r1.SetAttribute("Mail", "a&b<\"c\">");  // missing: created at the end
    EXPECT_EQ(r1.Attribute(1).NodeValue(), "李四");
    EXPECT_EQ(r1.Attribute(3).NodeName(), "Mail");
    EXPECT_EQ(r1.XML(), "<R1 ID=\"u1\" Name=\"李四\" Msg=\"YNN\" Mail=\"a&amp;b&lt;&quot;c&quot;&gt;\"/>");
    TXmlDocument back;
    ASSERT_TRUE(back.LoadXML(doc.XML()));
    EXPECT_EQ(back.SelectSingleNode("//R1").GetAttribute("Mail"), "a&b<\"c\">");

    TXmlNode type = doc.CreateAttribute("Type");
    type.SetText("5");
    EXPECT_TRUE(r1.SetAttributeNode(type).IsNull());
    EXPECT_EQ(r1.GetAttribute("Type"), "5");
    TXmlNode other = doc.CreateAttribute("ID");
    other.SetText("u9");
    TXmlNode replaced = r1.SetAttributeNode(other);
    EXPECT_EQ(replaced.NodeValue(), "u1");
    EXPECT_EQ(r1.GetAttribute("ID"), "u9");
    EXPECT_TRUE(r1.RemoveAttribute("Msg"));
    EXPECT_FALSE(r1.RemoveAttribute("Msg"));
    EXPECT_EQ(r1.XML(), "<R1 Name=\"李四\" Mail=\"a&amp;b&lt;&quot;c&quot;&gt;\" Type=\"5\" ID=\"u9\"/>");
    EXPECT_EQ(type.XML(), "Type=\"5\"");

    EXPECT_THROW(r1.SetAttribute("bad name", "x"), EXmlError);
    TXmlNode elsewhere = doc.DocumentElement().AppendChild(doc.CreateElement("R2"));
    EXPECT_THROW(elsewhere.SetAttributeNode(type), EXmlError);  // still attached to R1
}

TEST(XmlAttributes, OnlyElementsCarryAttributes) {
    TXmlDocument doc;
    ASSERT_TRUE(doc.LoadXML("<a>t</a>"));
    TXmlNode text = doc.DocumentElement().FirstChild();
    EXPECT_EQ(text.AttributeCount(), 0);
    EXPECT_EQ(text.GetAttribute("x"), "");
    EXPECT_THROW(text.SetAttribute("x", "1"), EXmlError);
}

// ---- building documents ----

TEST(XmlBuild, RecipientsDocumentIsBuiltAndSerialised) {
    TXmlDocument doc;
    TXmlNode root = doc.AppendChild(doc.CreateElement("Root"));
    const struct { const char* tag; const char* id; const char* name; const char* type; } rows[] = {
        {"R1", "DS", "管理", "1"}, {"R3", "u2", "費用", ""}};
    for (const auto& r : rows) {
        TXmlNode e = root.AppendChild(doc.CreateElement(r.tag));
        e.SetAttribute("ID", r.id);
        e.SetAttribute("Name", r.name);
        if (*r.type) e.SetAttribute("Type", r.type);
        e.SetAttribute("Msg", "YNN");
    }
    const std::string markup =
        "<Root><R1 ID=\"DS\" Name=\"管理\" Type=\"1\" Msg=\"YNN\"/><R3 ID=\"u2\" Name=\"費用\" Msg=\"YNN\"/></Root>";
    EXPECT_TRUE(doc.DocumentElement() == root);
    EXPECT_EQ(root.XML(), markup);
    EXPECT_EQ(doc.XML(), markup + "\n");  // a built document has no declaration

    struct { const char* encoding; const char* codec; } targets[] = {
        {"GB2312", "CP936"}, {"BIG5", "CP950"}, {"UTF-8", "UTF-8"}};
    for (const auto& t : targets) {
        const std::string decl = std::string("<?xml version=\"1.0\" encoding=\"") + t.encoding + "\"?>";
        EXPECT_EQ(root.Serialize(t.encoding), Encode(decl + markup, t.codec)) << t.encoding;
        EXPECT_EQ(doc.Serialize(t.encoding), Encode(decl + "\n" + markup + "\n", t.codec)) << t.encoding;
        TXmlDocument back;
        ASSERT_TRUE(back.LoadBytes(root.Serialize(t.encoding))) << t.encoding << back.ParseError().Reason;
        EXPECT_EQ(back.DocumentElement().XML(), markup) << t.encoding;
    }
    EXPECT_THROW(root.Serialize("NO-SUCH-ENCODING"), EXmlError);
}

TEST(XmlBuild, CharactersOutsideTheEncodingBecomeReferences) {
    TXmlDocument doc;
    TXmlNode e = doc.AppendChild(doc.CreateElement("a"));
    e.SetAttribute("v", "费😀");
    e.AppendChild(doc.CreateTextNode("x😀y"));
    const std::string bytes = e.Serialize("GB2312");
    EXPECT_EQ(bytes, Encode("<?xml version=\"1.0\" encoding=\"GB2312\"?><a v=\"费&#128512;\">x&#128512;y</a>", "CP936"));
    TXmlDocument back;
    ASSERT_TRUE(back.LoadBytes(bytes));
    EXPECT_EQ(back.DocumentElement().GetAttribute("v"), "费😀");
    EXPECT_EQ(back.DocumentElement().Text(), "x😀y");
}

TEST(XmlBuild, DocumentKeepsItsDeclarationInXml) {
    TXmlDocument doc;
    ASSERT_TRUE(doc.LoadXML("<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\"?><a>费</a>"));
    EXPECT_EQ(doc.DeclaredEncoding(), "GB2312");
    EXPECT_EQ(doc.XML(), "<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\"?>\n<a>费</a>\n");
    TXmlDocument again;  // the text in memory reads back as the same characters
    ASSERT_TRUE(again.LoadXML(doc.XML()));
    EXPECT_EQ(again.DocumentElement().Text(), "费");
}

TEST(XmlBuild, AppendMovesNodesAndNeverMergesText) {
    TXmlDocument doc;
    TXmlNode root = doc.AppendChild(doc.CreateElement("Root"));
    TXmlNode a = root.AppendChild(doc.CreateElement("A"));
    TXmlNode b = root.AppendChild(doc.CreateElement("B"));
    TXmlNode t1 = a.AppendChild(doc.CreateTextNode("one"));
    TXmlNode t2 = a.AppendChild(doc.CreateTextNode("two"));
    EXPECT_EQ(a.ChildNodes().Length(), 2);
    t1.SetText("1");  // both handles still reach their own node
    EXPECT_EQ(t2.Text(), "two");
    EXPECT_EQ(a.Text(), "1two");

    b.AppendChild(a);  // moving
    EXPECT_EQ(root.XML(), "<Root><B><A>1two</A></B></Root>");
    EXPECT_TRUE(a.ParentNode() == b);

    TXmlNode removed = b.RemoveChild(a);
    EXPECT_TRUE(removed.ParentNode().IsNull());
    EXPECT_EQ(root.XML(), "<Root><B/></Root>");
    root.AppendChild(removed);
    EXPECT_EQ(root.XML(), "<Root><B/><A>1two</A></Root>");
    EXPECT_THROW(b.RemoveChild(a), EXmlError);
}

TEST(XmlBuild, AppendRefusesWhatTheTreeCannotHold) {
    TXmlDocument doc, other;
    TXmlNode root = doc.AppendChild(doc.CreateElement("Root"));
    TXmlNode child = root.AppendChild(doc.CreateElement("C"));
    EXPECT_THROW(child.AppendChild(root), EXmlError);                  // below itself
    EXPECT_THROW(child.AppendChild(child), EXmlError);
    EXPECT_THROW(doc.AppendChild(doc.CreateElement("Second")), EXmlError);
    EXPECT_THROW(doc.AppendChild(doc.CreateTextNode("t")), EXmlError);
    EXPECT_THROW(root.AppendChild(other.CreateElement("X")), EXmlError);  // other document
    EXPECT_THROW(root.AppendChild(doc.CreateAttribute("x")), EXmlError);
    TXmlNode text = root.AppendChild(doc.CreateTextNode("t"));
    EXPECT_THROW(text.AppendChild(doc.CreateElement("Y")), EXmlError);
    for (const char* bad : {"", "1abc", "a b", "<x>"}) EXPECT_THROW(doc.CreateElement(bad), EXmlError) << bad;
    EXPECT_EQ(root.XML(), "<Root><C/>t</Root>");
}

TEST(XmlBuild, SetTextOnAnElementReplacesItsChildren) {
    TXmlDocument doc;
    ASSERT_TRUE(doc.LoadXML("<a><b/>x</a>"));
    TXmlNode a = doc.DocumentElement();
    TXmlNode b = a.FirstChild();
    a.SetText("new & <text>");
    EXPECT_EQ(a.XML(), "<a>new &amp; &lt;text&gt;</a>");
    EXPECT_EQ(b.NodeName(), "b");  // the old child is out of the tree but still usable
    EXPECT_TRUE(b.ParentNode().IsNull());
    a.SetText("");
    EXPECT_FALSE(a.HasChildNodes());
}

// ---- handle lifetime ----

TEST(XmlLifetime, NodesOutliveTheirDocumentVariableAndReloads) {
    TXmlNode kept;
    {
        TXmlDocument doc;
        ASSERT_TRUE(doc.LoadXML("<Root><R1 ID=\"u1\"/></Root>"));
        kept = doc.SelectSingleNode("//R1");
        TXmlNode loose = doc.CreateElement("NeverAppended");  // freed with the tree
        loose.AppendChild(doc.CreateTextNode("x"));
    }
    EXPECT_EQ(kept.GetAttribute("ID"), "u1");
    TXmlDocument owner = kept.OwnerDocument();
    EXPECT_EQ(owner.DocumentElement().NodeName(), "Root");
    kept.AppendChild(owner.CreateElement("Added"));
    EXPECT_EQ(owner.DocumentElement().XML(), "<Root><R1 ID=\"u1\"><Added/></R1></Root>");

    TXmlDocument doc;
    ASSERT_TRUE(doc.LoadXML("<Old><X/></Old>"));
    TXmlNode old = doc.SelectSingleNode("//X");
    ASSERT_TRUE(doc.LoadXML("<New/>"));
    EXPECT_EQ(old.ParentNode().NodeName(), "Old");        // the old tree is still alive
    EXPECT_THROW(doc.DocumentElement().AppendChild(old), EXmlError);  // but it is another tree
    TXmlDocument copy = doc;  // copies share one document object
    ASSERT_TRUE(copy.LoadXML("<Shared/>"));
    EXPECT_EQ(doc.DocumentElement().NodeName(), "Shared");
}
