#include "platform/graphics/Bitmap.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/forms/DfmReader.h"
#include "platform/forms/Resources.h"
#include "platform/graphics/Canvas.h"

namespace plat {

PLAT_DEFINE_ENUM(TPixelFormat, "pfDevice", "pf1bit", "pf4bit", "pf8bit", "pf15bit", "pf16bit", "pf24bit",
                 "pf32bit", "pfCustom")
PLAT_DEFINE_ENUM(TTransparentMode, "tmAuto", "tmFixed")

PLAT_REGISTER_CLASS(TGraphic, TPersistent) {}
PLAT_REGISTER_CLASS(TBitmap, TGraphic) {}

namespace {

// Larger pictures are refused as damaged data rather than allocated.
constexpr int64_t MaxDimension = 32768;
constexpr int64_t MaxPixels = int64_t(1) << 26;

void CheckSize(int64_t width, int64_t height) {
    if (width < 0 || height < 0) throw EInvalidGraphic("Bitmap size cannot be negative");
    if (width > MaxDimension || height > MaxDimension || width * height > MaxPixels)
        throw EInvalidGraphic("Bitmap is too large (" + std::to_string(width) + " x " + std::to_string(height) +
                              " pixels)");
}

bool HasExtension(const std::string& fileName, const char* ext) {
    size_t n = std::strlen(ext);
    if (fileName.size() < n) return false;
    return SameName(fileName.substr(fileName.size() - n), ext);
}

std::string ReadAll(std::istream& stream) {
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// Little-endian fields of a byte image, each access bounds-checked.
class TBytes {
public:
    TBytes(const uint8_t* data, size_t size) : fData(data), fSize(size) {}
    size_t Size() const { return fSize; }
    void Need(size_t offset, size_t count) const {
        if (offset > fSize || count > fSize - offset) throw EInvalidGraphic("Bitmap image is truncated");
    }
    uint8_t U8(size_t o) const { Need(o, 1); return fData[o]; }
    uint16_t U16(size_t o) const { Need(o, 2); return static_cast<uint16_t>(fData[o] | (fData[o + 1] << 8)); }
    uint32_t U32(size_t o) const {
        Need(o, 4);
        return uint32_t(fData[o]) | (uint32_t(fData[o + 1]) << 8) | (uint32_t(fData[o + 2]) << 16) |
               (uint32_t(fData[o + 3]) << 24);
    }
    int32_t I32(size_t o) const { return static_cast<int32_t>(U32(o)); }
    const uint8_t* At(size_t o) const { return fData + o; }

private:
    const uint8_t* fData;
    size_t fSize;
};

void PutU16(std::string& s, uint16_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>(v >> 8));
}
void PutU32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A channel described by a bit mask, scaled to 0..255.
struct TChannel {
    uint32_t Mask = 0;
    int Shift = 0;
    uint32_t Max = 0;
    explicit TChannel(uint32_t mask) : Mask(mask) {
        if (!mask) return;
        while (!((mask >> Shift) & 1)) ++Shift;
        Max = mask >> Shift;
    }
    uint8_t Get(uint32_t px) const {
        if (!Mask) return 0;
        return static_cast<uint8_t>(((px & Mask) >> Shift) * 255 / Max);
    }
};

constexpr uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6;

TRGBTriple Quantise(TRGBTriple t) {
    static const TRGBTriple white{255, 255, 255};
    return t == white ? white : TRGBTriple{};
}

}  // namespace

// ---- TGraphic --------------------------------------------------------------------------------

void TGraphic::SetTransparent(bool value) {
    if (value == fTransparent) return;
    fTransparent = value;
    Changed();
}

void TGraphic::SetModified(bool value) {
    if (value)
        Changed();
    else
        fModified = false;
}

void TGraphic::Changed() {
    fModified = true;
    OnChange(this);
}

void TGraphic::LoadFromFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        int err = errno;
        throw EInOutError("Cannot open file \"" + fileName + "\". " + std::strerror(err), err);
    }
    LoadFromStream(in);
}

