#include "platform/core/VariantJson.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/core/Automation.h"

namespace plat {

// ---- dates ---------------------------------------------------------------------------------

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, long long& y, unsigned& m, unsigned& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

constexpr long long kEpochOffset = 25569;  // 1899-12-30 is 25569 days before 1970-01-01
constexpr long long kMsPerDay = 86400000;

bool IsLeap(long long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(long long y, unsigned m) {
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

}  // namespace

std::string DateTimeToIsoText(TDateTime value, char separator, bool withMilliseconds) {
    if (!std::isfinite(value)) throw EConvertError("A date-time that is not a finite number cannot be written as a date");
    // The whole part counts days; the fraction is the time of day, also for dates before 1899-12-30.
    double whole = std::trunc(value);
    long long ms = std::llround(std::fabs(value - whole) * kMsPerDay);
    long long day = static_cast<long long>(whole);
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        day += value < 0 ? -1 : 1;
    }
    long long y;
    unsigned m, d;
    CivilFromDays(day - kEpochOffset, y, m, d);
    char buf[64];
    int hh = static_cast<int>(ms / 3600000), nn = static_cast<int>(ms / 60000 % 60),
        ss = static_cast<int>(ms / 1000 % 60), zzz = static_cast<int>(ms % 1000);
    if (withMilliseconds)
        std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u%c%02d:%02d:%02d.%03d", y, m, d, separator, hh, nn, ss, zzz);
    else
        std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u%c%02d:%02d:%02d", y, m, d, separator, hh, nn, ss);
    return buf;
}

bool TryIsoTextToDateTime(const std::string& text, TDateTime& value) {
    size_t pos = 0;
    auto digits = [&](size_t count, int& out) {
        if (pos + count > text.size()) return false;
        out = 0;
        for (size_t i = 0; i < count; ++i) {
            char c = text[pos + i];
            if (c < '0' || c > '9') return false;
            out = out * 10 + (c - '0');
        }
        pos += count;
        return true;
    };
    auto expect = [&](char c) {
        if (pos < text.size() && text[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    };
    int y, m, d, hh = 0, nn = 0, ss = 0, ms = 0;
    if (!digits(4, y) || !expect('-') || !digits(2, m) || !expect('-') || !digits(2, d)) return false;
    if (pos < text.size()) {
        if (!(expect('T') || expect(' '))) return false;
        if (!digits(2, hh) || !expect(':') || !digits(2, nn)) return false;
        if (expect(':')) {
            if (!digits(2, ss)) return false;
            if (expect('.')) {
                // Up to three digits count (milliseconds); more are read and rounded away.
                size_t start = pos;
                double frac = 0, scale = 0.1;
                while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
                    frac += (text[pos] - '0') * scale;
                    scale /= 10;
                    ++pos;
                }
                if (pos == start) return false;
                ms = static_cast<int>(std::llround(frac * 1000));
            }
        }
        if (pos != text.size()) return false;
    }
    if (y < 1 || m < 1 || m > 12 || d < 1 || static_cast<unsigned>(d) > DaysInMonth(y, static_cast<unsigned>(m)))
        return false;
    if (hh > 23 || nn > 59 || ss > 59 || ms > 1000) return false;
    long long day = DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) + kEpochOffset;
    double time = (static_cast<double>(hh) * 3600000 + nn * 60000 + ss * 1000 + ms) / kMsPerDay;
    value = day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
    return true;
}

// ---- writer --------------------------------------------------------------------------------

namespace {

void WriteString(std::string& out, const std::string& s) {
    out += '"';
    for (unsigned char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04X", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
}

void WriteDouble(std::string& out, double d) {
    if (std::isnan(d)) {
        out += "{\"$double\": \"NaN\"}";
        return;
    }
    if (std::isinf(d)) {
        out += d > 0 ? "{\"$double\": \"Infinity\"}" : "{\"$double\": \"-Infinity\"}";
        return;
    }
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, d);  // shortest text that reads back exactly
    std::string text(buf, res.ptr);
    if (std::trunc(d) == d) {
        out += "{\"$double\": " + text + "}";
    } else {
        out += text;
    }
}

void Write(std::string& out, const Variant& v);

void WriteArray(std::string& out, const Variant& v) {
    int dims = v.DimCount();
    // Outer list = first dimension; storage has the first index fastest, so walk strides.
    auto writeNested = [&](auto& self, int dim, size_t offset) -> void {
        // dim: 1-based dimension being listed; stride of dimension k = product of counts before k.
        size_t stride = 1;
        for (int k = 1; k < dim; ++k) stride *= static_cast<size_t>(v.ElementCount(k));
        int count = v.ElementCount(dim);
        out += '[';
        for (int i = 0; i < count; ++i) {
            if (i) out += ", ";
            size_t at = offset + static_cast<size_t>(i) * stride;
            if (dim == dims)
                Write(out, v.Elements()[at]);
            else
                self(self, dim + 1, at);
        }
        out += ']';
    };
    if (dims == 1 && v.LowBound(1) == 0) {
        writeNested(writeNested, 1, 0);
        return;
    }
    out += "{\"$array\": ";
    writeNested(writeNested, 1, 0);
    out += ", \"low\": ";
    if (dims == 1) {
        out += std::to_string(v.LowBound(1));
    } else {
        out += '[';
        for (int k = 1; k <= dims; ++k) {
            if (k > 1) out += ", ";
            out += std::to_string(v.LowBound(k));
        }
        out += ']';
    }
    out += '}';
}

void Write(std::string& out, const Variant& v) {
    switch (v.VarType() & ~varTypeMask ? varArray : v.VarType()) {
        case varEmpty: out += "{\"$empty\": true}"; break;
        case varNull: out += "null"; break;
        case varBoolean: out += v.AsBoolean() ? "true" : "false"; break;
        case varInteger: out += std::to_string(v.AsInteger()); break;
        case varSmallint: out += "{\"$smallint\": " + std::to_string(v.AsInteger()) + "}"; break;
        case varByte: out += "{\"$byte\": " + std::to_string(v.AsInteger()) + "}"; break;
        case varDouble: WriteDouble(out, v.AsDouble()); break;
        case varDate:
            out += "{\"$date\": ";
            WriteString(out, DateTimeToIsoText(v.AsDate()));
            out += '}';
            break;
        case varString: WriteString(out, v.AsString()); break;
        case varOleStr:
            out += "{\"$wide\": ";
            WriteString(out, v.AsString());
            out += '}';
            break;
        case varDispatch: {
            TAutoObjectPtr o = v.AsObject();
            out += "{\"$object\": ";
            WriteString(out, o ? o->ClassName() : std::string());
            out += '}';
            break;
        }
        case varArray: WriteArray(out, v); break;
        default:
            throw EConvertError("A Variant of type " + Variant::TypeName(v.VarType()) + " has no JSON form");
    }
}

// ---- reader --------------------------------------------------------------------------------

// A parsed JSON value, kept only as long as reading needs it.
struct TJson {
    enum Kind { Null, Bool, Int, Real, String, List, Object } K = Null;
    bool B = false;
    long long I = 0;
    double D = 0;
    std::string S;
    std::vector<TJson> Items;                            // List
    std::vector<std::pair<std::string, TJson>> Members;  // Object, in input order
    size_t Pos = 0;                                      // where it started, for error texts
};

class TReader {
public:
    explicit TReader(const std::string& text) : fText(text) {}

