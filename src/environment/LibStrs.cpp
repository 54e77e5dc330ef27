#include "environment/LibStrs.h"

#include <charconv>
#include <cstdio>
#include <vector>

#include "environment/KOLTAGeneratorU.h"
#include "platform/core/SysUtils.h"
#include "platform/system/CodePage.h"
#include "platform/system/SysInfo.h"

using namespace plat;

namespace qm {

namespace {

// printf-style pieces of the date texts ("%.4d", "%.2d" ...): a negative number keeps its sign.
std::string Digits(int value, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*d", width, value);
    return buf;
}

std::string FirstChar(const std::string& sep) { return sep.empty() ? std::string() : sep.substr(0, 1); }

bool ValidDate(int year, int month, int day) {
    TDateTime d;
    return TryEncodeDate(year, month, day, d);
}

}  // namespace

// ---- Text --------------------------------------------------------------------------------------

std::string GetField(const std::string& s, const std::string& sep, int n) {
    if (n < 1) return {};
    std::string rest = s;
    std::string piece;
    bool more = true;  // whether a piece is still left in `rest`
    for (int i = 1; i <= n; ++i) {
        if (!more) return {};
        if (sep.empty() || rest.find(sep) == std::string::npos) more = false;
        piece = SplitFirst(rest, sep);
    }
    return piece;
}

int FieldCount(const std::string& s, const std::string& sep) {
    if (s.empty()) return 0;
    if (sep.empty()) return 1;
    // Blotting the find's first character with that very character would find it again for ever;
    // any separator beginning with "#" is therefore blotted with "*".
    const char blot = sep[0] == '#' ? '*' : '#';
    std::string work = s;
    int count = 0;
    std::size_t from = 0;
    for (;;) {
        const std::size_t p = work.find(sep, from);
        if (p == std::string::npos) break;
        ++count;
        work[p] = blot;
        // Only windows touching the blotted character can change; searching again from there finds
        // what a search from the start would find.
        from = p >= sep.size() - 1 ? p - (sep.size() - 1) : 0;
    }
    return count + 1;
}

std::string SplitFirst(std::string& s, const std::string& sep) {
    const std::size_t p = sep.empty() ? std::string::npos : s.find(sep);
    if (p == std::string::npos) {
        std::string head = std::move(s);
        s.clear();
        return head;
    }
    std::string head = s.substr(0, p);
    s.erase(0, p + sep.size());
    return head;
}

std::string ReplaceAll(const std::string& s, const std::string& oldText, const std::string& newText,
                       bool trim) {
    std::string work = s;
    if (!oldText.empty() && !SameText(oldText, newText)) {
        if (newText.find(oldText) != std::string::npos) {
            // Searching from the start again would find the new text itself without end: one pass.
            std::size_t from = 0;
            for (std::size_t p; (p = work.find(oldText, from)) != std::string::npos;) {
                work.replace(p, oldText.size(), newText);
                from = p + newText.size();
            }
        } else {
            // A rewrite whose results keep making new finds could grow for ever; stop it at a size
            // no real text reaches.
            const std::size_t limit = 16 * s.size() + 4096;
            std::size_t from = 0;
            for (std::size_t p; (p = work.find(oldText, from)) != std::string::npos;) {
                work.replace(p, oldText.size(), newText);
                if (work.size() > limit) break;
                // Windows entirely before the replacement cannot have changed.
                from = p >= oldText.size() - 1 ? p - (oldText.size() - 1) : 0;
            }
        }
    }
    return trim ? Trim(work) : work;
}

std::string BuildCountedList(const std::string& prefix, const Variant& v) {
    const int count = v[0].AsInteger();
    std::string result = prefix + ListSep + VarToStr(v[0]) + ListSep;
    for (int i = 1; i <= count; ++i) result += VarToStr(v[i]) + ListSep;
    return result;
}

double StrToFloatDefVal(const std::string& s, double def) {
    std::size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return def;
    std::size_t e = s.find_last_not_of(' ') + 1;
    std::string t = s.substr(b, e - b);
    std::size_t i = 0;
    bool negative = false;
    if (t[i] == '+' || t[i] == '-') negative = t[i++] == '-';
    const std::size_t numberStart = i;
    int digits = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return def;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        int expDigits = 0;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++expDigits;
        if (expDigits == 0) return def;
    }
    if (i != t.size()) return def;
    std::string number = t.substr(numberStart);
    if (number[0] == '.') number.insert(number.begin(), '0');
    double value = 0;
    const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || ptr != number.data() + number.size()) return def;
    return negative ? -value : value;
}

