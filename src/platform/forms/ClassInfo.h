#pragma once
// Run-time class information: class names and parent chains, creation by class name, published
// properties (typed, found by name), published methods (event handlers found by name), published
// fields (component references a description fills in) and message handlers by id.
//
// A class takes part by putting PLAT_CLASS(Cls) in its body and PLAT_REGISTER_CLASS(Cls, Parent)
// in its .cpp, followed by the body that describes it:
//
//   PLAT_REGISTER_CLASS(TButton, TButtonControl) {
//       b.Property("Cancel", &TButton::Cancel, &TButton::SetCancel);
//       b.Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Type(TypeModalResult());
//       b.Publish({"Caption", "Font", "OnClick"});
//   }
//
// Class information is built on first use (so registrations in different translation units never
// depend on static initialisation order) and registered by name when the library loads.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <typeindex>
#include <typeinfo>
#include <utility>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/core/Variant.h"

namespace plat {

class TObject;
class TPersistent;
class TComponent;
class TCollection;
class TCollectionItem;
struct TClassInfo;
struct TTypeInfo;
struct TMethodInfo;
struct TMessage;
template <class C>
class TClassBuilder;
template <class T, class... Args>
T* CreateObject(Args&&... args);

// Case-insensitive comparison of identifiers (ASCII letters), as names are compared everywhere.
bool SameName(const std::string& a, const std::string& b);

// ---- Kinds and type information ------------------------------------------------------------

// The kinds in the original library's order (code compares kinds and tests may print them).
enum TTypeKind {
    tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass, tkMethod,
    tkWChar, tkLString, tkWString, tkVariant, tkArray, tkRecord, tkInterface, tkInt64, tkDynArray
};
inline bool IsStringKind(TTypeKind k) { return k == tkString || k == tkLString || k == tkWString; }
inline bool IsOrdinalKind(TTypeKind k) {
    return k == tkInteger || k == tkChar || k == tkEnumeration || k == tkSet || k == tkWChar || k == tkInt64;
}
const char* TypeKindName(TTypeKind k);  // "tkInteger", ...

// An identifier of an integer type: colour and cursor names, character-set names.
struct TIdentMapEntry {
    int64_t Value;
    std::string Name;
};

struct TTypeInfo {
    std::string Name;               // as the original spells it: "TStrings", "TComboBoxStyle", "Integer"
    TTypeKind Kind = tkUnknown;
    std::vector<std::string> EnumNames;       // enumeration: value names in ordinal order
    const TTypeInfo* CompType = nullptr;      // set: the element enumeration
    const TClassInfo* ClassType = nullptr;    // class: the class of the object
    std::vector<TIdentMapEntry> Idents;       // integer: registered identifiers
    std::type_index Signature = typeid(void); // method: the handler's parameter list
    int64_t MinValue = INT32_MIN, MaxValue = INT32_MAX;

