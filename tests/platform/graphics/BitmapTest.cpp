// Bitmaps: BMP and PNG both ways, BMP variants written here byte by byte, the transparent
// colour, masks, resizing, assignment, description data and resources.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/forms/DfmReader.h"
#include "platform/forms/Resources.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

using namespace plat;

namespace {

// A bitmap whose every pixel differs from its neighbours.
std::unique_ptr<TBitmap> Pattern(int w, int h) {
    auto b = std::make_unique<TBitmap>(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b->SetPixel(x, y, RGB(x * 40 + 3, y * 50 + 7, (x + y) * 17 + 1));
    return b;
}

void ExpectSamePixels(const TBitmap& a, const TBitmap& b) {
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) EXPECT_EQ(a.Pixel(x, y), b.Pixel(x, y)) << x << "," << y;
}

void U16(std::string& s, unsigned v) { s += char(v & 0xFF), s += char((v >> 8) & 0xFF); }
void U32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
}

// A BMP file with a 40-byte header; rows are given top row first, already padded.
std::string Bmp(int w, int h, int bpp, const std::vector<uint32_t>& palette, const std::vector<std::string>& rows,
                bool topDown = false, uint32_t compression = 0) {
    std::string pal;
    for (uint32_t c : palette) U32(pal, c);  // 00RRGGBB as stored: blue, green, red, 0
    std::string data;
    if (topDown)
        for (const auto& r : rows) data += r;
    else
        for (auto it = rows.rbegin(); it != rows.rend(); ++it) data += *it;
    std::string s = "BM";
    U32(s, uint32_t(54 + pal.size() + data.size()));
    U32(s, 0);
    U32(s, uint32_t(54 + pal.size()));
    U32(s, 40);
    U32(s, uint32_t(w));
    U32(s, uint32_t(topDown ? -h : h));
    U16(s, 1);
    U16(s, unsigned(bpp));
    U32(s, compression);
    U32(s, uint32_t(data.size()));
    U32(s, 0), U32(s, 0);
    U32(s, uint32_t(palette.size()));
    U32(s, 0);
    return s + pal + data;
}

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int v : b) s += char(v);
    return s;
}

// Palette entries as a BMP stores them.
constexpr uint32_t PalBlack = 0x000000, PalWhite = 0xFFFFFF, PalRed = 0xFF0000, PalGreen = 0x00FF00,
                   PalBlue = 0x0000FF;

}  // namespace

