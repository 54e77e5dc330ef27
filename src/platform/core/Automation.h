#pragma once
// Automation objects: reference-counted objects answering late-bound calls by name.
//
// A call names a member (case-insensitive), says how it is invoked (method, property get or
// property put) and passes Variant arguments, each by value or by reference. A by-reference
// argument points at the caller's Variant; the callee writes into it and the caller sees the new
// value when the call returns. A remote proxy marshals a call as: name, kind, the argument values
// with their by-reference flags; the answer is the result, the values of the by-reference
// arguments after the call, or an error text.
//
// Every exception leaving a call reaches the caller as EOleException carrying the message, so an
// object in this process and one behind a socket fail alike. Calling a member the object does not
// have raises EOleException naming the member.
//
// Usage:
//   Variant app = CreateOleObject("QueueManagerC.Class1");
//   Variant count;
//   OleCall(app, "LoadTable", {"CMSME", Ref(count)});   // count is written by the callee
//   OlePut(app, "Visible", true);
//   std::string caption = OleGet(app, "Caption").AsString();
//   // or on the pointer: obj->Call("Navigate", {url}); obj->Get("Busy"); obj->Put("left", 0);
#include <functional>
#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/core/Variant.h"

namespace plat {

enum class TInvokeKind { Method, PropertyGet, PropertyPut };

// One argument of a call: a value of its own, or a reference to the caller's Variant.
class TVarArg {
public:
    TVarArg() = default;
    TVarArg(const Variant& value) : fValue(value) {}
    TVarArg(Variant&& value) : fValue(std::move(value)) {}
    // Anything a Variant can be made from (int, double, bool, text, object) passes by value.
    template <class T>
        requires(std::is_constructible_v<Variant, T&&> &&
                 !std::is_same_v<std::remove_cvref_t<T>, Variant> &&
                 !std::is_same_v<std::remove_cvref_t<T>, TVarArg>)
    TVarArg(T&& value) : fValue(std::forward<T>(value)) {}

    // By reference: the callee reads and writes `target`, which must outlive the call.
    static TVarArg ByRef(Variant& target) {
        TVarArg a;
        a.fRef = &target;
        return a;
    }

    bool IsByRef() const { return fRef != nullptr; }
    // The argument's value: the caller's Variant for a by-reference argument.
    const Variant& Value() const { return fRef ? *fRef : fValue; }
    // Writable value. Writing a by-reference argument writes the caller's Variant; writing a
    // by-value argument changes only the callee's copy.
    Variant& Value() { return fRef ? *fRef : fValue; }

private:
    Variant fValue;
    Variant* fRef = nullptr;
};

// Pass `target` by reference: OleCall(obj, "GetCount", {Ref(count)}).
inline TVarArg Ref(Variant& target) { return TVarArg::ByRef(target); }

using TVarArgs = std::span<TVarArg>;

// An automation object. Implement DoInvoke (or derive from TDispatchObject, which dispatches to
// registered members). Callers use Invoke, Call, Get and Put; those wrap every failure as
// EOleException.
class TAutoObject : public std::enable_shared_from_this<TAutoObject> {
public:
    TAutoObject() = default;
    explicit TAutoObject(std::string className) : fClassName(std::move(className)) {}
    TAutoObject(const TAutoObject&) = delete;
    TAutoObject& operator=(const TAutoObject&) = delete;
    virtual ~TAutoObject();

    // The class name the object was created by ("ReportCounterS.dmReportCounter"); what the
    // JSON form of a Variant holding it shows. CreateOleObject sets it when it is still empty.
    virtual std::string ClassName() const { return fClassName; }
    void SetClassName(const std::string& className) { fClassName = className; }

    // The late-bound call. For PropertyPut the value to assign is the LAST argument (after any
    // index arguments). Any exception is raised again as EOleException with the same message
    // (an EOleException passes on, given the class name as Source when it has none); the
    // Source of a wrapped error is the object's class name.
    Variant Invoke(const std::string& name, TInvokeKind kind, TVarArgs args);

    Variant Call(const std::string& name, std::initializer_list<TVarArg> args = {});
    Variant Call(const std::string& name, std::vector<TVarArg>& args);
    Variant Get(const std::string& name, std::initializer_list<TVarArg> indices = {});
    void Put(const std::string& name, const Variant& value);

protected:
    // Answer one call. Raise anything on failure; Invoke turns it into EOleException.
    virtual Variant DoInvoke(const std::string& name, TInvokeKind kind, TVarArgs args) = 0;