void TGraphic::SaveToFile(const std::string& fileName) const {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out) {
        int err = errno;
        throw EInOutError("Cannot create file \"" + fileName + "\". " + std::strerror(err), err);
    }
    SaveToStream(out);
    out.flush();
    if (!out) throw EInOutError("Cannot write file \"" + fileName + "\"", EIO);
}

// ---- TBitmap ---------------------------------------------------------------------------------

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) { Resize(width, height); }

TBitmap::~TBitmap() = default;

void TBitmap::Resize(int width, int height) {
    CheckSize(width, height);
    if (width == fWidth && height == fHeight) return;
    TColor fill = fCanvas ? ColorToRGB(fCanvas->Brush()->Color()) : clWhite;
    TRGBTriple t = ColorToTriple(fill);
    if (Monochrome()) t = Quantise(t);
    std::vector<TRGBTriple> pixels(static_cast<size_t>(width) * height, t);
    int w = std::min(width, fWidth), h = std::min(height, fHeight);
    for (int y = 0; y < h; ++y)
        std::copy_n(fPixels.begin() + static_cast<ptrdiff_t>(y) * fWidth, w,
                    pixels.begin() + static_cast<ptrdiff_t>(y) * width);
    fPixels.swap(pixels);
    fWidth = width;
    fHeight = height;
}

void TBitmap::SetWidth(int width) { SetSize(width, fHeight); }
void TBitmap::SetHeight(int height) { SetSize(fWidth, height); }

void TBitmap::SetSize(int width, int height) {
    if (width == fWidth && height == fHeight) return;
    Resize(width, height);
    Changed();
}

TCanvas* TBitmap::Canvas() {
    if (!fCanvas) {
        fCanvas = std::make_unique<TCanvas>(std::make_unique<TBitmapPaintEngine>(this));
        fCanvas->OnChange = TNotifyEvent::Of<&TBitmap::CanvasChanged>(this);
    }
    return fCanvas.get();
}

void TBitmap::CanvasChanged(TObject*) { Changed(); }

void TBitmap::Changed() { TGraphic::Changed(); }

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == fPixelFormat) return;
    if (format == pf1bit) {
        SetMonochrome(true);
        return;
    }
    fPixelFormat = format;
    Changed();
}

void TBitmap::SetMonochrome(bool value) {
    if (value == Monochrome()) return;
    if (value) {
        for (auto& p : fPixels) p = Quantise(p);
        fPixelFormat = pf1bit;
    } else {
        fPixelFormat = pf24bit;
    }
    Changed();
}

TColor TBitmap::TransparentColor() const {
    if (fTransparentMode == tmFixed && fTransparentColor != clDefault) return fTransparentColor;
    if (Empty()) return clNone;
    if (Monochrome()) return clWhite;
    return Pixel(0, fHeight - 1);
}

void TBitmap::SetTransparentColor(TColor color) {
    if (color == fTransparentColor && (color == clDefault) == (fTransparentMode == tmAuto)) return;
    fTransparentMode = color == clDefault ? tmAuto : tmFixed;
    fTransparentColor = color;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode) {
    if (mode == fTransparentMode) return;
    if (mode == tmAuto)
        SetTransparentColor(clDefault);
    else
        SetTransparentColor(TransparentColor());
}

void TBitmap::Mask(TColor transparentColor) {
    TRGBTriple key = ColorToTriple(ColorToRGB(transparentColor));
    for (auto& p : fPixels) p = p == key ? TRGBTriple{255, 255, 255} : TRGBTriple{};
    fPixelFormat = pf1bit;
    Changed();
}

TColor TBitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= fWidth || y >= fHeight) return CLR_INVALID;
    return TripleToColor(fPixels[static_cast<size_t>(y) * fWidth + x]);
}

void TBitmap::SetPixel(int x, int y, TColor color) {
    if (x < 0 || y < 0 || x >= fWidth || y >= fHeight) return;
    TRGBTriple t = ColorToTriple(ColorToRGB(color));
    fPixels[static_cast<size_t>(y) * fWidth + x] = Monochrome() ? Quantise(t) : t;
}

TRGBTriple* TBitmap::ScanLine(int y) {
    if (y < 0 || y >= fHeight) throw EInvalidGraphic("Scan line index out of range");
    return fPixels.data() + static_cast<size_t>(y) * fWidth;
}

