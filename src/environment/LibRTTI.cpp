#include "environment/LibRTTI.h"

#include "platform/core/SysUtils.h"
#include "platform/forms/TypInfo.h"

using namespace plat;

namespace qm {

namespace {

const TPropInfo* Find(const TObject* obj, const std::string& name) {
    if (!obj || name.empty()) return nullptr;
    return GetPropInfo(obj, name);
}

bool IsIntegerVariant(const Variant& v) {
    switch (v.VarType()) {
    case varInteger:
    case varSmallint:
    case varByte: return true;
    default: return false;
    }
}

}  // namespace

bool HasProperty(const TObject* obj, const std::string& name) { return Find(obj, name) != nullptr; }

std::string GetStringProperty(const TObject* obj, const std::string& name) {
    const TPropInfo* p = Find(obj, name);
    return p && IsStringKind(p->Kind()) && p->GetStr ? GetStrProp(obj, p) : std::string();
}

void SetStringProperty(TObject* obj, const std::string& name, const std::string& value) {
    const TPropInfo* p = Find(obj, name);
    if (p && IsStringKind(p->Kind()) && p->SetStr) SetStrProp(obj, p, value);
}

int64_t GetOrdinalProperty(const TObject* obj, const std::string& name) {
    const TPropInfo* p = Find(obj, name);
    return p && IsOrdinalKind(p->Kind()) && p->GetOrd ? GetOrdProp(obj, p) : 0;
}

void SetOrdinalProperty(TObject* obj, const std::string& name, int64_t value) {
    const TPropInfo* p = Find(obj, name);
    if (p && IsOrdinalKind(p->Kind()) && p->SetOrd) SetOrdProp(obj, p, value);
}

TMethod GetMethodProperty(const TObject* obj, const std::string& name) {
    const TPropInfo* p = Find(obj, name);
    return p && p->Kind() == tkMethod && p->GetMethod ? GetMethodProp(obj, p) : TMethod{};
}

void SetMethodProperty(TObject* obj, const std::string& name, const TMethod& handler) {
    const TPropInfo* p = Find(obj, name);
    if (p && p->Kind() == tkMethod && p->SetMethod) SetMethodProp(obj, p, handler);
}

TObject* GetObjectProperty(const TObject* obj, const std::string& name) {
    const TPropInfo* p = Find(obj, name);
    return p && p->Kind() == tkClass && p->GetObj ? GetObjectProp(obj, p) : nullptr;
}

void SetPropertyByPath(TObject* obj, const std::string& path, const Variant& value) {
    if (!obj) throw EPropertyError("Cannot set property " + path + ": there is no object");
    const TPropTarget target = ResolvePropPath(obj, path);
    if (!target.Object || !target.Prop)
        throw EPropertyError("Property " + path + " does not exist in class " + obj->ClassName());
    const TPropInfo* p = target.Prop;
    switch (p->Kind()) {
    case tkInteger:
        if (value.IsText() && p->PropType && !p->PropType->Idents.empty()) {
            int64_t ident;
            if (p->PropType->IdentToInt(value.AsString(), ident)) {
                SetOrdProp(target.Object, p, ident);
                return;
            }
        }
        break;
    case tkEnumeration:
    case tkSet:
        if (!IsIntegerVariant(value)) {
            SetPropValue(target.Object, p, Variant(Trim(VarToStr(value))));
            return;
        }
        break;
    default: break;
    }
    SetPropValue(target.Object, p, value);
}

bool TrySetPropertyByPath(TObject* obj, const std::string& path, const Variant& value) noexcept {
    try {
        SetPropertyByPath(obj, path, value);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace qm
