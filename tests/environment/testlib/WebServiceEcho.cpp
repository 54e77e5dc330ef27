// A web service library for the tests: answers with its arguments, one per line, written to the
// result file; the operation "fail" fails with a reason, "empty" writes no file.
#include <fstream>
#include <string>

namespace {
thread_local std::string lastError;
}

extern "C" __attribute__((visibility("default"))) int CallWebServiceFx(const char* address, const char* operation,
                                                                       const char* request, const char* resultFile) {
    const std::string op = operation ? operation : "";
    if (op == "fail") {
        lastError = "service unreachable";
        return 7;
    }
    lastError.clear();
    if (op == "empty") return 0;
    std::ofstream out(resultFile, std::ios::binary);
    out << address << '\n' << op << '\n' << request << '\n' << resultFile;
    return out ? 0 : 1;
}

extern "C" __attribute__((visibility("default"))) const char* CallWebServiceLastError() { return lastError.c_str(); }
