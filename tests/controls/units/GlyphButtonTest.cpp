// Glyph buttons (pictures by number, caption fallback, frames, the error dialog) and lookup
// buttons (placement, the lookup request, uniqueness).
#include <gtest/gtest.h>

#include "controls/F2Button.h"
#include "platform/core/Exceptions.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Forms.h"

using namespace plat;
using namespace qm;

namespace {

int FakeMax() { return 50; }
// Glyph n is a strip of n / 16 frames of 16 x 16; 13 raises; 20 is missing.
bool FakeLoad(TBitmap* b, int n) {
    if (n == 13) throw EInvalidGraphic("broken picture");
    if (n == 20) return false;
    b->SetSize(std::max(16, n), 16);
    b->Fill(clRed);
    return true;
}

// The form that answers lookup requests.
class TLookupForm : public TForm {
    PLAT_CLASS(TLookupForm)
    explicit TLookupForm(TComponent* owner) : TForm(owner, 0) {}
    std::vector<TObject*> Requests;
    void WMLookup(TMessage& m) { Requests.push_back(reinterpret_cast<TObject*>(m.LParam)); }
};

class GlyphButtonTest : public testing::Test {
protected:
    void SetUp() override {
        TGlyphLibrary::Instance().SetFunctions(&FakeMax, &FakeLoad);
        Form = CreateObject<TLookupForm>(nullptr);
        Form->Show();
        ClearDialogTranscript();
    }
    void TearDown() override {
        Form->Free();
        TGlyphLibrary::Instance().SetFunctions(nullptr, nullptr);
    }
    TLookupForm* Form = nullptr;
};

TEST_F(GlyphButtonTest, GlyphByNumberWithCaptionFallback) {
    auto* b = CreateObject<TGSpeedButton>(Form);
    b->SetParent(Form);
    EXPECT_TRUE(b->Flat());
    b->SetGlyphIndex(48);  // 48 x 16: three frames
    EXPECT_EQ(b->Caption(), "");
    EXPECT_EQ(b->NumGlyphs(), 3);
    EXPECT_EQ(b->Glyph()->Width(), 48);
    b->SetGlyphIndex(0);
    EXPECT_EQ(b->Caption(), "0");
    EXPECT_TRUE(b->Glyph()->Empty());
    b->SetGlyphIndex(51);  // above the highest number
    EXPECT_EQ(b->Caption(), "51");
    b->SetGlyphIndex(20);  // the library has no such picture
    EXPECT_EQ(b->Caption(), "20");
    EXPECT_TRUE(DialogTranscript().empty());
    b->SetGlyphIndex(13);
    EXPECT_EQ(b->GlyphIndex(), 13);
    EXPECT_EQ(b->Caption(), "13");
    ASSERT_EQ(DialogTranscript().size(), 1u);
    EXPECT_EQ(DialogTranscript()[0].Text, "读取 BMP 发生错误");
    EXPECT_EQ(DialogTranscript()[0].Kind, "error");
}

TEST_F(GlyphButtonTest, WithoutTheLibraryButtonsShowTheirNumbers) {
    TGlyphLibrary::Instance().SetFunctions(nullptr, nullptr);
    TGlyphLibrary::Instance().SetFunctions(&FakeMax, nullptr);  // no LoadBmp: counts as missing
    auto* b = CreateObject<TGSpeedButton>(Form);
    b->SetGlyphIndex(8);
    EXPECT_EQ(b->Caption(), "8");
    EXPECT_TRUE(DialogTranscript().empty());
}

class LookupButtonTest : public GlyphButtonTest {
protected:
    void SetUp() override {
        GlyphButtonTest::SetUp();
        Edit = CreateObject<TEdit>(Form);
        Edit->SetParent(Form);
        Edit->SetBounds(130, 20, 132, 21);
        Button = CreateObject<TF2Button>(Form);
        Button->SetParent(Form);
    }
    TEdit* Edit = nullptr;
    TF2Button* Button = nullptr;
};

TEST_F(LookupButtonTest, PlacesItselfBesideTheEdit) {
    EXPECT_EQ(Button->GlyphIndex(), 8);
    EXPECT_TRUE(Button->Flat());
    Button->SetF2Control(Edit);
    EXPECT_EQ(Button->Left(), 264);
    EXPECT_EQ(Button->Top(), 20);
    EXPECT_EQ(Button->Height(), 21);
    EXPECT_EQ(Button->Width(), 21);
    Button->SetGap(5);
    EXPECT_EQ(Button->Left(), 267);
}

TEST_F(LookupButtonTest, ClickAsksTheFormForTheLookup) {
    Button->SetF2Control(Edit);
    Button->Click();
    EXPECT_TRUE(Edit->Focused());
    ASSERT_EQ(Form->Requests.size(), 1u);
    EXPECT_EQ(Form->Requests[0], Edit);
    Edit->SetEnabled(false);
    Button->Click();
    EXPECT_EQ(Form->Requests.size(), 1u);
}

TEST_F(LookupButtonTest, SecondButtonForTheSameEditIsRefused) {
    Button->SetF2Control(Edit);
    auto* other = CreateObject<TF2Button>(Form);
    other->SetParent(Form);
    other->SetF2Control(Edit);
    EXPECT_EQ(other->F2Control(), nullptr);
    ASSERT_EQ(DialogTranscript().size(), 1u);
    EXPECT_EQ(DialogTranscript()[0].Text, "不能同时有两个 F2Button 指到同一个 Edit.");
    Edit->Free();
    EXPECT_EQ(Button->F2Control(), nullptr);
}

}  // namespace

PLAT_REGISTER_CLASS(TLookupForm, TForm) { b.Message(WM_F2LOOKUP, &Self::WMLookup); }
