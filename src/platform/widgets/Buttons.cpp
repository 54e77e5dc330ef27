#include "platform/widgets/Buttons.h"

#include <algorithm>

#include "platform/forms/Forms.h"
#include "platform/forms/Resources.h"
#include "platform/graphics/Canvas.h"

namespace plat {

PLAT_DEFINE_ENUM(TButtonLayout, "blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom")
PLAT_DEFINE_ENUM(TButtonState, "bsUp", "bsDisabled", "bsDown", "bsExclusive")
PLAT_DEFINE_ENUM(TButtonStyle, "bsAutoDetect", "bsWin31", "bsNew")
PLAT_DEFINE_ENUM(TBitBtnKind, "bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort", "bkRetry",
                 "bkIgnore", "bkAll")

const TTypeInfo* TypeNumGlyphs() {
    static const TTypeInfo* t = MakeIntegerType("TNumGlyphs", {}, 1, 4);
    return t;
}

// ---- Layout and glyph --------------------------------------------------------------------------

TButtonLayoutResult CalcButtonLayout(const TRect& client, TPoint glyphSize, TPoint textSize, TButtonLayout layout,
                                     int margin, int spacing) {
    TPoint size{client.Width(), client.Height()};
    TPoint glyphPos, textPos;
    bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    if (horizontal) {
        glyphPos.Y = (size.Y - glyphSize.Y + 1) / 2;
        textPos.Y = (size.Y - textSize.Y + 1) / 2;
    } else {
        glyphPos.X = (size.X - glyphSize.X + 1) / 2;
        textPos.X = (size.X - textSize.X + 1) / 2;
    }
    if (textSize.X == 0 || glyphSize.X == 0) spacing = 0;
    if (margin == -1) {
        if (spacing == -1) {
            TPoint total{glyphSize.X + textSize.X, glyphSize.Y + textSize.Y};
            margin = horizontal ? (size.X - total.X) / 3 : (size.Y - total.Y) / 3;
            spacing = margin;
        } else {
            TPoint total{glyphSize.X + spacing + textSize.X, glyphSize.Y + spacing + textSize.Y};
            margin = horizontal ? (size.X - total.X + 1) / 2 : (size.Y - total.Y + 1) / 2;
        }
    } else if (spacing == -1) {
        TPoint total{size.X - (margin + glyphSize.X), size.Y - (margin + glyphSize.Y)};
        spacing = horizontal ? (total.X - textSize.X) / 2 : (total.Y - textSize.Y) / 2;
    }
    switch (layout) {
        case blGlyphLeft:
            glyphPos.X = margin;
            textPos.X = glyphPos.X + glyphSize.X + spacing;
            break;
        case blGlyphRight:
            glyphPos.X = size.X - margin - glyphSize.X;
            textPos.X = glyphPos.X - spacing - textSize.X;
            break;
        case blGlyphTop:
            glyphPos.Y = margin;
            textPos.Y = glyphPos.Y + glyphSize.Y + spacing;
            break;
        case blGlyphBottom:
            glyphPos.Y = size.Y - margin - glyphSize.Y;
            textPos.Y = glyphPos.Y - spacing - textSize.Y;
            break;
    }
    TButtonLayoutResult r;
    r.GlyphPos = {glyphPos.X + client.Left, glyphPos.Y + client.Top};
    r.TextRect = Bounds(textPos.X + client.Left, textPos.Y + client.Top, textSize.X, textSize.Y);
    return r;
}

std::unique_ptr<TBitmap> CreateDisabledGlyph(const TBitmap& source) {
    auto result = std::make_unique<TBitmap>(source.Width(), source.Height());
    TColor transparent = source.TransparentColor();
    result->Fill(transparent);
    auto shape = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < source.Width() && y < source.Height() && source.Pixel(x, y) != transparent;
    };
    TColor highlight = ColorToRGB(clBtnHighlight), shadow = ColorToRGB(clBtnShadow);
    for (int y = 0; y < source.Height(); ++y)
        for (int x = 0; x < source.Width(); ++x) {
            if (shape(x, y)) result->SetPixel(x, y, shadow);
            else if (shape(x - 1, y - 1)) result->SetPixel(x, y, highlight);
        }
    result->SetTransparentColor(transparent);
    result->SetTransparent(true);
    return result;
}

struct TButtonGlyph::TListener : TObject {
    TButtonGlyph* Owner = nullptr;
    void Changed(TObject* sender) { Owner->GlyphChanged(sender); }
};