TEST(Bitmap, PngRoundTripKeepsEveryPixel) {
    auto srcp = Pattern(5, 3);
    TBitmap& src = *srcp;
    std::string png = src.SaveToMemory(TImageFormat::Png);
    ASSERT_GE(png.size(), 8u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    TBitmap back;
    back.LoadFromMemory(png.data(), png.size());
    ExpectSamePixels(src, back);
    EXPECT_EQ(back.PixelFormat(), pf24bit);
}

TEST(Bitmap, BmpRoundTripThroughFilesKeepsEveryPixelWithRowPadding) {
    auto dir = std::filesystem::temp_directory_path() / ("gfx-bmp-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    for (int w : {1, 2, 3, 4, 5}) {
        auto srcp = Pattern(w, 4);
        TBitmap& src = *srcp;
        std::string bmp = (dir / "a.bmp").string(), png = (dir / "a.PNG").string();
        src.SaveToFile(bmp);
        src.SaveToFile(png);
        TBitmap fromBmp, fromPng;
        fromBmp.LoadFromFile(bmp);
        fromPng.LoadFromFile(png);  // the format is recognised by content, the extension chose it
        ExpectSamePixels(src, fromBmp);
        ExpectSamePixels(src, fromPng);
        std::string bytes = src.SaveToMemory(TImageFormat::Bmp);
        EXPECT_EQ(bytes.substr(0, 2), "BM");
        EXPECT_EQ(uint8_t(bytes[28]), 24) << "written as 24 bits per pixel";
        EXPECT_EQ(bytes.size(), 54u + ((w * 3 + 3) / 4 * 4) * 4);
    }
    std::filesystem::remove_all(dir);
}

TEST(Bitmap, ReadsPalettedAndHighColourBmps) {
    const TColor red = RGB(255, 0, 0), green = RGB(0, 255, 0), blue = RGB(0, 0, 255);
    struct Case {
        const char* Name;
        std::string File;
        TPixelFormat Format;
        std::vector<std::vector<TColor>> Pixels;  // top row first
    };
    const std::vector<Case> cases = {
        // 1 bit: 10 pixels per row -> 2 bytes + 2 padding. Bits 1011001110 / 0100110001.
        {"1-bit", Bmp(10, 2, 1, {PalBlack, PalWhite}, {Bytes({0xB3, 0x80, 0, 0}), Bytes({0x4C, 0x40, 0, 0})}),
         pf1bit,
         {{clWhite, clBlack, clWhite, clWhite, clBlack, clBlack, clWhite, clWhite, clWhite, clBlack},
          {clBlack, clWhite, clBlack, clBlack, clWhite, clWhite, clBlack, clBlack, clBlack, clWhite}}},
        // 4 bit: 3 pixels -> 2 bytes (low nibble of the last unused) + 2 padding.
        {"4-bit", Bmp(3, 2, 4, {PalBlack, PalRed, PalGreen, PalBlue}, {Bytes({0x12, 0x30, 0, 0}), Bytes({0x03, 0x20, 0, 0})}),
         pf4bit,
         {{red, green, blue}, {clBlack, blue, green}}},
        // 8 bit, stored top-down.
        {"8-bit top-down", Bmp(2, 2, 8, {PalBlack, PalRed, PalGreen, PalBlue}, {Bytes({2, 3, 0, 0}), Bytes({1, 0, 0, 0})}, true),
         pf8bit,
         {{green, blue}, {red, clBlack}}},
        // 16 bit, 5-5-5: 0x7C00 red, 0x03E0 green, 0x001F blue, 0x7FFF white.
        {"16-bit", Bmp(2, 1, 16, {}, {Bytes({0x00, 0x7C, 0xE0, 0x03})}), pf15bit, {{red, green}}},
        // 32 bit: blue, green, red, unused.
        {"32-bit", Bmp(2, 1, 32, {}, {Bytes({0, 0, 255, 0, 255, 0, 0, 0})}), pf32bit, {{red, blue}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TBitmap b;
        std::istringstream in(c.File);
        b.LoadFromStream(in);
        ASSERT_EQ(b.Height(), int(c.Pixels.size()));
        ASSERT_EQ(b.Width(), int(c.Pixels[0].size()));
        EXPECT_EQ(b.PixelFormat(), c.Format);
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x) EXPECT_EQ(b.Pixel(x, y), c.Pixels[y][x]) << x << "," << y;
    }
}

TEST(Bitmap, DamagedOrUnsupportedImagesRaiseAndLeaveTheBitmapAlone) {
    std::string good = Bmp(2, 2, 24, {}, {std::string(8, '\x10'), std::string(8, '\x20')});
    std::string png = Pattern(3, 3)->SaveToMemory(TImageFormat::Png);
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"not an image", "hello world"},
        {"truncated pixels", good.substr(0, good.size() - 9)},
        {"run-length compressed", Bmp(2, 2, 8, {PalBlack}, {Bytes({0, 0, 0, 0}), Bytes({0, 0, 0, 0})}, false, 1)},
        {"2 bits per pixel", Bmp(2, 1, 2, {PalBlack}, {Bytes({0, 0, 0, 0})})},
        {"zero width", Bmp(0, 1, 24, {}, {Bytes({0, 0, 0, 0})})},
        {"truncated png", png.substr(0, png.size() / 2)},
        {"header only", good.substr(0, 20)},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        auto b = Pattern(4, 4);
        EXPECT_THROW(b->LoadFromMemory(bytes.data(), bytes.size()), EInvalidGraphic);
        ExpectSamePixels(*Pattern(4, 4), *b);
    }
    TBitmap b;
    EXPECT_THROW(b.LoadFromFile("/nonexistent/x.bmp"), EInOutError);
    EXPECT_THROW(b.SaveToMemory(TImageFormat::Png), EInvalidGraphic) << "an empty bitmap has no PNG form";
}

TEST(Bitmap, TransparentColourIsTheBottomLeftPixelUnlessFixed) {
    auto bp = Pattern(4, 3);
    TBitmap& b = *bp;
    b.SetPixel(0, 2, clOlive);
    EXPECT_EQ(b.TransparentMode(), tmAuto);
    EXPECT_EQ(b.TransparentColor(), clOlive);
    b.SetPixel(0, 2, clTeal);
    EXPECT_EQ(b.TransparentColor(), clTeal) << "automatic: follows the pixel";

    b.SetTransparentColor(clRed);
    EXPECT_EQ(b.TransparentMode(), tmFixed);
    EXPECT_EQ(b.TransparentColor(), clRed);
    b.SetTransparentColor(clDefault);
    EXPECT_EQ(b.TransparentMode(), tmAuto);
    EXPECT_EQ(b.TransparentColor(), clTeal);

    b.SetTransparentMode(tmFixed);  // fixes the current colour
    b.SetPixel(0, 2, clNavy);
    EXPECT_EQ(b.TransparentColor(), clTeal);

    EXPECT_EQ(TBitmap().TransparentColor(), clNone);
    auto mono = Pattern(2, 2);
    mono->SetMonochrome(true);
    EXPECT_EQ(mono->TransparentColor(), clWhite);
}

