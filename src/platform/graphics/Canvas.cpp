#include "platform/graphics/Canvas.h"

#include <algorithm>

#include "platform/forms/WidgetSet.h"

namespace plat {

PLAT_DEFINE_ENUM(TBrushStyle, "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal",
                 "bsCross", "bsDiagCross")
PLAT_DEFINE_ENUM(TPenStyle, "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame")
PLAT_DEFINE_ENUM(TPenMode, "pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot",
                 "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask", "pmNotMask",
                 "pmXor", "pmNotXor")

PLAT_REGISTER_CLASS(TBrush, TPersistent) {
    b.Property("Color", &TBrush::Color, &TBrush::SetColor).Type(TypeColor()).Default(clWhite);
    b.Property("Style", &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

PLAT_REGISTER_CLASS(TPen, TPersistent) {
    b.Property("Color", &TPen::Color, &TPen::SetColor).Type(TypeColor()).Default(clBlack);
    b.Property("Mode", &TPen::Mode, &TPen::SetMode).Default(pmCopy);
    b.Property("Style", &TPen::Style, &TPen::SetStyle).Default(psSolid);
    b.Property("Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

PLAT_REGISTER_CLASS(TCanvas, TPersistent) {
    b.Property("Brush", &TCanvas::Brush, &TCanvas::SetBrush);
    b.Property("CopyMode", &TCanvas::CopyMode, &TCanvas::SetCopyMode).TypeName("TCopyMode").Default(cmSrcCopy);
    b.Property("Font", &TCanvas::Font, &TCanvas::SetFont);
    b.Property("Pen", &TCanvas::Pen, &TCanvas::SetPen);
}

// ---- Raster operations -----------------------------------------------------------------------

TColor ApplyRop3(uint32_t rop, TColor pattern, TColor source, TColor dest) {
    uint32_t table = (rop >> 16) & 0xFF;
    uint32_t p = static_cast<uint32_t>(pattern) & 0xFFFFFF, s = static_cast<uint32_t>(source) & 0xFFFFFF,
             d = static_cast<uint32_t>(dest) & 0xFFFFFF;
    uint32_t r = 0;
    // Bit i of the table is the result for pattern = bit 2 of i, source = bit 1, destination = bit 0.
    for (int i = 0; i < 8; ++i)
        if ((table >> i) & 1) r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    return static_cast<TColor>(r & 0xFFFFFF);
}

TColor ApplyRop2(int rop2, TColor pen, TColor dest) {
    if (rop2 < R2_BLACK || rop2 > R2_WHITE) rop2 = R2_COPYPEN;
    uint32_t table = static_cast<uint32_t>(rop2 - 1);
    uint32_t p = static_cast<uint32_t>(pen) & 0xFFFFFF, d = static_cast<uint32_t>(dest) & 0xFFFFFF;
    uint32_t r = 0;
    // Bit i of the table is the result for pen = bit 1 of i, destination = bit 0.
    for (int i = 0; i < 4; ++i)
        if ((table >> i) & 1) r |= ((i & 2) ? p : ~p) & ((i & 1) ? d : ~d);
    return static_cast<TColor>(r & 0xFFFFFF);
}

int PenModeToRop2(TPenMode mode) {
    static const int codes[] = {R2_BLACK,      R2_WHITE,      R2_NOP,         R2_NOT,        R2_COPYPEN,
                                R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN,
                                R2_MERGEPEN,   R2_NOTMERGEPEN, R2_MASKPEN,    R2_NOTMASKPEN, R2_XORPEN,
                                R2_NOTXORPEN};
    return mode >= pmBlack && mode <= pmNotXor ? codes[mode] : R2_COPYPEN;
}

// ---- Rectangles ------------------------------------------------------------------------------

TRect IntersectRect(const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    if (r.Left >= r.Right || r.Top >= r.Bottom) return {};
    return r;
}
bool IsRectEmpty(const TRect& r) { return r.Left >= r.Right || r.Top >= r.Bottom; }
TRect InflateRect(const TRect& r, int dx, int dy) { return {r.Left - dx, r.Top - dy, r.Right + dx, r.Bottom + dy}; }
TRect OffsetRect(const TRect& r, int dx, int dy) { return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; }

namespace {
TRect Normalised(const TRect& r) {
    return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right), std::max(r.Top, r.Bottom)};
}

// Code points of UTF-8 text, each as its byte string (bad bytes stand alone).
std::vector<std::string> CodePoints(const std::string& text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        if (i + n > text.size()) n = 1;
        out.push_back(text.substr(i, n));
        i += n;
    }
    return out;
}

bool IsBlank(const std::string& cp) { return cp == " " || cp == "\t" || cp == "\xC2\xA0" || cp == "\xE3\x80\x80"; }

// Hatch brushes: which pixels of an 8 x 8 cell carry the brush colour.
bool HatchHit(TBrushStyle style, int x, int y) {
    int u = x & 7, v = y & 7;
    switch (style) {
        case bsHorizontal: return v == 0;
        case bsVertical: return u == 0;
        case bsFDiagonal: return u == v;
        case bsBDiagonal: return u == 7 - v;
        case bsCross: return u == 0 || v == 0;
        case bsDiagCross: return u == v || u == 7 - v;
        default: return true;
    }
}

// Dash patterns of one-pixel pens: alternating on/off run lengths.
const std::vector<int>& DashPattern(TPenStyle style) {
    static const std::vector<int> solid, dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3};
    switch (style) {
        case psDash: return dash;
        case psDot: return dot;
        case psDashDot: return dashDot;
        case psDashDotDot: return dashDotDot;
        default: return solid;
    }
}
bool DashOn(const std::vector<int>& pattern, int step) {
    if (pattern.empty()) return true;
    int period = 0;
    for (int n : pattern) period += n;
    int pos = step % period;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pos < pattern[i]) return i % 2 == 0;
        pos -= pattern[i];
    }
    return true;
}