TButtonGlyph::TButtonGlyph(std::function<void()> changed)
    : fGlyph(std::make_unique<TBitmap>()), fChanged(std::move(changed)), fListener(std::make_unique<TListener>()) {
    fListener->Owner = this;
    fGlyph->OnChange = TNotifyEvent::Of<&TListener::Changed>(fListener.get());
}

TButtonGlyph::~TButtonGlyph() { fGlyph->OnChange.Clear(); }

void TButtonGlyph::SetGlyph(TBitmap* bitmap) { fGlyph->Assign(bitmap); }

void TButtonGlyph::GlyphChanged(TObject*) {
    // A strip of square frames tells how many states it holds.
    if (!fGlyph->Empty() && fGlyph->Width() % fGlyph->Height() == 0) {
        int frames = fGlyph->Width() / fGlyph->Height();
        SetNumGlyphs(frames > 4 ? 1 : frames);
    }
    if (fChanged) fChanged();
}

void TButtonGlyph::SetNumGlyphs(TNumGlyphs n) {
    n = std::clamp(n, 1, 4);
    if (n == fNumGlyphs) return;
    fNumGlyphs = n;
    if (fChanged) fChanged();
}

TPoint TButtonGlyph::FrameSize() const {
    if (fGlyph->Empty()) return {0, 0};
    return {fGlyph->Width() / fNumGlyphs, fGlyph->Height()};
}

std::unique_ptr<TBitmap> TButtonGlyph::FrameFor(TButtonState state) const {
    if (fGlyph->Empty()) return nullptr;
    TPoint size = FrameSize();
    if (state == bsDown && fNumGlyphs < 3) state = bsUp;
    int index = static_cast<int>(state);
    bool makeDisabled = state == bsDisabled && fNumGlyphs < 2;
    if (index >= fNumGlyphs) index = 0;
    auto frame = std::make_unique<TBitmap>(size.X, size.Y);
    for (int y = 0; y < size.Y; ++y)
        for (int x = 0; x < size.X; ++x) frame->SetPixel(x, y, fGlyph->Pixel(index * size.X + x, y));
    // The frame keeps the picture's transparent colour (the strip's bottom-left pixel by default).
    frame->SetTransparentColor(fGlyph->TransparentColor());
    frame->SetTransparent(true);
    if (makeDisabled) return CreateDisabledGlyph(*frame);
    return frame;
}

