#pragma once
// Published properties by name, for code that treats controls it does not know the class of
// (condition texts, language packages, the code converter). A missing object, an empty name or a
// property the class does not publish (or of another kind) is never an error here: getters answer
// empty values and setters do nothing. Only the path setter reports failure.
#include <cstdint>
#include <string>

#include "platform/core/Variant.h"
#include "platform/forms/ClassInfo.h"

namespace qm {

// True when the object's class publishes a property of that name (any case).
bool HasProperty(const plat::TObject* obj, const std::string& name);
// A text property's value; "" when absent or not a text property.
std::string GetStringProperty(const plat::TObject* obj, const std::string& name);
void SetStringProperty(plat::TObject* obj, const std::string& name, const std::string& value);
// An ordinal property's value (integers, characters, enumerations, sets as bits); 0 when absent.
int64_t GetOrdinalProperty(const plat::TObject* obj, const std::string& name);
void SetOrdinalProperty(plat::TObject* obj, const std::string& name, int64_t value);
// An event property's handler; both halves empty when absent.
plat::TMethod GetMethodProperty(const plat::TObject* obj, const std::string& name);
void SetMethodProperty(plat::TObject* obj, const std::string& name, const plat::TMethod& handler);
// The object a class-typed property holds; nullptr when absent or not class-typed.
plat::TObject* GetObjectProperty(const plat::TObject* obj, const std::string& name);

// Sets the property a dotted path names ("Font.Name"): every name but the last is a class-typed
// property. A text for an integer property with registered identifiers ("clRed") goes through
// them first; when it is none of them the value is set as it is. For an enumeration or set
// property a value that is not an integer is trimmed text. Raises (plat::EPropertyError,
// plat::EConvertError, ...) when the path or the value does not fit, or there is no object.
void SetPropertyByPath(plat::TObject* obj, const std::string& path, const plat::Variant& value);
// The same, answering false instead of raising.
bool TrySetPropertyByPath(plat::TObject* obj, const std::string& path, const plat::Variant& value) noexcept;

}  // namespace qm
