// Spin edits (value within limits, buttons and keys, typed characters, leaving) and the
// animation (clips, playing with repetitions, seeking, painting).
#include <gtest/gtest.h>

#include "platform/core/SysUtils.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Resources.h"
#include "platform/forms/TypInfo.h"
#include "platform/graphics/Canvas.h"
#include "platform/widgets/Animate.h"
#include "platform/widgets/Spin.h"

using namespace plat;

namespace {

struct TLog : TObject {
    std::vector<std::string> Events;
    void Change(TObject*) { Events.push_back("change"); }
    void KeyPress(TObject*, char& key) { Events.push_back(std::string("key ") + key); }
    void Start(TObject*) { Events.push_back("start"); }
    void Stop(TObject*) { Events.push_back("stop"); }
    void Open(TObject*) { Events.push_back("open"); }
    std::vector<std::string> Take() { return std::exchange(Events, {}); }
};
using V = std::vector<std::string>;

class SpinAnimateTest : public testing::Test {
protected:
    void SetUp() override {
        Form = CreateObject<TForm>(nullptr, 0);
        Spin = CreateObject<TSpinEdit>(Form);
        Spin->SetParent(Form);
        Other = CreateObject<TEdit>(Form);
        Other->SetParent(Form);
        Form->Show();
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    TSpinEdit* Spin = nullptr;
    TEdit* Other = nullptr;
    TLog Log;
};

TEST_F(SpinAnimateTest, SpinValueStaysWithinItsLimits) {
    struct Case {
        int min, max;
        const char* text;  // typed into the edit; -: the value is set instead
        int set;
        int value;
    };
    const Case cases[] = {
        {0, 23, nullptr, 30, 23}, {0, 23, nullptr, -1, 0},   {1, 99, "abc", 0, 1},
        {0, 0, nullptr, 500, 500}, {-99, 99, "-5", 0, -5},   {0, 59, "$1F", 0, 31},
    };
    for (const auto& c : cases) {
        Spin->SetMinValue(c.min);
        Spin->SetMaxValue(c.max);
        if (c.text) Spin->SetText(c.text);
        else Spin->SetValue(c.set);
        EXPECT_EQ(Spin->Value(), c.value) << c.min << ".." << c.max;
    }
    Spin->SetMinValue(0);
    Spin->SetMaxValue(59);
    Spin->SetText("99");  // held until the focus leaves
    Spin->SetFocus();
    Other->SetFocus();
    EXPECT_EQ(Spin->Text(), "59");
}

TEST_F(SpinAnimateTest, SpinButtonsAndKeysStepByIncrement) {
    Spin->SetMinValue(0);
    Spin->SetMaxValue(10);
    Spin->SetIncrement(3);
    Spin->SetValue(4);
    Spin->OnChange = TNotifyEvent::Of<&TLog::Change>(&Log);
    TSpinButton* b = Spin->Button();
    ClickAt(b, 2, 1);  // upper half
    EXPECT_EQ(Spin->Value(), 7);
    EXPECT_TRUE(Spin->Focused());  // the buttons give the focus to the edit
    ClickAt(b, 2, b->Height() - 2);
    ClickAt(b, 2, b->Height() - 2);
    EXPECT_EQ(Spin->Value(), 1);
    PressKey(VK_UP);
    PressKey(VK_UP);
    PressKey(VK_UP);
    PressKey(VK_UP);  // 13 is kept at 10
    EXPECT_EQ(Spin->Value(), 10);
    PressKey(VK_DOWN);
    EXPECT_EQ(Spin->Value(), 7);
    EXPECT_EQ(Log.Take().size(), 7u);  // one change per step that changed the text
    Spin->SetReadOnly(true);
    ClickAt(b, 2, 1);
    EXPECT_EQ(Spin->Value(), 7);
    EXPECT_EQ(Spin->Button()->Owner(), Spin);  // not a component of the form
}

TEST_F(SpinAnimateTest, SpinTakesOnlyNumberCharacters) {
    Spin->OnKeyPress = TKeyPressEvent::Of<&TLog::KeyPress>(&Log);
    Spin->SetFocus();
    TypeText("1a2x-+");
    EXPECT_EQ(Spin->Text(), "12-+");
    EXPECT_EQ(Log.Take(), (V{"key 1", "key 2", "key -", "key +"}));  // refused keys are not seen
    Spin->SetEditorEnabled(false);
    TypeText("5");
    PressKey(VK_BACK);
    EXPECT_EQ(Spin->Text(), "12-+");
    EXPECT_TRUE(Spin->InheritsFrom("TCustomEdit"));
    EXPECT_EQ(GetPropInfo(Spin, "Value")->PropType->Name, "Integer");
    EXPECT_NE(GetPropInfo(Spin, "Text"), nullptr);
}

TEST_F(SpinAnimateTest, AnimationOfACommonClip) {
    auto* a = CreateObject<TAnimate>(Form);
    a->SetParent(Form);
    a->OnOpen = TNotifyEvent::Of<&TLog::Open>(&Log);
    a->OnStart = TNotifyEvent::Of<&TLog::Start>(&Log);
    a->OnStop = TNotifyEvent::Of<&TLog::Stop>(&Log);
    EXPECT_THROW(a->SetActive(true), EInvalidOperation);  // nothing to play yet
    a->SetCommonAVI(aviFindFile);
    EXPECT_TRUE(a->Open());
    EXPECT_EQ(a->FrameCount(), 12);
    EXPECT_EQ(a->Width(), 16);  // sized to the frames
    EXPECT_EQ(a->StopFrame(), 12);
    a->SetStartFrame(3);
    a->SetStopFrame(5);
    a->SetRepetitions(2);
    a->SetActive(true);
    std::vector<int> frames{a->CurrentFrame()};
    for (int i = 0; i < 7; ++i) {
        a->NextFrame();
        frames.push_back(a->CurrentFrame());
    }
    EXPECT_EQ(frames, (std::vector<int>{3, 4, 5, 3, 4, 5, 5, 5}));
    EXPECT_FALSE(a->Active());
    EXPECT_EQ(Log.Take(), (V{"open", "start", "stop"}));
    EXPECT_THROW(a->Play(4, 13, 0), EInvalidOperation);
    a->Seek(9);
    EXPECT_EQ(a->CurrentFrame(), 9);
    a->Reset();
    EXPECT_EQ(a->StopFrame(), 12);
    EXPECT_EQ(a->CurrentFrame(), 1);
    // Frames differ, so something moves, and the current one is what gets painted.
    const TBitmap* f1 = a->FrameBitmap(1);
    const TBitmap* f4 = a->FrameBitmap(4);
    bool differ = false;
    for (int y = 0; y < 16 && !differ; ++y)
        for (int x = 0; x < 16 && !differ; ++x) differ = f1->Pixel(x, y) != f4->Pixel(x, y);
    EXPECT_TRUE(differ);
    a->Seek(4);
    a->SetTransparent(false);
    TBitmap surface(16, 16);
    a->Paint(*surface.Canvas());
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(surface.Pixel(x, y), f4->Pixel(x, y)) << x << "," << y;
    a->SetCommonAVI(aviNone);
    EXPECT_FALSE(a->Open());
}

TEST_F(SpinAnimateTest, AnimationFromAResourceStrip) {
    TBitmap strip(30, 10);  // three frames
    strip.Fill(clRed);
    std::string bytes = strip.SaveToMemory(TImageFormat::Bmp);
    RegisterResource("SpinAnimateTest", "BUSY", TResourceKind::Bitmap, reinterpret_cast<const unsigned char*>(bytes.data()),
                     bytes.size());
    auto* a = CreateObject<TAnimate>(Form);
    a->SetParent(Form);
    a->SetResName("BUSY");
    EXPECT_EQ(a->FrameCount(), 3);
    EXPECT_EQ(a->FrameWidth(), 10);
    UnregisterResource("SpinAnimateTest", "BUSY", TResourceKind::Bitmap);
    EXPECT_THROW(a->SetResName("NO_SUCH_CLIP"), EInvalidOperation);
}

}  // namespace
