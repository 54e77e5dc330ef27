#pragma once
// Variant: the automation value every exchange with the host, the server and automation objects
// is made of. Value semantics: copying a Variant copies its array (arrays are small; a deep copy
// keeps Variants safe to hand between the server's threads). Conversions follow the automation
// rules; a conversion that cannot be made raises EVariantTypeCastError naming both types.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/core/Exceptions.h"

namespace plat {

// Days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;

// Type codes as the automation standard numbers them (they appear in transcripts and tests).
enum TVarType : uint16_t {
    varEmpty = 0x0000,
    varNull = 0x0001,
    varSmallint = 0x0002,
    varInteger = 0x0003,
    varDouble = 0x0005,
    varDate = 0x0007,
    varOleStr = 0x0008,   // wide text
    varDispatch = 0x0009, // automation object
    varBoolean = 0x000B,
    varVariant = 0x000C,  // element type of Variant arrays
    varByte = 0x0011,
    varString = 0x0100,   // narrow text
    varArray = 0x2000,    // flag: VarType of an array is varArray | element type
    varTypeMask = 0x0FFF,
};

class TAutoObject;  // automation object, see Automation.h
using TAutoObjectPtr = std::shared_ptr<TAutoObject>;

struct TVarArrayBound {
    int LowBound = 0;
    int ElementCount = 0;
};

class Variant;
struct TVarArrayData;  // bounds + elements, first index varies fastest

class Variant {
public:
    Variant() noexcept;  // unassigned
    Variant(const Variant& other);
    Variant(Variant&& other) noexcept;
    Variant& operator=(const Variant& other);
    Variant& operator=(Variant&& other) noexcept;
    ~Variant();

    Variant(int32_t value);
    Variant(double value);
    Variant(bool value);
    Variant(const char* narrowText);
    Variant(const std::string& narrowText);
    Variant(std::string&& narrowText);
    Variant(TAutoObjectPtr object);
    // Any automation object class: Variant app = std::make_shared<THostApp>();
    template <class T>
        requires(!std::is_same_v<T, TAutoObject> && std::is_convertible_v<std::shared_ptr<T>, TAutoObjectPtr>)
    Variant(std::shared_ptr<T> object) : Variant(TAutoObjectPtr(std::move(object))) {}
    // Guard against accidental pointer -> bool conversion.
    Variant(const void*) = delete;

    static Variant Null();
    static Variant Wide(std::string text);     // wide text (varOleStr), UTF-8 inside
    static Variant Narrow(std::string text);   // narrow text (varString)
    static Variant Date(TDateTime value);
    static Variant Byte(uint8_t value);
    static Variant Smallint(int16_t value);

    TVarType VarType() const;       // for arrays: varArray | element type
    TVarType BaseType() const { return static_cast<TVarType>(VarType() & varTypeMask); }
    bool IsEmpty() const { return fType == varEmpty; }
    bool IsNull() const { return fType == varNull; }
    bool IsArray() const { return fType == varArray; }
    bool IsText() const { return fType == varString || fType == varOleStr; }
    bool IsNumeric() const;         // integer kinds, double and date-time (Boolean is not)
    bool IsObject() const { return fType == varDispatch; }

    // Conversions by the automation rules. Unassigned reads as "" / 0 / false; Null raises
    // (use VarToStr for the null-tolerant text). Text converts to numbers by the usual parsing
    // (a bad number raises). Booleans read as -1/0 in numbers and "True"/"False" in text.
    std::string AsString() const;
    int32_t AsInteger() const;
    double AsDouble() const;
    bool AsBoolean() const;
    TDateTime AsDate() const;
    TAutoObjectPtr AsObject() const;      // raises unless an automation object
    Variant AsType(TVarType type) const;  // VarAsType

