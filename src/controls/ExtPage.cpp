#include "controls/ExtPage.h"

#include "platform/graphics/Canvas.h"

using namespace plat;

namespace qm {

PLAT_REGISTER_CLASS(TExtPageControl, TPageControl) { b.Publish({"OnDrawTab"}); }

TExtPageControl::TExtPageControl(TComponent* owner) : TPageControl(owner) { SetOwnerDraw(true); }

void TExtPageControl::DrawTab(int tabIndex, const TRect& rect, bool active) {
    if (OnDrawTab.Assigned()) {
        OnDrawTab(this, tabIndex, rect, active);
        return;
    }
    TCanvas* c = Canvas();
    if (!c) return;
    // Tabs holds the captions of the pages whose tab shows, in order.
    const std::string caption = tabIndex >= 0 && tabIndex < Tabs()->Count() ? Tabs()->Strings(tabIndex) : "";
    TRect r = rect;
    c->SetFont(Font());
    c->Brush()->SetStyle(bsSolid);
    if (active) {
        r = {r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
        c->Brush()->SetColor(clActiveCaption);
        c->FillRect(r);
        c->Font()->SetStyle(c->Font()->Style() + TFontStyles{fsBold});
        c->Font()->SetColor(clCaptionText);
    } else {
        c->Brush()->SetColor(clInactiveCaption);
        c->FillRect(r);
        c->Font()->SetStyle(c->Font()->Style() - TFontStyles{fsBold});
        c->Font()->SetColor(clInactiveCaptionText);
        r = {r.Left, r.Top + 2, r.Right, r.Bottom + 2};
    }
    c->Brush()->SetStyle(bsClear);
    c->DrawText(caption, r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

}  // namespace qm
