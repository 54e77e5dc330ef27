// reportcounter-cli (--connect HOST:PORT | --install DIR) [--secret-file FILE] [--verbose]
//                   COMMAND [then COMMAND ...]
//   call METHOD [ARG ...]   each ARG the canonical JSON form of a Variant, passed by reference;
//                           prints {"result": ..., "args": [...]} on one line
//   provider NAME           prints one JSON object per record
// Commands separated by a lone "then" run in order on one connection (one server object). The
// first failing command prints its error on stderr and ends the run with exit code 1.
// The secret comes from --secret-file or the environment variable REPORTCOUNTER_SECRET, never
// from the command line, where other users could read it.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/core/SysUtils.h"
#include "platform/core/VariantJson.h"
#include "platform/net/RpcClient.h"
#include "server/dmReportCounter.h"

using namespace plat;

namespace {

int Usage(const std::string& message) {
    if (!message.empty()) std::cerr << "reportcounter-cli: " << message << "\n";
    std::cerr << "usage: reportcounter-cli (--connect HOST:PORT | --install DIR) [--secret-file FILE] [--verbose]\n"
                 "                         COMMAND [then COMMAND ...]\n"
                 "  call METHOD [ARG ...]   ARG: canonical JSON of a Variant, e.g. '[\"U001\", \"XQTR37\"]'\n"
                 "  provider NAME           one JSON object per record (pvdConSave, pvdJobs)\n"
                 "example: reportcounter-cli --connect localhost:2211 call LoadTable '[\"U001\",\"XQTR37\"]' "
                 "then provider pvdConSave\n";
    return 2;
}

void RunCall(TAutoObject& server, const std::vector<std::string>& words) {
    std::vector<Variant> values;
    for (size_t i = 1; i < words.size(); ++i) {
        try {
            values.push_back(VariantFromJson(words[i]));
        } catch (const std::exception& e) {
            throw EConvertError("argument " + std::to_string(i) + " of " + words[0] + " is not the JSON form of a value: " +
                                e.what());
        }
    }
    std::vector<TVarArg> args;
    for (Variant& v : values) args.push_back(TVarArg::ByRef(v));
    const Variant result = server.Call(words[0], args);
    std::string line = "{\"result\": " + VariantToJson(result) + ", \"args\": [";
    for (size_t i = 0; i < values.size(); ++i) line += (i ? ", " : "") + VariantToJson(values[i]);
    line += "]}";
    std::cout << line << "\n";
}

void RunProvider(TAutoObject& server, const std::string& name) {
    const Variant data = server.Call("ProviderRead", {Variant(name)});
    const Variant& fields = data[0];
    const Variant& records = data[1];
    for (const Variant& record : records.Elements()) {
        std::string line = "{";
        for (int f = 0; f < fields.ElementCount(1); ++f) {
            if (f) line += ", ";
            line += VariantToJson(fields[f]) + ": " + VariantToJson(record[record.LowBound(1) + f]);
        }
        std::cout << line << "}\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string connect, install, secretFile;
    bool verbose = false;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                Usage(a + " needs a value");
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--connect") connect = value();
        else if (a == "--install") install = value();
        else if (a == "--secret-file") secretFile = value();
        else if (a == "--verbose") verbose = true;
        else if (a == "--help" || a == "-h") {
            Usage("");
            return 0;
        } else if (a.rfind("--", 0) == 0) return Usage("unknown option " + a);
        else break;
    }
    if (connect.empty() == install.empty()) return Usage("give either --connect HOST:PORT or --install DIR");

    // Commands: words up to each lone "then".
    std::vector<std::vector<std::string>> commands(1);
    for (; i < argc; ++i) {
        if (std::string(argv[i]) == "then") commands.emplace_back();
        else commands.back().push_back(argv[i]);
    }
    for (const auto& c : commands) {
        if (c.empty()) return Usage("an empty command (nothing before or after \"then\")");
        if (c[0] == "call" && c.size() >= 2) continue;
        if (c[0] == "provider" && c.size() == 2) continue;
        return Usage("\"" + c[0] + "\" is not a command; use call METHOD [ARG ...] or provider NAME");
    }

    try {
        TAutoObjectPtr server;
        if (!connect.empty()) {
            std::string host;
            uint16_t port = 0;
            RpcParseEndpoint(connect, host, port);
            TRpcClientOptions options;
            if (!secretFile.empty()) options.Secret = RpcReadSecretFile(secretFile);
            else if (const char* s = std::getenv("REPORTCOUNTER_SECRET")) options.Secret = s;
            server = RpcConnectObject(host, port, rcs::kServerClassName, options);
        } else {
            auto log = [verbose](const std::string& line) {
                if (verbose) std::cerr << "reportcounter-cli: server: " << line << "\n";
            };
            server = std::make_shared<rcs::TdmReportCounter>(
                rcs::MakeServerContext(rcs::TServerSettings::FromInstallation(install), log), true);
        }
        for (const auto& c : commands) {
            if (c[0] == "call")
                RunCall(*server, std::vector<std::string>(c.begin() + 1, c.end()));
            else
                RunProvider(*server, c[1]);
            std::cout.flush();
        }
        return 0;
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "reportcounter-cli: " << e.what() << "\n";
        return 1;
    }
}
