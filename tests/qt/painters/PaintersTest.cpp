// The standard controls without a native counterpart, painted through the model's canvas on the
// offscreen platform: what is drawn where the model says it is, and clicks on the drawing doing
// what the model's hit test says.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <cstdlib>
#include <tuple>
#include <string>
#include <vector>

#include "qt/QtTestSupport.h"
#include "platform/forms/DfmReader.h"
#include "platform/forms/Forms.h"
#include "platform/qt/QtWidgetSet.h"
#include "platform/widgets/ComCtrls.h"
#include "platform/widgets/Spin.h"
#include "platform/widgets/StdCtrls.h"
#include "platform/widgets/Tabs.h"

using namespace plat;
using qttest::StartQt;
using qttest::Fixture;

namespace {



// An image list of solid squares, one per colour (the bottom-left pixel, which a masked list
// takes as transparent, in another colour).
TImageList* SolidImages(TComponent* owner, const std::vector<TColor>& colours, int size = 16) {
    auto* list = CreateObject<TImageList>(owner);
    list->SetWidth(size);
    list->SetHeight(size);
    for (TColor c : colours) {
        TBitmap bmp(size, size);
        bmp.Fill(c);
        bmp.SetPixel(0, size - 1, clFuchsia);
        list->Add(&bmp);
    }
    return list;
}

bool Near(QColor a, QColor b, int tolerance = 0) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// Pixels of `colour` inside r (control coordinates) of an image of the control.
int CountColour(const QImage& img, const TRect& r, QColor colour, int tolerance = 0) {
    int n = 0;
    for (int y = std::max(0, r.Top); y < std::min(img.height(), r.Bottom); ++y)
        for (int x = std::max(0, r.Left); x < std::min(img.width(), r.Right); ++x)
            if (Near(img.pixelColor(x, y), colour, tolerance)) ++n;
    return n;
}

// Dark pixels (text, arrows) inside r.
int CountDark(const QImage& img, const TRect& r) {
    int n = 0;
    for (int y = std::max(0, r.Top); y < std::min(img.height(), r.Bottom); ++y)
        for (int x = std::max(0, r.Left); x < std::min(img.width(), r.Right); ++x)
            if (img.pixelColor(x, y).lightness() < 80) ++n;
    return n;
}

// Handlers for the controls' events (events bind to registered classes).
class TPaintersProbe : public TComponent {
    PLAT_CLASS(TPaintersProbe)
    using TComponent::TComponent;
    int Clicks = 0;
    void Clicked(TObject*) { ++Clicks; }
    // An owner-drawn panel: all red.
    void DrawRed(TStatusBar* sb, TStatusPanel*, TRect r) {
        sb->Canvas()->Brush()->SetColor(clRed);
        sb->Canvas()->FillRect(r);
    }
};
PLAT_REGISTER_CLASS(TPaintersProbe, TComponent) {}

class PaintersFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(StartQt()); }
    void SetUp() override {
        ASSERT_EQ(WidgetSet().Name(), "qt");
        form = CreateObject<TForm>(nullptr, 0);
        form->SetBounds(40, 40, 420, 320);
        form->SetCaption("Painters");
    }
    void TearDown() override {
        if (form) form->Free();
        QCoreApplication::processEvents();
    }
    // The control as the form renders it (RenderFormImage), cut out at the control's place.
    QImage Shot(TControl* c) {
        QImage all = RenderFormImage(*form);
        TPoint at = c->ClientToScreen({0, 0});
        TPoint client = form->ClientToScreen({0, 0});
        TPoint origin = form->ClientOrigin();
        // A windowed control's client area is the whole control here (no non-client frames).
        return all.copy(at.X - client.X + origin.X, at.Y - client.Y + origin.Y, c->Width(), c->Height());
    }
    // Where a client point of a control lies on the widget a person clicks.
    static QWidget* Widget(TControl* c) {
        auto* w = dynamic_cast<TWinControl*>(c);
        return QtWidgetOf(w ? w : c->Parent());
    }
    static QPoint At(TControl* c, int x, int y) {
        if (dynamic_cast<TWinControl*>(c)) return {x, y};
        return {c->Left() + x, c->Top() + y};
    }
    TForm* form = nullptr;
};

// ---- Tree view ---------------------------------------------------------------------------------