    // Enumeration value by name (case-insensitive), -1 when none.
    int EnumValue(const std::string& name) const;
    // Name of an enumeration value; the number as text when out of range.
    std::string EnumName(int64_t value) const;
    bool IdentToInt(const std::string& ident, int64_t& value) const;  // case-insensitive
    bool IntToIdent(int64_t value, std::string& ident) const;
};

// Type information builders. They return objects that live for the process.
const TTypeInfo* MakeEnumType(const std::string& name, std::initializer_list<const char*> names);
const TTypeInfo* MakeSetType(const std::string& name, const TTypeInfo* element);
const TTypeInfo* MakeIntegerType(const std::string& name, std::vector<TIdentMapEntry> idents = {},
                                 int64_t minValue = INT32_MIN, int64_t maxValue = INT32_MAX);
// A type of the given kind under another name ("TCaption" is a string, "TTabOrder" an integer).
const TTypeInfo* NamedType(const std::string& name, TTypeKind kind);
// Registered types by name (enumerations, sets, integer types with identifiers, classes).
const TTypeInfo* FindTypeInfo(const std::string& name);

// The basic types.
const TTypeInfo* TypeBoolean();   // enumeration False, True
const TTypeInfo* TypeInteger();   // "Integer"
const TTypeInfo* TypeInt64();     // "Int64"
const TTypeInfo* TypeWord();      // "Word"
const TTypeInfo* TypeChar();      // "Char"
const TTypeInfo* TypeDouble();    // "Double"
const TTypeInfo* TypeString();    // "string" (tkLString)
const TTypeInfo* TypeVariant();   // "Variant"

// Type information for a C++ type: specialised for each enumeration and set by the macros below.
template <class T, class Enable = void>
struct TTypeInfoOf;

#define PLAT_DECLARE_ENUM(E)                      \
    template <>                                   \
    struct TTypeInfoOf<E> {                       \
        static const ::plat::TTypeInfo* Get();    \
    };
#define PLAT_DEFINE_ENUM(E, ...)                                                     \
    const ::plat::TTypeInfo* TTypeInfoOf<E>::Get() {                                 \
        static const ::plat::TTypeInfo* t = ::plat::MakeEnumType(#E, {__VA_ARGS__}); \
        return t;                                                                    \
    }
#define PLAT_DECLARE_SET(S) PLAT_DECLARE_ENUM(S)
#define PLAT_DEFINE_SET(S, E)                                                                   \
    const ::plat::TTypeInfo* TTypeInfoOf<S>::Get() {                                            \
        static const ::plat::TTypeInfo* t = ::plat::MakeSetType(#S, TTypeInfoOf<E>::Get());     \
        return t;                                                                               \
    }

// A set of up to 32 enumeration values, stored as bits by ordinal.
template <class E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> values) {
        for (E v : values) fBits |= Bit(v);
    }
    static constexpr TSet FromBits(uint32_t bits) { TSet s; s.fBits = bits; return s; }
    constexpr uint32_t Bits() const { return fBits; }
    constexpr bool Contains(E v) const { return (fBits & Bit(v)) != 0; }
    constexpr bool Empty() const { return fBits == 0; }
    constexpr TSet& Include(E v) { fBits |= Bit(v); return *this; }
    constexpr TSet& Exclude(E v) { fBits &= ~Bit(v); return *this; }
    constexpr TSet operator+(TSet o) const { return FromBits(fBits | o.fBits); }
    constexpr TSet operator-(TSet o) const { return FromBits(fBits & ~o.fBits); }
    constexpr TSet operator*(TSet o) const { return FromBits(fBits & o.fBits); }
    constexpr TSet operator+(E v) const { return FromBits(fBits | Bit(v)); }
    constexpr TSet operator-(E v) const { return FromBits(fBits & ~Bit(v)); }
    constexpr bool operator==(const TSet&) const = default;
    using Element = E;

private:
    static constexpr uint32_t Bit(E v) { return 1u << static_cast<unsigned>(v); }
    uint32_t fBits = 0;
};
template <class T>
struct IsTSet : std::false_type {};
template <class E>
struct IsTSet<TSet<E>> : std::true_type {};

// ---- Methods (event handlers) --------------------------------------------------------------

// A method of a class: the "code" half of an event handler. One object per C++ member function,
// so two handlers made from the same member compare equal however they were obtained (by member
// pointer or by published name). It is a TObject so it can be attached to list lines the way the
// original stores code addresses.
struct TMethodInfo;

// An event handler value: the method ("Code") and the object it runs on ("Data").
struct TMethod {
    const TMethodInfo* Code = nullptr;
    TObject* Data = nullptr;
    bool Assigned() const { return Code != nullptr; }
    bool operator==(const TMethod& o) const { return Code == o.Code && Data == o.Data; }
    bool operator!=(const TMethod& o) const { return !(*this == o); }
};

namespace detail {
template <class F>
struct MemberFn;
template <class C, class... A>
struct MemberFn<void (C::*)(A...)> {
    using Class = C;
    using Args = std::tuple<A&...>;
    static std::type_index Signature() { return typeid(void (*)(A...)); }
};
template <auto Fn>
const TMethodInfo* MethodInfoFor();
}  // namespace detail

// Typed event: TEvent<TObject*> is the notify event. Invoking an unassigned event does nothing.
template <class... A>
class TEvent : public TMethod {
public:
    TEvent() = default;
    TEvent(const TMethod& m) : TMethod(Checked(m)) {}
    TEvent& operator=(const TMethod& m) {
        static_cast<TMethod&>(*this) = Checked(m);
        return *this;
    }
    // A handler from a member function and an object: TNotifyEvent::Of<&TfrmX::btnOkClick>(form).
    template <auto Fn>
    static TEvent Of(typename detail::MemberFn<decltype(Fn)>::Class* self);

