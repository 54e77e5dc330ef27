// Choosing the presentation from the environment, and loading the Qt one from the stage.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/forms/Forms.h"
#include "platform/forms/Presentation.h"
#include "platform/widgets/StdCtrls.h"

using namespace plat;

namespace {

// Sets or clears environment variables for one test, restoring them afterwards.
class TEnv {
public:
    void Set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        fSaved.push_back({name, old ? std::string(old) : std::string(), old != nullptr});
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~TEnv() {
        for (auto it = fSaved.rbegin(); it != fSaved.rend(); ++it) {
            if (it->had) setenv(it->name.c_str(), it->value.c_str(), 1);
            else unsetenv(it->name.c_str());
        }
    }

private:
    struct TSaved {
        std::string name, value;
        bool had;
    };
    std::vector<TSaved> fSaved;
};

struct TChoiceCase {
    const char* name;
    const char* presentation;  // XQ_PRESENTATION
    const char* platform;      // QT_QPA_PLATFORM
    const char* display;       // DISPLAY
    TPresentationKind expected;
};
class ChoiceTest : public ::testing::TestWithParam<TChoiceCase> {};

TEST_P(ChoiceTest, FollowsTheEnvironment) {
    const auto& c = GetParam();
    TEnv env;
    env.Set("XQ_PRESENTATION", c.presentation);
    env.Set("QT_QPA_PLATFORM", c.platform);
    env.Set("DISPLAY", c.display);
    env.Set("WAYLAND_DISPLAY", nullptr);
    EXPECT_EQ(ChoosePresentation(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, ChoiceTest,
    ::testing::Values(TChoiceCase{"Nothing", nullptr, nullptr, nullptr, TPresentationKind::Headless},
                      TChoiceCase{"Display", nullptr, nullptr, ":0", TPresentationKind::Qt},
                      TChoiceCase{"Offscreen", nullptr, "offscreen", nullptr, TPresentationKind::Qt},
                      TChoiceCase{"AskedHeadlessDespiteDisplay", "headless", "offscreen", ":0",
                                  TPresentationKind::Headless},
                      TChoiceCase{"AskedQtWithoutDisplay", "Qt", nullptr, nullptr, TPresentationKind::Qt},
                      TChoiceCase{"AutoIsLikeUnset", "auto", nullptr, nullptr, TPresentationKind::Headless}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Presentation, AMissingLibraryLeavesTheHeadlessWidgetsetAndSaysWhy) {
    std::string error;
    EXPECT_EQ(InstallPresentation(TPresentationKind::Qt, &error, "/nonexistent"), TPresentationKind::Headless);
    EXPECT_NE(error.find("libplatform-qt.so"), std::string::npos) << error;
    EXPECT_EQ(WidgetSet().Name(), "headless");
}

// Last in this program: the Qt widgetset stays installed once loaded.
TEST(Presentation, QtIsLoadedFromTheStageAndServesExistingForms) {
    auto* form = CreateObject<TForm>(nullptr, 0);
    auto* edit = CreateObject<TEdit>(form);
    edit->SetParent(form);
    edit->SetBounds(8, 8, 100, 20);
    form->Show();  // peers made by the headless widgetset
    const char* stage = std::getenv("XQ_STAGE");
    ASSERT_NE(stage, nullptr);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);  // never a real display in tests
    std::string error;
    ASSERT_EQ(InstallPresentation(TPresentationKind::Qt, &error, std::string(stage) + "/lib"), TPresentationKind::Qt)
        << error;
    EXPECT_EQ(WidgetSet().Name(), "qt");
    // Asking again keeps it.
    EXPECT_EQ(InstallPresentation(TPresentationKind::Qt, &error, std::string(stage) + "/lib"), TPresentationKind::Qt);
    // The form goes on working with the new presentation: focus and typing still reach the model.
    edit->SetFocus();
    TypeText("ok");
    EXPECT_EQ(edit->Text(), "ok");
    EXPECT_NE(edit->Peer(), nullptr);
    // Real metrics now, not the headless formula (7 pixels for "A" at 13).
    TFont f;
    f.SetHeight(-13);
    EXPECT_EQ(WidgetSet().TextHeight(f, "A") != 13 || WidgetSet().TextWidth(f, "A") != 7, true);
    form->Free();
}

}  // namespace
