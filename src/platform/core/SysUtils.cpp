#include "platform/core/SysUtils.h"

#include <langinfo.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>
#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwctype>
#include <mutex>

namespace plat {

// =============================================================================================
// UTF-8 and case
// =============================================================================================
namespace {

// Decodes the UTF-8 sequence at s[i]; returns its length, 0 when malformed.
size_t DecodeUtf8(const std::string& s, size_t i, char32_t& cp) {
    const auto b = static_cast<unsigned char>(s[i]);
    size_t n;
    if (b < 0x80) { cp = b; return 1; }
    if (b >= 0xC2 && b <= 0xDF) { n = 2; cp = b & 0x1F; }
    else if (b >= 0xE0 && b <= 0xEF) { n = 3; cp = b & 0x0F; }
    else if (b >= 0xF0 && b <= 0xF4) { n = 4; cp = b & 0x07; }
    else return 0;
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Case mapping uses the locale-independent Unicode tables of C.UTF-8 (always installed: it
// comes with the C library); the user's locale only decides the collation order. The original
// upper-cased without linguistic rules, so an "i" becomes "I" for every user.
locale_t CaseLocale() {
    static locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
        if (!l) l = newlocale(LC_CTYPE_MASK, "C.utf8", nullptr);
        return l;
    }();
    return loc;
}

char32_t ToUpperCp(char32_t c) {
    if (locale_t l = CaseLocale()) return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), l));
    return (c >= 'a' && c <= 'z') ? c - 32 : c;
}
char32_t ToLowerCp(char32_t c) {
    if (locale_t l = CaseLocale()) return static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), l));
    return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}

template <typename Map>
std::string MapUtf8(const std::string& s, Map map) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        char32_t cp;
        const size_t n = DecodeUtf8(s, i, cp);
        if (n == 0) {  // a stray byte is kept as it is
            out.push_back(s[i++]);
            continue;
        }
        AppendUtf8(out, map(cp));
        i += n;
    }
    return out;
}

std::wstring ToWide(const std::string& s) {
    std::wstring w;
    for (size_t i = 0; i < s.size();) {
        char32_t cp;
        const size_t n = DecodeUtf8(s, i, cp);
        if (n == 0) {
            w.push_back(static_cast<wchar_t>(0xFFFD));
            ++i;
            continue;
        }
        w.push_back(static_cast<wchar_t>(cp));
        i += n;
    }
    return w;
}

// The user's collation (LC_COLLATE of the environment), when its locale is installed and uses
// UTF-8; else code point order.
locale_t CollateLocale() {
    static locale_t loc = [] {
        locale_t l = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, "", nullptr);
        if (l) {
            const char* cs = nl_langinfo_l(CODESET, l);
            if (!cs || (std::strcmp(cs, "UTF-8") != 0 && std::strcmp(cs, "utf8") != 0)) {
                freelocale(l);
                l = nullptr;
            }
        }
        return l;
    }();
    return loc;
}

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

int CollateCompare(const std::string& a, const std::string& b) {
    const std::wstring wa = ToWide(a), wb = ToWide(b);
    if (locale_t l = CollateLocale()) {
        const int r = wcscoll_l(wa.c_str(), wb.c_str(), l);
        if (r != 0) return Sign(r);
    }
    return Sign(wa.compare(wb));
}

// Display columns of a code point: East Asian wide characters take two.
int Columns(char32_t c) {
    if ((c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
        (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
        (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
        (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD))
        return 2;
    return 1;
}

int TextColumns(const std::string& s) {
    int cols = 0;
    for (size_t i = 0; i < s.size();) {
        char32_t cp;
        const size_t n = DecodeUtf8(s, i, cp);
        cols += n ? Columns(cp) : 1;
        i += n ? n : 1;
    }
    return cols;
}

// The longest prefix of `s` that fits in `cols` columns, never splitting a character.
std::string TruncateColumns(const std::string& s, int cols) {
    int used = 0;
    size_t i = 0;
    while (i < s.size()) {
        char32_t cp;
        size_t n = DecodeUtf8(s, i, cp);
        const int w = n ? Columns(cp) : 1;
        if (!n) n = 1;
        if (used + w > cols) break;
        used += w;
        i += n;
    }
    return s.substr(0, i);
}

std::string CodesetToUtf8(const char* text, const char* codeset) {
    if (!text) return {};
    std::string s(text);
    if (!codeset || !std::strcmp(codeset, "UTF-8") || !std::strcmp(codeset, "ANSI_X3.4-1968")) return s;
    iconv_t cd = iconv_open("UTF-8", codeset);
    if (cd == reinterpret_cast<iconv_t>(-1)) return s;
    std::string out(s.size() * 4 + 4, '\0');
    char* in = s.data();
    size_t inLeft = s.size();
    char* o = out.data();
    size_t oLeft = out.size();
    const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1)) return s;
    out.resize(out.size() - oLeft);
    return out;
}

}  // namespace

// =============================================================================================
// Settings
// =============================================================================================
namespace {

const char* const kShortMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kLongMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};
const char* const kShortDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kLongDays[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

bool IsAsciiPunct(char c) { return c > ' ' && c < 0x7F && !std::isalnum(static_cast<unsigned char>(c)); }

std::string EnvLocaleName(const char* category) {
    for (const char* var : {"LC_ALL", category, "LANG"})
        if (const char* v = std::getenv(var); v && *v) return v;
    return "C";
}

// strftime time pattern -> our pattern; sets `sep` to the first separator met.
std::string TimePattern(const std::string& f, const std::string& ampmPattern, char& sep) {
    std::string out;
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i] == '%' && i + 1 < f.size()) {
            const char c = f[++i];
            switch (c) {
                case 'H': case 'k': out += "hh"; break;
                case 'I': case 'l': out += "h"; break;
                case 'M': out += "nn"; break;
                case 'S': out += "ss"; break;
                case 'p': case 'P': out += "AMPM"; break;
                case 'T': out += "hh:nn:ss"; if (!sep) sep = ':'; break;
                case 'R': out += "hh:nn"; if (!sep) sep = ':'; break;
                case 'r': out += TimePattern(ampmPattern.empty() ? "%I:%M:%S %p" : ampmPattern, "", sep); break;
                default: break;
            }
            continue;
        }
        if (IsAsciiPunct(f[i]) && f[i] != '\'' && f[i] != '"') {
            if (!sep) sep = f[i];
            out += (f[i] == sep) ? ':' : f[i];
        } else if (f[i] == ' ') {
            out += ' ';
        } else {
            out += '"';
            out += f[i];
            out += '"';
        }
    }
    return out;
}

}  // namespace

TFormatSettings DefaultFormatSettings() {
    TFormatSettings s;
    for (int i = 0; i < 12; ++i) {
        s.ShortMonthNames[i] = kShortMonths[i];
        s.LongMonthNames[i] = kLongMonths[i];
    }
    for (int i = 0; i < 7; ++i) {
        s.ShortDayNames[i] = kShortDays[i];
        s.LongDayNames[i] = kLongDays[i];
    }
    return s;
}

