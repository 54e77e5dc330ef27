// The glyph library as the option controls use it: loaded by its Windows file name through the
// platform's loader, entry points looked up by name, glyphs filled into the shared TBitmap.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "client/vantres/Vantres.h"
#include "platform/graphics/Bitmap.h"
#include "platform/system/Library.h"

using namespace plat;

namespace {

struct Vantres {
    HMODULE Handle = nullptr;
    TGetMaxBmpIDFunc GetMaxBmpID = nullptr;
    TLoadBmpFunc LoadBmp = nullptr;
    Vantres() {
        const char* stage = std::getenv("XQ_STAGE");
        if (!stage) return;
        Handle = LoadLibraryFrom(std::string(stage) + "/ext", "Vantres.dll");
        if (!Handle) return;
        GetMaxBmpID = reinterpret_cast<TGetMaxBmpIDFunc>(GetProcAddress(Handle, "GetMaxBmpID"));
        LoadBmp = reinterpret_cast<TLoadBmpFunc>(GetProcAddress(Handle, "LoadBmp"));
    }
};

const Vantres& Lib() {
    static const Vantres lib;  // loaded once, as the controls do
    return lib;
}

// The numbers the option forms use.
const std::set<int> Used = {4, 8, 9, 39, 44, 47, 78, 81, 84};

}  // namespace

TEST(Vantres, LoadsByItsDllNameAndExportsBothEntryPoints) {
    ASSERT_NE(std::getenv("XQ_STAGE"), nullptr);
    ASSERT_NE(Lib().Handle, nullptr) << LibraryLoadError();
    ASSERT_NE(Lib().GetMaxBmpID, nullptr);
    ASSERT_NE(Lib().LoadBmp, nullptr);
    int max = Lib().GetMaxBmpID();
    EXPECT_GE(max, *Used.rbegin());
    TBitmap b;
    EXPECT_TRUE(Lib().LoadBmp(&b, max)) << "the highest number is held";
}

TEST(Vantres, EveryUsedNumberGivesASquareFramedGlyphWithTheBottomLeftTransparent) {
    ASSERT_NE(Lib().LoadBmp, nullptr);
    for (int id : Used) {
        SCOPED_TRACE(id);
        TBitmap b;
        ASSERT_TRUE(Lib().LoadBmp(&b, id));
        ASSERT_GT(b.Height(), 0);
        EXPECT_EQ(b.Width() % b.Height(), 0);
        EXPECT_EQ(GlyphFrameCount(b), id == 4 ? 2 : 1);
        EXPECT_EQ(b.PixelFormat(), pf24bit);
        EXPECT_EQ(b.TransparentMode(), tmAuto);
        TColor key = b.Pixel(0, b.Height() - 1);
        EXPECT_EQ(b.TransparentColor(), key);
        // A picture, not a blank: a good part of the first frame is drawn.
        int drawn = 0;
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Height(); ++x) drawn += b.Pixel(x, y) != key;
        EXPECT_GT(drawn, b.Height() * b.Height() / 5);
    }
}

TEST(Vantres, TheClearGlyphsSecondFrameIsGreyed) {
    ASSERT_NE(Lib().LoadBmp, nullptr);
    TBitmap b;
    ASSERT_TRUE(Lib().LoadBmp(&b, 4));
    TColor key = b.TransparentColor();
    int grey = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = b.Height(); x < b.Width(); ++x) {
            TColor c = b.Pixel(x, y);
            EXPECT_TRUE(c == key || c == clGray || c == clWhite) << x << "," << y;
            grey += c == clGray;
        }
    EXPECT_GT(grey, 0);
}

TEST(Vantres, NumbersWithoutAPictureAnswerFalseAndLeaveTheBitmapAlone) {
    ASSERT_NE(Lib().LoadBmp, nullptr);
    int max = Lib().GetMaxBmpID();
    TBitmap b(2, 1);
    b.SetPixel(0, 0, clRed);
    b.SetPixel(1, 0, clLime);
    int gap = 1;
    while (Used.count(gap)) ++gap;
    for (int id : {0, -3, max + 1, gap}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(Lib().LoadBmp(&b, id));
        EXPECT_EQ(b.Width(), 2);
        EXPECT_EQ(b.Pixel(0, 0), clRed);
        EXPECT_EQ(b.Pixel(1, 0), clLime);
    }
    EXPECT_FALSE(Lib().LoadBmp(nullptr, 8));
}

TEST(Vantres, LoadingKeepsTheCallersTransparentSettingAndRaisesOneChange) {
    ASSERT_NE(Lib().LoadBmp, nullptr);
    struct Counter : TObject {
        int Count = 0;
        void Changed(TObject*) { ++Count; }
    } counter;
    for (bool transparent : {false, true}) {
        TBitmap b;
        b.SetTransparent(transparent);
        b.SetTransparentColor(clRed);
        b.OnChange = TNotifyEvent::Of<&Counter::Changed>(&counter);
        counter.Count = 0;
        ASSERT_TRUE(Lib().LoadBmp(&b, 8));
        EXPECT_EQ(b.Transparent(), transparent);
        EXPECT_EQ(b.TransparentMode(), tmAuto) << "a fixed colour gives way to the picture's";
        EXPECT_EQ(counter.Count, 1);
    }
}
