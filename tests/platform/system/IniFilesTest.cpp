// Ini reader semantics, for both the re-reading and the in-memory class.
#include <gtest/gtest.h>

#include <memory>

#include "TempDir.h"
#include "platform/core/SysUtils.h"
#include "platform/system/CodePage.h"
#include "platform/system/IniFiles.h"

using namespace plat;
using systest::TempDir;

namespace {

const char* const kIni =
    "; leading comment\r\n"
    "[Main]\r\n"
    "Name = Value One  \r\n"
    "name=Second\r\n"
    "Quoted=\"  spaced  \"\r\n"
    "Single='x'\r\n"
    "Empty=\r\n"
    "Num=42\r\n"
    "Hex=0x1F\r\n"
    "Bool0=0\r\n"
    "Bool2=2\r\n"
    "BoolText=true\r\n"
    "Float=2.5\r\n"
    "BadFloat=abc\r\n"
    "Eq=a=b\r\n"
    "no equals sign here\r\n"
    ";Hidden=1\r\n"
    "  [ main ]\r\n"
    "Extra=x\r\n"
    "[Other]\r\n"
    "Key=\xE8\xB4\xB9\xE7\x94\xA8\r\n";

class IniFilesTest : public ::testing::Test {
protected:
    void SetUp() override { file_ = dir_.Write("Test.ini", kIni); }
    std::vector<std::unique_ptr<TCustomIniFile>> Both() {
        std::vector<std::unique_ptr<TCustomIniFile>> v;
        v.push_back(std::make_unique<TIniFile>(file_));
        v.push_back(std::make_unique<TMemIniFile>(file_));
        return v;
    }
    TempDir dir_;
    std::string file_;
};

TEST_F(IniFilesTest, ReadStringSemantics) {
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"Main", "Name", "Value One"},      // trimmed
        {"MAIN", "NAME", "Value One"},      // case-insensitive; the first of two equal keys wins
        {"Main", "Quoted", "  spaced  "},   // quotes stripped, inner blanks kept
        {"Main", "Single", "x"},
        {"Main", "Empty", ""},              // present but empty: not the default
        {"Main", "Eq", "a=b"},
        {"Main", "Missing", "dflt"},
        {"Main", "Hidden", "dflt"},         // commented out
        {"Main", "no equals sign here", "dflt"},
        {"main", "Extra", "dflt"},          // the first of two equal sections wins
        {"Other", "Key", "\xE8\xB4\xB9\xE7\x94\xA8"},
        {"None", "Key", "dflt"},
    };
    for (const auto& ini : Both())
        for (const auto& c : cases)
            EXPECT_EQ(ini->ReadString(c.section, c.key, "dflt"), c.expected) << c.section << "/" << c.key;
}

TEST_F(IniFilesTest, TypedReads) {
    for (const auto& ini : Both()) {
        EXPECT_EQ(ini->ReadInteger("Main", "Num", -1), 42);
        EXPECT_EQ(ini->ReadInteger("Main", "Hex", -1), 31);
        EXPECT_EQ(ini->ReadInteger("Main", "BoolText", -1), -1);
        EXPECT_EQ(ini->ReadInteger("Main", "Missing", 7), 7);
        EXPECT_FALSE(ini->ReadBool("Main", "Bool0", true));
        EXPECT_TRUE(ini->ReadBool("Main", "Bool2", false));
        EXPECT_TRUE(ini->ReadBool("Main", "BoolText", true));   // not a number: the default
        EXPECT_FALSE(ini->ReadBool("Main", "BoolText", false));
        EXPECT_TRUE(ini->ReadBool("Main", "Missing", true));
        EXPECT_DOUBLE_EQ(ini->ReadFloat("Main", "Float", 0), 2.5);
        EXPECT_DOUBLE_EQ(ini->ReadFloat("Main", "BadFloat", 1.5), 1.5);
        EXPECT_DOUBLE_EQ(ini->ReadFloat("Main", "Empty", 1.5), 1.5);
    }
}

TEST_F(IniFilesTest, ListsInFileOrder) {
    for (const auto& ini : Both()) {
        EXPECT_EQ(ini->ReadSections(), (std::vector<std::string>{"Main", "Other"}));
        EXPECT_EQ(ini->ReadSection("main"),
                  (std::vector<std::string>{"Name", "Quoted", "Single", "Empty", "Num", "Hex", "Bool0", "Bool2",
                                            "BoolText", "Float", "BadFloat", "Eq"}));
        EXPECT_EQ(ini->ReadSectionValues("Other"), (std::vector<std::string>{"Key=\xE8\xB4\xB9\xE7\x94\xA8"}));
        EXPECT_TRUE(ini->ReadSection("None").empty());
        EXPECT_TRUE(ini->SectionExists("OTHER"));
        EXPECT_FALSE(ini->SectionExists("None"));
        EXPECT_TRUE(ini->ValueExists("Main", "empty"));
        EXPECT_FALSE(ini->ValueExists("Main", "Hidden"));
    }
}

TEST_F(IniFilesTest, Gb18030FallbackAndBom) {
    const std::string gb = Utf8ToCodePage("[\xE8\x8A\x82]\n\xE9\x94\xAE=\xE8\xB4\xB9\xE7\x94\xA8\n", 54936);  // [节] 键=费用
    ASSERT_FALSE(IsValidUtf8(gb));
    const std::string gbFile = dir_.Write("gb.ini", gb);
    EXPECT_EQ(TMemIniFile(gbFile).ReadString("\xE8\x8A\x82", "\xE9\x94\xAE", ""), "\xE8\xB4\xB9\xE7\x94\xA8");
    const std::string bomFile = dir_.Write("bom.ini", "\xEF\xBB\xBF[A]\nk=v\n");
    EXPECT_EQ(TIniFile(bomFile).ReadString("A", "k", ""), "v");
}

TEST_F(IniFilesTest, MissingFileAndExactCaseNames) {
    for (const std::string& name : {dir_.Path() + "Nothing.ini", dir_.Path() + "test.ini", std::string()}) {
        TIniFile ini(name);
        EXPECT_EQ(ini.ReadString("Main", "Name", "d"), "d") << name;
        EXPECT_EQ(ini.ReadInteger("Main", "Num", 5), 5);
        EXPECT_TRUE(ini.ReadSections().empty());
    }
}

TEST_F(IniFilesTest, TIniFileSeesEditsTMemIniFileDoesNot) {
    TIniFile live(file_);
    TMemIniFile snapshot(file_);
    EXPECT_EQ(live.ReadString("Other", "Key", ""), "\xE8\xB4\xB9\xE7\x94\xA8");
    dir_.Write("Test.ini", "[Other]\nKey=changed\n");
    EXPECT_EQ(live.ReadString("Other", "Key", ""), "changed");
    EXPECT_EQ(snapshot.ReadString("Other", "Key", ""), "\xE8\xB4\xB9\xE7\x94\xA8");
    auto fromText = TMemIniFile::FromText("[S]\nA = 1\n");
    EXPECT_EQ(fromText->ReadInteger("s", "a", 0), 1);
}

}  // namespace
