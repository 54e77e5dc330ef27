// A programmatic click: press and release sent to the control.
#include <gtest/gtest.h>

#include "environment/LibSys.h"

using namespace plat;
using namespace qm;

namespace {

class TEnvClickable : public TControl {
    PLAT_CLASS(TEnvClickable)
    using TControl::TControl;
    std::vector<std::string> Log;
    bool FreeOnPress = false;
    TEnvClickable** Holder = nullptr;
    void Click() override {
        Log.push_back("click");
        TControl::Click();
    }
    void WndProc(TMessage& msg) override {
        if (msg.Msg == WM_LBUTTONDOWN) Log.push_back("down " + std::to_string(msg.WParam));
        if (msg.Msg == WM_LBUTTONUP) Log.push_back("up " + std::to_string(msg.WParam));
        if (msg.Msg == WM_LBUTTONDOWN && FreeOnPress) {
            FreeAndNil(*Holder);
            return;
        }
        TControl::WndProc(msg);
    }
};
PLAT_REGISTER_CLASS(TEnvClickable, TControl) {}

TEST(ClickControl, PressThenReleaseClicks) {
    TEnvClickable* c = CreateObject<TEnvClickable>(nullptr);
    c->SetBounds(0, 0, 40, 20);
    ClickControl(c, MK_LBUTTON, MakeLParam(3, 4));
    EXPECT_EQ(c->Log, (std::vector<std::string>{"down 1", "up 1", "click"}));
    // A release outside the control is no click.
    c->Log.clear();
    ClickControl(c, 0, MakeLParam(100, 4));
    EXPECT_EQ(c->Log, (std::vector<std::string>{"down 0", "up 0"}));
    FreeAndNil(c);
    EXPECT_NO_THROW(ClickControl(nullptr, 0, 0));
}

TEST(ClickControl, NoReleaseToAFreedControl) {
    TEnvClickable* c = CreateObject<TEnvClickable>(nullptr);
    c->FreeOnPress = true;
    c->Holder = &c;
    ClickControl(c, 0, 0);  // would touch freed memory if the release were sent
    EXPECT_EQ(c, nullptr);
}

}  // namespace