TFormatSettings LocaleFormatSettings() {
    TFormatSettings s = DefaultFormatSettings();
    const std::string timeName = EnvLocaleName("LC_TIME");
    const bool chinese = timeName.rfind("zh", 0) == 0;
    const bool mainland = timeName.rfind("zh_CN", 0) == 0 || timeName.rfind("zh_SG", 0) == 0;

    std::string dfmt;
    if (locale_t l = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, timeName.c_str(), nullptr)) {
        const char* cs = nl_langinfo_l(CODESET, l);
        dfmt = nl_langinfo_l(D_FMT, l);
        for (int i = 0; i < 12; ++i) {
            s.ShortMonthNames[i] = CodesetToUtf8(nl_langinfo_l(static_cast<nl_item>(ABMON_1 + i), l), cs);
            s.LongMonthNames[i] = CodesetToUtf8(nl_langinfo_l(static_cast<nl_item>(MON_1 + i), l), cs);
        }
        for (int i = 0; i < 7; ++i) {
            s.ShortDayNames[i] = CodesetToUtf8(nl_langinfo_l(static_cast<nl_item>(ABDAY_1 + i), l), cs);
            s.LongDayNames[i] = CodesetToUtf8(nl_langinfo_l(static_cast<nl_item>(DAY_1 + i), l), cs);
        }
        const std::string am = CodesetToUtf8(nl_langinfo_l(AM_STR, l), cs);
        const std::string pm = CodesetToUtf8(nl_langinfo_l(PM_STR, l), cs);
        if (!am.empty()) s.TimeAMString = am;
        if (!pm.empty()) s.TimePMString = pm;
        char tsep = 0;
        const std::string tf = TimePattern(nl_langinfo_l(T_FMT, l), nl_langinfo_l(T_FMT_AMPM, l), tsep);
        if (tf.find("nn") != std::string::npos) {
            s.LongTimeFormat = tf;
            std::string st = tf;
            if (const size_t p = st.find(":ss"); p != std::string::npos) st.erase(p, 3);
            s.ShortTimeFormat = st;
        }
        if (tsep) s.TimeSeparator = tsep;
        freelocale(l);
    }
    if (const std::string numName = EnvLocaleName("LC_NUMERIC");
        locale_t l = newlocale(LC_NUMERIC_MASK | LC_MONETARY_MASK, numName.c_str(), nullptr)) {
        const char* radix = nl_langinfo_l(RADIXCHAR, l);
        const char* thou = nl_langinfo_l(THOUSEP, l);
        if (radix && std::strlen(radix) == 1) s.DecimalSeparator = radix[0];
        if (thou && std::strlen(thou) == 1 && thou[0] != s.DecimalSeparator) s.ThousandSeparator = thou[0];
        else if (s.DecimalSeparator == ',') s.ThousandSeparator = '.';
        const char* cur = nl_langinfo_l(CRNCYSTR, l);
        if (cur && std::strlen(cur) > 1) {
            s.CurrencyString = cur + 1;
            s.CurrencyFormat = cur[0] == '+' ? 1 : 0;
        }
        freelocale(l);
    }
    if (chinese && s.CurrencyString == "$") s.CurrencyString = mainland ? "¥" : "NT$";

    // Field order and separator of the short date come from the locale's date pattern; a pattern
    // without ASCII separators (年月日) gets the separator the Chinese systems use.
    if (dfmt.empty()) dfmt = chinese ? (mainland ? "%Y-%m-%d" : "%Y/%m/%d") : "%m/%d/%Y";
    std::string order;
    char sep = 0;
    for (size_t i = 0; i < dfmt.size(); ++i) {
        if (dfmt[i] == '%' && i + 1 < dfmt.size()) {
            const char c = dfmt[++i];
            if (c == 'Y' || c == 'y' || c == 'G') order += 'y';
            else if (c == 'm' || c == 'b' || c == 'B') order += 'm';
            else if (c == 'd' || c == 'e') order += 'd';
            else if (c == 'F') { order += "ymd"; if (!sep) sep = '-'; }
            else if (c == 'D') { order += "mdy"; if (!sep) sep = '/'; }
        } else if (order.size() > 0 && order.size() < 3 && !sep && IsAsciiPunct(dfmt[i])) {
            sep = dfmt[i];
        }
    }
    if (order.size() != 3) order = chinese ? "ymd" : "mdy";
    if (!sep) sep = mainland ? '-' : '/';
    s.DateSeparator = sep;
    std::string shortFmt;
    for (char c : order) {
        if (!shortFmt.empty()) shortFmt += '/';
        shortFmt += c == 'y' ? "yyyy" : (c == 'm' ? "mm" : "dd");
    }
    s.ShortDateFormat = shortFmt;
    if (order == "ymd")
        s.LongDateFormat = (chinese || dfmt.find("\xE5\xB9\xB4") != std::string::npos)
                               ? "yyyy'\xE5\xB9\xB4'm'\xE6\x9C\x88'd'\xE6\x97\xA5'"
                               : "yyyy mmmm d";
    else if (order == "dmy")
        s.LongDateFormat = "dddd, d mmmm yyyy";
    else
        s.LongDateFormat = "dddd, mmmm d, yyyy";
    return s;
}

TFormatSettings FormatSettings = LocaleFormatSettings();

// =============================================================================================
// Numbers
// =============================================================================================
namespace {

[[noreturn]] void InvalidInteger(const std::string& s) {
    throw EConvertError("'" + s + "' is not a valid integer value");
}
[[noreturn]] void InvalidFloat(const std::string& s) {
    throw EConvertError("'" + s + "' is not a valid floating point value");
}

// Integer parsing as the original's Val: leading blanks skipped, optional sign, decimal or
// hexadecimal ('$', '0x', 'x'); nothing may follow.
bool ParseInt(const std::string& s, int64_t minV, int64_t maxV, int64_t& out) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    bool hex = false;
    if (i < s.size() && s[i] == '$') { hex = true; ++i; }
    else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) { hex = true; i += 2; }
    else if (i < s.size() && (s[i] == 'x' || s[i] == 'X')) { hex = true; ++i; }
    if (i >= s.size()) return false;
    unsigned __int128 v = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * (hex ? 16 : 10) + static_cast<unsigned>(d);
        if (v > (static_cast<unsigned __int128>(1) << 64)) return false;
    }
    if (hex) {
        // Hexadecimal may spell the whole unsigned range ($FFFFFFFF is -1 as an integer).
        const unsigned __int128 span = static_cast<unsigned __int128>(maxV) * 2 + 1;
        if (v > span) return false;
        int64_t r = v > static_cast<unsigned __int128>(maxV)
                        ? static_cast<int64_t>(v - span - 1)
                        : static_cast<int64_t>(v);
        out = neg ? -r : r;
        return true;
    }
    if (neg) {
        if (v > static_cast<unsigned __int128>(-(minV + 1)) + 1) return false;
        out = v == 0 ? 0 : -static_cast<int64_t>(v - 1) - 1;
    } else {
        if (v > static_cast<unsigned __int128>(maxV)) return false;
        out = static_cast<int64_t>(v);
    }
    return true;
}

}  // namespace