    TJson ParseDocument() {
        SkipSpace();
        TJson v = Parse(0);
        SkipSpace();
        if (fPos != fText.size()) Fail(fPos, "unexpected text after the value");
        return v;
    }

    [[noreturn]] void Fail(size_t pos, const std::string& what) const {
        size_t line = 1, column = 1;
        for (size_t i = 0; i < pos && i < fText.size(); ++i) {
            if (fText[i] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        throw EConvertError("Invalid Variant JSON at offset " + std::to_string(pos) + " (line " +
                            std::to_string(line) + ", column " + std::to_string(column) + "): " + what);
    }

private:
    static constexpr int kMaxDepth = 256;

    void SkipSpace() {
        while (fPos < fText.size() &&
               (fText[fPos] == ' ' || fText[fPos] == '\t' || fText[fPos] == '\n' || fText[fPos] == '\r'))
            ++fPos;
    }

    TJson Parse(int depth) {
        if (depth > kMaxDepth) Fail(fPos, "nesting deeper than " + std::to_string(kMaxDepth) + " levels");
        if (fPos >= fText.size()) Fail(fPos, "a value was expected but the text ends");
        TJson v;
        v.Pos = fPos;
        char c = fText[fPos];
        if (c == '{') {
            v.K = TJson::Object;
            ++fPos;
            SkipSpace();
            if (Peek('}')) return ++fPos, v;
            for (;;) {
                SkipSpace();
                if (!Peek('"')) Fail(fPos, "a member name in double quotes was expected");
                std::string key = ParseString();
                SkipSpace();
                if (!Peek(':')) Fail(fPos, "\":\" was expected after the member name");
                ++fPos;
                SkipSpace();
                v.Members.emplace_back(std::move(key), Parse(depth + 1));
                SkipSpace();
                if (Peek(',')) {
                    ++fPos;
                    continue;
                }
                if (Peek('}')) return ++fPos, v;
                Fail(fPos, "\",\" or \"}\" was expected");
            }
        }
        if (c == '[') {
            v.K = TJson::List;
            ++fPos;
            SkipSpace();
            if (Peek(']')) return ++fPos, v;
            for (;;) {
                SkipSpace();
                v.Items.push_back(Parse(depth + 1));
                SkipSpace();
                if (Peek(',')) {
                    ++fPos;
                    continue;
                }
                if (Peek(']')) return ++fPos, v;
                Fail(fPos, "\",\" or \"]\" was expected");
            }
        }
        if (c == '"') {
            v.K = TJson::String;
            v.S = ParseString();
            return v;
        }
        if (Word("true")) return v.K = TJson::Bool, v.B = true, v;
        if (Word("false")) return v.K = TJson::Bool, v.B = false, v;
        if (Word("null")) return v.K = TJson::Null, v;
        if (c == '-' || (c >= '0' && c <= '9')) return ParseNumber();
        Fail(fPos, std::string("unexpected character '") + c + "'");
    }

    bool Peek(char c) const { return fPos < fText.size() && fText[fPos] == c; }

    bool Word(const char* w) {
        size_t n = std::char_traits<char>::length(w);
        if (fText.compare(fPos, n, w) != 0) return false;
        fPos += n;
        return true;
    }

    TJson ParseNumber() {
        TJson v;
        v.Pos = fPos;
        size_t start = fPos;
        auto isDigit = [&] { return fPos < fText.size() && fText[fPos] >= '0' && fText[fPos] <= '9'; };
        if (Peek('-')) ++fPos;
        if (!isDigit()) Fail(fPos, "a digit was expected in the number");
        if (Peek('0')) {
            ++fPos;
            if (isDigit()) Fail(fPos, "a number cannot have a leading zero");
        } else {
            while (isDigit()) ++fPos;
        }
        bool integral = true;
        if (Peek('.')) {
            integral = false;
            ++fPos;
            if (!isDigit()) Fail(fPos, "a digit was expected after the decimal point");
            while (isDigit()) ++fPos;
        }
        if (Peek('e') || Peek('E')) {
            integral = false;
            ++fPos;
            if (Peek('+') || Peek('-')) ++fPos;
            if (!isDigit()) Fail(fPos, "a digit was expected in the exponent");
            while (isDigit()) ++fPos;
        }
        const char* first = fText.data() + start;
        const char* last = fText.data() + fPos;
        if (integral) {
            long long i = 0;
            auto [p, ec] = std::from_chars(first, last, i);
            if (ec == std::errc() && p == last) {
                v.K = TJson::Int;
                v.I = i;
                return v;
            }
        }
        double d = 0;
        auto [p, ec] = std::from_chars(first, last, d);
        if (ec == std::errc::result_out_of_range) {
            // Overflow reads as an infinity, underflow as zero, keeping the sign.
            bool negative = *first == '-';
            bool tiny = false;
            for (const char* q = first; q < last; ++q)
                if (*q == 'e' || *q == 'E') tiny = q[1] == '-';
            d = tiny ? (negative ? -0.0 : 0.0)
                     : (negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity());
        } else if (ec != std::errc() || p != last) {
            Fail(start, "the number cannot be read");
        }
        v.K = TJson::Real;
        v.D = d;
        return v;
    }

    unsigned Hex4() {
        if (fPos + 4 > fText.size()) Fail(fPos, "four hexadecimal digits were expected after \\u");
        unsigned u = 0;
        for (int i = 0; i < 4; ++i) {
            char c = fText[fPos++];
            u <<= 4;
            if (c >= '0' && c <= '9') u |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f') u |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') u |= static_cast<unsigned>(c - 'A' + 10);
            else Fail(fPos - 1, "four hexadecimal digits were expected after \\u");
        }
        return u;
    }

    static void AppendUtf8(std::string& out, unsigned cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    std::string ParseString() {
        size_t start = fPos;
        ++fPos;  // opening quote
        std::string out;
        for (;;) {
            if (fPos >= fText.size()) Fail(start, "the text has no closing double quote");
            unsigned char c = static_cast<unsigned char>(fText[fPos]);
            if (c == '"') {
                ++fPos;
                return out;
            }
            if (c < 0x20) Fail(fPos, "a control character must be escaped inside a text");
            if (c != '\\') {
                out += static_cast<char>(c);
                ++fPos;
                continue;
            }
            size_t escape = fPos++;
            if (fPos >= fText.size()) Fail(escape, "the text ends inside an escape");
            char e = fText[fPos++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    unsigned cp = Hex4();
                    if (cp >= 0xDC00 && cp <= 0xDFFF) Fail(escape, "a low surrogate without a high surrogate before it");
                    if (cp >= 0xD800 && cp <= 0xDBFF) {
                        if (fText.compare(fPos, 2, "\\u") != 0)
                            Fail(escape, "a high surrogate must be followed by a \\u low surrogate");
                        fPos += 2;
                        unsigned low = Hex4();
                        if (low < 0xDC00 || low > 0xDFFF)
                            Fail(fPos - 6, "a high surrogate must be followed by a low surrogate");
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    }
                    AppendUtf8(out, cp);
                    break;
                }
                default: Fail(escape, std::string("unknown escape \\") + e);
            }
        }
    }

    const std::string& fText;
    size_t fPos = 0;
};

// ---- JSON value -> Variant -----------------------------------------------------------------

class TBuilder {
public:
    explicit TBuilder(const TReader& reader) : fReader(reader) {}

