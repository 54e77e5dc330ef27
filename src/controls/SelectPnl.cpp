#include "controls/SelectPnl.h"

#include <cctype>

#include "platform/system/CodePage.h"
#include "platform/system/SysInfo.h"

using namespace plat;

namespace plat {
PLAT_DEFINE_ENUM(qm::TSelectStyle, "sp_Range", "sp_Discrete", "sp_UserChoice")
PLAT_DEFINE_ENUM(qm::TValueType, "vt_String", "vt_Number", "vt_Date", "vt_Time", "vt_Float", "vt_OtherMask")
PLAT_DEFINE_ENUM(qm::TDateType, "dt_NoneCare", "dt_YYYYMMDD", "dt_MMDDYYYY", "dt_DDMMYYYY", "dt_YYMMDD", "dt_YYYMMDD")
PLAT_DEFINE_ENUM(qm::TCheckDuplicate, "cd_None", "cd_CheckCase", "cd_CaseInsensitive")
}  // namespace plat

namespace qm {

PLAT_REGISTER_CLASS(TKivCheckBox, TBitCheckBox) {}

namespace {

int CountOf(const std::string& text, const std::string& sign) {
    if (sign.empty()) return 0;
    int n = 0;
    for (size_t p = text.find(sign); p != std::string::npos; p = text.find(sign, p + sign.size())) ++n;
    return n;
}

std::vector<std::string> SplitAt(const std::string& text, const std::string& sign) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t p = text.find(sign); p != std::string::npos; p = text.find(sign, start)) {
        parts.push_back(text.substr(start, p - start));
        start = p + sign.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

bool IsDiscard(const std::string& text, const TRangeOrder& o) { return o.UseDiscard && Trim(text) == o.Discard; }

}  // namespace

TDateTime ReadPanelDate(const std::string& raw, const std::string& sign, TDateType type, const std::string& blankText) {
    std::string text = Trim(raw);
    if (text.empty() || text == Trim(blankText)) return 0;
    switch (CountOf(text, sign)) {
        case 1:
            switch (type) {
                case dt_MMDDYYYY: text = text.substr(0, 2) + sign + "01" + text.substr(std::min<size_t>(2, text.size())); break;
                case dt_DDMMYYYY: text = "01" + sign + text; break;
                default: text = text + sign + "01"; break;
            }
            break;
        case 2: break;
        default: return 0;
    }
    std::vector<std::string> parts = SplitAt(text, sign);
    if (parts.size() != 3) return 0;
    int32_t v[3];
    for (int i = 0; i < 3; ++i)
        if (!TryStrToInt(Trim(parts[i]), v[i])) return 0;
    int year = 0, month = 0, day = 0;
    switch (type) {
        case dt_MMDDYYYY: year = v[2], month = v[0], day = v[1]; break;
        case dt_DDMMYYYY: year = v[2], month = v[1], day = v[0]; break;
        case dt_YYMMDD:
        case dt_YYYMMDD: year = v[0] + 1911, month = v[1], day = v[2]; break;
        default: year = v[0], month = v[1], day = v[2]; break;
    }
    TDateTime d = 0;
    if (!TryEncodeDate(year, month, day, d)) return 0;
    return d;
}

std::string NormalizeFloatText(const std::string& text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != ',' && static_cast<unsigned char>(c) > ' ') s += c;
    std::string sign;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        if (s[0] == '-') sign = "-";
        s.erase(0, 1);
    }
    size_t point = s.find('.');
    std::string whole = s.substr(0, point);
    std::string fraction = point == std::string::npos ? "" : s.substr(point + 1);
    auto digits = [](const std::string& t) {
        for (char c : t)
            if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        return true;
    };
    if (!digits(whole) || !digits(fraction) || (whole.empty() && fraction.empty())) return "0.0";
    // Leading zeros of the fraction are kept: they are part of its value (1.05 is not 1.5).
    return sign + (whole.empty() ? "0" : whole) + "." + (fraction.empty() ? "0" : fraction);
}

std::string TrimForRange(const std::string& text, const std::string& mask) {
    if (!mask.empty() && mask[0] == '!') return text;
    return Trim(text);
}

bool RangeInWrongOrder(const std::string& begin, const std::string& end, const TRangeOrder& o) {
    switch (o.ValueType) {
        case vt_Number:
            return StrToIntDef(Trim(begin), 0) > StrToIntDef(Trim(end), 0);
        case vt_String:
        case vt_Time:
            if (begin == o.BlankText || end == o.BlankText) return false;
            if (IsDiscard(begin, o) || IsDiscard(end, o)) return false;
            return begin.compare(end) > 0;
        case vt_Date:
            if (!o.AutoChangeDateSite) return false;
            if (begin == o.BlankText || end == o.BlankText) return false;
            if (IsDiscard(begin, o) || IsDiscard(end, o)) return false;
            if (o.DateType == dt_NoneCare) return begin.compare(end) > 0;
            return ReadPanelDate(begin, o.DateSign, o.DateType, o.BlankText) >
                   ReadPanelDate(end, o.DateSign, o.DateType, o.BlankText);
        case vt_Float: {
            double a = 0, b = 0;
            if (!TryStrToFloat(NormalizeFloatText(begin), a)) a = 0;
            if (!TryStrToFloat(NormalizeFloatText(end), b)) b = 0;
            return a > b;
        }
        case vt_OtherMask:
            return false;
    }
    return false;
}

std::string RowColumnText(const TPanelRow& row, int column) {
    if (column <= 0) return row.Caption;
    if (column - 1 < static_cast<int>(row.SubItems.size())) return row.SubItems[column - 1];
    return "";
}

int ComparePanelRows(const TPanelRow& a, const TPanelRow& b, int sortColumn, bool ascending) {
    int r = AnsiCompareText(RowColumnText(a, sortColumn), RowColumnText(b, sortColumn));
    for (int tie : {0, 1}) {
        if (r != 0) break;
        if (tie == sortColumn) continue;
        r = AnsiCompareText(RowColumnText(a, tie), RowColumnText(b, tie));
    }
    if (r < 0) r = -1;
    if (r > 0) r = 1;
    return ascending ? r : -r;
}

std::vector<int> FindDuplicateRows(const std::vector<TPanelRow>& rows, TCheckDuplicate mode) {
    std::vector<int> dropped;
    if (mode == cd_None) return dropped;
    auto key = [mode](const std::string& s) { return mode == cd_CaseInsensitive ? AnsiUpperCase(s) : s; };
    std::vector<std::string> keys;
    keys.reserve(rows.size());
    for (const TPanelRow& r : rows) keys.push_back(key(r.Caption));
    for (int i = static_cast<int>(rows.size()) - 1; i >= 1; --i)
        for (int j = 0; j < i; ++j)
            if (keys[j] == keys[i]) {
                dropped.push_back(i);
                break;
            }
    return dropped;
}

int PanelByteLength(const std::string& text) {
    const int cp = GetSystemCodePage() == "950" ? 950 : 936;
    return CodePageByteLength(text, cp);
}

std::string DataColumnCaption(int index0) { return "Data" + std::to_string(index0 + 1); }

}  // namespace qm
