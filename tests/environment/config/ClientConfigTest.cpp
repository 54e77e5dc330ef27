// The client configuration reader: registry, choice of the file, keys and defaults, derived
// code-page kinds, server addresses and work-module folders.
#include "environment/OrreryINI.h"

#include "environment/fixtures/Installation.h"
#include "platform/system/SysInfo.h"

using namespace qm;
using plat::Variant;

namespace {

class ClientConfig : public envtest::Installation {};

TEST_F(ClientConfig, MissingRegistryKeyLeavesSystemDefaults) {
    Registry({{"ClientPath", Folder()}}, "HKEY_LOCAL_MACHINE\\Software\\Other");
    Ini("OrreryC.ini", "[CodePage]\nUICodePage=950\n");
    TOrreryIniC ini;
    EXPECT_EQ(ini.ErrorCode, "E;000015");
    EXPECT_EQ(ini.ClientPath, "");
    EXPECT_EQ(ini.ProfileType, "0");
    EXPECT_EQ(ini.UserName, "Default");
    EXPECT_EQ(ini.SystemCodePage, "936");
    EXPECT_EQ(ini.UICodePage, "936");
    EXPECT_EQ(ini.DBCodePage, "936");
    EXPECT_EQ(ini.ConvertKind, 0);
    EXPECT_EQ(ini.DataConvertKind, 0);
    EXPECT_TRUE(ini.ServerAddresses.IsEmpty());
    EXPECT_TRUE(ini.WorkDLLPaths.empty());
    EXPECT_EQ(ini.LangType, "");
}

TEST_F(ClientConfig, EmptyInstallationFolderStopsWithoutError) {
    Registry({{"ClientPath", ""}, {"ProfileType", "1"}});
    TOrreryIniC ini;
    EXPECT_EQ(ini.ErrorCode, "");
    EXPECT_EQ(ini.ClientPath, "");
    EXPECT_EQ(ini.ProfileType, "1");
    EXPECT_EQ(ini.IniFileName, "");
    EXPECT_TRUE(ini.ServerAddresses.IsEmpty());
}

TEST_F(ClientConfig, MissingFileGivesEveryDefault) {
    Registry({{"ClientPath", Folder() + "/"}});
    TOrreryIniC ini;
    EXPECT_EQ(ini.ErrorCode, "");
    EXPECT_EQ(ini.ClientPath, Folder() + "/");
    EXPECT_EQ(ini.ProfileType, "");
    EXPECT_EQ(ini.ProfilePath, Folder() + "/");
    EXPECT_EQ(ini.IniFileName, Folder() + "/OrreryC.ini");
    EXPECT_EQ(ini.LangType, "ENG");
    EXPECT_EQ(ini.ProductVersion, "");
    EXPECT_EQ(ini.CreateGifBeforeSendEF, "Y");
    EXPECT_EQ(ini.UICodePage, "936");
    EXPECT_EQ(ini.DBCodePage, "936");
    EXPECT_FALSE(ini.SupportCallBack);
    EXPECT_EQ(ini.AutoCheckNewMsg, "1");
    EXPECT_EQ(ini.CheckInterval, "1");
    EXPECT_EQ(ini.PopupMsg, "1");
    EXPECT_EQ(ini.LoginCheck, "0");
    ASSERT_EQ(ini.ServerAddresses.DimCount(), 2);
    EXPECT_EQ(ini.ServerAddresses.HighBound(1), 1);
    EXPECT_EQ(ini.ServerAddresses.HighBound(2), 0);
    EXPECT_EQ(ini.ServerAddresses.At(0, 0), Variant("127.0.0.1"));
    EXPECT_EQ(ini.ServerAddresses.At(1, 0), Variant(211));
    EXPECT_EQ(ini.WorkDLLPaths, std::vector<std::string>{Folder() + "/C_PKG/"});
    std::vector<std::string> copy{"old"};
    ini.GetWorkDLLPaths(copy);
    EXPECT_EQ(copy, ini.WorkDLLPaths);
}

TEST_F(ClientConfig, KeysAreRead) {
    Ini("OrreryC.ini",
        "[Client Components]\nLangType=CHT\n"
        "[ProductVersion]\nVersion=9.1\n"
        "[UserDefine]\nCreateGifBeforeSendEF=N\n"
        "[server information]\nserverport=2211\nComputerName=  db1  \nSupportCallBack=Y\n"
        "[TaskMessageCenter Setting]\nAutoCheckNewMsg=0\nCheckInterval=5\nPopupMsg=0\nLoginCheck=1\n");
    TOrreryIniC ini;
    EXPECT_EQ(ini.LangType, "CHT");
    EXPECT_EQ(ini.ProductVersion, "9.1");
    EXPECT_EQ(ini.CreateGifBeforeSendEF, "N");
    EXPECT_TRUE(ini.SupportCallBack);
    EXPECT_EQ(ini.AutoCheckNewMsg, "0");
    EXPECT_EQ(ini.CheckInterval, "5");
    EXPECT_EQ(ini.PopupMsg, "0");
    EXPECT_EQ(ini.LoginCheck, "1");
    EXPECT_EQ(ini.ServerAddresses.At(0, 0), Variant("db1"));
    EXPECT_EQ(ini.ServerAddresses.At(1, 0), Variant(2211));
}

TEST_F(ClientConfig, ServerAddresses) {
    const struct {
        std::string value;
        std::vector<std::string> addresses;
    } cases[] = {
        {"10.0.0.1;10.0.0.2;", {"10.0.0.1", "10.0.0.2"}},
        {"10.0.0.1", {"10.0.0.1"}},
        {"a;;b", {"a", "", "b"}},
        {"a ; b", {"a ", " b"}},  // pieces are not trimmed one by one
        {"a;;", {"a", ""}},       // only one trailing ";" goes
    };
    for (const auto& c : cases) {
        Ini("OrreryC.ini", "[Server Information]\nComputerName=" + c.value + "\nServerPort=211\n");
        TOrreryIniC ini;
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ini.ErrorCode, "");
        ASSERT_EQ(ini.ServerAddresses.HighBound(2), static_cast<int>(c.addresses.size()) - 1);
        for (int i = 0; i < static_cast<int>(c.addresses.size()); ++i) {
            EXPECT_EQ(ini.ServerAddresses.At(0, i), Variant(c.addresses[i]));
            EXPECT_EQ(ini.ServerAddresses.At(1, i), Variant(211));
        }
    }
}