    Variant Build(const TJson& j) {
        switch (j.K) {
            case TJson::Null: return Variant::Null();
            case TJson::Bool: return Variant(j.B);
            case TJson::Int:
                if (j.I >= std::numeric_limits<int32_t>::min() && j.I <= std::numeric_limits<int32_t>::max())
                    return Variant(static_cast<int32_t>(j.I));
                return Variant(static_cast<double>(j.I));
            case TJson::Real: return Variant(j.D);
            case TJson::String: return Variant(j.S);
            case TJson::List: {
                std::vector<Variant> items;
                items.reserve(j.Items.size());
                for (const TJson& item : j.Items) items.push_back(Build(item));
                return VarArrayOf(items);
            }
            case TJson::Object: return BuildObject(j);
        }
        return Variant();
    }

private:
    [[noreturn]] void Fail(const TJson& at, const std::string& what) const { fReader.Fail(at.Pos, what); }

    const TJson* Member(const TJson& j, const char* name) const {
        for (const auto& [k, v] : j.Members)
            if (k == name) return &v;
        return nullptr;
    }

    void ExpectOnly(const TJson& j, std::initializer_list<const char*> names) const {
        for (const auto& [k, v] : j.Members) {
            bool known = false;
            for (const char* n : names) known = known || k == n;
            if (!known) Fail(v, "unexpected member \"" + k + "\" in a " + *names.begin() + " object");
        }
        for (size_t i = 0; i < j.Members.size(); ++i)
            for (size_t k = i + 1; k < j.Members.size(); ++k)
                if (j.Members[i].first == j.Members[k].first)
                    Fail(j.Members[k].second, "member \"" + j.Members[k].first + "\" appears twice");
    }