TRect TButtonGlyph::Draw(TCanvas& canvas, const TRect& client, TPoint offset, const std::string& caption,
                         TButtonLayout layout, int margin, int spacing, TButtonState state, bool transparent) const {
    TTextSize text = caption.empty() ? TTextSize{} : canvas.TextExtent(StripHotkey(caption));
    TButtonLayoutResult r = CalcButtonLayout(client, FrameSize(), {text.cx, text.cy}, layout, margin, spacing);
    r.GlyphPos.X += offset.X;
    r.GlyphPos.Y += offset.Y;
    r.TextRect = OffsetRect(r.TextRect, offset.X, offset.Y);
    if (auto frame = FrameFor(state)) {
        if (!transparent) frame->SetTransparent(false);
        canvas.Draw(r.GlyphPos.X, r.GlyphPos.Y, frame.get());
    }
    if (!caption.empty()) {
        canvas.Brush()->SetStyle(bsClear);
        TRect tr = r.TextRect;
        if (state == bsDisabled) {
            TRect shifted = OffsetRect(tr, 1, 1);
            canvas.Font()->SetColor(clBtnHighlight);
            canvas.DrawText(caption, shifted, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            canvas.Font()->SetColor(clBtnShadow);
        }
        canvas.DrawText(caption, tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    return r.TextRect;
}

namespace {
// The raised (or, down, sunken) face of a push button.
void DrawButtonFace(TCanvas& c, const TRect& r, bool down, bool outerFrame) {
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(clBtnFace);
    c.FillRect(r);
    TRect in = r;
    if (outerFrame) {
        c.Brush()->SetColor(clWindowFrame);
        c.FrameRect(in);
        in = InflateRect(in, -1, -1);
    }
    auto line = [&](int x1, int y1, int x2, int y2, TColor color) {
        c.Pen()->SetColor(color);
        c.MoveTo(x1, y1);
        c.LineTo(x2, y2);
    };
    TColor topLeft = down ? clBtnShadow : clBtnHighlight, bottomRight = down ? clBtnHighlight : clBtnShadow;
    line(in.Left, in.Bottom - 1, in.Left, in.Top, topLeft);
    line(in.Left, in.Top, in.Right, in.Top, topLeft);
    line(in.Right - 1, in.Top, in.Right - 1, in.Bottom, bottomRight);
    line(in.Left, in.Bottom - 1, in.Right, in.Bottom - 1, bottomRight);
}
}  // namespace

// ---- TSpeedButton ------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TSpeedButton, TGraphicControl) {
    b.Property("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp).Default(0);
    b.Property("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex).Default(0);
    b.Property("Down", &TSpeedButton::Down, &TSpeedButton::SetDown).Default(0);
    b.Publish({"Anchors", "Caption", "Enabled"});
    b.Property("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat).Default(0);
    b.Publish({"Font"});
    b.Property("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph);
    b.Property("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout).Default(blGlyphLeft);
    b.Property("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin).Default(-1);
    b.Property("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs).Type(TypeNumGlyphs()).Default(1);
    b.Publish({"ParentFont", "ParentShowHint", "PopupMenu", "ShowHint"});
    b.Property("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing).Default(4);
    b.Property("Transparent", &TSpeedButton::Transparent, &TSpeedButton::SetTransparent).Default(1);
    b.Publish({"Visible", "OnClick", "OnDblClick", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
    b.Message(CM_DIALOGCHAR, &TSpeedButton::CMDialogChar);
}

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), fGlyph([this] { Invalidate(); }) {
    fWidth = 23;
    fHeight = 22;
    fControlStyle = TControlStyle{csCaptureMouse, csDoubleClicks};
    fColor = clBtnFace;
    fParentColor = false;
}

TSpeedButton::~TSpeedButton() = default;

TButtonState TSpeedButton::State() const { return fEnabled ? fState : bsDisabled; }

void TSpeedButton::SetAllowAllUp(bool v) {
    if (v == fAllowAllUp) return;
    fAllowAllUp = v;
    UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(int v) {
    if (v == fGroupIndex) return;
    fGroupIndex = v;
    UpdateExclusive();
}

void TSpeedButton::SetDown(bool v) {
    if (fGroupIndex == 0) v = false;
    if (v == fDown) return;
    if (fDown && !fAllowAllUp) return;
    fDown = v;
    fState = v ? bsExclusive : bsUp;
    Invalidate();
    if (v) UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
    if (fGroupIndex == 0 || !fParent) return;
    std::vector<TControl*> siblings = fParent->ControlList();
    for (TControl* c : siblings)
        if (auto* s = dynamic_cast<TSpeedButton*>(c)) s->ButtonPressed(this);
}

void TSpeedButton::ButtonPressed(TSpeedButton* sender) {
    if (sender == this || sender->fGroupIndex != fGroupIndex) return;
    if (sender->fDown && fDown) {
        fDown = false;
        fState = bsUp;
        Invalidate();
    }
    fAllowAllUp = sender->fAllowAllUp;
}

void TSpeedButton::SetFlat(bool v) {
    if (v == fFlat) return;
    fFlat = v;
    Invalidate();
}
void TSpeedButton::SetLayout(TButtonLayout v) {
    if (v == fLayout) return;
    fLayout = v;
    Invalidate();
}
void TSpeedButton::SetMargin(int v) {
    if (v == fMargin || v < -1) return;
    fMargin = v;
    Invalidate();
}
void TSpeedButton::SetSpacing(int v) {
    if (v == fSpacing) return;
    fSpacing = v;
    Invalidate();
}
void TSpeedButton::SetTransparent(bool v) {
    if (v == fTransparent) return;
    fTransparent = v;
    Invalidate();
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button != mbLeft || !fEnabled) return;
    if (!fDown) {
        fState = bsDown;
        Invalidate();
    }
    fDragging = true;
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TComponentWatch w(this);
    TGraphicControl::MouseUp(button, shift, x, y);
    if (!w.Target || !fDragging) return;
    fDragging = false;
    bool doClick = x >= 0 && x < ClientWidth() && y >= 0 && y <= ClientHeight();
    if (fGroupIndex == 0) {
        fState = bsUp;
        fMouseInControl = false;
        Invalidate();
    } else if (doClick) {
        SetDown(!fDown);
    } else {
        if (fDown) fState = bsExclusive;
        Invalidate();
    }
    if (doClick) Click();
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

void TSpeedButton::WndProc(TMessage& msg) {
    if (msg.Msg == CM_MOUSEENTER || msg.Msg == CM_MOUSELEAVE) {
        bool in = msg.Msg == CM_MOUSEENTER;
        if (in != fMouseInControl && fEnabled) {
            fMouseInControl = in;
            if (fFlat) Invalidate();
        }
    }
    TGraphicControl::WndProc(msg);
}

void TSpeedButton::CMDialogChar(TMessage& msg) {
    if (IsAccel(static_cast<char>(msg.WParam), fText) && fEnabled && fVisible && fParent && fParent->Showing()) {
        Click();
        msg.Result = 1;
    }
}

void TSpeedButton::Paint(TCanvas& canvas) {
    TButtonState state = State();
    canvas.Font()->Assign(Font());
    TRect r{0, 0, fWidth, fHeight};
    bool pressed = state == bsDown || state == bsExclusive;
    if (!fFlat) {
        DrawButtonFace(canvas, r, pressed, false);
        r = InflateRect(r, -2, -2);
    } else {
        if (pressed || (fMouseInControl && state != bsDisabled)) {
            DrawButtonFace(canvas, r, pressed, false);
        } else if (!fTransparent) {
            canvas.Brush()->SetStyle(bsSolid);
            canvas.Brush()->SetColor(fColor);
            canvas.FillRect(r);
        }
        r = InflateRect(r, -1, -1);
    }
    TPoint offset = pressed ? TPoint{1, 1} : TPoint{0, 0};
    fGlyph.Draw(canvas, r, offset, fText, fLayout, fMargin, fSpacing, state, fTransparent);
}

// ---- Standard kinds ----------------------------------------------------------------------------

namespace {
const char* const kKindResource[] = {"", "BBOK", "BBCANCEL", "BBHELP", "BBYES", "BBNO",
                                     "BBCLOSE", "BBABORT", "BBRETRY", "BBIGNORE", "BBALL"};

// The built-in pictures: 16 x 16 signs on olive (the transparent colour), drawn with the pen.
void DrawKindSign(TCanvas& c, TBitBtnKind kind) {
    auto pen = [&](TColor color, int width) {
        c.Pen()->SetColor(color);
        c.Pen()->SetWidth(width);
    };
    auto line = [&](int x1, int y1, int x2, int y2) {
        c.MoveTo(x1, y1);
        c.LineTo(x2, y2);
    };
    auto check = [&](int dx) {
        pen(clGreen, 2);
        line(2 + dx, 8, 6 + dx, 12);
        line(6 + dx, 12, 13 + dx, 3);
    };
    switch (kind) {
        case bkOK:
        case bkYes: check(0); break;
        case bkAll:
            check(-1);
            pen(clGreen, 1);
            line(6, 8, 8, 10);
            line(8, 10, 14, 3);
            break;
        case bkCancel:
            pen(clRed, 2);
            line(3, 3, 12, 12);
            line(12, 3, 3, 12);
            break;
        case bkNo:
        case bkAbort:
            pen(clRed, 2);
            line(5, 2, 10, 2);
            line(13, 5, 13, 10);
            line(10, 13, 5, 13);
            line(2, 10, 2, 5);
            line(5, 2, 2, 5);
            line(10, 2, 13, 5);
            line(13, 10, 10, 13);
            line(2, 10, 5, 13);
            if (kind == bkNo) line(4, 11, 11, 4);
            break;
        case bkHelp:
            pen(clNavy, 2);
            line(4, 4, 7, 2);
            line(7, 2, 11, 4);
            line(11, 4, 8, 8);
            line(8, 8, 8, 10);
            line(8, 13, 8, 14);
            break;
        case bkClose:
            c.Brush()->SetColor(clMaroon);
            c.FillRect({4, 1, 12, 15});
            c.Brush()->SetColor(clYellow);
            c.FillRect({9, 7, 11, 9});
            break;
        case bkRetry:
            pen(clGreen, 2);
            line(3, 8, 3, 4);
            line(3, 4, 12, 4);
            line(12, 4, 12, 12);
            line(12, 12, 5, 12);
            line(5, 12, 7, 10);
            break;
        case bkIgnore:
            pen(clNavy, 2);
            line(3, 12, 12, 3);
            line(8, 3, 12, 3);
            line(12, 3, 12, 7);
            break;
        case bkCustom: break;
    }
}
}  // namespace

std::unique_ptr<TBitmap> BitBtnGlyph(TBitBtnKind kind) {
    if (kind == bkCustom) return nullptr;
    auto bmp = std::make_unique<TBitmap>();
    if (FindResource(kKindResource[kind], TResourceKind::Bitmap)) {
        bmp->LoadFromResourceName(kKindResource[kind]);
        return bmp;
    }
    TBitmap frame(16, 16);
    frame.Fill(clOlive);
    DrawKindSign(*frame.Canvas(), kind);
    frame.SetTransparentColor(clOlive);
    std::unique_ptr<TBitmap> disabled = CreateDisabledGlyph(frame);
    bmp->SetSize(32, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            bmp->SetPixel(x, y, frame.Pixel(x, y));
            bmp->SetPixel(16 + x, y, disabled->Pixel(x, y));
        }
    return bmp;
}

std::string BitBtnCaption(TBitBtnKind kind) {
    static const char* const captions[] = {"", "OK", "Cancel", "&Help", "&Yes", "&No", "&Close", "Abort", "&Retry",
                                           "&Ignore", "&All"};
    return captions[kind];
}

TModalResult BitBtnModalResult(TBitBtnKind kind) {
    static const TModalResult results[] = {mrNone, mrOk, mrCancel, mrNone, mrYes, mrNo,
                                           mrNone, mrAbort, mrRetry, mrIgnore, mrAll};
    return results[kind];
}

// ---- TBitBtn -----------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TBitBtn, TButton) {
    b.Property("Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph);
    b.Property("Kind", &TBitBtn::Kind, &TBitBtn::SetKind).Default(bkCustom);
    b.Property("Layout", &TBitBtn::Layout, &TBitBtn::SetLayout).Default(blGlyphLeft);
    b.Property("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin).Default(-1);
    b.Property("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs).Type(TypeNumGlyphs()).Default(1);
    b.Property("Style", &TBitBtn::Style, &TBitBtn::SetStyle).Default(bsAutoDetect);
    b.Property("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing).Default(4);
    b.Publish({"WordWrap"});
}

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner), fGlyph([this] { Invalidate(); }) {}

TBitBtn::~TBitBtn() = default;

void TBitBtn::SetGlyph(TBitmap* bitmap) { fGlyph.SetGlyph(bitmap); }

TBitBtnKind TBitBtn::Kind() const {
    if (fKind != bkCustom) {
        bool isDefault = fKind == bkOK || fKind == bkYes;
        bool isCancel = fKind == bkCancel || fKind == bkNo;
        if (isDefault != fDefault || isCancel != fCancel || fModalResult != BitBtnModalResult(fKind)) fKind = bkCustom;
    }
    return fKind;
}

void TBitBtn::SetKind(TBitBtnKind kind) {
    if (kind == fKind) return;
    if (kind != bkCustom) {
        SetDefault(kind == bkOK || kind == bkYes);
        SetCancel(kind == bkCancel || kind == bkNo);
        // While loading, a stored caption wins over the kind's.
        if ((!IsLoading() || fText.empty()) && !BitBtnCaption(kind).empty()) SetCaption(BitBtnCaption(kind));
        SetModalResult(BitBtnModalResult(kind));
        std::unique_ptr<TBitmap> glyph = BitBtnGlyph(kind);
        fGlyph.SetGlyph(glyph.get());
        fGlyph.SetNumGlyphs(2);
    }
    fKind = kind;
    Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout v) {
    if (v == fLayout) return;
    fLayout = v;
    Invalidate();
}
void TBitBtn::SetMargin(int v) {
    if (v == fMargin || v < -1) return;
    fMargin = v;
    Invalidate();
}
void TBitBtn::SetSpacing(int v) {
    if (v == fSpacing) return;
    fSpacing = v;
    Invalidate();
}
void TBitBtn::SetStyle(TButtonStyle v) {
    if (v == fStyle) return;
    fStyle = v;
    Invalidate();
}

void TBitBtn::Click() {
    if (Kind() == bkClose) {
        if (TCustomForm* f = GetParentForm(this)) {
            f->Close();
            return;
        }
    }
    TButton::Click();
}

void TBitBtn::Paint(TCanvas& canvas) {
    canvas.Font()->Assign(Font());
    TRect r{0, 0, fWidth, fHeight};
    bool focused = Focused();
    DrawButtonFace(canvas, r, false, focused || fDefault);
    TRect inner = InflateRect(r, -3, -3);
    TButtonState state = fEnabled ? bsUp : bsDisabled;
    TRect text = fGlyph.Draw(canvas, inner, {0, 0}, fText, fLayout, fMargin, fSpacing, state, true);
    if (focused) canvas.DrawFocusRect(InflateRect(text, 2, 2));
}

}  // namespace plat
