// The translator's two failures, with a library found by the usual name search under
// "Radorudavu.dll": none at all, and one that lacks the conversion entry points.
#include <gtest/gtest.h>

#include <functional>

#include "environment/CodeConverter.h"
#include "environment/TranslatorU.h"
#include "environment/fixtures/Installation.h"

using namespace plat;
using namespace qm;

namespace {

class TranslatorLibrary : public envtest::Installation {
protected:
    void SetUp() override {
        envtest::Installation::SetUp();
        std::filesystem::create_directories(fFolder / "ext");
    }
    static std::string ErrorOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const ETranslatorError& e) {
            return e.what();
        }
        return "(no error)";
    }
};

TEST_F(TranslatorLibrary, EachFailureHasItsText) {
    EXPECT_EQ(ErrorOf([] { TTranslator t; }), "Load Library Radorudavu.dll Error!");
    std::filesystem::create_symlink(std::filesystem::path(XQ_ENV_TESTLIB_DIR) / "NoEntries.so",
                                    fFolder / "ext" / "Radorudavu.so");
    EXPECT_EQ(ErrorOf([] { TTranslator t; }), "Get Library Procedure Address Error!");
}

TEST_F(TranslatorLibrary, ConverterCannotBeCreatedWithoutTheEntryPoints) {
    std::filesystem::create_symlink(std::filesystem::path(XQ_ENV_TESTLIB_DIR) / "NoEntries.so",
                                    fFolder / "ext" / "Radorudavu.so");
    Ini("OrreryC.ini", "[CodePage]\nUICodePage=950\n");
    EXPECT_EQ(ErrorOf([] { CreateObject<TCodeConverter>(nullptr)->Free(); }), "Get Library Procedure Address Error!");
    // Without a conversion the library is not needed.
    Ini("OrreryC.ini", "[CodePage]\nUICodePage=936\n");
    TCodeConverter* cc = CreateObject<TCodeConverter>(nullptr);
    EXPECT_EQ(cc->Translator(), nullptr);
    cc->Free();
}

}  // namespace