    static std::type_index Signature() { return typeid(void (*)(A...)); }
    void operator()(A... args) const;
    void Clear() { Code = nullptr; Data = nullptr; }

private:
    static TMethod Checked(const TMethod& m);
};

// Declares an event type with its name as the original spells it.
#define PLAT_DECLARE_EVENT(Name, ...)                                  \
    struct Name : public ::plat::TEvent<__VA_ARGS__> {                 \
        using ::plat::TEvent<__VA_ARGS__>::TEvent;                     \
        Name() = default;                                              \
        Name(const ::plat::TEvent<__VA_ARGS__>& e) : ::plat::TEvent<__VA_ARGS__>(e) {} \
        static const char* TypeName() { return #Name; }                \
    };

struct TMethodInfo {
    virtual ~TMethodInfo() = default;
    std::string Name;                          // published name; empty when not published
    const TClassInfo* Class = nullptr;         // class that publishes it
    std::type_index Signature = typeid(void);  // parameter list
    void (*Invoke)(TObject* self, void* args) = nullptr;
};

// ---- Properties, fields, message handlers ---------------------------------------------------

struct TPropInfo {
    std::string Name;
    const TTypeInfo* PropType = nullptr;
    const TClassInfo* Declarer = nullptr;  // class that registered or published it
    bool Published = true;
    bool Stored = true;
    bool HasDefault = false;
    int64_t Default = 0;

    std::function<int64_t(const TObject*)> GetOrd;
    std::function<void(TObject*, int64_t)> SetOrd;
    std::function<double(const TObject*)> GetFloat;
    std::function<void(TObject*, double)> SetFloat;
    std::function<std::string(const TObject*)> GetStr;
    std::function<void(TObject*, const std::string&)> SetStr;
    std::function<TObject*(const TObject*)> GetObj;
    std::function<void(TObject*, TObject*)> SetObj;
    std::function<TMethod(const TObject*)> GetMethod;
    std::function<void(TObject*, const TMethod&)> SetMethod;
    std::function<Variant(const TObject*)> GetVar;
    std::function<void(TObject*, const Variant&)> SetVar;

    TTypeKind Kind() const { return PropType ? PropType->Kind : tkUnknown; }
    bool IsReadOnly() const { return !SetOrd && !SetFloat && !SetStr && !SetObj && !SetMethod && !SetVar; }
};

// A published field: the form's member pointer that a description's component of that name fills.
struct TFieldInfo {
    std::string Name;
    const TClassInfo* FieldClass = nullptr;                   // class the field holds
    std::function<void(TObject* self, TObject* value)> Set;  // raises on a wrong class
    std::function<TObject*(const TObject* self)> Get;
};

using TMessageHandler = std::function<void(TObject* self, TMessage& msg)>;

// ---- Class information --------------------------------------------------------------------

struct TClassInfo {
    TClassInfo(std::string name, const TClassInfo* parent) : Name(std::move(name)), Parent(parent) {}
    TClassInfo(const TClassInfo&) = delete;
    TClassInfo& operator=(const TClassInfo&) = delete;

