// The selection panel's value logic: putting a range in order by value type, reading dates,
// dropping duplicates against all rows, row comparison, byte lengths.
#include <gtest/gtest.h>

#include "controls/SelectPnl.h"
#include "platform/forms/TypInfo.h"

using namespace plat;
using namespace qm;

namespace {

struct OrderCase {
    const char* Name;
    std::string Begin, End;
    TRangeOrder Order;
    bool Swap;
};

TRangeOrder Dates(TDateType t, bool autoChange = true) {
    TRangeOrder o;
    o.ValueType = vt_Date;
    o.DateType = t;
    o.AutoChangeDateSite = autoChange;
    return o;
}
TRangeOrder Of(TValueType v) {
    TRangeOrder o;
    o.ValueType = v;
    return o;
}
TRangeOrder WithDiscard(TValueType v, const std::string& d) {
    TRangeOrder o = Of(v);
    o.UseDiscard = true;
    o.Discard = d;
    return o;
}
TRangeOrder WithBlank(TValueType v, const std::string& blank) {
    TRangeOrder o = Of(v);
    o.BlankText = blank;
    return o;
}

TEST(SelectPanelOrder, DecidesByValueType) {
    const OrderCase cases[] = {
        {"strings B A", "B", "A", Of(vt_String), true},
        {"strings 10 9 byte order", "10", "9", Of(vt_String), false},
        {"numbers 10 9", "10", "9", Of(vt_Number), true},
        {"number not integer counts 0", "abc", "5", Of(vt_Number), false},
        {"number not integer at end", "5", "abc", Of(vt_Number), true},
        {"strings case-sensitive", "a", "B", Of(vt_String), true},
        {"time like strings", "12:00", "08:00", Of(vt_Time), true},
        {"dates one day apart", "2004/05/01", "2004/04/30", Dates(dt_YYYYMMDD), true},
        {"dates in order", "2004/04/30", "2004/05/01", Dates(dt_YYYYMMDD), false},
        {"year-month begin", "2004/05", "2004/04/30", Dates(dt_YYYYMMDD), true},
        {"end no date counts earlier", "2004/04/30", "2004/13/01", Dates(dt_YYYYMMDD), true},
        {"begin no date", "2004/13/01", "2004/04/30", Dates(dt_YYYYMMDD), false},
        {"ROC years", "93/05/01", "93/04/30", Dates(dt_YYMMDD), true},
        {"auto change off", "2004/05/01", "2004/04/30", Dates(dt_YYYYMMDD, false), false},
        {"date type none cares: strings", "2004/5/1", "2004/10/1", Dates(dt_NoneCare), true},
        {"discard hyphen", "-", "A", WithDiscard(vt_String, "-"), false},
        {"discard hyphen with blanks", "B", " - ", WithDiscard(vt_String, "-"), false},
        {"discard not used", "B", "-", Of(vt_String), true},
        {"blank text", "  /  /  ", "2004/01/01", WithBlank(vt_String, "  /  /  "), false},
        {"floats", "10.5", "9.75", Of(vt_Float), true},
        {"floats with blanks inside", "1 0.5", "9.75", Of(vt_Float), true},
        {"float fraction zeros", "1.05", "1.5", Of(vt_Float), false},
        {"float not a number", "x", "-1", Of(vt_Float), true},
        {"other mask never", "B", "A", Of(vt_OtherMask), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(RangeInWrongOrder(c.Begin, c.End, c.Order), c.Swap);
    }
}

TEST(SelectPanelOrder, ReadsDatesWithOneOrTwoSeparators) {
    TDateTime may1 = EncodeDate(2004, 5, 1);
    struct Case {
        std::string Text, Sign;
        TDateType Type;
        TDateTime Expected;
    } cases[] = {
        {"2004/05/01", "/", dt_YYYYMMDD, may1},
        {" 2004/05 ", "/", dt_YYYYMMDD, may1},
        {"05/2004", "/", dt_MMDDYYYY, may1},
        {"05/01/2004", "/", dt_MMDDYYYY, may1},
        {"05/2004", "/", dt_DDMMYYYY, may1},
        {"01.05.2004", ".", dt_DDMMYYYY, may1},
        {"93/05/01", "/", dt_YYMMDD, may1},
        {"093-05", "-", dt_YYYMMDD, may1},
        {"2004/13/01", "/", dt_YYYYMMDD, 0},
        {"2004/02/30", "/", dt_YYYYMMDD, 0},
        {"2004", "/", dt_YYYYMMDD, 0},
        {"2004/05/01/02", "/", dt_YYYYMMDD, 0},
        {"2004/5a/01", "/", dt_YYYYMMDD, 0},
        {"", "/", dt_YYYYMMDD, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(ReadPanelDate(c.Text, c.Sign, c.Type, ""), c.Expected);
    }
    EXPECT_EQ(ReadPanelDate("    /  /  ", "/", dt_YYYYMMDD, "    /  /  "), 0);
}

TEST(SelectPanelOrder, TrimsUnlessTheMaskBeginsWithBang) {
    EXPECT_EQ(TrimForRange("  A1 \t", ""), "A1");
    EXPECT_EQ(TrimForRange("  A1 ", "!99;0; "), "  A1 ");
    EXPECT_EQ(TrimForRange(" A1 ", ">99"), "A1");
}

TEST(SelectPanelOrder, FloatTextsAlwaysReadAsNumbers) {
    const std::pair<std::string, std::string> cases[] = {
        {"12", "12.0"}, {" 1 2.5", "12.5"}, {"-.5", "-0.5"}, {"1.05", "1.05"}, {"abc", "0.0"}, {"", "0.0"},
        {"1.2.3", "0.0"}, {"+7.", "7.0"},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(NormalizeFloatText(in), out) << in;
        double d;
        EXPECT_TRUE(TryStrToFloat(NormalizeFloatText(in), d)) << in;
    }
}

std::vector<TPanelRow> Rows(std::initializer_list<std::pair<std::string, std::string>> rows) {
    std::vector<TPanelRow> r;
    for (const auto& [c, s] : rows) r.push_back({c, {s}});
    return r;
}

TEST(SelectPanelRows, DuplicatesAgainstAllRowsKeepTheFirst) {
    // Sorted by the second column the equal captions are not neighbours.
    auto rows = Rows({{"ABC", "1"}, {"X", "2"}, {"abc", "3"}, {"X", "4"}});
    EXPECT_EQ(FindDuplicateRows(rows, cd_None), std::vector<int>{});
    EXPECT_EQ(FindDuplicateRows(rows, cd_CheckCase), std::vector<int>{3});
    EXPECT_EQ(FindDuplicateRows(rows, cd_CaseInsensitive), (std::vector<int>{3, 2}));
}

TEST(SelectPanelRows, ComparesBySortColumnThenCaptionThenFirstSubItem) {
    TPanelRow a{"b", {"x", "1"}}, b{"a", {"X", "2"}}, c{"a", {"y"}};
    EXPECT_LT(ComparePanelRows(b, a, 0, true), 0);
    EXPECT_GT(ComparePanelRows(b, a, 0, false), 0);
    // Column 1 ties (case-insensitive): the caption decides.
    EXPECT_GT(ComparePanelRows(a, b, 1, true), 0);
    // Column 2: a row without it sorts as empty; on equal captions sub-item 1 decides.
    EXPECT_LT(ComparePanelRows(c, a, 2, true), 0);
    EXPECT_LT(ComparePanelRows(b, c, 0, true), 0);
    EXPECT_EQ(ComparePanelRows(a, a, 2, true), 0);
    EXPECT_EQ(RowColumnText(c, 5), "");
}

TEST(SelectPanelRows, ByteLengthsCountChineseCharactersTwice) {
    EXPECT_EQ(PanelByteLength("W12"), 3);
    EXPECT_EQ(PanelByteLength("部门A"), 5);
    EXPECT_EQ(DataColumnCaption(0), "Data1");
    EXPECT_EQ(DataColumnCaption(2), "Data3");
}

TEST(SelectPanelTypes, EnumerationNamesAsStored) {
    EXPECT_EQ(GetEnumName(TTypeInfoOf<TSelectStyle>::Get(), sp_UserChoice), "sp_UserChoice");
    EXPECT_EQ(GetEnumName(TTypeInfoOf<TValueType>::Get(), vt_OtherMask), "vt_OtherMask");
    EXPECT_EQ(GetEnumName(TTypeInfoOf<TDateType>::Get(), dt_YYYMMDD), "dt_YYYMMDD");
    EXPECT_EQ(GetEnumName(TTypeInfoOf<TCheckDuplicate>::Get(), cd_CaseInsensitive), "cd_CaseInsensitive");
}

}  // namespace
