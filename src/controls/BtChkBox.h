#pragma once
// TBitCheckBox: a check box drawn from three bitmaps (unchecked, checked, grayed), each a strip of
// one or two frames (enabled, disabled). The option forms use it for every check box.
#include <memory>
#include <string>

#include "platform/forms/Controls.h"
#include "platform/graphics/Bitmap.h"
#include "platform/widgets/StdCtrls.h"

namespace plat {
class TCanvas;
}

namespace qm {

class TBitCheckBox : public plat::TCustomControl {
    PLAT_CLASS(TBitCheckBox)
    explicit TBitCheckBox(plat::TComponent* owner);
    ~TBitCheckBox() override;

    plat::TCheckBoxState State() const { return fState; }
    // Code changes only repaint; OnClick comes from the user's toggles alone.
    void SetState(plat::TCheckBoxState s);
    bool Checked() const { return fState == plat::cbChecked; }
    void SetChecked(bool v) { SetState(v ? plat::cbChecked : plat::cbUnchecked); }
    bool AllowGrayed() const { return fAllowGrayed; }
    void SetAllowGrayed(bool v) { fAllowGrayed = v; }
    plat::TAlignment Alignment() const { return fAlignment; }
    void SetAlignment(plat::TAlignment a);

    // The pictures: setting nothing (or an empty bitmap) loads the default again.
    plat::TBitmap* CheckedGlyph() const { return fGlyphs[plat::cbChecked].get(); }
    void SetCheckedGlyph(plat::TBitmap* b) { SetGlyph(plat::cbChecked, b); }
    plat::TBitmap* UncheckedGlyph() const { return fGlyphs[plat::cbUnchecked].get(); }
    void SetUncheckedGlyph(plat::TBitmap* b) { SetGlyph(plat::cbUnchecked, b); }
    plat::TBitmap* GrayedGlyph() const { return fGlyphs[plat::cbGrayed].get(); }
    void SetGrayedGlyph(plat::TBitmap* b) { SetGlyph(plat::cbGrayed, b); }
    int CheckedNumGlyphs() const { return fNumGlyphs[plat::cbChecked]; }
    void SetCheckedNumGlyphs(int n) { SetNumGlyphs(plat::cbChecked, n); }
    int UncheckedNumGlyphs() const { return fNumGlyphs[plat::cbUnchecked]; }
    void SetUncheckedNumGlyphs(int n) { SetNumGlyphs(plat::cbUnchecked, n); }
    int GrayedNumGlyphs() const { return fNumGlyphs[plat::cbGrayed]; }
    void SetGrayedNumGlyphs(int n) { SetNumGlyphs(plat::cbGrayed, n); }

    void SetGlyph(plat::TCheckBoxState which, plat::TBitmap* b);
    void SetNumGlyphs(plat::TCheckBoxState which, int n);

    // Toggles (unchecked -> grayed or checked, checked -> unchecked, grayed -> checked), then OnClick.
    void Click() override;
    // The toggle alone, without OnClick (the caption's accelerator).
    void Toggle();

    // Paints the box onto a canvas covering the client area (the presentation's painter calls it).
    void Paint(plat::TCanvas& canvas) override;
    // Where the caption goes (for painting and tests).
    plat::TRect CaptionRect(plat::TCanvas& canvas) const;

    // The built-in 19 x 14 picture of a state.
    static std::unique_ptr<plat::TBitmap> DefaultGlyph(plat::TCheckBoxState which);

protected:
    void DefaultKeyDown(uint16_t key, plat::TShiftState shift) override;
    void DoEnter() override;
    void DoExit() override;
    void EnabledChanged() override;
    void FontChanged() override;
    void TextChanged() override { Invalidate(); }
    void CMDialogChar(plat::TMessage& msg);
    void CMCtl3DChanged(plat::TMessage& msg);
    void GlyphChanged(plat::TCheckBoxState which);
    void UncheckedChanged(plat::TObject*) { GlyphChanged(plat::cbUnchecked); }
    void CheckedChanged(plat::TObject*) { GlyphChanged(plat::cbChecked); }
    void GrayedChanged(plat::TObject*) { GlyphChanged(plat::cbGrayed); }

    plat::TCheckBoxState fState = plat::cbUnchecked;
    bool fAllowGrayed = false;
    plat::TAlignment fAlignment = plat::taRightJustify;
    std::unique_ptr<plat::TBitmap> fGlyphs[3];
    int fNumGlyphs[3] = {1, 1, 1};
};

}  // namespace qm
