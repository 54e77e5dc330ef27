#include "platform/system/Library.h"

#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/core/SysUtils.h"
#include "platform/system/Registry.h"

namespace plat {

namespace {

thread_local std::string tLastError;

std::mutex gHandlesMutex;
std::map<void*, int> gHandles;  // handles LoadLibrary gave out -> outstanding loads

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Slashes(std::string s) {
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

bool EndsWithNoCase(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && SameText(s.substr(s.size() - suffix.size()), suffix);
}

HMODULE Open(const std::string& path) {
    dlerror();
    void* h = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        const char* e = dlerror();
        tLastError = e ? e : ("cannot load " + path);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(gHandlesMutex);
    ++gHandles[h];
    tLastError.clear();
    return h;
}

}  // namespace

std::string LibraryFileName(const std::string& windowsFileName) {
    const std::string name = Slashes(windowsFileName);
    if (EndsWithNoCase(name, ".dll")) return name.substr(0, name.size() - 4) + ".so";
    const std::string base = ExtractFileName(name);
    if (!base.empty() && base.find('.') == std::string::npos) return name + ".so";
    return name;
}

bool IsLibraryFileName(const std::string& fileName) {
    return EndsWithNoCase(fileName, ".dll") || EndsWithNoCase(fileName, ".so");
}

std::string FindModuleFile(const std::string& folder, const std::string& windowsFileName) {
    if (folder.empty() || windowsFileName.empty()) return {};
    const std::string name = ExtractFileName(LibraryFileName(windowsFileName));
    const std::string dir = IncludeTrailingPathDelimiter(Slashes(folder));
    if (IsRegularFile(dir + name)) return dir + name;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return {};
    std::string found;
    while (dirent* e = ::readdir(d)) {
        if (AnsiSameText(e->d_name, name) && IsRegularFile(dir + e->d_name)) {
            found = dir + e->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

bool FileExistsModule(const std::string& folder, const std::string& windowsFileName) {
    return !FindModuleFile(folder, windowsFileName).empty();
}

std::vector<std::string> InstallationLibraryFolders() {
    std::vector<std::string> folders;
    TRegistry reg;
    reg.RootKey = HKEY_LOCAL_MACHINE;
    if (!reg.OpenKeyReadOnly("Software\\QMB\\Orrery")) return folders;
    for (const char* value : {"ClientPath", "ServerPath"}) {
        const std::string path = Trim(Slashes(reg.ReadString(value)));
        if (path.empty()) continue;
        const std::string base = IncludeTrailingPathDelimiter(path);
        for (const std::string& f : {base, base + "C_PKG/", base + "S_PKG/", base + "ext/"}) {
            bool dup = false;
            for (const auto& g : folders) dup = dup || g == f;
            if (!dup) folders.push_back(f);
        }
    }
    return folders;
}

HMODULE LoadLibraryFrom(const std::string& folder, const std::string& fileName) {
    const std::string path = FindModuleFile(folder, fileName);
    if (path.empty()) {
        tLastError = LibraryFileName(ExtractFileName(Slashes(fileName))) + " is not in " + folder;
        return nullptr;
    }
    return Open(path);
}

__attribute__((noinline)) HMODULE LoadLibrary(const std::string& fileName, const void* caller) {
    if (!caller) caller = __builtin_extract_return_addr(__builtin_return_address(0));
    const std::string name = LibraryFileName(Trim(fileName));
    if (name.empty()) {
        tLastError = "no library name given";
        return nullptr;
    }
    if (name.find('/') != std::string::npos) {
        // A path: that file only (its name may differ in case from the one asked for).
        const std::string found = FindModuleFile(ExtractFilePath(name), ExtractFileName(name));
        if (found.empty()) {
            tLastError = name + " does not exist";
            return nullptr;
        }
        return Open(found);
    }
    std::vector<std::string> folders;
    if (const std::string self = GetModuleFileNameOf(caller); !self.empty())
        folders.push_back(ExtractFilePath(self));
    for (const auto& f : InstallationLibraryFolders()) folders.push_back(f);
    std::string problems;
    for (const auto& folder : folders) {
        const std::string path = FindModuleFile(folder, name);
        if (path.empty()) continue;
        if (HMODULE h = Open(path)) return h;
        problems += (problems.empty() ? "" : "; ") + tLastError;
    }
    if (HMODULE h = Open(name)) return h;
    if (!problems.empty()) tLastError = problems + "; " + tLastError;
    return nullptr;
}

void* GetProcAddress(HMODULE module, const std::string& name) {
    if (!module) return nullptr;
    dlerror();
    return ::dlsym(module, name.c_str());
}

bool FreeLibrary(HMODULE module) {
    if (!module) return false;
    {
        std::lock_guard<std::mutex> lock(gHandlesMutex);
        const auto it = gHandles.find(module);
        if (it == gHandles.end()) return false;
        if (--it->second == 0) gHandles.erase(it);
    }
    return ::dlclose(module) == 0;
}

std::string GetModuleFileNameOf(const void* addressInModule) {
    if (!addressInModule) return {};
    Dl_info info {};
    link_map* map = nullptr;
    if (!::dladdr1(addressInModule, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP))
        return {};
    std::string path = (map && map->l_name) ? map->l_name : "";
    if (path.empty()) {
        // The main program has no name in the loader's list.
        char buf[PATH_MAX];
        const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
        if (n <= 0) return info.dli_fname ? info.dli_fname : "";
        path.assign(buf, static_cast<size_t>(n));
    }
    if (!path.empty() && path[0] != '/') {
        char buf[PATH_MAX];
        if (::realpath(path.c_str(), buf)) path = buf;
    }
    return path;
}

std::string LibraryLoadError() { return tLastError; }

}  // namespace plat
