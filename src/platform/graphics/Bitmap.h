#pragma once
// Pictures: TGraphic (the common base of what a picture property holds) and TBitmap, a picture
// of 24-bit RGB pixels in memory (no alpha channel) with a canvas that draws into them.
//
// Pixels are kept as rows of TRGBTriple (blue, green, red), top row first; ScanLine(y) gives a
// row whatever the PixelFormat says. PixelFormat is kept as a tag for callers that ask; pf1bit
// (= Monochrome) reduces the pixels to black and white, other formats keep every colour.
//
// Files and streams: BMP (read: 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed or with
// bit-field masks, bottom-up or top-down; write: 24 bits) and PNG through libpng (any PNG is
// read, alpha composited onto white; written as 8-bit RGB). Loading recognises the format by its
// signature, so a PNG loads through LoadFromFile/LoadFromStream as well as a BMP.
//
// A form description stores a bitmap as the defined property "Data": a 4-byte little-endian
// length followed by that many bytes of a BMP file image.
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/Classes.h"
#include "platform/graphics/Graphics.h"

namespace plat {

class TCanvas;

// A picture that cannot be read or written (bad or truncated data, unsupported variant).
PLAT_DECLARE_EXCEPTION(EInvalidGraphic, Exception)

// A pixel as a 24-bit bitmap row stores it.
struct TRGBTriple {
    uint8_t rgbtBlue = 0;
    uint8_t rgbtGreen = 0;
    uint8_t rgbtRed = 0;
    bool operator==(const TRGBTriple&) const = default;
};
static_assert(sizeof(TRGBTriple) == 3, "rows are packed triples");

inline TRGBTriple ColorToTriple(TColor rgb) {
    return {static_cast<uint8_t>(GetBValue(rgb)), static_cast<uint8_t>(GetGValue(rgb)),
            static_cast<uint8_t>(GetRValue(rgb))};
}
inline TColor TripleToColor(TRGBTriple t) { return RGB(t.rgbtRed, t.rgbtGreen, t.rgbtBlue); }

// What GetPixel answers outside a bitmap.
constexpr TColor CLR_INVALID = -1;

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };
PLAT_DECLARE_ENUM(TPixelFormat)
PLAT_DECLARE_ENUM(TTransparentMode)

enum class TImageFormat { Bmp, Png };

// The common base of pictures.
class TGraphic : public TPersistent {
    PLAT_CLASS(TGraphic)
    TGraphic() = default;

    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int width) = 0;
    virtual void SetHeight(int height) = 0;
    // Drawn with its transparent parts left out.
    bool Transparent() const { return fTransparent; }
    virtual void SetTransparent(bool value);
    bool Modified() const { return fModified; }
    void SetModified(bool value);

    // Files: read whatever format the data is; write the format the extension names.
    virtual void LoadFromFile(const std::string& fileName);
    virtual void SaveToFile(const std::string& fileName) const;
    virtual void LoadFromStream(std::istream& stream) = 0;
    virtual void SaveToStream(std::ostream& stream) const = 0;

    // Runs after every change of the picture (size, pixels, transparency, loading).
    TNotifyEvent OnChange;

protected:
    virtual void Changed();

private:
    bool fTransparent = false;
    bool fModified = false;
};

class TBitmap : public TGraphic {
    PLAT_CLASS(TBitmap)
    TBitmap();
    TBitmap(int width, int height);
    ~TBitmap() override;

    bool Empty() const override { return fWidth == 0 || fHeight == 0; }
    int Width() const override { return fWidth; }
    int Height() const override { return fHeight; }
    // Resizing keeps the pixels that stay inside; new pixels take the canvas brush colour
    // (white unless changed). Negative sizes raise EInvalidGraphic.
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    void SetSize(int width, int height);

    // The canvas that draws into the pixels (created on first use, owned by the bitmap).
    TCanvas* Canvas();

    TPixelFormat PixelFormat() const { return fPixelFormat; }
    // pf1bit reduces the pixels to black and white (Monochrome); others only change the tag.
    void SetPixelFormat(TPixelFormat format);
    bool Monochrome() const { return fPixelFormat == pf1bit; }
    // Reducing to black and white keeps exactly-white pixels white and makes all others black.
    void SetMonochrome(bool value);

    // The colour left out when the bitmap is drawn transparently. tmAuto: the bottom-left pixel
    // (clNone for an empty bitmap); tmFixed: the colour set. Setting clDefault returns to tmAuto.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return fTransparentMode; }
    void SetTransparentMode(TTransparentMode mode);

    // Turns the bitmap into a monochrome mask: pixels of `transparentColor` white, all others
    // black.
    void Mask(TColor transparentColor);

    // Pixels. Colours are RGB ($00BBGGRR); system colours are resolved when set.
    TColor Pixel(int x, int y) const;  // CLR_INVALID outside
    void SetPixel(int x, int y, TColor color);  // ignored outside
    // Row y (0 = top); raises EInvalidGraphic out of range.
    TRGBTriple* ScanLine(int y);
    const TRGBTriple* ScanLine(int y) const;
    // Every pixel in one colour (no change event per pixel).
    void Fill(TColor color);

    void Assign(TPersistent* source) override;

    void LoadFromStream(std::istream& stream) override;
    void SaveToStream(std::ostream& stream) const override;  // BMP
    void SaveToStream(std::ostream& stream, TImageFormat format) const;
    void SaveToFile(const std::string& fileName) const override;  // ".png": PNG, else BMP
    // From bytes in memory (BMP or PNG by signature).
    void LoadFromMemory(const void* data, size_t size);
    std::string SaveToMemory(TImageFormat format) const;

    // A bitmap resource (Resources.h, kind Bitmap) by name, from whichever loaded library
    // registered it (the latest registration wins). Raises EResNotFound when there is none.
    void LoadFromResourceName(const std::string& resName);

    // The description's "Data" value: length-prefixed BMP image.
    bool ReadDefinedProperty(const std::string& name, const TDfmValue& value) override;
    void ReadData(const std::string& bytes);
    std::string WriteData() const;

protected:
    void Changed() override;

private:
    void CanvasChanged(TObject* sender);
    void Resize(int width, int height);
    void ReadBmp(const uint8_t* data, size_t size);
    void ReadPng(const uint8_t* data, size_t size);
    std::string WriteBmp() const;
    std::string WritePng() const;

    int fWidth = 0;
    int fHeight = 0;
    std::vector<TRGBTriple> fPixels;
    TPixelFormat fPixelFormat = pf24bit;
    TColor fTransparentColor = clDefault;
    TTransparentMode fTransparentMode = tmAuto;
    std::unique_ptr<TCanvas> fCanvas;
};

// Square frames in a strip of glyph images (a 48 x 16 picture holds three); 0 for an empty
// bitmap (so a zero height never divides).
int GlyphFrameCount(const TBitmap& bitmap);

}  // namespace plat
