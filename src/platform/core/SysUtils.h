#pragma once
// Run-time routines with the behaviour the module's code was written against: formatting,
// conversions that raise EConvertError, dates as TDateTime (days since 1899-12-30), process-wide
// date/number settings initialised from the locale, text case in the user's locale, file names.
// Text is UTF-8 throughout.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/core/Variant.h"

namespace plat {

// ---------------------------------------------------------------------------------------------
// Process-wide settings. Initialised once from the user's locale (LC_ALL / LC_TIME / LC_NUMERIC /
// LANG), then freely settable. Servers treat them as read-only once running.
struct TFormatSettings {
    char DateSeparator = '/';
    char TimeSeparator = ':';
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    std::string ShortDateFormat = "mm/dd/yyyy";
    std::string LongDateFormat = "dddd, mmmm d, yyyy";
    std::string ShortTimeFormat = "hh:nn";
    std::string LongTimeFormat = "hh:nn:ss";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    std::string CurrencyString = "$";
    int CurrencyFormat = 0;     // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
    int NegCurrFormat = 1;      // 0 "($1)", 1 "-$1", ... 15 "(1 $)" (the usual 16 layouts)
    int CurrencyDecimals = 2;
    int TwoDigitYearCenturyWindow = 50;
    std::string ShortMonthNames[12];
    std::string LongMonthNames[12];
    std::string ShortDayNames[7];  // Sunday first
    std::string LongDayNames[7];
};

// The process-wide settings (DateSeparator, ShortDateFormat, LongTimeFormat, ...).
extern TFormatSettings FormatSettings;
// Settings as the current locale gives them (what FormatSettings started with).
TFormatSettings LocaleFormatSettings();
// Settings of the neutral "C" locale (slash dates mm/dd/yyyy, English names).
TFormatSettings DefaultFormatSettings();

// ---------------------------------------------------------------------------------------------
// Format: %[index:][-][width][.precision]type with types d u x e f g n m s and %%.
// Width, precision and index may be '*' (taken from the next integer argument). Arguments are
// taken by their Variant type: integers for d/u/x, numbers (integer or double/date) for
// e/f/g/n/m, text for s. A missing or mismatching argument raises EConvertError
// ("Format '%d' invalid or incompatible with argument", "No argument for format '%d'").
// Widths and precisions of %s count display columns: a CJK (wide) character takes two.
std::string Format(const std::string& fmt, const std::vector<Variant>& args);
std::string Format(const std::string& fmt, std::initializer_list<Variant> args);

// ---------------------------------------------------------------------------------------------
// Numbers <-> text.
std::string IntToStr(int64_t value);
std::string IntToHex(int64_t value, int digits);  // upper-case, at least `digits` digits
// '$1F' and '0x1F' are hexadecimal; leading blanks are skipped, anything else (trailing blanks
// too) raises EConvertError "'abc' is not a valid integer value".
int32_t StrToInt(const std::string& s);
int32_t StrToIntDef(const std::string& s, int32_t def);
bool TryStrToInt(const std::string& s, int32_t& value);
int64_t StrToInt64(const std::string& s);
int64_t StrToInt64Def(const std::string& s, int64_t def);
// Leading and trailing blanks are ignored; the decimal separator is FormatSettings'.
// Raises EConvertError "'abc' is not a valid floating point value".
double StrToFloat(const std::string& s);
double StrToFloatDef(const std::string& s, double def);
bool TryStrToFloat(const std::string& s, double& value);
// Shortest general form with 15 significant digits: 0.1 -> "0.1", 1e20 -> "1E20", 1e-5 -> "1E-5".
std::string FloatToStr(double value);
enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits);
// Picture formats: "0", "#", ".", ",", "E+"/"E-", quoted literals and ";" sections.
std::string FormatFloat(const std::string& fmt, double value);