std::string IntToStr(int64_t value) { return std::to_string(value); }

std::string IntToHex(int64_t value, int digits) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(value));
    std::string s = buf;
    if (static_cast<int>(s.size()) < digits) s.insert(0, static_cast<size_t>(digits) - s.size(), '0');
    return s;
}

bool TryStrToInt(const std::string& s, int32_t& value) {
    int64_t v;
    if (!ParseInt(s, INT32_MIN, INT32_MAX, v)) return false;
    value = static_cast<int32_t>(v);
    return true;
}

int32_t StrToInt(const std::string& s) {
    int32_t v;
    if (!TryStrToInt(s, v)) InvalidInteger(s);
    return v;
}

int32_t StrToIntDef(const std::string& s, int32_t def) {
    int32_t v;
    return TryStrToInt(s, v) ? v : def;
}

int64_t StrToInt64(const std::string& s) {
    int64_t v;
    if (!ParseInt(s, INT64_MIN, INT64_MAX, v)) InvalidInteger(s);
    return v;
}

int64_t StrToInt64Def(const std::string& s, int64_t def) {
    int64_t v;
    return ParseInt(s, INT64_MIN, INT64_MAX, v) ? v : def;
}

bool TryStrToFloat(const std::string& s, double& value) {
    // sign digits [sep digits] [E [sign] digits], blanks around; only the settings' separator.
    const std::string t = Trim(s);
    if (t.empty()) return false;
    std::string c;  // the C form strtod understands
    size_t i = 0;
    if (t[i] == '+' || t[i] == '-') c += t[i++];
    bool digits = false;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) { c += t[i++]; digits = true; }
    if (i < t.size() && t[i] == FormatSettings.DecimalSeparator) {
        c += '.';
        ++i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) { c += t[i++]; digits = true; }
    }
    if (!digits) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        c += 'e';
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) c += t[i++];
        bool expDigits = false;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) { c += t[i++]; expDigits = true; }
        if (!expDigits) return false;
    }
    if (i != t.size()) return false;
    errno = 0;
    const double v = std::strtod(c.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(v)) return false;
    value = v;
    return true;
}

double StrToFloat(const std::string& s) {
    double v;
    if (!TryStrToFloat(s, v)) InvalidFloat(s);
    return v;
}

double StrToFloatDef(const std::string& s, double def) {
    double v;
    return TryStrToFloat(s, v) ? v : def;
}

// ---------------------------------------------------------------------------------------------
// Floating-point text. Doubles carry 15 reliable significant digits; every format first rounds
// to at most that many, so 2.675 shows as 2.68 with two decimals, as a person expects.
namespace {

struct FloatRec {
    bool Negative = false;
    std::string Digits;  // significant digits without trailing zeros; "" for zero
    int Exponent = 0;    // value = 0.Digits * 10^Exponent
};

FloatRec ToDecimal(double v, int sig) {
    FloatRec r;
    r.Negative = std::signbit(v);
    if (v == 0) {
        r.Negative = false;
        return r;
    }
    sig = std::clamp(sig, 1, 17);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", sig - 1, std::fabs(v));
    const char* e = std::strchr(buf, 'e');
    for (const char* p = buf; p < e; ++p)
        if (*p != '.') r.Digits += *p;
    r.Exponent = std::atoi(e + 1) + 1;
    while (!r.Digits.empty() && r.Digits.back() == '0') r.Digits.pop_back();
    if (r.Digits.empty()) r = FloatRec{};
    return r;
}

// Rounds `r` half away from zero to `kept` significant digits.
void RoundDigits(FloatRec& r, int kept) {
    if (kept >= static_cast<int>(r.Digits.size())) return;
    if (kept < 0) {
        r = FloatRec{};
        return;
    }
    const bool up = r.Digits[static_cast<size_t>(kept)] >= '5';
    r.Digits.resize(static_cast<size_t>(kept));
    if (up) {
        int i = kept - 1;
        while (i >= 0 && r.Digits[static_cast<size_t>(i)] == '9') r.Digits[static_cast<size_t>(i--)] = '0';
        if (i >= 0) ++r.Digits[static_cast<size_t>(i)];
        else {
            r.Digits.insert(0, "1");
            ++r.Exponent;
        }
    }
    while (!r.Digits.empty() && r.Digits.back() == '0') r.Digits.pop_back();
    if (r.Digits.empty()) r = FloatRec{};
}

char DigitAt(const FloatRec& r, int i) {
    return (i >= 0 && i < static_cast<int>(r.Digits.size())) ? r.Digits[static_cast<size_t>(i)] : '0';
}

std::string Special(double v) {
    if (std::isnan(v)) return "NAN";
    return v < 0 ? "-INF" : "INF";
}

std::string ExponentText(int exp, bool plus, int minDigits) {
    std::string d = std::to_string(std::abs(exp));
    if (static_cast<int>(d.size()) < minDigits) d.insert(0, static_cast<size_t>(minDigits) - d.size(), '0');
    return std::string(exp < 0 ? "-" : (plus ? "+" : "")) + d;
}

std::string GroupThousands(const std::string& intPart) {
    if (!FormatSettings.ThousandSeparator) return intPart;
    std::string out;
    const int n = static_cast<int>(intPart.size());
    for (int i = 0; i < n; ++i) {
        out += intPart[static_cast<size_t>(i)];
        const int rest = n - 1 - i;
        if (rest > 0 && rest % 3 == 0) out += FormatSettings.ThousandSeparator;
    }
    return out;
}

// Integer and fraction digit texts of a fixed rendering with `decimals` decimals.
void FixedParts(const FloatRec& r, int decimals, std::string& intPart, std::string& fracPart) {
    intPart.clear();
    for (int i = 0; i < r.Exponent; ++i) intPart += DigitAt(r, i);
    if (intPart.empty()) intPart = "0";
    fracPart.clear();
    for (int i = 0; i < decimals; ++i) fracPart += DigitAt(r, r.Exponent + i);
}

std::string CurrencyLayout(const std::string& number, bool negative) {
    const std::string& c = FormatSettings.CurrencyString;
    if (!negative) {
        switch (FormatSettings.CurrencyFormat) {
            case 1: return number + c;
            case 2: return c + " " + number;
            case 3: return number + " " + c;
            default: return c + number;
        }
    }
    switch (FormatSettings.NegCurrFormat) {
        case 0: return "(" + c + number + ")";
        case 2: return c + "-" + number;
        case 3: return c + number + "-";
        case 4: return "(" + number + c + ")";
        case 5: return "-" + number + c;
        case 6: return number + "-" + c;
        case 7: return number + c + "-";
        case 8: return "-" + number + " " + c;
        case 9: return "-" + c + " " + number;
        case 10: return number + " " + c + "-";
        case 11: return c + " " + number + "-";
        case 12: return c + " -" + number;
        case 13: return number + "- " + c;
        case 14: return "(" + c + " " + number + ")";
        case 15: return "(" + number + " " + c + ")";
        default: return "-" + c + number;
    }
}

std::string FloatText(double value, TFloatFormat format, int precision, int digits, bool generalPlus = false) {
    if (!std::isfinite(value)) return Special(value);
    precision = std::clamp(precision, 1, 15);
    const char dec = FormatSettings.DecimalSeparator;
    FloatRec r = ToDecimal(value, precision);
    const std::string sign = r.Negative ? "-" : "";
    switch (format) {
        case ffGeneral: {
            if (r.Digits.empty()) return "0";
            if (r.Exponent > precision || r.Exponent < -3) {
                std::string m(1, r.Digits[0]);
                if (r.Digits.size() > 1) m += dec + r.Digits.substr(1);
                return sign + m + "E" + ExponentText(r.Exponent - 1, generalPlus, std::clamp(digits, 0, 4));
            }
            std::string intPart, frac;
            FixedParts(r, std::max(0, static_cast<int>(r.Digits.size()) - r.Exponent), intPart, frac);
            return sign + intPart + (frac.empty() ? "" : std::string(1, dec) + frac);
        }
        case ffExponent: {
            std::string m(1, DigitAt(r, 0));
            m += dec;
            for (int i = 1; i < precision; ++i) m += DigitAt(r, i);
            const int exp = r.Digits.empty() ? 0 : r.Exponent - 1;
            return sign + m + "E" + ExponentText(exp, true, std::clamp(digits, 0, 4));
        }
        case ffFixed:
        case ffNumber:
        case ffCurrency: {
            if (r.Exponent > precision) return FloatText(value, ffExponent, precision, 3);
            digits = std::clamp(digits, 0, 18);
            RoundDigits(r, r.Exponent + digits);
            std::string intPart, frac;
            FixedParts(r, digits, intPart, frac);
            if (format != ffFixed) intPart = GroupThousands(intPart);
            const std::string number = intPart + (digits > 0 ? std::string(1, dec) + frac : "");
            if (format == ffCurrency) return CurrencyLayout(number, r.Negative);
            return (r.Negative ? "-" : "") + number;
        }
    }
    return {};
}

}  // namespace

