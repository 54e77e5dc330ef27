#include "platform/system/SysInfo.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

#include "platform/core/SysUtils.h"

namespace plat {

namespace {

std::mutex gParamsMutex;
std::vector<std::string> gParamsOverride;

std::vector<std::string> ReadCmdline() {
    std::vector<std::string> params;
    std::ifstream f("/proc/self/cmdline", std::ios::binary);
    std::string arg;
    while (std::getline(f, arg, '\0')) params.push_back(arg);
    return params;
}

std::string ExePath() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::vector<std::string> Params() {
    {
        std::lock_guard<std::mutex> lock(gParamsMutex);
        if (!gParamsOverride.empty()) return gParamsOverride;
    }
    std::vector<std::string> p = ReadCmdline();
    const std::string exe = ExePath();
    if (p.empty()) p.push_back(exe);
    else if (!exe.empty()) p[0] = exe;
    return p;
}

// The locale name governing character types: LC_ALL, then LC_CTYPE, then LANG.
std::string LocaleName() {
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"})
        if (const char* v = std::getenv(var); v && *v) return v;
    return "C";
}

}  // namespace

std::string GetComputerName() {
    char buf[HOST_NAME_MAX + 1] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0) return {};
    std::string name(buf);
    if (const size_t dot = name.find('.'); dot != std::string::npos) name.resize(dot);
    if (name.size() > 15) name.resize(15);
    return name;
}

std::string GetUserName() {
    passwd pw {};
    passwd* result = nullptr;
    std::vector<char> buf(16384);
    if (::getpwuid_r(::geteuid(), &pw, buf.data(), buf.size(), &result) == 0 && result &&
        result->pw_name)
        return result->pw_name;
    for (const char* var : {"USER", "LOGNAME"})
        if (const char* v = std::getenv(var); v && *v) return v;
    return {};
}

std::string GetTempPath() {
    std::string dir = "/tmp";
    if (const char* t = std::getenv("TMPDIR"); t && *t && DirectoryExists(t)) dir = t;
    dir = ExpandFileName(dir);
    return IncludeTrailingPathDelimiter(dir);
}

int ParamCount() { return static_cast<int>(Params().size()) - 1; }

std::string ParamStr(int index) {
    const auto p = Params();
    if (index < 0 || index >= static_cast<int>(p.size())) return {};
    return p[static_cast<size_t>(index)];
}

void SetCommandLineParams(const std::vector<std::string>& params) {
    std::lock_guard<std::mutex> lock(gParamsMutex);
    gParamsOverride = params;
}

std::string GetSystemCodePage() {
    if (const char* v = std::getenv("XQ_SYSTEM_CODEPAGE"); v && *v) return v;
    const std::string name = LocaleName();
    auto starts = [&](const char* p) { return name.rfind(p, 0) == 0; };
    if (starts("zh_CN") || starts("zh_SG")) return "936";
    if (starts("zh_TW") || starts("zh_HK") || starts("zh_MO")) return "950";
    return "437";
}

std::string GetLocaleDateSeparator() {
    return std::string(1, LocaleFormatSettings().DateSeparator);
}

std::string GetOSVersion() {
    utsname u {};
    if (::uname(&u) != 0) return "0.0.0";
    int parts[3] = {0, 0, 0};
    const std::string release = u.release;
    size_t i = 0;
    for (int k = 0; k < 3; ++k) {
        if (i >= release.size() || !isdigit(static_cast<unsigned char>(release[i]))) break;
        int v = 0;
        while (i < release.size() && isdigit(static_cast<unsigned char>(release[i])))
            v = v * 10 + (release[i++] - '0');
        parts[k] = v;
        if (i < release.size() && release[i] == '.') ++i;
        else break;
    }
    return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
           std::to_string(parts[2]);
}

}  // namespace plat