const TRGBTriple* TBitmap::ScanLine(int y) const {
    if (y < 0 || y >= fHeight) throw EInvalidGraphic("Scan line index out of range");
    return fPixels.data() + static_cast<size_t>(y) * fWidth;
}

void TBitmap::Fill(TColor color) {
    TRGBTriple t = ColorToTriple(ColorToRGB(color));
    std::fill(fPixels.begin(), fPixels.end(), Monochrome() ? Quantise(t) : t);
    Changed();
}

void TBitmap::Assign(TPersistent* source) {
    if (!source) {
        fPixels.clear();
        fWidth = fHeight = 0;
        Changed();
        return;
    }
    auto* src = dynamic_cast<TBitmap*>(source);
    if (!src) {
        TPersistent::Assign(source);
        return;
    }
    if (src == this) return;
    fPixels = src->fPixels;
    fWidth = src->fWidth;
    fHeight = src->fHeight;
    fPixelFormat = src->fPixelFormat;
    fTransparentColor = src->fTransparentColor;
    fTransparentMode = src->fTransparentMode;
    if (Transparent() != src->Transparent())
        SetTransparent(src->Transparent());  // raises the change itself
    else
        Changed();
}

// ---- Reading ---------------------------------------------------------------------------------

void TBitmap::LoadFromStream(std::istream& stream) {
    std::string bytes = ReadAll(stream);
    LoadFromMemory(bytes.data(), bytes.size());
}

void TBitmap::LoadFromMemory(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    if (size == 0) {
        Assign(nullptr);
        return;
    }
    if (size >= 8 && png_sig_cmp(p, 0, 8) == 0)
        ReadPng(p, size);
    else if (size >= 2 && p[0] == 'B' && p[1] == 'M')
        ReadBmp(p, size);
    else
        throw EInvalidGraphic("Bitmap image is not valid (neither a BMP nor a PNG image)");
    Changed();
}

