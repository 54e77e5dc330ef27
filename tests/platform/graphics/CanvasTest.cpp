// The canvas: raster operations on tiny fixtures (the disabled-glyph emboss among them),
// rectangles, lines, focus rectangles, transparent drawing, text through the widgetset's metrics,
// and a canvas over an engine of its own.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "platform/forms/WidgetSet.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

using namespace plat;

namespace {

std::unique_ptr<TBitmap> Filled(int w, int h, TColor c) {
    auto b = std::make_unique<TBitmap>(w, h);
    b->Fill(c);
    return b;
}

// Pixels of a bitmap as text rows: '#' where the colour is `ink`, '.' elsewhere.
std::vector<std::string> Ink(const TBitmap& b, TColor ink) {
    std::vector<std::string> rows;
    for (int y = 0; y < b.Height(); ++y) {
        std::string r;
        for (int x = 0; x < b.Width(); ++x) r += b.Pixel(x, y) == ColorToRGB(ink) ? '#' : '.';
        rows.push_back(r);
    }
    return rows;
}

uint32_t N(TColor c) { return static_cast<uint32_t>(c) & 0xFFFFFF; }

}  // namespace

TEST(Canvas, RasterOperationsFollowTheirTruthTables) {
    using F = std::function<uint32_t(uint32_t, uint32_t, uint32_t)>;
    const std::vector<std::pair<TCopyMode, F>> cases = {
        {cmSrcCopy, [](uint32_t, uint32_t s, uint32_t) { return s; }},
        {cmSrcAnd, [](uint32_t, uint32_t s, uint32_t d) { return s & d; }},
        {cmSrcPaint, [](uint32_t, uint32_t s, uint32_t d) { return s | d; }},
        {cmSrcInvert, [](uint32_t, uint32_t s, uint32_t d) { return s ^ d; }},
        {cmSrcErase, [](uint32_t, uint32_t s, uint32_t d) { return s & ~d; }},
        {cmNotSrcCopy, [](uint32_t, uint32_t s, uint32_t) { return ~s; }},
        {cmNotSrcErase, [](uint32_t, uint32_t s, uint32_t d) { return ~(s | d); }},
        {cmMergeCopy, [](uint32_t p, uint32_t s, uint32_t) { return p & s; }},
        {cmMergePaint, [](uint32_t, uint32_t s, uint32_t d) { return ~s | d; }},
        {cmPatCopy, [](uint32_t p, uint32_t, uint32_t) { return p; }},
        {cmPatPaint, [](uint32_t p, uint32_t s, uint32_t d) { return p | ~s | d; }},
        {cmPatInvert, [](uint32_t p, uint32_t, uint32_t d) { return p ^ d; }},
        {cmDstInvert, [](uint32_t, uint32_t, uint32_t d) { return ~d; }},
        {cmBlackness, [](uint32_t, uint32_t, uint32_t) { return 0u; }},
        {cmWhiteness, [](uint32_t, uint32_t, uint32_t) { return 0xFFFFFFu; }},
        {ROP_PSDPxax, [](uint32_t p, uint32_t s, uint32_t d) { return p ^ (s & (d ^ p)); }},
        {ROP_DSPDxax, [](uint32_t p, uint32_t s, uint32_t d) { return d ^ (s & (p ^ d)); }},
    };
    const TColor p = 0x0F33C5, s = 0x5A0FF0, d = 0x3C6699;
    for (const auto& [rop, f] : cases) EXPECT_EQ(N(ApplyRop3(rop, p, s, d)), f(p, s, d) & 0xFFFFFF) << std::hex << rop;

    // The same through CopyRect on 2 x 2 pictures, with the brush as pattern.
    auto src = std::make_unique<TBitmap>(2, 2);
    const TColor srcPx[4] = {clBlack, clWhite, 0x123456, 0xA0B0C0};
    const TColor dstPx[4] = {0x00FF00, 0x808080, clWhite, 0x0A0B0C};
    for (int i = 0; i < 4; ++i) src->SetPixel(i % 2, i / 2, srcPx[i]);
    for (const auto& [rop, f] : cases) {
        auto dst = std::make_unique<TBitmap>(2, 2);
        for (int i = 0; i < 4; ++i) dst->SetPixel(i % 2, i / 2, dstPx[i]);
        dst->Canvas()->Brush()->SetColor(clBtnShadow);
        dst->Canvas()->SetCopyMode(rop);
        dst->Canvas()->CopyRect({0, 0, 2, 2}, src->Canvas(), {0, 0, 2, 2});
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(N(dst->Pixel(i % 2, i / 2)), f(N(ColorToRGB(clBtnShadow)), N(srcPx[i]), N(dstPx[i])) & 0xFFFFFF)
                << std::hex << rop << " pixel " << i;
    }
    EXPECT_EQ(N(ApplyRop2(R2_XORPEN, 0x00FF0F, 0x0F0F0F)), 0x0FF000u);
    EXPECT_EQ(N(ApplyRop2(R2_NOT, 0, 0x0000FF)), 0xFFFF00u);
    EXPECT_EQ(N(ApplyRop2(R2_MASKPENNOT, 0xFFFFFF, 0x00FF00)), 0xFF00FFu);
}

