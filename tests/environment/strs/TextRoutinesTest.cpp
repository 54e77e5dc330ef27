// Splitting, counting and replacing in delimited texts; fixed-format numbers; the small system
// routines.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "environment/LibStrs.h"
#include "environment/LibSys.h"

using namespace qm;
using plat::Variant;

namespace {

struct FieldCase {
    std::string s, sep;
    int n;
    std::string expected;
};

TEST(GetField, PiecesByNumber) {
    const FieldCase cases[] = {
        {"a,b,c", ",", 1, "a"},
        {"a,b,c", ",", 3, "c"},
        {"a,b,c", ",", 4, ""},
        {"abc", ",", 1, "abc"},
        {"abc", ",", 2, ""},
        {"a,b,", ",", 3, ""},
        {"a,,c", ",", 2, ""},
        {"a,,c", ",", 3, "c"},
        {"a<>b<>c", "<>", 2, "b"},
        {"a,b", "", 1, "a,b"},
        {"a,b", ",", 0, ""},
        {"", ",", 1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetField(c.s, c.sep, c.n), c.expected) << c.s << " sep " << c.sep << " n " << c.n;
}

TEST(FieldCount, CountsSeparatorsPlusOne) {
    const struct {
        std::string s, sep;
        int expected;
    } cases[] = {
        {"a;b;c", ";", 3},
        {"", ";", 0},
        {"abc", ";", 1},
        {"a;b;", ";", 3},
        {"a#b#c", "#", 3},
        // Blotting only the first character of a find lets overlapping finds count.
        {"aaa", "aa", 3},
        // A separator beginning with "#" that is not "#" must still end.
        {"x#1y#1z", "#1", 3},
        {"##1", "##", 2},
        {"abc", "", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(FieldCount(c.s, c.sep), c.expected) << c.s << " sep " << c.sep;
}

TEST(SplitFirst, HeadAndRest) {
    std::string s = "ab;cd;ef";
    EXPECT_EQ(SplitFirst(s, ";"), "ab");
    EXPECT_EQ(s, "cd;ef");
    EXPECT_EQ(SplitFirst(s, ";"), "cd");
    EXPECT_EQ(SplitFirst(s, ";"), "ef");
    EXPECT_EQ(s, "");
    std::string t = "x;y";
    EXPECT_EQ(SplitFirst(t, ""), "x;y");
    EXPECT_EQ(t, "");
}

TEST(ReplaceAll, ReplacesUntilNoneLeft) {
    const struct {
        std::string s, oldText, newText;
        bool trim;
        std::string expected;
    } cases[] = {
        {"a-b-c", "-", "+", false, "a+b+c"},
        {"  a-b  ", "-", "", true, "ab"},
        {"  a-b  ", "-", "", false, "  ab  "},
        // Old and New equal apart from case: nothing changes.
        {"Abc abc", "abc", "ABC", false, "Abc abc"},
        {"Abc abc", "abc", "abc", false, "Abc abc"},
        // A replacement that makes a new find is replaced again (search restarts from the start).
        {"abb", "ab", "a", false, "a"},
        {"aaaab", "ab", "b", false, "b"},
        // New containing Old, and an empty Old, end.
        {"xax", "a", "aa", false, "xaax"},
        {"abc", "", "z", false, "abc"},
        {"abc", "x", "y", false, "abc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceAll(c.s, c.oldText, c.newText, c.trim), c.expected)
            << c.s << " " << c.oldText << " -> " << c.newText;
}

TEST(ReplaceAll, SelfFeedingRewriteEnds) {
    // Every replacement of "ab" by "bbaa" creates a new "ab" further right: stopped by size.
    const std::string r = ReplaceAll("aab", "ab", "bbaa", false);
    EXPECT_GT(r.size(), 3u);
}

TEST(BuildCountedList, PrefixCountAndItems) {
    Variant v = plat::VarArrayOf({Variant(2), Variant("x"), Variant("y")});
    EXPECT_EQ(BuildCountedList("P", v), "P\x03"
                                        "2\x03x\x03y\x03");
    Variant empty = plat::VarArrayOf({Variant(0)});
    EXPECT_EQ(BuildCountedList("", empty), "\x03"
                                           "0\x03");
}

TEST(StrToFloatDefVal, FixedFormatOnly) {
    const struct {
        std::string s;
        double expected;
    } cases[] = {
        {"1.5", 1.5},   {"-2", -2},     {"+3.25", 3.25}, {".5", 0.5},   {"2.", 2},
        {"1e3", 1000},  {"1.5E-2", 0.015}, {" 7 ", 7},   {"", -1},      {"abc", -1},
        {"1,5", -1},    {"1,000", -1},  {"1.5x", -1},    {"e5", -1},    {"1e", -1},
        {".", -1},      {"--1", -1},    {"1 2", -1},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(StrToFloatDefVal(c.s, -1), c.expected) << "'" << c.s << "'";
}

TEST(ButtonCaption, TableAndPassThrough) {
    const struct {
        std::string name, caption;
    } cases[] = {
        {"Yes", "是(&Y)"},      {"No", "否(&N)"},      {"OK", "确定"},          {"Cancel", "取消"},
        {"Abort", "中断(&A)"},  {"Retry", "重试(&R)"}, {"Ignore", "忽略(&I)"},  {"All", "全部(&A)"},
        {"NoToAll", "全否(&o)"}, {"YesToAll", "全是(&A)"}, {"Help", "帮助(&H)"}, {"Close", "Close"},
        {"yes", "yes"},
    };
    for (const auto& c : cases) EXPECT_EQ(ButtonCaption(c.name), c.caption);
}

TEST(IsLocalHost, OnlyTheLoopbackAddress) {
    EXPECT_TRUE(IsLocalHost("127.0.0.1"));
    EXPECT_FALSE(IsLocalHost("localhost"));
    EXPECT_FALSE(IsLocalHost(" 127.0.0.1"));
    EXPECT_FALSE(IsLocalHost(""));
}

TEST(GetTempFolder, EnvironmentOrTmpWithSlash) {
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    char dir[] = "/tmp/qmenv-tmpXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    setenv("TMPDIR", dir, 1);
    EXPECT_EQ(GetTempFolder(), std::string(dir) + "/");
    setenv("TMPDIR", "/nonexistent/qmenv", 1);
    EXPECT_EQ(GetTempFolder(), "/tmp/");
    rmdir(dir);
    setenv("TMPDIR", "", 1);
    EXPECT_EQ(GetTempFolder(), "/tmp/");
    unsetenv("TMPDIR");
    EXPECT_EQ(GetTempFolder(), "/tmp/");
    if (old) setenv("TMPDIR", saved.c_str(), 1);
}

TEST(IIF, PicksByFlag) {
    EXPECT_EQ(IIF(true, Variant(1), Variant("b")), Variant(1));
    EXPECT_EQ(IIF(false, Variant(1), Variant("b")), Variant("b"));
    EXPECT_TRUE(VarIsEmptyOrNull(Variant()));
    EXPECT_TRUE(VarIsEmptyOrNull(Variant::Null()));
    EXPECT_FALSE(VarIsEmptyOrNull(Variant("")));
    EXPECT_FALSE(VarIsEmptyOrNull(Variant(0)));
}

}  // namespace
