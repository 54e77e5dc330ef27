#pragma once
// Named resources compiled into the library that owns them: form descriptions and bitmaps.
// cmake/XqResources.cmake generates the registrations; they run when the library loads and are
// removed when it unloads. Look-ups see the resources of every loaded library, so an ancestor's
// description is found by class name wherever it lives.
#include <cstddef>
#include <string>
#include <vector>

namespace plat {

enum class TResourceKind { Description, Bitmap, Data };

struct TResource {
    std::string Module;   // the library (target) that registered it
    std::string Name;     // resource name (a description's: its file name without extension)
    TResourceKind Kind = TResourceKind::Data;
    const unsigned char* Bytes = nullptr;
    size_t Size = 0;
    std::string Text() const { return std::string(reinterpret_cast<const char*>(Bytes), Size); }
};

void RegisterResource(const std::string& module, const std::string& name, TResourceKind kind,
                      const unsigned char* bytes, size_t size);
void UnregisterResource(const std::string& module, const std::string& name, TResourceKind kind);
// Case-insensitive; the latest registration of a name wins. nullptr when none.
const TResource* FindResource(const std::string& name, TResourceKind kind);
// The description whose top object is of that class (read from its first line).
const TResource* FindDescriptionForClass(const std::string& className);
std::vector<std::string> ResourceNames(TResourceKind kind);

// Used by the generated code: registers in the constructor, unregisters in the destructor.
struct TResourceRegistration {
    TResourceRegistration(const char* module, const char* name, TResourceKind kind, const unsigned char* bytes,
                          size_t size)
        : fModule(module), fName(name), fKind(kind) {
        RegisterResource(module, name, kind, bytes, size);
    }
    ~TResourceRegistration() { UnregisterResource(fModule, fName, fKind); }
    TResourceRegistration(const TResourceRegistration&) = delete;
    TResourceRegistration& operator=(const TResourceRegistration&) = delete;

private:
    std::string fModule, fName;
    TResourceKind fKind;
};

}  // namespace plat
