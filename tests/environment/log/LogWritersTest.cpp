// Log file names and rotation, line stamps, the alert log and the exception report.
#include "environment/KOLTAGeneratorU.h"

#include <unistd.h>

#include "environment/fixtures/Installation.h"
#include "platform/core/SysUtils.h"

using namespace qm;
using plat::EncodeDate;
using plat::EncodeTime;
using plat::TDateTime;

namespace {

TDateTime gNow = 0;
TDateTime FixedNow() { return gNow; }

class LogWriters : public envtest::Installation {
protected:
    void SetUp() override {
        Installation::SetUp();
        gNow = EncodeDate(2024, 6, 15) + EncodeTime(13, 4, 5, 123);
        SetLogClock(&FixedNow);
        fSettings = plat::FormatSettings;
        plat::FormatSettings.ShortDateFormat = "yyyy-mm-dd";
        plat::FormatSettings.DateSeparator = '-';
        plat::FormatSettings.LongTimeFormat = "hh:nn:ss";
    }
    void TearDown() override {
        plat::FormatSettings = fSettings;
        SetLogClock(nullptr);
        Installation::TearDown();
    }
    std::string LogText(const std::string& name) const { return envtest::ReadFile(fFolder / "Log" / name); }
    bool LogExists(const std::string& name) const { return std::filesystem::exists(fFolder / "Log" / name); }

