#pragma once
// Published properties by name: get and set as ordinal, float, text, object, method or Variant;
// paths "A.B.C" through class-typed properties, with "[n]" reaching collection items
// ("Panels[1].Text"). Names compare without regard to case. A missing property raises
// EPropertyError naming it and the class; a value the property cannot take raises EConvertError
// (or EPropertyError for a wrong kind).
#include <string>
#include <vector>

#include "platform/forms/Classes.h"

namespace plat {

const TPropInfo* GetPropInfo(const TObject* obj, const std::string& name);  // nullptr when none
const TPropInfo* GetPropInfo(const TClassInfo& cls, const std::string& name);
bool IsPublishedProp(const TObject* obj, const std::string& name);
bool PropIsType(const TObject* obj, const std::string& name, TTypeKind kind);
TTypeKind PropType(const TObject* obj, const std::string& name);  // raises when missing
std::vector<const TPropInfo*> GetPropList(const TObject* obj);
std::vector<const TPropInfo*> GetPropList(const TClassInfo& cls);

// By property information.
int64_t GetOrdProp(const TObject* obj, const TPropInfo* p);
void SetOrdProp(TObject* obj, const TPropInfo* p, int64_t value);
double GetFloatProp(const TObject* obj, const TPropInfo* p);
void SetFloatProp(TObject* obj, const TPropInfo* p, double value);
std::string GetStrProp(const TObject* obj, const TPropInfo* p);
void SetStrProp(TObject* obj, const TPropInfo* p, const std::string& value);
TObject* GetObjectProp(const TObject* obj, const TPropInfo* p);
void SetObjectProp(TObject* obj, const TPropInfo* p, TObject* value);
TMethod GetMethodProp(const TObject* obj, const TPropInfo* p);
void SetMethodProp(TObject* obj, const TPropInfo* p, const TMethod& value);
std::string GetEnumProp(const TObject* obj, const TPropInfo* p);
void SetEnumProp(TObject* obj, const TPropInfo* p, const std::string& name);
std::string GetSetProp(const TObject* obj, const TPropInfo* p, bool brackets = false);
void SetSetProp(TObject* obj, const TPropInfo* p, const std::string& text);
// Variant form: integers and chars as integers, Booleans as Booleans, other enumerations and sets
// as their names, floats as doubles, strings as text. Class and method properties raise.
Variant GetPropValue(const TObject* obj, const TPropInfo* p);
// From a Variant: texts are converted by the property's kind (enumeration names after trimming,
// set texts "[a,b]" or "a,b", integer identifiers such as "clWindow", numbers).
void SetPropValue(TObject* obj, const TPropInfo* p, const Variant& value);
// Text form: what a condition text stores (numbers in decimal, enumerations by name, sets as
// "a,b", floats in the shortest form that reads back, strings as they are).
std::string GetPropText(const TObject* obj, const TPropInfo* p);
void SetPropText(TObject* obj, const TPropInfo* p, const std::string& text);

// By name (published properties of the object's class).
int64_t GetOrdProp(const TObject* obj, const std::string& name);
void SetOrdProp(TObject* obj, const std::string& name, int64_t value);
double GetFloatProp(const TObject* obj, const std::string& name);
void SetFloatProp(TObject* obj, const std::string& name, double value);
std::string GetStrProp(const TObject* obj, const std::string& name);
void SetStrProp(TObject* obj, const std::string& name, const std::string& value);
TObject* GetObjectProp(const TObject* obj, const std::string& name);
void SetObjectProp(TObject* obj, const std::string& name, TObject* value);
TMethod GetMethodProp(const TObject* obj, const std::string& name);
void SetMethodProp(TObject* obj, const std::string& name, const TMethod& value);
std::string GetEnumProp(const TObject* obj, const std::string& name);
void SetEnumProp(TObject* obj, const std::string& name, const std::string& value);
Variant GetPropValue(const TObject* obj, const std::string& name);
void SetPropValue(TObject* obj, const std::string& name, const Variant& value);
std::string GetPropText(const TObject* obj, const std::string& name);
void SetPropText(TObject* obj, const std::string& name, const std::string& text);

// Paths. ResolvePropPath walks every segment but the last through class-typed properties (and
// "[n]" collection indices) and answers the object holding the last property and that property;
// raises EPropertyError when a segment is missing or not an object.
struct TPropTarget {
    TObject* Object = nullptr;
    const TPropInfo* Prop = nullptr;
};
TPropTarget ResolvePropPath(TObject* obj, const std::string& path);
// The object a path names ("Font", "Panels[1]"); raises like ResolvePropPath.
TObject* GetObjectByPath(TObject* obj, const std::string& path);
Variant GetPropValueByPath(TObject* obj, const std::string& path);
void SetPropValueByPath(TObject* obj, const std::string& path, const Variant& value);
std::string GetPropTextByPath(TObject* obj, const std::string& path);
void SetPropTextByPath(TObject* obj, const std::string& path, const std::string& text);
bool HasPropertyPath(TObject* obj, const std::string& path);  // never raises

// Conversions used by the above and the description reader.
std::string SetToString(const TTypeInfo* setType, int64_t bits, bool brackets = false);
int64_t StringToSet(const TTypeInfo* setType, const std::string& text);  // raises EPropertyError
int GetEnumValue(const TTypeInfo* enumType, const std::string& name);   // -1 when none
std::string GetEnumName(const TTypeInfo* enumType, int64_t value);
std::string FloatToText(double value);  // shortest text that reads back to the same double

}  // namespace plat