// ---- Dates -------------------------------------------------------------------------------------

std::string FormatDate(int dateType, const std::string& sep, TDateTime date) {
    if (date == 0) return {};
    int y, m, d;
    try {
        DecodeDate(date, y, m, d);
    } catch (const std::exception&) {
        return {};
    }
    const std::string s = FirstChar(sep);
    switch (dateType) {
    case dtcYYYYMMDD: return Digits(y, 4) + s + Digits(m, 2) + s + Digits(d, 2);
    case dtcMMDDYYYY: return Digits(m, 2) + s + Digits(d, 2) + s + Digits(y, 4);
    case dtcDDMMYYYY: return Digits(d, 2) + s + Digits(m, 2) + s + Digits(y, 4);
    case dtcYYMMDD: return Digits(y - 1911, 2) + s + Digits(m, 2) + s + Digits(d, 2);
    case dtcYYYMMDD: return Digits(y - 1911, 3) + s + Digits(m, 2) + s + Digits(d, 2);
    default: return {};
    }
}

std::string FormatYearMonth(int dateType, const std::string& sep, TDateTime date) {
    if (dateType < dtcYYYYMMDD || dateType > dtcYYYMMDD) return FormatDate(dateType, sep, date);
    int y, m, d;
    try {
        DecodeDate(date, y, m, d);
    } catch (const std::exception&) {
        return {};
    }
    const std::string s = FirstChar(sep);
    switch (dateType) {
    case dtcYYYYMMDD: return Digits(y, 4) + s + Digits(m, 2);
    case dtcMMDDYYYY:
    case dtcDDMMYYYY: return Digits(m, 2) + s + Digits(y, 4);
    case dtcYYMMDD: return Digits(y - 1911, 2) + s + Digits(m, 2);
    default: return Digits(y - 1911, 3) + s + Digits(m, 2);
    }
}

TDateTime ParseDate(const std::string& text, int dateType, const std::string& sep) {
    std::string rest = Trim(text);
    if (rest.empty()) return 0;
    int p[3];
    for (int& piece : p) piece = StrToIntDef(Trim(SplitFirst(rest, sep)), -1);
    if (p[0] <= 0 || p[1] <= 0 || p[2] <= 0 || dateType < dtcYYYYMMDD || dateType > dtcYYYMMDD) return 0;
    int year, month, day;
    switch (dateType) {
    case dtcYYYYMMDD: year = p[0], month = p[1], day = p[2]; break;
    case dtcMMDDYYYY: year = p[2], month = p[0], day = p[1]; break;
    case dtcDDMMYYYY: year = p[2], month = p[1], day = p[0]; break;
    default: year = p[0] + 1911, month = p[1], day = p[2]; break;
    }
    TDateTime first;
    if (!TryEncodeDate(year, month, 1, first)) return 0;
    return first + (day - 1);
}

TDateTime Date8ToDate(const std::string& date8) {
    if (date8.size() != 8) return 0;
    const int y = StrToIntDef(date8.substr(0, 4), 0);
    const int m = StrToIntDef(date8.substr(4, 2), 0);
    const int d = StrToIntDef(date8.substr(6, 2), 0);
    if (y == 0 || m == 0 || d == 0) return 0;
    TDateTime result;
    return TryEncodeDate(y, m, d, result) ? result : 0;
}

std::string DateToDate8(TDateTime date) {
    if (date == 0) return {};
    int y, m, d;
    try {
        DecodeDate(date, y, m, d);
    } catch (const std::exception&) {
        return {};
    }
    if (y < 1 || y > 9999) return {};
    return Digits(y, 4) + Digits(m, 2) + Digits(d, 2);
}

bool IsValidDate8(const std::string& text) {
    if (text.empty()) return true;
    int y, m, d;
    if (!TryStrToInt(text.substr(0, 4), y)) return false;
    if (!TryStrToInt(text.size() > 4 ? text.substr(4, 2) : std::string(), m)) return false;
    if (!TryStrToInt(text.size() > 6 ? text.substr(6, 2) : std::string(), d)) return false;
    if (!ValidDate(y, m, d)) return false;
    return text >= "17530101" && text <= "99991231";
}

