// The read-only registry stand-in: keys, values, the file's location.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "platform/system/Registry.h"

using namespace plat;
using systest::ScopedEnv;
using systest::TempDir;

namespace {

const char* const kRegistry =
    "; installation of the test\n"
    "[HKEY_LOCAL_MACHINE\\Software\\QMB\\Orrery]\n"
    "ClientPath=/opt/x\n"
    "ServerPath=\"/srv/x\"\n"
    "[HKLM\\Software\\QMB\\Orrery\\Sub]\n"
    "A=1\n"
    "[HKEY_CURRENT_USER\\Software\\QMB\\Orrery]\n"
    "ClientPath=/home/user\n";

class RegistryTest : public ::testing::Test {
protected:
    TempDir dir_;
    std::string file_ = dir_.Write("registry.ini", kRegistry);
    ScopedEnv env_{"XQ_REGISTRY", file_.c_str()};
};

TEST_F(RegistryTest, KeysAndValues) {
    TRegistry reg;
    EXPECT_EQ(reg.RootKey, HKEY_CURRENT_USER);
    reg.RootKey = HKEY_LOCAL_MACHINE;
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\qmb\\ORRERY"));
    EXPECT_EQ(reg.ReadString("clientpath"), "/opt/x");
    EXPECT_EQ(reg.ReadString("ServerPath"), "/srv/x");
    EXPECT_EQ(reg.ReadString("Missing"), "");
    EXPECT_TRUE(reg.ValueExists("ClientPath"));
    EXPECT_FALSE(reg.ValueExists("Missing"));
    EXPECT_EQ(reg.GetValueNames(), (std::vector<std::string>{"ClientPath", "ServerPath"}));
    EXPECT_EQ(reg.GetKeyNames(), (std::vector<std::string>{"Sub"}));
    ASSERT_TRUE(reg.OpenKeyReadOnly("Sub"));  // relative to the open key
    EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\qmb\\ORRERY\\Sub");
    EXPECT_EQ(reg.ReadString("a"), "1");
    reg.CloseKey();
    EXPECT_EQ(reg.ReadString("A"), "");
    EXPECT_FALSE(reg.HasCurrentKey());
}

TEST_F(RegistryTest, MissingKeysCannotBeOpenedOrCreated) {
    TRegistry reg;
    reg.RootKey = HKEY_LOCAL_MACHINE;
    EXPECT_FALSE(reg.OpenKeyReadOnly("Software\\QMB\\Nothing"));
    EXPECT_FALSE(reg.OpenKey("Software\\QMB\\Nothing", true));
    EXPECT_FALSE(reg.KeyExists("Software\\QMB\\Nothing"));
    EXPECT_TRUE(reg.KeyExists("Software\\QMB"));  // ancestors of listed keys exist
    EXPECT_TRUE(reg.OpenKeyReadOnly("Software"));
    EXPECT_EQ(reg.ReadString("ClientPath"), "");
    reg.RootKey = HKEY_USERS;
    reg.CloseKey();
    EXPECT_FALSE(reg.OpenKeyReadOnly("Software\\QMB\\Orrery"));
}

TEST_F(RegistryTest, RootKeysAreSeparate) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\QMB\\Orrery"));  // HKEY_CURRENT_USER
    EXPECT_EQ(reg.ReadString("ClientPath"), "/home/user");
    EXPECT_FALSE(reg.OpenKeyReadOnly("\\Software\\QMB\\Orrery\\Sub"));
}

TEST_F(RegistryTest, LocationFromTheEnvironmentAndChangesSeen) {
    EXPECT_EQ(RegistryFileName(), file_);
    const std::string other = dir_.Write("other.ini", "[HKLM\\Software\\QMB\\Orrery]\nClientPath=/elsewhere\n");
    {
        ScopedEnv env("XQ_REGISTRY", other.c_str());
        TRegistry reg;
        reg.RootKey = HKEY_LOCAL_MACHINE;
        ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\QMB\\Orrery"));
        EXPECT_EQ(reg.ReadString("ClientPath"), "/elsewhere");
        dir_.Write("other.ini", "[HKLM\\Software\\QMB\\Orrery]\nClientPath=/edited/by/hand\n");
        ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\QMB\\Orrery"));
        EXPECT_EQ(reg.ReadString("ClientPath"), "/edited/by/hand");
    }
    {
        // A named file that does not exist means an empty registry, not the default location.
        ScopedEnv env("XQ_REGISTRY", (dir_.Path() + "none.ini").c_str());
        EXPECT_EQ(RegistryFileName(), "");
        TRegistry reg;
        reg.RootKey = HKEY_LOCAL_MACHINE;
        EXPECT_FALSE(reg.OpenKeyReadOnly("Software\\QMB\\Orrery"));
    }
}

}  // namespace
