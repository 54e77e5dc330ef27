#include "controls/BtChkBox.h"

#include <algorithm>

#include "platform/forms/Messages.h"
#include "platform/graphics/Canvas.h"

using namespace plat;

namespace qm {

PLAT_REGISTER_CLASS(TBitCheckBox, TCustomControl) {
    b.Property("Alignment", &Self::Alignment, &Self::SetAlignment).Type(TypeLeftRight()).Default(taRightJustify);
    b.Property("AllowGrayed", &Self::AllowGrayed, &Self::SetAllowGrayed).Default(0);
    b.Property("Checked", &Self::Checked, &Self::SetChecked).Default(0);
    b.Property("State", &Self::State, &Self::SetState).Default(cbUnchecked);
    b.Property("CheckedGlyph", &Self::CheckedGlyph, &Self::SetCheckedGlyph);
    b.Property("UncheckedGlyph", &Self::UncheckedGlyph, &Self::SetUncheckedGlyph);
    b.Property("GrayedGlyph", &Self::GrayedGlyph, &Self::SetGrayedGlyph);
    b.Property("CheckedNumGlyphs", &Self::CheckedNumGlyphs, &Self::SetCheckedNumGlyphs).Default(1);
    b.Property("UncheckedNumGlyphs", &Self::UncheckedNumGlyphs, &Self::SetUncheckedNumGlyphs).Default(1);
    b.Property("GrayedNumGlyphs", &Self::GrayedNumGlyphs, &Self::SetGrayedNumGlyphs).Default(1);
    b.Publish({"Anchors", "Caption", "Color", "Ctl3D", "DragCursor", "DragKind", "DragMode", "Enabled", "Font",
               "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "Hint",
               "TabOrder", "TabStop", "Visible", "OnClick", "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag",
               "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove",
               "OnMouseUp", "OnStartDock", "OnStartDrag"});
    b.Message(CM_DIALOGCHAR, &Self::CMDialogChar);
    b.Message(CM_CTL3DCHANGED, &Self::CMCtl3DChanged);
}

namespace {

// Pixel art of the default pictures: a sunken 13 x 13 box on a fuchsia background (the bottom
// row is background, so the bottom-left pixel names the transparent colour).
const char* const kBox[14] = {
    ".GGGGGGGGGGGGW.....", ".GKKKKKKKKKKSW.....", ".GKiiiiiiiiiSW.....", ".GKiiiiiiiiiSW.....",
    ".GKiiiiiiiiiSW.....", ".GKiiiiiiiiiSW.....", ".GKiiiiiiiiiSW.....", ".GKiiiiiiiiiSW.....",
    ".GKiiiiiiiiiSW.....", ".GKiiiiiiiiiSW.....", ".GKiiiiiiiiiSW.....", ".GSSSSSSSSSSSW.....",
    ".WWWWWWWWWWWWW.....", "...................",
};
// The check mark inside the 9 x 9 interior (rows 2..10, columns 3..11).
const char* const kMark[9] = {
    ".........", ".......x.", "......xx.", ".x...xxx.", ".xx.xxx..", ".xxxxx...", "..xxx....", "...x.....", ".........",
};

}  // namespace

std::unique_ptr<TBitmap> TBitCheckBox::DefaultGlyph(TCheckBoxState which) {
    auto bmp = std::make_unique<TBitmap>(19, 14);
    const TColor interior = which == cbGrayed ? clSilver : clWhite;
    const TColor mark = which == cbGrayed ? clGray : clBlack;
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 19; ++x) {
            TColor c = clFuchsia;
            switch (kBox[y][x]) {
                case 'G': c = clGray; break;
                case 'K': c = clBlack; break;
                case 'S': c = clSilver; break;
                case 'W': c = clWhite; break;
                case 'i':
                    c = interior;
                    if (which != cbUnchecked && kMark[y - 2][x - 3] == 'x') c = mark;
                    break;
                default: break;
            }
            bmp->SetPixel(x, y, c);
        }
    return bmp;
}

TBitCheckBox::TBitCheckBox(TComponent* owner) : TCustomControl(owner) {
    fWidth = 97;
    fHeight = 17;
    fTabStop = true;
    fParentColor = true;
    fControlStyle = TControlStyle{csSetCaption, csClickEvents, csCaptureMouse};
    const TNotifyEvent handlers[3] = {TNotifyEvent::Of<&TBitCheckBox::UncheckedChanged>(this),
                                      TNotifyEvent::Of<&TBitCheckBox::CheckedChanged>(this),
                                      TNotifyEvent::Of<&TBitCheckBox::GrayedChanged>(this)};
    for (int i = 0; i < 3; ++i) {
        fGlyphs[i] = DefaultGlyph(static_cast<TCheckBoxState>(i));
        fGlyphs[i]->OnChange = handlers[i];
    }
}

TBitCheckBox::~TBitCheckBox() {
    for (auto& g : fGlyphs) g->OnChange = {};
}

void TBitCheckBox::SetState(TCheckBoxState s) {
    if (s == fState) return;
    fState = s;
    Invalidate();
}

void TBitCheckBox::SetAlignment(TAlignment a) {
    if (a == fAlignment) return;
    fAlignment = a;
    Invalidate();
}