    plat::TFormatSettings fSettings;
};

TEST_F(LogWriters, FileNameByRotationAndPrefix) {
    const struct {
        std::string prefix, rotation, file;
    } cases[] = {
        {"libstrs", "M", "Alert_libstrs_202406.log"},
        {"libstrs", "D", "Alert_libstrs_20240615.log"},
        {"libstrs", "Y", "Alert_libstrs_2024.log"},
        {"libstrs", "d", "Alert_libstrs_20240615.log"},  // rotation compared exactly
        {"libstrs", "y", "Alert_libstrs_20240615.log"},
        {"libstrs", "", "Alert_libstrs_20240615.log"},
        {"a.txt", "D", "Alert_a.txt_20240615"},  // a prefix with "." gets no ".log"
        {"DURozoDevuNewFileU", "D", "Alert_DURozoDevuNewFileU_20240615.log"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(WriteLog(c.prefix, "m " + c.rotation, c.rotation)) << c.prefix << " " << c.rotation;
        EXPECT_TRUE(LogExists(c.file)) << c.file;
    }
}

TEST_F(LogWriters, LinesAreStampedAndAppended) {
    ASSERT_TRUE(WriteLog("libstrs", "LINE[2735] first 100%", "D"));
    gNow += 1.0 / 86400;  // one second later
    ASSERT_TRUE(WriteLog("libstrs", "second", "D"));
    EXPECT_EQ(LogText("Alert_libstrs_20240615.log"),
              "[2024/06/15 13:04:05:123] LINE[2735] first 100%\r\n"
              "[2024/06/15 13:04:06:123] second\r\n");
}

TEST_F(LogWriters, BaseFolderIsTheInstallationThenTheHostProgram) {
    // A base with a trailing separator doubles it; the file system takes that.
    Registry({{"ClientPath", Folder() + "/"}});
    ASSERT_TRUE(WriteLog("x", "with slash", "D"));
    EXPECT_EQ(LogText("Alert_x_20240615.log"), "[2024/06/15 13:04:05:123] with slash\r\n");

    Registry({{"ProfileType", "0"}});
    const std::filesystem::path localFolder = std::filesystem::path(HostProgramFolder()) / "Log";
    const bool hadLocalFolder = std::filesystem::exists(localFolder);
    const std::string name = "Alert_qmenvtest" + std::to_string(getpid()) + "_20240615.log";
    const std::filesystem::path local = std::filesystem::path(HostProgramFolder()) / "Log" / name;
    ASSERT_TRUE(WriteLog("qmenvtest" + std::to_string(getpid()), "no installation", "D"));
    EXPECT_EQ(envtest::ReadFile(local), "[2024/06/15 13:04:05:123] no installation\r\n");
    std::filesystem::remove(local);

    // WriteLocalLog ignores the installation.
    Registry({{"ClientPath", Folder()}});
    ASSERT_TRUE(WriteLocalLog("qmenvtest" + std::to_string(getpid()), "local", "D"));
    EXPECT_EQ(envtest::ReadFile(local), "[2024/06/15 13:04:05:123] local\r\n");
    EXPECT_FALSE(LogExists(name));
    std::filesystem::remove(local);
    std::error_code ec;
    if (!hadLocalFolder) std::filesystem::remove(localFolder, ec);  // only when empty
}

TEST_F(LogWriters, UnwritableFolderReturnsFalse) {
    // "Log" exists as a file, so the folder cannot be made.
    envtest::WriteFile(fFolder / "Log", "not a folder");
    EXPECT_FALSE(WriteLog("libstrs", "x", "D"));
    EXPECT_FALSE(WriteAlert("x"));
}

TEST_F(LogWriters, AlertLineAndFallbackToTemporaryFolder) {
    ASSERT_TRUE(WriteAlert("hello"));
    EXPECT_EQ(LogText("Alert_KOLTAGenerator_20240615.log"), "[2024-06-15 13:04:05] hello\r\n");
    Registry({{"Other", "x"}});
    ASSERT_TRUE(WriteAlert("in temp"));
    // The temporary folder ends in "/", so the log folder has a doubled separator.
    EXPECT_EQ(envtest::ReadFile(fRoot / "tmp" / "Log" / "Alert_KOLTAGenerator_20240615.log"),
              "[2024-06-15 13:04:05] in temp\r\n");
}

const std::string kDashes(34, '-');
std::string Line(const std::string& text) { return "[2024-06-15 13:04:05] " + text + "\r\n"; }

TEST_F(LogWriters, ReportWithoutException) {
    ReportException(nullptr, "  ", "");
    ReportException(nullptr, "", "note");
    EXPECT_EQ(LogText("Alert_KOLTAGenerator_20240615.log"),
              Line(std::string(68, '-')) + Line(std::string(68, '-')) + Line("Programer Message: note"));
}

TEST_F(LogWriters, ReportByExceptionClass) {
    const plat::EDBEngineError db("db failed", {{1001, "first"}, {2002, "second 50%"}});
    const plat::EWin32Error win("access denied", 5);
    const plat::EOSError os("no such file", 2);
    const plat::EInOutError io("disk full", 28);
    const plat::EConvertError conv("'x' is not a valid integer value");
    const std::runtime_error plain("plain %d failure");

    const struct {
        const std::exception* e;
        std::string body;
    } cases[] = {
        {&db, Line("EDBEngineError Error 01: Code: 1001, Message: first") +
                  Line("EDBEngineError Error 02: Code: 2002, Message: second 50%") + Line("ErrorMessage Count: 2")},
        {&win, Line("EWin32Error Error 01: Code: 5, Message: access denied") + Line("ErrorMessage Count: 1")},
        {&os, Line("EWin32Error Error 01: Code: 2, Message: no such file") + Line("ErrorMessage Count: 1")},
        {&io, Line("EInOutError Error 01: Code: 28, Message: disk full") + Line("ErrorMessage Count: 1")},
        {&conv, Line("Exception is EConvertError\r\nMessage 01: 'x' is not a valid integer value") +
                    Line("ErrorMessage Count: 1")},
        {&plain, Line(std::string("Exception is ") + plat::ExceptionClassName(plain) +
                      "\r\nMessage 01: plain %d failure") +
                     Line("ErrorMessage Count: 1")},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(fFolder / "Log" / "Alert_KOLTAGenerator_20240615.log");
        ReportException(c.e, "Place", "why");
        EXPECT_EQ(LogText("Alert_KOLTAGenerator_20240615.log"),
                  Line(kDashes + " on Place " + kDashes) + Line("讯息信息:") + c.body + Line("Programer Message: why"));
    }
}

TEST_F(LogWriters, DatabaseErrorWithoutSubErrors) {
    const plat::EDBEngineError db("nothing listed");
    ReportException(&db, "", "");
    EXPECT_EQ(LogText("Alert_KOLTAGenerator_20240615.log"),
              Line(std::string(68, '-')) + Line("讯息信息:") + Line("ErrorMessage Count: 0"));
}

}  // namespace