std::string ShiftDate8(const Variant& date, const std::string& unit, int amount) {
    TDateTime value;
    if (date.IsText())
        value = Date8ToDate(date.AsString());
    else if (date.VarType() == varDate)
        value = date.AsDate();
    else
        return {};
    if (value == 0) return {};
    int y, m, d;
    try {
        DecodeDate(value, y, m, d);
    } catch (const std::exception&) {
        return {};
    }
    const std::string u = UpperCase(unit);
    if (u == "Y") {
        TDateTime moved;
        if (TryEncodeDate(y + amount, m, d, moved)) value = moved;  // 29 February stays put
    } else if (u == "M") {
        const long long t = static_cast<long long>(y) * 12 + m + amount;
        long long ny = t / 12, nm = t % 12;
        if (nm == 0) nm = 12, ny -= 1;
        if (ny < 1 || ny > 9999 || nm < 1) return {};
        int nd = d;
        while (nd > 1 && !ValidDate(static_cast<int>(ny), static_cast<int>(nm), nd)) --nd;
        value = EncodeDate(static_cast<int>(ny), static_cast<int>(nm), nd);
    } else if (u == "D") {
        value += amount;
    } else {
        return {};
    }
    return DateToDate8(value);
}

int DaysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
    return days[month - 1];
}

std::string NextRunDate(const std::string& start, const Variant& period) {
    std::string result;
    try {
        const TDateTime s = Date8ToDate(start);
        if (s == 0) return result;
        const int kind = period[0].AsInteger();
        if (kind == 0) return start;
        const Variant& p = period[1];
        if (kind == 1) {
            const int n = p[0].AsInteger();
            const int target = p[1].AsInteger() + 1;
            const int wd = DayOfWeek(s);
            const TDateTime d = s + (target >= wd ? (n - 1) * 7 : n * 7);
            result = DateToDate8(d + (target - DayOfWeek(d)));
            return result;
        }
        if (kind != 2) return result;
        const int mode = p[0].AsInteger();
        const int n = p[1].AsInteger();
        int y, m, d;
        DecodeDate(s, y, m, d);
        if (mode == 0) {
            const int day = p[2].AsInteger();
            const std::string moved = ShiftDate8(Variant(start), "M", day >= d ? n - 1 : n);
            if (moved.empty()) return result;
            const std::string candidate = moved.substr(0, 6) + Digits(day, 2);
            if (IsValidDate8(candidate)) {
                result = candidate;
            } else {
                const int my = StrToInt(moved.substr(0, 4)), mm = StrToInt(moved.substr(4, 2));
                result = moved.substr(0, 6) + Digits(DaysInMonth(my, mm), 2);
            }
            return result;
        }
        if (mode != 1) return result;
        const int w = p[2].AsInteger();
        const int target = p[3].AsInteger() + 1;
        // The search for a run on or after the start only ends for these.
        if (n < 1 || w < 0 || w > 4) return result;
        int months = n - 1;
        for (;;) {
            const std::string moved = ShiftDate8(Variant(start), "M", months);
            if (moved.empty()) return result;
            const int my = StrToInt(moved.substr(0, 4)), mm = StrToInt(moved.substr(4, 2));
            const TDateTime first = EncodeDate(my, mm, 1);
            const int diff = target - DayOfWeek(first);
            TDateTime run;
            if (w == 4) {
                const TDateTime last = EncodeDate(my, mm, DaysInMonth(my, mm));
                int back = DayOfWeek(last) - target;
                if (back < 0) back += 7;
                run = last - back;
            } else {
                run = first + diff + 7 * (diff < 0 ? w + 1 : w);
            }
            result = DateToDate8(run);
            if (result < start && months != n) {
                months = n;
                continue;
            }
            return result;
        }
    } catch (const std::exception&) {
        return result;
    }
}

std::string VaryDate(const std::string& base, const std::string& amount, const std::string& monthUnit,
                     const std::string& mode, const std::string& days) {
    const int shift = StrToInt(amount);
    if (base.size() <= 6) return ShiftDate8(Variant(base + "01"), "M", shift).substr(0, 6);
    if (monthUnit != "0") {
        const std::string moved = ShiftDate8(Variant(base), "M", shift);
        if (moved.empty()) return {};
        const TDateTime d = Date8ToDate(moved);
        switch (StrToIntDef(mode, -1)) {
        case 0: return DateToDate8(d + StrToInt(days));
        case 1: return moved.substr(0, 6) + "01";
        case 2: {
            const int y = StrToInt(moved.substr(0, 4)), m = StrToInt(moved.substr(4, 2));
            return moved.substr(0, 6) + Digits(DaysInMonth(y, m), 2);
        }
        default: return moved;
        }
    }
    const TDateTime b = Date8ToDate(base);
    if (b == 0) return {};
    if (mode == "0") return DateToDate8(b + shift * 7 + StrToInt(days));
    const TDateTime d = b + shift * 7;
    return DateToDate8(mode == "1" ? d + 1 - DayOfWeek(d) : d + 7 - DayOfWeek(d));
}

