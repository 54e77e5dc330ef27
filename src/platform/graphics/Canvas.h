#pragma once
// The canvas: brush, pen and font, rectangles, lines, pixels, text, bitmaps and raster
// operations, in the original library's terms (colours $00BBGGRR, raster-operation numbers, text
// format flags).
//
// A canvas draws through a paint engine (TPaintEngine). The bitmap engine draws into a TBitmap's
// pixels; a widgetset supplies an engine that paints onto a window. Callers only see TCanvas, so
// the same painting code serves both. The canvas clips and resolves colours, then calls the
// engine; an engine needs only Bounds, GetPixel and SetPixel, and may override the rest to draw
// with its own means (text above all).
//
// Text is measured by the installed widgetset (WidgetSet().TextExtent) with the canvas font. The
// bitmap engine draws text without glyph shapes: each character other than a blank is a solid
// box in the font colour, one pixel in from its cell on the left and right, from two pixels
// below the cell's top to two above its bottom (cells as the metrics measure them); a prefixed
// character's underline is the cell's bottom row. That is deterministic and shows where text
// went and in which colour; a widgetset engine may draw real glyphs.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/Classes.h"
#include "platform/forms/Controls.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphics.h"

namespace plat {

// ---- Raster operations -----------------------------------------------------------------------

// Ternary raster operations (the original numbers). The third byte is the truth table over
// pattern (the brush colour), source and destination; any such code is accepted as CopyMode.
using TCopyMode = int32_t;
constexpr TCopyMode cmBlackness = 0x00000042, cmDstInvert = 0x00550009, cmMergeCopy = 0x00C000CA,
                    cmMergePaint = 0x00BB0226, cmNotSrcCopy = 0x00330008, cmNotSrcErase = 0x001100A6,
                    cmPatCopy = 0x00F00021, cmPatInvert = 0x005A0049, cmPatPaint = 0x00FB0A09,
                    cmSrcAnd = 0x008800C6, cmSrcCopy = 0x00CC0020, cmSrcErase = 0x00440328,
                    cmSrcInvert = 0x00660046, cmSrcPaint = 0x00EE0086, cmWhiteness = 0x00FF0062;
// Brush where the source is black, destination where it is white: draws a monochrome mask
// in the brush colour (the disabled-glyph emboss).
constexpr TCopyMode ROP_PSDPxax = 0x00B8074A;
// Brush where the source is white, destination where it is black.
constexpr TCopyMode ROP_DSPDxax = 0x00E20746;

// Binary raster operations of pens (R2_*), 1..16.
constexpr int R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4, R2_MASKPENNOT = 5,
              R2_NOT = 6, R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9, R2_NOTXORPEN = 10, R2_NOP = 11,
              R2_MERGENOTPEN = 12, R2_COPYPEN = 13, R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16;

// One pixel through a ternary raster operation (pattern, source, destination as $00BBGGRR).
TColor ApplyRop3(uint32_t rop, TColor pattern, TColor source, TColor dest);
// One pixel through a binary raster operation (R2_* code).
TColor ApplyRop2(int rop2, TColor pen, TColor dest);

// ---- Text format flags (DrawText) -----------------------------------------------------------

constexpr unsigned DT_TOP = 0x0000, DT_LEFT = 0x0000, DT_CENTER = 0x0001, DT_RIGHT = 0x0002,
                   DT_VCENTER = 0x0004, DT_BOTTOM = 0x0008, DT_WORDBREAK = 0x0010, DT_SINGLELINE = 0x0020,
                   DT_EXPANDTABS = 0x0040, DT_NOCLIP = 0x0100, DT_CALCRECT = 0x0400, DT_NOPREFIX = 0x0800;

// ---- Brush and pen ---------------------------------------------------------------------------

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
    pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
PLAT_DECLARE_ENUM(TBrushStyle)
PLAT_DECLARE_ENUM(TPenStyle)
PLAT_DECLARE_ENUM(TPenMode)

// The R2_* code of a pen mode.
int PenModeToRop2(TPenMode mode);

class TBrush : public TPersistent {
    PLAT_CLASS(TBrush)
    TBrush() = default;
    TColor Color() const { return fColor; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return fStyle; }
    void SetStyle(TBrushStyle style);
    void Assign(TPersistent* source) override;
    TNotifyEvent OnChange;

private:
    void Changed();
    TColor fColor = clWhite;
    TBrushStyle fStyle = bsSolid;
};

class TPen : public TPersistent {
    PLAT_CLASS(TPen)
    TPen() = default;
    TColor Color() const { return fColor; }
    void SetColor(TColor color);
    int Width() const { return fWidth; }
    void SetWidth(int width);  // values below 1 read as 1
    TPenStyle Style() const { return fStyle; }
    void SetStyle(TPenStyle style);
    TPenMode Mode() const { return fMode; }
    void SetMode(TPenMode mode);
    void Assign(TPersistent* source) override;
    TNotifyEvent OnChange;

private:
    void Changed();
    TColor fColor = clBlack;
    int fWidth = 1;
    TPenStyle fStyle = psSolid;
    TPenMode fMode = pmCopy;
};

// ---- Paint engines ---------------------------------------------------------------------------

// One line of text as the canvas hands it to an engine: clipped to Clip, in the font's colour
// (already resolved to RGB), with the character at PrefixIndex (in code points) underlined
// (-1: none).
struct TTextRun {
    int X = 0, Y = 0;
    std::string Text;
    const TFont* Font = nullptr;
    TColor Color = clBlack;
    TRect Clip;
    int PrefixIndex = -1;
};

class TPaintEngine {
public:
    virtual ~TPaintEngine() = default;
    // The drawable area in device coordinates (0, 0, width, height).
    virtual TRect Bounds() const = 0;
    // RGB of a pixel, CLR_INVALID outside.
    virtual TColor GetPixel(int x, int y) const = 0;
    // Sets an RGB pixel; outside is ignored.
    virtual void SetPixel(int x, int y, TColor rgb) = 0;