    std::string Name;
    const TClassInfo* Parent;
    // Creation by class name: components (owner) and collection items (collection).
    std::function<TComponent*(TComponent* owner)> CreateComponent;
    std::function<TCollectionItem*(TCollection* collection)> CreateItem;

    std::vector<std::unique_ptr<TPropInfo>> Props;     // declared here, in registration order
    std::vector<const TMethodInfo*> Methods;           // published here
    std::vector<TFieldInfo> Fields;                    // published here
    std::map<uint32_t, TMessageHandler> Messages;      // answered here
    TTypeInfo Type;                                    // this class as a property type
    bool Described = false;

    bool InheritsFrom(const TClassInfo* other) const;
    bool InheritsFrom(const std::string& className) const;  // case-insensitive
    // The published property of that name (case-insensitive), the nearest class's declaration.
    const TPropInfo* FindProperty(const std::string& name) const;
    // Also unpublished (protected) properties, for the class's own code and descendants' Publish.
    const TPropInfo* FindAnyProperty(const std::string& name) const;
    // Published properties, ancestors' first, a redeclaration replacing the ancestor's in place.
    std::vector<const TPropInfo*> PropList() const;
    const TMethodInfo* FindMethod(const std::string& name) const;  // published, through the chain
    const TFieldInfo* FindField(const std::string& name) const;
    const TMessageHandler* FindMessage(uint32_t msg) const;  // nearest class answering msg
    // Class names from this class up to, not including, `stop` (nullptr: to the root).
    std::vector<std::string> ChainNames(const TClassInfo* stop = nullptr) const;
};

// Registry of classes by name (creation by registered class name). Registration happens when a
// library loads; unloading the library removes its classes.
void RegisterClass(const TClassInfo& info);
void UnregisterClass(const TClassInfo& info);
const TClassInfo* FindClass(const std::string& name);  // nullptr when not registered
const TClassInfo& GetClass(const std::string& name);   // raises EClassNotFound
// Creates a component of a registered class; raises EClassNotFound or when not creatable.
TComponent* CreateComponentByClassName(const std::string& className, TComponent* owner);

struct TClassRegistration {
    explicit TClassRegistration(const TClassInfo& (*get)()) : fInfo(&get()) { RegisterClass(*fInfo); }
    ~TClassRegistration() { UnregisterClass(*fInfo); }
    TClassRegistration(const TClassRegistration&) = delete;
    TClassRegistration& operator=(const TClassRegistration&) = delete;

private:
    const TClassInfo* fInfo;
};

// ---- The root class ------------------------------------------------------------------------

class TObject {
public:
    using Self = TObject;
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    static const TClassInfo& StaticClass();
    virtual const TClassInfo* ClassType() const { return &StaticClass(); }
    const std::string& ClassName() const { return ClassType()->Name; }
    bool InheritsFrom(const TClassInfo& c) const { return ClassType()->InheritsFrom(&c); }
    bool InheritsFrom(const std::string& className) const { return ClassType()->InheritsFrom(className); }
    // The published method of that name (case-insensitive), nullptr when none.
    const TMethodInfo* MethodAddress(const std::string& name) const { return ClassType()->FindMethod(name); }
    // The published name of a method of this object's class; empty when not published.
    std::string MethodName(const TMethodInfo* code) const;

    // Messages by id: the nearest class's registered handler, else DefaultHandler.
    virtual void Dispatch(TMessage& msg);
    virtual void DefaultHandler(TMessage& msg);
    // From inside a message handler of class `from`: the next handler up the chain (the
    // original's "inherited" in a message method).
    void InheritedMessage(TMessage& msg, const TClassInfo& from);