std::string FloatToStr(double value) { return FloatText(value, ffGeneral, 15, 0); }

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
    return FloatText(value, format, precision, digits);
}

// ---------------------------------------------------------------------------------------------
// FormatFloat pictures.
namespace {

std::vector<std::string> SplitSections(const std::string& fmt) {
    std::vector<std::string> sections(1);
    char quote = 0;
    for (char c : fmt) {
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            sections.emplace_back();
            continue;
        }
        sections.back() += c;
    }
    return sections;
}

std::string RenderPicture(const std::string& pic, double value) {
    // Scan the picture: placeholders before/after the point, thousands, exponent.
    int intCount = 0, firstZero = -1, fracZeros = 0, fracCount = 0, expDigits = 0;
    bool point = false, thousands = false, sci = false, expPlus = false;
    {
        char quote = 0;
        for (size_t i = 0; i < pic.size(); ++i) {
            const char c = pic[i];
            if (quote) { if (c == quote) quote = 0; continue; }
            if (c == '"' || c == '\'') { quote = c; continue; }
            if (sci) continue;
            if (c == '0' || c == '#') {
                if (point) {
                    ++fracCount;
                    if (c == '0') fracZeros = fracCount;
                } else {
                    if (c == '0' && firstZero < 0) firstZero = intCount;
                    ++intCount;
                }
            } else if (c == '.' && !point) {
                point = true;
            } else if (c == ',') {
                thousands = true;
            } else if ((c == 'E' || c == 'e') && i + 1 < pic.size() && (pic[i + 1] == '+' || pic[i + 1] == '-')) {
                sci = true;
                expPlus = pic[i + 1] == '+';
                size_t k = i + 2;
                while (k < pic.size() && pic[k] == '0') { ++expDigits; ++k; }
            }
        }
    }
    const int minInt = firstZero < 0 ? 0 : intCount - firstZero;
    FloatRec r = ToDecimal(value, 15);
    int exponent = 0;
    if (sci) {
        if (!r.Digits.empty()) {
            const int lead = std::max(intCount, 1);
            RoundDigits(r, lead + fracCount);
            exponent = r.Exponent - lead;
            r.Exponent = lead;
        }
    } else {
        RoundDigits(r, r.Exponent + fracCount);
    }
    std::string intDigits;
    for (int i = 0; i < r.Exponent; ++i) intDigits += DigitAt(r, i);
    while (static_cast<int>(intDigits.size()) < minInt) intDigits.insert(0, "0");
    if (intCount == 0) intDigits.clear();
    std::string fracDigits;
    for (int i = 0; i < fracCount; ++i) fracDigits += DigitAt(r, r.Exponent + i);
    while (static_cast<int>(fracDigits.size()) > fracZeros && fracDigits.back() == '0') fracDigits.pop_back();

    // Emit: digits go to the placeholders, the first integer placeholder takes any excess.
    std::string out;
    const int nInt = static_cast<int>(intDigits.size());
    auto emitInt = [&](int from, int to) {  // digit indexes [from, to) of intDigits
        for (int i = std::max(from, 0); i < to; ++i) {
            out += intDigits[static_cast<size_t>(i)];
            const int rest = nInt - 1 - i;
            if (thousands && rest > 0 && rest % 3 == 0 && FormatSettings.ThousandSeparator)
                out += FormatSettings.ThousandSeparator;
        }
    };
    int intSeen = 0, fracSeen = 0;
    bool inFrac = false, inExp = false;
    char quote = 0;
    for (size_t i = 0; i < pic.size(); ++i) {
        const char c = pic[i];
        if (quote) {
            if (c == quote) quote = 0;
            else out += c;
            continue;
        }
        if (c == '"' || c == '\'') { quote = c; continue; }
        if (inExp) {
            if (c == '0') continue;
            inExp = false;
        }
        if (c == '0' || c == '#') {
            if (!inFrac) {
                // Placeholder k (from the left) shows digit nInt - intCount + k.
                const int idx = nInt - intCount + intSeen;
                if (intSeen == 0) emitInt(0, idx + 1);
                else emitInt(idx, idx + 1);
                ++intSeen;
            } else {
                if (fracSeen < static_cast<int>(fracDigits.size())) out += fracDigits[static_cast<size_t>(fracSeen)];
                ++fracSeen;
            }
        } else if (c == '.' && !inFrac) {
            inFrac = true;
            if (!fracDigits.empty()) out += FormatSettings.DecimalSeparator;
        } else if (c == ',') {
            // grouping is applied with the digits
        } else if ((c == 'E' || c == 'e') && sci && i + 1 < pic.size() && (pic[i + 1] == '+' || pic[i + 1] == '-')) {
            out += c;
            out += ExponentText(exponent, expPlus, expDigits);
            ++i;
            inExp = true;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string FormatFloat(const std::string& fmt, double value) {
    if (!std::isfinite(value)) return Special(value);
    const auto sections = SplitSections(fmt);
    if (fmt.empty()) return FloatToStr(value);
    if (value == 0 && sections.size() >= 3 && !sections[2].empty()) return RenderPicture(sections[2], 0);
    if (value < 0 && sections.size() >= 2 && !sections[1].empty()) {
        return RenderPicture(sections[1], -value);
    }
    std::string text = RenderPicture(sections[0], std::fabs(value));
    if (value < 0) {
        // No minus sign when everything shown rounded to zero.
        bool nonZero = false;
        for (char c : text) nonZero = nonZero || (c >= '1' && c <= '9');
        if (nonZero) text.insert(0, "-");
    }
    return text;
}

// =============================================================================================
// Format
// =============================================================================================
namespace {

[[noreturn]] void FormatInvalid(const std::string& fmt) {
    throw EConvertError("Format '" + fmt + "' invalid or incompatible with argument");
}
[[noreturn]] void FormatMissing(const std::string& fmt) {
    throw EConvertError("No argument for format '" + fmt + "'");
}

bool IsIntegerVariant(const Variant& v) {
    const auto t = v.VarType();
    return t == varInteger || t == varSmallint || t == varByte;
}
bool IsFloatVariant(const Variant& v) {
    return IsIntegerVariant(v) || v.VarType() == varDouble || v.VarType() == varDate;
}

}  // namespace

std::string Format(const std::string& fmt, const std::vector<Variant>& args) {
    std::string out;
    size_t next = 0;
    const size_t n = fmt.size();
    auto argAt = [&](size_t index) -> const Variant& {
        if (index >= args.size()) FormatMissing(fmt);
        return args[index];
    };
    auto starValue = [&]() -> int {
        const Variant& v = argAt(next++);
        if (!IsIntegerVariant(v)) FormatInvalid(fmt);
        return v.AsInteger();
    };
    for (size_t i = 0; i < n; ++i) {
        if (fmt[i] != '%') {
            out += fmt[i];
            continue;
        }
        if (++i >= n) FormatInvalid(fmt);
        if (fmt[i] == '%') {
            out += '%';
            continue;
        }
        // [index:] [-] [width] [.prec] type
        auto readNum = [&](int& value) -> bool {
            if (fmt[i] == '*') {
                value = starValue();
                ++i;
                return true;
            }
            if (!std::isdigit(static_cast<unsigned char>(fmt[i]))) return false;
            value = 0;
            while (i < n && std::isdigit(static_cast<unsigned char>(fmt[i]))) {
                value = std::min(value * 10 + (fmt[i] - '0'), 1 << 20);
                ++i;
            }
            return true;
        };
        bool left = false;
        int width = -1, prec = -1, num = 0;
        bool haveNum = false;
        if (fmt[i] != '-') haveNum = readNum(num);
        if (i >= n) FormatInvalid(fmt);
        if (haveNum && fmt[i] == ':') {
            next = static_cast<size_t>(std::max(num, 0));
            haveNum = false;
            if (++i >= n) FormatInvalid(fmt);
        }
        if (!haveNum) {
            if (fmt[i] == '-') {
                left = true;
                if (++i >= n) FormatInvalid(fmt);
            }
            if (readNum(num)) width = num;
        } else {
            width = num;
        }
        if (i >= n) FormatInvalid(fmt);
        if (fmt[i] == '.') {
            if (++i >= n) FormatInvalid(fmt);
            if (!readNum(prec)) prec = 0;
        }
        if (i >= n) FormatInvalid(fmt);
        const char type = static_cast<char>(std::tolower(static_cast<unsigned char>(fmt[i])));
        std::string field;
        bool text = false;
        switch (type) {
            case 'd':
            case 'u':
            case 'x': {
                const Variant& v = argAt(next++);
                if (!IsIntegerVariant(v)) FormatInvalid(fmt);
                const int32_t iv = v.AsInteger();
                std::string digits;
                bool neg = false;
                if (type == 'd') {
                    neg = iv < 0;
                    digits = std::to_string(neg ? -static_cast<int64_t>(iv) : static_cast<int64_t>(iv));
                } else if (type == 'u') {
                    digits = std::to_string(static_cast<uint32_t>(iv));
                } else {
                    digits = IntToHex(static_cast<uint32_t>(iv), 0);
                }
                if (prec > 0 && static_cast<int>(digits.size()) < prec)
                    digits.insert(0, static_cast<size_t>(prec) - digits.size(), '0');
                field = (neg ? "-" : "") + digits;
                break;
            }
            case 'e':
            case 'f':
            case 'g':
            case 'n':
            case 'm': {
                const Variant& v = argAt(next++);
                if (!IsFloatVariant(v)) FormatInvalid(fmt);
                const double d = v.AsDouble();
                switch (type) {
                    case 'e': field = FloatText(d, ffExponent, prec < 0 ? 15 : prec, 3); break;
                    case 'g': field = FloatText(d, ffGeneral, prec < 0 ? 15 : prec, 3); break;
                    case 'f': field = FloatText(d, ffFixed, 15, prec < 0 ? 2 : prec); break;
                    case 'n': field = FloatText(d, ffNumber, 15, prec < 0 ? 2 : prec); break;
                    default:
                        field = FloatText(d, ffCurrency, 15, prec < 0 ? FormatSettings.CurrencyDecimals : prec);
                        break;
                }
                break;
            }
            case 's': {
                const Variant& v = argAt(next++);
                if (!v.IsText()) FormatInvalid(fmt);
                field = v.AsString();
                if (prec >= 0) field = TruncateColumns(field, prec);
                text = true;
                break;
            }
            default:
                FormatInvalid(fmt);
        }
        const int cols = text ? TextColumns(field) : static_cast<int>(field.size());
        if (width > cols) {
            const std::string pad(static_cast<size_t>(width - cols), ' ');
            field = left ? field + pad : pad + field;
        }
        out += field;
    }
    return out;
}

std::string Format(const std::string& fmt, std::initializer_list<Variant> args) {
    return Format(fmt, std::vector<Variant>(args));
}

// =============================================================================================
// Dates
// =============================================================================================
namespace {

// Days from 1970-01-01 for a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

constexpr int64_t kUnixToDelphi = 25569;  // days from 1899-12-30 to 1970-01-01

// Splits a date-time into a day number (days since 1899-12-30) and milliseconds of the day.
// The time is the absolute fraction (as the original: -1.25 is 1899-12-29 06:00).
void SplitDateTime(TDateTime v, int64_t& day, int& ms) {
    // Outside 0001-01-01 .. 9999-12-31 (and NaN) there is no date; keep the arithmetic defined.
    if (!(v >= -693594.0)) v = std::isnan(v) ? 0 : -693594.0;
    if (v > 2958466.0) v = 2958466.0;
    const double t = std::trunc(v);
    day = static_cast<int64_t>(t);
    int64_t m = static_cast<int64_t>(std::llround(std::fabs(v - t) * MSecsPerDay));
    if (m >= 86400000) {
        m -= 86400000;
        ++day;
    }
    ms = static_cast<int>(m);
}

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInAMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& date) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
        return false;
    date = static_cast<double>(DaysFromCivil(year, month, day) + kUnixToDelphi);
    return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time) {
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999)
        return false;
    time = (((hour * 60.0 + min) * 60.0 + sec) * 1000.0 + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime d;
    if (!TryEncodeDate(year, month, day, d)) throw EConvertError("Invalid argument to date encode");
    return d;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
    TDateTime t;
    if (!TryEncodeTime(hour, min, sec, msec, t)) throw EConvertError("Invalid argument to time encode");
    return t;
}

void DecodeDate(TDateTime date, int& year, int& month, int& day) {
    int64_t d;
    int ms;
    SplitDateTime(date, d, ms);
    CivilFromDays(d - kUnixToDelphi, year, month, day);
}

void DecodeTime(TDateTime time, int& hour, int& min, int& sec, int& msec) {
    int64_t d;
    int ms;
    SplitDateTime(time, d, ms);
    hour = ms / 3600000;
    min = ms / 60000 % 60;
    sec = ms / 1000 % 60;
    msec = ms % 1000;
}

int DayOfWeek(TDateTime date) {
    int64_t d;
    int ms;
    SplitDateTime(date, d, ms);
    // 1899-12-30 was a Saturday (7).
    return static_cast<int>(((d % 7) + 7 + 6) % 7) + 1;
}

TDateTime IncMonth(TDateTime date, int months) {
    int y, m, d;
    DecodeDate(date, y, m, d);
    int total = y * 12 + (m - 1) + months;
    y = total / 12;
    m = total % 12 + 1;
    d = std::min(d, DaysInAMonth(y, m));
    const double frac = date - std::trunc(date);
    const TDateTime base = EncodeDate(y, m, d);
    return base >= 0 ? base + std::fabs(frac) : base - std::fabs(frac);
}

TDateTime Now() {
    timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    struct tm lt {};
    localtime_r(&ts.tv_sec, &lt);
    return EncodeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday) +
           EncodeTime(lt.tm_hour, lt.tm_min, std::min(lt.tm_sec, 59), static_cast<int>(ts.tv_nsec / 1000000));
}

TDateTime Date() { return std::trunc(Now()); }
TDateTime Time() {
    const TDateTime n = Now();
    return n - std::trunc(n);
}

namespace {

std::string Pad(int v, int width) {
    std::string s = std::to_string(v);
    if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), '0');
    return s;
}