    // The rest has plain implementations on the three above; engines override to do better.
    // Combines rect r (already clipped) with `rgb` by a binary raster operation.
    virtual void FillRect(const TRect& r, TColor rgb, int rop2);
    // Maps sourceRect of `source` onto dest (scaling by the nearest pixel when the sizes differ)
    // and combines each pixel inside `clip` (already within dest, the device and the canvas clip)
    // by a ternary raster operation with `pattern` (the brush colour). Pixels whose source lies
    // outside the source bitmap are left alone. `source` may be null for operations without one.
    virtual void Blit(const TRect& clip, const TRect& dest, const TBitmap* source, const TRect& sourceRect,
                      uint32_t rop, TColor pattern);
    // Draws one line of text (see the header comment for what the plain implementation draws).
    virtual void DrawTextRun(const TTextRun& run);
    // Copies a rectangle of the device into a new bitmap (for a canvas used as a source).
    virtual std::unique_ptr<TBitmap> Grab(const TRect& r) const;
    // The bitmap the engine draws into, when it is one (lets a source be read without copying).
    virtual const TBitmap* Target() const { return nullptr; }
};

// The engine of a bitmap's canvas.
class TBitmapPaintEngine : public TPaintEngine {
public:
    explicit TBitmapPaintEngine(TBitmap* bitmap) : fBitmap(bitmap) {}
    TRect Bounds() const override { return {0, 0, fBitmap->Width(), fBitmap->Height()}; }
    TColor GetPixel(int x, int y) const override { return fBitmap->Pixel(x, y); }
    void SetPixel(int x, int y, TColor rgb) override;
    void FillRect(const TRect& r, TColor rgb, int rop2) override;
    const TBitmap* Target() const override { return fBitmap; }

private:
    TBitmap* fBitmap;
};

// ---- The canvas ------------------------------------------------------------------------------

class TCanvas : public TPersistent {
    PLAT_CLASS(TCanvas)
    // A canvas without an engine raises EInvalidOperation when asked to draw.
    TCanvas();
    explicit TCanvas(std::unique_ptr<TPaintEngine> engine);
    ~TCanvas() override;

    TPaintEngine* Engine() const { return fEngine.get(); }
    void SetEngine(std::unique_ptr<TPaintEngine> engine);
    bool HasEngine() const { return fEngine != nullptr; }

