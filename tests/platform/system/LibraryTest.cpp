// Loading libraries by their Windows file names, entry points, module file names.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <filesystem>

#include "TempDir.h"
#include "platform/core/SysUtils.h"
#include "platform/system/Library.h"

using namespace plat;
using systest::ScopedEnv;
using systest::TempDir;

namespace {

using AddFn = int (*)(int, int);

std::string SelfExe() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return std::string(buf, static_cast<size_t>(n > 0 ? n : 0));
}

// The test library is built beside the test executable.
std::string ProbePath() { return ExtractFilePath(SelfExe()) + "SysProbe.so"; }

TEST(Library, FileNameMapping) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"Radorudavu.dll", "Radorudavu.so"}, {"Radorudavu.DLL", "Radorudavu.so"}, {"Radorudavu.Dll", "Radorudavu.so"},
        {"XQTR37S", "XQTR37S.so"},            {"XQTR37S.so", "XQTR37S.so"},        {"dir\\A.dll", "dir/A.so"},
        {"/opt/x/B.dll", "/opt/x/B.so"},
    };
    for (const auto& [win, so] : cases) EXPECT_EQ(LibraryFileName(win), so) << win;
    EXPECT_TRUE(IsLibraryFileName("X.DLL"));
    EXPECT_TRUE(IsLibraryFileName("X.so"));
    EXPECT_FALSE(IsLibraryFileName("X.ini"));
}

TEST(Library, LoadsByDllNameBesideTheCallerAndCallsAnEntryPoint) {
    ScopedEnv noRegistry("XQ_REGISTRY", "/nonexistent/registry.ini");
    for (const char* name : {"SysProbe.dll", "sysprobe.DLL"}) {
        HMODULE h = LoadLibrary(name);
        ASSERT_NE(h, nullptr) << name << ": " << LibraryLoadError();
        auto add = reinterpret_cast<AddFn>(GetProcAddress(h, "SysProbeAdd"));
        ASSERT_NE(add, nullptr);
        EXPECT_EQ(add(2, 3), 5);
        EXPECT_EQ(GetProcAddress(h, "NoSuchEntry"), nullptr);
        EXPECT_EQ(GetModuleFileNameOf(reinterpret_cast<void*>(add)), ProbePath());
        EXPECT_TRUE(FreeLibrary(h));
        EXPECT_FALSE(FreeLibrary(h));  // not ours any more
    }
    EXPECT_EQ(LoadLibrary("NoSuchLibrary.dll"), nullptr);
    EXPECT_NE(LibraryLoadError().find("NoSuchLibrary.so"), std::string::npos) << LibraryLoadError();
    EXPECT_EQ(GetProcAddress(nullptr, "SysProbeAdd"), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));
}

TEST(Library, ModuleFileNameOfAnAddress) {
    EXPECT_EQ(GetModuleFileNameOf(reinterpret_cast<void*>(&SelfExe)), SelfExe());
    const std::string platformLib = GetModuleFileNameOf(reinterpret_cast<void*>(&LibraryFileName));
    EXPECT_EQ(ExtractFileName(platformLib), "libplatform.so");
    int onTheStack = 0;
    EXPECT_EQ(GetModuleFileNameOf(&onTheStack), "");
    EXPECT_EQ(GetModuleFileNameOf(nullptr), "");
}

class InstallationTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_.Path() + "C_PKG");
        std::filesystem::copy_file(ProbePath(), dir_.Path() + "C_PKG/ProbeCopy.so");
        std::filesystem::copy_file(ProbePath(), dir_.Path() + "C_PKG/SysProbe.so");
        dir_.Write("S_PKG/XQTR37S.so", "");
    }
    TempDir dir_;
    std::string registry_ = dir_.Write("registry.ini", "[HKEY_LOCAL_MACHINE\\Software\\QMB\\Orrery]\nClientPath=" +
                                                           dir_.Path() + "\n");
    ScopedEnv env_{"XQ_REGISTRY", registry_.c_str()};
};

TEST_F(InstallationTest, FoldersTheRegistryNames) {
    const std::string p = dir_.Path();
    EXPECT_EQ(InstallationLibraryFolders(), (std::vector<std::string>{p, p + "C_PKG/", p + "S_PKG/", p + "ext/"}));
    HMODULE h = LoadLibrary("PROBECOPY.DLL");
    ASSERT_NE(h, nullptr) << LibraryLoadError();
    void* add = GetProcAddress(h, "SysProbeAdd");
    EXPECT_EQ(GetModuleFileNameOf(add), p + "C_PKG/ProbeCopy.so");
    // Beside the calling module comes first: a caller inside ProbeCopy finds the SysProbe there.
    HMODULE h2 = LoadLibrary("SysProbe.dll", add);
    ASSERT_NE(h2, nullptr) << LibraryLoadError();
    EXPECT_EQ(GetModuleFileNameOf(GetProcAddress(h2, "SysProbeAdd")), p + "C_PKG/SysProbe.so");
    EXPECT_TRUE(FreeLibrary(h2));
    EXPECT_TRUE(FreeLibrary(h));
    HMODULE h3 = LoadLibraryFrom(p + "C_PKG", "probecopy.dll");
    ASSERT_NE(h3, nullptr);
    EXPECT_TRUE(FreeLibrary(h3));
    EXPECT_EQ(LoadLibraryFrom(p, "ProbeCopy.dll"), nullptr);
}

TEST_F(InstallationTest, ModuleExistenceChecksIgnoreCase) {
    const std::string p = dir_.Path();
    EXPECT_TRUE(FileExistsModule(p + "S_PKG", "XQTR37S.DLL"));
    EXPECT_TRUE(FileExistsModule(p + "S_PKG/", "xqtr37s.dll"));
    EXPECT_EQ(FindModuleFile(p + "S_PKG", "XQTR37S.DLL"), p + "S_PKG/XQTR37S.so");
    EXPECT_FALSE(FileExistsModule(p + "C_PKG", "XQTR37S.DLL"));
    EXPECT_FALSE(FileExistsModule(p + "Nowhere", "XQTR37S.DLL"));
    EXPECT_FALSE(FileExistsModule(p, "S_PKG"));  // a folder is not a module
}

}  // namespace
