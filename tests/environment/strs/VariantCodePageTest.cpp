// Code-page conversion of texts and of the texts inside Variants.
#include <gtest/gtest.h>

#include "environment/LibStrs.h"
#include "environment/fixtures/Installation.h"

using namespace qm;
using plat::VarArrayCreate;
using plat::VarArrayOf;
using plat::Variant;

namespace {

TEST(CodePageText, ConvertsBothWays) {
    envtest::ScopedEnv cp("XQ_SYSTEM_CODEPAGE", "936");
    const struct {
        int codePage;
        std::string text, bytes;
    } cases[] = {
        {936, "费用", "\xB7\xD1\xD3\xC3"},
        {950, "費用", "\xB6\x4F\xA5\xCE"},
        {1252, "é", "\xE9"},
        {437, "é", "\x82"},
        {936, "abc", "abc"},
        {936, "", ""},
        // A code page the system cannot convert falls back to the system code page (936 here).
        {12345, "费用", "\xB7\xD1\xD3\xC3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WideToAnsiCP(c.text, c.codePage), c.bytes) << c.codePage << " " << c.text;
        EXPECT_EQ(AnsiToWideCP(c.bytes, c.codePage), c.text) << c.codePage << " " << c.text;
    }
}

TEST(VarToAnsiCP, RetagsWideTextsItTreats) {
    EXPECT_EQ(VarToAnsiCP(Variant::Wide("费用"), 936).VarType(), plat::varString);
    EXPECT_EQ(VarToAnsiCP(Variant::Wide("费用"), 936), Variant("费用"));
    EXPECT_EQ(VarToAnsiCP(Variant::Narrow("费用"), 936).VarType(), plat::varString);
    EXPECT_TRUE(VarToAnsiCP(Variant(), 936).IsEmpty());
    EXPECT_TRUE(VarToAnsiCP(Variant::Null(), 936).IsNull());
    EXPECT_EQ(VarToAnsiCP(Variant(5), 936), Variant(5));

    // One dimension: wide elements and nested arrays; narrow and other elements stay.
    const Variant nested = VarArrayOf({Variant::Wide("a"), Variant(1), Variant::Narrow("b"),
                                       VarArrayOf({Variant::Wide("c"), VarArrayOf({Variant::Wide("d")})})});
    const Variant r = VarToAnsiCP(nested, 936);
    EXPECT_EQ(r[0].VarType(), plat::varString);
    EXPECT_EQ(r[1], Variant(1));
    EXPECT_EQ(r[2].VarType(), plat::varString);
    EXPECT_EQ(r[3][0].VarType(), plat::varString);
    EXPECT_EQ(r[3][1][0].VarType(), plat::varString);
    EXPECT_EQ(r[3][1][0], Variant("d"));

    // Two dimensions: wide elements; an array inside is left alone.
    Variant two = VarArrayCreate({0, 1, 0, 1});
    two.At(0, 0) = Variant::Wide("x");
    two.At(1, 0) = VarArrayOf({Variant::Wide("y")});
    two.At(0, 1) = Variant(2);
    const Variant r2 = VarToAnsiCP(two, 936);
    EXPECT_EQ(r2.At(0, 0).VarType(), plat::varString);
    EXPECT_EQ(r2.At(1, 0)[0].VarType(), plat::varOleStr);
    EXPECT_EQ(r2.At(0, 1), Variant(2));

    // Three dimensions stay as they are.
    Variant three = VarArrayCreate({0, 0, 0, 0, 0, 0});
    three.At({0, 0, 0}) = Variant::Wide("z");
    EXPECT_EQ(VarToAnsiCP(three, 936).At({0, 0, 0}).VarType(), plat::varOleStr);
}

TEST(VarToWideCP, RetagsTheTopText) {
    const Variant top = VarToWideCP(Variant::Narrow("费用"), 936);
    EXPECT_EQ(top.VarType(), plat::varOleStr);
    EXPECT_EQ(top, Variant("费用"));
    // Inside arrays only wide elements are treated, and they stay wide.
    const Variant r = VarToWideCP(VarArrayOf({Variant::Narrow("a"), Variant::Wide("b"), VarArrayOf({Variant::Narrow("c")})}), 936);
    EXPECT_EQ(r[0].VarType(), plat::varString);
    EXPECT_EQ(r[1].VarType(), plat::varOleStr);
    EXPECT_EQ(r[2][0].VarType(), plat::varString);
    EXPECT_EQ(VarToWideCP(Variant(3), 936), Variant(3));
}

}  // namespace