Variant ApplyDateVariation(const Variant& scheme, const std::string& base) {
    try {
        Variant values = scheme[1];
        const Variant& rules = scheme[3];
        const int count = rules[0].AsInteger();
        for (int i = 1; i <= count; ++i) {
            const std::string rule = VarToStr(rules[i]);
            auto field = [&rule](int k) { return GetField(rule, std::string(1, ListSep), k); };
            auto vary = [&field](const std::string& from, int first) -> Variant {
                if (field(first) == "0" && field(first + 2) == "0" && field(first + 3) == "0") return Variant(from);
                return Variant(VaryDate(from, field(first), field(first + 1), field(first + 2), field(first + 3)));
            };
            if (field(1) != "0") {
                const std::string from = field(8) == "D" ? base : base.substr(0, 6);
                Variant& value = values[StrToInt(field(9))];
                if (field(3) == "Y") value = vary(from, 4);
            } else {
                const std::string from = field(13) == "D" ? base : base.substr(0, 6);
                const int index = StrToInt(field(14));
                Variant range = values[index];
                if (field(3) == "Y") range[1] = vary(from, 4);
                if (field(8) == "Y") range[2] = vary(from, 9);
                values[index] = range;
            }
        }
        return values;
    } catch (const std::exception&) {
        return Variant(std::string());
    }
}

// ---- Variants ----------------------------------------------------------------------------------

Variant IIF(bool flag, const Variant& whenTrue, const Variant& whenFalse) { return flag ? whenTrue : whenFalse; }

// A code page the system cannot convert falls back to the system's own, as the original fell
// back to the ordinary conversion; when even that is unusable the text passes unchanged.
std::string WideToAnsiCP(const std::string& text, int codePage) {
    try {
        return Utf8ToCodePage(text, codePage);
    } catch (const EConvertError&) {
    }
    try {
        return Utf8ToCodePage(text, StrToIntDef(GetSystemCodePage(), 437));
    } catch (const EConvertError&) {
        return text;
    }
}

std::string AnsiToWideCP(const std::string& bytes, int codePage) {
    try {
        return CodePageToUtf8(bytes, codePage);
    } catch (const EConvertError&) {
    }
    try {
        return CodePageToUtf8(bytes, StrToIntDef(GetSystemCodePage(), 437));
    } catch (const EConvertError&) {
        return bytes;
    }
}

namespace {

using TRetag = Variant (*)(std::string);

// Walks `v` in place so a failure leaves the conversion as far as it got. `make` gives the text
// its new tag (narrow or wide): the text at the top, and wide texts inside one- and
// two-dimensional arrays (nested arrays of a one-dimensional array recursively).
void Retag(Variant& v, bool top, TRetag make) {
    if (v.IsText()) {
        if (top || v.VarType() == varOleStr) v = make(v.AsString());
        return;
    }
    if (!v.IsArray()) return;
    const int dims = v.DimCount();
    if (dims == 1) {
        for (int i = v.LowBound(1); i <= v.HighBound(1); ++i) {
            Variant& e = v[i];
            if (e.IsArray())
                Retag(e, false, make);
            else if (e.VarType() == varOleStr)
                e = make(e.AsString());
        }
    } else if (dims == 2) {
        for (int i = v.LowBound(1); i <= v.HighBound(1); ++i)
            for (int j = v.LowBound(2); j <= v.HighBound(2); ++j) {
                Variant& e = v.At(i, j);
                if (e.VarType() == varOleStr) e = make(e.AsString());
            }
    }
}

}  // namespace

Variant VarToAnsiCP(const Variant& v, int /*codePage*/) {
    Variant result = v;
    try {
        Retag(result, true, &Variant::Narrow);
    } catch (const std::exception& e) {
        WriteLog("libstrs", std::string("LINE[2735] ") + e.what(), "D");
    }
    return result;
}

Variant VarToWideCP(const Variant& v, int /*codePage*/) {
    Variant result = v;
    try {
        Retag(result, true, &Variant::Wide);
    } catch (const std::exception& e) {
        WriteLog("libstrs", std::string("LINE[115] ") + e.what(), "D");
    }
    return result;
}

}  // namespace qm
