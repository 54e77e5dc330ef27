#pragma once
// Panels and splitters.
//
// A panel is a container with an outer and an inner bevel, a border between them and a caption
// drawn in its middle; children keep clear of bevels and border. A splitter is a thin aligned bar
// that resizes the control it sits next to (the one aligned to the same side) when dragged.
#include <string>

#include "platform/widgets/StdCtrls.h"

namespace plat {

class TCanvas;

enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };
enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };
PLAT_DECLARE_ENUM(TPanelBevel)
PLAT_DECLARE_ENUM(TResizeStyle)
const TTypeInfo* TypeBevelWidth();   // "TBevelWidth", 1..
const TTypeInfo* TypeBorderWidth();  // "TBorderWidth", 0..

PLAT_DECLARE_EVENT(TCanResizeEvent, TObject* /*Sender*/, int& /*NewSize*/, bool& /*Accept*/)

// Draws `width` one-pixel frames around rect (top-left in one colour, bottom-right in the other),
// moving rect inwards by one pixel per frame.
void Frame3D(TCanvas& canvas, TRect& rect, TColor topColor, TColor bottomColor, int width);

class TCustomPanel : public TCustomControl {
    PLAT_CLASS(TCustomPanel)
    explicit TCustomPanel(TComponent* owner);

    TAlignment Alignment() const { return fAlignment; }
    void SetAlignment(TAlignment a);
    TPanelBevel BevelInner() const { return fBevelInner; }
    void SetBevelInner(TPanelBevel v);
    TPanelBevel BevelOuter() const { return fBevelOuter; }
    void SetBevelOuter(TPanelBevel v);
    int BevelWidth() const { return fBevelWidth; }
    void SetBevelWidth(int v);
    int BorderWidth() const { return fBorderWidth; }
    void SetBorderWidth(int v);
    TFormBorderStyle BorderStyle() const { return fBorderStyle; }
    void SetBorderStyle(TFormBorderStyle v);
    bool FullRepaint() const { return fFullRepaint; }
    void SetFullRepaint(bool v) { fFullRepaint = v; }
    bool Locked() const { return fLocked; }
    void SetLocked(bool v) { fLocked = v; }
    bool AutoSize() const { return fAutoSize; }
    void SetAutoSize(bool v) { fAutoSize = v; }
    bool UseDockManager() const { return fUseDockManager; }
    void SetUseDockManager(bool v) { fUseDockManager = v; }
    bool DockSite() const { return fDockSite; }
    void SetDockSite(bool v) { fDockSite = v; }

    // A single border takes two pixels on each side with Ctl3D, one without.
    TRect ClientRect() const override;
    // Children keep clear of the border width and the bevels.
    TRect AdjustClientRect() const override;
    // Bevels, border, face and caption onto a canvas the size of the client area.
    virtual void Paint(TCanvas& canvas);

protected:
    void Realigned();
    TAlignment fAlignment = taCenter;
    TPanelBevel fBevelInner = bvNone;
    TPanelBevel fBevelOuter = bvRaised;
    int fBevelWidth = 1;
    int fBorderWidth = 0;
    TFormBorderStyle fBorderStyle = bsNone;
    bool fFullRepaint = true;
    bool fLocked = false;
    bool fAutoSize = false;
    bool fUseDockManager = true;
    bool fDockSite = false;
};

class TPanel : public TCustomPanel {
    PLAT_CLASS(TPanel)
    using TCustomPanel::TCustomPanel;
};

class TSplitter : public TGraphicControl {
    PLAT_CLASS(TSplitter)
    explicit TSplitter(TComponent* owner);

    bool AutoSnap() const { return fAutoSnap; }
    void SetAutoSnap(bool v) { fAutoSnap = v; }
    bool Beveled() const { return fBeveled; }
    void SetBeveled(bool v);
    int MinSize() const { return fMinSize; }
    void SetMinSize(int v) { fMinSize = v < 1 ? 1 : v; }
    TResizeStyle ResizeStyle() const { return fResizeStyle; }
    void SetResizeStyle(TResizeStyle v) { fResizeStyle = v; }
    // The control the splitter resizes: the visible, enabled sibling touching its aligned side.
    TControl* FindResizeControl() const;
    virtual void Paint(TCanvas& canvas);

    TCanResizeEvent OnCanResize;
    TNotifyEvent OnMoved, OnPaint;

protected:
    void Loaded() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void SetAlignCursor();
    // The new size for a drag to (x, y), kept within MinSize and the room the parent has; false
    // when OnCanResize refuses it. AutoSnap collapses a control dragged to MinSize or below.
    bool CalcNewSize(int x, int y, int& newSize) const;
    void UpdateControlSize(int newSize);

    bool fAutoSnap = true;
    bool fBeveled = false;
    int fMinSize = 30;
    TResizeStyle fResizeStyle = rsPattern;
    TControl* fControl = nullptr;  // being resized (during a drag)
    TPoint fDownPos;
    int fMaxSize = 0;
    int fNewSize = 0;
};

}  // namespace plat
