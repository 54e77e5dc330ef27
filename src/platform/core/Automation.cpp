#include "platform/core/Automation.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>

#include "platform/system/Library.h"

namespace plat {

namespace {

// Error codes the automation standard gives these failures (they travel with EOleException).
constexpr int kDispUnknownName = static_cast<int>(0x80020006u);
constexpr int kDispMemberNotFound = static_cast<int>(0x80020003u);
constexpr int kDispParamNotOptional = static_cast<int>(0x8002000Fu);

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

std::string ObjectLabel(const std::string& className) {
    return className.empty() ? std::string("the automation object") : "automation object \"" + className + "\"";
}

}  // namespace

// ---- TAutoObject ---------------------------------------------------------------------------

TAutoObject::~TAutoObject() = default;

Variant TAutoObject::Invoke(const std::string& name, TInvokeKind kind, TVarArgs args) {
    try {
        return DoInvoke(name, kind, args);
    } catch (EOleException& e) {
        if (e.Source.empty()) e.Source = ClassName();
        throw;
    } catch (const std::exception& e) {
        throw EOleException(e.what(), 0, ClassName());
    } catch (...) {
        throw EOleException("The call of \"" + name + "\" on " + ObjectLabel(ClassName()) +
                                " failed with an unknown error",
                            0, ClassName());
    }
}

Variant TAutoObject::Call(const std::string& name, std::initializer_list<TVarArg> args) {
    std::vector<TVarArg> list(args);
    return Invoke(name, TInvokeKind::Method, list);
}

Variant TAutoObject::Call(const std::string& name, std::vector<TVarArg>& args) {
    return Invoke(name, TInvokeKind::Method, args);
}

Variant TAutoObject::Get(const std::string& name, std::initializer_list<TVarArg> indices) {
    std::vector<TVarArg> list(indices);
    return Invoke(name, TInvokeKind::PropertyGet, list);
}

void TAutoObject::Put(const std::string& name, const Variant& value) {
    TVarArg arg(value);
    Invoke(name, TInvokeKind::PropertyPut, TVarArgs(&arg, 1));
}

void TAutoObject::UnknownMember(const std::string& name, TInvokeKind kind) const {
    const char* what = kind == TInvokeKind::Method ? "Method" : "Property";
    throw EOleException(std::string(what) + " \"" + name + "\" is not supported by " + ObjectLabel(ClassName()),
                        kDispUnknownName, ClassName());
}

// ---- TAutoArgs -----------------------------------------------------------------------------

const Variant& TAutoArgs::operator[](size_t index) const {
    if (index >= fArgs.size())
        throw EOleException("Argument " + std::to_string(index + 1) + (fMember.empty() ? "" : " of \"" + fMember + "\"") +
                                " is missing: the call passed " + std::to_string(fArgs.size()) + " argument(s)",
                            kDispParamNotOptional);
    return fArgs[index].Value();
}

Variant TAutoArgs::Get(size_t index, const Variant& fallback) const {
    return index < fArgs.size() ? fArgs[index].Value() : fallback;
}

Variant& TAutoArgs::Out(size_t index) {
    (void)operator[](index);  // raises when missing
    return fArgs[index].Value();
}

// ---- TDispatchObject -----------------------------------------------------------------------

bool TDispatchObject::TLess::operator()(const std::string& a, const std::string& b) const {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int ca = std::tolower(static_cast<unsigned char>(a[i]));
        int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb;
    }
    return a.size() < b.size();
}

bool TDispatchObject::HasMember(const std::string& name) const { return fMembers.count(name) != 0; }

void TDispatchObject::RegisterMethod(const std::string& name, TAutoMethod method) {
    fMembers[name].Get = std::move(method);
}

void TDispatchObject::RegisterProperty(const std::string& name, TAutoGetter getter, TAutoSetter setter) {
    TMember& m = fMembers[name];
    if (getter) m.Get = [g = std::move(getter)](TAutoArgs&) { return g(); };
    if (setter)
        m.Put = [s = std::move(setter), name](TAutoArgs& a) {
            s(a[a.Count() == 0 ? 0 : a.Count() - 1]);
            return Variant();
        };
}