    // Arrays. Dimensions are counted from 1, as the automation calls do.
    int DimCount() const;                   // 0 for a non-array
    int LowBound(int dim = 1) const;        // raises for a bad dimension
    int HighBound(int dim = 1) const;
    int ElementCount(int dim = 1) const { return HighBound(dim) - LowBound(dim) + 1; }
    TVarType ElementType() const;            // varVariant for our arrays unless created otherwise
    void Redim(int highBound);               // grows or shrinks the last dimension keeping contents
    Variant& operator[](int index);          // one-dimensional access; raises out of range
    const Variant& operator[](int index) const;
    Variant& At(std::initializer_list<int> indices);  // any dimension count; raises out of range
    const Variant& At(std::initializer_list<int> indices) const;
    Variant& At(const std::vector<int>& indices);  // the same with a run-time index list
    const Variant& At(const std::vector<int>& indices) const;
    Variant& At(int i, int j) { return At({i, j}); }
    const Variant& At(int i, int j) const { return At({i, j}); }
    // All elements in storage order (first index fastest) for walking without index maths.
    const std::vector<Variant>& Elements() const;

    // Automation comparison: numbers numerically, texts as text (narrow and wide alike),
    // unassigned equals unassigned, Null equals Null; arrays compare element by element.
    bool operator==(const Variant& other) const;
    bool operator!=(const Variant& other) const { return !(*this == other); }

    // Human-readable type name as error texts use it ("String", "Integer", "Array of Variant").
    static std::string TypeName(TVarType type);

    friend Variant VarArrayCreate(std::initializer_list<int> bounds, TVarType elementType);
    friend Variant VarArrayCreate(const std::vector<TVarArrayBound>& bounds, TVarType elementType);

private:
    void Clear() noexcept;
    void CopyFrom(const Variant& other);
    [[noreturn]] void CastError(TVarType to) const;

    TVarType fType = varEmpty;
    union {
        int32_t fInt;
        double fDouble;
        bool fBool;
    };
    std::string fText;                    // narrow or wide text, UTF-8
    TAutoObjectPtr fObject;               // automation object
    std::unique_ptr<TVarArrayData> fArray;  // arrays: deep-copied with the Variant
};

struct TVarArrayData {
    std::vector<TVarArrayBound> Bounds;
    TVarType ElementType = varVariant;
    std::vector<Variant> Items;
};

extern const Variant Unassigned;

// Array creation. Bounds come in pairs (low, high) per dimension: VarArrayCreate({0, 6}, varVariant),
// VarArrayCreate({0, 1, 0, n - 1}, varVariant). A high bound below low - 1 raises.
Variant VarArrayCreate(std::initializer_list<int> bounds, TVarType elementType = varVariant);
Variant VarArrayCreate(const std::vector<TVarArrayBound>& bounds, TVarType elementType = varVariant);
// A one-dimensional array from 0 holding the given values.
Variant VarArrayOf(std::initializer_list<Variant> values);
Variant VarArrayOf(const std::vector<Variant>& values);

inline bool VarIsEmpty(const Variant& v) { return v.IsEmpty(); }
inline bool VarIsNull(const Variant& v) { return v.IsNull(); }
inline bool VarIsArray(const Variant& v) { return v.IsArray(); }
inline bool VarIsEmptyOrNull(const Variant& v) { return v.IsEmpty() || v.IsNull(); }
inline TVarType VarType(const Variant& v) { return v.VarType(); }
inline int VarArrayDimCount(const Variant& v) { return v.DimCount(); }
inline int VarArrayLowBound(const Variant& v, int dim) { return v.LowBound(dim); }
inline int VarArrayHighBound(const Variant& v, int dim) { return v.HighBound(dim); }
inline void VarArrayRedim(Variant& v, int highBound) { v.Redim(highBound); }
inline Variant VarAsType(const Variant& v, TVarType type) { return v.AsType(type); }
// Text of a Variant where Null reads as "" (unlike AsString, which raises on Null).
std::string VarToStr(const Variant& v);

}  // namespace plat
