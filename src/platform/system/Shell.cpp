#include "platform/system/Shell.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <sstream>

#include "platform/core/SysUtils.h"

extern char** environ;

namespace plat {

namespace {

std::mutex gHookMutex;
TShellHook gOpenHook;
TShellHook gPropertiesHook;

bool IsUrl(const std::string& s) {
    return s.find("://") != std::string::npos || SameText(s.substr(0, 7), "mailto:");
}

bool OnPath(const std::string& command) {
    if (command.find('/') != std::string::npos) return ::access(command.c_str(), X_OK) == 0;
    const char* path = std::getenv("PATH");
    std::stringstream ss(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(ss, dir, ':'))
        if (!dir.empty() && ::access((dir + "/" + command).c_str(), X_OK) == 0) return true;
    return false;
}

// Starts `argv` detached: a short-lived shell puts it in the background, so no child is left
// for this process to reap and the caller never waits for the handler.
bool SpawnDetached(const std::vector<std::string>& argv, const std::string& directory) {
    std::string script = directory.empty() ? "" : "cd \"$0\" || exit 1; ";
    script += "\"$@\" </dev/null >/dev/null 2>&1 &";
    std::vector<std::string> args = {"/bin/sh", "-c", script, directory.empty() ? "sh" : directory};
    args.insert(args.end(), argv.begin(), argv.end());
    std::vector<char*> cargs;
    for (auto& a : args) cargs.push_back(a.data());
    cargs.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, cargs.data(), environ) != 0) return false;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int DefaultOpen(const TShellRequest& r) {
    const bool url = IsUrl(r.File);
    struct stat st {};
    if (!url && ::stat(r.File.c_str(), &st) != 0) return SE_ERR_FNF;
    std::vector<std::string> argv;
    if (!url && S_ISREG(st.st_mode) && ::access(r.File.c_str(), X_OK) == 0) {
        // A program: run it with its parameters, as the open verb did.
        argv.push_back(r.File);
        std::istringstream ps(r.Parameters);
        for (std::string p; ps >> p;) argv.push_back(p);
    } else {
        const char* cmd = std::getenv("XQ_SHELL_OPEN");
        const std::string opener = (cmd && *cmd) ? cmd : "xdg-open";
        if (!OnPath(opener)) return SE_ERR_NOASSOC;
        argv = {opener, r.File};
    }
    return SpawnDetached(argv, r.Directory) ? SE_OK : SE_ERR_NOASSOC;
}

}  // namespace

int ShellExecute(const std::string& verb, const std::string& file, const std::string& parameters,
                 const std::string& directory, int showCmd) {
    const TShellRequest request{verb, file, parameters, directory, showCmd};
    TShellHook hook;
    const bool open = verb.empty() || SameText(verb, "open");
    const bool properties = SameText(verb, "properties");
    {
        std::lock_guard<std::mutex> lock(gHookMutex);
        if (open) hook = gOpenHook;
        else if (properties) hook = gPropertiesHook;
    }
    if (hook) return hook(request);
    if (open) return DefaultOpen(request);
    return SE_ERR_NOASSOC;
}

bool ShellOpen(const std::string& fileOrUrl) { return ShellExecute("open", fileOrUrl) > 32; }
bool ShellProperties(const std::string& file) { return ShellExecute("properties", file) > 32; }

TShellHook SetShellOpenHook(TShellHook hook) {
    std::lock_guard<std::mutex> lock(gHookMutex);
    std::swap(hook, gOpenHook);
    return hook;
}

TShellHook SetShellPropertiesHook(TShellHook hook) {
    std::lock_guard<std::mutex> lock(gHookMutex);
    std::swap(hook, gPropertiesHook);
    return hook;
}

namespace {
TDateTime ToDateTime(const timespec& ts) {
    struct tm lt {};
    const time_t t = ts.tv_sec;
    localtime_r(&t, &lt);
    TDateTime d = 0, tm = 0;
    TryEncodeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, d);
    TryEncodeTime(lt.tm_hour, lt.tm_min, lt.tm_sec > 59 ? 59 : lt.tm_sec,
                  static_cast<int>(ts.tv_nsec / 1000000), tm);
    return d + tm;
}
}  // namespace

TFileProperties GetFileProperties(const std::string& file) {
    TFileProperties p;
    p.FullName = ExpandFileName(file);
    p.Name = ExtractFileName(p.FullName);
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return p;
    p.Exists = true;
    p.Size = st.st_size;
    p.Modified = ToDateTime(st.st_mtim);
    p.Accessed = ToDateTime(st.st_atim);
    p.Changed = ToDateTime(st.st_ctim);
    return p;
}

}  // namespace plat