    // Two-phase life: AfterConstruction runs once the whole object exists (CreateObject calls
    // it); Free runs BeforeDestruction while the whole object still exists, then deletes it.
    virtual void AfterConstruction() {}
    virtual void BeforeDestruction() {}
    virtual void Free();
    void FreeAfterFailedConstruction() { Free(); }
};

// Frees the object and clears the pointer (the pointer is cleared first, as the original does).
template <class T>
void FreeAndNil(T*& obj) {
    T* o = obj;
    obj = nullptr;
    if (o) o->Free();
}

// ---- Builder -------------------------------------------------------------------------------

namespace detail {
template <class T>
using Bare = std::remove_cvref_t<T>;

template <class T>
concept HasEventTypeName = requires { { T::TypeName() } -> std::convertible_to<const char*>; };
template <class T>
concept HasStaticClass = requires { { T::StaticClass() } -> std::same_as<const TClassInfo&>; };
template <class T>
concept HasTypeInfoOf = requires { { TTypeInfoOf<T>::Get() } -> std::same_as<const TTypeInfo*>; };

const TTypeInfo* EventTypeInfo(const char* name, std::type_index sig);
[[noreturn]] void RaiseWrongClass(const TObject* self, const TClassInfo& expected);
[[noreturn]] void RaiseSignatureMismatch(const TMethodInfo* code);

template <class T>
const TTypeInfo* DeduceType() {
    using B = Bare<T>;
    if constexpr (std::is_same_v<B, bool>) return TypeBoolean();
    else if constexpr (std::is_same_v<B, char>) return TypeChar();
    else if constexpr (std::is_same_v<B, uint16_t>) return TypeWord();
    else if constexpr (std::is_same_v<B, int64_t>) return TypeInt64();
    else if constexpr (std::is_integral_v<B>) return TypeInteger();
    else if constexpr (std::is_floating_point_v<B>) return TypeDouble();
    else if constexpr (std::is_same_v<B, std::string>) return TypeString();
    else if constexpr (std::is_same_v<B, Variant>) return TypeVariant();
    else if constexpr (std::is_pointer_v<B>) return &std::remove_pointer_t<B>::StaticClass().Type;
    else if constexpr (HasEventTypeName<B>) return EventTypeInfo(B::TypeName(), B::Signature());
    else if constexpr (std::is_base_of_v<TMethod, B>) return EventTypeInfo("TMethod", typeid(void));
    else if constexpr (HasTypeInfoOf<B>) return TTypeInfoOf<B>::Get();
    else static_assert(sizeof(B) == 0, "no type information for this property type");
}

template <class C>
C* Self(TObject* o) {
    if (auto* c = dynamic_cast<C*>(o)) return c;
    RaiseWrongClass(o, C::StaticClass());
}
template <class C>
const C* Self(const TObject* o) {
    if (auto* c = dynamic_cast<const C*>(o)) return c;
    RaiseWrongClass(o, C::StaticClass());
}

// Wires a typed getter and setter into the untyped accessors of a property.
template <class V>
void Wire(TPropInfo& p, std::function<V(const TObject*)> get, std::function<void(TObject*, V)> set) {
    using B = Bare<V>;
    if constexpr (std::is_same_v<B, bool>) {
        p.GetOrd = [get](const TObject* o) { return static_cast<int64_t>(get(o) ? 1 : 0); };
        if (set) p.SetOrd = [set](TObject* o, int64_t v) { set(o, v != 0); };
    } else if constexpr (std::is_integral_v<B> || std::is_enum_v<B>) {
        p.GetOrd = [get](const TObject* o) { return static_cast<int64_t>(get(o)); };
        if (set) p.SetOrd = [set](TObject* o, int64_t v) { set(o, static_cast<B>(v)); };
    } else if constexpr (IsTSet<B>::value) {
        p.GetOrd = [get](const TObject* o) { return static_cast<int64_t>(get(o).Bits()); };
        if (set) p.SetOrd = [set](TObject* o, int64_t v) { set(o, B::FromBits(static_cast<uint32_t>(v))); };
    } else if constexpr (std::is_floating_point_v<B>) {
        p.GetFloat = [get](const TObject* o) { return static_cast<double>(get(o)); };
        if (set) p.SetFloat = [set](TObject* o, double v) { set(o, static_cast<B>(v)); };
    } else if constexpr (std::is_same_v<B, std::string>) {
        p.GetStr = [get](const TObject* o) { return std::string(get(o)); };
        if (set) p.SetStr = [set](TObject* o, const std::string& v) { set(o, v); };
    } else if constexpr (std::is_same_v<B, Variant>) {
        p.GetVar = [get](const TObject* o) { return Variant(get(o)); };
        if (set) p.SetVar = [set](TObject* o, const Variant& v) { set(o, v); };
    } else if constexpr (std::is_pointer_v<B>) {
        using T = std::remove_pointer_t<B>;
        p.GetObj = [get](const TObject* o) -> TObject* { return const_cast<std::remove_const_t<T>*>(get(o)); };
        if (set)
            p.SetObj = [set](TObject* o, TObject* v) {
                T* t = nullptr;
                if (v) {
                    t = dynamic_cast<T*>(v);
                    if (!t) RaiseWrongClass(v, T::StaticClass());
                }
                set(o, t);
            };
    } else if constexpr (std::is_base_of_v<TMethod, B>) {
        p.GetMethod = [get](const TObject* o) { return static_cast<TMethod>(get(o)); };
        if (set) p.SetMethod = [set](TObject* o, const TMethod& m) { set(o, B(m)); };
    }
}
}  // namespace detail

// Refines the property just registered.
class TPropBuilder {
public:
    explicit TPropBuilder(TPropInfo& p) : fProp(p) {}
    TPropBuilder& Type(const TTypeInfo* t) { fProp.PropType = t; return *this; }
    TPropBuilder& TypeName(const std::string& name) { fProp.PropType = NamedType(name, fProp.PropType->Kind); return *this; }
    TPropBuilder& Default(int64_t v) { fProp.HasDefault = true; fProp.Default = v; return *this; }
    TPropBuilder& NotStored() { fProp.Stored = false; return *this; }
    // Registered for the class and its descendants' Publish, but not published here.
    TPropBuilder& Unpublished() { fProp.Published = false; return *this; }
    TPropInfo& Info() { return fProp; }

private:
    TPropInfo& fProp;
};

template <class C>
class TClassBuilder {
public:
    explicit TClassBuilder(TClassInfo& info) : fInfo(info) {}
    TClassInfo& Info() { return fInfo; }