TEST(Canvas, MaskDrawnWithBrushWhereBlackEmbossesADisabledGlyph) {
    // The mask: black where the glyph was marked.
    auto mask = Filled(4, 3, clWhite);
    mask->SetPixel(1, 0, clBlack);
    mask->SetPixel(1, 1, clBlack);
    mask->SetPixel(2, 1, clBlack);
    mask->SetMonochrome(true);
    auto result = Filled(4, 3, clBtnFace);
    TCanvas* c = result->Canvas();
    c->Brush()->SetColor(clBtnHighlight);
    BitBlt(*c, 1, 1, 4, 3, *mask->Canvas(), 0, 0, ROP_PSDPxax);
    c->Brush()->SetColor(clBtnShadow);
    BitBlt(*c, 0, 0, 4, 3, *mask->Canvas(), 0, 0, ROP_PSDPxax);
    EXPECT_EQ(Ink(*result, clBtnShadow), (std::vector<std::string>{".#..", ".##.", "...."}));
    EXPECT_EQ(Ink(*result, clBtnHighlight), (std::vector<std::string>{"....", "....", "..##"}));
    EXPECT_EQ(Ink(*result, clBtnFace), (std::vector<std::string>{"#.##", "#..#", "##.."}));
}

TEST(Canvas, RectanglesFillFrameAndOutlineWithinTheClip) {
    auto b = Filled(6, 5, clWhite);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clRed);
    c->FrameRect({1, 1, 5, 4});
    EXPECT_EQ(Ink(*b, clRed), (std::vector<std::string>{"......", ".####.", ".#..#.", ".####.", "......"}));

    b->Fill(clWhite);
    c->Brush()->SetColor(clYellow);
    c->Pen()->SetColor(clBlue);
    c->Rectangle(0, 0, 4, 4);
    EXPECT_EQ(Ink(*b, clBlue), (std::vector<std::string>{"####..", "#..#..", "#..#..", "####..", "......"}));
    EXPECT_EQ(Ink(*b, clYellow), (std::vector<std::string>{"......", ".##...", ".##...", "......", "......"}));

    b->Fill(clWhite);
    c->Pen()->SetStyle(psClear);
    c->Rectangle(0, 0, 3, 3);  // without a pen one pixel less to the right and below
    EXPECT_EQ(Ink(*b, clYellow), (std::vector<std::string>{"##....", "##....", "......", "......", "......"}));

    b->Fill(clWhite);
    c->SetClipRect({2, 1, 4, 3});
    c->FillRect({0, 0, 6, 5});
    EXPECT_EQ(Ink(*b, clYellow), (std::vector<std::string>{"......", "..##..", "..##..", "......", "......"}));
    c->ResetClipRect();
    c->Brush()->SetStyle(bsClear);
    c->FillRect({0, 0, 6, 5});
    EXPECT_EQ(Ink(*b, clYellow)[0], "......") << "a clear brush paints nothing";
}

