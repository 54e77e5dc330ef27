#include "platform/widgets/ExtCtrls.h"

#include <algorithm>

#include "platform/graphics/Canvas.h"

namespace plat {

PLAT_DEFINE_ENUM(TPanelBevel, "bvNone", "bvLowered", "bvRaised", "bvSpace")
PLAT_DEFINE_ENUM(TResizeStyle, "rsNone", "rsLine", "rsUpdate", "rsPattern")

const TTypeInfo* TypeBevelWidth() {
    static const TTypeInfo* t = MakeIntegerType("TBevelWidth", {}, 1, INT32_MAX);
    return t;
}
const TTypeInfo* TypeBorderWidth() {
    static const TTypeInfo* t = MakeIntegerType("TBorderWidth", {}, 0, INT32_MAX);
    return t;
}

void Frame3D(TCanvas& canvas, TRect& rect, TColor topColor, TColor bottomColor, int width) {
    canvas.Pen()->SetWidth(1);
    rect.Bottom -= 1;
    rect.Right -= 1;
    for (; width > 0; --width) {
        canvas.Pen()->SetColor(topColor);
        canvas.Polyline({{rect.Left, rect.Bottom}, {rect.Left, rect.Top}, {rect.Right, rect.Top}});
        canvas.Pen()->SetColor(bottomColor);
        canvas.Polyline({{rect.Right, rect.Top}, {rect.Right, rect.Bottom}, {rect.Left - 1, rect.Bottom}});
        rect = InflateRect(rect, -1, -1);
    }
    rect.Bottom += 1;
    rect.Right += 1;
}

// ---- TCustomPanel ------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TCustomPanel, TCustomControl) {
    b.Property("Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment).Default(taCenter).Unpublished();
    b.Property("AutoSize", &TCustomPanel::AutoSize, &TCustomPanel::SetAutoSize).Unpublished();
    b.Property("BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner).Default(bvNone).Unpublished();
    b.Property("BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter).Default(bvRaised).Unpublished();
    b.Property("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth).Type(TypeBevelWidth()).Default(1).Unpublished();
    b.Property("BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth).Type(TypeBorderWidth()).Default(0).Unpublished();
    b.Property("BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle).Type(TypeBorderStyle()).Default(bsNone).Unpublished();
    b.Property("DockSite", &TCustomPanel::DockSite, &TCustomPanel::SetDockSite).Unpublished();
    b.Property("FullRepaint", &TCustomPanel::FullRepaint, &TCustomPanel::SetFullRepaint).Default(1).Unpublished();
    b.Property("Locked", &TCustomPanel::Locked, &TCustomPanel::SetLocked).Default(0).Unpublished();
    b.Property("UseDockManager", &TCustomPanel::UseDockManager, &TCustomPanel::SetUseDockManager).Default(1).Unpublished();
}

PLAT_REGISTER_CLASS(TPanel, TCustomPanel) {
    b.Publish({"Align", "Alignment", "Anchors", "AutoSize", "BevelInner", "BevelOuter", "BevelWidth", "BorderWidth",
               "BorderStyle", "Caption", "Color", "Ctl3D", "UseDockManager", "DockSite", "DragCursor", "DragKind",
               "DragMode", "Enabled", "FullRepaint", "Font", "Locked", "ParentColor", "ParentCtl3D", "ParentFont",
               "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible", "OnClick", "OnDockDrop",
               "OnDockOver", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag", "OnEnter", "OnExit",
               "OnGetSiteInfo", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnResize", "OnStartDock", "OnStartDrag",
               "OnUnDock"});
}

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
    fWidth = 185;
    fHeight = 41;
    fColor = clBtnFace;
    fParentColor = false;
    fControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                  csOpaque,          csDoubleClicks, csReplicatable};
}

void TCustomPanel::Realigned() {
    Changed(TPeerChange::Style);
    Realign();
    Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment a) {
    if (a == fAlignment) return;
    fAlignment = a;
    Invalidate();
}
void TCustomPanel::SetBevelInner(TPanelBevel v) {
    if (v == fBevelInner) return;
    fBevelInner = v;
    Realigned();
}
void TCustomPanel::SetBevelOuter(TPanelBevel v) {
    if (v == fBevelOuter) return;
    fBevelOuter = v;
    Realigned();
}
void TCustomPanel::SetBevelWidth(int v) {
    if (v < 1 || v == fBevelWidth) return;
    fBevelWidth = v;
    Realigned();
}
void TCustomPanel::SetBorderWidth(int v) {
    if (v < 0 || v == fBorderWidth) return;
    fBorderWidth = v;
    Realigned();
}
void TCustomPanel::SetBorderStyle(TFormBorderStyle v) {
    if (v == fBorderStyle) return;
    fBorderStyle = v;
    Realigned();
}

TRect TCustomPanel::ClientRect() const {
    int edge = fBorderStyle == bsSingle ? (fCtl3D ? 2 : 1) : 0;
    return {0, 0, std::max(fWidth - 2 * edge, 0), std::max(fHeight - 2 * edge, 0)};
}

TRect TCustomPanel::AdjustClientRect() const {
    TRect r = InflateRect(ClientRect(), -fBorderWidth, -fBorderWidth);
    int bevel = (fBevelOuter != bvNone ? fBevelWidth : 0) + (fBevelInner != bvNone ? fBevelWidth : 0);
    return InflateRect(r, -bevel, -bevel);
}

void TCustomPanel::Paint(TCanvas& canvas) {
    auto colors = [](TPanelBevel bevel, TColor& top, TColor& bottom) {
        top = bevel == bvLowered ? clBtnShadow : clBtnHighlight;
        bottom = bevel == bvLowered ? clBtnHighlight : clBtnShadow;
    };
    TRect r = ClientRect();
    TColor top, bottom;
    if (fBevelOuter != bvNone) {
        colors(fBevelOuter, top, bottom);
        Frame3D(canvas, r, top, bottom, fBevelWidth);
    }
    Frame3D(canvas, r, fColor, fColor, fBorderWidth);
    if (fBevelInner != bvNone) {
        colors(fBevelInner, top, bottom);
        Frame3D(canvas, r, top, bottom, fBevelWidth);
    }
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(fColor);
    canvas.FillRect(r);
    canvas.Brush()->SetStyle(bsClear);
    canvas.Font()->Assign(Font());
    int h = canvas.TextHeight("W");
    r.Top = (r.Bottom + r.Top - h) / 2;
    r.Bottom = r.Top + h;
    unsigned align = fAlignment == taLeftJustify ? DT_LEFT : fAlignment == taRightJustify ? DT_RIGHT : DT_CENTER;
    canvas.DrawText(fText, r, DT_EXPANDTABS | DT_VCENTER | align);
}

// ---- TSplitter ---------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TSplitter, TGraphicControl) {
    b.Publish({"Align"});
    b.Property("AutoSnap", &TSplitter::AutoSnap, &TSplitter::SetAutoSnap).Default(1);
    b.Property("Beveled", &TSplitter::Beveled, &TSplitter::SetBeveled).Default(0);
    b.Publish({"Color"});
    b.Property("MinSize", &TSplitter::MinSize, &TSplitter::SetMinSize).Default(30);
    b.Publish({"ParentColor"});
    b.Property("ResizeStyle", &TSplitter::ResizeStyle, &TSplitter::SetResizeStyle).Default(rsPattern);
    b.Publish({"Visible"});
    b.Event("OnCanResize", &TSplitter::OnCanResize);
    b.Event("OnMoved", &TSplitter::OnMoved);
    b.Event("OnPaint", &TSplitter::OnPaint);
}

TSplitter::TSplitter(TComponent* owner) : TGraphicControl(owner) {
    fAlign = alLeft;
    fWidth = 3;
    fHeight = 100;
    fCursor = crHSplit;
    fControlStyle = TControlStyle{csCaptureMouse};
}

void TSplitter::Loaded() {
    TGraphicControl::Loaded();
    SetAlignCursor();
}

void TSplitter::SetBeveled(bool v) {
    if (v == fBeveled) return;
    fBeveled = v;
    Invalidate();
}

void TSplitter::SetAlignCursor() {
    if (fCursor != crHSplit && fCursor != crVSplit) return;
    SetCursor(fAlign == alTop || fAlign == alBottom ? crVSplit : crHSplit);
}

TControl* TSplitter::FindResizeControl() const {
    if (!fParent) return nullptr;
    TPoint p{fLeft, fTop};
    switch (fAlign) {
        case alLeft: --p.X; break;
        case alRight: p.X += fWidth; break;
        case alTop: --p.Y; break;
        case alBottom: p.Y += fHeight; break;
        default: return nullptr;
    }
    for (TControl* c : fParent->ControlList()) {
        if (c == this || !c->Visible() || !c->Enabled()) continue;
        TRect r = c->BoundsRect();
        if (r.Width() == 0) {
            if (fAlign == alTop || fAlign == alLeft) --r.Left;
            else ++r.Right;
        }
        if (r.Height() == 0) {
            if (fAlign == alTop || fAlign == alLeft) --r.Top;
            else ++r.Bottom;
        }
        if (r.Contains(p)) return c;
    }
    return nullptr;
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button != mbLeft) return;
    fControl = FindResizeControl();
    fDownPos = {x, y};
    if (!fControl) return;
    // The room: the parent's client less everything aligned along the same axis (the splitter
    // too), the resized control's own size given back.
    bool horizontal = fAlign == alLeft || fAlign == alRight;
    fMaxSize = (horizontal ? fParent->ClientWidth() : fParent->ClientHeight()) - fMinSize;
    for (TControl* c : fParent->ControlList()) {
        if (!c->Visible()) continue;
        if (horizontal && (c->Align() == alLeft || c->Align() == alRight)) fMaxSize -= c->Width();
        if (!horizontal && (c->Align() == alTop || c->Align() == alBottom)) fMaxSize -= c->Height();
    }
    fMaxSize += horizontal ? fControl->Width() : fControl->Height();
    fNewSize = horizontal ? fControl->Width() : fControl->Height();
}

bool TSplitter::CalcNewSize(int x, int y, int& newSize) const {
    int split = (fAlign == alLeft || fAlign == alRight) ? x - fDownPos.X : y - fDownPos.Y;
    int s = 0;
    switch (fAlign) {
        case alLeft: s = fControl->Width() + split; break;
        case alRight: s = fControl->Width() - split; break;
        case alTop: s = fControl->Height() + split; break;
        case alBottom: s = fControl->Height() - split; break;
        default: break;
    }
    newSize = std::clamp(s, fMinSize, std::max(fMaxSize, fMinSize));
    bool accept = true;
    OnCanResize(const_cast<TSplitter*>(this), newSize, accept);
    if (accept && newSize <= fMinSize && fAutoSnap) newSize = 0;
    return accept;
}

void TSplitter::MouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::MouseMove(shift, x, y);
    if (!fControl) return;
    int size = 0;
    if (!CalcNewSize(x, y, size)) return;
    fNewSize = size;
    if (fResizeStyle == rsUpdate) UpdateControlSize(fNewSize);
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseUp(button, shift, x, y);
    if (!fControl) return;
    int size = 0;
    if (CalcNewSize(x, y, size)) fNewSize = size;
    UpdateControlSize(fNewSize);
    fControl = nullptr;
}

void TSplitter::UpdateControlSize(int newSize) {
    int old = (fAlign == alLeft || fAlign == alRight) ? fControl->Width() : fControl->Height();
    if (newSize == old) return;
    switch (fAlign) {
        case alLeft: fControl->SetWidth(newSize); break;
        case alTop: fControl->SetHeight(newSize); break;
        case alRight:
            fParent->DisableAlign();
            fControl->SetBounds(fControl->Left() + fControl->Width() - newSize, fControl->Top(), newSize,
                                fControl->Height());
            fParent->EnableAlign();
            break;
        case alBottom:
            fParent->DisableAlign();
            fControl->SetBounds(fControl->Left(), fControl->Top() + fControl->Height() - newSize, fControl->Width(),
                                newSize);
            fParent->EnableAlign();
            break;
        default: break;
    }
    OnMoved(this);
}

void TSplitter::Paint(TCanvas& canvas) {
    TRect r{0, 0, fWidth, fHeight};
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(fColor);
    canvas.FillRect(r);
    if (fBeveled) {
        if (fAlign == alLeft || fAlign == alRight) r = InflateRect(r, -1, 2);
        else r = InflateRect(r, 2, -1);
        Frame3D(canvas, r, clBtnHighlight, clBtnShadow, 1);
    }
    OnPaint(this);
}

}  // namespace plat