    // Builds (once) the class information of C.
    static void Describe(TClassInfo& info) {
        info.Type.Name = info.Name;
        info.Type.Kind = tkClass;
        info.Type.ClassType = &info;
        if constexpr (!std::is_abstract_v<C> && std::is_constructible_v<C, TComponent*>)
            info.CreateComponent = [](TComponent* owner) -> TComponent* { return CreateObject<C>(owner); };
        if constexpr (!std::is_abstract_v<C> && std::is_constructible_v<C, TCollection*>)
            info.CreateItem = [](TCollection* coll) -> TCollectionItem* { return new C(coll); };
        TClassBuilder b(info);
        C::DescribeClass(b);
    }

    // A property read and written through member functions (setter may be omitted: read-only).
    template <class R, class G, class S, class A>
    TPropBuilder Property(const std::string& name, R (G::*get)() const, void (S::*set)(A)) {
        static_assert(std::is_base_of_v<G, C> && std::is_base_of_v<S, C>);
        using V = detail::Bare<R>;
        TPropInfo& p = Add(name, detail::DeduceType<V>());
        std::function<V(const TObject*)> g = [get](const TObject* o) -> V { return (detail::Self<G>(o)->*get)(); };
        std::function<void(TObject*, V)> s = [set](TObject* o, V v) { (detail::Self<S>(o)->*set)(static_cast<A>(v)); };
        detail::Wire<V>(p, g, s);
        return TPropBuilder(p);
    }
    template <class R, class G>
    TPropBuilder Property(const std::string& name, R (G::*get)() const) {
        static_assert(std::is_base_of_v<G, C>);
        using V = detail::Bare<R>;
        TPropInfo& p = Add(name, detail::DeduceType<V>());
        std::function<V(const TObject*)> g = [get](const TObject* o) -> V { return (detail::Self<G>(o)->*get)(); };
        detail::Wire<V>(p, g, std::function<void(TObject*, V)>());
        return TPropBuilder(p);
    }
    // A property stored directly in a field (events are usually fields).
    template <class M, class F>
    TPropBuilder Property(const std::string& name, M F::*field) {
        static_assert(std::is_base_of_v<F, C>);
        using V = detail::Bare<M>;
        TPropInfo& p = Add(name, detail::DeduceType<V>());
        std::function<V(const TObject*)> g = [field](const TObject* o) -> V { return detail::Self<F>(o)->*field; };
        std::function<void(TObject*, V)> s = [field](TObject* o, V v) { detail::Self<F>(o)->*field = v; };
        detail::Wire<V>(p, g, s);
        return TPropBuilder(p);
    }
    // A field-stored property with its own setter (assigning through the setter).
    template <class M, class F, class S, class A>
    TPropBuilder Property(const std::string& name, M F::*field, void (S::*set)(A)) {
        using V = detail::Bare<M>;
        TPropInfo& p = Add(name, detail::DeduceType<V>());
        std::function<V(const TObject*)> g = [field](const TObject* o) -> V { return detail::Self<F>(o)->*field; };
        std::function<void(TObject*, V)> s = [set](TObject* o, V v) { (detail::Self<S>(o)->*set)(static_cast<A>(v)); };
        detail::Wire<V>(p, g, s);
        return TPropBuilder(p);
    }
    // Event properties read the same way; a separate name reads better in class descriptions.
    template <class M, class F>
    TPropBuilder Event(const std::string& name, M F::*field) { return Property(name, field); }

