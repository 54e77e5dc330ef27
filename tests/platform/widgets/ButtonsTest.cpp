// Speed buttons (groups, down state, glyph frames, painting by state) and bit buttons (kinds,
// glyphs, close), and the glyph/caption layout.
#include <gtest/gtest.h>

#include "platform/forms/Forms.h"
#include "platform/forms/Resources.h"
#include "platform/forms/TypInfo.h"
#include "platform/graphics/Canvas.h"
#include "platform/widgets/Buttons.h"

using namespace plat;

namespace {

struct TClickLog : TObject {
    std::vector<std::string> Clicks;
    void Clicked(TObject* sender) { Clicks.push_back(static_cast<TComponent*>(sender)->Name()); }
    TNotifyEvent Handler() { return TNotifyEvent::Of<&TClickLog::Clicked>(this); }
};

class ButtonsTest : public testing::Test {
protected:
    void SetUp() override {
        Form = CreateObject<TForm>(nullptr, 0);
        Form->Show();
    }
    void TearDown() override { Form->Free(); }
    TSpeedButton* Speed(const std::string& name, int group, TWinControl* parent = nullptr) {
        auto* b = CreateObject<TSpeedButton>(Form);
        b->SetName(name);
        b->SetParent(parent ? parent : Form);
        b->SetGroupIndex(group);
        b->OnClick = Log.Handler();
        return b;
    }
    // A strip of `frames` square frames of `size`, frame i filled with colours[i]; the corner
    // pixels of the left edge (where a picture's transparent colour is taken from) olive.
    static std::unique_ptr<TBitmap> Strip(int frames, int size, std::vector<TColor> colours) {
        auto b = std::make_unique<TBitmap>(frames * size, size);
        for (int f = 0; f < frames; ++f)
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) b->SetPixel(f * size + x, y, colours[static_cast<size_t>(f)]);
        b->SetPixel(0, size - 1, clOlive);
        b->SetPixel(0, 0, clOlive);
        return b;
    }
    TForm* Form = nullptr;
    TClickLog Log;
};

TEST_F(ButtonsTest, GroupedSpeedButtonsStayDownOneAtATime) {
    auto* a = Speed("a", 1);
    auto* b = Speed("b", 1);
    auto* free = Speed("free", 0);
    auto* panel = CreateObject<TCustomControl>(Form);
    panel->SetParent(Form);
    auto* elsewhere = Speed("elsewhere", 1, panel);
    elsewhere->SetDown(true);

    ClickAt(a);
    EXPECT_TRUE(a->Down());
    ClickAt(b);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    ClickAt(b);  // without AllowAllUp the pressed button stays down
    EXPECT_TRUE(b->Down());
    ClickAt(free);
    EXPECT_FALSE(free->Down());  // a button of no group never stays down
    EXPECT_TRUE(elsewhere->Down());  // another parent is another group
    EXPECT_EQ(Log.Clicks, (std::vector<std::string>{"a", "b", "b", "free"}));

    a->SetAllowAllUp(true);  // the whole group follows
    EXPECT_TRUE(b->AllowAllUp());
    ClickAt(b);
    EXPECT_FALSE(b->Down());
    a->SetDown(true);  // in code: no click
    EXPECT_EQ(Log.Clicks.size(), 5u);
    b->SetDown(true);
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(b->State(), bsExclusive);

    b->SetEnabled(false);
    ClickAt(b);
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(b->State(), bsDisabled);
    EXPECT_EQ(Log.Clicks.size(), 5u);
}

TEST_F(ButtonsTest, GlyphWidthSetsTheFrameCount) {
    struct Case {
        int width, height, frames;
    };
    const Case cases[] = {{48, 16, 3}, {16, 16, 1}, {64, 16, 4}, {80, 16, 1}, {32, 16, 2}};
    for (const auto& c : cases) {
        auto* b = Speed("s", 0);
        TBitmap g(c.width, c.height);
        b->SetGlyph(&g);
        EXPECT_EQ(b->NumGlyphs(), c.frames) << c.width << "x" << c.height;
        b->Free();
    }
    auto* b = Speed("s", 0);
    b->SetNumGlyphs(3);
    TBitmap odd(20, 16);  // not a strip of squares: the count stays
    b->SetGlyph(&odd);
    EXPECT_EQ(b->NumGlyphs(), 3);
    b->SetNumGlyphs(9);
    EXPECT_EQ(b->NumGlyphs(), 4);
    b->SetGlyph(nullptr);
    EXPECT_TRUE(b->Glyph()->Empty());
    EXPECT_EQ(GetPropInfo(b, "NumGlyphs")->PropType->Name, "TNumGlyphs");
    EXPECT_EQ(GetPropInfo(b, "Glyph")->PropType->Name, "TBitmap");
}

