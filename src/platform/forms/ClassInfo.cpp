#include "platform/forms/ClassInfo.h"

#include <algorithm>
#include <mutex>

#include "platform/forms/Classes.h"
#include "platform/forms/Messages.h"

namespace plat {

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

namespace {
std::string Upper(const std::string& s) {
    std::string r = s;
    for (auto& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return r;
}

// Type and class registries. Function-local so any translation unit may use them while the
// libraries are still being initialised.
struct TTypeRegistry {
    std::mutex Lock;
    std::map<std::string, const TTypeInfo*> ByName;          // upper-case name
    std::map<std::string, std::unique_ptr<TTypeInfo>> Owned;  // name + kind for NamedType/events
};
TTypeRegistry& Types() {
    static TTypeRegistry r;
    return r;
}
const TTypeInfo* Keep(std::unique_ptr<TTypeInfo> t) {
    auto& r = Types();
    std::lock_guard<std::mutex> g(r.Lock);
    std::string key = Upper(t->Name) + "#" + std::to_string(t->Kind);
    auto& slot = r.Owned[key + "#" + std::to_string(r.Owned.size())];
    slot = std::move(t);
    r.ByName.emplace(Upper(slot->Name), slot.get());
    return slot.get();
}

struct TClassRegistry {
    std::mutex Lock;
    std::map<std::string, std::vector<const TClassInfo*>> ByName;  // upper-case; last wins
};
TClassRegistry& Classes() {
    static TClassRegistry r;
    return r;
}
}  // namespace

const char* TypeKindName(TTypeKind k) {
    static const char* names[] = {"tkUnknown", "tkInteger", "tkChar",   "tkEnumeration", "tkFloat",
                                  "tkString",  "tkSet",     "tkClass",  "tkMethod",      "tkWChar",
                                  "tkLString", "tkWString", "tkVariant", "tkArray",      "tkRecord",
                                  "tkInterface", "tkInt64", "tkDynArray"};
    return k >= tkUnknown && k <= tkDynArray ? names[k] : "tkUnknown";
}

int TTypeInfo::EnumValue(const std::string& name) const {
    for (size_t i = 0; i < EnumNames.size(); ++i)
        if (SameName(EnumNames[i], name)) return static_cast<int>(i);
    return -1;
}

std::string TTypeInfo::EnumName(int64_t value) const {
    if (value >= 0 && value < static_cast<int64_t>(EnumNames.size())) return EnumNames[static_cast<size_t>(value)];
    return std::to_string(value);
}

bool TTypeInfo::IdentToInt(const std::string& ident, int64_t& value) const {
    for (auto& e : Idents)
        if (SameName(e.Name, ident)) {
            value = e.Value;
            return true;
        }
    return false;
}

bool TTypeInfo::IntToIdent(int64_t value, std::string& ident) const {
    for (auto& e : Idents)
        if (e.Value == value) {
            ident = e.Name;
            return true;
        }
    return false;
}

const TTypeInfo* MakeEnumType(const std::string& name, std::initializer_list<const char*> names) {
    auto t = std::make_unique<TTypeInfo>();
    t->Name = name;
    t->Kind = tkEnumeration;
    for (auto* n : names) t->EnumNames.emplace_back(n);
    t->MinValue = 0;
    t->MaxValue = static_cast<int64_t>(t->EnumNames.size()) - 1;
    return Keep(std::move(t));
}

const TTypeInfo* MakeSetType(const std::string& name, const TTypeInfo* element) {
    auto t = std::make_unique<TTypeInfo>();
    t->Name = name;
    t->Kind = tkSet;
    t->CompType = element;
    return Keep(std::move(t));
}

const TTypeInfo* MakeIntegerType(const std::string& name, std::vector<TIdentMapEntry> idents, int64_t minValue,
                                 int64_t maxValue) {
    auto t = std::make_unique<TTypeInfo>();
    t->Name = name;
    t->Kind = tkInteger;
    t->Idents = std::move(idents);
    t->MinValue = minValue;
    t->MaxValue = maxValue;
    return Keep(std::move(t));
}

const TTypeInfo* NamedType(const std::string& name, TTypeKind kind) {
    {
        auto& r = Types();
        std::lock_guard<std::mutex> g(r.Lock);
        auto it = r.ByName.find(Upper(name));
        if (it != r.ByName.end() && it->second->Kind == kind) return it->second;
    }
    auto t = std::make_unique<TTypeInfo>();
    t->Name = name;
    t->Kind = kind;
    return Keep(std::move(t));
}

const TTypeInfo* FindTypeInfo(const std::string& name) {
    {
        auto& r = Types();
        std::lock_guard<std::mutex> g(r.Lock);
        auto it = r.ByName.find(Upper(name));
        if (it != r.ByName.end()) return it->second;
    }
    if (auto* c = FindClass(name)) return &c->Type;
    return nullptr;
}

const TTypeInfo* TypeBoolean() {
    static const TTypeInfo* t = MakeEnumType("Boolean", {"False", "True"});
    return t;
}
const TTypeInfo* TypeInteger() {
    static const TTypeInfo* t = MakeIntegerType("Integer");
    return t;
}
const TTypeInfo* TypeInt64() {
    static const TTypeInfo* t = [] {
        auto x = std::make_unique<TTypeInfo>();
        x->Name = "Int64";
        x->Kind = tkInt64;
        x->MinValue = INT64_MIN;
        x->MaxValue = INT64_MAX;
        return Keep(std::move(x));
    }();
    return t;
}
const TTypeInfo* TypeWord() {
    static const TTypeInfo* t = MakeIntegerType("Word", {}, 0, 65535);
    return t;
}
const TTypeInfo* TypeChar() {
    static const TTypeInfo* t = [] {
        auto x = std::make_unique<TTypeInfo>();
        x->Name = "Char";
        x->Kind = tkChar;
        x->MinValue = 0;
        x->MaxValue = 255;
        return Keep(std::move(x));
    }();
    return t;
}
const TTypeInfo* TypeDouble() {
    static const TTypeInfo* t = NamedType("Double", tkFloat);
    return t;
}
const TTypeInfo* TypeString() {
    static const TTypeInfo* t = NamedType("string", tkLString);
    return t;
}
const TTypeInfo* TypeVariant() {
    static const TTypeInfo* t = NamedType("Variant", tkVariant);
    return t;
}

namespace detail {
const TTypeInfo* EventTypeInfo(const char* name, std::type_index sig) {
    auto& r = Types();
    {
        std::lock_guard<std::mutex> g(r.Lock);
        auto it = r.ByName.find(Upper(name));
        if (it != r.ByName.end() && it->second->Kind == tkMethod && it->second->Signature == sig) return it->second;
    }
    auto t = std::make_unique<TTypeInfo>();
    t->Name = name;
    t->Kind = tkMethod;
    t->Signature = sig;
    return Keep(std::move(t));
}

void RaiseWrongClass(const TObject* self, const TClassInfo& expected) {
    throw EInvalidOperation("Invalid class typecast: " + (self ? self->ClassName() : std::string("nil")) +
                            " is not a " + expected.Name);
}

void RaiseSignatureMismatch(const TMethodInfo* code) {
    throw EPropertyError("Incompatible handler " + (code && !code->Name.empty() ? code->Name : std::string("(method)")) +
                         ": its parameters do not match the event");
}
}  // namespace detail

// ---- TClassInfo ----------------------------------------------------------------------------

bool TClassInfo::InheritsFrom(const TClassInfo* other) const {
    for (auto* c = this; c; c = c->Parent)
        if (c == other) return true;
    return false;
}

bool TClassInfo::InheritsFrom(const std::string& className) const {
    for (auto* c = this; c; c = c->Parent)
        if (SameName(c->Name, className)) return true;
    return false;
}

const TPropInfo* TClassInfo::FindAnyProperty(const std::string& name) const {
    for (auto* c = this; c; c = c->Parent)
        for (auto it = c->Props.rbegin(); it != c->Props.rend(); ++it)
            if (SameName((*it)->Name, name)) return it->get();
    return nullptr;
}

const TPropInfo* TClassInfo::FindProperty(const std::string& name) const {
    const TPropInfo* p = FindAnyProperty(name);
    return p && p->Published ? p : nullptr;
}

std::vector<const TPropInfo*> TClassInfo::PropList() const {
    std::vector<const TClassInfo*> chain;
    for (auto* c = this; c; c = c->Parent) chain.push_back(c);
    std::vector<const TPropInfo*> all;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        for (auto& p : (*it)->Props) {
            auto same = std::find_if(all.begin(), all.end(), [&](const TPropInfo* q) { return SameName(q->Name, p->Name); });
            if (same != all.end()) *same = p.get();
            else all.push_back(p.get());
        }
    std::vector<const TPropInfo*> result;
    for (auto* p : all)
        if (p->Published) result.push_back(p);
    return result;
}

const TMethodInfo* TClassInfo::FindMethod(const std::string& name) const {
    for (auto* c = this; c; c = c->Parent)
        for (auto* m : c->Methods)
            if (SameName(m->Name, name)) return m;
    return nullptr;
}

const TFieldInfo* TClassInfo::FindField(const std::string& name) const {
    for (auto* c = this; c; c = c->Parent)
        for (auto& f : c->Fields)
            if (SameName(f.Name, name)) return &f;
    return nullptr;
}

const TMessageHandler* TClassInfo::FindMessage(uint32_t msg) const {
    for (auto* c = this; c; c = c->Parent) {
        auto it = c->Messages.find(msg);
        if (it != c->Messages.end()) return &it->second;
    }
    return nullptr;
}

std::vector<std::string> TClassInfo::ChainNames(const TClassInfo* stop) const {
    std::vector<std::string> names;
    for (auto* c = this; c && c != stop; c = c->Parent) names.push_back(c->Name);
    return names;
}

void PublishInherited(TClassInfo& info, std::initializer_list<const char*> names) {
    for (const char* n : names) {
        const TPropInfo* base = info.Parent ? info.Parent->FindAnyProperty(n) : nullptr;
        if (!base) throw EPropertyError(std::string("Cannot publish ") + n + " in " + info.Name + ": no such property");
        auto p = std::make_unique<TPropInfo>(*base);
        p->Published = true;
        p->Declarer = &info;
        info.Props.push_back(std::move(p));
    }
}

// ---- Class registry ------------------------------------------------------------------------

void RegisterClass(const TClassInfo& info) {
    auto& r = Classes();
    std::lock_guard<std::mutex> g(r.Lock);
    r.ByName[Upper(info.Name)].push_back(&info);
}

void UnregisterClass(const TClassInfo& info) {
    auto& r = Classes();
    std::lock_guard<std::mutex> g(r.Lock);
    auto it = r.ByName.find(Upper(info.Name));
    if (it == r.ByName.end()) return;
    auto& v = it->second;
    v.erase(std::remove(v.begin(), v.end(), &info), v.end());
    if (v.empty()) r.ByName.erase(it);
}

const TClassInfo* FindClass(const std::string& name) {
    auto& r = Classes();
    std::lock_guard<std::mutex> g(r.Lock);
    auto it = r.ByName.find(Upper(name));
    return it == r.ByName.end() || it->second.empty() ? nullptr : it->second.back();
}

const TClassInfo& GetClass(const std::string& name) {
    if (auto* c = FindClass(name)) return *c;
    throw EClassNotFound("Class " + name + " not found");
}

TComponent* CreateComponentByClassName(const std::string& className, TComponent* owner) {
    const TClassInfo& c = GetClass(className);
    if (!c.CreateComponent) throw EClassNotFound("Class " + className + " cannot be created by name");
    return c.CreateComponent(owner);
}

// ---- TObject -------------------------------------------------------------------------------

const TClassInfo& TObject::StaticClass() {
    static TClassInfo info("TObject", nullptr);
    if (!info.Described) {
        info.Described = true;
        info.Type.Name = info.Name;
        info.Type.Kind = tkClass;
        info.Type.ClassType = &info;
    }
    return info;
}
static const TClassRegistration TObject_Registration_(&TObject::StaticClass);

std::string TObject::MethodName(const TMethodInfo* code) const {
    if (!code) return {};
    for (auto* c = ClassType(); c; c = c->Parent)
        for (auto* m : c->Methods)
            if (m == code) return m->Name;
    return {};
}

void TObject::Dispatch(TMessage& msg) {
    if (auto* h = ClassType()->FindMessage(msg.Msg)) (*h)(this, msg);
    else DefaultHandler(msg);
}

void TObject::DefaultHandler(TMessage&) {}

void TObject::InheritedMessage(TMessage& msg, const TClassInfo& from) {
    const TMessageHandler* h = from.Parent ? from.Parent->FindMessage(msg.Msg) : nullptr;
    if (h) (*h)(this, msg);
    else DefaultHandler(msg);
}

void TObject::Free() {
    BeforeDestruction();
    delete this;
}

}  // namespace plat