bool StartsNoCase(const std::string& s, size_t i, const char* word) {
    const size_t len = std::strlen(word);
    if (i + len > s.size()) return false;
    for (size_t k = 0; k < len; ++k)
        if (std::toupper(static_cast<unsigned char>(s[i + k])) != word[k]) return false;
    return true;
}

void AppendDateTime(std::string& out, const std::string& fmt, TDateTime value, int depth) {
    int year, month, day, hour, minute, sec, msec;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, minute, sec, msec);
    char lastToken = ' ';
    bool use12 = false;
    const size_t n = fmt.size();
    size_t i = 0;
    auto count = [&](char c) {
        size_t k = i;
        while (k < n && std::toupper(static_cast<unsigned char>(fmt[k])) == c) ++k;
        const int cnt = static_cast<int>(k - i);
        i = k;
        return cnt;
    };
    auto nested = [&](const std::string& f) {
        if (depth < 2) AppendDateTime(out, f, value, depth + 1);
    };
    while (i < n) {
        const char raw = fmt[i];
        char token = static_cast<char>(std::toupper(static_cast<unsigned char>(raw)));
        if (token >= 'A' && token <= 'Z') {
            if (token == 'M' && lastToken == 'H') token = 'N';
            lastToken = token;
        }
        switch (token) {
            case 'Y': {
                const int c = count('Y');
                out += c <= 2 ? Pad(year % 100, 2) : Pad(year, 4);
                break;
            }
            case 'M': {
                const int c = count('M');
                if (c == 1) out += std::to_string(month);
                else if (c == 2) out += Pad(month, 2);
                else if (c == 3) out += FormatSettings.ShortMonthNames[month - 1];
                else out += FormatSettings.LongMonthNames[month - 1];
                break;
            }
            case 'D': {
                const int c = count('D');
                const int dow = DayOfWeek(value) - 1;
                if (c == 1) out += std::to_string(day);
                else if (c == 2) out += Pad(day, 2);
                else if (c == 3) out += FormatSettings.ShortDayNames[dow];
                else if (c == 4) out += FormatSettings.LongDayNames[dow];
                else if (c == 5) nested(FormatSettings.ShortDateFormat);
                else nested(FormatSettings.LongDateFormat);
                break;
            }
            case 'H': {
                const int c = count('H');
                // A 12-hour clock when an am/pm marker follows before the next hour.
                use12 = false;
                bool quoted = false;
                for (size_t k = i; k < n; ++k) {
                    const char q = fmt[k];
                    if (q == '\'' || q == '"') quoted = !quoted;
                    else if (!quoted && (q == 'a' || q == 'A')) {
                        use12 = StartsNoCase(fmt, k, "AM/PM") || StartsNoCase(fmt, k, "A/P") ||
                                StartsNoCase(fmt, k, "AMPM");
                        break;
                    } else if (q == 'h' || q == 'H') {
                        break;
                    }
                }
                int h = hour;
                if (use12) {
                    h %= 12;
                    if (h == 0) h = 12;
                }
                out += c == 1 ? std::to_string(h) : Pad(h, 2);
                break;
            }
            case 'N': {
                const int c = count(std::toupper(static_cast<unsigned char>(raw)) == 'M' ? 'M' : 'N');
                out += c == 1 ? std::to_string(minute) : Pad(minute, 2);
                break;
            }
            case 'S': {
                const int c = count('S');
                out += c == 1 ? std::to_string(sec) : Pad(sec, 2);
                break;
            }
            case 'Z': {
                const int c = count('Z');
                out += c <= 2 ? std::to_string(msec) : Pad(msec, 3);
                break;
            }
            case 'T': {
                const int c = count('T');
                nested(c == 1 ? FormatSettings.ShortTimeFormat : FormatSettings.LongTimeFormat);
                break;
            }
            case 'C': {
                count('C');
                nested(FormatSettings.ShortDateFormat);
                if (hour != 0 || minute != 0 || sec != 0 || msec != 0) {
                    out += ' ';
                    nested(FormatSettings.LongTimeFormat);
                }
                break;
            }
            case 'A': {
                if (StartsNoCase(fmt, i, "AM/PM")) {
                    out += fmt.substr(hour >= 12 ? i + 3 : i, 2);
                    i += 5;
                } else if (StartsNoCase(fmt, i, "A/P")) {
                    out += fmt.substr(hour >= 12 ? i + 2 : i, 1);
                    i += 3;
                } else if (StartsNoCase(fmt, i, "AMPM")) {
                    out += hour >= 12 ? FormatSettings.TimePMString : FormatSettings.TimeAMString;
                    i += 4;
                } else {
                    out += raw;
                    ++i;
                }
                break;
            }
            case '/':
                out += FormatSettings.DateSeparator;
                ++i;
                break;
            case ':':
                out += FormatSettings.TimeSeparator;
                ++i;
                break;
            case '\'':
            case '"': {
                const size_t close = fmt.find(raw, i + 1);
                if (close == std::string::npos) {
                    out += fmt.substr(i + 1);
                    i = n;
                } else {
                    out += fmt.substr(i + 1, close - i - 1);
                    i = close + 1;
                }
                break;
            }
            default:
                out += raw;
                ++i;
                break;
        }
    }
}

}  // namespace

