// The server configuration reader, the installation-folder look-ups, folder resolution and
// password scrambling.
#include "environment/OrreryINI.h"

#include "environment/fixtures/Installation.h"

using namespace qm;
using plat::Variant;

namespace {

class ServerConfig : public envtest::Installation {};

TEST_F(ServerConfig, DefaultsOfEveryDatabaseSetting) {
    Registry({{"ServerPath", Folder()}});
    TOrreryIniS ini;
    EXPECT_EQ(ini.ErrorCode, "");
    EXPECT_EQ(ini.ServerPath, Folder() + "/");
    EXPECT_EQ(ini.IniFileName, Folder() + "/OrreryS.ini");
    const Variant& s = ini.DBSettings;
    ASSERT_EQ(s.DimCount(), 2);
    EXPECT_EQ(s.HighBound(1), 3);
    EXPECT_EQ(s.HighBound(2), 7);
    const struct {
        int i, j;
        Variant value;
    } cells[] = {
        {0, 0, Variant("Vantor")},      {0, 1, Variant("sa")},          {0, 2, Variant("")},
        {0, 3, Variant("MSSQL")},       {0, 4, Variant("")},            {0, 5, Variant("")},
        {0, 6, Variant(300)},           {0, 7, Variant(3000)},          {1, 0, Variant("VantorTemp")},
        {1, 1, Variant("sa")},          {1, 2, Variant("")},            {1, 3, Variant("PARADOX")},
        {1, 4, Variant("")},            {1, 5, Variant("PostgreSQL")},  {1, 6, Variant(300)},
        {1, 7, Variant(3000)},          {2, 0, Variant("")},            {2, 1, Variant(211)},
        {2, 2, Variant(1024)},          {2, 3, Variant("Chinese_Taiwan_Stroke_BIN")},
        {3, 0, Variant("EDIDATA")},     {3, 1, Variant("sa")},          {3, 2, Variant("")},
    };
    for (const auto& c : cells) {
        EXPECT_EQ(s.At(c.i, c.j), c.value) << c.i << "," << c.j;
        EXPECT_EQ(s.At(c.i, c.j).VarType(), c.value.VarType()) << c.i << "," << c.j;
    }
    for (int j = 3; j <= 7; ++j) EXPECT_TRUE(s.At(3, j).IsEmpty()) << j;
    for (int j = 4; j <= 7; ++j) EXPECT_TRUE(s.At(2, j).IsEmpty()) << j;
    EXPECT_EQ(ini.DBKind, 0);
    EXPECT_EQ(ini.SystemControlAddress, "");
    EXPECT_FALSE(ini.SupportCallBack);
    EXPECT_EQ(ini.WorkDLLPaths, std::vector<std::string>{Folder() + "/S_PKG/"});
}

TEST_F(ServerConfig, ValuesPasswordsAndAddresses) {
    Registry({{"ServerPath", Folder()}});
    Ini("OrreryS.ini",
        "[ProductVersion]\nVersion=3\n"
        "[CodePage]\nUICodePage=950\nDBCodePage=936\n"
        "[DBE Setting]\n"
        "MainDBType=oracle\nMainDBName=Data/main.db\nMainServerName=dbhost\n"
        "XXXXXX=" + ScramblePassword("s3cret") + "\n"
        "TempPassword=" + ScramblePassword("") + "\n"
        "EctPassword=A0\n"
        "SystemControlAddress=   \n"
        "OtherSystemControlAddress=ctl2\n"
        "MainConnectionTimeOut=x\n"
        "[DBPasswordCtrl]\nComputerName=  pwhost \nServerPort=2211\nSupportCallBack=yes\n"
        "[WorkDLLPath]\nS1=mods\n");
    TOrreryIniS ini;
    EXPECT_EQ(ini.ProductVersion, "3");
    EXPECT_EQ(ini.ConvertKind, 2);
    EXPECT_EQ(ini.DataConvertKind, 2);
    EXPECT_EQ(ini.DBSettings.At(0, 2), Variant("s3cret"));
    EXPECT_EQ(ini.DBSettings.At(1, 2), Variant(""));  // the empty-password marker
    EXPECT_EQ(ini.DBSettings.At(3, 2), Variant("A0"));  // taken as stored
    EXPECT_EQ(ini.DBSettings.At(0, 3), Variant("oracle"));
    EXPECT_EQ(ini.DBSettings.At(0, 6), Variant(300));  // not a number: the default
    EXPECT_EQ(ini.DBSettings.At(2, 0), Variant("pwhost"));
    EXPECT_EQ(ini.DBSettings.At(2, 1), Variant(2211));
    EXPECT_TRUE(ini.SupportCallBack);
    EXPECT_EQ(ini.DBKind, 1);
    EXPECT_EQ(ini.SystemControlAddress, "dbhost");
    EXPECT_EQ(ini.OtherSystemControlAddress, "ctl2");
    EXPECT_EQ(ini.WorkDLLPaths, std::vector<std::string>{Folder() + "/mods/"});
}

TEST_F(ServerConfig, DatabaseKind) {
    const struct {
        std::string type;
        int kind;
    } cases[] = {{"ORACLE", 1}, {"Oracle", 1}, {"DB2", 2}, {"db2", 2}, {"SQLITE", 0}, {"MSSQL", 0}};
    for (const auto& c : cases) {
        Ini("OrreryS.ini", "[DBE Setting]\nMainDBType=" + c.type + "\n");
        EXPECT_EQ(TOrreryIniS().DBKind, c.kind) << c.type;
    }
}

TEST_F(ServerConfig, MissingKeyLeavesSettingsEmpty) {
    Registry({{"ServerPath", Folder()}}, "HKEY_LOCAL_MACHINE\\Software\\Else");
    TOrreryIniS ini;
    EXPECT_EQ(ini.ErrorCode, "E;000015");
    EXPECT_TRUE(ini.DBSettings.IsEmpty());
    EXPECT_TRUE(ini.WorkDLLPaths.empty());
}

TEST_F(ServerConfig, InstallPathLookUps) {
    Registry({{"ClientPath", "/opt/c"}, {"ServerPath", "/opt/s"}});
    EXPECT_EQ(GetInstallPath(), "/opt/c");
    EXPECT_EQ(GetInstallPathOrTemp(), "/opt/c");
    Registry({{"ServerPath", "/opt/s"}});
    EXPECT_EQ(GetInstallPath(), "/opt/s");
    Registry({{"Other", "x"}});
    EXPECT_EQ(GetInstallPath(), "");
    EXPECT_EQ(GetInstallPathOrTemp(), (fRoot / "tmp").string() + "/");
    Registry({}, "HKEY_LOCAL_MACHINE\\Software\\Else");
    EXPECT_EQ(GetInstallPath(), "");
}

TEST(ResolvePath, FormsOfFolders) {
    const struct {
        std::string value, expected;
    } cases[] = {
        {"\\Bin\\", "/inst/Bin/"},
        {"D:\\Mods\\", "D:/Mods/"},
        {"\\\\srv\\share\\m\\", "//srv/share/m/"},
        {"/opt/mods/", "/opt/mods/"},
        {"rel\\sub\\", "/inst/rel/sub/"},
        {"rel/sub/", "/inst/rel/sub/"},
        {"", "/inst/"},
    };
    for (const auto& c : cases) EXPECT_EQ(ResolvePath(c.value, "/inst/"), c.expected) << c.value;
}

TEST(Passwords, Scrambling) {
    EXPECT_EQ(ScramblePassword("A"), "A0");
    EXPECT_EQ(UnscramblePassword("A0"), "A");
    EXPECT_EQ(UnscramblePassword("a0"), "A");
    EXPECT_EQ(UnscramblePassword("A0B"), "A");  // an odd last character is ignored
    EXPECT_EQ(UnscramblePassword("A"), "");
    EXPECT_EQ(UnscramblePassword(""), "");
    // Position 8 rotates by 0, position 9 by 1 again.
    EXPECT_EQ(ScramblePassword("AAAAAAAAA"), "A05028140A058241A0");
    EXPECT_EQ(UnscramblePassword("A05028140A058241A0"), "AAAAAAAAA");
    for (const std::string pw : {"s3cret", "密码", "a b%c", "AAAAAAAAAAAAAAAAA"}) {
        const std::string s = ScramblePassword(pw);
        EXPECT_EQ(s.size(), pw.size() * 2);
        EXPECT_EQ(s.find_first_not_of("0123456789ABCDEF"), std::string::npos);
        EXPECT_EQ(UnscramblePassword(s), pw);
    }
    // The empty password is stored as the scrambled marker text.
    EXPECT_EQ(ScramblePassword(""), ScramblePassword("JV_Mgs_BzIyupRvkb_AwvSddxXjpkBlJihsu"));
    EXPECT_EQ(UnscramblePassword(ScramblePassword("")), "");
}

class BadPassword : public envtest::Installation {};

TEST_F(BadPassword, GivesFallbackAndReport) {
    EXPECT_EQ(UnscramblePassword("A0ZZ"), "BV_Bbt_Jhjuongq_Qlcaj");
    std::string log;
    for (const auto& entry : std::filesystem::directory_iterator(fFolder / "Log")) log += envtest::ReadFile(entry.path());
    EXPECT_NE(log.find(std::string(34, '-') + " on " + ScramblePassword("DecodeSQLSa") + " " + std::string(34, '-')),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Programer Message: 解析 Sa 时发生错误!\r\n"), std::string::npos) << log;
}

}  // namespace

namespace {

class SampleInstallation : public envtest::Installation {
protected:
    void CopySample(const std::string& name) {
        const std::filesystem::path from = std::filesystem::path(XQ_SOURCE_DIR) / "data" / name;
        Ini(name, envtest::ReadFile(from));
    }
};

TEST_F(SampleInstallation, TemplatesReadAsIntended) {
    CopySample("OrreryC.ini");
    CopySample("OrreryS.ini");
    TOrreryIniC client;
    EXPECT_EQ(client.ErrorCode, "");
    EXPECT_EQ(client.ServerAddresses.At(0, 0), Variant("127.0.0.1"));
    EXPECT_EQ(client.ServerAddresses.At(1, 0), Variant(2211));
    EXPECT_EQ(client.WorkDLLPaths, std::vector<std::string>{Folder() + "/C_PKG/"});
    EXPECT_EQ(client.UICodePage, "936");
    TOrreryIniS server;
    EXPECT_EQ(server.DBSettings.At(0, 2), Variant(""));
    EXPECT_EQ(server.DBSettings.At(1, 2), Variant(""));
    EXPECT_EQ(server.DBSettings.At(0, 3), Variant("SQLITE"));
    EXPECT_EQ(server.DBSettings.At(0, 4), Variant("ReportCounterS.db"));
    EXPECT_EQ(server.DBSettings.At(2, 1), Variant(2211));
    EXPECT_EQ(server.SystemControlAddress, "127.0.0.1");
    EXPECT_EQ(server.WorkDLLPaths, std::vector<std::string>{Folder() + "/S_PKG/"});
}

}  // namespace