// "&x" underlines x, "&&" is one "&", a lone trailing "&" is dropped.
std::string StripPrefix(const std::string& line, int& prefixIndex) {
    prefixIndex = -1;
    std::string out;
    int cps = 0;
    std::vector<std::string> cp = CodePoints(line);
    for (size_t i = 0; i < cp.size(); ++i) {
        if (cp[i] == "&") {
            if (i + 1 >= cp.size()) break;
            ++i;
            if (cp[i] != "&") prefixIndex = cps;
        }
        out += cp[i];
        ++cps;
    }
    return out;
}

std::string ExpandTabs(const std::string& line) {
    std::string out;
    int col = 0;
    for (const std::string& cp : CodePoints(line)) {
        if (cp == "\t") {
            int n = 8 - col % 8;
            out.append(static_cast<size_t>(n), ' ');
            col += n;
        } else {
            out += cp;
            ++col;
        }
    }
    return out;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(cur);
            cur.clear();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            cur += text[i];
        }
    }
    lines.push_back(cur);
    return lines;
}
}  // namespace

// ---- Brush and pen ---------------------------------------------------------------------------

void TBrush::SetColor(TColor color) {
    if (color == fColor) return;
    fColor = color;
    Changed();
}
void TBrush::SetStyle(TBrushStyle style) {
    if (style == fStyle) return;
    fStyle = style;
    Changed();
}
void TBrush::Assign(TPersistent* source) {
    if (auto* b = dynamic_cast<TBrush*>(source)) {
        fColor = b->fColor;
        fStyle = b->fStyle;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}
void TBrush::Changed() { OnChange(this); }

void TPen::SetColor(TColor color) {
    if (color == fColor) return;
    fColor = color;
    Changed();
}
void TPen::SetWidth(int width) {
    width = std::max(width, 1);
    if (width == fWidth) return;
    fWidth = width;
    Changed();
}
void TPen::SetStyle(TPenStyle style) {
    if (style == fStyle) return;
    fStyle = style;
    Changed();
}
void TPen::SetMode(TPenMode mode) {
    if (mode == fMode) return;
    fMode = mode;
    Changed();
}
void TPen::Assign(TPersistent* source) {
    if (auto* p = dynamic_cast<TPen*>(source)) {
        fColor = p->fColor;
        fWidth = p->fWidth;
        fStyle = p->fStyle;
        fMode = p->fMode;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}
void TPen::Changed() { OnChange(this); }

// ---- Paint engines ---------------------------------------------------------------------------

void TPaintEngine::FillRect(const TRect& r, TColor rgb, int rop2) {
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) {
            if (rop2 == R2_COPYPEN) {
                SetPixel(x, y, rgb);
                continue;
            }
            TColor d = GetPixel(x, y);
            if (d != CLR_INVALID) SetPixel(x, y, ApplyRop2(rop2, rgb, d));
        }
}

void TPaintEngine::Blit(const TRect& clip, const TRect& dest, const TBitmap* source, const TRect& sourceRect,
                        uint32_t rop, TColor pattern) {
    int dw = dest.Width(), dh = dest.Height();
    if (dw <= 0 || dh <= 0) return;
    int sw = sourceRect.Width(), sh = sourceRect.Height();
    for (int y = clip.Top; y < clip.Bottom; ++y) {
        int sy = sourceRect.Top + static_cast<int>(static_cast<int64_t>(y - dest.Top) * sh / dh);
        for (int x = clip.Left; x < clip.Right; ++x) {
            int sx = sourceRect.Left + static_cast<int>(static_cast<int64_t>(x - dest.Left) * sw / dw);
            TColor s = 0;
            if (source) {
                s = source->Pixel(sx, sy);
                if (s == CLR_INVALID) continue;
            }
            TColor d = GetPixel(x, y);
            if (d == CLR_INVALID) continue;
            SetPixel(x, y, ApplyRop3(rop, pattern, s, d));
        }
    }
}

void TPaintEngine::DrawTextRun(const TTextRun& run) {
    if (!run.Font) return;
    TWidgetSet& ws = WidgetSet();
    std::vector<std::string> cps = CodePoints(run.Text);
    int height = ws.TextHeight(*run.Font, run.Text.empty() ? " " : run.Text);
    std::string prefix;
    int x = run.X, prevWidth = 0;
    auto fill = [&](TRect r) {
        r = IntersectRect(r, run.Clip);
        if (!IsRectEmpty(r)) FillRect(r, run.Color, R2_COPYPEN);
    };
    for (size_t i = 0; i < cps.size(); ++i) {
        prefix += cps[i];
        int width = ws.TextWidth(*run.Font, prefix);
        int cell = width - prevWidth;
        prevWidth = width;
        if (!IsBlank(cps[i])) fill({x + 1, run.Y + 2, x + cell - 1, run.Y + height - 2});
        if (static_cast<int>(i) == run.PrefixIndex) fill({x, run.Y + height - 1, x + cell, run.Y + height});
        x += cell;
    }
    TFontStyles style = run.Font->Style();
    if (style.Contains(fsUnderline)) fill({run.X, run.Y + height - 1, x, run.Y + height});
    if (style.Contains(fsStrikeOut)) fill({run.X, run.Y + height / 2, x, run.Y + height / 2 + 1});
}

std::unique_ptr<TBitmap> TPaintEngine::Grab(const TRect& r) const {
    TRect n = Normalised(r);
    auto bmp = std::make_unique<TBitmap>(n.Width(), n.Height());
    for (int y = 0; y < n.Height(); ++y)
        for (int x = 0; x < n.Width(); ++x) {
            TColor c = GetPixel(n.Left + x, n.Top + y);
            bmp->SetPixel(x, y, c == CLR_INVALID ? clBlack : c);
        }
    return bmp;
}

void TBitmapPaintEngine::SetPixel(int x, int y, TColor rgb) { fBitmap->SetPixel(x, y, rgb); }

void TBitmapPaintEngine::FillRect(const TRect& r, TColor rgb, int rop2) {
    TRect c = IntersectRect(r, Bounds());
    if (IsRectEmpty(c)) return;
    if (rop2 != R2_COPYPEN || fBitmap->Monochrome()) {
        TPaintEngine::FillRect(c, rgb, rop2);
        return;
    }
    TRGBTriple t = ColorToTriple(rgb);
    for (int y = c.Top; y < c.Bottom; ++y) std::fill_n(fBitmap->ScanLine(y) + c.Left, c.Width(), t);
}

// ---- TCanvas ---------------------------------------------------------------------------------

TCanvas::TCanvas() : fFont(std::make_unique<TFont>()), fBrush(std::make_unique<TBrush>()), fPen(std::make_unique<TPen>()) {}

TCanvas::TCanvas(std::unique_ptr<TPaintEngine> engine) : TCanvas() { fEngine = std::move(engine); }

TCanvas::~TCanvas() = default;

void TCanvas::SetEngine(std::unique_ptr<TPaintEngine> engine) { fEngine = std::move(engine); }

void TCanvas::SetFont(TFont* font) { fFont->Assign(font); }
void TCanvas::SetBrush(TBrush* brush) { fBrush->Assign(brush); }
void TCanvas::SetPen(TPen* pen) { fPen->Assign(pen); }

TPaintEngine& TCanvas::RequireEngine() const {
    if (!fEngine) throw EInvalidOperation("Canvas does not allow drawing");
    return *fEngine;
}

TRect TCanvas::ClipRect() const {
    if (!fEngine) return fHasClip ? fClip : TRect{};
    TRect bounds = fEngine->Bounds();
    return fHasClip ? IntersectRect(fClip, bounds) : bounds;
}

void TCanvas::SetClipRect(const TRect& r) {
    fClip = Normalised(r);
    fHasClip = true;
}

void TCanvas::ResetClipRect() { fHasClip = false; }

void TCanvas::Changing() { OnChanging(this); }
void TCanvas::Changed() { OnChange(this); }

void TCanvas::FillClipped(const TRect& r, TColor rgb, int rop2) {
    TRect c = IntersectRect(Normalised(r), ClipRect());
    if (!IsRectEmpty(c)) RequireEngine().FillRect(c, rgb, rop2);
}

void TCanvas::FillRect(const TRect& r) {
    TPaintEngine& e = RequireEngine();
    if (fBrush->Style() == bsClear) return;
    Changing();
    TColor rgb = ColorToRGB(fBrush->Color());
    if (fBrush->Style() == bsSolid) {
        FillClipped(r, rgb, R2_COPYPEN);
    } else {
        TRect c = IntersectRect(Normalised(r), ClipRect());
        for (int y = c.Top; y < c.Bottom; ++y)
            for (int x = c.Left; x < c.Right; ++x)
                if (HatchHit(fBrush->Style(), x, y)) e.SetPixel(x, y, rgb);
    }
    Changed();
}

void TCanvas::FrameRect(const TRect& r) {
    RequireEngine();
    TRect n = Normalised(r);
    if (IsRectEmpty(n) || fBrush->Style() == bsClear) return;
    Changing();
    TColor rgb = ColorToRGB(fBrush->Color());
    FillClipped({n.Left, n.Top, n.Right, n.Top + 1}, rgb, R2_COPYPEN);
    if (n.Bottom - 1 > n.Top) FillClipped({n.Left, n.Bottom - 1, n.Right, n.Bottom}, rgb, R2_COPYPEN);
    FillClipped({n.Left, n.Top + 1, n.Left + 1, n.Bottom - 1}, rgb, R2_COPYPEN);
    if (n.Right - 1 > n.Left) FillClipped({n.Right - 1, n.Top + 1, n.Right, n.Bottom - 1}, rgb, R2_COPYPEN);
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    RequireEngine();
    TRect n = Normalised({x1, y1, x2, y2});
    if (IsRectEmpty(n)) return;
    Changing();
    bool pen = fPen->Style() != psClear;
    if (fBrush->Style() != bsClear) {
        // Without a pen the filled area is one pixel smaller to the right and below.
        TRect inner = pen ? n : TRect{n.Left, n.Top, n.Right - 1, n.Bottom - 1};
        TColor rgb = ColorToRGB(fBrush->Color());
        if (fBrush->Style() == bsSolid) {
            FillClipped(inner, rgb, R2_COPYPEN);
        } else {
            TRect c = IntersectRect(inner, ClipRect());
            for (int y = c.Top; y < c.Bottom; ++y)
                for (int x = c.Left; x < c.Right; ++x)
                    if (HatchHit(fBrush->Style(), x, y)) fEngine->SetPixel(x, y, rgb);
        }
    }
    if (pen) {
        int w = fPen->Width();
        if (w <= 1) {
            // Each segment leaves out its end point, so every border pixel is drawn once (XOR pens).
            std::vector<TPoint> pts{{n.Left, n.Top}, {n.Right - 1, n.Top}, {n.Right - 1, n.Bottom - 1},
                                    {n.Left, n.Bottom - 1}, {n.Left, n.Top}};
            if (n.Width() == 1 || n.Height() == 1)
                DrawLine(pts[0], pts[2], true);
            else
                for (size_t i = 1; i < pts.size(); ++i) DrawLine(pts[i - 1], pts[i], false);
        } else {
            int rop2 = PenModeToRop2(fPen->Mode());
            TColor rgb = ColorToRGB(fPen->Color());
            w = std::min({w, (n.Width() + 1) / 2, (n.Height() + 1) / 2});
            FillClipped({n.Left, n.Top, n.Right, n.Top + w}, rgb, rop2);
            FillClipped({n.Left, std::max(n.Bottom - w, n.Top + w), n.Right, n.Bottom}, rgb, rop2);
            FillClipped({n.Left, n.Top + w, n.Left + w, n.Bottom - w}, rgb, rop2);
            FillClipped({std::max(n.Right - w, n.Left + w), n.Top + w, n.Right, n.Bottom - w}, rgb, rop2);
        }
    }
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& r) {
    TPaintEngine& e = RequireEngine();
    TRect n = Normalised(r);
    if (IsRectEmpty(n)) return;
    Changing();
    TRect clip = ClipRect();
    auto invert = [&](int x, int y) {
        if (((x + y) & 1) != 0 || !clip.Contains({x, y})) return;
        TColor d = e.GetPixel(x, y);
        if (d != CLR_INVALID) e.SetPixel(x, y, ApplyRop2(R2_NOT, 0, d));
    };
    for (int x = n.Left; x < n.Right; ++x) {
        invert(x, n.Top);
        if (n.Bottom - 1 > n.Top) invert(x, n.Bottom - 1);
    }
    for (int y = n.Top + 1; y < n.Bottom - 1; ++y) {
        invert(n.Left, y);
        if (n.Right - 1 > n.Left) invert(n.Right - 1, y);
    }
    Changed();
}

void TCanvas::PlotPen(int x, int y, int rop2, TColor rgb, int width) {
    if (width <= 1) {
        if (ClipRect().Contains({x, y})) {
            if (rop2 == R2_COPYPEN) {
                fEngine->SetPixel(x, y, rgb);
            } else {
                TColor d = fEngine->GetPixel(x, y);
                if (d != CLR_INVALID) fEngine->SetPixel(x, y, ApplyRop2(rop2, rgb, d));
            }
        }
        return;
    }
    int half = width / 2;
    FillClipped({x - half, y - half, x - half + width, y - half + width}, rgb, rop2);
}

void TCanvas::DrawLine(TPoint a, TPoint b, bool includeEnd) {
    if (fPen->Style() == psClear) return;
    int rop2 = PenModeToRop2(fPen->Mode());
    TColor rgb = ColorToRGB(fPen->Color());
    int width = fPen->Width();
    const std::vector<int>& dashes = width <= 1 ? DashPattern(fPen->Style()) : DashPattern(psSolid);
    int dx = std::abs(b.X - a.X), dy = -std::abs(b.Y - a.Y);
    int sx = a.X < b.X ? 1 : -1, sy = a.Y < b.Y ? 1 : -1;
    int err = dx + dy, x = a.X, y = a.Y, step = 0;
    while (true) {
        bool atEnd = x == b.X && y == b.Y;
        if (atEnd && !includeEnd) break;
        if (DashOn(dashes, step++)) PlotPen(x, y, rop2, rgb, width);
        if (atEnd) break;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void TCanvas::LineTo(int x, int y) {
    RequireEngine();
    Changing();
    DrawLine(fPenPos, {x, y}, false);
    fPenPos = {x, y};
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
    RequireEngine();
    if (points.empty()) return;
    Changing();
    for (size_t i = 1; i < points.size(); ++i) DrawLine(points[i - 1], points[i], false);
    Changed();
}

TColor TCanvas::Pixels(int x, int y) const { return RequireEngine().GetPixel(x, y); }

void TCanvas::SetPixels(int x, int y, TColor color) {
    TPaintEngine& e = RequireEngine();
    Changing();
    if (ClipRect().Contains({x, y})) e.SetPixel(x, y, ColorToRGB(color));
    Changed();
}

// ---- Text ------------------------------------------------------------------------------------

TTextSize TCanvas::TextExtent(const std::string& text) const { return WidgetSet().TextExtent(*fFont, text); }

void TCanvas::DrawTextLine(int x, int y, const std::string& text, int prefixIndex, const TRect& clip) {
    TTextRun run;
    run.X = x;
    run.Y = y;
    run.Text = text;
    run.Font = fFont.get();
    run.Color = ColorToRGB(fFont->Color());
    run.Clip = clip;
    run.PrefixIndex = prefixIndex;
    if (!IsRectEmpty(clip)) fEngine->DrawTextRun(run);
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    RequireEngine();
    Changing();
    TTextSize ext = TextExtent(text);
    if (fBrush->Style() == bsSolid) FillClipped({x, y, x + ext.cx, y + ext.cy}, ColorToRGB(fBrush->Color()), R2_COPYPEN);
    DrawTextLine(x, y, text, -1, ClipRect());
    fPenPos = {x + ext.cx, y};
    Changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, const std::string& text) {
    RequireEngine();
    Changing();
    if (fBrush->Style() != bsClear) FillClipped(r, ColorToRGB(fBrush->Color()), R2_COPYPEN);
    DrawTextLine(x, y, text, -1, IntersectRect(Normalised(r), ClipRect()));
    Changed();
}

int TCanvas::DrawText(const std::string& text, TRect& r, unsigned flags) {
    bool calc = (flags & DT_CALCRECT) != 0;
    if (!calc) RequireEngine();
    bool single = (flags & DT_SINGLELINE) != 0;
    bool prefix = (flags & DT_NOPREFIX) == 0;

    struct Line {
        std::string Text;
        int Prefix = -1;
        int Width = 0, Height = 0;
    };
    std::vector<Line> lines;
    auto add = [&](const std::string& raw) {
        Line l;
        std::string t = (flags & DT_EXPANDTABS) ? ExpandTabs(raw) : raw;
        l.Text = prefix ? StripPrefix(t, l.Prefix) : t;
        TTextSize ext = TextExtent(l.Text.empty() ? " " : l.Text);
        l.Width = l.Text.empty() ? 0 : ext.cx;
        l.Height = ext.cy;
        lines.push_back(std::move(l));
    };
    for (const std::string& para : single ? std::vector<std::string>{text} : SplitLines(text)) {
        if (single || !(flags & DT_WORDBREAK)) {
            add(para);
            continue;
        }
        // Word wrap: as many words as fit the width; a word wider than the rectangle stands alone.
        std::vector<std::string> words;
        size_t start = 0;
        while (start <= para.size()) {
            size_t sp = para.find(' ', start);
            if (sp == std::string::npos) sp = para.size();
            words.push_back(para.substr(start, sp - start));
            start = sp + 1;
        }
        std::string cur;
        bool has = false;
        for (const std::string& w : words) {
            std::string candidate = has ? cur + " " + w : w;
            int ignored = -1;
            std::string measured = prefix ? StripPrefix(candidate, ignored) : candidate;
            if (has && TextWidth(measured) > r.Width()) {
                add(cur);
                cur = w;
            } else {
                cur = candidate;
            }
            has = true;
        }
        add(cur);
    }

    int total = 0, widest = 0;
    for (const Line& l : lines) {
        total += l.Height;
        widest = std::max(widest, l.Width);
    }
    if (calc) {
        r.Right = r.Left + widest;
        r.Bottom = r.Top + total;
        return total;
    }

    Changing();
    int y = r.Top;
    if (single && (flags & DT_VCENTER))
        y = r.Top + (r.Height() - total) / 2;
    else if (single && (flags & DT_BOTTOM))
        y = r.Bottom - total;
    int top = y;
    TRect clip = (flags & DT_NOCLIP) ? ClipRect() : IntersectRect(Normalised(r), ClipRect());
    for (const Line& l : lines) {
        int x = r.Left;
        if (flags & DT_CENTER)
            x = r.Left + (r.Width() - l.Width) / 2;
        else if (flags & DT_RIGHT)
            x = r.Right - l.Width;
        if (fBrush->Style() == bsSolid && l.Width > 0) {
            TRect back = IntersectRect({x, y, x + l.Width, y + l.Height}, clip);
            if (!IsRectEmpty(back)) fEngine->FillRect(back, ColorToRGB(fBrush->Color()), R2_COPYPEN);
        }
        DrawTextLine(x, y, l.Text, l.Prefix, clip);
        y += l.Height;
    }
    Changed();
    if (single && (flags & (DT_VCENTER | DT_BOTTOM))) return top + total - r.Top;
    return total;
}

// ---- Pictures and raster operations -----------------------------------------------------------

void TCanvas::BlitFrom(const TRect& dest, const TBitmap& src, const TRect& srcRect, uint32_t rop) {
    TRect d = Normalised(dest);
    TRect clip = IntersectRect(d, ClipRect());
    if (IsRectEmpty(clip)) return;
    fEngine->Blit(clip, d, &src, Normalised(srcRect), rop, ColorToRGB(fBrush->Color()));
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
    auto* bmp = dynamic_cast<TBitmap*>(graphic);
    if (!bmp || bmp->Empty()) return;
    StretchDraw({x, y, x + bmp->Width(), y + bmp->Height()}, graphic);
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
    TPaintEngine& e = RequireEngine();
    auto* bmp = dynamic_cast<TBitmap*>(graphic);
    if (!bmp || bmp->Empty()) return;
    TRect d = Normalised(r);
    if (IsRectEmpty(d)) return;
    Changing();
    // A picture drawn onto itself is read from a copy.
    std::unique_ptr<TBitmap> copy;
    const TBitmap* src = bmp;
    if (e.Target() == bmp) {
        copy = std::make_unique<TBitmap>();
        copy->Assign(bmp);
        src = copy.get();
    }
    if (!bmp->Transparent()) {
        BlitFrom(d, *src, {0, 0, src->Width(), src->Height()}, static_cast<uint32_t>(fCopyMode));
    } else {
        TColor key = ColorToRGB(bmp->TransparentColor());
        TRect clip = IntersectRect(d, ClipRect());
        for (int y = clip.Top; y < clip.Bottom; ++y) {
            int sy = static_cast<int>(static_cast<int64_t>(y - d.Top) * src->Height() / d.Height());
            for (int x = clip.Left; x < clip.Right; ++x) {
                int sx = static_cast<int>(static_cast<int64_t>(x - d.Left) * src->Width() / d.Width());
                TColor c = src->Pixel(sx, sy);
                if (c != key) e.SetPixel(x, y, c);
            }
        }
    }
    Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect) {
    TPaintEngine& e = RequireEngine();
    if (!source) return;
    TPaintEngine& s = source->RequireEngine();
    Changing();
    const TBitmap* src = s.Target();
    std::unique_ptr<TBitmap> grabbed;
    TRect sr = Normalised(sourceRect);
    if (!src || src == e.Target()) {
        grabbed = s.Grab(sr);
        src = grabbed.get();
        sr = {0, 0, sr.Width(), sr.Height()};
    }
    BlitFrom(dest, *src, sr, static_cast<uint32_t>(fCopyMode));
    Changed();
}

void TCanvas::BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color) {
    RequireEngine();
    if (!bitmap) return;
    Changing();
    TRect sr = Normalised(source);
    TBitmap tmp(sr.Width(), sr.Height());
    TColor key = ColorToRGB(color), brush = ColorToRGB(fBrush->Color());
    for (int y = 0; y < sr.Height(); ++y)
        for (int x = 0; x < sr.Width(); ++x) {
            TColor c = bitmap->Pixel(sr.Left + x, sr.Top + y);
            tmp.SetPixel(x, y, c == key ? brush : c == CLR_INVALID ? clBlack : c);
        }
    BlitFrom(dest, tmp, {0, 0, tmp.Width(), tmp.Height()}, static_cast<uint32_t>(cmSrcCopy));
    Changed();
}

void BitBlt(TCanvas& dest, int x, int y, int w, int h, TCanvas& source, int sx, int sy, uint32_t rop) {
    TPaintEngine& e = dest.RequireEngine();
    TPaintEngine& s = source.RequireEngine();
    if (w <= 0 || h <= 0) return;
    dest.Changing();
    const TBitmap* src = s.Target();
    std::unique_ptr<TBitmap> grabbed;
    TRect sr{sx, sy, sx + w, sy + h};
    if (!src || src == e.Target()) {
        grabbed = s.Grab(sr);
        src = grabbed.get();
        sr = {0, 0, w, h};
    }
    dest.BlitFrom({x, y, x + w, y + h}, *src, sr, rop);
    dest.Changed();
}

}  // namespace plat
