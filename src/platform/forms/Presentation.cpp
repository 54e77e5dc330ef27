#include "platform/forms/Presentation.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

#include "platform/forms/WidgetSet.h"

namespace plat {

namespace {
std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string Lower(std::string s) {
    for (auto& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool HasDisplay() { return !Env("DISPLAY").empty() || !Env("WAYLAND_DISPLAY").empty(); }

// The folder this library was loaded from: libplatform-qt.so is staged beside it.
std::string OwnFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ChoosePresentation), &info) == 0 || !info.dli_fname) return {};
    std::string path = info.dli_fname;
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}
}  // namespace

const char* PresentationName(TPresentationKind kind) { return kind == TPresentationKind::Qt ? "qt" : "headless"; }

TPresentationKind ChoosePresentation() {
    std::string asked = Lower(Env("XQ_PRESENTATION"));
    if (asked == "headless") return TPresentationKind::Headless;
    if (asked == "qt") return TPresentationKind::Qt;
    if (!Env("QT_QPA_PLATFORM").empty() || HasDisplay()) return TPresentationKind::Qt;
    return TPresentationKind::Headless;
}

TPresentationKind InstallPresentation() { return InstallPresentation(ChoosePresentation()); }

TPresentationKind InstallPresentation(TPresentationKind kind, std::string* error, const std::string& libraryFolder) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return TPresentationKind::Headless;
    };
    if (kind == TPresentationKind::Headless) {
        if (WidgetSet().Name() != "headless") return fail("another presentation is already installed");
        return TPresentationKind::Headless;
    }
    if (WidgetSet().Name() == "qt") return TPresentationKind::Qt;
    // Qt aborts the process when its platform cannot start; without a screen use offscreen.
    if (Env("QT_QPA_PLATFORM").empty() && !HasDisplay()) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string folder = libraryFolder.empty() ? OwnFolder() : libraryFolder;
    std::string path = (folder.empty() ? std::string() : folder + "/") + "libplatform-qt.so";
    // Kept loaded for the life of the process: the widgetset's code lives there.
    void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!lib) {
        const char* e = dlerror();
        return fail(std::string("cannot load ") + path + ": " + (e ? e : "unknown error"));
    }
    auto entry = reinterpret_cast<TQtWidgetSetEntry>(dlsym(lib, QtWidgetSetEntryName));
    if (!entry) return fail(path + " has no entry " + QtWidgetSetEntryName);
    if (!entry()) return fail("the Qt widgetset could not start");
    return TPresentationKind::Qt;
}

}  // namespace plat
