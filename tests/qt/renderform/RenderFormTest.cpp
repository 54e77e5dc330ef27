// render-form: a description drawn to PNG through the offscreen platform, and its layout as JSON.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>
#include <string>

#include "platform/graphics/Bitmap.h"

using namespace plat;
namespace fs = std::filesystem;

namespace {

std::string Env(const char* n) {
    const char* v = std::getenv(n);
    return v ? v : "";
}

class RenderForm : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("render-form-test-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    int Run(const std::string& args) {
        std::string cmd = Env("XQ_STAGE") + "/bin/render-form " + args + " 2>" + (dir / "err.txt").string();
        return std::system(cmd.c_str());
    }
    std::string Read(const fs::path& p) {
        std::ifstream in(p);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string Sample() { return std::string(XQ_SOURCE_DIR) + "/tests/qt/fixtures/Sample.dfm"; }
    fs::path dir;
};

TEST_F(RenderForm, WritesAPictureOfTheFormWithItsControls) {
    fs::path png = dir / "sample.png";
    ASSERT_EQ(Run(Sample() + " " + png.string()), 0) << Read(dir / "err.txt");
    TBitmap bmp;
    bmp.LoadFromFile(png.string());
    // The form's outer size, as described.
    EXPECT_EQ(bmp.Width(), 480);
    EXPECT_EQ(bmp.Height(), 330);
    std::set<TColor> colours;
    for (int y = 0; y < bmp.Height(); y += 2)
        for (int x = 0; x < bmp.Width(); x += 2) colours.insert(bmp.Pixel(x, y));
    EXPECT_GT(colours.size(), 10u) << "not a blank picture";
    // Inside the name edit (client origin 4, 23 + edit at 100, 16): a light field with dark text.
    int light = 0, dark = 0;
    for (int y = 23 + 17; y < 23 + 35; ++y)
        for (int x = 4 + 101; x < 4 + 140; ++x) {
            TColor c = bmp.Pixel(x, y);
            int sum = (c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF);
            if (sum > 700) ++light;
            if (sum < 200) ++dark;
        }
    EXPECT_GT(light, 100);
    EXPECT_GT(dark, 5) << "the edit's text \"ABC\" is drawn";
}

TEST_F(RenderForm, WritesTheLayoutOfEveryComponent) {
    fs::path png = dir / "sample.png", json = dir / "sample.json";
    ASSERT_EQ(Run(Sample() + " " + png.string() + " --layout " + json.string()), 0) << Read(dir / "err.txt");
    std::string j = Read(json);
    for (const char* expected :
         {R"("name":"frmSample","class":"TForm","parent":null,"left":100,"top":80,"width":480,"height":330)",
          R"("name":"edtName","class":"TEdit","parent":"frmSample","left":100,"top":16,"width":200,"height":20,"visible":true,"enabled":true,"text":"ABC")",
          R"("name":"btnCancel","class":"TButton","parent":"frmSample","left":380,"top":260,"width":75,"height":25)",
          R"("name":"lvItems","class":"TListView","parent":"tsGeneral","left":4,"top":4,"width":300,"height":80)",
          R"("name":"tsMore","class":"TTabSheet","parent":"pgcMain")",
          R"("name":"medDate","class":"TMaskEdit")",
          R"("text":"&Name 名称")"})
        EXPECT_NE(j.find(expected), std::string::npos) << expected << "\n" << j;
}

struct TBadCase {
    const char* name;
    const char* args;  // {dir} stands for the test's folder
};
class RenderFormErrors : public RenderForm, public ::testing::WithParamInterface<TBadCase> {};

TEST_P(RenderFormErrors, FailWithAMessage) {
    std::ofstream(dir / "broken.dfm") << "object F: TForm\n  Width = \n";
    std::string args = GetParam().args;
    for (size_t at; (at = args.find("{dir}")) != std::string::npos;) args.replace(at, 5, dir.string());
    int rc = Run(args);
    EXPECT_NE(rc, 0);
    EXPECT_FALSE(Read(dir / "err.txt").empty());
    EXPECT_FALSE(fs::exists(dir / "out.png"));
}

INSTANTIATE_TEST_SUITE_P(Cases, RenderFormErrors,
                         ::testing::Values(TBadCase{"NoOutput", "{dir}/broken.dfm"},
                                           TBadCase{"MissingFile", "{dir}/missing.dfm {dir}/out.png"},
                                           TBadCase{"BrokenDescription", "{dir}/broken.dfm {dir}/out.png"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