TEST(Canvas, LinesLeaveOutTheEndPointAndPenModesCombine) {
    auto b = Filled(5, 4, clWhite);
    TCanvas* c = b->Canvas();
    c->MoveTo(0, 0);
    c->LineTo(4, 0);
    c->LineTo(4, 3);
    EXPECT_EQ(Ink(*b, clBlack), (std::vector<std::string>{"#####", "....#", "....#", "....."}));
    EXPECT_EQ(c->PenPos(), (TPoint{4, 3}));

    c->Pen()->SetMode(pmXor);
    c->Pen()->SetColor(clWhite);
    c->MoveTo(0, 2);
    c->LineTo(5, 2);
    EXPECT_EQ(Ink(*b, clBlack), (std::vector<std::string>{"#####", "....#", "####.", "....."})) << "XOR with white inverts";
    c->MoveTo(0, 2);
    c->LineTo(5, 2);
    EXPECT_EQ(Ink(*b, clBlack)[2], "....#") << "twice restores";
}

TEST(Canvas, FocusRectangleInvertsEveryOtherBorderPixelAndUndoesItself) {
    auto b = Filled(5, 4, clWhite);
    TCanvas* c = b->Canvas();
    c->DrawFocusRect({0, 0, 5, 4});
    EXPECT_EQ(Ink(*b, clBlack), (std::vector<std::string>{"#.#.#", ".....", "#...#", ".#.#."}));
    c->DrawFocusRect({0, 0, 5, 4});
    EXPECT_EQ(Ink(*b, clWhite), (std::vector<std::string>(4, "#####")));
}

TEST(Canvas, DrawLeavesTheTransparentColourOutOnlyWhenAsked) {
    auto glyph = Filled(3, 2, clOlive);  // bottom-left olive = transparent colour
    glyph->SetPixel(1, 0, clRed);
    glyph->SetPixel(2, 1, clNavy);
    for (bool transparent : {false, true}) {
        glyph->SetTransparent(transparent);
        auto b = Filled(4, 3, clSilver);
        b->Canvas()->Draw(1, 1, glyph.get());
        EXPECT_EQ(b->Pixel(2, 1), clRed);
        EXPECT_EQ(b->Pixel(3, 2), clNavy);
        EXPECT_EQ(b->Pixel(1, 1), transparent ? clSilver : clOlive);
        EXPECT_EQ(b->Pixel(0, 0), clSilver);
    }
    // BrushCopy paints one colour of the picture in the brush colour.
    auto b = Filled(3, 2, clWhite);
    b->Canvas()->Brush()->SetColor(clBtnFace);
    b->Canvas()->BrushCopy({0, 0, 3, 2}, glyph.get(), {0, 0, 3, 2}, clOlive);
    EXPECT_EQ(Ink(*b, clBtnFace), (std::vector<std::string>{"#.#", "##."}));
    // StretchDraw doubles each pixel.
    auto big = Filled(6, 4, clWhite);
    glyph->SetTransparent(false);
    big->Canvas()->StretchDraw({0, 0, 6, 4}, glyph.get());
    EXPECT_EQ(Ink(*big, clRed), (std::vector<std::string>{"..##..", "..##..", "......", "......"}));
}

TEST(Canvas, TextIsMeasuredByTheWidgetSetAndDrawnAsBoxes) {
    auto b = Filled(60, 30, clWhite);
    TCanvas* c = b->Canvas();
    c->Font()->SetHeight(-13);
    c->Font()->SetColor(clNavy);
    TTextSize ext = WidgetSet().TextExtent(*c->Font(), "Ab");
    EXPECT_EQ(c->TextWidth("Ab"), ext.cx);
    EXPECT_EQ(c->TextHeight("Ab"), ext.cy);
    int cw = WidgetSet().TextWidth(*c->Font(), "A");

    c->Brush()->SetStyle(bsClear);
    c->TextOut(2, 3, "A b");
    EXPECT_EQ(b->Pixel(2 + 1, 3 + 2), clNavy) << "inside the first box";
    EXPECT_EQ(b->Pixel(2, 3 + 2), clWhite) << "one pixel in from the cell";
    EXPECT_EQ(b->Pixel(2 + cw + 2, 3 + 5), clWhite) << "a blank draws nothing";
    EXPECT_EQ(b->Pixel(2 + 2 * cw + 1, 3 + 2), clNavy);
    EXPECT_EQ(c->PenPos(), (TPoint{2 + c->TextWidth("A b"), 3}));

    // A solid brush paints the text cell first.
    b->Fill(clWhite);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clYellow);
    c->TextOut(0, 0, "A");
    EXPECT_EQ(b->Pixel(0, 0), clYellow);
    EXPECT_EQ(b->Pixel(cw, 0), clWhite);
}