void TBitmap::ReadBmp(const uint8_t* data, size_t size) {
    TBytes b(data, size);
    uint32_t offBits = b.U32(10);
    uint32_t headerSize = b.U32(14);
    int64_t width = 0, height = 0;
    int bpp = 0;
    uint32_t compression = BI_RGB;
    size_t paletteAt = 14 + headerSize, paletteEntry = 4, colors = 0;
    uint32_t masks[3] = {0, 0, 0};
    if (headerSize == 12) {
        width = b.U16(18);
        height = static_cast<int16_t>(b.U16(20));
        bpp = b.U16(24);
        paletteEntry = 3;
        if (bpp <= 8) colors = size_t(1) << bpp;
    } else if (headerSize >= 40 && headerSize <= 124) {
        width = b.I32(18);
        height = b.I32(22);
        bpp = b.U16(28);
        compression = b.U32(30);
        uint32_t used = b.U32(46);
        if (compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS) {
            size_t at = headerSize >= 52 ? 54 : 14 + headerSize;
            for (int i = 0; i < 3; ++i) masks[i] = b.U32(at + 4 * i);
            if (headerSize < 52) paletteAt += compression == BI_ALPHABITFIELDS ? 16 : 12;
        }
        if (bpp <= 8) {
            if (used > (uint32_t(1) << bpp)) throw EInvalidGraphic("Bitmap palette is too large");
            colors = used ? used : size_t(1) << bpp;
        }
    } else {
        throw EInvalidGraphic("Bitmap header is not valid (size " + std::to_string(headerSize) + ")");
    }
    if (compression == BI_RLE8 || compression == BI_RLE4)
        throw EInvalidGraphic("Run-length compressed bitmaps are not supported");
    if (compression != BI_RGB && compression != BI_BITFIELDS && compression != BI_ALPHABITFIELDS)
        throw EInvalidGraphic("Bitmap compression " + std::to_string(compression) + " is not supported");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        throw EInvalidGraphic("Bitmap with " + std::to_string(bpp) + " bits per pixel is not supported");
    if (compression != BI_RGB && bpp != 16 && bpp != 32)
        throw EInvalidGraphic("Bit-field masks need 16 or 32 bits per pixel");
    bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0) throw EInvalidGraphic("Bitmap size is not valid");
    CheckSize(width, height);

    std::vector<TRGBTriple> palette(colors);
    for (size_t i = 0; i < colors; ++i) {
        size_t at = paletteAt + i * paletteEntry;
        palette[i] = {b.U8(at), b.U8(at + 1), b.U8(at + 2)};
    }
    if (compression == BI_RGB) {
        if (bpp == 16) {
            masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
        } else if (bpp == 32) {
            masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
        }
    }
    const TChannel red(masks[0]), green(masks[1]), blue(masks[2]);

    size_t stride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
    size_t pixelsAt = offBits ? offBits : paletteAt + colors * paletteEntry;
    // The last row may come without its padding.
    b.Need(pixelsAt, stride * (height - 1) + (static_cast<size_t>(width) * bpp + 7) / 8);

    std::vector<TRGBTriple> pixels(static_cast<size_t>(width * height));
    auto index = [&](size_t i) { return i < palette.size() ? palette[i] : TRGBTriple{}; };
    for (int64_t row = 0; row < height; ++row) {
        const uint8_t* src = b.At(pixelsAt + stride * row);
        int64_t y = topDown ? row : height - 1 - row;
        TRGBTriple* dst = pixels.data() + y * width;
        for (int64_t x = 0; x < width; ++x) {
            switch (bpp) {
                case 1: dst[x] = index((src[x >> 3] >> (7 - (x & 7))) & 1); break;
                case 4: dst[x] = index((src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF); break;
                case 8: dst[x] = index(src[x]); break;
                case 16: {
                    uint32_t px = src[2 * x] | (src[2 * x + 1] << 8);
                    dst[x] = {blue.Get(px), green.Get(px), red.Get(px)};
                    break;
                }
                case 24: dst[x] = {src[3 * x], src[3 * x + 1], src[3 * x + 2]}; break;
                case 32: {
                    uint32_t px = uint32_t(src[4 * x]) | (uint32_t(src[4 * x + 1]) << 8) |
                                  (uint32_t(src[4 * x + 2]) << 16) | (uint32_t(src[4 * x + 3]) << 24);
                    dst[x] = {blue.Get(px), green.Get(px), red.Get(px)};
                    break;
                }
            }
        }
    }
    fPixels.swap(pixels);
    fWidth = static_cast<int>(width);
    fHeight = static_cast<int>(height);
    switch (bpp) {
        case 1: fPixelFormat = pf1bit; break;
        case 4: fPixelFormat = pf4bit; break;
        case 8: fPixelFormat = pf8bit; break;
        case 16: fPixelFormat = masks[1] == 0x07E0 ? pf16bit : pf15bit; break;
        case 24: fPixelFormat = pf24bit; break;
        default: fPixelFormat = pf32bit; break;
    }
}

void TBitmap::ReadPng(const uint8_t* data, size_t size) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size))
        throw EInvalidGraphic(std::string("PNG image is not valid: ") + image.message);
    try {
        CheckSize(image.width, image.height);
    } catch (...) {
        png_image_free(&image);
        throw;
    }
    image.format = PNG_FORMAT_BGR;
    // Transparent parts are composited onto the white the buffer starts with.
    std::vector<TRGBTriple> pixels(static_cast<size_t>(image.width) * image.height, TRGBTriple{255, 255, 255});
    if (!png_image_finish_read(&image, nullptr, pixels.data(), static_cast<png_int_32>(image.width * 3), nullptr))
        throw EInvalidGraphic(std::string("PNG image is not valid: ") + image.message);
    fPixels.swap(pixels);
    fWidth = static_cast<int>(image.width);
    fHeight = static_cast<int>(image.height);
    fPixelFormat = pf24bit;
}

// ---- Writing ---------------------------------------------------------------------------------

