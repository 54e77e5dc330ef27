// Run-time routines: Format, dates, number conversions, text case, file names.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

#include <unistd.h>

#include "platform/core/SysUtils.h"

using namespace plat;

namespace {

// Every test starts from the neutral settings and leaves the process-wide ones as it found them.
class SysUtilsTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = FormatSettings;
        FormatSettings = DefaultFormatSettings();
    }
    void TearDown() override { FormatSettings = saved_; }
    TFormatSettings saved_;
};

struct FormatCase {
    const char* fmt;
    std::vector<Variant> args;
    const char* expected;
};

TEST_F(SysUtilsTest, FormatTable) {
    const std::vector<FormatCase> cases = {
        {"%d", {5}, "5"},
        {"%.2d", {5}, "05"},
        {"%.4d", {37}, "0037"},
        {"%.3d", {-5}, "-005"},
        {"%5d|", {42}, "   42|"},
        {"%-5d|", {42}, "42   |"},
        {"%*d", {4, 7}, "   7"},
        {"%5.2d", {3}, "   03"},
        {"%5s|", {"ab"}, "   ab|"},
        {"%-5s|", {"ab"}, "ab   |"},
        {"%.2s", {"abcdef"}, "ab"},
        {"%-6s|", {"\xE8\xB4\xB9\xE7\x94\xA8"}, "\xE8\xB4\xB9\xE7\x94\xA8  |"},  // 2 wide chars = 4 columns
        {"%.3s|", {"\xE8\xB4\xB9\xE7\x94\xA8"}, "\xE8\xB4\xB9|"},               // never half a character
        {"%x", {255}, "FF"},
        {"%.4x", {255}, "00FF"},
        {"%u", {-1}, "4294967295"},
        {"%f", {1234.5}, "1234.50"},
        {"%.1f", {0.25}, "0.3"},
        {"%.0f", {2.5}, "3"},
        {"%f", {2}, "2.00"},
        {"%n", {1234567.891}, "1,234,567.89"},
        {"%e", {1234.5}, "1.23450000000000E+003"},
        {"%.3e", {-0.000123}, "-1.23E-004"},
        {"%g", {1234.5}, "1234.5"},
        {"%g", {0.5}, "0.5"},
        {"%m", {12.5}, "$12.50"},
        {"%m", {-12.5}, "-$12.50"},
        {"%1:s %0:s", {"a", "b"}, "b a"},
        {"%0:s-%s", {"a", "b"}, "a-b"},
        {"100%%", {}, "100%"},
        {"%s=%d", {"n", 3}, "n=3"},
        {"%s", {Variant::Wide("w")}, "w"},
        {"%d", {Variant::Byte(7)}, "7"},
        {"[%8.3f]", {3.14159}, "[   3.142]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Format(c.fmt, c.args), c.expected) << c.fmt;
    }
}

TEST_F(SysUtilsTest, FormatRaisesOnMismatch) {
    const std::vector<FormatCase> cases = {
        {"%d", {"abc"}, nullptr},  {"%s", {5}, nullptr},      {"%d", {1.5}, nullptr},
        {"%f", {"x"}, nullptr},    {"%s", {Variant()}, nullptr}, {"%d", {true}, nullptr},
        {"%z", {1}, nullptr},      {"abc%", {}, nullptr},     {"%*d", {"w", 1}, nullptr},
        {"%s", {Variant::Null()}, nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_THROW(Format(c.fmt, c.args), EConvertError) << c.fmt;
    }
    try {
        Format("%d", {"abc"});
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Format '%d' invalid or incompatible with argument");
    }
    try {
        Format("%s and %d", {"x"});
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "No argument for format '%s and %d'");
    }
}

TEST_F(SysUtilsTest, FormatDateTimeTable) {
    const TDateTime morning = EncodeDate(2024, 3, 5) + EncodeTime(8, 5, 9, 45);  // a Tuesday
    const TDateTime evening = EncodeDate(2024, 12, 31) + EncodeTime(20, 15, 0, 0);
    struct Case {
        const char* fmt;
        TDateTime value;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"yyyy-mm-dd", morning, "2024-03-05"},
        {"yy/m/d", morning, "24/3/5"},
        {"mmm mmmm", morning, "Mar March"},
        {"ddd dddd", morning, "Tue Tuesday"},
        {"hh:nn:ss.zzz", morning, "08:05:09.045"},
        {"h:m:s z", morning, "8:5:9 45"},
        {"hh:mm", morning, "08:05"},    // m right after h means minutes
        {"mm hh", morning, "03 08"},
        {"yyyymmddhhnnss", morning, "20240305080509"},
        {"yyyymmddhhnnsszzz", morning, "20240305080509045"},
        {"YYYY-MM-DD", morning, "2024-03-05"},
        {"h:nn am/pm", morning, "8:05 am"},
        {"hh:nn AM/PM", evening, "08:15 PM"},
        {"h a/p", evening, "8 p"},
        {"hh ampm", evening, "08 PM"},
        {"hh", evening, "20"},
        {"'Day' d", morning, "Day 5"},
        {"\"yy\"yy", morning, "yy24"},
        {"c", morning, "03/05/2024 08:05:09"},
        {"c", EncodeDate(2024, 3, 5), "03/05/2024"},
        {"ddddd", morning, "03/05/2024"},
        {"dddddd", morning, "Tuesday, March 5, 2024"},
        {"t|tt", morning, "08:05|08:05:09"},
        {"yyyy-mm-dd hh:nn", -1.25, "1899-12-29 06:00"},
        {"yyyy-mm-dd hh:nn:ss.zzz", EncodeDate(2024, 1, 1) + 86399999.6 / MSecsPerDay,
         "2024-01-02 00:00:00.000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDateTime(c.fmt, c.value), c.expected) << c.fmt;
    }
}

TEST_F(SysUtilsTest, DateAndTimeTextFollowTheSettings) {
    const TDateTime v = EncodeDate(2024, 3, 5) + EncodeTime(8, 5, 9, 0);
    EXPECT_EQ(DateToStr(v), "03/05/2024");
    EXPECT_EQ(TimeToStr(v), "08:05:09");
    FormatSettings.ShortDateFormat = "yyyy/mm/dd";
    FormatSettings.DateSeparator = '-';
    FormatSettings.LongTimeFormat = "hh:nn:ss";
    FormatSettings.TimeSeparator = '.';
    EXPECT_EQ(DateToStr(v), "2024-03-05");
    EXPECT_EQ(TimeToStr(v), "08.05.09");
    EXPECT_EQ(DateTimeToStr(v), "2024-03-05 08.05.09");
}

TEST_F(SysUtilsTest, EncodeDateAndTimeRaiseOnInvalidInput) {
    const int badDates[][3] = {{2023, 2, 29}, {2024, 13, 1}, {0, 1, 1}, {2024, 4, 31}, {10000, 1, 1}, {2024, 1, 0}};
    for (const auto& d : badDates) {
        EXPECT_THROW(EncodeDate(d[0], d[1], d[2]), EConvertError) << d[0] << "-" << d[1] << "-" << d[2];
        TDateTime out = 7;
        EXPECT_FALSE(TryEncodeDate(d[0], d[1], d[2], out));
        EXPECT_EQ(out, 7);
    }
    try {
        EncodeDate(2023, 2, 29);
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Invalid argument to date encode");
    }
    const int badTimes[][4] = {{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}, {-1, 0, 0, 0}};
    for (const auto& t : badTimes) EXPECT_THROW(EncodeTime(t[0], t[1], t[2], t[3]), EConvertError);
}

TEST_F(SysUtilsTest, DateArithmetic) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
    EXPECT_EQ(EncodeDate(2024, 2, 29) - EncodeDate(2023, 2, 28), 366);
    EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    for (const auto& [y, m, d] : std::vector<std::tuple<int, int, int>>{{1, 1, 1}, {1899, 12, 29}, {1900, 2, 28},
                                                                       {2000, 2, 29}, {2024, 12, 31}, {9999, 12, 31}}) {
        int yy, mm, dd;
        DecodeDate(EncodeDate(y, m, d), yy, mm, dd);
        EXPECT_EQ(std::make_tuple(yy, mm, dd), std::make_tuple(y, m, d));
    }
    int h, n, s, z;
    DecodeTime(EncodeDate(2024, 3, 5) + EncodeTime(23, 59, 58, 999), h, n, s, z);
    EXPECT_EQ(std::make_tuple(h, n, s, z), std::make_tuple(23, 59, 58, 999));
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 5)), 3);
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 24)), 1);
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_EQ(DaysInAMonth(2023, 2), 28);
    EXPECT_EQ(DaysInAMonth(2024, 2), 29);
    EXPECT_EQ(DaysInAMonth(2024, 4), 30);
    EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31), 1), EncodeDate(2024, 2, 29));
    EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 15), -2), EncodeDate(2023, 11, 15));
    const TDateTime now = Now();
    EXPECT_EQ(Date(), std::trunc(now)) << "unless run across midnight";
    EXPECT_GT(now, EncodeDate(2020, 1, 1));
}