    int SmallInt(const TJson& v, long long low, long long high, const char* what) const {
        if (v.K != TJson::Int || v.I < low || v.I > high)
            Fail(v, std::string(what) + " must be an integer in " + std::to_string(low) + ".." + std::to_string(high));
        return static_cast<int>(v.I);
    }

    Variant BuildObject(const TJson& j) {
        if (j.Members.empty()) Fail(j, "an empty object is not a Variant (write {\"$empty\": true} for unassigned)");
        const std::string* tagp = nullptr;
        for (const auto& m : j.Members)
            if (!tagp && !m.first.empty() && m.first[0] == '$') tagp = &m.first;
        if (!tagp) Fail(j, "an object must name its Variant kind with a \"$\" member such as \"$array\"");
        const std::string& tag = *tagp;
        if (tag == "$empty") {
            ExpectOnly(j, {"$empty"});
            const TJson& v = *Member(j, "$empty");
            if (v.K != TJson::Bool || !v.B) Fail(v, "\"$empty\" must be true");
            return Variant();
        }
        if (tag == "$double") {
            ExpectOnly(j, {"$double"});
            const TJson& v = *Member(j, "$double");
            if (v.K == TJson::Int) return Variant(static_cast<double>(v.I));
            if (v.K == TJson::Real) return Variant(v.D);
            if (v.K == TJson::String) {
                if (v.S == "NaN") return Variant(std::numeric_limits<double>::quiet_NaN());
                if (v.S == "Infinity") return Variant(std::numeric_limits<double>::infinity());
                if (v.S == "-Infinity") return Variant(-std::numeric_limits<double>::infinity());
            }
            Fail(v, "\"$double\" must be a number or \"NaN\", \"Infinity\", \"-Infinity\"");
        }
        if (tag == "$date") {
            ExpectOnly(j, {"$date"});
            const TJson& v = *Member(j, "$date");
            TDateTime d;
            if (v.K != TJson::String || !TryIsoTextToDateTime(v.S, d))
                Fail(v, "\"$date\" must be a text \"yyyy-mm-ddThh:nn:ss.zzz\" with a valid date and time");
            return Variant::Date(d);
        }
        if (tag == "$wide") {
            ExpectOnly(j, {"$wide"});
            const TJson& v = *Member(j, "$wide");
            if (v.K != TJson::String) Fail(v, "\"$wide\" must be a text");
            return Variant::Wide(v.S);
        }
        if (tag == "$byte") {
            ExpectOnly(j, {"$byte"});
            return Variant::Byte(static_cast<uint8_t>(SmallInt(*Member(j, "$byte"), 0, 255, "\"$byte\"")));
        }
        if (tag == "$smallint") {
            ExpectOnly(j, {"$smallint"});
            return Variant::Smallint(
                static_cast<int16_t>(SmallInt(*Member(j, "$smallint"), -32768, 32767, "\"$smallint\"")));
        }
        if (tag == "$object") Fail(j, "an automation object cannot be read from JSON (\"$object\" is output only)");
        if (tag == "$array") return BuildArray(j);
        Fail(j, "unknown Variant object \"" + tag + "\" (expected $empty, $double, $date, $wide, $byte, "
                "$smallint or $array)");
    }

