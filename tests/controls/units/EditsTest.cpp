// The spin edit's sign filter, the labelled edits (label and button follow the edit) and the page
// control's default tab drawing.
#include <gtest/gtest.h>

#include "controls/ExtPage.h"
#include "controls/QmSpin.h"
#include "controls/QmcEdit.h"
#include "platform/forms/Forms.h"
#include "platform/graphics/Canvas.h"

using namespace plat;
using namespace qm;

namespace {

struct TSpinChanges : TObject {
    std::vector<std::string> Seen;
    void Changed(TObject* s) { Seen.push_back(static_cast<TControl*>(s)->Text()); }
};

class EditsTest : public testing::Test {
protected:
    void SetUp() override {
        Form = CreateObject<TForm>(nullptr, 0);
        Form->Show();
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
};

TEST_F(EditsTest, SpinEditDropsLateSignsAndBlankChanges) {
    auto* s = CreateObject<TQmSpinEdit>(Form);
    s->SetParent(Form);
    TSpinChanges log;
    s->OnChange = TNotifyEvent::Of<&TSpinChanges::Changed>(&log);
    const std::pair<std::string, std::string> cases[] = {
        {"12+", "12"}, {"-5", "-5"}, {"1-2-", "1"}, {"+7", "+7"}, {"5+-", "5"}, {"-", "-"}};
    for (const auto& [typed, kept] : cases) {
        s->SetText(typed);
        EXPECT_EQ(s->Text(), kept) << typed;
    }
    log.Seen.clear();
    s->SetText("   ");
    s->SetText("");
    EXPECT_TRUE(log.Seen.empty());
    s->SetText("3");
    EXPECT_EQ(log.Seen, std::vector<std::string>{"3"});
}

TEST_F(EditsTest, LabelledEditPlacesItsLabel) {
    auto* e = CreateObject<TQmEdit>(Form);
    e->SetParent(Form);
    ASSERT_NE(e->EditLabel(), nullptr);
    EXPECT_EQ(e->EditLabel()->Name(), "EditLabel");
    EXPECT_EQ(e->EditLabel()->FocusControl(), e);
    EXPECT_EQ(e->EditLabel()->Parent(), Form);
    e->EditLabel()->SetAutoSize(false);
    e->EditLabel()->SetBounds(0, 0, 40, 13);
    e->SetBounds(100, 50, 120, 21);
    EXPECT_EQ(e->EditLabel()->Left(), 56);
    EXPECT_EQ(e->EditLabel()->Top(), 54);
    struct Case {
        TLabelPosition Pos;
        int Left, Top;
    } cases[] = {{lpAbove, 100, 33}, {lpBelow, 100, 75}, {lpRight, 224, 54}, {lpLeft, 56, 54}};
    for (const auto& c : cases) {
        e->SetLabelPosition(c.Pos);
        EXPECT_EQ(e->EditLabel()->Left(), c.Left) << c.Pos;
        EXPECT_EQ(e->EditLabel()->Top(), c.Top) << c.Pos;
    }
    e->SetLabelSpacing(-3);
    EXPECT_EQ(e->LabelSpacing(), 4);
    e->SetLabelSpacing(10);
    EXPECT_EQ(e->EditLabel()->Left(), 50);
    e->SetEnabled(false);
    EXPECT_FALSE(e->EditLabel()->Enabled());
    e->SetVisible(false);
    EXPECT_FALSE(e->EditLabel()->Visible());
    e->SetCaption("部门");
    EXPECT_EQ(e->Caption(), "部门");
    e->EditLabel()->Free();
    EXPECT_EQ(e->Caption(), "");
}

TEST_F(EditsTest, ButtonEditCarriesItsLookupButton) {
    auto* e = CreateObject<TQmBtnDBEdit>(Form);
    e->SetParent(Form);
    e->SetBounds(130, 20, 132, 21);
    ASSERT_NE(e->F2Button(), nullptr);
    EXPECT_EQ(e->F2Button()->Name(), "F2Button");
    EXPECT_TRUE(e->F2Button()->Flat());
    EXPECT_EQ(e->GlyphIndex(), 8);
    EXPECT_EQ(e->F2Button()->Left(), 264);
    EXPECT_EQ(e->F2Button()->Top(), 20);
    EXPECT_EQ(e->F2Button()->Width(), 21);
    e->SetButtonHint("查询");
    EXPECT_EQ(e->F2Button()->Hint(), "查询");
    e->SetEnabled(false);
    EXPECT_FALSE(e->F2Button()->Enabled());
}

TEST_F(EditsTest, PageControlDrawsItsTabsByDefault) {
    auto* pc = CreateObject<TExtPageControl>(Form);
    pc->SetParent(Form);
    pc->SetBounds(0, 0, 300, 200);
    EXPECT_TRUE(pc->OwnerDraw());
    for (const char* caption : {"One", "Two"}) {
        auto* sheet = CreateObject<TTabSheet>(Form);
        sheet->SetPageControl(pc);
        sheet->SetCaption(caption);
    }
    pc->SetActivePage(pc->Pages(0));
    TBitmap surface(300, 200);
    surface.Fill(clWhite);
    pc->PaintTabs(surface.Canvas());
    TRect active = pc->TabRect(0), inactive = pc->TabRect(1);
    EXPECT_EQ(surface.Pixel(active.Left + 2, active.Top + 2), ColorToRGB(clActiveCaption));
    EXPECT_NE(surface.Pixel(active.Left + 1, active.Top + 1), ColorToRGB(clActiveCaption));
    EXPECT_EQ(surface.Pixel(inactive.Left, inactive.Top), ColorToRGB(clInactiveCaption));
}

}  // namespace