class TreePainting : public PaintersFixture {
protected:
    void SetUp() override {
        PaintersFixture::SetUp();
        tree = CreateObject<TTreeView>(form);
        tree->SetParent(form);
        tree->SetBounds(10, 10, 200, 180);
        tree->SetImages(SolidImages(form, {clRed, clBlue}));
        fruit = tree->Items()->Add(nullptr, "Fruit");
        fruit->SetImageIndex(0);
        fruit->SetSelectedIndex(1);
        apple = tree->Items()->AddChild(fruit, "Apple");
        apple->SetImageIndex(0);
        pear = tree->Items()->AddChild(fruit, "Pear");
        pear->SetImageIndex(0);
        veg = tree->Items()->Add(fruit, "Veg");
        veg->SetImageIndex(0);
        tree->Items()->AddChild(veg, "Leek");
        fruit->Expand(false);
        form->Show();
    }
    // The centre of a node's expand button: the model's button column (Level, one indent wide).
    QPoint ButtonCentre(TTreeNode* n) {
        TRect row = tree->NodeRect(n, false);
        int column = n->Level() + (tree->ShowRoot() ? 0 : -1);
        return {column * tree->Indent() + tree->Indent() / 2, (row.Top + row.Bottom) / 2};
    }
    TTreeView* tree = nullptr;
    TTreeNode *fruit = nullptr, *apple = nullptr, *pear = nullptr, *veg = nullptr;
};

TEST_F(TreePainting, NodesAreIndentedWithImagesButtonsLinesAndTheSelection) {
    tree->SetSelected(apple);
    tree->SetFocus();
    QImage img = Shot(tree);
    // Each node's text sits where the model puts it; a child one indent further right.
    TRect fruitText = tree->NodeRect(fruit, true), appleText = tree->NodeRect(apple, true);
    EXPECT_EQ(appleText.Left - fruitText.Left, tree->Indent());
    EXPECT_GT(CountDark(img, fruitText), 10) << "the root's text";
    // The selected node: the highlight inside its text rectangle, its text in the highlight text
    // colour; the other nodes stay on the window colour.
    EXPECT_GT(CountColour(img, appleText, QtColor(clHighlight)), appleText.Width() * appleText.Height() / 3);
    EXPECT_EQ(CountColour(img, tree->NodeRect(pear, true), QtColor(clHighlight)), 0);
    // Images from the tree's list left of the text (the selected one's SelectedIndex for Fruit
    // only when selected: here the plain image, red).
    TRect fruitImage{fruitText.Left - 18, fruitText.Top, fruitText.Left - 2, fruitText.Bottom};
    EXPECT_GT(CountColour(img, fruitImage, QColor(255, 0, 0)), 150);
    // Expand buttons: Fruit expanded shows "-", Veg collapsed "+" (the vertical bar).
    QPoint f = ButtonCentre(fruit), v = ButtonCentre(veg);
    EXPECT_TRUE(Near(img.pixelColor(f.x(), f.y()), QtColor(clWindowText)));
    EXPECT_TRUE(Near(img.pixelColor(f.x(), f.y() - 2), QtColor(clWindow))) << "no vertical bar when expanded";
    EXPECT_TRUE(Near(img.pixelColor(v.x(), v.y() - 2), QtColor(clWindowText))) << "'+' when collapsed";
    EXPECT_TRUE(Near(img.pixelColor(v.x() - 4, v.y()), QtColor(clGray))) << "the button's box";
    // Lines: the root column runs down from Fruit to its next sibling Veg through the child rows.
    TRect appleRow = tree->NodeRect(apple, false);
    EXPECT_GT(CountColour(img, {f.x(), appleRow.Top, f.x() + 1, appleRow.Bottom}, QtColor(clGray)), 2);
    // Without lines and buttons, none of that is drawn.
    tree->SetShowLines(false);
    tree->SetShowButtons(false);
    QImage plain = Shot(tree);
    EXPECT_EQ(CountColour(plain, {1, 1, tree->Indent(), tree->Height() - 1}, QtColor(clGray)), 0);
}

TEST_F(TreePainting, SelectionWithoutFocusFollowsHideSelection) {
    auto* edit = CreateObject<TEdit>(form);
    edit->SetParent(form);
    edit->SetBounds(220, 10, 80, 20);
    edit->SetFocus();
    tree->SetSelected(pear);
    ASSERT_FALSE(tree->Focused());
    TRect r = tree->NodeRect(pear, true);
    EXPECT_EQ(CountColour(Shot(tree), r, QtColor(clHighlight)), 0);
    tree->SetHideSelection(false);
    EXPECT_GT(CountColour(Shot(tree), r, QtColor(clBtnFace)), r.Width() * r.Height() / 3);
}