    // Publishes properties an ancestor registered unpublished (or re-publishes published ones).
    void Publish(std::initializer_list<const char*> names);

    // A published method: b.Method<&TfrmX::btnOkClick>("btnOkClick") (or PLAT_METHOD(btnOkClick)).
    template <auto Fn>
    void Method(const std::string& name) {
        auto* m = const_cast<TMethodInfo*>(detail::MethodInfoFor<Fn>());
        if (m->Name.empty()) {
            m->Name = name;
            m->Class = &fInfo;
        }
        fInfo.Methods.push_back(m);
    }

    // A published field: a description's component of that name is stored into it.
    template <class T, class F>
    void Field(const std::string& name, T* F::*field) {
        static_assert(std::is_base_of_v<F, C>);
        TFieldInfo fi;
        fi.Name = name;
        fi.FieldClass = &T::StaticClass();
        fi.Set = [field](TObject* self, TObject* v) {
            T* t = nullptr;
            if (v) {
                t = dynamic_cast<T*>(v);
                if (!t) detail::RaiseWrongClass(v, T::StaticClass());
            }
            detail::Self<F>(self)->*field = t;
        };
        fi.Get = [field](const TObject* self) -> TObject* { return detail::Self<F>(self)->*field; };
        fInfo.Fields.push_back(std::move(fi));
    }

