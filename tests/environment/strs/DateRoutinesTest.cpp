// Date display and parsing by date type, Date8 arithmetic, the first run of a periodic job and
// the date variation of saved schemes.
#include <gtest/gtest.h>

#include <string>

#include "environment/LibStrs.h"
#include "platform/core/SysUtils.h"

using namespace qm;
using plat::EncodeDate;
using plat::Variant;
using plat::VarArrayOf;

namespace {

const std::string S3(1, ListSep);

TEST(FormatDate, ByDateType) {
    const struct {
        int type;
        std::string sep;
        TDateTime date;
        std::string expected;
    } cases[] = {
        {1, "/", EncodeDate(2023, 3, 5), "2023/03/05"},
        {2, "/", EncodeDate(2023, 3, 5), "03/05/2023"},
        {3, ".", EncodeDate(2023, 3, 5), "05.03.2023"},
        {4, "/", EncodeDate(2011, 1, 1), "100/01/01"},  // three digits once the ROC year passes 99
        {4, "/", EncodeDate(1999, 12, 31), "88/12/31"},
        {5, "-", EncodeDate(2005, 3, 5), "094-03-05"},
        {1, "", EncodeDate(2023, 3, 5), "20230305"},
        {1, "-/", EncodeDate(2023, 3, 5), "2023-03-05"},  // only the first character separates
        {1, "/", 0, ""},
        {6, "/", EncodeDate(2023, 3, 5), ""},
        {0, "/", EncodeDate(2023, 3, 5), ""},
        {1, "/", EncodeDate(2023, 3, 5) + 0.75, "2023/03/05"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDate(c.type, c.sep, c.date), c.expected) << "type " << c.type << " sep '" << c.sep << "'";
}

TEST(FormatYearMonth, ByDateType) {
    const TDateTime d = EncodeDate(2005, 3, 5);
    EXPECT_EQ(FormatYearMonth(1, "/", d), "2005/03");
    EXPECT_EQ(FormatYearMonth(2, "/", d), "03/2005");
    EXPECT_EQ(FormatYearMonth(3, "-", d), "03-2005");
    EXPECT_EQ(FormatYearMonth(4, "/", d), "94/03");
    EXPECT_EQ(FormatYearMonth(5, "/", d), "094/03");
    EXPECT_EQ(FormatYearMonth(1, "", d), "200503");
    EXPECT_EQ(FormatYearMonth(9, "/", d), "");
}

TEST(ParseDate, ByDateTypeWithRollOver) {
    const struct {
        std::string text;
        int type;
        std::string sep;
        TDateTime expected;
    } cases[] = {
        {"2023/2/30", 1, "/", EncodeDate(2023, 3, 2)},  // a day past the month's end rolls over
        {"2023/2/31", 1, "/", EncodeDate(2023, 3, 3)},
        {"2023/13/01", 1, "/", 0},
        {"03/05/2023", 2, "/", EncodeDate(2023, 3, 5)},
        {"05/03/2023", 3, "/", EncodeDate(2023, 3, 5)},
        {"112/03/05", 4, "/", EncodeDate(2023, 3, 5)},
        {"094-03-05", 5, "-", EncodeDate(2005, 3, 5)},
        {" 2023 / 3 / 5 ", 1, "/", EncodeDate(2023, 3, 5)},
        {"2023/3/5/9", 1, "/", EncodeDate(2023, 3, 5)},  // the third piece stops at a further separator
        {"", 1, "/", 0},
        {"   ", 1, "/", 0},
        {"2023/0/5", 1, "/", 0},
        {"2023/x/5", 1, "/", 0},
        {"2023/3", 1, "/", 0},
        {"2023/3/5", 6, "/", 0},
        {"20230305", 1, "", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseDate(c.text, c.type, c.sep), c.expected) << c.text << " type " << c.type;
}

TEST(Date8, ToDateAndValidity) {
    EXPECT_EQ(Date8ToDate("20240229"), EncodeDate(2024, 2, 29));
    EXPECT_EQ(Date8ToDate("20230229"), 0);
    EXPECT_EQ(Date8ToDate("2023022"), 0);
    EXPECT_EQ(Date8ToDate("202302011"), 0);
    EXPECT_EQ(Date8ToDate("00000101"), 0);
    EXPECT_EQ(Date8ToDate("2023ab01"), 0);

    const struct {
        std::string text;
        bool valid;
    } cases[] = {
        {"", true},          {"17530101", true},  {"17521231", false}, {"99991231", true},
        {"20230229", false}, {"20240229", true},  {"20231301", false}, {"2023010", false},
        {"abcd0101", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsValidDate8(c.text), c.valid) << "'" << c.text << "'";
    EXPECT_EQ(DateToDate8(EncodeDate(2024, 3, 9)), "20240309");
    EXPECT_EQ(DateToDate8(0), "");
}

TEST(ShiftDate8, YearsMonthsDays) {
    const struct {
        std::string date, unit;
        int amount;
        std::string expected;
    } cases[] = {
        {"20240229", "Y", 1, "20240229"},  // 29 February in a common year: unchanged
        {"20240229", "y", 4, "20280229"},
        {"20230131", "M", 1, "20230228"},
        {"20240131", "m", 1, "20240229"},
        {"20230115", "M", -1, "20221215"},
        {"20231215", "M", 1, "20240115"},
        {"20231215", "M", 12, "20241215"},
        {"20240331", "M", -13, "20230228"},
        {"00010115", "M", -1, ""},  // before year 1
        {"20231231", "D", 1, "20240101"},
        {"20240301", "d", -1, "20240229"},
        {"20240301", "W", 1, ""},
        {"2024030", "D", 1, ""},
        {"", "D", 1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShiftDate8(Variant(c.date), c.unit, c.amount), c.expected)
            << c.date << " " << c.unit << " " << c.amount;
    EXPECT_EQ(ShiftDate8(Variant::Wide("20230131"), "M", 1), "20230228");
    EXPECT_EQ(ShiftDate8(Variant::Date(EncodeDate(2023, 1, 31) + 0.5), "D", 1), "20230201");
    EXPECT_EQ(ShiftDate8(Variant::Date(0), "D", 1), "");
    EXPECT_EQ(ShiftDate8(Variant(20230131), "D", 1), "");
    EXPECT_EQ(ShiftDate8(Variant(), "D", 1), "");
}

TEST(DaysInMonth, GregorianLeapRule) {
    EXPECT_EQ(DaysInMonth(2023, 2), 28);
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(2023, 4), 30);
    EXPECT_EQ(DaysInMonth(2023, 12), 31);
    EXPECT_EQ(DaysInMonth(2023, 0), 0);
    EXPECT_EQ(DaysInMonth(2023, 13), 0);
}

Variant Weekly(Variant n, int weekday) { return VarArrayOf({Variant(1), VarArrayOf({n, Variant(weekday)})}); }
Variant MonthlyByDay(int n, int day) {
    return VarArrayOf({Variant(2), VarArrayOf({Variant(0), Variant(n), Variant(day)})});
}
Variant MonthlyByWeekday(int n, int ordinal, int weekday) {
    return VarArrayOf({Variant(2), VarArrayOf({Variant(1), Variant(n), Variant(ordinal), Variant(weekday)})});
}

TEST(NextRunDate, Periods) {
    const struct {
        const char* what;
        std::string start;
        Variant period;
        std::string expected;
    } cases[] = {
        {"daily", "20240306", VarArrayOf({Variant(0), Variant("3")}), "20240306"},
        {"weekly Friday from Wednesday", "20240306", Weekly(Variant(1), 5), "20240308"},
        {"weekly Friday from Saturday", "20240309", Weekly(Variant(1), 5), "20240315"},
        {"weekly Monday from Wednesday", "20240306", Weekly(Variant(1), 1), "20240311"},
        {"every 2 weeks Friday", "20240306", Weekly(Variant("2"), 5), "20240315"},
        {"weekly same weekday", "20240306", Weekly(Variant(1), 3), "20240306"},
        {"day 31 from 15 April", "20230415", MonthlyByDay(1, 31), "20230430"},
        {"day 31 from 31 January", "20240131", MonthlyByDay(1, 31), "20240131"},
        {"day 30 from 31 January", "20240131", MonthlyByDay(1, 30), "20240229"},
        {"day 10 every 2 months, passed", "20240315", MonthlyByDay(2, 10), "20240510"},
        {"day 20 every 2 months, ahead", "20240315", MonthlyByDay(2, 20), "20240420"},
        {"first Monday, passed", "20240320", MonthlyByWeekday(1, 0, 1), "20240401"},
        {"last Friday", "20240320", MonthlyByWeekday(1, 4, 5), "20240329"},
        {"second Tuesday", "20240301", MonthlyByWeekday(1, 1, 2), "20240312"},
        {"fourth Friday", "20240301", MonthlyByWeekday(1, 3, 5), "20240322"},
        {"last Sunday", "20240301", MonthlyByWeekday(1, 4, 0), "20240331"},
        {"last Friday, passed", "20240330", MonthlyByWeekday(1, 4, 5), "20240426"},
        {"last Friday every 2 months", "20240330", MonthlyByWeekday(2, 4, 5), "20240426"},
        {"first Friday on the start", "20240301", MonthlyByWeekday(1, 0, 5), "20240301"},
        {"every 0 months never ends", "20240320", MonthlyByWeekday(0, 0, 1), ""},
        {"ordinal outside 0..4", "20240320", MonthlyByWeekday(1, 5, 1), ""},
        {"hourly", "20240320", VarArrayOf({Variant(3), Variant(1.5)}), ""},
        {"start no date", "20240230", Weekly(Variant(1), 5), ""},
        {"start empty", "", VarArrayOf({Variant(0), Variant("1")}), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(NextRunDate(c.start, c.period), c.expected) << c.what;
}

TEST(VaryDate, Rules) {
    const struct {
        std::string base, amount, unit, mode, days, expected;
    } cases[] = {
        {"20240315", "-1", "1", "2", "0", "20240229"},  // month back, last day
        {"20240315", "1", "1", "1", "0", "20240401"},   // month on, first day
        {"20240331", "1", "1", "0", "2", "20240502"},   // month on (30 April), plus days
        {"20240315", "2", "1", "7", "0", "20240515"},   // other mode: just moved
        {"20240315", "0", "0", "1", "0", "20240310"},   // Sunday of the week
        {"20240315", "0", "0", "2", "0", "20240316"},   // Saturday of the week
        {"20240315", "-1", "0", "1", "0", "20240303"},
        {"20240315", "1", "0", "0", "-2", "20240320"},  // weeks plus days
        {"202403", "-2", "1", "0", "0", "202401"},      // year-month base stays a year-month
        {"202401", "-1", "0", "0", "5", "202312"},
        {"", "1", "1", "0", "0", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VaryDate(c.base, c.amount, c.unit, c.mode, c.days), c.expected)
            << c.base << " " << c.amount << " " << c.unit << " " << c.mode << " " << c.days;
    EXPECT_THROW(VaryDate("20240315", "x", "1", "0", "0"), plat::EConvertError);
}

std::string Rule(std::initializer_list<const char*> fields) {
    std::string r;
    bool first = true;
    for (const char* f : fields) {
        if (!first) r += S3;
        r += f;
        first = false;
    }
    return r;
}

Variant Scheme(const Variant& values, std::initializer_list<std::string> rules) {
    std::vector<Variant> r{Variant(static_cast<int>(rules.size()))};
    for (const auto& rule : rules) r.emplace_back(rule);
    return VarArrayOf({Variant("head"), values, Variant("period"), VarArrayOf(r)});
}

TEST(ApplyDateVariation, SingleAndRangeRules) {
    const Variant values = VarArrayOf({Variant("20240101"), VarArrayOf({Variant("#4"), Variant("20240101"), Variant("20240131")}),
                                       Variant("202401"), Variant("20231231")});
    const Variant scheme = Scheme(values, {
        // single Date8: a month back, last day; an index field appended at a later submission is ignored
        Rule({"1", "edA", "Y", "-1", "1", "2", "0", "D", "0", "0"}),
        // range: begin to the first day of the month, end all-zero = the base itself
        Rule({"0", "spB", "Y", "0", "1", "1", "0", "Y", "0", "0", "0", "0", "D", "1"}),
        // year-month single, two months back
        Rule({"1", "edM", "Y", "-2", "1", "0", "0", "M", "2"}),
        // not varied
        Rule({"1", "edN", "N", "5", "1", "0", "0", "D", "3"}),
    });
    const Variant r = ApplyDateVariation(scheme, "20240315");
    ASSERT_TRUE(r.IsArray());
    EXPECT_EQ(r[0], Variant("20240229"));
    EXPECT_EQ(r[1][0], Variant("#4"));
    EXPECT_EQ(r[1][1], Variant("20240301"));
    EXPECT_EQ(r[1][2], Variant("20240315"));
    EXPECT_EQ(r[2], Variant("202401"));
    EXPECT_EQ(r[3], Variant("20231231"));
}

TEST(ApplyDateVariation, RangeEndOnlyAndYearMonthRange) {
    const Variant values = VarArrayOf({VarArrayOf({Variant("#4"), Variant("202301"), Variant("202302")})});
    const Variant scheme = Scheme(values, {Rule({"0", "spM", "N", "0", "1", "0", "0", "Y", "0", "0", "0", "0", "M", "0"})});
    const Variant r = ApplyDateVariation(scheme, "20240315");
    EXPECT_EQ(r[0][1], Variant("202301"));
    EXPECT_EQ(r[0][2], Variant("202403"));
}

TEST(ApplyDateVariation, EmptyBaseAndFailures) {
    const Variant values = VarArrayOf({Variant("20240101"), Variant("20240101")});
    // Hourly jobs have no run date: moved dates become empty.
    const Variant r = ApplyDateVariation(
        Scheme(values, {Rule({"1", "a", "Y", "1", "1", "0", "0", "D", "0"}), Rule({"1", "b", "Y", "0", "0", "0", "0", "D", "1"})}), "");
    EXPECT_EQ(r[0], Variant(""));
    EXPECT_EQ(r[1], Variant(""));
    // An index outside the values, and a rule with a non-numeric amount, give the empty text.
    EXPECT_EQ(ApplyDateVariation(Scheme(values, {Rule({"1", "a", "Y", "1", "1", "0", "0", "D", "7"})}), "20240315"),
              Variant(""));
    EXPECT_EQ(ApplyDateVariation(Scheme(values, {Rule({"1", "a", "Y", "x", "1", "0", "0", "D", "0"})}), "20240315"),
              Variant(""));
    EXPECT_EQ(ApplyDateVariation(Variant("not a scheme"), "20240315"), Variant(""));
    // No rules: the values come back as they are.
    EXPECT_EQ(ApplyDateVariation(Scheme(values, {}), "20240315"), values);
}

}  // namespace
