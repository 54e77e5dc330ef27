// Code page conversions through iconv: GB and BIG5 round trips, byte lengths, '?' for missing.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/core/Exceptions.h"
#include "platform/system/CodePage.h"

using namespace plat;

namespace {

const std::string kBudgetGb = "\xE8\xB4\xB9\xE7\x94\xA8\xE9\xA2\x84\xE7\xAE\x97";     // 费用预算
const std::string kBudgetBig5 = "\xE8\xB2\xBB\xE7\x94\xA8\xE9\xA0\x90\xE7\xAE\x97";   // 費用預算

TEST(CodePage, GbAndBig5RoundTrips) {
    const std::string gb = Utf8ToCodePage(kBudgetGb, 936);
    EXPECT_EQ(gb, "\xB7\xD1\xD3\xC3\xD4\xA4\xCB\xE3");
    EXPECT_EQ(CodePageToUtf8(gb, 936), kBudgetGb);
    const std::string big5 = Utf8ToCodePage(kBudgetBig5, 950);
    EXPECT_EQ(big5, "\xB6\x4F\xA5\xCE\xB9\x77\xBA\xE2");
    EXPECT_EQ(CodePageToUtf8(big5, 950), kBudgetBig5);
    const std::string mixed = "A1 " + kBudgetGb + " z";
    EXPECT_EQ(CodePageToUtf8(Utf8ToCodePage(mixed, 54936), 54936), mixed);
    EXPECT_EQ(CodePageToUtf8("\x82", 437), "\xC3\xA9");  // é
    EXPECT_EQ(Utf8ToCodePage("\xE2\x82\xAC", 1252), "\x80");  // €
}

TEST(CodePage, ByteLengths) {
    const std::vector<std::tuple<std::string, int, int>> cases = {
        {kBudgetGb, 936, 8},
        {"abc", 936, 3},
        {"", 936, 0},
        {kBudgetBig5, 950, 8},
        {"\xE8\xB4\xB9\xE7\x94\xA8", 950, 3},  // 费 is simplified only: one '?' + 用
        {"\xC3\xA9", 1252, 1},
        {"\xCE\xA9", 437, 1},                  // Ω is in 437
        {kBudgetGb, 65001, 12},
    };
    for (const auto& [text, cp, len] : cases) EXPECT_EQ(CodePageByteLength(text, cp), len) << text << " " << cp;
}

TEST(CodePage, MissingCharactersBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCodePage("a\xE2\x82\xAC" "b", 437), "a?b");        // € not in 437
    EXPECT_EQ(Utf8ToCodePage("x\xE8\xB4\xB9y", 437), "x?y");           // CJK not in 437
    EXPECT_EQ(Utf8ToCodePage("\xE8\xB4\xB9", 1252), "?");
    EXPECT_EQ(Utf8ToCodePage("a\xFF" "b", 936), "a?b");               // broken UTF-8
    EXPECT_EQ(CodePageToUtf8("a\x81", 1252), "a?");                   // undefined in 1252
    EXPECT_EQ(CodePageToUtf8("\xFF\xFF" "a", 936), "??a");
    EXPECT_EQ(CodePageToUtf8("a\xB7", 936), "a?");                    // lead byte cut off
}

TEST(CodePage, NamesAndUnsupportedPages) {
    EXPECT_EQ(CodePageName(936), "CP936");
    EXPECT_EQ(CodePageName(950), "CP950");
    EXPECT_EQ(CodePageName(437), "CP437");
    EXPECT_EQ(CodePageName(1252), "CP1252");
    EXPECT_THROW(CodePageName(1234), EConvertError);
    EXPECT_THROW(Utf8ToCodePage("a", 1234), EConvertError);
    const std::vector<std::pair<const char*, int>> names = {
        {"936", 936}, {"cp936", 936}, {"GBK", 936}, {"GB2312", 936}, {"BIG5", 950}, {" 950 ", 950},
        {"437", 437}, {"1252", 1252}, {"UTF-8", 65001}, {"GB18030", 54936}, {"koi8", 0}, {"", 0}};
    for (const auto& [n, cp] : names) EXPECT_EQ(CodePageFromName(n), cp) << n;
    EXPECT_TRUE(IsValidUtf8(kBudgetGb));
    EXPECT_FALSE(IsValidUtf8("\xB7\xD1"));
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // a surrogate
}

}  // namespace