TEST_F(TreePainting, ClickingThePaintedButtonExpandsAndClickingTheTextSelects) {
    QPoint plus = ButtonCentre(veg);
    ASSERT_FALSE(veg->Expanded());
    ASSERT_TRUE(Near(Shot(tree).pixelColor(plus.x(), plus.y() - 2), QtColor(clWindowText))) << "'+' drawn where clicked";
    QTest::mouseClick(Widget(tree), Qt::LeftButton, {}, plus);
    EXPECT_TRUE(veg->Expanded());
    QImage img = Shot(tree);
    EXPECT_TRUE(Near(img.pixelColor(plus.x(), plus.y() - 2), QtColor(clWindow))) << "now drawn as '-'";
    TTreeNode* leek = veg->GetFirstChild();
    TRect leekText = tree->NodeRect(leek, true);
    EXPECT_GT(CountDark(img, leekText), 5) << "the new row is painted";
    QTest::mouseClick(Widget(tree), Qt::LeftButton, {}, QPoint(leekText.Left + 4, (leekText.Top + leekText.Bottom) / 2));
    EXPECT_EQ(tree->Selected(), leek);
    // The selected node shows its SelectedIndex image (blue for Fruit).
    tree->SetSelected(fruit);
    TRect fruitText = tree->NodeRect(fruit, true);
    EXPECT_GT(CountColour(Shot(tree), {fruitText.Left - 18, fruitText.Top, fruitText.Left - 2, fruitText.Bottom},
                          QColor(0, 0, 255)),
              150);
}

// ---- Tool bar ------------------------------------------------------------------------------------

class ToolBarPainting : public PaintersFixture {
protected:
    void SetUp() override {
        PaintersFixture::SetUp();
        bar = CreateObject<TToolBar>(form);
        bar->SetParent(form);
        bar->SetImages(SolidImages(form, {clRed, clLime, clBlue}));
        plain = Add(tbsButton, 0, "Plain");
        check = Add(tbsCheck, 1, "Check");
        Add(tbsSeparator, -1, "");
        divider = Add(tbsDivider, -1, "");
        drop = Add(tbsDropDown, 2, "Drop");
        off = Add(tbsButton, 0, "Off");
        off->SetEnabled(false);
        probe = CreateObject<TPaintersProbe>(form);
        plain->OnClick = TNotifyEvent::Of<&TPaintersProbe::Clicked>(probe);
        form->Show();
    }
    TToolButton* Add(TToolButtonStyle style, int image, const char* caption) {
        auto* b = CreateObject<TToolButton>(form);
        b->SetStyle(style);
        b->SetImageIndex(image);
        b->SetCaption(caption);
        b->SetParent(bar);
        return b;
    }
    TPaintersProbe* probe = nullptr;
    TToolBar* bar = nullptr;
    TToolButton *plain = nullptr, *check = nullptr, *divider = nullptr, *drop = nullptr, *off = nullptr;
};

TEST_F(ToolBarPainting, ButtonsShowImagesFacesStatesAndTheDropDownArrow) {
    check->SetDown(true);
    QImage img = Shot(bar);
    auto inside = [](TControl* b) { return TRect{b->Left(), b->Top(), b->Left() + b->Width(), b->Top() + b->Height()}; };
    // Each button's image from the bar's list at its ImageIndex.
    EXPECT_GT(CountColour(img, inside(plain), QColor(255, 0, 0)), 200);
    EXPECT_GT(CountColour(img, inside(check), QColor(0, 255, 0)), 200);
    EXPECT_GT(CountColour(img, inside(drop), QColor(0, 0, 255)), 200);
    // A raised face (not flat): highlight on the top-left edge, dark on the bottom-right one.
    EXPECT_TRUE(Near(img.pixelColor(plain->Left(), plain->Top() + 5), QtColor(clBtnHighlight)));
    EXPECT_TRUE(Near(img.pixelColor(plain->Left() + plain->Width() - 1, plain->Top() + 5), QtColor(cl3DDkShadow)));
    // The down check button is sunken with a checkered face.
    EXPECT_TRUE(Near(img.pixelColor(check->Left(), check->Top() + 5), QtColor(clBtnShadow)));
    EXPECT_GT(CountColour(img, {check->Left() + 1, check->Top() + 1, check->Left() + 4, check->Top() + 4},
                          QtColor(clBtnHighlight)),
              2);
    // The drop-down arrow: dark pixels in the right 12 pixels (where the model drops the menu).
    TRect arrow{drop->Left() + drop->Width() - 12, drop->Top(), drop->Left() + drop->Width(), drop->Top() + drop->Height()};
    EXPECT_GT(CountDark(img, arrow), 5);
    // A divider is an etched line, a disabled button's image greyed (no red left).
    EXPECT_GT(CountColour(img, inside(divider), QtColor(clBtnShadow)), 10);
    EXPECT_EQ(CountColour(img, inside(off), QColor(255, 0, 0)), 0);
    EXPECT_GT(CountColour(img, inside(off), QtColor(clBtnShadow)), 100);
    // Flat: no raised edge for buttons that are up.
    bar->SetFlat(true);
    QImage flat = Shot(bar);
    EXPECT_TRUE(Near(flat.pixelColor(plain->Left(), plain->Top() + 5), QtColor(clBtnFace)));
}

