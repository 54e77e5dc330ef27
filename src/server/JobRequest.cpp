#include "server/JobRequest.h"

#include <cctype>
#include <cmath>
#include <vector>

#include "platform/core/SysUtils.h"

using namespace plat;

namespace rcs {

namespace {

[[noreturn]] void Refuse(const std::string& where, const std::string& what) {
    throw EJobRequestError("job request " + (where.empty() ? std::string() : where + " ") + what);
}

std::string Kind(const Variant& v) { return Variant::TypeName(v.VarType()); }

bool IsInteger(const Variant& v) {
    const TVarType t = v.VarType();
    return t == varInteger || t == varSmallint || t == varByte;
}

bool IsDateTime(const Variant& v) { return v.VarType() == varDate || v.VarType() == varDouble; }

// A one-dimensional array with the given low bound; `count` < 0 accepts any count.
void ExpectArray(const Variant& v, const std::string& where, int low, int count) {
    if (!v.IsArray() || v.DimCount() != 1)
        Refuse(where, "must be a one-dimensional array, got " + Kind(v));
    if (v.LowBound(1) != low)
        Refuse(where, "must start at index " + std::to_string(low) + ", starts at " + std::to_string(v.LowBound(1)));
    if (count >= 0 && v.ElementCount(1) != count)
        Refuse(where, "must have " + std::to_string(count) + " elements, has " + std::to_string(v.ElementCount(1)));
}

std::string ExpectText(const Variant& v, const std::string& where, bool nonEmpty) {
    if (!v.IsText()) Refuse(where, "must be a text, got " + Kind(v));
    std::string text = v.AsString();
    if (nonEmpty && Trim(text).empty()) Refuse(where, "must not be empty");
    return text;
}

int ExpectInteger(const Variant& v, const std::string& where, int low, int high) {
    if (!IsInteger(v)) Refuse(where, "must be an integer, got " + Kind(v));
    const int value = v.AsInteger();
    if (value < low || value > high)
        Refuse(where, "is " + std::to_string(value) + ", must be between " + std::to_string(low) + " and " +
                          std::to_string(high));
    return value;
}

double ExpectDateTime(const Variant& v, const std::string& where) {
    if (!IsDateTime(v)) Refuse(where, "must be a date-time, got " + Kind(v));
    const double value = v.AsDouble();
    // Years 1 to 9999, as the date routines can represent them.
    if (!std::isfinite(value) || value < -693593 || value > 2958466) Refuse(where, "is not a valid date-time");
    return value;
}

bool IsDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

void ExpectDate8(const Variant& v, const std::string& where) {
    const std::string text = ExpectText(v, where, true);
    TDateTime d;
    if (text.size() != 8 || !IsDigits(text) ||
        !TryEncodeDate(std::stoi(text.substr(0, 4)), std::stoi(text.substr(4, 2)), std::stoi(text.substr(6, 2)), d))
        Refuse(where, "must be a date \"YYYYMMDD\", got \"" + text + "\"");
}

// A positive whole number written as text or given as a number (the cycle's "every N").
void ExpectCount(const Variant& v, const std::string& where) {
    if (IsInteger(v)) {
        if (v.AsInteger() < 1) Refuse(where, "must be at least 1");
        return;
    }
    const std::string text = Trim(ExpectText(v, where, true));
    if (!IsDigits(text) || text.size() > 9 || std::stoi(text) < 1)
        Refuse(where, "must be a whole number of at least 1, got \"" + text + "\"");
}

std::vector<std::string> SplitFields(const std::string& text, char sep) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        const size_t pos = text.find(sep, start);
        out.push_back(text.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
        if (pos == std::string::npos) return out;
        start = pos + 1;
    }
}

void CheckOptionValue(const Variant& v, const std::string& where) {
    if (VarIsEmptyOrNull(v)) Refuse(where, "is empty");
    if (!v.IsArray() || v.DimCount() != 1 || v.ElementCount(1) == 0) return;
    const Variant& head = v[v.LowBound(1)];
    if (!head.IsText()) return;
    const std::string tag = head.AsString();
    if (tag == "\x04" && v.ElementCount(1) != 3)
        Refuse(where, "is a range and must hold [#4, begin, end], has " + std::to_string(v.ElementCount(1)) +
                          " elements");
}

void CheckPeriod(const Variant& period) {
    const std::string where = "element 3 (period)";
    ExpectArray(period, where, 0, 4);
    if (ExpectText(period[0], where + " element 0", true) != "Y") Refuse(where + " element 0", "must be \"Y\"");
    const std::string time = ExpectText(period[1], where + " element 1 (run time)", true);
    if (time.size() != 5 || time[2] != ':' || !IsDigits(time.substr(0, 2)) || !IsDigits(time.substr(3, 2)) ||
        std::stoi(time.substr(0, 2)) > 23 || std::stoi(time.substr(3, 2)) > 59)
        Refuse(where + " element 1 (run time)", "must be \"hh:mm\", got \"" + time + "\"");

    const std::string cw = where + " element 2 (cycle)";
    const Variant& cycle = period[2];
    ExpectArray(cycle, cw, 0, 2);
    const int style = ExpectInteger(cycle[0], cw + " element 0 (style)", 0, 3);
    const Variant& settings = cycle[1];
    const std::string sw = cw + " element 1";
    switch (style) {
        case 0:
            ExpectCount(settings, sw + " (every N days)");
            break;
        case 1:
            ExpectArray(settings, sw, 0, 2);
            ExpectCount(settings[0], sw + " element 0 (every N weeks)");
            ExpectInteger(settings[1], sw + " element 1 (weekday)", 0, 6);
            break;
        case 2: {
            if (!settings.IsArray() || settings.DimCount() != 1) Refuse(sw, "must be an array, got " + Kind(settings));
            const int mode = settings.ElementCount(1) > 0 ? ExpectInteger(settings[settings.LowBound(1)], sw + " element 0 (mode)", 0, 1) : -1;
            ExpectArray(settings, sw, 0, mode == 0 ? 3 : 4);
            ExpectCount(settings[1], sw + " element 1 (every N months)");
            if (mode == 0) {
                const std::string dayText = IsInteger(settings[2]) ? std::to_string(settings[2].AsInteger())
                                                                   : Trim(ExpectText(settings[2], sw + " element 2 (day)", true));
                if (!IsDigits(dayText) || dayText.size() > 2 || std::stoi(dayText) < 1 || std::stoi(dayText) > 31)
                    Refuse(sw + " element 2 (day)", "must be a day 1 to 31, got \"" + dayText + "\"");
            } else {
                ExpectInteger(settings[2], sw + " element 2 (which week)", 0, 4);
                ExpectInteger(settings[3], sw + " element 3 (weekday)", 0, 6);
            }
            break;
        }
        case 3: {
            double hours = 0;
            if (settings.IsNumeric()) hours = settings.AsDouble();
            else if (!settings.IsText() || !TryStrToFloat(settings.AsString(), hours))
                Refuse(sw + " (every N hours)", "must be a number, got " + Kind(settings));
            if (!(hours > 0) || !std::isfinite(hours)) Refuse(sw + " (every N hours)", "must be more than 0");
            break;
        }
    }

    const std::string rw = where + " element 3 (range)";
    const Variant& range = period[3];
    if (!range.IsArray() || range.DimCount() != 1 || range.LowBound(1) != 0 || range.ElementCount(1) < 2)
        Refuse(rw, "must be an array [start, kind, ...] from index 0");
    ExpectDate8(range[0], rw + " element 0 (start)");
    const int kind = ExpectInteger(range[1], rw + " element 1 (kind)", 0, 2);
    ExpectArray(range, rw, 0, kind == 0 ? 2 : 3);
    if (kind == 1) ExpectCount(range[2], rw + " element 2 (repetitions)");
    if (kind == 2) ExpectDate8(range[2], rw + " element 2 (end)");
}

void CheckDynamicFields(const Variant& fields, int optionCount) {
    const std::string where = "element 4 (dynamic fields)";
    if (!fields.IsArray() || fields.DimCount() != 1 || fields.LowBound(1) != 0 || fields.ElementCount(1) < 1)
        Refuse(where, "must be an array [K, descriptor, ...] from index 0");
    const int k = ExpectInteger(fields[0], where + " element 0 (count)", 0, 100000);
    ExpectArray(fields, where, 0, k + 1);
    for (int i = 1; i <= k; ++i) {
        const std::string dw = where + " element " + std::to_string(i);
        const std::vector<std::string> f = SplitFields(ExpectText(fields[i], dw, true), '\x03');
        size_t indexField;
        if (f[0] == "0") indexField = 13;
        else if (f[0] == "1") indexField = 8;
        else Refuse(dw, "must start with the kind \"0\" (range) or \"1\" (single date), got \"" + f[0] + "\"");
        if (f.size() <= indexField)
            Refuse(dw, "has " + std::to_string(f.size()) + " fields, a descriptor of its kind needs " +
                           std::to_string(indexField + 1) + " with the option index");
        const std::string& index = f[indexField];
        if (!IsDigits(index) || index.size() > 9 || std::stoi(index) < 1 || std::stoi(index) > optionCount)
            Refuse(dw, "names option index \"" + index + "\", which is not an option of this request");
    }
}

}  // namespace

