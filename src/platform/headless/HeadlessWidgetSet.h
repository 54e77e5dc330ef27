#pragma once
// The headless widgetset: no windows, deterministic text metrics, modal forms answered by a
// registered driver (a test or a script) and never hanging.
//
// Text metrics: a line is as high as the font's pixel height (|Height|); a full-width character
// (East Asian wide: CJK ideographs, kana, hangul, full-width forms) is as wide as the font is
// high, every other character round(height * 7 / 13) wide. So a 13-pixel font measures 7 for
// "A" and 13 for "费".
#include <functional>
#include <string>
#include <vector>

#include "platform/forms/WidgetSet.h"

namespace plat {

class THeadlessWidgetSet : public TWidgetSet {
public:
    THeadlessWidgetSet();
    std::string Name() const override { return "headless"; }

    TTextSize TextExtent(const TFont& font, const std::string& text) override;
    // With a driver: the driver acts on the shown form (sets fields, clicks buttons, sets the
    // modal result), then posted messages run. Without one: posted messages run. Either way,
    // when no modal result is set then (or the close is refused), the result is mrCancel.
    void RunModal(TCustomForm& form) override;
    void SetCursor(int cursor) override { fCursor = cursor; }
    void HintSettingsChanged() override { Log.push_back("hint window recreated"); }

    using TModalDriver = std::function<void(TCustomForm& form)>;
    // Installs the driver for modal forms and dialogs; answers the previous one.
    TModalDriver SetModalDriver(TModalDriver driver);
    int Cursor() const { return fCursor; }
    // What the presentation was asked to do ("update <name>", "foreground <name>", ...), so tests
    // and scripted runs can see it.
    std::vector<std::string> Log;

private:
    TModalDriver fDriver;
    int fCursor = 0;
};

// The installed widgetset when it is the headless one, else nullptr.
THeadlessWidgetSet* HeadlessWidgetSet();

// Width class of a code point: true for East Asian wide and full-width characters.
bool IsFullWidth(uint32_t codePoint);

}  // namespace plat