TEST_F(ToolBarPainting, CaptionsShowUnderTheImageWhenAsked) {
    bar->SetShowCaptions(true);
    bar->SetButtonHeight(40);
    QImage img = Shot(bar);
    // The caption's text lies below the image.
    TRect lower{plain->Left() + 2, plain->Top() + 22, plain->Left() + plain->Width() - 2, plain->Top() + plain->Height() - 2};
    EXPECT_GT(CountDark(img, lower), 10);
    bar->SetShowCaptions(false);
    EXPECT_EQ(CountDark(Shot(bar), {plain->Left() + 2, plain->Top() + 19, plain->Left() + plain->Width() - 2,
                                    plain->Top() + plain->Height() - 2}),
              0);
}

TEST_F(ToolBarPainting, ClicksOnThePaintedButtonsReachTheModel) {
    // Held down, the face is sunken; released, raised again and clicked.
    QPoint centre = At(plain, plain->Width() / 2, plain->Height() / 2);
    QTest::mousePress(Widget(plain), Qt::LeftButton, {}, centre);
    EXPECT_TRUE(Near(Shot(bar).pixelColor(plain->Left(), plain->Top() + 5), QtColor(clBtnShadow)));
    QTest::mouseRelease(Widget(plain), Qt::LeftButton, {}, centre);
    EXPECT_TRUE(Near(Shot(bar).pixelColor(plain->Left(), plain->Top() + 5), QtColor(clBtnHighlight)));
    EXPECT_EQ(probe->Clicks, 1);
    // A press on a drop-down button's arrow part sinks that part only.
    QPoint arrow = At(drop, drop->Width() - 6, drop->Height() / 2);
    QTest::mousePress(Widget(drop), Qt::LeftButton, {}, arrow);
    QImage held = Shot(bar);
    EXPECT_TRUE(Near(held.pixelColor(drop->Left() + drop->Width() - 12, drop->Top() + 5), QtColor(clBtnShadow)));
    EXPECT_TRUE(Near(held.pixelColor(drop->Left(), drop->Top() + 5), QtColor(clBtnHighlight)));
    QTest::mouseRelease(Widget(drop), Qt::LeftButton, {}, arrow);
    EXPECT_TRUE(Near(Shot(bar).pixelColor(drop->Left() + drop->Width() - 12, drop->Top() + 5), QtColor(clBtnHighlight)));
    QTest::mouseClick(Widget(check), Qt::LeftButton, {}, At(check, 5, 5));
    EXPECT_TRUE(check->Down());
    // The sunken face follows at once.
    EXPECT_TRUE(Near(Shot(bar).pixelColor(check->Left(), check->Top() + 5), QtColor(clBtnShadow)));
    QTest::mouseClick(Widget(off), Qt::LeftButton, {}, At(off, 5, 5));
    EXPECT_EQ(probe->Clicks, 1);
}

// ---- Status bar ----------------------------------------------------------------------------------

class StatusPainting : public PaintersFixture {
protected:
    void SetUp() override {
        PaintersFixture::SetUp();
        bar = CreateObject<TStatusBar>(form);
        bar->SetParent(form);
        bar->SetHeight(22);
        for (auto [text, width, align] : {std::tuple{"Ok", 120, taLeftJustify}, std::tuple{"Md", 120, taCenter},
                                          std::tuple{"R", 120, taRightJustify}}) {
            TStatusPanel* p = bar->Panels()->Add();
            p->SetText(text);
            p->SetWidth(width);
            p->SetAlignment(align);
        }
        form->Show();
    }
    // Dark pixels in thirds of a panel: where its text went.
    std::vector<int> Thirds(const QImage& img, int panel) {
        TRect r = bar->PanelRect(panel);
        int third = (r.Right - r.Left) / 3;
        std::vector<int> v;
        for (int k = 0; k < 3; ++k) v.push_back(CountDark(img, {r.Left + k * third, r.Top, r.Left + (k + 1) * third, r.Bottom}));
        return v;
    }
    TStatusBar* bar = nullptr;
};

