#include "platform/core/Variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/core/Automation.h"
#include "platform/core/SysUtils.h"
#include "platform/core/VariantJson.h"

namespace plat {

const Variant Unassigned;

namespace {

bool EqualNoCase(const std::string& a, const char* b) {
    size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string TrimSpaces(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

// A number as text is read in the invariant form: optional sign, digits with an optional "."
// fraction, optional exponent; surrounding blanks are ignored. Nothing else (no "inf", no hex).
bool TryTextToDouble(const std::string& text, double& value) {
    std::string t = TrimSpaces(text);
    if (t.empty()) return false;
    size_t i = 0;
    bool negative = false;
    if (t[0] == '+' || t[0] == '-') {
        negative = t[0] == '-';
        i = 1;
    }
    if (i >= t.size() || !(std::isdigit(static_cast<unsigned char>(t[i])) || t[i] == '.')) return false;
    if (t[i] == '.' && (i + 1 >= t.size() || !std::isdigit(static_cast<unsigned char>(t[i + 1])))) return false;
    const char* first = t.data() + i;
    const char* last = t.data() + t.size();
    double v = 0;
    auto [ptr, ec] = std::from_chars(first, last, v, std::chars_format::general);
    if (ptr != last) return false;
    if (ec == std::errc::result_out_of_range) return false;
    if (ec != std::errc()) return false;
    value = negative ? -v : v;
    return true;
}

// Numbers and dates read as text the way the run-time routines write them: the general form
// with 15 digits, the date in ShortDateFormat with the time unless midnight.
std::string DoubleToText(double x) { return FloatToStr(x); }
std::string DateToText(TDateTime d) { return std::isfinite(d) ? DateTimeToStr(d) : FloatToStr(d); }

// Text to number: the invariant form, else the form of the process-wide settings (their
// decimal separator).
bool TryParseNumber(const std::string& text, double& value) {
    return TryTextToDouble(text, value) || TryStrToFloat(text, value);
}

// Rounds half to even and checks the 32-bit range; false when it does not fit.
bool TryRoundToInt32(double x, int32_t& out) {
    if (!std::isfinite(x)) return false;
    double r = std::nearbyint(x);  // default rounding mode: to nearest, ties to even
    if (r < static_cast<double>(std::numeric_limits<int32_t>::min()) ||
        r > static_cast<double>(std::numeric_limits<int32_t>::max()))
        return false;
    out = static_cast<int32_t>(r);
    return true;
}

Variant DefaultElement(TVarType elementType) {
    switch (elementType) {
        case varSmallint: return Variant::Smallint(0);
        case varInteger: return Variant(0);
        case varDouble: return Variant(0.0);
        case varDate: return Variant::Date(0);
        case varOleStr: return Variant::Wide("");
        case varString: return Variant::Narrow("");
        case varBoolean: return Variant(false);
        case varByte: return Variant::Byte(0);
        default: return Variant();
    }
}

bool ValidElementType(TVarType t) {
    switch (t) {
        case varSmallint: case varInteger: case varDouble: case varDate: case varOleStr:
        case varString: case varBoolean: case varByte: case varVariant: case varDispatch:
            return true;
        default:
            return false;
    }
}

[[noreturn]] void NotAnArray(const char* what) {
    throw EVariantError(std::string("Variant is not an array: ") + what + " needs a Variant array");
}

}  // namespace

// ---- construction --------------------------------------------------------------------------

Variant::Variant() noexcept : fDouble(0) {}

Variant::Variant(const Variant& other) : fDouble(0) { CopyFrom(other); }

Variant::Variant(Variant&& other) noexcept
    : fType(other.fType), fText(std::move(other.fText)), fObject(std::move(other.fObject)),
      fArray(std::move(other.fArray)) {
    std::memcpy(&fDouble, &other.fDouble, sizeof fDouble);
    other.fType = varEmpty;
    other.fDouble = 0;
}

Variant& Variant::operator=(const Variant& other) {
    if (this != &other) {
        Variant copy(other);  // copy first: `other` may live inside our own array
        *this = std::move(copy);
    }
    return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        // Take the other's parts before releasing ours: it may be an element of our array.
        TVarType type = other.fType;
        double raw;
        std::memcpy(&raw, &other.fDouble, sizeof raw);
        std::string text = std::move(other.fText);
        TAutoObjectPtr object = std::move(other.fObject);
        std::unique_ptr<TVarArrayData> array = std::move(other.fArray);
        other.fType = varEmpty;
        other.fDouble = 0;
        Clear();
        fType = type;
        std::memcpy(&fDouble, &raw, sizeof raw);
        fText = std::move(text);
        fObject = std::move(object);
        fArray = std::move(array);
    }
    return *this;
}

Variant::~Variant() = default;

Variant::Variant(int32_t value) : fType(varInteger), fDouble(0) { fInt = value; }
Variant::Variant(double value) : fType(varDouble), fDouble(value) {}
Variant::Variant(bool value) : fType(varBoolean), fDouble(0) { fBool = value; }
Variant::Variant(const char* narrowText) : fType(varString), fDouble(0), fText(narrowText ? narrowText : "") {}
Variant::Variant(const std::string& narrowText) : fType(varString), fDouble(0), fText(narrowText) {}
Variant::Variant(std::string&& narrowText) : fType(varString), fDouble(0), fText(std::move(narrowText)) {}
Variant::Variant(TAutoObjectPtr object) : fType(varDispatch), fDouble(0), fObject(std::move(object)) {}

Variant Variant::Null() {
    Variant v;
    v.fType = varNull;
    return v;
}

Variant Variant::Wide(std::string text) {
    Variant v(std::move(text));
    v.fType = varOleStr;
    return v;
}

Variant Variant::Narrow(std::string text) { return Variant(std::move(text)); }

Variant Variant::Date(TDateTime value) {
    Variant v(value);
    v.fType = varDate;
    return v;
}

Variant Variant::Byte(uint8_t value) {
    Variant v(static_cast<int32_t>(value));
    v.fType = varByte;
    return v;
}

Variant Variant::Smallint(int16_t value) {
    Variant v(static_cast<int32_t>(value));
    v.fType = varSmallint;
    return v;
}

void Variant::Clear() noexcept {
    fType = varEmpty;
    fDouble = 0;
    fText.clear();
    fObject.reset();
    fArray.reset();
}

void Variant::CopyFrom(const Variant& other) {
    fType = other.fType;
    std::memcpy(&fDouble, &other.fDouble, sizeof fDouble);
    fText = other.fText;
    fObject = other.fObject;
    fArray = other.fArray ? std::make_unique<TVarArrayData>(*other.fArray) : nullptr;
}

// ---- type queries --------------------------------------------------------------------------

TVarType Variant::VarType() const {
    if (fType == varArray) return static_cast<TVarType>(varArray | fArray->ElementType);
    return fType;
}

bool Variant::IsNumeric() const {
    switch (fType) {
        case varSmallint: case varInteger: case varDouble: case varDate: case varByte:
            return true;
        default:
            return false;
    }
}

std::string Variant::TypeName(TVarType type) {
    if (type & varArray) return "Array of " + TypeName(static_cast<TVarType>(type & varTypeMask));
    switch (type) {
        case varEmpty: return "Empty";
        case varNull: return "Null";
        case varSmallint: return "Smallint";
        case varInteger: return "Integer";
        case varDouble: return "Double";
        case varDate: return "Date";
        case varOleStr: return "OleStr";
        case varDispatch: return "Dispatch";
        case varBoolean: return "Boolean";
        case varVariant: return "Variant";
        case varByte: return "Byte";
        case varString: return "String";
        default: {
            char buf[32];
            std::snprintf(buf, sizeof buf, "Unknown (0x%04X)", static_cast<unsigned>(type));
            return buf;
        }
    }
}

void Variant::CastError(TVarType to) const {
    throw EVariantTypeCastError("Could not convert variant of type (" + TypeName(VarType()) + ") into type (" +
                                TypeName(to) + ")");
}

// ---- conversions ---------------------------------------------------------------------------

std::string Variant::AsString() const {
    switch (fType) {
        case varEmpty: return "";
        case varSmallint: case varInteger: case varByte: return std::to_string(fInt);
        case varDouble: return DoubleToText(fDouble);
        case varDate: return DateToText(fDouble);
        case varBoolean: return fBool ? "True" : "False";
        case varString: case varOleStr: return fText;
        default: CastError(varString);
    }
}

double Variant::AsDouble() const {
    switch (fType) {
        case varEmpty: return 0;
        case varSmallint: case varInteger: case varByte: return fInt;
        case varDouble: case varDate: return fDouble;
        case varBoolean: return fBool ? -1 : 0;
        case varString: case varOleStr: {
            double d;
            if (!TryParseNumber(fText, d))
                throw EVariantTypeCastError("Could not convert variant of type (" + TypeName(fType) +
                                            ") into type (Double): \"" + fText + "\" is not a valid number");
            return d;
        }
        default: CastError(varDouble);
    }
}

int32_t Variant::AsInteger() const {
    switch (fType) {
        case varEmpty: return 0;
        case varSmallint: case varInteger: case varByte: return fInt;
        case varBoolean: return fBool ? -1 : 0;
        case varDouble: case varDate: case varString: case varOleStr: {
            double d = AsDouble();  // raises on bad text
            int32_t i;
            if (!TryRoundToInt32(d, i))
                throw EVariantTypeCastError("Could not convert variant of type (" + TypeName(fType) +
                                            ") into type (Integer): " +
                                            (IsText() ? "\"" + fText + "\"" : DoubleToText(d)) +
                                            " is outside the 32-bit integer range");
            return i;
        }
        default: CastError(varInteger);
    }
}

bool Variant::AsBoolean() const {
    switch (fType) {
        case varEmpty: return false;
        case varSmallint: case varInteger: case varByte: return fInt != 0;
        case varDouble: case varDate: return fDouble != 0;
        case varBoolean: return fBool;
        case varString: case varOleStr: {
            std::string t = TrimSpaces(fText);
            if (EqualNoCase(t, "True")) return true;
            if (EqualNoCase(t, "False")) return false;
            double d;
            if (TryParseNumber(t, d)) return d != 0;
            throw EVariantTypeCastError("Could not convert variant of type (" + TypeName(fType) +
                                        ") into type (Boolean): \"" + fText +
                                        "\" is neither True, False nor a number");
        }
        default: CastError(varBoolean);
    }
}

TDateTime Variant::AsDate() const {
    switch (fType) {
        case varEmpty: return 0;
        case varSmallint: case varInteger: case varByte: return fInt;
        case varDouble: case varDate: return fDouble;
        case varBoolean: return fBool ? -1 : 0;
        case varString: case varOleStr: {
            TDateTime d;
            if (TryIsoTextToDateTime(TrimSpaces(fText), d)) return d;
            if (TryStrToDateTime(TrimSpaces(fText), d)) return d;
            if (TryParseNumber(fText, d)) return d;
            throw EVariantTypeCastError("Could not convert variant of type (" + TypeName(fType) +
                                        ") into type (Date): \"" + fText +
                                        "\" is not a date (write yyyy-mm-dd [hh:nn:ss] or the short date format)");
        }
        default: CastError(varDate);
    }
}

TAutoObjectPtr Variant::AsObject() const {
    if (fType != varDispatch) CastError(varDispatch);
    return fObject;
}

Variant Variant::AsType(TVarType type) const {
    if (type & varArray) {
        if (fType != varArray) CastError(type);
        TVarType element = static_cast<TVarType>(type & varTypeMask);
        if (element == fArray->ElementType || element == varVariant) return *this;
        if (!ValidElementType(element)) CastError(type);
        Variant result(*this);
        result.fArray->ElementType = element;
        for (Variant& item : result.fArray->Items) item = item.AsType(element);
        return result;
    }
    if (fType == varArray && type != varVariant) CastError(type);
    switch (type) {
        case varEmpty: return Variant();
        case varNull: return Null();
        case varVariant: return *this;
        case varSmallint: {
            if (fType == varSmallint) return *this;
            int32_t i = AsInteger();
            if (i < std::numeric_limits<int16_t>::min() || i > std::numeric_limits<int16_t>::max())
                throw EVariantTypeCastError("Could not convert variant of type (" + TypeName(VarType()) +
                                            ") into type (Smallint): " + std::to_string(i) +
                                            " is outside -32768..32767");
            return Smallint(static_cast<int16_t>(i));
        }
        case varByte: {
            if (fType == varByte) return *this;
            int32_t i = AsInteger();
            if (i < 0 || i > 255)
                throw EVariantTypeCastError("Could not convert variant of type (" + TypeName(VarType()) +
                                            ") into type (Byte): " + std::to_string(i) + " is outside 0..255");
            return Byte(static_cast<uint8_t>(i));
        }
        case varInteger: return Variant(AsInteger());
        case varDouble: return Variant(AsDouble());
        case varDate: return Date(AsDate());
        case varBoolean: return Variant(AsBoolean());
        case varString: return Narrow(AsString());
        case varOleStr: return Wide(AsString());
        case varDispatch: return Variant(AsObject());
        default: CastError(type);
    }
}

std::string VarToStr(const Variant& v) { return v.IsNull() ? std::string() : v.AsString(); }

// ---- arrays --------------------------------------------------------------------------------

Variant VarArrayCreate(const std::vector<TVarArrayBound>& bounds, TVarType elementType) {
    if (bounds.empty()) throw EVariantArrayCreateError("Cannot create a Variant array without dimensions");
    if (!ValidElementType(elementType))
        throw EVariantArrayCreateError("Cannot create a Variant array of " + Variant::TypeName(elementType));
    size_t total = 1;
    for (const auto& b : bounds) {
        if (b.ElementCount < 0)
            throw EVariantArrayCreateError("Cannot create a Variant array: a dimension has a negative element count");
        total *= static_cast<size_t>(b.ElementCount);
    }
    Variant v;
    v.fType = varArray;
    v.fArray = std::make_unique<TVarArrayData>();
    v.fArray->Bounds = bounds;
    v.fArray->ElementType = elementType;
    v.fArray->Items.assign(total, DefaultElement(elementType));
    return v;
}

Variant VarArrayCreate(std::initializer_list<int> bounds, TVarType elementType) {
    if (bounds.size() == 0 || bounds.size() % 2 != 0)
        throw EVariantArrayCreateError("Cannot create a Variant array: bounds come in pairs (low, high), " +
                                       std::to_string(bounds.size()) + " value(s) given");
    std::vector<TVarArrayBound> list;
    for (auto it = bounds.begin(); it != bounds.end(); it += 2) {
        int low = it[0], high = it[1];
        if (static_cast<long long>(high) < static_cast<long long>(low) - 1)
            throw EVariantArrayCreateError("Cannot create a Variant array with bounds " + std::to_string(low) +
                                           ".." + std::to_string(high) + ": the high bound is below low - 1");
        list.push_back({low, static_cast<int>(static_cast<long long>(high) - low + 1)});
    }
    return VarArrayCreate(list, elementType);
}

Variant VarArrayOf(const std::vector<Variant>& values) {
    Variant v = VarArrayCreate({TVarArrayBound{0, static_cast<int>(values.size())}}, varVariant);
    for (size_t i = 0; i < values.size(); ++i) v[static_cast<int>(i)] = values[i];
    return v;
}

Variant VarArrayOf(std::initializer_list<Variant> values) { return VarArrayOf(std::vector<Variant>(values)); }

int Variant::DimCount() const { return fType == varArray ? static_cast<int>(fArray->Bounds.size()) : 0; }

int Variant::LowBound(int dim) const {
    if (fType != varArray) NotAnArray("VarArrayLowBound");
    if (dim < 1 || dim > DimCount())
        throw EVariantBadIndexError("Variant array has " + std::to_string(DimCount()) + " dimension(s); dimension " +
                                    std::to_string(dim) + " does not exist");
    return fArray->Bounds[dim - 1].LowBound;
}

int Variant::HighBound(int dim) const {
    int low = LowBound(dim);
    return low + fArray->Bounds[dim - 1].ElementCount - 1;
}

TVarType Variant::ElementType() const {
    if (fType != varArray) NotAnArray("ElementType");
    return fArray->ElementType;
}

void Variant::Redim(int highBound) {
    if (fType != varArray) NotAnArray("VarArrayRedim");
    TVarArrayBound& last = fArray->Bounds.back();
    long long count = static_cast<long long>(highBound) - last.LowBound + 1;
    if (count < 0)
        throw EVariantArrayCreateError("Cannot redimension a Variant array to high bound " +
                                       std::to_string(highBound) + ": it is below the low bound " +
                                       std::to_string(last.LowBound) + " - 1");
    // The last dimension varies slowest, so its elements are whole trailing blocks of storage.
    size_t block = 1;
    for (size_t i = 0; i + 1 < fArray->Bounds.size(); ++i) block *= static_cast<size_t>(fArray->Bounds[i].ElementCount);
    fArray->Items.resize(block * static_cast<size_t>(count), DefaultElement(fArray->ElementType));
    last.ElementCount = static_cast<int>(count);
}

namespace {
[[noreturn]] void BadIndex(int index, int dim, const TVarArrayBound& b) {
    throw EVariantBadIndexError("Variant array index out of bounds: index " + std::to_string(index) +
                                " of dimension " + std::to_string(dim) + " is outside " +
                                std::to_string(b.LowBound) + ".." +
                                std::to_string(static_cast<long long>(b.LowBound) + b.ElementCount - 1));
}

size_t Offset(const TVarArrayData& a, const int* indices, size_t count) {
    if (count != a.Bounds.size())
        throw EVariantBadIndexError("Variant array has " + std::to_string(a.Bounds.size()) +
                                    " dimension(s) but " + std::to_string(count) + " index(es) were given");
    size_t offset = 0, stride = 1;
    for (size_t d = 0; d < count; ++d) {
        const TVarArrayBound& b = a.Bounds[d];
        long long rel = static_cast<long long>(indices[d]) - b.LowBound;
        if (rel < 0 || rel >= b.ElementCount) BadIndex(indices[d], static_cast<int>(d + 1), b);
        offset += static_cast<size_t>(rel) * stride;
        stride *= static_cast<size_t>(b.ElementCount);
    }
    return offset;
}
}  // namespace

Variant& Variant::operator[](int index) {
    if (fType != varArray) NotAnArray("indexing");
    return fArray->Items[Offset(*fArray, &index, 1)];
}

const Variant& Variant::operator[](int index) const {
    if (fType != varArray) NotAnArray("indexing");
    return fArray->Items[Offset(*fArray, &index, 1)];
}

Variant& Variant::At(std::initializer_list<int> indices) {
    if (fType != varArray) NotAnArray("indexing");
    return fArray->Items[Offset(*fArray, indices.begin(), indices.size())];
}

const Variant& Variant::At(std::initializer_list<int> indices) const {
    if (fType != varArray) NotAnArray("indexing");
    return fArray->Items[Offset(*fArray, indices.begin(), indices.size())];
}

Variant& Variant::At(const std::vector<int>& indices) {
    if (fType != varArray) NotAnArray("indexing");
    return fArray->Items[Offset(*fArray, indices.data(), indices.size())];
}

const Variant& Variant::At(const std::vector<int>& indices) const {
    if (fType != varArray) NotAnArray("indexing");
    return fArray->Items[Offset(*fArray, indices.data(), indices.size())];
}

const std::vector<Variant>& Variant::Elements() const {
    if (fType != varArray) NotAnArray("Elements");
    return fArray->Items;
}

// ---- comparison ----------------------------------------------------------------------------

bool Variant::operator==(const Variant& other) const {
    const Variant& a = *this;
    const Variant& b = other;
    if (a.fType == varNull || b.fType == varNull) return a.fType == b.fType;
    if (a.fType == varArray || b.fType == varArray) {
        if (a.fType != b.fType) return false;
        if (a.fArray->Bounds.size() != b.fArray->Bounds.size()) return false;
        for (size_t i = 0; i < a.fArray->Bounds.size(); ++i)
            if (a.fArray->Bounds[i].LowBound != b.fArray->Bounds[i].LowBound ||
                a.fArray->Bounds[i].ElementCount != b.fArray->Bounds[i].ElementCount)
                return false;
        return a.fArray->Items == b.fArray->Items;
    }
    if (a.fType == varDispatch || b.fType == varDispatch) return a.fType == b.fType && a.fObject == b.fObject;
    if (a.fType == varEmpty && b.fType == varEmpty) return true;
    // Unassigned reads as "" against text and 0 against numbers, as in conversions.
    if (a.IsText() && b.IsText()) return a.fText == b.fText;
    if (a.IsText() || b.IsText()) {
        const Variant& text = a.IsText() ? a : b;
        const Variant& rest = a.IsText() ? b : a;
        if (rest.fType == varEmpty) return text.fText.empty();
        if (rest.fType == varBoolean) {
            std::string t = TrimSpaces(text.fText);
            if (EqualNoCase(t, "True")) return rest.fBool;
            if (EqualNoCase(t, "False")) return !rest.fBool;
        }
        double d;
        return TryParseNumber(text.fText, d) && d == rest.AsDouble();
    }
    return a.AsDouble() == b.AsDouble();
}

}  // namespace plat
