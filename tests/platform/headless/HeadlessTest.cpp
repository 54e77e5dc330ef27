// The headless widgetset: text metrics, peers by nearest registered class, handles, repaint.
#include <gtest/gtest.h>

#include "platform/forms/Forms.h"
#include "platform/headless/HeadlessWidgetSet.h"
#include "platform/widgets/StdCtrls.h"

using namespace plat;

namespace {

struct MetricsCase {
    int Height;
    const char* Text;
    int Width;
};
class TextMetrics : public ::testing::TestWithParam<MetricsCase> {};

TEST_P(TextMetrics, DeterministicWidthAndHeight) {
    TFont font;
    font.SetHeight(GetParam().Height);
    TTextSize sz = WidgetSet().TextExtent(font, GetParam().Text);
    EXPECT_EQ(sz.cx, GetParam().Width);
    EXPECT_EQ(sz.cy, GetParam().Height < 0 ? -GetParam().Height : GetParam().Height);
}

INSTANTIATE_TEST_SUITE_P(Cases, TextMetrics,
                         ::testing::Values(MetricsCase{-13, "A", 7}, MetricsCase{-13, "费", 13},
                                           MetricsCase{-13, "费用A", 33}, MetricsCase{-26, "A", 14},
                                           MetricsCase{-26, "费", 26}, MetricsCase{-11, "Ab", 12},
                                           MetricsCase{-12, "ＡＢ", 24}, MetricsCase{-13, "", 0}));

TEST(HeadlessTest, LabelAutoSizesByTheMetrics) {
    auto* f = CreateObject<TForm>(nullptr, 0);
    auto* l = CreateObject<TLabel>(f);
    l->SetParent(f);
    l->Font()->SetHeight(-13);
    l->SetCaption("&费用");
    EXPECT_EQ(l->Width(), 26);  // the accelerator mark is not shown
    EXPECT_EQ(l->Height(), 13);
    l->Font()->SetSize(20);  // 27 pixels
    EXPECT_EQ(l->Height(), 27);
    f->Free();
}

// A widgetset that also has a peer of its own for buttons.
class TButtonPeer : public TWidgetPeer {
public:
    using TWidgetPeer::TWidgetPeer;
};
class TTestWidgetSet : public THeadlessWidgetSet {
public:
    TTestWidgetSet() {
        RegisterPeerClass(TButton::StaticClass(), [](TWinControl* c) { return std::make_unique<TButtonPeer>(c); });
    }
};
class TMyButton : public TButton {
    PLAT_CLASS(TMyButton)
    using TButton::TButton;
};
PLAT_REGISTER_CLASS(TMyButton, TButton) {}

TEST(HeadlessTest, PeersComeFromTheNearestRegisteredClass) {
    auto previous = SetWidgetSet(std::make_unique<TTestWidgetSet>());
    auto* f = CreateObject<TForm>(nullptr, 0);
    auto* b = CreateObject<TMyButton>(f);
    b->SetParent(f);
    auto* e = CreateObject<TEdit>(f);
    e->SetParent(f);
    EXPECT_EQ(WidgetSet().PeerClassFor(TMyButton::StaticClass()), &TButton::StaticClass());
    EXPECT_EQ(WidgetSet().PeerClassFor(TEdit::StaticClass()), &TWinControl::StaticClass());
    EXPECT_EQ(b->Peer(), nullptr);  // no handle yet, no peer
    b->HandleNeeded();
    EXPECT_NE(dynamic_cast<TButtonPeer*>(b->Peer()), nullptr);
    e->HandleNeeded();
    EXPECT_EQ(dynamic_cast<TButtonPeer*>(e->Peer()), nullptr);
    EXPECT_NE(e->Peer(), nullptr);
    // Handles are 32-bit tokens that resolve back to their control and outlive a widgetset swap.
    HWND h = b->Handle();
    SetWidgetSet(std::move(previous));
    EXPECT_EQ(FindControl(h), b);
    EXPECT_EQ(dynamic_cast<TButtonPeer*>(b->Peer()), nullptr);  // re-made by the headless one
    f->Free();
    EXPECT_EQ(FindControl(h), nullptr);
}

TEST(HeadlessTest, RepaintByHandleAndForeground) {
    auto* ws = HeadlessWidgetSet();
    ASSERT_NE(ws, nullptr);
    auto* host = CreateObject<TForm>(nullptr, 0);
    host->SetName("HostWindow");
    HWND h = host->Handle();
    ws->Log.clear();
    EXPECT_TRUE(UpdateWindow(h));
    EXPECT_TRUE(SetForegroundWindow(h));
    EXPECT_EQ(ws->Log, (std::vector<std::string>{"update HostWindow", "foreground HostWindow"}));
    host->Free();
    EXPECT_FALSE(UpdateWindow(h));
    // The screen cursor goes to the presentation; hints switched off and on re-create the window.
    Screen->SetCursor(crSQLWait);
    EXPECT_EQ(ws->Cursor(), crSQLWait);
    Screen->SetCursor(crDefault);
    int gen = Application->HintWindowGeneration();
    Application->SetShowHint(false);
    Application->SetShowHint(true);
    EXPECT_EQ(Application->HintWindowGeneration(), gen + 1);
}

}  // namespace
