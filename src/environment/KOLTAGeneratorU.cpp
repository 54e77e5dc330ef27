#include "environment/KOLTAGeneratorU.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>

#include "environment/OrreryINI.h"
#include "platform/core/SysUtils.h"

using namespace plat;

namespace qm {

namespace {

std::atomic<TLogClock> gClock{nullptr};

TDateTime LogNow() {
    const TLogClock clock = gClock.load();
    return clock ? clock() : Now();
}

// One write of the whole line in append mode: the system places it at the end in one piece.
bool AppendLine(const std::string& folder, const std::string& fileName, const std::string& line) {
    if (!DirectoryExists(folder) && !ForceDirectories(folder)) return false;
    const std::string path = folder + fileName;
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const std::string text = line + "\r\n";
    ssize_t written;
    do {
        written = ::write(fd, text.data(), text.size());
    } while (written < 0 && errno == EINTR);
    const bool ok = written == static_cast<ssize_t>(text.size());
    return ::close(fd) == 0 && ok;
}

std::string RotationStamp(const std::string& rotation, TDateTime now) {
    if (rotation == "M") return FormatDateTime("yyyymm", now);
    if (rotation == "Y") return FormatDateTime("yyyy", now);
    return FormatDateTime("yyyymmdd", now);
}

bool WriteLogBelow(const std::string& base, const std::string& prefix, const std::string& message,
                   const std::string& rotation) {
    try {
        const TDateTime now = LogNow();
        std::string fileName = "/Alert_" + prefix + "_" + RotationStamp(rotation, now);
        if (prefix.find('.') == std::string::npos) fileName += ".log";
        // Separators quoted: the stamp is fixed, whatever date and time separators the locale has.
        const std::string line = "[" + FormatDateTime("yyyy'/'mm'/'dd hh':'nn':'ss':'zzz", now) + "] " + message;
        return AppendLine(base + "/Log", fileName, line);
    } catch (...) {
        return false;
    }
}

std::string Dashes() { return std::string(34, '-'); }

}  // namespace

void SetLogClock(TLogClock clock) { gClock.store(clock); }

std::string HostProgramFolder() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    return ExtractFilePath(std::string(buf, static_cast<std::size_t>(n)));
}

bool WriteLog(const std::string& prefix, const std::string& message, const std::string& rotation) {
    std::string base;
    try {
        base = GetInstallPath();
    } catch (...) {
        base.clear();
    }
    if (base.empty()) base = HostProgramFolder();
    return WriteLogBelow(base, prefix, message, rotation);
}

bool WriteLog(const std::string& base, const std::string& prefix, const std::string& message,
              const std::string& rotation) {
    if (base.empty()) return WriteLog(prefix, message, rotation);
    std::string folder = base;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return WriteLogBelow(folder, prefix, message, rotation);
}

bool WriteLocalLog(const std::string& prefix, const std::string& message, const std::string& rotation) {
    return WriteLogBelow(HostProgramFolder(), prefix, message, rotation);
}

bool WriteAlert(const std::string& message) {
    try {
        const TDateTime now = LogNow();
        const std::string fileName = "/Alert_KOLTAGenerator_" + FormatDateTime("yyyymmdd", now) + ".log";
        const std::string line = "[" + DateToStr(now) + " " + TimeToStr(now) + "] " + message;
        return AppendLine(GetInstallPathOrTemp() + "/Log", fileName, line);
    } catch (...) {
        return false;
    }
}

void ReportException(const std::exception* e, const std::string& place, const std::string& programmerMessage) {
    std::string header = Dashes();
    if (!Trim(place).empty()) header += " on " + place + " ";
    WriteAlert(header + Dashes());
    if (e) {
        WriteAlert("讯息信息:");
        // Messages go in as arguments, never as format text, so a "%" in them stays as it is.
        int count = 0;
        if (const auto* db = dynamic_cast<const EDBEngineError*>(e)) {
            for (const TDBSubError& sub : db->Errors) {
                ++count;
                WriteAlert(Format("EDBEngineError Error %.2d: Code: %d, Message: %s",
                                  {count, sub.ErrorCode, sub.Message}));
            }
        } else if (const auto* os = dynamic_cast<const EOSError*>(e)) {
            count = 1;
            WriteAlert(Format("EWin32Error Error %.2d: Code: %d, Message: %s", {1, os->ErrorCode, os->Message()}));
        } else if (const auto* io = dynamic_cast<const EInOutError*>(e)) {
            count = 1;
            WriteAlert(Format("EInOutError Error %.2d: Code: %d, Message: %s", {1, io->ErrorCode, io->Message()}));
        } else {
            count = 1;
            WriteAlert(Format("Exception is %s\r\nMessage %.2d: ", {ExceptionClassName(*e), 1}) + e->what());
        }
        WriteAlert(Format("ErrorMessage Count: %d", {count}));
    }
    if (!Trim(programmerMessage).empty()) WriteAlert("Programer Message: " + programmerMessage);
}

}  // namespace qm
