#pragma once
// Stateless text, date and Variant routines every option form stands on. None keeps state, none
// shows a message: failures give empty texts, zero dates or false, and the conversions of Variants
// write their trouble to the "libstrs" log.
//
// Dates are either TDateTime values (0 = no date) or eight-character texts yyyymmdd ("Date8");
// a year-month is yyyymm. Date types: 1 yyyy mm dd, 2 mm dd yyyy, 3 dd mm yyyy, 4 and 5 the
// two- and three-digit years of the ROC era (year - 1911).
#include <cstdint>
#include <string>

#include "platform/core/Variant.h"

namespace qm {

using plat::TDateTime;
using plat::Variant;

// Date types as the selection panel numbers them.
enum TDateTypeCode : int {
    dtcYYYYMMDD = 1,
    dtcMMDDYYYY = 2,
    dtcDDMMYYYY = 3,
    dtcYYMMDD = 4,
    dtcYYYMMDD = 5,
};

// The list separator the condition texts and rule descriptors use.
constexpr char ListSep = '\x03';

// ---- Text --------------------------------------------------------------------------------------

// The N-th piece (from 1) of S cut at Sep; the last piece is the rest of S. Empty when S has fewer
// than N pieces (or N < 1). An empty Sep never cuts.
std::string GetField(const std::string& s, const std::string& sep, int n);
// 0 for an empty S, else the number of Sep occurrences + 1. Occurrences are found the way the
// original found them: each find is blotted in a private copy before the next search.
int FieldCount(const std::string& s, const std::string& sep);
// Returns S before the first Sep and leaves the rest after it in S; without Sep (or with an empty
// Sep) returns all of S and empties S.
std::string SplitFirst(std::string& s, const std::string& sep);
// Replaces Old by New, searching again from the start after each replacement (so replacements can
// meet). Old and New equal apart from letter case, or an empty Old, leave S as it is. The result is
// trimmed of blanks when `trim` is set.
std::string ReplaceAll(const std::string& s, const std::string& oldText, const std::string& newText,
                       bool trim);
// prefix #3 count #3 item1 #3 ... itemN #3, from V[0] = count and V[1..count].
std::string BuildCountedList(const std::string& prefix, const Variant& v);
// Number in the fixed format (sign, digits, ".", exponent; blanks around allowed), whatever the
// locale; `def` when the text is anything else.
double StrToFloatDefVal(const std::string& s, double def);

// ---- Dates -------------------------------------------------------------------------------------

// Display text of a date by date type; only the first character of `sep` separates. A date value
// of 0 and an unknown date type give "".
std::string FormatDate(int dateType, const std::string& sep, TDateTime date);
// Year-month text by date type (types 2 and 3 give month first); other types as FormatDate.
std::string FormatYearMonth(int dateType, const std::string& sep, TDateTime date);
// Reads a displayed date; 0 when empty or not a date. A day past the month's end rolls into the
// next month (2023/2/30 is 2 March 2023).
TDateTime ParseDate(const std::string& text, int dateType, const std::string& sep);
// 0 unless exactly eight characters forming a valid date with non-zero parts.
TDateTime Date8ToDate(const std::string& date8);
// yyyymmdd of a date value ("" for 0 or a date outside years 1..9999).
std::string DateToDate8(TDateTime date);
// True for "" and for valid dates from 17530101 to 99991231.
bool IsValidDate8(const std::string& text);
// Moves a date (a Date8 text or a date value) by `amount` years ("Y"), months ("M") or days ("D"),
// unit in any case; "" for anything it cannot move.
std::string ShiftDate8(const Variant& date, const std::string& unit, int amount);
// 28..31; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);
// First run of a periodic job on or after the start date (Date8); "" when it cannot be computed.
// `period` = [kind, P] with kind 0 daily, 1 weekly [N, weekday 0..6], 2 monthly
// [0, N, day] or [1, N, week ordinal 0..4 (4 = last), weekday 0..6].
std::string NextRunDate(const std::string& start, const Variant& period);
// Moves the dated values of a scheme to the base date: S[1] holds the values, S[3] the rules
// (count, then #3-separated rule texts). Returns the updated values, or "" on any failure.
Variant ApplyDateVariation(const Variant& scheme, const std::string& base);
// Moves a Date8 (or a year-month when base has at most six characters) by a rule:
// amount of weeks (monthUnit "0") or months, then mode 0 plus days, 1 first day, 2 last day
// (weeks: 1 Sunday, other Saturday of the week). Raises EConvertError for non-numeric fields.
std::string VaryDate(const std::string& base, const std::string& amount, const std::string& monthUnit,
                     const std::string& mode, const std::string& days);

// ---- Variants ----------------------------------------------------------------------------------

Variant IIF(bool flag, const Variant& whenTrue, const Variant& whenFalse);
using plat::VarIsEmptyOrNull;  // True for the empty and the null Variant

// UTF-8 text -> the bytes of `codePage` (936, 950, 437, 1252, 65001, ...). A code page that cannot
// be used falls back to the system code page; characters it cannot hold become "?".
std::string WideToAnsiCP(const std::string& text, int codePage);
// Bytes of `codePage` -> UTF-8 text, with the same fallback.
std::string AnsiToWideCP(const std::string& bytes, int codePage);
// Inside the process every text is Unicode, so these keep the characters and only retag them:
// VarToAnsiCP makes a text narrow (at the top; in arrays the wide elements, nested one-dimensional
// arrays recursively; arrays of three or more dimensions stay); VarToWideCP makes a text at the top
// wide. A failure returns what was done so far and is written to the "libstrs" log.
Variant VarToAnsiCP(const Variant& v, int codePage);
Variant VarToWideCP(const Variant& v, int codePage);

}  // namespace qm