std::string FormatDateTime(const std::string& fmt, TDateTime value) {
    std::string out;
    AppendDateTime(out, fmt.empty() ? "c" : fmt, value, 0);
    return out;
}

std::string DateToStr(TDateTime date) { return FormatDateTime("ddddd", date); }
std::string TimeToStr(TDateTime time) { return FormatDateTime("tt", time); }
std::string DateTimeToStr(TDateTime value) { return FormatDateTime("c", value); }

namespace {

void SkipBlanks(const std::string& s, size_t& i) {
    while (i < s.size() && s[i] == ' ') ++i;
}

bool ScanNumber(const std::string& s, size_t& i, int& value, int& digits) {
    SkipBlanks(s, i);
    const size_t start = i;
    value = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && i - start < 9)
        value = value * 10 + (s[i++] - '0');
    digits = static_cast<int>(i - start);
    return digits > 0;
}

bool ScanChar(const std::string& s, size_t& i, char c) {
    SkipBlanks(s, i);
    if (i < s.size() && s[i] == c) {
        ++i;
        return true;
    }
    return false;
}

bool ScanDate(const std::string& s, size_t& i, TDateTime& date) {
    const TFormatSettings& fs = FormatSettings;
    char order = 'm';
    for (char c : fs.ShortDateFormat) {
        const char u = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (u == 'y' || u == 'm' || u == 'd') {
            order = u;
            break;
        }
    }
    int n1, n2, n3 = 0, l1, l2, l3 = 0;
    if (!ScanNumber(s, i, n1, l1) || !ScanChar(s, i, fs.DateSeparator) || !ScanNumber(s, i, n2, l2))
        return false;
    bool three = false;
    {
        size_t k = i;
        if (ScanChar(s, k, fs.DateSeparator)) {
            if (!ScanNumber(s, k, n3, l3)) return false;
            i = k;
            three = true;
        }
    }
    int y, m, d, yl;
    int nowY, nowM, nowD;
    DecodeDate(Date(), nowY, nowM, nowD);
    if (three) {
        if (order == 'y') { y = n1; yl = l1; m = n2; d = n3; }
        else if (order == 'm') { m = n1; d = n2; y = n3; yl = l3; }
        else { d = n1; m = n2; y = n3; yl = l3; }
    } else {
        y = nowY;
        yl = 4;
        if (order == 'd') { d = n1; m = n2; }
        else { m = n1; d = n2; }
    }
    if (y <= 99 && yl <= 2) {
        int cur = nowY - fs.TwoDigitYearCenturyWindow;
        y += cur / 100 * 100;
        if (fs.TwoDigitYearCenturyWindow > 0 && y < cur) y += 100;
    }
    ScanChar(s, i, fs.DateSeparator);  // a trailing separator is tolerated
    return TryEncodeDate(y, m, d, date);
}