TEST_F(StatusPainting, PanelsShowBevelsAndTextsAlignedAsAsked) {
    bar->SetSizeGrip(false);
    QImage img = Shot(bar);
    struct Case {
        int panel, third;
    } cases[] = {{0, 0}, {1, 1}, {2, 2}};
    for (auto c : cases) {
        auto thirds = Thirds(img, c.panel);
        for (int k = 0; k < 3; ++k) {
            if (k == c.third) EXPECT_GT(thirds[static_cast<size_t>(k)], 3) << "panel " << c.panel << " third " << k;
            else EXPECT_EQ(thirds[static_cast<size_t>(k)], 0) << "panel " << c.panel << " third " << k;
        }
    }
    // Lowered bevels: shadow on top, highlight at the bottom; a raised one the other way round.
    TRect r0 = bar->PanelRect(0);
    EXPECT_TRUE(Near(img.pixelColor(r0.Left + 5, r0.Top), QtColor(clBtnShadow)));
    EXPECT_TRUE(Near(img.pixelColor(r0.Left + 5, r0.Bottom - 1), QtColor(clBtnHighlight)));
    bar->Panels()->Items(0)->SetBevel(pbRaised);
    QImage raised = Shot(bar);
    EXPECT_TRUE(Near(raised.pixelColor(r0.Left + 5, r0.Top), QtColor(clBtnHighlight)));
}

TEST_F(StatusPainting, SimpleTextOwnerDrawnPanelsAndTheSizeGrip) {
    // The size grip's ridges in the bottom right corner.
    TRect corner{bar->Width() - 12, bar->Height() - 12, bar->Width(), bar->Height()};
    QPoint ridge(bar->Width() - 2, bar->Height() - 2);  // on the innermost shadow ridge
    ASSERT_EQ(form->BorderStyle(), bsSizeable);
    QImage grip = Shot(bar);
    EXPECT_GT(CountColour(grip, corner, QtColor(clBtnShadow)), 10);
    EXPECT_TRUE(Near(grip.pixelColor(ridge), QtColor(clBtnShadow)));
    // Not on a form that cannot be sized.
    form->SetBorderStyle(bsDialog);
    EXPECT_TRUE(Near(Shot(bar).pixelColor(ridge), QtColor(clBtnFace)));
    form->SetBorderStyle(bsSizeable);
    // An owner-drawn panel through OnDrawPanel, in its PanelRect.
    auto* probe = CreateObject<TPaintersProbe>(form);
    bar->OnDrawPanel = TDrawPanelEvent::Of<&TPaintersProbe::DrawRed>(probe);
    bar->Panels()->Items(1)->SetStyle(psOwnerDraw);
    TRect r1 = bar->PanelRect(1);
    QImage drawn = Shot(bar);
    EXPECT_EQ(CountColour(drawn, r1, QColor(255, 0, 0)), r1.Width() * r1.Height());
    EXPECT_EQ(CountColour(drawn, bar->PanelRect(0), QColor(255, 0, 0)), 0);
    // SimplePanel: one text across the bar, the panels not drawn.
    bar->SetSimpleText("Working");
    bar->SetSimplePanel(true);
    QImage simple = Shot(bar);
    EXPECT_EQ(CountColour(simple, r1, QColor(255, 0, 0)), 0);
    EXPECT_GT(CountDark(simple, {0, 0, 80, bar->Height()}), 10);
    EXPECT_EQ(CountDark(simple, {bar->Width() / 2, 0, bar->Width() - 14, bar->Height()}), 0);
}

// ---- Tab set -------------------------------------------------------------------------------------

