#include "platform/system/Registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

#include "platform/core/SysUtils.h"
#include "platform/system/IniFiles.h"

namespace plat {

namespace {

struct Key {
    std::string Name;  // last path element as written
    std::vector<std::pair<std::string, std::string>> Values;
    std::vector<std::string> Children;  // normalised full paths, in file order
};

struct Store {
    std::string FileName;
    int64_t Stamp = -1;
    std::map<std::string, Key> Keys;  // normalised full path (ROOT\A\B, upper case) -> key
};

std::mutex gMutex;
std::shared_ptr<const Store> gStore;

const char* RootName(HKEY root) {
    switch (root) {
        case HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
        case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
        case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
        case HKEY_USERS: return "HKEY_USERS";
        default: return "";
    }
}

// Splits a '\'-separated path into its non-empty elements.
std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : path) {
        if (c == '\\') {
            if (!Trim(cur).empty()) parts.push_back(Trim(cur));
            cur.clear();
        } else {
            cur.push_back(c);
        }
    }
    if (!Trim(cur).empty()) parts.push_back(Trim(cur));
    return parts;
}

std::string Join(const std::vector<std::string>& parts, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        if (i) s += '\\';
        s += parts[i];
    }
    return s;
}

std::string CanonicalRoot(const std::string& name) {
    const std::string u = AnsiUpperCase(name);
    if (u == "HKLM") return "HKEY_LOCAL_MACHINE";
    if (u == "HKCU") return "HKEY_CURRENT_USER";
    if (u == "HKCR") return "HKEY_CLASSES_ROOT";
    if (u == "HKU") return "HKEY_USERS";
    return u;
}

int64_t Stamp(const std::string& fileName) {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec +
           static_cast<int64_t>(st.st_size);
}

std::shared_ptr<const Store> Build(const std::string& fileName, int64_t stamp) {
    auto store = std::make_shared<Store>();
    store->FileName = fileName;
    store->Stamp = stamp;
    if (fileName.empty()) return store;
    TMemIniFile ini(fileName);
    for (const std::string& section : ini.ReadSections()) {
        std::vector<std::string> parts = Split(section);
        if (parts.empty()) continue;
        std::vector<std::string> upper;
        upper.push_back(CanonicalRoot(parts[0]));
        for (size_t i = 1; i < parts.size(); ++i) upper.push_back(AnsiUpperCase(parts[i]));
        // Create the key and its ancestors, linking each to its parent once.
        for (size_t n = 1; n <= parts.size(); ++n) {
            const std::string path = Join(upper, n);
            auto [it, added] = store->Keys.try_emplace(path);
            if (added) {
                it->second.Name = n == 1 ? upper[0] : parts[n - 1];
                if (n > 1) store->Keys[Join(upper, n - 1)].Children.push_back(path);
            }
        }
        Key& key = store->Keys[Join(upper, upper.size())];
        for (const std::string& line : ini.ReadSectionValues(section)) {
            const size_t eq = line.find('=');
            const std::string name = line.substr(0, eq);
            bool seen = false;
            for (const auto& v : key.Values) seen = seen || AnsiSameText(v.first, name);
            if (!seen) key.Values.emplace_back(name, line.substr(eq + 1));
        }
    }
    return store;
}

std::shared_ptr<const Store> Current() {
    const std::string fileName = RegistryFileName();
    const int64_t stamp = fileName.empty() ? -1 : Stamp(fileName);
    std::lock_guard<std::mutex> lock(gMutex);
    if (!gStore || gStore->FileName != fileName || gStore->Stamp != stamp)
        gStore = Build(fileName, stamp);
    return gStore;
}

const Key* Lookup(const Store& store, HKEY root, const std::string& relPath) {
    std::string path = RootName(root);
    if (path.empty()) return nullptr;
    for (const std::string& p : Split(relPath)) path += "\\" + AnsiUpperCase(p);
    const auto it = store.Keys.find(path);
    return it == store.Keys.end() ? nullptr : &it->second;
}

}  // namespace

std::string RegistryFileName() {
    if (const char* env = std::getenv("XQ_REGISTRY"); env && *env)
        return ::access(env, R_OK) == 0 ? std::string(env) : std::string();
    const std::string system = "/etc/xqtr37/registry.ini";
    if (::access(system.c_str(), R_OK) == 0) return system;
    if (const char* home = std::getenv("HOME"); home && *home) {
        const std::string user = std::string(home) + "/.config/xqtr37/registry.ini";
        if (::access(user.c_str(), R_OK) == 0) return user;
    }
    return {};
}

TRegistry::TRegistry() = default;
TRegistry::~TRegistry() = default;

namespace {
// The path `key` names, given the open key: a leading '\' starts from the root.
std::string Resolve(bool open, const std::string& current, const std::string& key) {
    const bool absolute = !key.empty() && key[0] == '\\';
    std::string path = (open && !absolute) ? current : std::string();
    for (const std::string& p : Split(key)) path += (path.empty() ? "" : "\\") + p;
    return path;
}
}  // namespace

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
    const std::string path = Resolve(fOpen, fCurrentPath, key);
    const auto store = Current();
    if (!Lookup(*store, RootKey, path)) return false;
    fOpen = true;
    fCurrentPath = path;
    return true;
}

bool TRegistry::OpenKey(const std::string& key, bool /*canCreate*/) { return OpenKeyReadOnly(key); }

bool TRegistry::KeyExists(const std::string& key) {
    const auto store = Current();
    return Lookup(*store, RootKey, Resolve(fOpen, fCurrentPath, key)) != nullptr;
}

void TRegistry::CloseKey() {
    fOpen = false;
    fCurrentPath.clear();
}

std::string TRegistry::ReadString(const std::string& name) const {
    if (!fOpen) return {};
    const auto store = Current();
    if (const Key* k = Lookup(*store, RootKey, fCurrentPath))
        for (const auto& v : k->Values)
            if (AnsiSameText(v.first, Trim(name))) return v.second;
    return {};
}

bool TRegistry::ValueExists(const std::string& name) const {
    if (!fOpen) return false;
    const auto store = Current();
    if (const Key* k = Lookup(*store, RootKey, fCurrentPath))
        for (const auto& v : k->Values)
            if (AnsiSameText(v.first, Trim(name))) return true;
    return false;
}

std::vector<std::string> TRegistry::GetValueNames() const {
    std::vector<std::string> out;
    if (!fOpen) return out;
    const auto store = Current();
    if (const Key* k = Lookup(*store, RootKey, fCurrentPath))
        for (const auto& v : k->Values) out.push_back(v.first);
    return out;
}

std::vector<std::string> TRegistry::GetKeyNames() const {
    std::vector<std::string> out;
    if (!fOpen) return out;
    const auto store = Current();
    if (const Key* k = Lookup(*store, RootKey, fCurrentPath))
        for (const auto& child : k->Children) out.push_back(store->Keys.at(child).Name);
    return out;
}

}  // namespace plat
