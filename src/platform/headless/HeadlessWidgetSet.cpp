#include "platform/headless/HeadlessWidgetSet.h"

#include "platform/forms/Forms.h"

namespace plat {

namespace {
class THeadlessPeer : public TWidgetPeer {
public:
    THeadlessPeer(TWinControl* c, THeadlessWidgetSet* ws) : TWidgetPeer(c), fWs(ws) {}
    void Update() override { fWs->Log.push_back("update " + Describe()); }
    void BringToForeground() override { fWs->Log.push_back("foreground " + Describe()); }

private:
    std::string Describe() const { return Control()->Name().empty() ? Control()->ClassName() : Control()->Name(); }
    THeadlessWidgetSet* fWs;  // the widgetset, not state of the control
};

uint32_t NextCodePoint(const std::string& s, size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    uint32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    ++i;
    for (int k = 0; k < extra && i < s.size(); ++k, ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
    return cp;
}
}  // namespace

bool IsFullWidth(uint32_t cp) {
    return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0x303E) || (cp >= 0x3041 && cp <= 0x33FF) ||
           (cp >= 0x3400 && cp <= 0x4DBF) || (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0xA000 && cp <= 0xA4CF) ||
           (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFE30 && cp <= 0xFE4F) ||
           (cp >= 0xFF00 && cp <= 0xFF60) || (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD);
}

THeadlessWidgetSet::THeadlessWidgetSet() {
    RegisterPeerClass(TWinControl::StaticClass(), [this](TWinControl* c) { return std::make_unique<THeadlessPeer>(c, this); });
}

TTextSize THeadlessWidgetSet::TextExtent(const TFont& font, const std::string& text) {
    int h = font.PixelHeight();
    int half = (h * 14 + 13) / 26;  // round(h * 7 / 13)
    int w = 0;
    for (size_t i = 0; i < text.size();) w += IsFullWidth(NextCodePoint(text, i)) ? h : half;
    return {w, h};
}

THeadlessWidgetSet::TModalDriver THeadlessWidgetSet::SetModalDriver(TModalDriver driver) {
    std::swap(fDriver, driver);
    return driver;
}

void THeadlessWidgetSet::RunModal(TCustomForm& form) {
    TComponentWatch watch(&form);
    if (fDriver) {
        TModalDriver driver = fDriver;  // the driver may install another for nested forms
        driver(form);
    }
    if (!watch.Target) return;
    Application->ProcessMessages();
    if (!watch.Target || form.ModalStep()) return;
    // Never hang: no answer (or a refused close) ends as Cancel.
    form.SetModalResult(mrCancel);
    if (!form.ModalStep()) form.SetModalResult(mrCancel);
}

THeadlessWidgetSet* HeadlessWidgetSet() { return dynamic_cast<THeadlessWidgetSet*>(&WidgetSet()); }

}  // namespace plat