void TDispatchObject::RegisterIndexedProperty(const std::string& name, TAutoMethod getter, TAutoMethod setter) {
    TMember& m = fMembers[name];
    if (getter) m.Get = std::move(getter);
    if (setter) m.Put = std::move(setter);
}

Variant TDispatchObject::DoInvoke(const std::string& name, TInvokeKind kind, TVarArgs args) {
    auto it = fMembers.find(name);
    if (it == fMembers.end()) UnknownMember(name, kind);
    TAutoArgs a(args, it->first);
    if (kind == TInvokeKind::PropertyPut) {
        if (!it->second.Put)
            throw EOleException("Property \"" + it->first + "\" of " + ObjectLabel(ClassName()) +
                                    " cannot be assigned: it is read-only or a method",
                                kDispMemberNotFound, ClassName());
        it->second.Put(a);
        return Variant();
    }
    if (!it->second.Get)
        throw EOleException("Property \"" + it->first + "\" of " + ObjectLabel(ClassName()) +
                                " cannot be read: it is write-only",
                            kDispMemberNotFound, ClassName());
    return it->second.Get(a);
}

// ---- Calls on Variants ---------------------------------------------------------------------

namespace {
TAutoObjectPtr TargetOf(const Variant& object, const std::string& name) {
    TAutoObjectPtr p = object.AsObject();  // raises when the Variant holds no object
    if (!p)
        throw EOleError("Cannot call \"" + name +
                        "\": the Variant holds an empty object reference (the object was never assigned)");
    return p;
}
}  // namespace

Variant OleCall(const Variant& object, const std::string& name, std::initializer_list<TVarArg> args) {
    return TargetOf(object, name)->Call(name, args);
}

Variant OleCall(const Variant& object, const std::string& name, std::vector<TVarArg>& args) {
    return TargetOf(object, name)->Call(name, args);
}

Variant OleGet(const Variant& object, const std::string& name, std::initializer_list<TVarArg> indices) {
    return TargetOf(object, name)->Get(name, indices);
}

void OlePut(const Variant& object, const std::string& name, const Variant& value) {
    TargetOf(object, name)->Put(name, value);
}

// ---- Class registry ------------------------------------------------------------------------

namespace {

struct TClassRegistry {
    std::mutex Lock;
    std::vector<std::pair<std::string, TAutoFactory>> BuiltIn;
    // Libraries loaded for file-registered classes, by full path; kept for the process so
    // objects (and any objects they make) never outlive their code.
    std::map<std::string, void*> Libraries;
};

TClassRegistry& Registry() {
    static TClassRegistry* r = new TClassRegistry;  // never destroyed: objects may die at exit
    return *r;
}

std::optional<TAutoFactory> FindBuiltIn(TClassRegistry& r, const std::string& className) {
    for (auto& [name, factory] : r.BuiltIn)
        if (EqualNoCase(name, className)) return factory;
    return std::nullopt;
}

struct TFileEntry {
    std::string Library;  // as written
    std::string Entry;
};

std::optional<TFileEntry> FindInClassFile(const std::string& fileName, const std::string& className) {
    std::ifstream in(fileName);
    if (!in) return std::nullopt;
    std::string line;
    bool inClasses = false;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            size_t close = line.find(']');
            inClasses = close != std::string::npos && EqualNoCase(Trim(line.substr(1, close - 1)), "Classes");
            continue;
        }
        if (!inClasses) continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        if (!EqualNoCase(Trim(line.substr(0, eq)), className)) continue;
        std::string value = Trim(line.substr(eq + 1));
        size_t semi = value.rfind(';');
        if (semi == std::string::npos)
            throw EOleError("The class file \"" + fileName + "\" lists class \"" + className +
                            "\" without an entry point: write <library>;<entry>");
        return TFileEntry{Trim(value.substr(0, semi)), Trim(value.substr(semi + 1))};
    }
    return std::nullopt;
}

std::string ExecutableFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return ".";
    return exe.parent_path().string();
}

// Loads the library of a class-file entry by the platform's rules (a ".dll" name stands for the
// ".so" of the same base name, found ignoring case). A bare name that is not beside the class
// file is searched like any library: beside the calling module, the installation, the system.
void* LoadClassLibrary(const std::string& path, const std::string& written, std::string& error) {
    HMODULE h = LoadLibrary(path);
    if (!h && written.find('/') == std::string::npos) {
        std::string first = LibraryLoadError();
        h = LoadLibrary(written);
        if (!h) error = first + "; " + LibraryLoadError();
    } else if (!h) {
        error = LibraryLoadError();
    }
    return h;
}