TEST_F(ClientConfig, BlankAddressIsAnErrorButFoldersAreStillResolved) {
    for (const std::string value : {";", "   ", ""}) {
        Ini("OrreryC.ini", "[Server Information]\nComputerName=" + value + "\n[WorkDLLPath]\nP1=\\Bin\n");
        TOrreryIniC ini;
        SCOPED_TRACE("'" + value + "'");
        EXPECT_EQ(ini.ErrorCode, "E;000016");
        EXPECT_TRUE(ini.ServerAddresses.IsEmpty());
        EXPECT_EQ(ini.WorkDLLPaths, std::vector<std::string>{Folder() + "/Bin/"});
    }
}

TEST_F(ClientConfig, WorkModuleFolders) {
    Ini("OrreryC.ini",
        "[WorkDLLPath]\n"
        "P1=\\Bin\n"
        "P2=D:\\Mods\n"
        "P3=\\\\srv\\share\\mods\n"
        "P4=/opt/mods\n"
        "P5=rel\\sub\\\n"
        "p1=ignored\n"
        "P6=\n");
    TOrreryIniC ini;
    const std::vector<std::string> expected{
        Folder() + "/Bin/", "D:/Mods/", "//srv/share/mods/", "/opt/mods/", Folder() + "/rel/sub/", Folder() + "/",
    };
    EXPECT_EQ(ini.WorkDLLPaths, expected);
}

