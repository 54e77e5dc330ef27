// Radio buttons (exclusive per parent, tab stop follows the check, caption indent) and the radio
// group (arrangement in columns, ItemIndex clamping, clicks).
#include <gtest/gtest.h>

#include "controls/QmRadioGroup.h"
#include "platform/forms/Forms.h"
#include "platform/forms/WidgetSet.h"
#include "platform/graphics/Canvas.h"
#include "platform/widgets/ExtCtrls.h"

using namespace plat;
using namespace qm;

namespace {

struct TRadioClicks : TObject {
    int Clicks = 0;
    void Clicked(TObject*) { ++Clicks; }
};

class RadioTest : public testing::Test {
protected:
    void SetUp() override {
        Form = CreateObject<TForm>(nullptr, 0);
        Form->Show();
    }
    void TearDown() override { Form->Free(); }
    TQmRadioButton* Radio(TWinControl* parent) {
        auto* r = CreateObject<TQmRadioButton>(Form);
        r->SetParent(parent);
        return r;
    }
    TForm* Form = nullptr;
    TRadioClicks Counter;
};

TEST_F(RadioTest, CheckingIsExclusivePerParent) {
    auto* p1 = CreateObject<TPanel>(Form);
    p1->SetParent(Form);
    auto* p2 = CreateObject<TPanel>(Form);
    p2->SetParent(Form);
    auto *a = Radio(p1), *b = Radio(p1), *c = Radio(p2);
    EXPECT_EQ(a->Width(), 113);
    EXPECT_EQ(a->Height(), 17);
    EXPECT_FALSE(a->TabStop());
    c->SetChecked(true);
    a->SetChecked(true);
    b->OnClick = TNotifyEvent::Of<&TRadioClicks::Clicked>(&Counter);
    ClickAt(b);
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(b->TabStop());
    EXPECT_FALSE(a->Checked());
    EXPECT_FALSE(a->TabStop());
    EXPECT_TRUE(c->Checked());
    EXPECT_EQ(Counter.Clicks, 1);
}

TEST_F(RadioTest, CaptionIndentByPointSize) {
    const std::pair<int, int> cases[] = {{1, 17}, {8, 17}, {9, 19}, {10, 19}, {15, 19}, {16, 20}, {18, 21},
                                         {24, 23}, {30, 25}, {36, 27}, {42, 29}, {44, 31}, {60, 31}, {61, 39},
                                         {80, 39}, {81, 44}, {0, 44}};
    for (auto [points, indent] : cases) EXPECT_EQ(TQmRadioButton::CaptionIndent(points), indent) << points;
    // Height -13 is 10 points at 96 DPI, so 19 pixels.
    auto* r = Radio(Form);
    r->Font()->SetHeight(-13);
    EXPECT_EQ(r->Font()->Size(), 10);
}

TEST_F(RadioTest, PaintsTheCaptionAfterTheIndentAlsoWhenDisabled) {
    auto* r = Radio(Form);
    r->SetCaption("AB");
    r->Font()->SetHeight(-13);
    r->Font()->SetColor(clRed);
    r->SetColor(clYellow);
    r->SetEnabled(false);
    TBitmap surface(r->Width(), r->Height());
    surface.Fill(clWhite);
    r->Paint(*surface.Canvas());
    EXPECT_EQ(surface.Pixel(19 - 4, 8), clYellow);
    EXPECT_EQ(surface.Pixel(10, 8), clWhite);
    bool red = false;
    for (int x = 19; x < 40; ++x)
        if (surface.Pixel(x, 8) == clRed) red = true;
    EXPECT_TRUE(red);
}

class RadioGroupTest : public RadioTest {
protected:
    void SetUp() override {
        RadioTest::SetUp();
        Group = CreateObject<TQmRadioGroup>(Form);
        Group->SetParent(Form);
        Group->SetBounds(0, 0, 210, 105);
    }
    TQmRadioGroup* Group = nullptr;
};

TEST_F(RadioGroupTest, ThreeItemsInTwoColumns) {
    Group->SetColumns(2);
    Group->Items()->SetText("a\nb\nc");
    ASSERT_EQ(Group->ButtonCount(), 3);
    const int t = WidgetSet().TextHeight(*Group->Font(), "0");
    const int u = 105 - t - 5, h = u / 2, top = (u % 2) / 2 + t + 1;
    EXPECT_EQ(Group->Buttons(0)->Left(), 8);
    EXPECT_EQ(Group->Buttons(1)->Left(), 8);
    EXPECT_EQ(Group->Buttons(2)->Left(), 100 + 8);
    EXPECT_EQ(Group->Buttons(0)->Top(), top);
    EXPECT_EQ(Group->Buttons(1)->Top(), h + top);
    EXPECT_EQ(Group->Buttons(2)->Top(), top);
    EXPECT_EQ(Group->Buttons(0)->Width(), 100);
    EXPECT_EQ(Group->Buttons(2)->Caption(), "c");
}

TEST_F(RadioGroupTest, ColumnsAndItemIndexAreClamped) {
    Group->SetColumns(0);
    EXPECT_EQ(Group->Columns(), 1);
    Group->SetColumns(40);
    EXPECT_EQ(Group->Columns(), 16);
    Group->SetItemIndex(2);  // no items yet
    EXPECT_EQ(Group->ItemIndex(), -1);
    Group->Items()->SetText("a\nb\nc");
    Group->SetItemIndex(7);
    EXPECT_EQ(Group->ItemIndex(), 2);
    EXPECT_TRUE(Group->Buttons(2)->Checked());
    Group->SetItemIndex(-5);
    EXPECT_EQ(Group->ItemIndex(), -1);
    EXPECT_FALSE(Group->Buttons(2)->Checked());
    Group->SetItemIndex(2);
    Group->Items()->SetText("a");  // past the end: the last one
    EXPECT_EQ(Group->ItemIndex(), 0);
    EXPECT_TRUE(Group->Buttons(0)->Checked());
}

TEST_F(RadioGroupTest, NoItemsArrangeWithoutDividingByZero) {
    Group->Items()->SetText("a\nb");
    Group->Items()->Clear();
    EXPECT_EQ(Group->ButtonCount(), 0);
    Group->SetBounds(0, 0, 300, 120);
    Group->SetColumns(3);
    EXPECT_EQ(Group->ItemIndex(), -1);
}

TEST_F(RadioGroupTest, ClickingAButtonSetsItemIndexAndClicksTheGroupCodeDoesNot) {
    Group->Items()->SetText("a\nb\nc");
    Group->OnClick = TNotifyEvent::Of<&TRadioClicks::Clicked>(&Counter);
    Group->SetItemIndex(0);
    EXPECT_EQ(Counter.Clicks, 0);
    ClickAt(Group->Buttons(1), 2, 2);
    EXPECT_EQ(Group->ItemIndex(), 1);
    EXPECT_FALSE(Group->Buttons(0)->Checked());
    EXPECT_EQ(Counter.Clicks, 1);
    Group->SetEnabled(false);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(Group->Buttons(i)->Enabled());
}

}  // namespace
