// The canonical JSON form of a Variant: every row of the contract both ways, and malformed input.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/core/Automation.h"
#include "platform/core/VariantJson.h"

using namespace plat;

namespace {

Variant Grid() {  // 2 x 3, low bounds (0, 0): outer list = first dimension
    Variant a = VarArrayCreate({0, 1, 0, 2});
    for (int i = 0; i <= 1; ++i)
        for (int j = 0; j <= 2; ++j) a.At(i, j) = i * 10 + j;
    return a;
}

Variant Cube() {  // 2 x 1 x 2 from (1, 0, -1)
    Variant a = VarArrayCreate({1, 2, 0, 0, -1, 0});
    a.At({1, 0, -1}) = "a";
    a.At({1, 0, 0}) = "b";
    a.At({2, 0, -1}) = "c";
    a.At({2, 0, 0}) = 4;
    return a;
}

Variant FromOne() {
    Variant a = VarArrayCreate({1, 2});
    a[1] = true;
    a[2] = Variant::Null();
    return a;
}

struct Row {
    const char* name;
    Variant value;
    std::string json;
};

}  // namespace

TEST(VariantJson, EveryRowOfTheContractRoundTrips) {
    const Row rows[] = {
        {"unassigned", Variant(), R"({"$empty": true})"},
        {"null", Variant::Null(), "null"},
        {"true", Variant(true), "true"},
        {"false", Variant(false), "false"},
        {"integer", Variant(-42), "-42"},
        {"integer max", Variant(2147483647), "2147483647"},
        {"double with fraction", Variant(2.5), "2.5"},
        {"small double", Variant(1.5e-7), "1.5e-07"},
        {"integral double", Variant(2.0), R"({"$double": 2})"},
        {"large integral double", Variant(1e300), R"({"$double": 1e+300})"},
        {"NaN", Variant(std::numeric_limits<double>::quiet_NaN()), R"({"$double": "NaN"})"},
        {"infinity", Variant(std::numeric_limits<double>::infinity()), R"({"$double": "Infinity"})"},
        {"minus infinity", Variant(-std::numeric_limits<double>::infinity()), R"({"$double": "-Infinity"})"},
        {"date", Variant::Date(45356 + (8 * 60 + 5) / 1440.0), R"({"$date": "2024-03-05T08:05:00.000"})"},
        {"date before 1899-12-30", Variant::Date(-1.25), R"({"$date": "1899-12-29T06:00:00.000"})"},
        {"narrow text", Variant("text"), R"("text")"},
        {"escaped text", Variant("a\"b\\c\n\t\x01/é"), R"("a\"b\\c\n\t\u0001/é")"},
        {"wide text", Variant::Wide("费用预算"), R"({"$wide": "费用预算"})"},
        {"byte", Variant::Byte(5), R"({"$byte": 5})"},
        {"small integer", Variant::Smallint(-3), R"({"$smallint": -3})"},
        {"array from 0", VarArrayOf({1, "a", VarArrayOf({})}), R"([1, "a", []])"},
        {"array from 1", FromOne(), R"({"$array": [true, null], "low": 1})"},
        {"two dimensions", Grid(), R"({"$array": [[0, 1, 2], [10, 11, 12]], "low": [0, 0]})"},
        {"three dimensions", Cube(), R"({"$array": [[["a", "b"]], [["c", 4]]], "low": [1, 0, -1]})"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(VariantToJson(r.value), r.json);
        Variant back = VariantFromJson(r.json);
        EXPECT_EQ(back.VarType(), r.value.VarType());
        if (r.value.VarType() == varDouble && std::isnan(r.value.AsDouble()))
            EXPECT_TRUE(std::isnan(back.AsDouble()));
        else
            EXPECT_EQ(back, r.value);
        EXPECT_EQ(VariantToJson(back), r.json);
    }
}

TEST(VariantJson, ObjectIsWrittenByClassNameAndCannotBeRead) {
    class TThing : public TDispatchObject {
    public:
        TThing() : TDispatchObject("Test.Thing") {}
    };
    EXPECT_EQ(VariantToJson(VarArrayOf({Variant(TAutoObjectPtr(std::make_shared<TThing>()))})),
              R"([{"$object": "Test.Thing"}])");
    EXPECT_THROW(VariantFromJson(R"({"$object": "Test.Thing"})"), EConvertError);
}

TEST(VariantJson, InputIsReadLeniently) {
    struct Case {
        std::string json;
        Variant expected;
    };
    const Case cases[] = {
        {" \n[ 1 ,\t2 ] ", VarArrayOf({1, 2})},
        {"4294967296", Variant(4294967296.0)},                 // beyond 32 bits: a double
        {"-2147483649", Variant(-2147483649.0)},
        {"99999999999999999999", Variant(1e20)},
        {"1E2", Variant(100.0)},
        {"2.0", Variant(2.0)},
        {R"({"low": 3, "$array": ["x"]})", [] { Variant a = VarArrayCreate({3, 3}); a[3] = "x"; return a; }()},
        {R"({"$date": "2024-03-05"})", Variant::Date(45356)},
        {R"({"$date": "2024-03-05T12:00:00"})", Variant::Date(45356.5)},
        {R"({"$double": 2.5})", Variant(2.5)},
        {R"("\u8d39\uD83D\uDE00")", Variant("费\xF0\x9F\x98\x80")},  // surrogate pair -> one code point
        {R"({"$array": [[], []], "low": [0, 5]})", VarArrayCreate({0, 1, 5, 4})},
    };
    for (const Case& c : cases) {
        Variant v = VariantFromJson(c.json);
        EXPECT_EQ(v.VarType(), c.expected.VarType()) << c.json;
        EXPECT_EQ(v, c.expected) << c.json;
    }
}

TEST(VariantJson, MalformedInputNamesThePosition) {
    struct Case {
        std::string json;
        std::string message;  // a part the error must contain
    };
    const Case cases[] = {
        {"", "offset 0"},
        {"[1, 2", "offset 5"},
        {"[1 2]", "offset 3 (line 1, column 4)"},
        {"[1,\n  x]", "line 2, column 3"},
        {"01", "leading zero"},
        {"1.", "after the decimal point"},
        {"\"abc", "no closing double quote"},
        {"\"a\nb\"", "control character"},
        {R"("\q")", "unknown escape"},
        {R"("\uD800")", "high surrogate"},
        {R"("\uDC00")", "low surrogate"},
        {"[1] 2", "after the value"},
        {"{}", "empty object"},
        {R"({"a": 1})", "\"$\" member"},
        {R"({"$empty": false})", "\"$empty\" must be true"},
        {R"({"$double": "nan"})", "\"$double\" must be"},
        {R"({"$date": "2024-02-30"})", "\"$date\" must be"},
        {R"({"$byte": 256})", "0..255"},
        {R"({"$wide": 1})", "\"$wide\" must be a text"},
        {R"({"$array": [1]})", "needs \"low\""},
        {R"({"$array": [[1], [1, 2]], "low": [0, 0]})", "differ in length"},
        {R"({"$array": [1, 2], "low": [0, 0]})", "a list was expected for dimension 2"},
        {R"({"$wide": "a", "extra": 1})", "unexpected member \"extra\""},
        {R"({"$byte": 1, "$byte": 2})", "appears twice"},
        {R"({"$frob": 1})", "unknown Variant object \"$frob\""},
        {"tru", "unexpected character"},
        {std::string(300, '[') + std::string(300, ']'), "nesting deeper"},
    };
    for (const Case& c : cases) {
        try {
            VariantFromJson(c.json);
            ADD_FAILURE() << "no error for " << c.json;
        } catch (const EConvertError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
                << c.json << " -> " << e.what() << " (wanted: " << c.message << ")";
        }
    }
}

TEST(VariantJson, DatesToTheMillisecond) {
    TDateTime d;
    ASSERT_TRUE(TryIsoTextToDateTime("2024-02-29T23:59:59.999", d));
    EXPECT_EQ(DateTimeToIsoText(d), "2024-02-29T23:59:59.999");
    EXPECT_EQ(DateTimeToIsoText(0), "1899-12-30T00:00:00.000");
    EXPECT_EQ(DateTimeToIsoText(45356.5, ' ', false), "2024-03-05 12:00:00");
    EXPECT_FALSE(TryIsoTextToDateTime("2023-02-29", d));
    EXPECT_FALSE(TryIsoTextToDateTime("2024-03-05T24:00", d));
    EXPECT_FALSE(TryIsoTextToDateTime("2024-3-5", d));
    EXPECT_THROW(VariantToJson(Variant::Date(std::numeric_limits<double>::infinity())), EConvertError);
}