    // The error for a member this object lacks: EOleException naming the member and the class.
    [[noreturn]] void UnknownMember(const std::string& name, TInvokeKind kind) const;

private:
    std::string fClassName;
};

// The arguments as a handler of a TDispatchObject sees them.
class TAutoArgs {
public:
    explicit TAutoArgs(TVarArgs args, const std::string& member = {}) : fArgs(args), fMember(member) {}
    size_t Count() const { return fArgs.size(); }
    // The value of argument `index` (from 0); raises EOleException when the caller passed fewer.
    const Variant& operator[](size_t index) const;
    // The value of argument `index`, or `fallback` when the caller passed fewer (optional arguments).
    Variant Get(size_t index, const Variant& fallback = Variant()) const;
    bool IsByRef(size_t index) const { return index < fArgs.size() && fArgs[index].IsByRef(); }
    // Writable argument: for a by-reference argument this writes the caller's Variant.
    Variant& Out(size_t index);
    TVarArgs Span() const { return fArgs; }

private:
    TVarArgs fArgs;
    std::string fMember;
};

using TAutoMethod = std::function<Variant(TAutoArgs& args)>;
using TAutoGetter = std::function<Variant()>;
using TAutoSetter = std::function<void(const Variant& value)>;

// An automation object whose members are registered by name; the quick way to write the host
// application object, the server object and test doubles:
//   class TBrowser : public TDispatchObject {
//   public:
//       TBrowser() : TDispatchObject("InternetExplorer.Application") {
//           RegisterMethod("Navigate", [this](TAutoArgs& a) { fUrl = a[0].AsString(); return Variant(); });
//           RegisterProperty("Visible", [this] { return Variant(fVisible); },
//                            [this](const Variant& v) { fVisible = v.AsBoolean(); });
//       }
//   };
// A method answers both Method and PropertyGet calls (late binding cannot tell `obj.Name` from
// `obj.Name()`); a property getter does the same. Put calls go to the property's setter.
class TDispatchObject : public TAutoObject {
public:
    using TAutoObject::TAutoObject;

    // Members registered so far (for diagnostics and tests).
    bool HasMember(const std::string& name) const;

protected:
    void RegisterMethod(const std::string& name, TAutoMethod method);
    // A property without indices; a null setter makes it read-only (put raises).
    void RegisterProperty(const std::string& name, TAutoGetter getter, TAutoSetter setter = {});
    // A property with index arguments: the getter sees the indices, the setter the indices and
    // the value as the last argument. Either may be null.
    void RegisterIndexedProperty(const std::string& name, TAutoMethod getter, TAutoMethod setter);

    // Dispatches to the registered members; override to add a fallback, calling this first.
    Variant DoInvoke(const std::string& name, TInvokeKind kind, TVarArgs args) override;

private:
    struct TMember {
        TAutoMethod Get;  // Method and PropertyGet
        TAutoMethod Put;  // PropertyPut
    };
    struct TLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    std::map<std::string, TMember, TLess> fMembers;
};

// Calls on a Variant holding an automation object. A Variant that holds no object raises
// EVariantTypeCastError; failures of the call raise EOleException.
Variant OleCall(const Variant& object, const std::string& name, std::initializer_list<TVarArg> args = {});
Variant OleCall(const Variant& object, const std::string& name, std::vector<TVarArg>& args);
Variant OleGet(const Variant& object, const std::string& name, std::initializer_list<TVarArg> indices = {});
void OlePut(const Variant& object, const std::string& name, const Variant& value);

// ---- Class registry ------------------------------------------------------------------------

using TAutoFactory = std::function<TAutoObjectPtr()>;

// Built-in registration (case-insensitive class name); a later registration of the same name
// replaces the earlier one. Thread-safe.
void RegisterAutoClass(const std::string& className, TAutoFactory factory);
void UnregisterAutoClass(const std::string& className);

// Library-based classes are listed in the installation's class file (see ClassFileName). The
// entry a class names has this signature; it returns an object made with `new`, which the
// platform then owns (it deletes it when the last reference goes). The library stays loaded for
// the rest of the process.
extern "C" {
typedef TAutoObject* (*TAutoClassEntry)();
}

// The class file: $XQ_CLASSES when set; else $XQ_INSTALL/Classes.ini when XQ_INSTALL is set;
// else Classes.ini in the parent folder of the running executable's folder (the installation
// root: stage/bin/.. = stage). Format (read on every look-up that built-ins do not answer):
//   [Classes]
//   ReportCounterS.dmReportCounter=S_PKG/ReportCounterS.so;CreateReportCounter
// Library paths are relative to the class file's folder unless absolute; a Windows name
// (.dll) is mapped by the platform's library loading.
std::string ClassFileName();

// True when the class is registered built-in or in the class file.
bool IsAutoClassRegistered(const std::string& className);

// Creates an object of the class: built-in registrations first, then the class file. An
// unknown class raises EOleError naming it; a library or entry that cannot be loaded raises
// EOleError saying which.
TAutoObjectPtr CreateOleObject(const std::string& className);

}  // namespace plat
