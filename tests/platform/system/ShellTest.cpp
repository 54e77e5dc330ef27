// Shell verbs: hooks replace the handlers; the default "open" starts a command detached.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include <sys/stat.h>

#include "TempDir.h"
#include "platform/core/SysUtils.h"
#include "platform/system/Shell.h"

using namespace plat;
using systest::ScopedEnv;
using systest::TempDir;

namespace {

TEST(Shell, HooksReceiveTheRequests) {
    std::vector<TShellRequest> seen;
    auto record = [&](const TShellRequest& r) {
        seen.push_back(r);
        return SE_OK;
    };
    const TShellHook oldOpen = SetShellOpenHook(record);
    const TShellHook oldProps = SetShellPropertiesHook(record);
    EXPECT_TRUE(ShellOpen("https://example.invalid/report?id=1"));
    EXPECT_GT(ShellExecute("", "/tmp/r.xls", "-p", "/tmp", SW_HIDE), 32);  // "" is the open verb
    EXPECT_TRUE(ShellProperties("/tmp/r.xls"));
    EXPECT_EQ(ShellExecute("print", "/tmp/r.xls"), SE_ERR_NOASSOC);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].Verb, "open");
    EXPECT_EQ(seen[0].File, "https://example.invalid/report?id=1");
    EXPECT_EQ(seen[1].Parameters, "-p");
    EXPECT_EQ(seen[1].Directory, "/tmp");
    EXPECT_EQ(seen[1].ShowCmd, SW_HIDE);
    EXPECT_EQ(seen[2].Verb, "properties");
    SetShellOpenHook(oldOpen);
    SetShellPropertiesHook(oldProps);
}

TEST(Shell, DefaultHandlers) {
    const TShellHook oldOpen = SetShellOpenHook({});
    const TShellHook oldProps = SetShellPropertiesHook({});
    TempDir dir;
    const std::string out = dir.Path() + "opened.txt";
    const std::string opener = dir.Write("opener.sh", "#!/bin/sh\necho \"$1\" > \"" + out + ".tmp\"\nmv \"" + out +
                                                          ".tmp\" \"" + out + "\"\n");
    chmod(opener.c_str(), 0755);
    const std::string doc = dir.Write("doc.xls", "x");
    {
        ScopedEnv env("XQ_SHELL_OPEN", opener.c_str());
        EXPECT_EQ(ShellExecute("open", dir.Path() + "missing.xls"), SE_ERR_FNF);
        EXPECT_TRUE(ShellOpen(doc));
        // The handler runs detached; wait for its trace.
        for (int i = 0; i < 100 && !FileExists(out); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::ifstream f(out);
        std::stringstream ss;
        ss << f.rdbuf();
        EXPECT_EQ(ss.str(), doc + "\n");
    }
    {
        ScopedEnv env("XQ_SHELL_OPEN", "/no/such/opener");
        EXPECT_EQ(ShellExecute("open", doc), SE_ERR_NOASSOC);
    }
    EXPECT_EQ(ShellExecute("properties", doc), SE_ERR_NOASSOC);  // the Qt layer installs it
    SetShellOpenHook(oldOpen);
    SetShellPropertiesHook(oldProps);
}

TEST(Shell, FileProperties) {
    TempDir dir;
    const std::string f = dir.Write("Report.xls", "12345678");
    const TFileProperties p = GetFileProperties(f);
    EXPECT_TRUE(p.Exists);
    EXPECT_EQ(p.Name, "Report.xls");
    EXPECT_EQ(p.FullName, f);
    EXPECT_EQ(p.Size, 8);
    EXPECT_NEAR(p.Modified, Now(), 1.0 / 24);
    EXPECT_FALSE(GetFileProperties(dir.Path() + "none").Exists);
}

}  // namespace
