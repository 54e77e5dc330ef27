// Panels (room kept for bevels and borders, painting) and splitters (dragging resizes the
// neighbour within its limits).
#include <gtest/gtest.h>

#include "platform/forms/Forms.h"
#include "platform/forms/TypInfo.h"
#include "platform/graphics/Canvas.h"
#include "platform/widgets/ExtCtrls.h"

using namespace plat;

namespace {

class ExtCtrlsTest : public testing::Test {
protected:
    void SetUp() override {
        Form = CreateObject<TForm>(nullptr, 0);
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(0, 0, 400, 200);
        Form->Show();
    }
    void TearDown() override { Form->Free(); }
    template <class T>
    T* Make(TWinControl* parent, TAlign align = alNone) {
        auto* c = CreateObject<T>(Form);
        c->SetParent(parent);
        c->SetAlign(align);
        return c;
    }
    TForm* Form = nullptr;
};

TEST_F(ExtCtrlsTest, PanelChildrenKeepClearOfBevelsAndBorders) {
    struct Case {
        TPanelBevel outer, inner;
        int bevelWidth, borderWidth;
        TFormBorderStyle style;
        bool ctl3D;
        TRect child;  // an alClient child's bounds in a 100 x 60 panel
    };
    const Case cases[] = {
        {bvRaised, bvNone, 1, 0, bsNone, true, {1, 1, 99, 59}},
        {bvNone, bvNone, 1, 0, bsNone, true, {0, 0, 100, 60}},
        {bvRaised, bvLowered, 2, 3, bsNone, true, {7, 7, 93, 53}},
        {bvNone, bvNone, 1, 0, bsSingle, true, {0, 0, 96, 56}},  // the border is outside the client area
        {bvSpace, bvNone, 1, 0, bsSingle, false, {1, 1, 97, 57}},
    };
    for (const auto& c : cases) {
        auto* p = Make<TPanel>(Form);
        p->SetBounds(0, 0, 100, 60);
        p->SetCtl3D(c.ctl3D);
        p->SetBevelOuter(c.outer);
        p->SetBevelInner(c.inner);
        p->SetBevelWidth(c.bevelWidth);
        p->SetBorderWidth(c.borderWidth);
        p->SetBorderStyle(c.style);
        auto* child = Make<TPanel>(p, alClient);
        EXPECT_EQ(child->BoundsRect(), c.child) << c.outer << " " << c.inner << " " << c.style;
        p->Free();
    }
}

TEST_F(ExtCtrlsTest, PanelPaintsBevelsFaceAndCaption) {
    auto* p = Make<TPanel>(Form);
    p->SetBounds(0, 0, 60, 30);
    p->Font()->SetHeight(-10);
    p->Font()->SetColor(clRed);
    p->SetCaption("ab");
    TBitmap surface(60, 30);
    p->Paint(*surface.Canvas());
    EXPECT_EQ(surface.Pixel(0, 0), ColorToRGB(clBtnHighlight));  // raised: light top-left
    EXPECT_EQ(surface.Pixel(59, 29), ColorToRGB(clBtnShadow));
    EXPECT_EQ(surface.Pixel(5, 5), ColorToRGB(clBtnFace));
    // "ab" (two 5-pixel cells at this height) is centred: cells from x 25 and 30, rows 10..19.
    EXPECT_EQ(surface.Pixel(27, 15), clRed);
    EXPECT_EQ(surface.Pixel(22, 15), ColorToRGB(clBtnFace));
    p->SetBevelOuter(bvLowered);
    p->Paint(*surface.Canvas());
    EXPECT_EQ(surface.Pixel(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(GetPropInfo(p, "BevelOuter")->PropType->EnumNames,
              (std::vector<std::string>{"bvNone", "bvLowered", "bvRaised", "bvSpace"}));
    EXPECT_EQ(GetPropInfo(p, "BorderStyle")->PropType->Name, "TBorderStyle");
    EXPECT_TRUE(p->InheritsFrom("TCustomPanel"));
}

struct TMoveLog : TObject {
    int Moved = 0;
    int Refuse = -1;  // a size OnCanResize refuses
    void OnMoved(TObject*) { ++Moved; }
    void OnCanResize(TObject*, int& newSize, bool& accept) {
        if (newSize == Refuse) accept = false;
    }
};

class SplitterTest : public ExtCtrlsTest {
protected:
    void SetUp() override {
        ExtCtrlsTest::SetUp();
        Left = Make<TPanel>(Form, alLeft);
        Left->SetWidth(100);
        Split = CreateObject<TSplitter>(Form);
        Split->SetLeft(150);  // aligned after the panel
        Split->SetParent(Form);
        Right = Make<TPanel>(Form, alRight);
        Right->SetWidth(80);
        Client = Make<TPanel>(Form, alClient);
        Split->OnMoved = TNotifyEvent::Of<&TMoveLog::OnMoved>(&Log);
        Split->OnCanResize = TCanResizeEvent::Of<&TMoveLog::OnCanResize>(&Log);
    }
    void Drag(int dx) {
        Split->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(1, 10));
        Split->Perform(WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(1 + dx, 10));
        Split->Perform(WM_LBUTTONUP, 0, MakeLParam(1 + dx, 10));
    }
    TPanel *Left = nullptr, *Right = nullptr, *Client = nullptr;
    TSplitter* Split = nullptr;
    TMoveLog Log;
};

TEST_F(SplitterTest, DraggingResizesTheNeighbour) {
    ASSERT_EQ(Split->Left(), 100);
    EXPECT_EQ(Split->FindResizeControl(), Left);
    Drag(50);
    EXPECT_EQ(Left->Width(), 150);
    EXPECT_EQ(Split->Left(), 150);
    EXPECT_EQ(Client->Left(), 153);
    EXPECT_EQ(Log.Moved, 1);
    Drag(500);  // at most the room left: 400 - 30 (min) - 80 (right panel) - 3 (splitter)
    EXPECT_EQ(Left->Width(), 287);
    Log.Refuse = 200;
    Drag(-87);
    EXPECT_EQ(Left->Width(), 287);
    Drag(-260);  // to the minimum or below: snaps shut
    EXPECT_EQ(Left->Width(), 0);
    Split->SetAutoSnap(false);
    Drag(-10);  // a closed neighbour is still found; without snapping it keeps the minimum
    EXPECT_EQ(Left->Width(), 30);
}

TEST_F(SplitterTest, RightAlignedSplitterGrowsItsNeighbourLeftwards) {
    Split->SetAlign(alRight);
    Split->SetLeft(0);
    Form->Realign();
    ASSERT_EQ(Split->FindResizeControl(), Right);
    Drag(-20);
    EXPECT_EQ(Right->Width(), 100);
    EXPECT_EQ(Right->Left(), 300);
}

}  // namespace