void TBitCheckBox::SetGlyph(TCheckBoxState which, TBitmap* b) {
    TBitmap& g = *fGlyphs[which];
    if (b == nullptr || b->Empty()) {
        auto def = DefaultGlyph(which);
        g.Assign(def.get());
    } else {
        g.Assign(b);
    }
    // Assign raised OnChange, which recounted the frames; a default picture has one frame.
    if (b == nullptr || b->Empty()) SetNumGlyphs(which, 1);
}

void TBitCheckBox::GlyphChanged(TCheckBoxState which) {
    const TBitmap& g = *fGlyphs[which];
    // A picture of height 0 has no frames to count.
    if (g.Height() > 0 && g.Width() % g.Height() == 0) SetNumGlyphs(which, g.Width() / g.Height());
    Invalidate();
}

void TBitCheckBox::SetNumGlyphs(TCheckBoxState which, int n) {
    n = std::clamp(n, 1, 2);
    if (fNumGlyphs[which] == n) return;
    fNumGlyphs[which] = n;
    Invalidate();
}

void TBitCheckBox::Toggle() {
    switch (fState) {
        case cbUnchecked: SetState(fAllowGrayed ? cbGrayed : cbChecked); break;
        case cbChecked: SetState(cbUnchecked); break;
        case cbGrayed: SetState(cbChecked); break;
    }
}

void TBitCheckBox::Click() {
    Toggle();
    TCustomControl::Click();
}

void TBitCheckBox::DefaultKeyDown(uint16_t key, TShiftState shift) {
    if (key == VK_SPACE && shift.Empty()) Click();
}

void TBitCheckBox::DoEnter() {
    Invalidate();
    TCustomControl::DoEnter();
}

void TBitCheckBox::DoExit() {
    Invalidate();
    TCustomControl::DoExit();
}

void TBitCheckBox::EnabledChanged() {
    TCustomControl::EnabledChanged();
    Invalidate();
}

void TBitCheckBox::FontChanged() {
    TCustomControl::FontChanged();
    Invalidate();
}

void TBitCheckBox::CMDialogChar(TMessage& msg) {
    if (IsAccel(static_cast<char>(msg.WParam), fText) && CanFocus()) {
        TComponentWatch w(this);
        SetFocus();
        if (w.Target) Toggle();
        msg.Result = 1;
    }
}

void TBitCheckBox::CMCtl3DChanged(TMessage& msg) {
    InheritedMessage(msg, StaticClass());
    Invalidate();
}

TRect TBitCheckBox::CaptionRect(TCanvas& canvas) const {
    canvas.SetFont(fFont.get());
    const TBitmap& g = *fGlyphs[fState];
    const int w = g.Width() / fNumGlyphs[fState];
    TRect client = ClientRect();
    TTextSize ext = canvas.TextExtent(fText);
    int amp = fText.find('&') != std::string::npos ? canvas.TextWidth("&") : 0;
    TRect r;
    r.Left = fAlignment == taRightJustify ? w + 4 : 1;
    r.Right = r.Left + ext.cx - amp;
    r.Top = (client.Height() - ext.cy) / 2 - 2;
    r.Bottom = r.Top + ext.cy + 3;
    r.Left = std::max(r.Left, client.Left);
    r.Top = std::max(r.Top, client.Top);
    r.Right = std::min(r.Right, client.Right);
    r.Bottom = std::min(r.Bottom, client.Bottom);
    return r;
}

void TBitCheckBox::Paint(TCanvas& canvas) {
    TRect client = ClientRect();
    canvas.Brush()->SetColor(fColor);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.FillRect(client);

    TRect cap = CaptionRect(canvas);
    canvas.Brush()->SetStyle(bsClear);
    const unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    if (fEnabled) {
        canvas.Font()->SetColor(fFont->Color());
        TRect r = cap;
        canvas.DrawText(fText, r, flags);
    } else {
        if (fCtl3D) {
            TRect r{cap.Left + 1, cap.Top + 1, cap.Right + 1, cap.Bottom + 1};
            canvas.Font()->SetColor(clBtnHighlight);
            canvas.DrawText(fText, r, flags);
        }
        TRect r = cap;
        canvas.Font()->SetColor(clGrayText);
        canvas.DrawText(fText, r, flags);
    }
    if (Focused()) {
        TRect f{std::max(cap.Left - 1, client.Left), std::max(cap.Top - 1, client.Top),
                std::min(cap.Right + 1, client.Right), std::min(cap.Bottom + 1, client.Bottom)};
        canvas.Brush()->SetStyle(bsSolid);
        canvas.DrawFocusRect(f);
    }

    const TBitmap& g = *fGlyphs[fState];
    const int frames = fNumGlyphs[fState];
    const int w = g.Width() / frames;
    if (w <= 0 || g.Height() <= 0) return;
    const int frame = (!fEnabled && frames == 2) ? 1 : 0;
    TBitmap pic(w, g.Height());
    for (int y = 0; y < g.Height(); ++y)
        std::copy_n(g.ScanLine(y) + frame * w, w, pic.ScanLine(y));
    pic.SetTransparentColor(g.TransparentColor());
    pic.SetTransparent(true);
    const int x = fAlignment == taRightJustify ? 0 : client.Width() - w;
    canvas.Draw(x, (client.Height() - g.Height()) / 2, &pic);
}

}  // namespace qm
