// The bitmap check box: the toggle cycle, no OnClick from code, keys and accelerator, glyph frames
// and painting.
#include <gtest/gtest.h>

#include "controls/BtChkBox.h"
#include "platform/forms/Forms.h"
#include "platform/forms/TypInfo.h"
#include "platform/graphics/Canvas.h"

using namespace plat;
using namespace qm;

namespace {

struct TClickCount : TObject {
    int Clicks = 0;
    void Clicked(TObject*) { ++Clicks; }
};

class BitCheckBoxTest : public testing::Test {
protected:
    void SetUp() override {
        Form = CreateObject<TForm>(nullptr, 0);
        Box = CreateObject<TBitCheckBox>(Form);
        Box->SetParent(Form);
        Box->SetBounds(10, 10, 97, 17);
        Box->OnClick = TNotifyEvent::Of<&TClickCount::Clicked>(&Counter);
        Form->Show();
    }
    void TearDown() override { Form->Free(); }
    // A strip of square frames of `size`, frame i filled with colours[i]; bottom-left olive.
    static std::unique_ptr<TBitmap> Strip(int frames, int size, std::vector<TColor> colours) {
        auto b = std::make_unique<TBitmap>(frames * size, size);
        for (int f = 0; f < frames; ++f)
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) b->SetPixel(f * size + x, y, colours[f]);
        b->SetPixel(0, size - 1, clOlive);
        return b;
    }
    TForm* Form = nullptr;
    TBitCheckBox* Box = nullptr;
    TClickCount Counter;
};

TEST_F(BitCheckBoxTest, NewBoxDefaults) {
    auto* b = CreateObject<TBitCheckBox>(Form);
    EXPECT_EQ(b->Width(), 97);
    EXPECT_EQ(b->Height(), 17);
    EXPECT_TRUE(b->TabStop());
    EXPECT_EQ(b->State(), cbUnchecked);
    EXPECT_EQ(b->Alignment(), taRightJustify);
    for (TBitmap* g : {b->CheckedGlyph(), b->UncheckedGlyph(), b->GrayedGlyph()}) {
        EXPECT_EQ(g->Width(), 19);
        EXPECT_EQ(g->Height(), 14);
    }
    EXPECT_EQ(b->CheckedNumGlyphs(), 1);
    EXPECT_EQ(GetEnumProp(b, "Alignment"), "taRightJustify");
}

TEST_F(BitCheckBoxTest, ClicksCycleThroughGrayedWhenAllowed) {
    Box->SetAllowGrayed(true);
    std::vector<TCheckBoxState> seen;
    for (int i = 0; i < 3; ++i) {
        ClickAt(Box, 5, 5);
        seen.push_back(Box->State());
    }
    EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbGrayed, cbChecked, cbUnchecked}));
    EXPECT_EQ(Counter.Clicks, 3);
    Box->SetAllowGrayed(false);
    ClickAt(Box, 5, 5);
    EXPECT_EQ(Box->State(), cbChecked);
}

TEST_F(BitCheckBoxTest, CodeChangesRaiseNoClick) {
    Box->SetChecked(true);
    EXPECT_TRUE(Box->Checked());
    Box->SetState(cbGrayed);
    EXPECT_FALSE(Box->Checked());
    EXPECT_EQ(Counter.Clicks, 0);
}

TEST_F(BitCheckBoxTest, SpaceTogglesAndAcceleratorTogglesWithoutClick) {
    Box->SetCaption("&Notify");
    Box->SetFocus();
    PressKey(VK_SPACE);
    EXPECT_TRUE(Box->Checked());
    EXPECT_EQ(Counter.Clicks, 1);
    PressKey('N', {ssAlt});
    EXPECT_FALSE(Box->Checked());
    EXPECT_EQ(Counter.Clicks, 1);
}

TEST_F(BitCheckBoxTest, GlyphFrameCountsFollowThePictureAndClamp) {
    auto two = Strip(2, 16, {clRed, clBlue});
    Box->SetCheckedGlyph(two.get());
    EXPECT_EQ(Box->CheckedNumGlyphs(), 2);
    auto three = Strip(3, 16, {clRed, clBlue, clLime});
    Box->SetCheckedGlyph(three.get());
    EXPECT_EQ(Box->CheckedNumGlyphs(), 2);  // clamped
    TBitmap odd(20, 16);
    Box->SetUncheckedNumGlyphs(2);
    Box->SetUncheckedGlyph(&odd);
    EXPECT_EQ(Box->UncheckedNumGlyphs(), 2);  // not a whole multiple: the count stays
    Box->SetGrayedNumGlyphs(0);
    EXPECT_EQ(Box->GrayedNumGlyphs(), 1);
    Box->SetGrayedNumGlyphs(7);
    EXPECT_EQ(Box->GrayedNumGlyphs(), 2);
    // Height 0 would divide by zero when counting: the default comes back instead.
    TBitmap flat(16, 0);
    Box->SetCheckedGlyph(&flat);
    EXPECT_EQ(Box->CheckedGlyph()->Width(), 19);
    EXPECT_EQ(Box->CheckedNumGlyphs(), 1);
    Box->SetUncheckedGlyph(nullptr);
    EXPECT_EQ(Box->UncheckedGlyph()->Width(), 19);
    EXPECT_EQ(Box->UncheckedGlyph()->Pixel(0, 13), clFuchsia);
}

TEST_F(BitCheckBoxTest, PaintsTheFrameOfTheStateAndLeavesTheTransparentColourOut) {
    auto two = Strip(2, 16, {clRed, clBlue});
    Box->SetCheckedGlyph(two.get());
    Box->SetChecked(true);
    Box->SetColor(clYellow);
    Box->SetCaption("Go");
    TBitmap surface(Box->Width(), Box->Height());
    Box->Paint(*surface.Canvas());
    // Glyph at x 0, y (17 - 16) / 2 = 0; the bottom-left olive pixel is left out.
    EXPECT_EQ(surface.Pixel(5, 5), clRed);
    EXPECT_EQ(surface.Pixel(0, 15), clYellow);
    // The caption starts at frame width + 4.
    TRect cap = Box->CaptionRect(*surface.Canvas());
    EXPECT_EQ(cap.Left, 20);

    Box->SetEnabled(false);
    Box->Paint(*surface.Canvas());
    EXPECT_EQ(surface.Pixel(5, 5), clBlue);  // second frame when disabled

    Box->SetAlignment(taLeftJustify);
    surface.Fill(clWhite);
    Box->Paint(*surface.Canvas());
    EXPECT_EQ(surface.Pixel(Box->Width() - 16 + 3, 5), clBlue);
    EXPECT_EQ(surface.Pixel(3, 5) == clBlue, false);
    EXPECT_EQ(Box->CaptionRect(*surface.Canvas()).Left, 1);
}

TEST_F(BitCheckBoxTest, DisabledCaptionIsGrayed) {
    Box->SetCaption("Go");
    Box->SetEnabled(false);
    Box->SetColor(clWhite);
    TBitmap surface(Box->Width(), Box->Height());
    Box->Paint(*surface.Canvas());
    TRect cap = Box->CaptionRect(*surface.Canvas());
    bool gray = false;
    for (int y = cap.Top; y < cap.Bottom; ++y)
        for (int x = cap.Left; x < cap.Right; ++x)
            if (surface.Pixel(x, y) == ColorToRGB(clGrayText)) gray = true;
    EXPECT_TRUE(gray);
}

}  // namespace