    TFont* Font() const { return fFont.get(); }
    void SetFont(TFont* font);  // assigns
    TBrush* Brush() const { return fBrush.get(); }
    void SetBrush(TBrush* brush);
    TPen* Pen() const { return fPen.get(); }
    void SetPen(TPen* pen);
    TCopyMode CopyMode() const { return fCopyMode; }
    void SetCopyMode(TCopyMode mode) { fCopyMode = mode; }
    TPoint PenPos() const { return fPenPos; }
    void SetPenPos(TPoint p) { fPenPos = p; }

    // Drawing is limited to the clip rectangle (the whole device unless set).
    TRect ClipRect() const;
    void SetClipRect(const TRect& r);
    void ResetClipRect();

    // Rectangles: right and bottom edges are exclusive.
    void FillRect(const TRect& r);   // brush
    void FrameRect(const TRect& r);  // one-pixel border in the brush colour
    // Outline with the pen (inside the rectangle), interior with the brush.
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    // Dotted border inverted pixel by pixel: drawing it twice restores the picture.
    void DrawFocusRect(const TRect& r);

    // Lines with the pen; LineTo leaves out the end point and moves the pen there.
    void MoveTo(int x, int y) { fPenPos = {x, y}; }
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& points);

    TColor Pixels(int x, int y) const;  // RGB, CLR_INVALID outside the device
    void SetPixels(int x, int y, TColor color);

    // Text: no "&" processing. A solid brush paints the text cell (TextOut) or the whole rectangle
    // (TextRect) behind the text first. TextOut moves the pen to the end of the text.
    void TextOut(int x, int y, const std::string& text);
    void TextRect(const TRect& r, int x, int y, const std::string& text);
    TTextSize TextExtent(const std::string& text) const;
    int TextWidth(const std::string& text) const { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) const { return TextExtent(text).cy; }
    // Formatted text in a rectangle (DT_* flags); answers the text height (with DT_VCENTER or
    // DT_BOTTOM, the offset from r.Top to the bottom of the text). DT_CALCRECT only measures and
    // sets r's right and bottom.
    int DrawText(const std::string& text, TRect& r, unsigned flags);

    // Pictures. Draw honours the graphic's Transparent (its transparent colour left out),
    // otherwise copies with CopyMode; StretchDraw scales (nearest pixel) into r.
    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const TRect& r, TGraphic* graphic);
    // Copies (scaling when the sizes differ) a rectangle of another canvas by CopyMode.
    void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);
    // Copies a rectangle of a bitmap, painting its pixels of `color` in the brush colour.
    void BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void Changing();
    virtual void Changed();

private:
    friend void BitBlt(TCanvas&, int, int, int, int, TCanvas&, int, int, uint32_t);
    TPaintEngine& RequireEngine() const;
    void FillClipped(const TRect& r, TColor rgb, int rop2);
    void PlotPen(int x, int y, int rop2, TColor rgb, int width);
    void DrawLine(TPoint a, TPoint b, bool includeEnd);
    void BlitFrom(const TRect& dest, const TBitmap& src, const TRect& srcRect, uint32_t rop);
    void DrawTextLine(int x, int y, const std::string& text, int prefixIndex, const TRect& clip);

    std::unique_ptr<TPaintEngine> fEngine;
    std::unique_ptr<TFont> fFont;
    std::unique_ptr<TBrush> fBrush;
    std::unique_ptr<TPen> fPen;
    TCopyMode fCopyMode = cmSrcCopy;
    TPoint fPenPos;
    bool fHasClip = false;
    TRect fClip;
};

// A raster operation from one canvas to another, as the system call of the same name: copies a
// w x h block from (sx, sy) of `source` to (x, y) of `dest`, with dest's brush as pattern.
void BitBlt(TCanvas& dest, int x, int y, int w, int h, TCanvas& source, int sx, int sy, uint32_t rop);

// Rectangle helpers.
TRect IntersectRect(const TRect& a, const TRect& b);  // empty (0,0,0,0) when they do not meet
bool IsRectEmpty(const TRect& r);
TRect InflateRect(const TRect& r, int dx, int dy);
TRect OffsetRect(const TRect& r, int dx, int dy);

}  // namespace plat