bool ScanTime(const std::string& s, size_t& i, TDateTime& time) {
    const TFormatSettings& fs = FormatSettings;
    int h, m = 0, sec = 0, ms = 0, l;
    if (!ScanNumber(s, i, h, l)) return false;
    bool haveMin = false;
    if (ScanChar(s, i, fs.TimeSeparator)) {
        if (!ScanNumber(s, i, m, l)) return false;
        haveMin = true;
        if (ScanChar(s, i, fs.TimeSeparator)) {
            if (!ScanNumber(s, i, sec, l)) return false;
            if (ScanChar(s, i, fs.DecimalSeparator)) {
                if (!ScanNumber(s, i, ms, l)) return false;
            }
        }
    }
    SkipBlanks(s, i);
    int ampm = 0;
    for (const auto& [word, kind] : {std::pair<std::string, int>{fs.TimeAMString, 1}, {fs.TimePMString, 2},
                                     {"AM", 1}, {"PM", 2}}) {
        if (!word.empty() && i + word.size() <= s.size() && AnsiSameText(s.substr(i, word.size()), word)) {
            ampm = kind;
            i += word.size();
            break;
        }
    }
    if (!haveMin && !ampm) return false;
    if (ampm) {
        if (h == 0 || h > 12) return false;
        if (ampm == 1 && h == 12) h = 0;
        else if (ampm == 2 && h < 12) h += 12;
    }
    return TryEncodeTime(h, m, sec, ms, time);
}

bool AtEnd(const std::string& s, size_t i) {
    SkipBlanks(s, i);
    return i == s.size();
}

}  // namespace

bool TryStrToDate(const std::string& s, TDateTime& value) {
    size_t i = 0;
    TDateTime d;
    if (!ScanDate(s, i, d) || !AtEnd(s, i)) return false;
    value = d;
    return true;
}

TDateTime StrToDate(const std::string& s) {
    TDateTime d;
    if (!TryStrToDate(s, d)) throw EConvertError("'" + s + "' is not a valid date");
    return d;
}

TDateTime StrToDateDef(const std::string& s, TDateTime def) {
    TDateTime d;
    return TryStrToDate(s, d) ? d : def;
}

bool TryStrToTime(const std::string& s, TDateTime& value) {
    size_t i = 0;
    TDateTime t;
    if (!ScanTime(s, i, t) || !AtEnd(s, i)) return false;
    value = t;
    return true;
}

TDateTime StrToTime(const std::string& s) {
    TDateTime t;
    if (!TryStrToTime(s, t)) throw EConvertError("'" + s + "' is not a valid time");
    return t;
}

bool TryStrToDateTime(const std::string& s, TDateTime& value) {
    size_t i = 0;
    TDateTime d = 0, t = 0;
    if (ScanDate(s, i, d)) {
        if (AtEnd(s, i)) {
            value = d;
            return true;
        }
        if (!ScanTime(s, i, t) || !AtEnd(s, i)) return false;
        value = d >= 0 ? d + t : d - t;
        return true;
    }
    return TryStrToTime(s, value);
}

TDateTime StrToDateTime(const std::string& s) {
    TDateTime v;
    if (!TryStrToDateTime(s, v)) throw EConvertError("'" + s + "' is not a valid date and time");
    return v;
}