// ---------------------------------------------------------------------------------------------
// Dates and times.
constexpr double MSecsPerDay = 86400000.0;
// Raise EConvertError "Invalid argument to date encode" / "... time encode".
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time);
void DecodeDate(TDateTime date, int& year, int& month, int& day);
void DecodeTime(TDateTime time, int& hour, int& min, int& sec, int& msec);
int DayOfWeek(TDateTime date);  // 1 = Sunday ... 7 = Saturday
bool IsLeapYear(int year);
int DaysInAMonth(int year, int month);
TDateTime IncMonth(TDateTime date, int months = 1);  // the day is clipped to the month's end
TDateTime Now();
TDateTime Date();
TDateTime Time();

// Patterns: c d dd ddd dddd ddddd dddddd m mm mmm mmmm (minutes right after h/hh) yy yyyy
// h hh n nn s ss z zzz t tt am/pm a/p ampm / : and '...' "..." literals; letters in any case.
std::string FormatDateTime(const std::string& fmt, TDateTime value);
std::string DateToStr(TDateTime date);       // ShortDateFormat
std::string TimeToStr(TDateTime time);       // LongTimeFormat
std::string DateTimeToStr(TDateTime value);  // "c": date, and the time unless midnight
// Parse by the ShortDateFormat's field order and DateSeparator (two fields: current year).
// Raise EConvertError "'x' is not a valid date" / "... time" / "... date and time".
TDateTime StrToDate(const std::string& s);
TDateTime StrToDateDef(const std::string& s, TDateTime def);
bool TryStrToDate(const std::string& s, TDateTime& value);
TDateTime StrToTime(const std::string& s);
bool TryStrToTime(const std::string& s, TDateTime& value);
TDateTime StrToDateTime(const std::string& s);
bool TryStrToDateTime(const std::string& s, TDateTime& value);

// ---------------------------------------------------------------------------------------------
// Text.
std::string Trim(const std::string& s);       // removes control characters and blanks (<= ' ')
std::string TrimLeft(const std::string& s);
std::string TrimRight(const std::string& s);
std::string UpperCase(const std::string& s);  // ASCII letters only
std::string LowerCase(const std::string& s);
int CompareText(const std::string& a, const std::string& b);  // ASCII case-insensitive
bool SameText(const std::string& a, const std::string& b);
int CompareStr(const std::string& a, const std::string& b);   // byte order
// In the user's locale, Unicode-aware (Latin, Greek, Cyrillic letters change case; CJK does not).
std::string AnsiUpperCase(const std::string& s);
std::string AnsiLowerCase(const std::string& s);
int AnsiCompareText(const std::string& a, const std::string& b);  // <0, 0, >0; ignores case
bool AnsiSameText(const std::string& a, const std::string& b);
int AnsiCompareStr(const std::string& a, const std::string& b);   // the locale's order
std::string QuotedStr(const std::string& s);                       // 'it''s'
enum TReplaceFlag { rfReplaceAll = 1, rfIgnoreCase = 2 };
std::string StringReplace(const std::string& s, const std::string& oldPattern,
                          const std::string& newPattern, int flags);

// ---------------------------------------------------------------------------------------------
// File names ('/' is the path delimiter) and files.
constexpr char PathDelim = '/';
std::string IncludeTrailingPathDelimiter(const std::string& path);
std::string ExcludeTrailingPathDelimiter(const std::string& path);
std::string ExtractFilePath(const std::string& fileName);  // with the trailing '/'
std::string ExtractFileDir(const std::string& fileName);   // without it
std::string ExtractFileName(const std::string& fileName);
std::string ExtractFileExt(const std::string& fileName);   // with the dot: ".txt"
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);
std::string ExpandFileName(const std::string& fileName);    // absolute, "." and ".." resolved
bool FileExists(const std::string& fileName);       // an existing file that is not a folder
bool DirectoryExists(const std::string& dir);
bool ForceDirectories(const std::string& dir);      // creates missing parents; false on failure
bool CreateDir(const std::string& dir);
bool RemoveDir(const std::string& dir);
bool DeleteFile(const std::string& fileName);
bool RenameFile(const std::string& oldName, const std::string& newName);
std::string GetCurrentDir();
int64_t FileSizeOf(const std::string& fileName);    // -1 when missing
TDateTime FileDateOf(const std::string& fileName);  // modification time (local); -1 when missing

}  // namespace plat
