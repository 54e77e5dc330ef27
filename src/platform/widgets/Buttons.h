#pragma once
// Buttons with pictures: the speed button (a graphic control that can stay down, alone or in a
// group) and the bit button (a push button with a glyph and standard kinds).
//
// A glyph is a strip of square frames, one per button state: up, disabled, down, stays down.
// Setting a glyph whose width is a whole multiple of its height (at most four frames) sets
// NumGlyphs; a missing disabled frame is drawn from the first one.
#include <functional>
#include <memory>
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/widgets/StdCtrls.h"

namespace plat {

class TCanvas;

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
using TNumGlyphs = int;
PLAT_DECLARE_ENUM(TButtonLayout)
PLAT_DECLARE_ENUM(TButtonState)
PLAT_DECLARE_ENUM(TButtonStyle)
PLAT_DECLARE_ENUM(TBitBtnKind)
const TTypeInfo* TypeNumGlyphs();  // "TNumGlyphs", 1..4

// Where a glyph and a caption go inside a button (client coordinates).
struct TButtonLayoutResult {
    TPoint GlyphPos;
    TRect TextRect;
};
// margin -1 centres glyph and caption together; spacing -1 spreads them evenly.
TButtonLayoutResult CalcButtonLayout(const TRect& client, TPoint glyphSize, TPoint textSize, TButtonLayout layout,
                                     int margin, int spacing);

// The glyph of a button: the picture, its frame count and the drawing by state.
class TButtonGlyph {
public:
    explicit TButtonGlyph(std::function<void()> changed);
    ~TButtonGlyph();
    TBitmap* Glyph() const { return fGlyph.get(); }
    void SetGlyph(TBitmap* bitmap);  // copies; nullptr empties the picture
    TNumGlyphs NumGlyphs() const { return fNumGlyphs; }
    void SetNumGlyphs(TNumGlyphs n);  // kept within 1..4
    // The frame shown in a state: a strip frame, or the disabled image made from the first.
    std::unique_ptr<TBitmap> FrameFor(TButtonState state) const;
    TPoint FrameSize() const;
    // Draws glyph and caption into client; answers the caption's rectangle.
    TRect Draw(TCanvas& canvas, const TRect& client, TPoint offset, const std::string& caption, TButtonLayout layout,
               int margin, int spacing, TButtonState state, bool transparent) const;

private:
    void GlyphChanged(TObject* sender);
    std::unique_ptr<TBitmap> fGlyph;
    TNumGlyphs fNumGlyphs = 1;
    std::function<void()> fChanged;
    struct TListener;
    std::unique_ptr<TListener> fListener;
};

// The disabled look of a picture: its shape embossed in the highlight and shadow colours on the
// button face; pixels of the transparent colour stay transparent.
std::unique_ptr<TBitmap> CreateDisabledGlyph(const TBitmap& source);

class TSpeedButton : public TGraphicControl {
    PLAT_CLASS(TSpeedButton)
    explicit TSpeedButton(TComponent* owner);
    ~TSpeedButton() override;

    bool AllowAllUp() const { return fAllowAllUp; }
    void SetAllowAllUp(bool v);
    int GroupIndex() const { return fGroupIndex; }
    void SetGroupIndex(int v);
    // Only a button of a group stays down; pressing one releases the others of the same parent
    // and group. A button that is down comes up only when its group allows all up.
    bool Down() const { return fDown; }
    void SetDown(bool v);
    bool Flat() const { return fFlat; }
    void SetFlat(bool v);
    TBitmap* Glyph() const { return fGlyph.Glyph(); }
    void SetGlyph(TBitmap* bitmap) { fGlyph.SetGlyph(bitmap); }
    TNumGlyphs NumGlyphs() const { return fGlyph.NumGlyphs(); }
    void SetNumGlyphs(TNumGlyphs n) { fGlyph.SetNumGlyphs(n); }
    TButtonLayout Layout() const { return fLayout; }
    void SetLayout(TButtonLayout v);
    int Margin() const { return fMargin; }
    void SetMargin(int v);
    int Spacing() const { return fSpacing; }
    void SetSpacing(int v);
    bool Transparent() const { return fTransparent; }
    void SetTransparent(bool v);
    // What the face shows now: up, down, stays down (a group's pressed button), disabled.
    TButtonState State() const;
    bool MouseInControl() const { return fMouseInControl; }

    void Click() override;
    // Draws the button onto a canvas the size of the control.
    virtual void Paint(TCanvas& canvas);

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void WndProc(TMessage& msg) override;
    void UpdateExclusive();
    void ButtonPressed(TSpeedButton* sender);
    void CMDialogChar(TMessage& msg);

    TButtonGlyph fGlyph;
    bool fAllowAllUp = false;
    int fGroupIndex = 0;
    bool fDown = false;
    bool fFlat = false;
    TButtonLayout fLayout = blGlyphLeft;
    int fMargin = -1;
    int fSpacing = 4;
    bool fTransparent = true;
    TButtonState fState = bsUp;
    bool fDragging = false;
    bool fMouseInControl = false;
};

class TBitBtn : public TButton {
    PLAT_CLASS(TBitBtn)
    explicit TBitBtn(TComponent* owner);
    ~TBitBtn() override;

    TBitmap* Glyph() const { return fGlyph.Glyph(); }
    void SetGlyph(TBitmap* bitmap);
    TNumGlyphs NumGlyphs() const { return fGlyph.NumGlyphs(); }
    void SetNumGlyphs(TNumGlyphs n) { fGlyph.SetNumGlyphs(n); }
    // A standard kind sets caption, default/cancel, modal result and glyph; changing any of the
    // latter three afterwards makes the kind custom again.
    TBitBtnKind Kind() const;
    void SetKind(TBitBtnKind kind);
    TButtonLayout Layout() const { return fLayout; }
    void SetLayout(TButtonLayout v);
    int Margin() const { return fMargin; }
    void SetMargin(int v);
    int Spacing() const { return fSpacing; }
    void SetSpacing(int v);
    TButtonStyle Style() const { return fStyle; }
    void SetStyle(TButtonStyle v);

    // A close button closes its form; the others click as a button does.
    void Click() override;
    virtual void Paint(TCanvas& canvas);

protected:
    TButtonGlyph fGlyph;
    mutable TBitBtnKind fKind = bkCustom;
    TButtonLayout fLayout = blGlyphLeft;
    int fMargin = -1;
    int fSpacing = 4;
    TButtonStyle fStyle = bsAutoDetect;
    bool fSettingKind = false;
};

// The picture of a standard kind: a bitmap resource "BBOK", "BBCANCEL", ... when one is
// registered, else the built-in two-frame picture (enabled, disabled).
std::unique_ptr<TBitmap> BitBtnGlyph(TBitBtnKind kind);
// The caption and modal result a kind gives.
std::string BitBtnCaption(TBitBtnKind kind);
TModalResult BitBtnModalResult(TBitBtnKind kind);

}  // namespace plat