TEST(Canvas, DrawTextAlignsUnderlinesPrefixesAndClips) {
    auto b = Filled(60, 30, clWhite);
    TCanvas* c = b->Canvas();
    c->Font()->SetHeight(-13);
    c->Font()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    int w = c->TextWidth("ab"), h = c->TextHeight("ab");

    TRect r{0, 0, 60, 30};
    int bottom = c->DrawText("a&b", r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    int x = (60 - w) / 2, y = (30 - h) / 2;
    EXPECT_EQ(bottom, y + h);
    EXPECT_EQ(b->Pixel(x + 1, y + 2), clBlack);
    EXPECT_EQ(b->Pixel(x - 1, y + 2), clWhite);
    int cw = c->TextWidth("a");
    EXPECT_EQ(b->Pixel(x + cw, y + h - 1), clBlack) << "b is underlined";
    EXPECT_EQ(b->Pixel(x, y + h - 1), clWhite) << "a is not";

    TRect calc{5, 5, 5, 5};
    c->DrawText("a&&b", calc, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(calc.Right - calc.Left, c->TextWidth("a&b")) << "&& is one &";
    calc = {5, 5, 5, 5};
    c->DrawText("a&b", calc, DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(calc.Right - calc.Left, c->TextWidth("a&b"));
    calc = {0, 0, 100, 0};
    EXPECT_EQ(c->DrawText("a\r\nbb", calc, DT_CALCRECT), 2 * h);
    EXPECT_EQ(calc.Right, c->TextWidth("bb"));

    // Right-aligned into a rectangle too narrow: what lies outside the rectangle stays clean.
    b->Fill(clWhite);
    TRect narrow{10, 0, 10 + cw, h};
    c->DrawText("ab", narrow, DT_RIGHT | DT_SINGLELINE);
    EXPECT_EQ(b->Pixel(10 + 1, 2), clBlack);
    EXPECT_EQ(b->Pixel(10 - cw + 1, 2), clWhite) << "clipped to the rectangle";
    c->DrawText("ab", narrow, DT_RIGHT | DT_SINGLELINE | DT_NOCLIP);
    EXPECT_EQ(b->Pixel(10 - cw + 1, 2), clBlack) << "DT_NOCLIP draws outside";
}

TEST(Canvas, PaintsThroughAnyEngineAndRefusesWithoutOne) {
    // A device that only records pixels: the canvas's plain implementations reach it.
    struct Recorder : TPaintEngine {
        std::set<std::pair<int, int>> Set;
        TRect Bounds() const override { return {0, 0, 10, 10}; }
        TColor GetPixel(int x, int y) const override { return Set.count({x, y}) ? clBlack : clWhite; }
        void SetPixel(int x, int y, TColor) override { Set.insert({x, y}); }
    };
    auto engine = std::make_unique<Recorder>();
    Recorder* rec = engine.get();
    TCanvas canvas(std::move(engine));
    canvas.FillRect({8, 8, 12, 12});
    EXPECT_EQ(rec->Set, (std::set<std::pair<int, int>>{{8, 8}, {8, 9}, {9, 8}, {9, 9}})) << "clipped to the device";
    auto src = Filled(2, 1, clRed);
    BitBlt(canvas, 0, 0, 2, 1, *src->Canvas(), 0, 0, cmSrcCopy);
    EXPECT_TRUE(rec->Set.count({1, 0}));
    auto grabbed = Filled(2, 2, clWhite);
    grabbed->Canvas()->CopyRect({0, 0, 2, 2}, &canvas, {8, 8, 10, 10});
    EXPECT_EQ(grabbed->Pixel(1, 1), clBlack) << "a device without pixels of its own is read back";

    TCanvas none;
    EXPECT_THROW(none.FillRect({0, 0, 1, 1}), EInvalidOperation);
    EXPECT_THROW(none.TextOut(0, 0, "x"), EInvalidOperation);
}
