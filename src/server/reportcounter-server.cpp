// reportcounter-server --install DIR [--listen HOST:PORT] [--idle-timeout SEC] [--read-timeout SEC]
// Serves the installation in DIR over TCP until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>

#include "environment/KOLTAGeneratorU.h"
#include "platform/core/SysUtils.h"
#include "server/ReportCounterDaemon.h"

using namespace plat;

namespace {

std::atomic<bool>* gStop = nullptr;

void OnSignal(int) {
    if (gStop) gStop->store(true);
}

int Usage(const char* message) {
    if (message) std::fprintf(stderr, "reportcounter-server: %s\n", message);
    std::fprintf(stderr,
                 "usage: reportcounter-server --install DIR [--listen HOST:PORT] [--idle-timeout SEC] "
                 "[--read-timeout SEC]\n"
                 "  Serves the application server of the installation in DIR (its OrreryS.ini and Data/).\n"
                 "  Default listen address: 127.0.0.1 and the ServerPort of OrreryS.ini.\n");
    return 2;
}

int ParseSeconds(const char* text, const char* option) {
    int value = 0;
    if (!TryStrToInt(text, value) || value < 1 || value > 86400) {
        std::fprintf(stderr, "reportcounter-server: %s needs a number of seconds from 1 to 86400, got \"%s\"\n",
                     option, text);
        std::exit(2);
    }
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    std::string install, listen;
    int idle = 0, read = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                Usage((a + " needs a value").c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--install") install = value();
        else if (a == "--listen") listen = value();
        else if (a == "--idle-timeout") idle = ParseSeconds(value(), "--idle-timeout");
        else if (a == "--read-timeout") read = ParseSeconds(value(), "--read-timeout");
        else if (a == "--help" || a == "-h") {
            Usage(nullptr);
            return 0;
        }
        else return Usage(("unknown option " + a).c_str());
    }
    if (install.empty()) return Usage("--install DIR is required");

    try {
        rcs::TServerSettings settings = rcs::TServerSettings::FromInstallation(install);
        if (!listen.empty()) RpcParseEndpoint(listen, settings.ListenHost, settings.Port);
        if (idle) settings.IdleTimeoutSec = idle;
        if (read) settings.ReadTimeoutSec = read;

        // The log goes into the installation served (its Log/ folder), whichever the registry names.
        static std::mutex logLock;
        const std::string logBase = settings.InstallDir;
        auto log = [logBase](const std::string& line) {
            {
                std::lock_guard<std::mutex> guard(logLock);
                std::fprintf(stderr, "[%s] %s\n", FormatDateTime("yyyy/mm/dd hh:nn:ss:zzz", Now()).c_str(),
                             line.c_str());
            }
            qm::WriteLog(logBase, "ReportCounterS", line, "D");
        };
        auto context = rcs::MakeServerContext(settings, log);
        // Opening one store connection up front creates and migrates the store before anyone
        // connects, and fails early when the store cannot be used.
        { rcs::TReportStore probe(settings.StoreFile, settings.BusyTimeoutMs); }

        rcs::TReportCounterDaemon daemon(context, rcs::TDaemonOptions::FromSettings(settings));
        daemon.Listen();
        gStop = &daemon.StopFlag();
        struct sigaction sa{};
        sa.sa_handler = OnSignal;
        sigaction(SIGINT, &sa, nullptr);
        sigaction(SIGTERM, &sa, nullptr);
        std::signal(SIGPIPE, SIG_IGN);
        std::printf("reportcounter-server: listening on %s\n", daemon.Address().c_str());
        std::fflush(stdout);
        daemon.Run();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "reportcounter-server: %s\n", e.what());
        return 1;
    }
}
