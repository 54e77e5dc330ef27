// Variant: conversions by the automation rules and their errors, arrays, copy semantics, comparison.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "platform/core/Automation.h"
#include "platform/core/SysUtils.h"
#include "platform/core/Variant.h"

using namespace plat;

namespace {

// Runs `f` and answers the message of the EVariantTypeCastError it raised ("" when none).
template <class F>
std::string CastErrorOf(F f) {
    try {
        f();
    } catch (const EVariantTypeCastError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(VariantConversion, ToText) {
    struct Case {
        Variant value;
        std::string text;
    };
    const Case cases[] = {
        {Variant(), ""},
        {Variant(42), "42"},
        {Variant(-7), "-7"},
        {Variant::Smallint(-300), "-300"},
        {Variant::Byte(200), "200"},
        {Variant(2.5), "2.5"},
        {Variant(0.1), "0.1"},
        {Variant(2.0), "2"},
        {Variant(1e20), "1E20"},
        {Variant(1.5e-7), "1.5E-7"},
        {Variant(-1234.5678), "-1234.5678"},
        {Variant(true), "True"},
        {Variant(false), "False"},
        {Variant("abc"), "abc"},
        {Variant::Wide("费用预算"), "费用预算"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.value.AsString(), c.text) << Variant::TypeName(c.value.VarType());
}

TEST(VariantConversion, DatesReadAsTextByTheProcessSettings) {
    TFormatSettings saved = FormatSettings;
    FormatSettings.ShortDateFormat = "yyyy/mm/dd";
    FormatSettings.DateSeparator = '/';
    FormatSettings.LongTimeFormat = "hh:nn:ss";
    const TDateTime day = 45356;  // 2024-03-05
    EXPECT_EQ(Variant::Date(day).AsString(), "2024/03/05");  // no time at midnight
    EXPECT_EQ(Variant::Date(day + (8 * 60 + 5) / 1440.0).AsString(), "2024/03/05 08:05:00");
    // Text to date: the fixed form, the settings' short date form, or a number of days.
    EXPECT_DOUBLE_EQ(Variant("2024/03/05").AsDate(), day);
    EXPECT_DOUBLE_EQ(Variant("2024-03-05").AsDate(), day);
    EXPECT_DOUBLE_EQ(Variant("45356").AsDate(), day);
    FormatSettings = saved;
}

TEST(VariantConversion, ToNumbers) {
    struct Case {
        Variant value;
        int32_t integer;
        double real;
        bool boolean;
    };
    const Case cases[] = {
        {Variant(), 0, 0, false},
        {Variant(5), 5, 5, true},
        {Variant(0), 0, 0, false},
        {Variant(true), -1, -1, true},
        {Variant(false), 0, 0, false},
        {Variant(2.5), 2, 2.5, true},    // half to even
        {Variant(3.5), 4, 3.5, true},
        {Variant(-2.5), -2, -2.5, true},
        {Variant(2.6), 3, 2.6, true},
        {Variant("12"), 12, 12, true},
        {Variant(" 7.5 "), 8, 7.5, true},
        {Variant("-1e3"), -1000, -1000, true},
        {Variant("0"), 0, 0, false},
        {Variant::Wide("3"), 3, 3, true},
        {Variant::Byte(9), 9, 9, true},
        {Variant::Smallint(-9), -9, -9, true},
        {Variant::Date(1.75), 2, 1.75, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(VarToStr(c.value));
        EXPECT_EQ(c.value.AsInteger(), c.integer);
        EXPECT_DOUBLE_EQ(c.value.AsDouble(), c.real);
        EXPECT_EQ(c.value.AsBoolean(), c.boolean);
    }
}

TEST(VariantConversion, TextToBoolean) {
    EXPECT_TRUE(Variant("True").AsBoolean());
    EXPECT_TRUE(Variant("tRUE").AsBoolean());
    EXPECT_FALSE(Variant("FALSE").AsBoolean());
    EXPECT_TRUE(Variant("-1").AsBoolean());
    EXPECT_FALSE(Variant("0.0").AsBoolean());
}

TEST(VariantConversion, TextToDate) {
    EXPECT_DOUBLE_EQ(Variant("2024-03-05").AsDate(), 45356);
    EXPECT_NEAR(Variant("2024-03-05 12:00:00").AsDate(), 45356.5, 1e-9);
    EXPECT_DOUBLE_EQ(Variant("1899-12-30").AsDate(), 0);
}

TEST(VariantConversion, TextToNumberAlsoTakesTheSettingsDecimalSeparator) {
    TFormatSettings saved = FormatSettings;
    FormatSettings.DecimalSeparator = ',';
    EXPECT_DOUBLE_EQ(Variant("1,5").AsDouble(), 1.5);
    EXPECT_DOUBLE_EQ(Variant("1.5").AsDouble(), 1.5);  // the invariant form always reads
    FormatSettings = saved;
    EXPECT_THROW(Variant("1,5").AsDouble(), EVariantTypeCastError);
}

TEST(VariantConversion, FailuresSayWhatAndToWhat) {
    struct Case {
        std::function<void()> convert;
        std::string message;  // a part the message must contain
    };
    const Variant null = Variant::Null();
    const Variant array = VarArrayOf({1, 2});
    const Case cases[] = {
        {[&] { (void)null.AsString(); }, "Could not convert variant of type (Null) into type (String)"},
        {[&] { (void)null.AsInteger(); }, "(Null) into type (Integer)"},
        {[&] { (void)null.AsDouble(); }, "(Null) into type (Double)"},
        {[&] { (void)null.AsBoolean(); }, "(Null) into type (Boolean)"},
        {[&] { (void)null.AsDate(); }, "(Null) into type (Date)"},
        {[] { (void)Variant("abc").AsInteger(); }, "\"abc\" is not a valid number"},
        {[] { (void)Variant("1.2.3").AsDouble(); }, "(String) into type (Double)"},
        {[] { (void)Variant("").AsDouble(); }, "\"\" is not a valid number"},
        {[] { (void)Variant("yes").AsBoolean(); }, "(String) into type (Boolean)"},
        {[] { (void)Variant("next week").AsDate(); }, "(String) into type (Date)"},
        {[] { (void)Variant(3e9).AsInteger(); }, "outside the 32-bit integer range"},
        {[] { (void)Variant(-2147483649.0).AsInteger(); }, "outside the 32-bit integer range"},
        {[] { (void)Variant("99999999999").AsInteger(); }, "\"99999999999\" is outside"},
        {[&] { (void)array.AsString(); }, "(Array of Variant) into type (String)"},
        {[&] { (void)array.AsInteger(); }, "(Array of Variant) into type (Integer)"},
        {[] { (void)Variant(5).AsObject(); }, "(Integer) into type (Dispatch)"},
        {[] { (void)Variant(300).AsType(varByte); }, "300 is outside 0..255"},
        {[] { (void)Variant(40000).AsType(varSmallint); }, "outside -32768..32767"},
        {[] { (void)Variant(1).AsType(static_cast<TVarType>(varArray | varVariant)); }, "into type (Array of Variant)"},
    };
    for (const Case& c : cases) {
        std::string message = CastErrorOf(c.convert);
        EXPECT_NE(message.find(c.message), std::string::npos) << "got: \"" << message << "\", wanted: " << c.message;
    }
}

TEST(VariantConversion, BoundaryIntegersConvert) {
    EXPECT_EQ(Variant(2147483647.0).AsInteger(), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(Variant(-2147483648.0).AsInteger(), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(Variant(2147483647.4).AsInteger(), std::numeric_limits<int32_t>::max());
}

TEST(VariantConversion, NullToleratedByVarToStrOnly) {
    EXPECT_EQ(VarToStr(Variant::Null()), "");
    EXPECT_EQ(VarToStr(Variant(3)), "3");
    EXPECT_TRUE(VarIsEmptyOrNull(Variant::Null()));
    EXPECT_TRUE(VarIsEmptyOrNull(Variant()));
    EXPECT_FALSE(VarIsEmptyOrNull(Variant("")));
    EXPECT_TRUE(VarIsEmpty(Unassigned));
    EXPECT_FALSE(VarIsNull(Unassigned));
}

TEST(VariantConversion, AsTypeChangesTheKind) {
    struct Case {
        Variant from;
        TVarType to;
        Variant expected;
    };
    const Case cases[] = {
        {Variant("12"), varInteger, Variant(12)},
        {Variant(12), varString, Variant("12")},
        {Variant(12), varOleStr, Variant::Wide("12")},
        {Variant::Wide("x"), varString, Variant("x")},
        {Variant(1.0), varBoolean, Variant(true)},
        {Variant(true), varInteger, Variant(-1)},
        {Variant(7), varByte, Variant::Byte(7)},
        {Variant(-7), varSmallint, Variant::Smallint(-7)},
        {Variant(45356), varDate, Variant::Date(45356)},
        {Variant(1), varEmpty, Variant()},
        {Variant(1), varNull, Variant::Null()},
    };
    for (const Case& c : cases) {
        Variant v = VarAsType(c.from, c.to);
        EXPECT_EQ(v.VarType(), c.to) << Variant::TypeName(c.to);
        EXPECT_EQ(v, c.expected) << Variant::TypeName(c.to);
    }
    // Text kinds are kept apart by type even though they compare equal.
    EXPECT_EQ(Variant::Wide("a").VarType(), varOleStr);
    EXPECT_EQ(Variant("a").VarType(), varString);
}

TEST(VariantConversion, TypedArrayConvertsEachElement) {
    Variant a = VarArrayOf({"1", "2"});
    Variant b = VarAsType(a, static_cast<TVarType>(varArray | varInteger));
    EXPECT_EQ(b.VarType(), varArray | varInteger);
    EXPECT_EQ(b[1].VarType(), varInteger);
    EXPECT_EQ(b[1].AsInteger(), 2);
}

// ---- arrays --------------------------------------------------------------------------------

TEST(VariantArray, BoundsPerDimension) {
    Variant a = VarArrayCreate({1, 3, -2, 2, 0, 0});
    EXPECT_TRUE(VarIsArray(a));
    EXPECT_EQ(a.VarType(), varArray | varVariant);
    EXPECT_EQ(VarArrayDimCount(a), 3);
    EXPECT_EQ(VarArrayLowBound(a, 1), 1);
    EXPECT_EQ(VarArrayHighBound(a, 1), 3);
    EXPECT_EQ(VarArrayLowBound(a, 2), -2);
    EXPECT_EQ(VarArrayHighBound(a, 2), 2);
    EXPECT_EQ(a.ElementCount(3), 1);
    EXPECT_EQ(a.Elements().size(), 15u);
    EXPECT_TRUE(VarIsEmpty(a.At({3, 2, 0})));
    EXPECT_THROW(a.LowBound(4), EVariantBadIndexError);
    EXPECT_THROW(a.LowBound(0), EVariantBadIndexError);
    EXPECT_THROW(Variant(1).LowBound(1), EVariantError);
    EXPECT_EQ(Variant(1).DimCount(), 0);
}

TEST(VariantArray, FirstIndexVariesFastestInStorage) {
    Variant a = VarArrayCreate({0, 1, 0, 2});
    int n = 0;
    for (int j = 0; j <= 2; ++j)
        for (int i = 0; i <= 1; ++i) a.At(i, j) = n++;
    for (int k = 0; k < 6; ++k) EXPECT_EQ(a.Elements()[static_cast<size_t>(k)].AsInteger(), k);
    EXPECT_EQ(a.At(std::vector<int>{1, 2}).AsInteger(), 5);
}

TEST(VariantArray, TypedArraysStartWithZeroValues) {
    Variant a = VarArrayCreate({0, 1}, varInteger);
    EXPECT_EQ(a.VarType(), varArray | varInteger);
    EXPECT_EQ(a.ElementType(), varInteger);
    EXPECT_EQ(a[0].VarType(), varInteger);
    EXPECT_EQ(VarArrayCreate({0, 0}, varOleStr)[0].VarType(), varOleStr);
}

TEST(VariantArray, IndexOutOfRangeRaises) {
    Variant a = VarArrayCreate({1, 3});
    const Variant& c = a;
    EXPECT_THROW(a[0], EVariantBadIndexError);
    EXPECT_THROW(a[4], EVariantBadIndexError);
    EXPECT_THROW(c[4], EVariantBadIndexError);
    EXPECT_THROW(a.At({1, 1}), EVariantBadIndexError);  // wrong number of indices
    Variant m = VarArrayCreate({0, 1, 0, 1});
    EXPECT_THROW(m.At(0, 2), EVariantBadIndexError);
    EXPECT_THROW(m[0], EVariantBadIndexError);
    try {
        a[7] = 1;
        FAIL() << "no error";
    } catch (const EVariantBadIndexError& e) {
        EXPECT_NE(std::string(e.what()).find("index 7 of dimension 1 is outside 1..3"), std::string::npos) << e.what();
    }
    EXPECT_THROW(Variant(3)[0], EVariantError);
}

TEST(VariantArray, CreationErrors) {
    EXPECT_THROW(VarArrayCreate({0, -2}), EVariantArrayCreateError);
    EXPECT_THROW(VarArrayCreate({0, 1, 2}), EVariantArrayCreateError);
    EXPECT_THROW(VarArrayCreate({0, 1}, varNull), EVariantArrayCreateError);
    Variant empty = VarArrayCreate({0, -1});
    EXPECT_EQ(empty.ElementCount(), 0);
    EXPECT_EQ(empty.HighBound(), -1);
}

TEST(VariantArray, RedimGrowsAndShrinksTheLastDimensionKeepingContents) {
    Variant a = VarArrayOf({"a", "b"});
    VarArrayRedim(a, 3);
    EXPECT_EQ(a.HighBound(), 3);
    EXPECT_EQ(a[1].AsString(), "b");
    EXPECT_TRUE(VarIsEmpty(a[3]));
    VarArrayRedim(a, 0);
    EXPECT_EQ(a.ElementCount(), 1);
    EXPECT_EQ(a[0].AsString(), "a");
    VarArrayRedim(a, -1);
    EXPECT_EQ(a.ElementCount(), 0);
    EXPECT_THROW(VarArrayRedim(a, -2), EVariantArrayCreateError);

    Variant m = VarArrayCreate({0, 1, 5, 5});
    m.At(0, 5) = 10;
    m.At(1, 5) = 11;
    VarArrayRedim(m, 6);
    EXPECT_EQ(m.HighBound(2), 6);
    EXPECT_EQ(m.At(0, 5).AsInteger(), 10);
    EXPECT_EQ(m.At(1, 5).AsInteger(), 11);
    EXPECT_TRUE(VarIsEmpty(m.At(1, 6)));

    Variant n(1);
    EXPECT_THROW(VarArrayRedim(n, 3), EVariantError);
}

TEST(VariantArray, CopyIsDeep) {
    Variant inner = VarArrayOf({1, 2});
    Variant a = VarArrayOf({inner, "x"});
    Variant b = a;
    b[0][1] = 99;
    b[1] = "y";
    EXPECT_EQ(a[0][1].AsInteger(), 2);
    EXPECT_EQ(a[1].AsString(), "x");
    Variant c;
    c = b;
    c[0][0] = -1;
    EXPECT_EQ(b[0][0].AsInteger(), 1);
    Variant moved = std::move(c);
    EXPECT_EQ(moved[0][0].AsInteger(), -1);
}

TEST(VariantArray, AssigningAnElementToItsOwnArrayIsSafe) {
    Variant a = VarArrayOf({VarArrayOf({1, 2}), 3});
    a = a[0];  // the source lives inside the target
    EXPECT_EQ(a.ElementCount(), 2);
    EXPECT_EQ(a[1].AsInteger(), 2);
    Variant b = VarArrayOf({VarArrayOf({5}), 3});
    b = std::move(b[0]);
    EXPECT_EQ(b[0].AsInteger(), 5);
}

// ---- comparison ----------------------------------------------------------------------------

TEST(VariantCompare, AutomationRules) {
    struct Case {
        Variant a, b;
        bool equal;
    };
    const Case cases[] = {
        {Variant(), Variant(), true},
        {Variant::Null(), Variant::Null(), true},
        {Variant::Null(), Variant(), false},
        {Variant::Null(), Variant(0), false},
        {Variant(), Variant(0), true},
        {Variant(), Variant(""), true},
        {Variant(), Variant("x"), false},
        {Variant(2), Variant(2.0), true},
        {Variant(2), Variant::Byte(2), true},
        {Variant(2), Variant(3), false},
        {Variant("a"), Variant::Wide("a"), true},
        {Variant("a"), Variant("A"), false},
        {Variant("12"), Variant(12), true},
        {Variant("x"), Variant(12), false},
        {Variant(true), Variant(-1), true},
        {Variant(true), Variant("True"), true},
        {Variant::Date(5), Variant(5.0), true},
        {VarArrayOf({1, "a"}), VarArrayOf({1, "a"}), true},
        {VarArrayOf({1, "a"}), VarArrayOf({1, "b"}), false},
        {VarArrayOf({1}), VarArrayCreate({1, 1}), false},  // bounds differ
        {VarArrayOf({1}), Variant(1), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a == c.b, c.equal) << Variant::TypeName(c.a.VarType()) << " vs " << Variant::TypeName(c.b.VarType());
        EXPECT_EQ(c.b == c.a, c.equal) << "reversed";
    }
}