std::string TBitmap::WriteBmp() const {
    if (Empty()) return {};
    uint32_t stride = ((static_cast<uint32_t>(fWidth) * 24 + 31) / 32) * 4;
    uint32_t imageSize = stride * static_cast<uint32_t>(fHeight);
    std::string s;
    s.reserve(54 + imageSize);
    s += "BM";
    PutU32(s, 54 + imageSize);
    PutU32(s, 0);
    PutU32(s, 54);
    PutU32(s, 40);
    PutU32(s, static_cast<uint32_t>(fWidth));
    PutU32(s, static_cast<uint32_t>(fHeight));  // bottom-up
    PutU16(s, 1);
    PutU16(s, 24);
    PutU32(s, BI_RGB);
    PutU32(s, imageSize);
    PutU32(s, 3780);  // 96 dots per inch
    PutU32(s, 3780);
    PutU32(s, 0);
    PutU32(s, 0);
    for (int y = fHeight - 1; y >= 0; --y) {
        const TRGBTriple* row = ScanLine(y);
        for (int x = 0; x < fWidth; ++x) {
            s.push_back(static_cast<char>(row[x].rgbtBlue));
            s.push_back(static_cast<char>(row[x].rgbtGreen));
            s.push_back(static_cast<char>(row[x].rgbtRed));
        }
        s.append(stride - static_cast<uint32_t>(fWidth) * 3, '\0');
    }
    return s;
}

std::string TBitmap::WritePng() const {
    if (Empty()) throw EInvalidGraphic("An empty bitmap cannot be saved as PNG");
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(fWidth);
    image.height = static_cast<png_uint_32>(fHeight);
    image.format = PNG_FORMAT_BGR;
    png_int_32 stride = static_cast<png_int_32>(fWidth * 3);
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, fPixels.data(), stride, nullptr))
        throw EInvalidGraphic(std::string("PNG image cannot be written: ") + image.message);
    std::string out(size, '\0');
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, fPixels.data(), stride, nullptr))
        throw EInvalidGraphic(std::string("PNG image cannot be written: ") + image.message);
    out.resize(size);
    return out;
}

std::string TBitmap::SaveToMemory(TImageFormat format) const {
    return format == TImageFormat::Png ? WritePng() : WriteBmp();
}

void TBitmap::SaveToStream(std::ostream& stream) const { SaveToStream(stream, TImageFormat::Bmp); }

void TBitmap::SaveToStream(std::ostream& stream, TImageFormat format) const {
    std::string bytes = SaveToMemory(format);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void TBitmap::SaveToFile(const std::string& fileName) const {
    if (!HasExtension(fileName, ".png")) {
        TGraphic::SaveToFile(fileName);
        return;
    }
    std::string bytes = WritePng();  // before the file is created: an empty bitmap leaves none
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out) {
        int err = errno;
        throw EInOutError("Cannot create file \"" + fileName + "\". " + std::strerror(err), err);
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) throw EInOutError("Cannot write file \"" + fileName + "\"", EIO);
}

// ---- Descriptions ----------------------------------------------------------------------------

bool TBitmap::ReadDefinedProperty(const std::string& name, const TDfmValue& value) {
    if (!SameName(name, "Data")) return TGraphic::ReadDefinedProperty(name, value);
    if (value.Kind != TDfmValueKind::Binary) throw EReadError("Bitmap data must be a binary value");
    ReadData(std::string(value.Bytes.begin(), value.Bytes.end()));
    return true;
}

void TBitmap::LoadFromResourceName(const std::string& resName) {
    const TResource* res = FindResource(resName, TResourceKind::Bitmap);
    if (!res) throw EResNotFound("Resource " + resName + " not found");
    LoadFromMemory(res->Bytes, res->Size);
}

void TBitmap::ReadData(const std::string& bytes) {
    if (bytes.size() < 4) throw EInvalidGraphic("Bitmap data is truncated");
    TBytes b(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    uint32_t length = b.U32(0);
    if (length > bytes.size() - 4) throw EInvalidGraphic("Bitmap data is truncated");
    LoadFromMemory(bytes.data() + 4, length);
}

std::string TBitmap::WriteData() const {
    std::string image = WriteBmp();
    std::string s;
    PutU32(s, static_cast<uint32_t>(image.size()));
    return s + image;
}

int GlyphFrameCount(const TBitmap& bitmap) {
    if (bitmap.Empty()) return 0;
    return bitmap.Width() / bitmap.Height();
}

}  // namespace plat