    // A message handler: void (C::*)(TMessage&).
    template <class F>
    void Message(uint32_t msg, void (F::*handler)(TMessage&)) {
        fInfo.Messages[msg] = [handler](TObject* self, TMessage& m) { (detail::Self<F>(self)->*handler)(m); };
    }

private:
    TPropInfo& Add(const std::string& name, const TTypeInfo* type) {
        auto p = std::make_unique<TPropInfo>();
        p->Name = name;
        p->PropType = type;
        p->Declarer = &fInfo;
        fInfo.Props.push_back(std::move(p));
        return *fInfo.Props.back();
    }
    TClassInfo& fInfo;
};

void PublishInherited(TClassInfo& info, std::initializer_list<const char*> names);
template <class C>
void TClassBuilder<C>::Publish(std::initializer_list<const char*> names) {
    PublishInherited(fInfo, names);
}

// Two-phase creation: construct, then AfterConstruction (where a form reads its descriptions
// and runs OnCreate, once the whole object exists). Create components this way.
template <class T, class... Args>
T* CreateObject(Args&&... args) {
    T* obj = new T(std::forward<Args>(args)...);
    try {
        obj->AfterConstruction();
    } catch (...) {
        obj->FreeAfterFailedConstruction();
        throw;
    }
    return obj;
}

// In the class body: declares the class information. Leaves the access at public.
#define PLAT_CLASS(Cls)                                           \
public:                                                           \
    using Self = Cls;                                             \
    static const ::plat::TClassInfo& StaticClass();               \
    const ::plat::TClassInfo* ClassType() const override { return &StaticClass(); } \
    static void DescribeClass(::plat::TClassBuilder<Cls>& b);     \
    friend class ::plat::TClassBuilder<Cls>;

// In the .cpp: defines the class information; the body that follows describes the class
// through the builder `b`.
#define PLAT_REGISTER_CLASS(Cls, Parent)                                               \
    const ::plat::TClassInfo& Cls::StaticClass() {                                     \
        static ::plat::TClassInfo info(#Cls, &Parent::StaticClass());                  \
        if (!info.Described) {                                                         \
            info.Described = true;                                                     \
            ::plat::TClassBuilder<Cls>::Describe(info);                                \
        }                                                                              \
        return info;                                                                   \
    }                                                                                  \
    static const ::plat::TClassRegistration Cls##_Registration_(&Cls::StaticClass);   \
    void Cls::DescribeClass([[maybe_unused]] ::plat::TClassBuilder<Cls>& b)

// Short forms inside a class description.
#define PLAT_METHOD(name) b.template Method<&Self::name>(#name)
#define PLAT_FIELD(name) b.Field(#name, &Self::name)

// ---- Method plumbing -----------------------------------------------------------------------

namespace detail {
template <auto Fn>
const TMethodInfo* MethodInfoFor() {
    using Traits = MemberFn<decltype(Fn)>;
    using C = typename Traits::Class;
    static TMethodInfo info = [] {
        TMethodInfo m;
        m.Signature = Traits::Signature();
        m.Invoke = [](TObject* self, void* args) {
            C* obj = dynamic_cast<C*>(self);
            if (!obj) RaiseWrongClass(self, C::StaticClass());
            std::apply([obj](auto&&... a) { (obj->*Fn)(a...); }, *static_cast<typename Traits::Args*>(args));
        };
        return m;
    }();
    return &info;
}
}  // namespace detail

template <class... A>
template <auto Fn>
TEvent<A...> TEvent<A...>::Of(typename detail::MemberFn<decltype(Fn)>::Class* self) {
    TMethod m;
    m.Code = detail::MethodInfoFor<Fn>();
    m.Data = self;
    return TEvent(m);
}

template <class... A>
TMethod TEvent<A...>::Checked(const TMethod& m) {
    if (m.Code && m.Code->Signature != Signature()) detail::RaiseSignatureMismatch(m.Code);
    return m;
}

template <class... A>
void TEvent<A...>::operator()(A... args) const {
    if (!Code) return;
    std::tuple<A&...> t(args...);
    Code->Invoke(Data, &t);
}

// Calls a published method by name with the given arguments (signature checked).
template <class... A>
void CallPublishedMethod(TObject* self, const std::string& name, A... args) {
    const TMethodInfo* m = self->MethodAddress(name);
    if (!m) throw EInvalidOperation("Method " + name + " not found in class " + self->ClassName());
    TEvent<A...> e(TMethod{m, self});
    e(args...);
}

}  // namespace plat
