#pragma once
// Shared fixtures of the server tests: a throw-away installation, a daemon process on a loopback
// port chosen by the system, and job requests shaped as the option forms build them.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/Variant.h"

namespace rcstest {

namespace fs = std::filesystem;

inline std::string StageDir() {
    const char* s = std::getenv("XQ_STAGE");
    if (!s) throw std::runtime_error("XQ_STAGE is not set; run the tests through ctest");
    return s;
}

// A fresh installation folder with an OrreryS.ini; removed when the fixture goes.
class TTempInstall {
public:
    explicit TTempInstall(const std::string& extraIni = "") {
        std::string pattern = (fs::temp_directory_path() / "rcs-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        fDir = pattern;
        std::ofstream(fDir / "OrreryS.ini") << "[DBE Setting]\nMainDBType=SQLITE\nMainDBName=ReportCounterS.db\n"
                                               "[DBPasswordCtrl]\nServerPort=2211\n"
                                            << extraIni;
    }
    ~TTempInstall() {
        std::error_code ec;
        fs::remove_all(fDir, ec);
    }
    std::string Dir() const { return fDir.string(); }
    std::string Path(const std::string& name) const { return (fDir / name).string(); }

private:
    fs::path fDir;
};

// Runs a program, returns its exit code; stdout and stderr are captured.
struct TRunResult {
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline TRunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::string& workDir, const std::vector<std::string>& env = {}) {
    const std::string outFile = workDir + "/run.out", errFile = workDir + "/run.err";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(err, 2);
        for (const std::string& e : env) ::putenv(const_cast<char*>(e.c_str()));
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    TRunResult r;
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.Out = Slurp(outFile);
    r.Err = Slurp(errFile);
    return r;
}

// The staged daemon serving an installation on 127.0.0.1 and a port the system chose.
class TDaemonProcess {
public:
    explicit TDaemonProcess(const std::string& installDir, std::vector<std::string> extra = {}) {
        fInstall = installDir;
        fExtra = std::move(extra);
        Start();
    }
    ~TDaemonProcess() { Stop(SIGTERM); }

    void Start() {
        int pipeFd[2];
        if (::pipe(pipeFd) != 0) throw std::runtime_error("pipe failed");
        const std::string program = StageDir() + "/bin/reportcounter-server";
        const std::string errFile = fInstall + "/daemon.err";
        fPid = ::fork();
        if (fPid == 0) {
            ::dup2(pipeFd[1], 1);
            const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            ::dup2(err, 2);
            ::close(pipeFd[0]);
            std::vector<std::string> args{program, "--install", fInstall, "--listen",
                                          "127.0.0.1:" + std::to_string(fPort)};
            args.insert(args.end(), fExtra.begin(), fExtra.end());
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(pipeFd[1]);
        // The daemon prints its address once it listens.
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        char ch;
        while (line.find('\n') == std::string::npos) {
            pollfd p{pipeFd[0], POLLIN, 0};
            const int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  deadline - std::chrono::steady_clock::now())
                                                  .count());
            if (left <= 0 || ::poll(&p, 1, left) <= 0 || ::read(pipeFd[0], &ch, 1) != 1) break;
            line.push_back(ch);
        }
        ::close(pipeFd[0]);
        const size_t colon = line.rfind(':');
        if (line.find("listening on") == std::string::npos || colon == std::string::npos)
            throw std::runtime_error("the daemon did not start: " + line + Slurp(errFile));
        fPort = static_cast<uint16_t>(std::stoi(line.substr(colon + 1)));
    }

    // Ends the daemon with `sig` and waits for it (SIGKILL after 10 s).
    void Stop(int sig) {
        if (fPid <= 0) return;
        ::kill(fPid, sig);
        for (int i = 0; i < 1000; ++i) {
            int status;
            if (::waitpid(fPid, &status, WNOHANG) == fPid) {
                fPid = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(fPid, SIGKILL);
        ::waitpid(fPid, nullptr, 0);
        fPid = -1;
    }
    bool Alive() const { return fPid > 0 && ::kill(fPid, 0) == 0; }

    uint16_t Port() const { return fPort; }
    std::string Endpoint() const { return "127.0.0.1:" + std::to_string(fPort); }
    std::string ErrLog() const { return Slurp(fInstall + "/daemon.err"); }

private:
    std::string fInstall;
    std::vector<std::string> fExtra;
    pid_t fPid = -1;
    uint16_t fPort = 0;  // 0 on the first start; a restart keeps the port
};

// A job request as the option form builds it: 14 environment elements, `options` options
// (plain texts) and, when `periodic`, the period and dynamic-fields arrays.
inline plat::Variant MakeJobRequest(const std::string& user = "U001", int options = 2, bool periodic = false) {
    using namespace plat;
    Variant env = VarArrayCreate({1, 14});
    env[1] = Variant("XQTR37");
    env[2] = Variant(14);
    env[3] = Variant(options);
    env[4] = Variant("C01");
    env[5] = Variant(user);
    env[6] = Variant("DEMO");
    env[7] = Variant::Date(45356.5);
    env[8] = Variant("XQTR37S.Class1");
    env[9] = Variant(periodic ? "r" : "R");
    env[10] = Variant(periodic ? 2 : 0);
    env[11] = Variant::Date(45356.5);
    env[12] = Variant("");
    env[13] = Variant(1);
    env[14] = Variant("A");
    Variant opts = VarArrayCreate({1, options});
    Variant values = VarArrayCreate({1, options});
    for (int i = 1; i <= options; ++i) {
        opts[i] = VarArrayOf({Variant::Wide("条件" + std::to_string(i)), Variant("ed" + std::to_string(i))});
        values[i] = i == 1 ? VarArrayOf({Variant("\x04"), Variant("20240101"), Variant("20240131")})
                           : Variant::Wide("值" + std::to_string(i));
    }
    if (!periodic) return VarArrayOf({env, opts, values});
    Variant period = VarArrayOf({Variant("Y"), Variant("08:30"), VarArrayOf({Variant(0), Variant("1")}),
                                 VarArrayOf({Variant("20240306"), Variant(0)})});
    const std::string descriptor = std::string("0\x03") + "ed1\x03Y\x03" + "0\x03" + "0\x03" + "0\x03-1\x03" +
                                   "Y\x03" + "0\x03" + "0\x03" + "0\x03-1\x03" + "D\x03" + "1";
    Variant dynamic = VarArrayOf({Variant(1), Variant(descriptor)});
    return VarArrayOf({env, opts, values, period, dynamic});
}

}  // namespace rcstest
