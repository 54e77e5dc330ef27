#pragma once
// Read-only stand-in for the system registry: string values under keys, read from a text file.
//
// File: XQ_REGISTRY if set, else the first existing of /etc/xqtr37/registry.ini and
// $HOME/.config/xqtr37/registry.ini. Format (UTF-8, ini-like):
//     ; comment
//     [HKEY_LOCAL_MACHINE\Software\QMB\Orrery]
//     ClientPath=/opt/xqtr37
//     ServerPath="/opt/xqtr37"
// A section is the full key path starting with the root key name (HKLM / HKCU abbreviations are
// accepted); key paths and value names compare case-insensitively. Every ancestor of a listed
// key exists too. Values are trimmed; surrounding double quotes are stripped. Nothing writes it.
// The file is read again when it changes (or XQ_REGISTRY changes) before a key is opened.
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

using HKEY = uintptr_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;

class TRegistry {
public:
    TRegistry();
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey = HKEY_CURRENT_USER;  // as the original; the module sets HKEY_LOCAL_MACHINE

    // Opens `key` ("\Software\QMB\Orrery" from the root, or relative to the open key without the
    // leading '\'). False when the key does not exist.
    bool OpenKeyReadOnly(const std::string& key);
    // Read-only store: `canCreate` is ignored, a missing key is never created.
    bool OpenKey(const std::string& key, bool canCreate);
    bool KeyExists(const std::string& key);
    void CloseKey();
    const std::string& CurrentPath() const { return fCurrentPath; }  // "" when no key is open
    bool HasCurrentKey() const { return fOpen; }

    // Values of the open key. A missing value (or no open key) reads as "".
    std::string ReadString(const std::string& name) const;
    bool ValueExists(const std::string& name) const;
    std::vector<std::string> GetValueNames() const;
    std::vector<std::string> GetKeyNames() const;  // direct sub-keys of the open key

private:
    bool fOpen = false;
    std::string fCurrentPath;  // without root and leading '\', as given (e.g. "Software\QMB")
};

// The registry file in use ("" when none exists).
std::string RegistryFileName();

}  // namespace plat
