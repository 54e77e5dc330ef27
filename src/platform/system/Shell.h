#pragma once
// The desktop shell's verbs: "open" (a document or URL with its default handler) and
// "properties" (a window about a file, drawn by the Qt presentation).
//
// "open" runs xdg-open detached (XQ_SHELL_OPEN names another command, e.g. for scripted runs);
// a hook set with SetShellOpenHook replaces it entirely (tests, headless runs record the call).
// "properties" has no default window here: the Qt layer installs a hook; without one the verb
// fails with SE_ERR_NOASSOC.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/core/Variant.h"

namespace plat {

// Results in the shape of the original call: above 32 is success.
constexpr int SE_ERR_FNF = 2;        // file not found
constexpr int SE_ERR_NOASSOC = 31;   // no handler for the verb / file
constexpr int SE_OK = 42;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;

struct TShellRequest {
    std::string Verb;        // "open", "properties"
    std::string File;        // path or URL
    std::string Parameters;
    std::string Directory;
    int ShowCmd = SW_SHOWNORMAL;
};
// A hook returns the result code (> 32 for success).
using TShellHook = std::function<int(const TShellRequest&)>;

// Runs a verb: "open" (or "" as the original's default) and "properties"; others fail with
// SE_ERR_NOASSOC. For "open" a file path that does not exist gives SE_ERR_FNF.
int ShellExecute(const std::string& verb, const std::string& file,
                 const std::string& parameters = "", const std::string& directory = "",
                 int showCmd = SW_SHOWNORMAL);
// Shorthands; true when the verb succeeded.
bool ShellOpen(const std::string& fileOrUrl);
bool ShellProperties(const std::string& file);

// Replace the handlers; an empty function restores the default. Return the previous hook.
TShellHook SetShellOpenHook(TShellHook hook);
TShellHook SetShellPropertiesHook(TShellHook hook);

// What a properties window shows about a file.
struct TFileProperties {
    bool Exists = false;
    std::string FullName;
    std::string Name;
    int64_t Size = 0;
    TDateTime Modified = 0;   // local time
    TDateTime Accessed = 0;
    TDateTime Changed = 0;    // status change (the closest to a creation date Linux keeps)
    std::string Version;      // "" (shared objects carry no version resource)
};
TFileProperties GetFileProperties(const std::string& file);

}  // namespace plat