TEST(Bitmap, MaskTurnsTheTransparentColourWhiteAndEverythingElseBlack) {
    TBitmap b(3, 2);
    b.Fill(clOlive);
    b.SetPixel(1, 0, clWhite);
    b.SetPixel(2, 1, clRed);
    b.SetPixel(0, 0, RGB(128, 128, 1));  // close to olive is not olive
    b.Mask(clOlive);
    EXPECT_TRUE(b.Monochrome());
    EXPECT_EQ(b.PixelFormat(), pf1bit);
    const std::vector<std::vector<TColor>> want = {{clBlack, clBlack, clWhite}, {clWhite, clWhite, clBlack}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(b.Pixel(x, y), want[y][x]) << x << "," << y;

    // Monochrome keeps exact white only, and drawing on it stays black and white.
    TBitmap m(2, 1);
    m.SetPixel(0, 0, RGB(254, 255, 255));
    m.SetPixel(1, 0, clWhite);
    m.SetMonochrome(true);
    EXPECT_EQ(m.Pixel(0, 0), clBlack);
    EXPECT_EQ(m.Pixel(1, 0), clWhite);
    m.Canvas()->Brush()->SetColor(clYellow);
    m.Canvas()->FillRect({0, 0, 2, 1});
    EXPECT_EQ(m.Pixel(1, 0), clBlack);
}

TEST(Bitmap, ResizingKeepsPixelsAndFillsNewOnesWithTheBrush) {
    auto bp = Pattern(2, 2), oldp = Pattern(2, 2);
    TBitmap &b = *bp, &old = *oldp;
    b.Canvas()->Brush()->SetColor(clBtnFace);
    b.SetSize(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(b.Pixel(x, y), x < 2 && y < 2 ? old.Pixel(x, y) : ColorToRGB(clBtnFace)) << x << "," << y;
    b.SetWidth(1);
    EXPECT_EQ(b.Width(), 1);
    EXPECT_EQ(b.Pixel(0, 1), old.Pixel(0, 1));
    EXPECT_THROW(b.SetHeight(-1), EInvalidGraphic);
    EXPECT_EQ(b.Pixel(5, 0), CLR_INVALID);
    EXPECT_THROW(b.ScanLine(3), EInvalidGraphic);
}

TEST(Bitmap, AssignCopiesPixelsAndTransparencyAndRaisesOnChange) {
    auto srcp = Pattern(3, 2);
    TBitmap& src = *srcp;
    src.SetTransparent(true);
    src.SetTransparentColor(clLime);
    struct Counter : TObject {
        int Count = 0;
        void Changed(TObject*) { ++Count; }
    } counter;
    TBitmap dst;
    dst.OnChange = TNotifyEvent::Of<&Counter::Changed>(&counter);
    dst.Assign(&src);
    EXPECT_EQ(counter.Count, 1);
    ExpectSamePixels(src, dst);
    EXPECT_TRUE(dst.Transparent());
    EXPECT_EQ(dst.TransparentColor(), clLime);

    dst.Canvas()->SetPixels(0, 0, clBlack);
    EXPECT_EQ(counter.Count, 2) << "drawing on the canvas changes the bitmap";
    EXPECT_NE(src.Pixel(0, 0), clBlack) << "the copy is deep";

    dst.Assign(nullptr);
    EXPECT_TRUE(dst.Empty());
    TBrush brush;
    EXPECT_THROW(dst.Assign(&brush), Exception);
}

TEST(Bitmap, DescriptionDataIsLengthPrefixedBmp) {
    auto srcp = Pattern(3, 2);
    TBitmap& src = *srcp;
    std::string data = src.WriteData();
    uint32_t len = uint8_t(data[0]) | uint8_t(data[1]) << 8 | uint8_t(data[2]) << 16 | uint32_t(uint8_t(data[3])) << 24;
    EXPECT_EQ(len, data.size() - 4);
    EXPECT_EQ(data.substr(4, 2), "BM");

    TDfmValue v;
    v.Kind = TDfmValueKind::Binary;
    v.Bytes.assign(data.begin(), data.end());
    TBitmap back;
    EXPECT_TRUE(back.ReadDefinedProperty("Data", v));
    ExpectSamePixels(src, back);
    EXPECT_FALSE(back.ReadDefinedProperty("Pixels", v));

    v.Kind = TDfmValueKind::String;
    EXPECT_THROW(back.ReadDefinedProperty("Data", v), EReadError);
    EXPECT_THROW(back.ReadData(data.substr(0, data.size() - 1)), EInvalidGraphic) << "length beyond the data";
    back.ReadData(std::string(4, '\0'));
    EXPECT_TRUE(back.Empty()) << "length 0 is an empty bitmap";
}

TEST(Bitmap, LoadsFromANamedBitmapResource) {
    static const std::string png = Pattern(2, 2)->SaveToMemory(TImageFormat::Png);
    TResourceRegistration reg("test_platform_graphics", "GFXTESTGLYPH", TResourceKind::Bitmap,
                              reinterpret_cast<const unsigned char*>(png.data()), png.size());
    TBitmap b;
    b.LoadFromResourceName("gfxtestglyph");
    ExpectSamePixels(*Pattern(2, 2), b);
    EXPECT_THROW(b.LoadFromResourceName("NOSUCHGLYPH"), EResNotFound);
}

TEST(Bitmap, GlyphFramesAreWholeSquares) {
    const std::vector<std::tuple<int, int, int>> cases = {{48, 16, 3}, {16, 16, 1}, {32, 16, 2}, {40, 16, 2}, {8, 16, 0}, {0, 0, 0}, {16, 0, 0}};
    for (auto [w, h, frames] : cases) EXPECT_EQ(GlyphFrameCount(TBitmap(w, h)), frames) << w << "x" << h;
}