TEST_F(PaintersFixture, TabSetDrawsTabsWhereItHitTestsAndAClickSelects) {
    // From a description, as forms carry it.
    ReadDescriptionFile(form, Fixture("PaintersTabSet.dfm"));
    auto* tabs = dynamic_cast<TTabSet*>(form->FindComponent("TabSet1"));
    ASSERT_NE(tabs, nullptr);
    form->Show();
    ASSERT_EQ(tabs->TabIndex(), 1);
    QImage img = Shot(tabs);
    QColor selected = QtColor(tabs->SelectedColor()), unselected = QtColor(tabs->UnselectedColor());
    for (int i = 0; i < tabs->Tabs()->Count(); ++i) {
        TRect r = tabs->ItemRect(i);
        bool isSelected = i == tabs->TabIndex();
        EXPECT_GT(CountColour(img, r, isSelected ? selected : unselected), r.Width() * r.Height() / 3) << i;
        EXPECT_EQ(CountColour(img, {r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 4}, isSelected ? unselected : selected), 0) << i;
        EXPECT_GT(CountDark(img, r), 15) << "caption of tab " << i;
    }
    // The selected tab joins the top edge; the others leave a line there.
    TRect s = tabs->ItemRect(1), u = tabs->ItemRect(0);
    EXPECT_TRUE(Near(img.pixelColor((s.Left + s.Right) / 2, 0), selected));
    EXPECT_TRUE(Near(img.pixelColor((u.Left + u.Right) / 2, 0), QtColor(clWindowFrame)));
    // A click in the middle of the third tab's drawing selects it.
    TRect third = tabs->ItemRect(2);
    QTest::mouseClick(Widget(tabs), Qt::LeftButton, {}, QPoint((third.Left + third.Right) / 2, third.Bottom / 2));
    EXPECT_EQ(tabs->TabIndex(), 2);
    EXPECT_GT(CountColour(Shot(tabs), third, selected), third.Width() * third.Height() / 3);
}

// ---- Spin button ---------------------------------------------------------------------------------

TEST_F(PaintersFixture, SpinButtonsDrawTwoArrowsPressAndClickByHalf) {
    auto* spin = CreateObject<TSpinEdit>(form);
    spin->SetParent(form);
    spin->SetBounds(20, 20, 80, 24);
    spin->SetValue(5);
    form->Show();
    TSpinButton* b = spin->Button();
    QImage img = QtWidgetOf(b)->grab().toImage();
    ASSERT_EQ(img.size(), QSize(b->Width(), b->Height()));
    int half = b->Height() / 2;
    // One arrow in each half; the upper one points up (widest row at its bottom).
    // Rows of the arrows, inside the buttons' edges (their outer dark edge is not an arrow).
    auto rowWidth = [&](int y) { return CountDark(img, {2, y, b->Width() - 2, y + 1}); };
    auto darkRows = [&](int top, int bottom) {
        std::vector<int> rows;
        for (int y = top; y < bottom; ++y)
            if (rowWidth(y) > 0) rows.push_back(y);
        return rows;
    };
    auto up = darkRows(1, half - 1), down = darkRows(half + 1, b->Height() - 1);
    ASSERT_GE(up.size(), 2u);
    ASSERT_GE(down.size(), 2u);
    EXPECT_LT(rowWidth(up.front()), rowWidth(up.back()));
    EXPECT_GT(rowWidth(down.front()), rowWidth(down.back()));
    // The buttons meet where the model splits its clicks: the upper one's dark bottom edge, then
    // the lower one's light top edge.
    EXPECT_TRUE(Near(img.pixelColor(b->Width() / 2, half - 1), QtColor(cl3DDkShadow)));
    EXPECT_TRUE(Near(img.pixelColor(b->Width() / 2, half), QtColor(clBtnHighlight)));
    // Held down, the upper button loses its raised edge.
    EXPECT_TRUE(Near(img.pixelColor(1, 0), QtColor(clBtnHighlight)));
    QTest::mousePress(QtWidgetOf(b), Qt::LeftButton, {}, QPoint(b->Width() / 2, 2));
    EXPECT_EQ(b->PressedHalf(), 1);
    EXPECT_TRUE(Near(QtWidgetOf(b)->grab().toImage().pixelColor(1, 0), QtColor(clBtnShadow)));
    QTest::mouseRelease(QtWidgetOf(b), Qt::LeftButton, {}, QPoint(b->Width() / 2, 2));
    EXPECT_EQ(spin->Value(), 6);
    QTest::mouseClick(QtWidgetOf(b), Qt::LeftButton, {}, QPoint(b->Width() / 2, b->Height() - 3));
    QTest::mouseClick(QtWidgetOf(b), Qt::LeftButton, {}, QPoint(b->Width() / 2, b->Height() - 3));
    EXPECT_EQ(spin->Value(), 4);
    EXPECT_TRUE(Near(QtWidgetOf(b)->grab().toImage().pixelColor(1, 0), QtColor(clBtnHighlight))) << "released";
}

}  // namespace