TEST_F(SysUtilsTest, FloatToStrShortestGeneral) {
    const std::vector<std::pair<double, const char*>> cases = {
        {0, "0"},
        {1.5, "1.5"},
        {-2.25, "-2.25"},
        {0.1, "0.1"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {100, "100"},
        {999999999999999.0, "999999999999999"},
        {1e15, "1E15"},
        {123456789012345678.0, "1.23456789012346E17"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {1.23e-10, "1.23E-10"},
        {1e20, "1E20"},
        {-1e20, "-1E20"},
        {0.1 + 0.2, "0.3"},
    };
    for (const auto& [v, text] : cases) EXPECT_EQ(FloatToStr(v), text) << v;
    FormatSettings.DecimalSeparator = ',';
    EXPECT_EQ(FloatToStr(1.5), "1,5");
    EXPECT_EQ(FloatToStr(NAN), "NAN");
    EXPECT_EQ(FloatToStr(-INFINITY), "-INF");
}

TEST_F(SysUtilsTest, FormatFloatPictures) {
    const std::vector<std::tuple<const char*, double, const char*>> cases = {
        {"0.00", 3.14159, "3.14"},
        {"#,##0.00", 1234567.891, "1,234,567.89"},
        {"#,##0", -1234, "-1,234"},
        {"0", -0.4, "0"},
        {"0.##", 1, "1"},
        {"0.##", 1.5, "1.5"},
        {"000", 7, "007"},
        {"#", 0, ""},
        {"0.00E+00", 12345, "1.23E+04"},
        {"0.0E-0", 0.00125, "1.3E-3"},
        {"0;(0)", -5, "(5)"},
        {"0;(0);'zero'", 0, "zero"},
        {"'$'0.0", 2.25, "$2.3"},
        {"", 2.5, "2.5"},
    };
    for (const auto& [fmt, v, text] : cases) EXPECT_EQ(FormatFloat(fmt, v), text) << fmt << " " << v;
}

TEST_F(SysUtilsTest, StrToIntAcceptsWhatTheOriginalAccepted) {
    const std::vector<std::pair<const char*, int32_t>> good = {
        {"12", 12},   {" 12", 12},          {"-7", -7},          {"+7", 7},
        {"$FF", 255}, {"0x10", 16},         {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"$FFFFFFFF", -1}, {"007", 7},
    };
    for (const auto& [s, v] : good) EXPECT_EQ(StrToInt(s), v) << s;
    for (const char* s : {"abc", "12 ", "", " ", "1.5", "2147483648", "12a", "-", "$", "$1FFFFFFFF"}) {
        EXPECT_THROW(StrToInt(s), EConvertError) << s;
        EXPECT_EQ(StrToIntDef(s, -99), -99) << s;
    }
    try {
        StrToInt("abc");
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
    EXPECT_EQ(StrToInt64("9000000000"), 9000000000LL);
    EXPECT_EQ(IntToStr(-42), "-42");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
}

TEST_F(SysUtilsTest, StrToFloatUsesTheDecimalSeparator) {
    EXPECT_DOUBLE_EQ(StrToFloat("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(StrToFloat(" 2.5 "), 2.5);
    EXPECT_DOUBLE_EQ(StrToFloat("-3e2"), -300);
    EXPECT_DOUBLE_EQ(StrToFloat("1E-3"), 0.001);
    EXPECT_DOUBLE_EQ(StrToFloat(".5"), 0.5);
    for (const char* s : {"1,5", "abc", "", "1.5.2", "1e", "1 000"}) {
        EXPECT_THROW(StrToFloat(s), EConvertError) << s;
        EXPECT_EQ(StrToFloatDef(s, 9.5), 9.5) << s;
    }
    try {
        StrToFloat("abc");
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid floating point value");
    }
    FormatSettings.DecimalSeparator = ',';
    EXPECT_DOUBLE_EQ(StrToFloat("1,5"), 1.5);
    EXPECT_THROW(StrToFloat("1.5"), EConvertError);
}

TEST_F(SysUtilsTest, StrToDateFollowsTheShortDateOrder) {
    FormatSettings.ShortDateFormat = "yyyy/mm/dd";
    FormatSettings.DateSeparator = '-';
    EXPECT_EQ(StrToDate("2024-03-05"), EncodeDate(2024, 3, 5));
    EXPECT_EQ(StrToDate(" 24-3-5 "), EncodeDate(2024, 3, 5));
    EXPECT_THROW(StrToDate("2024-02-30"), EConvertError);
    EXPECT_THROW(StrToDate("2024/03/05"), EConvertError);
    EXPECT_EQ(StrToDateDef("abc", 1), 1);
    FormatSettings = DefaultFormatSettings();
    EXPECT_EQ(StrToDate("3/5/2024"), EncodeDate(2024, 3, 5));
    int y, m, d;
    DecodeDate(Date(), y, m, d);
    EXPECT_EQ(StrToDate("3/5"), EncodeDate(y, 3, 5));
    FormatSettings.ShortDateFormat = "dd/mm/yyyy";
    EXPECT_EQ(StrToDate("3/5/2024"), EncodeDate(2024, 5, 3));
    EXPECT_DOUBLE_EQ(StrToTime("8:05:09"), EncodeTime(8, 5, 9, 0));
    EXPECT_DOUBLE_EQ(StrToTime("8:05 PM"), EncodeTime(20, 5, 0, 0));
    EXPECT_DOUBLE_EQ(StrToTime("12:00 am"), 0);
    EXPECT_THROW(StrToTime("25:00"), EConvertError);
    EXPECT_DOUBLE_EQ(StrToDateTime("3/5/2024 8:05"), EncodeDate(2024, 5, 3) + EncodeTime(8, 5, 0, 0));
}

TEST_F(SysUtilsTest, CaseInTheUsersLocale) {
    EXPECT_EQ(AnsiUpperCase("stra\xC3\x9F" "e \xC3\xA9" "cole \xC3\xBF"), "STRA\xC3\x9F" "E \xC3\x89" "COLE \xC5\xB8");
    EXPECT_EQ(AnsiUpperCase("\xCE\xB1\xCE\xB2\xCE\xB3 \xCF\x82"), "\xCE\x91\xCE\x92\xCE\x93 \xCE\xA3");  // αβγ ς
    EXPECT_EQ(AnsiUpperCase("\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"),
              "\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2");  // привет
    EXPECT_EQ(AnsiUpperCase("\xE8\xB4\xB9\xE7\x94\xA8 abc"), "\xE8\xB4\xB9\xE7\x94\xA8 ABC");
    EXPECT_EQ(AnsiLowerCase("\xD0\x9F\xD0\xA0\xD0\x98 \xCE\xA9 \xC3\x89"), "\xD0\xBF\xD1\x80\xD0\xB8 \xCF\x89 \xC3\xA9");
    EXPECT_EQ(AnsiUpperCase("a\xFF" "b"), "A\xFF" "B");  // a stray byte survives
    EXPECT_TRUE(AnsiSameText("\xC3\x84rger", "\xC3\xA4RGER"));
    EXPECT_FALSE(AnsiSameText("abc", "abd"));
    EXPECT_LT(AnsiCompareText("apple", "BANANA"), 0);
    EXPECT_GT(AnsiCompareText("b", "A"), 0);
    EXPECT_EQ(AnsiCompareText("\xD0\x90\xD0\x91", "\xD0\xB0\xD0\xB1"), 0);
    EXPECT_EQ(UpperCase("\xC3\xA4" "b"), "\xC3\xA4" "B");  // ASCII only
    EXPECT_EQ(CompareText("ABC", "abd"), -1);
    EXPECT_TRUE(SameText("Key", "KEY"));
    EXPECT_EQ(Trim("\t a b \r\n"), "a b");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a "), "  a");
    EXPECT_EQ(QuotedStr("it's"), "'it''s'");
    EXPECT_EQ(StringReplace("a-b-c", "-", "+", rfReplaceAll), "a+b+c");
    EXPECT_EQ(StringReplace("a-b-c", "-", "+", 0), "a+b-c");
    EXPECT_EQ(StringReplace("Foo foo", "FOO", "x", rfReplaceAll | rfIgnoreCase), "x x");
}

TEST_F(SysUtilsTest, FileNames) {
    EXPECT_EQ(ExtractFilePath("/a/b/c.txt"), "/a/b/");
    EXPECT_EQ(ExtractFileDir("/a/b/c.txt"), "/a/b");
    EXPECT_EQ(ExtractFileName("/a/b/c.txt"), "c.txt");
    EXPECT_EQ(ExtractFileName("c.txt"), "c.txt");
    EXPECT_EQ(ExtractFileExt("/a/b/c.txt"), ".txt");
    EXPECT_EQ(ExtractFileExt("/a/b.c/d"), "");
    EXPECT_EQ(ChangeFileExt("/a/b.c/d", ".ini"), "/a/b.c/d.ini");
    EXPECT_EQ(ChangeFileExt("XQTR37C.dll", ".so"), "XQTR37C.so");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
    EXPECT_EQ(ExpandFileName("/a/./b/../c"), "/a/c");
    EXPECT_EQ(ExpandFileName("x"), IncludeTrailingPathDelimiter(GetCurrentDir()) + "x");

    const std::string base = std::filesystem::temp_directory_path() / ("sysutils-" + std::to_string(::getpid()));
    const std::string deep = base + "/one/two/";
    EXPECT_FALSE(DirectoryExists(deep));
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_TRUE(DirectoryExists(deep));
    EXPECT_FALSE(FileExists(deep));
    { std::ofstream(deep + "f.txt") << "12345"; }
    EXPECT_TRUE(FileExists(deep + "f.txt"));
    EXPECT_EQ(FileSizeOf(deep + "f.txt"), 5);
    EXPECT_NEAR(FileDateOf(deep + "f.txt"), Now(), 1.0 / 24);
    EXPECT_FALSE(ForceDirectories(""));
    EXPECT_TRUE(DeleteFile(deep + "f.txt"));
    EXPECT_FALSE(FileExists(deep + "f.txt"));
    std::filesystem::remove_all(base);
}

TEST_F(SysUtilsTest, LocaleSettingsFromTheEnvironment) {
    const char* old = std::getenv("LC_ALL");
    const std::string saved = old ? old : "";
    struct Case {
        const char* locale;
        char sep;
        const char* shortDate;
    };
    // Chinese locales give year-first dates whether or not the locale is installed.
    for (const Case& c : {Case{"C", '/', "mm/dd/yyyy"}, Case{"zh_CN.UTF-8", '-', "yyyy/mm/dd"},
                          Case{"zh_TW.UTF-8", '/', "yyyy/mm/dd"}}) {
        setenv("LC_ALL", c.locale, 1);
        const TFormatSettings s = LocaleFormatSettings();
        EXPECT_EQ(s.DateSeparator, c.sep) << c.locale;
        EXPECT_EQ(s.ShortDateFormat, c.shortDate) << c.locale;
        EXPECT_EQ(s.TimeSeparator, ':') << c.locale;
    }
    if (old) setenv("LC_ALL", saved.c_str(), 1);
    else unsetenv("LC_ALL");
}

}  // namespace
