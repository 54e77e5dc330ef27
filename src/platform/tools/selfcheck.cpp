// platform-selfcheck: shows what the platform layer makes of this machine and the staged
// installation, so a person can see at a glance that the pieces built so far work together.
// Exit code 0 when every check passed, 1 otherwise.
#include <cstdio>
#include <string>

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/core/Variant.h"
#include "platform/core/VariantJson.h"
#include "platform/system/CodePage.h"
#include "platform/system/Library.h"
#include "platform/system/SysInfo.h"

using namespace plat;

namespace {

int failures = 0;

void Check(const char* what, bool ok, const std::string& detail) {
    std::printf("  [%s] %-34s %s\n", ok ? " ok " : "FAIL", what, detail.c_str());
    if (!ok) ++failures;
}

// The conversion library is loaded by its Windows file name, as the module does.
void CheckConversionLibrary(const std::string& stage) {
    HMODULE lib = LoadLibraryFrom(stage + "/ext", "Radorudavu.dll");
    if (!lib) {
        Check("conversion library", false, "Radorudavu.dll not loadable: " + LibraryLoadError());
        return;
    }
    using TConvert = const char* (*)(const char*);
    auto toBig5 = reinterpret_cast<TConvert>(GetProcAddress(lib, "GBtoBIG5"));
    const char* out = toBig5 ? toBig5("费用预算") : nullptr;
    std::string result = out ? out : "";
    Check("GB -> BIG5 (费用预算)", result == "費用預算", result.empty() ? "no answer" : result);
    FreeLibrary(lib);
}

}  // namespace

int main(int argc, char** argv) {
    std::string self = GetModuleFileNameOf(reinterpret_cast<const void*>(&main));
    std::string stage = ExtractFilePath(ExcludeTrailingPathDelimiter(ExtractFilePath(self)));
    stage = ExcludeTrailingPathDelimiter(stage);
    if (argc > 1) stage = argv[1];

    std::printf("Platform self-check of the staged installation %s\n", stage.c_str());
    std::printf("  computer %s, user %s, system %s, code page %s, temp %s\n", GetComputerName().c_str(),
                GetUserName().c_str(), GetOSVersion().c_str(), GetSystemCodePage().c_str(),
                GetTempPath().c_str());

    try {
        Variant request = VarArrayCreate({0, 2});
        request[0] = VarArrayOf({Variant("U001"), Variant::Wide("费用预算"), Variant::Date(EncodeDate(2024, 3, 5))});
        request[1] = VarArrayOf({Variant(1), Variant(2.5), Variant(true)});
        request[2] = Variant::Null();
        std::string json = VariantToJson(request);
        Check("Variant JSON round trip", VariantFromJson(json) == request, json);
    } catch (const Exception& e) {
        Check("Variant JSON round trip", false, e.Message());
    }
    Check("byte length of 费用预算 in 936", CodePageByteLength("费用预算", 936) == 8,
          std::to_string(CodePageByteLength("费用预算", 936)));
    Check("BIG5 round trip", CodePageToUtf8(Utf8ToCodePage("費用預算", 950), 950) == "費用預算", "費用預算");
    CheckConversionLibrary(stage);

    std::printf(failures ? "%d check(s) failed.\n" : "All checks passed.\n", failures);
    return failures ? 1 : 0;
}
