// System information: names, temporary folder, parameters, code page, OS version.
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <climits>
#include <regex>

#include "TempDir.h"
#include "platform/system/SysInfo.h"

using namespace plat;
using systest::ScopedEnv;
using systest::TempDir;

namespace {

TEST(SysInfo, ComputerAndUserName) {
    char host[HOST_NAME_MAX + 1] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    const std::string name = GetComputerName();
    EXPECT_FALSE(name.empty());
    EXPECT_LE(name.size(), 15u);
    EXPECT_EQ(std::string(host).rfind(name, 0), 0u) << host;
    EXPECT_EQ(GetUserName(), getpwuid(geteuid())->pw_name);
}

TEST(SysInfo, TempPath) {
    TempDir dir;
    {
        ScopedEnv env("TMPDIR", dir.Path().substr(0, dir.Path().size() - 1).c_str());
        EXPECT_EQ(GetTempPath(), dir.Path());
    }
    {
        ScopedEnv env("TMPDIR", nullptr);
        EXPECT_EQ(GetTempPath(), "/tmp/");
    }
    {
        ScopedEnv env("TMPDIR", "/no/such/folder");
        EXPECT_EQ(GetTempPath(), "/tmp/");
    }
}

TEST(SysInfo, CommandLineParameters) {
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    ASSERT_GT(n, 0);
    EXPECT_EQ(ParamStr(0), std::string(exe, static_cast<size_t>(n)));
    EXPECT_GE(ParamCount(), 0);
    EXPECT_EQ(ParamStr(ParamCount() + 1), "");
    EXPECT_EQ(ParamStr(-1), "");
    const int real = ParamCount();
    SetCommandLineParams({"host", "-job", "a b"});
    EXPECT_EQ(ParamCount(), 2);
    EXPECT_EQ(ParamStr(2), "a b");
    SetCommandLineParams({});
    EXPECT_EQ(ParamCount(), real);
}

TEST(SysInfo, SystemCodePageFromTheLocale) {
    ScopedEnv noOverride("XQ_SYSTEM_CODEPAGE", nullptr);
    ScopedEnv noCtype("LC_CTYPE", nullptr);
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"zh_CN.UTF-8", "936"}, {"zh_CN.GB18030", "936"}, {"zh_TW.Big5", "950"}, {"zh_HK.UTF-8", "950"},
        {"en_US.UTF-8", "437"}, {"de_DE", "437"},         {"C", "437"},          {"ja_JP.UTF-8", "437"},
    };
    for (const auto& [locale, cp] : cases) {
        ScopedEnv env("LC_ALL", locale);
        EXPECT_EQ(GetSystemCodePage(), cp) << locale;
    }
    ScopedEnv lcAll("LC_ALL", nullptr);
    ScopedEnv lang("LANG", "zh_TW.UTF-8");
    EXPECT_EQ(GetSystemCodePage(), "950");
    ScopedEnv ctype("LC_CTYPE", "zh_CN.UTF-8");  // LC_CTYPE comes before LANG
    EXPECT_EQ(GetSystemCodePage(), "936");
    ScopedEnv override("XQ_SYSTEM_CODEPAGE", "1252");  // returned as given
    EXPECT_EQ(GetSystemCodePage(), "1252");
}

TEST(SysInfo, LocaleDateSeparator) {
    ScopedEnv env("LC_ALL", "zh_CN.UTF-8");
    EXPECT_EQ(GetLocaleDateSeparator(), "-");
    ScopedEnv c("LC_ALL", "C");
    EXPECT_EQ(GetLocaleDateSeparator(), "/");
}

TEST(SysInfo, OSVersionShape) {
    const std::string v = GetOSVersion();
    EXPECT_TRUE(std::regex_match(v, std::regex(R"(\d+\.\d+\.\d+)"))) << v;
    utsname u {};
    ASSERT_EQ(uname(&u), 0);
    const std::string release = u.release;
    const std::string majorMinor = v.substr(0, v.rfind('.'));
    EXPECT_EQ(release.rfind(majorMinor, 0), 0u) << release << " vs " << v;
}

}  // namespace
