#include "platform/forms/TypInfo.h"

#include <charconv>
#include <cmath>

namespace plat {

namespace {
std::string TrimBlanks(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

[[noreturn]] void NoProperty(const TObject* obj, const std::string& name) {
    throw EPropertyError("Property " + name + " does not exist" + (obj ? " in class " + obj->ClassName() : std::string()));
}

[[noreturn]] void WrongKind(const TPropInfo* p, const char* wanted) {
    throw EPropertyError("Property " + p->Name + " of type " + (p->PropType ? p->PropType->Name : std::string("?")) +
                         " is not " + wanted);
}

[[noreturn]] void ReadOnly(const TPropInfo* p) { throw EPropertyError("Property " + p->Name + " is read-only"); }

const TPropInfo* Need(const TObject* obj, const std::string& name) {
    if (!obj) throw EPropertyError("Property " + name + " of a nil object");
    if (auto* p = obj->ClassType()->FindProperty(name)) return p;
    NoProperty(obj, name);
}

bool ParseInt(const std::string& text, int64_t& v) {
    std::string t = TrimBlanks(text);
    if (t.empty()) return false;
    bool neg = false;
    size_t i = 0;
    if (t[0] == '-' || t[0] == '+') {
        neg = t[0] == '-';
        i = 1;
    }
    int base = 10;
    if (i < t.size() && t[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= t.size()) return false;
    uint64_t u = 0;
    auto r = std::from_chars(t.data() + i, t.data() + t.size(), u, base);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size()) return false;
    v = neg ? -static_cast<int64_t>(u) : static_cast<int64_t>(u);
    return true;
}

bool ParseFloat(const std::string& text, double& v) {
    std::string t = TrimBlanks(text);
    if (t.empty()) return false;
    const char* b = t.data();
    if (*b == '+') ++b;
    auto r = std::from_chars(b, t.data() + t.size(), v);
    return r.ec == std::errc() && r.ptr == t.data() + t.size();
}

int64_t TextToOrdinal(const TPropInfo* p, const std::string& text) {
    const TTypeInfo* t = p->PropType;
    int64_t v = 0;
    switch (t->Kind) {
        case tkEnumeration: {
            std::string name = TrimBlanks(text);
            int e = t->EnumValue(name);
            if (e >= 0) return e;
            if (ParseInt(name, v) && v >= 0 && v < static_cast<int64_t>(t->EnumNames.size())) return v;
            throw EConvertError("Invalid value \"" + text + "\" for property " + p->Name + " of type " + t->Name);
        }
        case tkSet:
            if (ParseInt(text, v)) return v;
            return StringToSet(t, text);
        case tkChar:
        case tkWChar:
            if (text.size() == 1) return static_cast<unsigned char>(text[0]);
            if (text.empty()) return 0;
            if (ParseInt(text, v)) return v;
            throw EConvertError("Invalid character \"" + text + "\" for property " + p->Name);
        default:
            if (t->IdentToInt(TrimBlanks(text), v)) return v;
            if (ParseInt(text, v)) return v;
            throw EConvertError("'" + text + "' is not a valid integer value for property " + p->Name);
    }
}

void CheckRange(const TPropInfo* p, int64_t v) {
    const TTypeInfo* t = p->PropType;
    if ((t->Kind == tkEnumeration || t->Kind == tkInteger) && (v < t->MinValue || v > t->MaxValue))
        throw EConvertError("Value " + std::to_string(v) + " out of range for property " + p->Name + " of type " + t->Name);
}
}  // namespace

std::string FloatToText(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    std::string s(buf, r.ptr);
    // Exponents as the original writes them: 1E+20 rather than 1e+20.
    for (auto& c : s)
        if (c == 'e') c = 'E';
    return s;
}

int GetEnumValue(const TTypeInfo* enumType, const std::string& name) { return enumType ? enumType->EnumValue(name) : -1; }

std::string GetEnumName(const TTypeInfo* enumType, int64_t value) { return enumType ? enumType->EnumName(value) : std::string(); }

std::string SetToString(const TTypeInfo* setType, int64_t bits, bool brackets) {
    std::string r;
    const TTypeInfo* e = setType ? setType->CompType : nullptr;
    for (int i = 0; i < 32; ++i)
        if (bits & (int64_t(1) << i)) {
            if (!r.empty()) r += ",";
            r += e ? e->EnumName(i) : std::to_string(i);
        }
    return brackets ? "[" + r + "]" : r;
}

int64_t StringToSet(const TTypeInfo* setType, const std::string& text) {
    std::string t = TrimBlanks(text);
    if (!t.empty() && t.front() == '[') t.erase(0, 1);
    if (!t.empty() && t.back() == ']') t.pop_back();
    int64_t bits = 0;
    size_t pos = 0;
    while (pos <= t.size()) {
        size_t comma = t.find(',', pos);
        std::string item = TrimBlanks(t.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos));
        if (!item.empty()) {
            int v = setType && setType->CompType ? setType->CompType->EnumValue(item) : -1;
            if (v < 0) throw EPropertyError("Invalid property element: " + item);
            bits |= int64_t(1) << v;
        }
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    return bits;
}

const TPropInfo* GetPropInfo(const TObject* obj, const std::string& name) {
    return obj ? obj->ClassType()->FindProperty(name) : nullptr;
}
const TPropInfo* GetPropInfo(const TClassInfo& cls, const std::string& name) { return cls.FindProperty(name); }
bool IsPublishedProp(const TObject* obj, const std::string& name) { return GetPropInfo(obj, name) != nullptr; }
bool PropIsType(const TObject* obj, const std::string& name, TTypeKind kind) { return Need(obj, name)->Kind() == kind; }
TTypeKind PropType(const TObject* obj, const std::string& name) { return Need(obj, name)->Kind(); }
std::vector<const TPropInfo*> GetPropList(const TObject* obj) { return obj->ClassType()->PropList(); }
std::vector<const TPropInfo*> GetPropList(const TClassInfo& cls) { return cls.PropList(); }

int64_t GetOrdProp(const TObject* obj, const TPropInfo* p) {
    if (!p->GetOrd) WrongKind(p, "ordinal");
    return p->GetOrd(obj);
}
void SetOrdProp(TObject* obj, const TPropInfo* p, int64_t value) {
    if (!p->GetOrd) WrongKind(p, "ordinal");
    if (!p->SetOrd) ReadOnly(p);
    CheckRange(p, value);
    p->SetOrd(obj, value);
}
double GetFloatProp(const TObject* obj, const TPropInfo* p) {
    if (!p->GetFloat) WrongKind(p, "a float");
    return p->GetFloat(obj);
}
void SetFloatProp(TObject* obj, const TPropInfo* p, double value) {
    if (!p->GetFloat) WrongKind(p, "a float");
    if (!p->SetFloat) ReadOnly(p);
    p->SetFloat(obj, value);
}
std::string GetStrProp(const TObject* obj, const TPropInfo* p) {
    if (!p->GetStr) WrongKind(p, "a string");
    return p->GetStr(obj);
}
void SetStrProp(TObject* obj, const TPropInfo* p, const std::string& value) {
    if (!p->GetStr) WrongKind(p, "a string");
    if (!p->SetStr) ReadOnly(p);
    p->SetStr(obj, value);
}
TObject* GetObjectProp(const TObject* obj, const TPropInfo* p) {
    if (!p->GetObj) WrongKind(p, "a class");
    return p->GetObj(obj);
}
void SetObjectProp(TObject* obj, const TPropInfo* p, TObject* value) {
    if (!p->GetObj) WrongKind(p, "a class");
    if (!p->SetObj) ReadOnly(p);
    p->SetObj(obj, value);
}
TMethod GetMethodProp(const TObject* obj, const TPropInfo* p) {
    if (!p->GetMethod) WrongKind(p, "an event");
    return p->GetMethod(obj);
}
void SetMethodProp(TObject* obj, const TPropInfo* p, const TMethod& value) {
    if (!p->GetMethod) WrongKind(p, "an event");
    if (!p->SetMethod) ReadOnly(p);
    p->SetMethod(obj, value);  // the event type checks the handler's parameters
}
std::string GetEnumProp(const TObject* obj, const TPropInfo* p) {
    if (p->Kind() != tkEnumeration) WrongKind(p, "an enumeration");
    return p->PropType->EnumName(GetOrdProp(obj, p));
}
void SetEnumProp(TObject* obj, const TPropInfo* p, const std::string& name) {
    if (p->Kind() != tkEnumeration) WrongKind(p, "an enumeration");
    SetOrdProp(obj, p, TextToOrdinal(p, name));
}
std::string GetSetProp(const TObject* obj, const TPropInfo* p, bool brackets) {
    if (p->Kind() != tkSet) WrongKind(p, "a set");
    return SetToString(p->PropType, GetOrdProp(obj, p), brackets);
}
void SetSetProp(TObject* obj, const TPropInfo* p, const std::string& text) {
    if (p->Kind() != tkSet) WrongKind(p, "a set");
    SetOrdProp(obj, p, StringToSet(p->PropType, text));
}

Variant GetPropValue(const TObject* obj, const TPropInfo* p) {
    switch (p->Kind()) {
        case tkInteger:
        case tkChar:
        case tkWChar:
            return Variant(static_cast<int32_t>(GetOrdProp(obj, p)));
        case tkInt64: {
            int64_t v = GetOrdProp(obj, p);
            if (v >= INT32_MIN && v <= INT32_MAX) return Variant(static_cast<int32_t>(v));
            return Variant(static_cast<double>(v));
        }
        case tkEnumeration:
            if (p->PropType == TypeBoolean()) return Variant(GetOrdProp(obj, p) != 0);
            return Variant(GetEnumProp(obj, p));
        case tkSet:
            return Variant(GetSetProp(obj, p));
        case tkFloat:
            return Variant(GetFloatProp(obj, p));
        case tkString:
        case tkLString:
            return Variant(GetStrProp(obj, p));
        case tkWString:
            return Variant::Wide(GetStrProp(obj, p));
        case tkVariant:
            return p->GetVar ? p->GetVar(obj) : Variant();
        default:
            WrongKind(p, "readable as a Variant");
    }
}

void SetPropValue(TObject* obj, const TPropInfo* p, const Variant& value) {
    switch (p->Kind()) {
        case tkInteger:
        case tkInt64:
        case tkChar:
        case tkWChar:
        case tkEnumeration:
        case tkSet:
            if (value.IsText()) SetOrdProp(obj, p, TextToOrdinal(p, value.AsString()));
            else if (value.VarType() == varBoolean) SetOrdProp(obj, p, value.AsBoolean() ? 1 : 0);
            else if (p->Kind() == tkInt64) SetOrdProp(obj, p, static_cast<int64_t>(value.AsDouble()));
            else SetOrdProp(obj, p, value.AsInteger());
            return;
        case tkFloat:
            if (value.IsText()) SetPropText(obj, p, value.AsString());
            else SetFloatProp(obj, p, value.AsDouble());
            return;
        case tkString:
        case tkLString:
        case tkWString:
            SetStrProp(obj, p, VarToStr(value));
            return;
        case tkVariant:
            if (!p->SetVar) ReadOnly(p);
            p->SetVar(obj, value);
            return;
        default:
            WrongKind(p, "writable from a Variant");
    }
}

std::string GetPropText(const TObject* obj, const TPropInfo* p) {
    switch (p->Kind()) {
        case tkInteger:
        case tkInt64:
            return std::to_string(GetOrdProp(obj, p));
        case tkChar:
        case tkWChar:
            return std::string(1, static_cast<char>(GetOrdProp(obj, p)));
        case tkEnumeration:
            return GetEnumProp(obj, p);
        case tkSet:
            return GetSetProp(obj, p);
        case tkFloat:
            return FloatToText(GetFloatProp(obj, p));
        case tkString:
        case tkLString:
        case tkWString:
            return GetStrProp(obj, p);
        case tkVariant:
            return VarToStr(GetPropValue(obj, p));
        default:
            WrongKind(p, "readable as text");
    }
}

void SetPropText(TObject* obj, const TPropInfo* p, const std::string& text) {
    switch (p->Kind()) {
        case tkFloat: {
            double d = 0;
            if (!ParseFloat(text, d)) throw EConvertError("'" + text + "' is not a valid floating point value for property " + p->Name);
            SetFloatProp(obj, p, d);
            return;
        }
        case tkString:
        case tkLString:
        case tkWString:
            SetStrProp(obj, p, text);
            return;
        case tkVariant:
            SetPropValue(obj, p, Variant(text));
            return;
        case tkClass:
        case tkMethod:
            WrongKind(p, "writable as text");
        default:
            SetOrdProp(obj, p, TextToOrdinal(p, text));
    }
}

int64_t GetOrdProp(const TObject* obj, const std::string& name) { return GetOrdProp(obj, Need(obj, name)); }
void SetOrdProp(TObject* obj, const std::string& name, int64_t v) { SetOrdProp(obj, Need(obj, name), v); }
double GetFloatProp(const TObject* obj, const std::string& name) { return GetFloatProp(obj, Need(obj, name)); }
void SetFloatProp(TObject* obj, const std::string& name, double v) { SetFloatProp(obj, Need(obj, name), v); }
std::string GetStrProp(const TObject* obj, const std::string& name) { return GetStrProp(obj, Need(obj, name)); }
void SetStrProp(TObject* obj, const std::string& name, const std::string& v) { SetStrProp(obj, Need(obj, name), v); }
TObject* GetObjectProp(const TObject* obj, const std::string& name) { return GetObjectProp(obj, Need(obj, name)); }
void SetObjectProp(TObject* obj, const std::string& name, TObject* v) { SetObjectProp(obj, Need(obj, name), v); }
TMethod GetMethodProp(const TObject* obj, const std::string& name) { return GetMethodProp(obj, Need(obj, name)); }
void SetMethodProp(TObject* obj, const std::string& name, const TMethod& v) { SetMethodProp(obj, Need(obj, name), v); }
std::string GetEnumProp(const TObject* obj, const std::string& name) { return GetEnumProp(obj, Need(obj, name)); }
void SetEnumProp(TObject* obj, const std::string& name, const std::string& v) { SetEnumProp(obj, Need(obj, name), v); }
Variant GetPropValue(const TObject* obj, const std::string& name) { return GetPropValue(obj, Need(obj, name)); }
void SetPropValue(TObject* obj, const std::string& name, const Variant& v) { SetPropValue(obj, Need(obj, name), v); }
std::string GetPropText(const TObject* obj, const std::string& name) { return GetPropText(obj, Need(obj, name)); }
void SetPropText(TObject* obj, const std::string& name, const std::string& t) { SetPropText(obj, Need(obj, name), t); }

// ---- Paths ---------------------------------------------------------------------------------

namespace {
struct TSegment {
    std::string Name;
    std::vector<int> Indices;
};

std::vector<TSegment> SplitPath(const std::string& path) {
    std::vector<TSegment> segs;
    size_t pos = 0;
    while (true) {
        size_t dot = path.find('.', pos);
        std::string part = TrimBlanks(path.substr(pos, dot == std::string::npos ? std::string::npos : dot - pos));
        TSegment s;
        size_t br = part.find('[');
        s.Name = TrimBlanks(part.substr(0, br));
        while (br != std::string::npos) {
            size_t close = part.find(']', br);
            if (close == std::string::npos) throw EPropertyError("Invalid property path " + path);
            int64_t idx = 0;
            if (!ParseInt(part.substr(br + 1, close - br - 1), idx)) throw EPropertyError("Invalid index in property path " + path);
            s.Indices.push_back(static_cast<int>(idx));
            br = part.find('[', close);
        }
        if (s.Name.empty() && s.Indices.empty()) throw EPropertyError("Invalid property path " + path);
        segs.push_back(std::move(s));
        if (dot == std::string::npos) break;
        pos = dot + 1;
    }
    return segs;
}

TObject* Index(TObject* obj, int index, const std::string& path) {
    if (auto* coll = dynamic_cast<TCollection*>(obj)) return coll->Items(index);
    if (auto* comp = dynamic_cast<TComponent*>(obj)) return comp->Components(index);
    throw EPropertyError("Property path " + path + ": " + (obj ? obj->ClassName() : std::string("nil")) + " has no items");
}

TObject* Step(TObject* obj, const TSegment& s, const std::string& path) {
    if (!s.Name.empty()) {
        const TPropInfo* p = Need(obj, s.Name);
        if (p->Kind() != tkClass) throw EPropertyError("Property path " + path + ": " + s.Name + " is not an object property");
        obj = GetObjectProp(obj, p);
        if (!obj) throw EPropertyError("Property path " + path + ": " + s.Name + " holds no object");
    }
    for (int i : s.Indices) obj = Index(obj, i, path);
    return obj;
}
}  // namespace

TPropTarget ResolvePropPath(TObject* obj, const std::string& path) {
    auto segs = SplitPath(path);
    for (size_t i = 0; i + 1 < segs.size(); ++i) obj = Step(obj, segs[i], path);
    const TSegment& last = segs.back();
    if (!last.Indices.empty() || last.Name.empty()) throw EPropertyError("Property path " + path + " does not end in a property");
    return {obj, Need(obj, last.Name)};
}

TObject* GetObjectByPath(TObject* obj, const std::string& path) {
    for (auto& s : SplitPath(path)) obj = Step(obj, s, path);
    return obj;
}

Variant GetPropValueByPath(TObject* obj, const std::string& path) {
    auto t = ResolvePropPath(obj, path);
    return GetPropValue(t.Object, t.Prop);
}
void SetPropValueByPath(TObject* obj, const std::string& path, const Variant& value) {
    auto t = ResolvePropPath(obj, path);
    SetPropValue(t.Object, t.Prop, value);
}
std::string GetPropTextByPath(TObject* obj, const std::string& path) {
    auto t = ResolvePropPath(obj, path);
    return GetPropText(t.Object, t.Prop);
}
void SetPropTextByPath(TObject* obj, const std::string& path, const std::string& text) {
    auto t = ResolvePropPath(obj, path);
    SetPropText(t.Object, t.Prop, text);
}
bool HasPropertyPath(TObject* obj, const std::string& path) {
    try {
        ResolvePropPath(obj, path);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace plat