// =============================================================================================
// Text
// =============================================================================================
namespace {
bool Blank(char c) { return static_cast<unsigned char>(c) <= ' '; }
}  // namespace

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && Blank(s[b])) ++b;
    while (e > b && Blank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::string TrimLeft(const std::string& s) {
    size_t b = 0;
    while (b < s.size() && Blank(s[b])) ++b;
    return s.substr(b);
}

std::string TrimRight(const std::string& s) {
    size_t e = s.size();
    while (e > 0 && Blank(s[e - 1])) --e;
    return s.substr(0, e);
}

std::string UpperCase(const std::string& s) {
    std::string r = s;
    for (auto& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return r;
}

std::string LowerCase(const std::string& s) {
    std::string r = s;
    for (auto& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return r;
}

int CompareText(const std::string& a, const std::string& b) {
    const int r = UpperCase(a).compare(UpperCase(b));
    return Sign(r);
}

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

int CompareStr(const std::string& a, const std::string& b) { return Sign(a.compare(b)); }

std::string AnsiUpperCase(const std::string& s) { return MapUtf8(s, ToUpperCp); }
std::string AnsiLowerCase(const std::string& s) { return MapUtf8(s, ToLowerCp); }

int AnsiCompareText(const std::string& a, const std::string& b) {
    const std::string ua = AnsiUpperCase(a), ub = AnsiUpperCase(b);
    if (ua == ub) return 0;
    return CollateCompare(ua, ub);
}

bool AnsiSameText(const std::string& a, const std::string& b) {
    return a == b || AnsiUpperCase(a) == AnsiUpperCase(b);
}

int AnsiCompareStr(const std::string& a, const std::string& b) {
    if (a == b) return 0;
    return CollateCompare(a, b);
}

std::string QuotedStr(const std::string& s) {
    std::string r = "'";
    for (char c : s) {
        r += c;
        if (c == '\'') r += '\'';
    }
    return r + "'";
}

std::string StringReplace(const std::string& s, const std::string& oldPattern,
                          const std::string& newPattern, int flags) {
    if (oldPattern.empty()) return s;
    const bool ignoreCase = flags & rfIgnoreCase;
    const std::string hay = ignoreCase ? AnsiUpperCase(s) : s;
    const std::string needle = ignoreCase ? AnsiUpperCase(oldPattern) : oldPattern;
    // Upper-casing keeps byte lengths for the letters that matter only most of the time; when
    // it does not, fall back to matching per character position on the original text.
    if (hay.size() != s.size()) {
        std::string out;
        size_t i = 0;
        bool replaced = false;
        while (i < s.size()) {
            bool match = false;
            if (!(replaced && !(flags & rfReplaceAll))) {
                for (size_t len = 1; len <= s.size() - i; ++len) {
                    if (AnsiUpperCase(s.substr(i, len)) == needle) {
                        out += newPattern;
                        i += len;
                        match = replaced = true;
                        break;
                    }
                }
            }
            if (!match) out += s[i++];
        }
        return out;
    }
    std::string out;
    size_t pos = 0;
    while (true) {
        const size_t found = hay.find(needle, pos);
        if (found == std::string::npos) break;
        out += s.substr(pos, found - pos) + newPattern;
        pos = found + needle.size();
        if (!(flags & rfReplaceAll)) break;
    }
    return out + s.substr(pos);
}

// =============================================================================================
// File names and files
// =============================================================================================
std::string IncludeTrailingPathDelimiter(const std::string& path) {
    if (!path.empty() && path.back() == PathDelim) return path;
    return path + PathDelim;
}

std::string ExcludeTrailingPathDelimiter(const std::string& path) {
    if (path.size() > 1 && path.back() == PathDelim) return path.substr(0, path.size() - 1);
    return path;
}

std::string ExtractFilePath(const std::string& fileName) {
    const size_t p = fileName.rfind(PathDelim);
    return p == std::string::npos ? std::string() : fileName.substr(0, p + 1);
}

std::string ExtractFileDir(const std::string& fileName) {
    const size_t p = fileName.rfind(PathDelim);
    if (p == std::string::npos) return {};
    return p == 0 ? std::string("/") : fileName.substr(0, p);
}

std::string ExtractFileName(const std::string& fileName) {
    const size_t p = fileName.rfind(PathDelim);
    return p == std::string::npos ? fileName : fileName.substr(p + 1);
}

std::string ExtractFileExt(const std::string& fileName) {
    const size_t slash = fileName.rfind(PathDelim);
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return fileName.substr(dot);
}

std::string ChangeFileExt(const std::string& fileName, const std::string& extension) {
    const size_t slash = fileName.rfind(PathDelim);
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return fileName + extension;
    return fileName.substr(0, dot) + extension;
}

std::string GetCurrentDir() {
    char buf[PATH_MAX];
    return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
}

std::string ExpandFileName(const std::string& fileName) {
    if (fileName.empty()) return {};
    const std::string full = fileName[0] == PathDelim ? fileName : IncludeTrailingPathDelimiter(GetCurrentDir()) + fileName;
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= full.size()) {
        size_t j = full.find(PathDelim, i);
        if (j == std::string::npos) j = full.size();
        const std::string part = full.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string out;
    for (const auto& p : parts) out += "/" + p;
    if (out.empty()) out = "/";
    if (full.back() == PathDelim && out != "/") out += PathDelim;
    return out;
}

bool FileExists(const std::string& fileName) {
    struct stat st {};
    return !fileName.empty() && ::stat(fileName.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& dir) {
    struct stat st {};
    return !dir.empty() && ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDir(const std::string& dir) { return !dir.empty() && ::mkdir(dir.c_str(), 0777) == 0; }

bool ForceDirectories(const std::string& dir) {
    if (dir.empty()) return false;
    const std::string d = ExcludeTrailingPathDelimiter(dir);
    if (DirectoryExists(d)) return true;
    const std::string parent = ExtractFileDir(d);
    if (!parent.empty() && parent != d && !ForceDirectories(parent)) return false;
    return CreateDir(d) || DirectoryExists(d);
}

bool RemoveDir(const std::string& dir) { return !dir.empty() && ::rmdir(dir.c_str()) == 0; }

bool DeleteFile(const std::string& fileName) {
    return FileExists(fileName) && ::unlink(fileName.c_str()) == 0;
}

bool RenameFile(const std::string& oldName, const std::string& newName) {
    // As the original: never replaces an existing file.
    struct stat st {};
    if (::lstat(newName.c_str(), &st) == 0) return false;
    return std::rename(oldName.c_str(), newName.c_str()) == 0;
}

int64_t FileSizeOf(const std::string& fileName) {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    return st.st_size;
}

TDateTime FileDateOf(const std::string& fileName) {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0) return -1;
    struct tm lt {};
    localtime_r(&st.st_mtim.tv_sec, &lt);
    return EncodeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday) +
           EncodeTime(lt.tm_hour, lt.tm_min, std::min(lt.tm_sec, 59), 0);
}

}  // namespace plat
