// The language packages the installation ships (data/MultiLanguage): each parses and names its
// class, the languages carry the same entries, English messages are found through the usual
// look-up, and the traditional texts are what the conversion library makes of the design texts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>

#include "environment/LangCommon.h"
#include "environment/TranslatorU.h"
#include "environment/fixtures/Installation.h"
#include "platform/xml/XmlDocument.h"

using namespace plat;
using namespace qm;

namespace {

const std::filesystem::path Shipped = std::filesystem::path(XQ_SOURCE_DIR) / "data" / "MultiLanguage";

// Element name -> attribute name -> value, of every element below the root.
using TEntries = std::map<std::string, std::map<std::string, std::string>>;

TEntries EntriesOf(const std::filesystem::path& file) {
    TXmlDocument doc;
    EXPECT_TRUE(doc.Load(file.string())) << file << ": " << doc.ParseError().Reason;
    TEntries entries;
    if (!doc.DocumentElement()) return entries;
    EXPECT_EQ(doc.DocumentElement().NodeName(), file.stem().string()) << file;
    for (const TXmlNode& e : doc.SelectNodes("/*/*"))
        for (const TXmlNode& a : e.Attributes()) entries[e.NodeName()][a.NodeName()] = a.Text();
    return entries;
}

TEST(ShippedPackages, ParseAndCarryTheSameEntriesInEveryLanguage) {
    std::set<std::string> classes;
    for (const char* code : {"CHS", "CHT", "ENG"})
        for (const auto& f : std::filesystem::directory_iterator(Shipped / code)) {
            EXPECT_EQ(f.path().extension(), ".Lng") << f.path();
            classes.insert(f.path().stem().string());
        }
    ASSERT_TRUE(classes.count("TfrmBaseGene"));
    for (const std::string& cls : classes) {
        if (cls == "TQMForm") continue;  // the base form differs by design (English fonts)
        ASSERT_TRUE(std::filesystem::exists(Shipped / "ENG" / (cls + ".Lng"))) << cls;
        ASSERT_TRUE(std::filesystem::exists(Shipped / "CHT" / (cls + ".Lng"))) << cls;
        TEntries eng = EntriesOf(Shipped / "ENG" / (cls + ".Lng"));
        TEntries cht = EntriesOf(Shipped / "CHT" / (cls + ".Lng"));
        ASSERT_EQ(eng.size(), cht.size()) << cls;
        for (const auto& [element, attributes] : eng) {
            ASSERT_TRUE(cht.count(element)) << cls << " " << element;
            for (const auto& [name, value] : attributes) {
                EXPECT_TRUE(cht[element].count(name)) << cls << " " << element << " " << name;
                EXPECT_FALSE(value.empty()) << cls << " " << element << " " << name;
            }
        }
    }
}

class ShippedMessages : public envtest::Installation {
protected:
    void SetUp() override {
        envtest::Installation::SetUp();
        std::filesystem::create_directory_symlink(Shipped, fFolder / "MultiLanguage");
    }
    std::string Message(const std::string& package, const std::string& key) {
        std::string text;
        ReadLangMessage(dtClient, package, key, text, "(default)");
        return text;
    }
};

TEST_F(ShippedMessages, EnglishScreensFindTheirMessages) {
    SystemCodePage("1252");
    EXPECT_EQ(Message("TfrmBaseGene", "sProjNameEmpty"), "The scheme name must not be blank!");
    EXPECT_EQ(Message("TfrmBaseRpt", "sFailedReason"), "Generating the report failed! Reason: ");
    EXPECT_EQ(Message("TfrmGeneCondition", "sReplaceProj"), "A scheme of this name already exists. Replace it with this one?");
    EXPECT_EQ(Message("TfrmNotify", "Cells30"), "Mail address");
    EXPECT_EQ(Message("TfrmBaseGene", "sNoSuchKey"), "(default)");
}

TEST_F(ShippedMessages, TraditionalTextsComeFromTheConversionLibrary) {
    LinkStagedLibrary("Radorudavu.so");
    TTranslator translator;
    Ini("OrreryC.ini", "[CodePage]\nUICodePage=950\n");
    struct Case { const char* package; const char* key; const char* design; };
    const Case cases[] = {
        {"TfrmBaseGene", "sDeleteProj", "确实要删除此方案吗？"},
        {"TfrmBaseGene", "sProjNameExist", "此方案名称已经存在！"},
        {"TfrmBaseRpt", "sFailedRunJobQ", "启动队列管理员失败! "},
        {"TfrmGeneCondition", "sEmptyProjName", "方案名不可空白!"},
        {"TfrmNotify", "Cells20", "手机号码"},
    };
    for (const Case& c : cases) EXPECT_EQ(Message(c.package, c.key), translator.ToBIG5(c.design)) << c.key;
}

}  // namespace