TAutoObjectPtr CreateFromFile(const std::string& className, const std::string& classFile, const TFileEntry& entry) {
    std::string libText = entry.Library;  // may be written with '\\'
    for (auto& c : libText)
        if (c == '\\') c = '/';
    std::filesystem::path lib(libText);
    if (lib.is_relative()) lib = std::filesystem::path(classFile).parent_path() / lib;
    std::string path = lib.lexically_normal().string();

    void* handle = nullptr;
    {
        TClassRegistry& r = Registry();
        std::lock_guard<std::mutex> g(r.Lock);
        auto it = r.Libraries.find(path);
        if (it != r.Libraries.end()) {
            handle = it->second;
        } else {
            std::string error;
            handle = LoadClassLibrary(path, libText, error);
            if (!handle)
                throw EOleError("Cannot create \"" + className + "\": its library \"" + path +
                                "\" (from " + classFile + ") cannot be loaded: " + error);
            r.Libraries[path] = handle;
        }
    }
    auto entryPoint = reinterpret_cast<TAutoClassEntry>(GetProcAddress(handle, entry.Entry));
    if (!entryPoint)
        throw EOleError("Cannot create \"" + className + "\": the library \"" + path + "\" has no entry \"" +
                        entry.Entry + "\" (check " + classFile + ")");
    TAutoObject* raw = nullptr;
    try {
        raw = entryPoint();
    } catch (const std::exception& e) {
        throw EOleError("Cannot create \"" + className + "\": " + e.what());
    }
    if (!raw) throw EOleError("Cannot create \"" + className + "\": its entry \"" + entry.Entry + "\" returned no object");
    return TAutoObjectPtr(raw);
}

}  // namespace

void RegisterAutoClass(const std::string& className, TAutoFactory factory) {
    TClassRegistry& r = Registry();
    std::lock_guard<std::mutex> g(r.Lock);
    for (auto& [name, f] : r.BuiltIn)
        if (EqualNoCase(name, className)) {
            f = std::move(factory);
            return;
        }
    r.BuiltIn.emplace_back(className, std::move(factory));
}

void UnregisterAutoClass(const std::string& className) {
    TClassRegistry& r = Registry();
    std::lock_guard<std::mutex> g(r.Lock);
    std::erase_if(r.BuiltIn, [&](auto& item) { return EqualNoCase(item.first, className); });
}

std::string ClassFileName() {
    if (const char* f = std::getenv("XQ_CLASSES"); f && *f) return f;
    if (const char* i = std::getenv("XQ_INSTALL"); i && *i) return (std::filesystem::path(i) / "Classes.ini").string();
    return (std::filesystem::path(ExecutableFolder()).parent_path() / "Classes.ini").string();
}

bool IsAutoClassRegistered(const std::string& className) {
    {
        TClassRegistry& r = Registry();
        std::lock_guard<std::mutex> g(r.Lock);
        if (FindBuiltIn(r, className)) return true;
    }
    return FindInClassFile(ClassFileName(), className).has_value();
}

TAutoObjectPtr CreateOleObject(const std::string& className) {
    std::optional<TAutoFactory> factory;
    {
        TClassRegistry& r = Registry();
        std::lock_guard<std::mutex> g(r.Lock);
        factory = FindBuiltIn(r, className);
    }
    TAutoObjectPtr object;
    if (factory) {
        try {
            object = (*factory)();
        } catch (const EOleError&) {
            throw;
        } catch (const std::exception& e) {
            throw EOleError("Cannot create \"" + className + "\": " + e.what());
        }
        if (!object) throw EOleError("Cannot create \"" + className + "\": its factory returned no object");
    } else {
        std::string classFile = ClassFileName();
        auto entry = FindInClassFile(classFile, className);
        if (!entry)
            throw EOleError("Invalid class string: class \"" + className +
                            "\" is not registered (neither built in nor listed in " + classFile +
                            "); install the component that provides it");
        object = CreateFromFile(className, classFile, *entry);
    }
    if (object->ClassName().empty()) object->SetClassName(className);
    return object;
}

}  // namespace plat