TJobFacts ValidateJobRequest(const Variant& request) {
    if (!request.IsArray() || request.DimCount() != 1 || request.LowBound(1) != 0 ||
        (request.ElementCount(1) != 3 && request.ElementCount(1) != 5))
        Refuse("", "must be an array of 3 elements (5 for a periodic job) from index 0, got " +
                       (request.IsArray() ? std::to_string(request.ElementCount(1)) + " elements" : Kind(request)));
    TJobFacts facts;
    facts.Periodic = request.ElementCount(1) == 5;

    const Variant& env = request[0];
    const std::string ew = "element 0 (environment)";
    if (!env.IsArray() || env.DimCount() != 1 || env.LowBound(1) != 1)
        Refuse(ew, "must be a one-dimensional array from index 1");
    const int envCount = env.ElementCount(1);
    if (envCount < 12) Refuse(ew, "has " + std::to_string(envCount) + " elements, needs at least 12");
    auto e = [&](int i, const char* name) { return ew + " element " + std::to_string(i) + " (" + name + ")"; };
    facts.ProgramID = ExpectText(env[1], e(1, "program"), true);
    if (ExpectInteger(env[2], e(2, "element count"), 0, 1000000) != envCount)
        Refuse(e(2, "element count"), "says " + std::to_string(env[2].AsInteger()) + ", the array has " +
                                          std::to_string(envCount));
    const int optionCount = ExpectInteger(env[3], e(3, "option count"), 0, 100000);
    facts.CompanyID = ExpectText(env[4], e(4, "company"), false);
    facts.UserID = ExpectText(env[5], e(5, "user"), true);
    facts.DbName = ExpectText(env[6], e(6, "database"), false);
    ExpectDateTime(env[7], e(7, "built at"));
    facts.ServerClass = ExpectText(env[8], e(8, "server class"), true);
    facts.JobKind = ExpectText(env[9], e(9, "job kind"), true);
    facts.GenerationCode = ExpectInteger(env[10], e(10, "generation code"), 0, 2);
    facts.RunTime = ExpectDateTime(env[11], e(11, "run time"));
    ExpectText(env[12], e(12, "recipients"), false);

    const bool lowerKind = LowerCase(facts.JobKind) == facts.JobKind && UpperCase(facts.JobKind) != facts.JobKind;
    if (facts.Periodic) {
        if (!lowerKind) Refuse(e(9, "job kind"), "of a periodic job must be in lower case, got \"" + facts.JobKind + "\"");
        if (facts.GenerationCode != 2)
            Refuse(e(10, "generation code"), "of a periodic job must be 2, got " + std::to_string(facts.GenerationCode));
    } else if (lowerKind) {
        Refuse(e(9, "job kind"), "is in lower case, which marks a periodic job, but the request has no period");
    }

    ExpectArray(request[1], "element 1 (options)", 1, optionCount);
    for (int i = 1; i <= optionCount; ++i) {
        const std::string ow = "element 1 (options) element " + std::to_string(i);
        const Variant& option = request[1][i];
        if (!option.IsArray() || option.DimCount() != 1 || option.ElementCount(1) != 2)
            Refuse(ow, "must be [caption, control name]");
        ExpectText(option[option.LowBound(1)], ow + " (caption)", false);
        ExpectText(option[option.LowBound(1) + 1], ow + " (control name)", false);
    }
    if (facts.Periodic && request[2].IsText() && request[2].AsString().empty())
        Refuse("element 2 (option values)",
               "is empty: the client could not compute the moved dates of the first run; check the period settings");
    ExpectArray(request[2], "element 2 (option values)", 1, optionCount);
    for (int i = 1; i <= optionCount; ++i)
        CheckOptionValue(request[2][i], "element 2 (option values) element " + std::to_string(i));

    if (facts.Periodic) {
        CheckPeriod(request[3]);
        CheckDynamicFields(request[4], optionCount);
    }
    return facts;
}

}  // namespace rcs