    Variant BuildArray(const TJson& j) {
        ExpectOnly(j, {"$array", "low"});
        const TJson& list = *Member(j, "$array");
        const TJson* low = Member(j, "low");
        if (!low) Fail(j, "\"$array\" needs \"low\": a number for one dimension, a list for more");
        if (list.K != TJson::List) Fail(list, "\"$array\" must be a list");
        std::vector<int> lows;
        if (low->K == TJson::Int) {
            lows.push_back(SmallInt(*low, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
                                    "\"low\""));
        } else if (low->K == TJson::List && !low->Items.empty()) {
            for (const TJson& l : low->Items)
                lows.push_back(SmallInt(l, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
                                        "each low bound"));
        } else {
            Fail(*low, "\"low\" must be an integer or a non-empty list of integers");
        }
        size_t dims = lows.size();
        // Element counts from the nesting: every list at one depth must have the same length.
        std::vector<int> counts(dims, 0);
        std::vector<bool> seen(dims, false);
        auto measure = [&](auto& self, const TJson& node, size_t dim) -> void {
            if (node.K != TJson::List)
                Fail(node, "a list was expected for dimension " + std::to_string(dim + 1) + " of the array");
            int n = static_cast<int>(node.Items.size());
            if (!seen[dim]) {
                seen[dim] = true;
                counts[dim] = n;
            } else if (counts[dim] != n) {
                Fail(node, "the lists of dimension " + std::to_string(dim + 1) + " differ in length (" +
                               std::to_string(counts[dim]) + " and " + std::to_string(n) + ")");
            }
            if (dim + 1 < dims)
                for (const TJson& child : node.Items) self(self, child, dim + 1);
        };
        measure(measure, list, 0);
        std::vector<TVarArrayBound> bounds;
        for (size_t d = 0; d < dims; ++d) {
            if (static_cast<long long>(lows[d]) + counts[d] - 1 > std::numeric_limits<int32_t>::max())
                Fail(*low, "the array's bounds exceed the 32-bit range");
            bounds.push_back({lows[d], counts[d]});
        }
        Variant result = VarArrayCreate(bounds, varVariant);
        std::vector<int> index(dims);
        auto fill = [&](auto& self, const TJson& node, size_t dim) -> void {
            for (size_t i = 0; i < node.Items.size(); ++i) {
                index[dim] = lows[dim] + static_cast<int>(i);
                if (dim + 1 == dims) {
                    result.At(index) = Build(node.Items[i]);
                } else {
                    self(self, node.Items[i], dim + 1);
                }
            }
        };
        fill(fill, list, 0);
        return result;
    }

    const TReader& fReader;
};

}  // namespace

std::string VariantToJson(const Variant& value) {
    std::string out;
    Write(out, value);
    return out;
}

Variant VariantFromJson(const std::string& json) {
    TReader reader(json);
    TJson doc = reader.ParseDocument();
    return TBuilder(reader).Build(doc);
}

}  // namespace plat