TEST_F(ButtonsTest, PaintShowsTheFrameOfTheState) {
    struct Case {
        int frames;
        bool enabled;
        bool down;
        TColor centre;  // colour at the glyph's centre
        int shift;      // a pressed face moves the glyph by one pixel
    };
    const Case cases[] = {
        {2, true, false, clRed, 0},
        {2, false, false, clLime, 0},         // the disabled frame
        {4, true, true, clYellow, 1},         // the stays-down frame
        {3, true, false, clRed, 0},
        {1, false, false, ColorToRGB(clBtnShadow), 0},  // made from the first frame
    };
    for (const auto& c : cases) {
        auto* b = Speed("p", c.down ? 1 : 0);
        b->SetBounds(0, 0, 24, 24);
        auto strip = Strip(c.frames, 8, {clRed, clLime, clBlue, clYellow});
        b->SetGlyph(strip.get());
        b->SetDown(c.down);
        b->SetEnabled(c.enabled);
        TBitmap surface(24, 24);
        surface.Fill(clWhite);
        b->Paint(*surface.Canvas());
        // An 8 x 8 glyph without caption sits in the middle of the 20 x 20 inside of the face.
        int x = 2 + 6 + 4 + c.shift, y = 2 + 6 + 3 + c.shift;
        EXPECT_EQ(surface.Pixel(x, y), c.centre) << c.frames << " frames, enabled " << c.enabled;
        b->Free();
    }
}

TEST_F(ButtonsTest, LayoutOfGlyphAndCaption) {
    struct Case {
        TButtonLayout layout;
        int margin, spacing;
        TPoint glyph;
        TRect text;
    };
    const TRect client{0, 0, 75, 25};
    const Case cases[] = {
        {blGlyphLeft, -1, 4, {18, 5}, Bounds(38, 6, 20, 13)},
        {blGlyphRight, -1, 4, {41, 5}, Bounds(17, 6, 20, 13)},
        {blGlyphLeft, 2, 4, {2, 5}, Bounds(22, 6, 20, 13)},
        {blGlyphLeft, -1, -1, {13, 5}, Bounds(42, 6, 20, 13)},
        {blGlyphTop, -1, 0, {30, -1}, Bounds(28, 15, 20, 13)},
    };
    for (const auto& c : cases) {
        TButtonLayoutResult r = CalcButtonLayout(client, {16, 16}, {20, 13}, c.layout, c.margin, c.spacing);
        EXPECT_EQ(r.GlyphPos, c.glyph) << c.layout << " " << c.margin << " " << c.spacing;
        EXPECT_EQ(r.TextRect, c.text) << c.layout << " " << c.margin << " " << c.spacing;
    }
}

TEST_F(ButtonsTest, BitButtonKinds) {
    struct Case {
        TBitBtnKind kind;
        const char* caption;
        TModalResult result;
        bool isDefault, isCancel;
    };
    const Case cases[] = {
        {bkOK, "OK", mrOk, true, false},         {bkCancel, "Cancel", mrCancel, false, true},
        {bkYes, "&Yes", mrYes, true, false},     {bkNo, "&No", mrNo, false, true},
        {bkHelp, "&Help", mrNone, false, false}, {bkClose, "&Close", mrNone, false, false},
        {bkAbort, "Abort", mrAbort, false, false}, {bkRetry, "&Retry", mrRetry, false, false},
        {bkIgnore, "&Ignore", mrIgnore, false, false}, {bkAll, "&All", mrAll, false, false},
    };
    for (const auto& c : cases) {
        auto* b = CreateObject<TBitBtn>(Form);
        b->SetParent(Form);
        b->SetKind(c.kind);
        EXPECT_EQ(b->Kind(), c.kind);
        EXPECT_EQ(b->Caption(), c.caption);
        EXPECT_EQ(b->ModalResult(), c.result);
        EXPECT_EQ(b->Default(), c.isDefault);
        EXPECT_EQ(b->Cancel(), c.isCancel);
        EXPECT_EQ(b->NumGlyphs(), 2);
        EXPECT_EQ(b->Glyph()->Width(), 2 * b->Glyph()->Height());
        b->Free();
    }
    auto* b = CreateObject<TBitBtn>(Form);
    b->SetParent(Form);
    b->SetKind(bkOK);
    b->SetModalResult(mrIgnore);  // no longer what the kind gives
    EXPECT_EQ(b->Kind(), bkCustom);
    EXPECT_EQ(GetEnumProp(b, "Kind"), "bkCustom");
    b->SetKind(bkYes);
    ClickAt(b);
    EXPECT_EQ(Form->ModalResult(), mrYes);
}

TEST_F(ButtonsTest, CloseKindClosesItsFormAndKindGlyphsComeFromResources) {
    auto* b = CreateObject<TBitBtn>(Form);
    b->SetParent(Form);
    b->SetKind(bkClose);
    ASSERT_TRUE(Form->Visible());
    ClickAt(b);
    EXPECT_FALSE(Form->Visible());

    TBitmap picture(40, 20);
    picture.Fill(clNavy);
    std::string bytes = picture.SaveToMemory(TImageFormat::Bmp);
    RegisterResource("ButtonsTest", "BBCANCEL", TResourceKind::Bitmap,
                     reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    std::unique_ptr<TBitmap> glyph = BitBtnGlyph(bkCancel);
    UnregisterResource("ButtonsTest", "BBCANCEL", TResourceKind::Bitmap);
    EXPECT_EQ(glyph->Width(), 40);
    EXPECT_EQ(glyph->Pixel(5, 5), clNavy);
    EXPECT_EQ(BitBtnGlyph(bkCancel)->Width(), 32);  // the built-in picture again
}

}  // namespace