TEST_F(ClientConfig, BooleanTexts) {
    const struct {
        std::string text;
        bool value;
    } cases[] = {
        {"yes", true}, {"on", false}, {"1", true}, {"y", true}, {"TRUE", true},
        {"true", true}, {"0", false}, {"2", false}, {"no", false},
    };
    for (const auto& c : cases) {
        Ini("OrreryC.ini", "[Server Information]\nSupportCallBack=" + c.text + "\n");
        EXPECT_EQ(TOrreryIniC().SupportCallBack, c.value) << c.text;
    }
}

TEST_F(ClientConfig, CodePagesAndDerivedKinds) {
    const struct {
        std::string system, ui, db;
        std::string systemCP, uiCP;
        int convert, data;
    } cases[] = {
        {"1252", "", "", "437", "437", 0, 0},
        {"936", "", "", "936", "936", 0, 0},
        {"950", "936", "", "950", "936", 4, 0},
        {"950", "936", "950", "950", "936", 4, 1},
        {"936", "936", "950", "936", "936", 0, 1},
        {"936", "950", "", "936", "950", 2, 2},
        {"950", "950", "950", "950", "950", 2, 0},
        {"437", "437", "936", "437", "437", 0, 0},
    };
    for (const auto& c : cases) {
        SystemCodePage(c.system);
        std::string text = "[CodePage]\n";
        if (!c.ui.empty()) text += "UICodePage=" + c.ui + "\n";
        if (!c.db.empty()) text += "DBCodePage=" + c.db + "\n";
        Ini("OrreryC.ini", text);
        TOrreryIniC ini;
        SCOPED_TRACE(c.system + " " + c.ui + " " + c.db);
        EXPECT_EQ(ini.SystemCodePage, c.systemCP);
        EXPECT_EQ(ini.UICodePage, c.uiCP);
        EXPECT_EQ(ini.ConvertKind, c.convert);
        EXPECT_EQ(ini.DataConvertKind, c.data);
    }
}

TEST_F(ClientConfig, PerUserProfileFallsBackToSharedFile) {
    Registry({{"ClientPath", Folder()}, {"ProfileType", "1"}});
    Ini("OrreryC.ini", "[Client Components]\nLangType=CHS\n");
    const std::string user = plat::GetUserName();
    {
        TOrreryIniC ini;
        EXPECT_EQ(ini.UserName, user);
        EXPECT_EQ(ini.ProfilePath, Folder() + "/");
        EXPECT_EQ(ini.IniFileName, Folder() + "/OrreryC.ini");
        EXPECT_EQ(ini.LangType, "CHS");
    }
    Ini("Profile/" + user + "/OrreryC.ini", "[Client Components]\nLangType=CHT\n");
    TOrreryIniC ini;
    EXPECT_EQ(ini.ProfilePath, Folder() + "/Profile/" + user + "/");
    EXPECT_EQ(ini.IniFileName, Folder() + "/Profile/" + user + "/OrreryC.ini");
    EXPECT_EQ(ini.LangType, "CHT");
    // Work-module folders stay relative to the installation, not to the profile.
    EXPECT_EQ(ini.WorkDLLPaths, std::vector<std::string>{Folder() + "/C_PKG/"});
}

TEST_F(ClientConfig, ProfileTypeZeroIgnoresUserFile) {
    Registry({{"ClientPath", Folder()}, {"ProfileType", "0"}});
    Ini("Profile/" + plat::GetUserName() + "/OrreryC.ini", "[Client Components]\nLangType=CHT\n");
    TOrreryIniC ini;
    EXPECT_EQ(ini.UserName, "Default");
    EXPECT_EQ(ini.LangType, "ENG");
}

TEST_F(ClientConfig, GB18030FileIsRead) {
    // "费用" in GB18030 bytes: the file is not UTF-8, so it is read as GB18030.
    Ini("OrreryC.ini", "[ProductVersion]\nVersion=\xB7\xD1\xD3\xC3\n");
    EXPECT_EQ(TOrreryIniC().ProductVersion, "费用");
}

}  // namespace
