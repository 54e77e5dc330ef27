// Painters of the standard controls that have no native Qt counterpart: tree view, tool bar and
// its buttons, status bar, tab set, spin button. Each draws through the model's canvas with the
// look of a classic desktop, at the places the model hit-tests its clicks (NodeRect and the
// expand-button column, the tool buttons' bounds and the arrow part of drop-down buttons,
// PanelRect, ItemRect, the halves of the spin button).
#include <algorithm>

#include "platform/qt/QtWidgetSet.h"
#include "platform/widgets/ComCtrls.h"
#include "platform/widgets/Spin.h"
#include "platform/widgets/Tabs.h"

namespace plat {

namespace {

// A 3-D edge: `topLeft` along the top and left sides, `bottomRight` along the bottom and right.
void Frame3D(TCanvas& canvas, const TRect& r, TColor topLeft, TColor bottomRight) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(topLeft);
    canvas.FillRect({r.Left, r.Top, r.Right, r.Top + 1});
    canvas.FillRect({r.Left, r.Top, r.Left + 1, r.Bottom});
    canvas.Brush()->SetColor(bottomRight);
    canvas.FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom});
    canvas.FillRect({r.Right - 1, r.Top, r.Right, r.Bottom});
}

void Raised(TCanvas& canvas, const TRect& r) { Frame3D(canvas, r, clBtnHighlight, clBtnShadow); }
void Sunken(TCanvas& canvas, const TRect& r) { Frame3D(canvas, r, clBtnShadow, clBtnHighlight); }

// A solid triangle pointing up or down, `size` pixels wide at its base, centred in r.
void Arrow(TCanvas& canvas, const TRect& r, bool up, int size, TColor color) {
    int rows = (size + 1) / 2;
    int cx = (r.Left + r.Right) / 2;
    int top = r.Top + (r.Height() - rows) / 2;
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(color);
    for (int i = 0; i < rows; ++i) {
        int half = up ? i : rows - 1 - i;  // half-width of this row
        canvas.FillRect({cx - half, top + i, cx + half + 1, top + i + 1});
    }
}

// Text greyed as disabled controls show it: a highlight copy one pixel down and right, then the
// shadow colour.
void DisabledText(TCanvas& canvas, const std::string& text, TRect r, unsigned flags) {
    canvas.Brush()->SetStyle(bsClear);
    canvas.Font()->SetColor(clBtnHighlight);
    TRect shifted = OffsetRect(r, 1, 1);
    canvas.DrawText(text, shifted, flags);
    canvas.Font()->SetColor(clBtnShadow);
    canvas.DrawText(text, r, flags);
}

// ---- Tree view ---------------------------------------------------------------------------------

// The dotted connecting lines of the classic tree: every other pixel.
void DottedH(TCanvas& canvas, int x1, int x2, int y, TColor c) {
    for (int x = x1; x < x2; ++x)
        if (((x + y) & 1) == 0) canvas.SetPixels(x, y, c);
}
void DottedV(TCanvas& canvas, int x, int y1, int y2, TColor c) {
    for (int y = y1; y < y2; ++y)
        if (((x + y) & 1) == 0) canvas.SetPixels(x, y, c);
}

void PaintTreeView(TControl& ctl, TCanvas& canvas) {
    auto& tv = static_cast<TCustomTreeView&>(ctl);
    TRect all{0, 0, ctl.Width(), ctl.Height()};
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(ctl.Color());
    canvas.FillRect(all);
    canvas.SetFont(ctl.Font());
    const int indent = std::max(1, tv.Indent());
    const int rootShift = tv.ShowRoot() ? 0 : -1;  // the column of a node's button is Level + this
    TCustomImageList* images = tv.Images();
    const TColor lineColor = clGray;
    bool focused = tv.Focused();
    for (int i = 0; i < tv.Items()->Count(); ++i) {
        TTreeNode* node = tv.Items()->Item(i);
        if (!node->IsVisible()) continue;
        TRect row = tv.NodeRect(node, false);
        if (row.Bottom <= 0) continue;
        if (row.Top >= ctl.Height()) break;
        TRect text = tv.NodeRect(node, true);
        int mid = (row.Top + row.Bottom) / 2;
        int column = node->Level() + rootShift;  // -1: no button column (a root without ShowRoot)
        int cx = column * indent + indent / 2;
        // Lines: to the node from its parent's column, down to its next sibling, and the through
        // lines of the ancestors that have siblings still to come.
        if (tv.ShowLines() && column >= 0) {
            int lineEnd = images ? text.Left - images->Width() - 2 : text.Left;
            DottedH(canvas, cx, lineEnd - 1, mid, lineColor);
            bool firstRoot = !node->Parent() && !node->GetPrevSibling();
            DottedV(canvas, cx, firstRoot ? mid : row.Top, node->GetNextSibling() ? row.Bottom : mid + 1, lineColor);
            for (TTreeNode* a = node->Parent(); a; a = a->Parent()) {
                int ac = a->Level() + rootShift;
                if (ac >= 0 && a->GetNextSibling()) DottedV(canvas, ac * indent + indent / 2, row.Top, row.Bottom, lineColor);
            }
        }
        // The expand button, centred in the column the model hit-tests.
        if (tv.ShowButtons() && column >= 0 && node->HasChildren()) {
            TRect box{cx - 4, mid - 4, cx + 5, mid + 5};
            canvas.Brush()->SetStyle(bsSolid);
            canvas.Brush()->SetColor(clWindow);
            canvas.FillRect(box);
            canvas.Brush()->SetColor(clGray);
            canvas.FrameRect(box);
            canvas.Brush()->SetColor(clWindowText);
            canvas.FillRect({cx - 2, mid, cx + 3, mid + 1});
            if (!node->Expanded()) canvas.FillRect({cx, mid - 2, cx + 1, mid + 3});
        }
        bool selected = node == tv.Selected();
        if (images) {
            int index = selected && node->SelectedIndex() >= 0 ? node->SelectedIndex() : node->ImageIndex();
            if (index >= 0 && index < images->Count())
                images->Draw(&canvas, text.Left - images->Width() - 2, row.Top + (row.Height() - images->Height()) / 2,
                             index, ctl.Enabled());
        }
        // The selection: the highlight while the tree has the focus, a grey one without it
        // unless HideSelection.
        TColor back = clNone, fore = ctl.Font()->Color();
        if (selected && focused) back = clHighlight, fore = clHighlightText;
        else if (selected && !tv.HideSelection()) back = clBtnFace;
        TRect mark = tv.RowSelect() ? row : text;
        if (back != clNone) {
            canvas.Brush()->SetStyle(bsSolid);
            canvas.Brush()->SetColor(back);
            canvas.FillRect(mark);
        }
        canvas.Brush()->SetStyle(bsClear);
        canvas.Font()->SetColor(ctl.Enabled() ? fore : clGrayText);
        TRect t{text.Left + 2, text.Top, text.Right, text.Bottom};
        canvas.DrawText(node->Text(), t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (selected && focused) canvas.DrawFocusRect(mark);
    }
    if (tv.BorderStyle() != bsNone) {
        canvas.Brush()->SetStyle(bsSolid);
        canvas.Brush()->SetColor(clBtnShadow);
        canvas.FrameRect(all);
    }
}

// ---- Tool bar ----------------------------------------------------------------------------------

void PaintToolBar(TControl& ctl, TCanvas& canvas) {
    auto& tb = static_cast<TToolBar&>(ctl);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(ctl.Color());
    canvas.FillRect({0, 0, ctl.Width(), ctl.Height()});
    // Etched edges where EdgeBorders ask for them.
    TEdgeBorders e = tb.EdgeBorders();
    int w = ctl.Width(), h = ctl.Height();
    canvas.Brush()->SetColor(clBtnShadow);
    if (e.Contains(ebTop)) canvas.FillRect({0, 0, w, 1});
    if (e.Contains(ebLeft)) canvas.FillRect({0, 0, 1, h});
    if (e.Contains(ebBottom)) canvas.FillRect({0, h - 2, w, h - 1});
    if (e.Contains(ebRight)) canvas.FillRect({w - 2, 0, w - 1, h});
    canvas.Brush()->SetColor(clBtnHighlight);
    if (e.Contains(ebTop)) canvas.FillRect({0, 1, w, 2});
    if (e.Contains(ebLeft)) canvas.FillRect({1, 0, 2, h});
    if (e.Contains(ebBottom)) canvas.FillRect({0, h - 1, w, h});
    if (e.Contains(ebRight)) canvas.FillRect({w - 1, 0, w, h});
}

// The width of the arrow part of a drop-down button: the model drops the menu down for a press
// on the right 12 pixels.
constexpr int DropDownArrowWidth = 12;

void PaintToolButton(TControl& ctl, TCanvas& canvas) {
    auto& b = static_cast<TToolButton&>(ctl);
    TToolBar* tb = b.ToolBar();
    int w = ctl.Width(), h = ctl.Height();
    if (b.Style() == tbsSeparator) return;  // a gap showing the bar
    if (b.Style() == tbsDivider) {
        int x = w / 2 - 1;
        canvas.Brush()->SetStyle(bsSolid);
        canvas.Brush()->SetColor(clBtnShadow);
        canvas.FillRect({x, 2, x + 1, h - 2});
        canvas.Brush()->SetColor(clBtnHighlight);
        canvas.FillRect({x + 1, 2, x + 2, h - 2});
        return;
    }
    bool flat = tb && tb->Flat();
    bool enabled = b.Enabled() && (!tb || tb->Enabled());
    bool checkedDown = b.Down() || b.Marked();
    // Held by the left button: the face, or only the arrow part of a drop-down button.
    bool arrowHeld = b.ArrowPressed();
    bool held = b.ControlState().Contains(csClicked) && !arrowHeld;
    bool down = checkedDown || held;
    bool dropDown = b.Style() == tbsDropDown;
    TRect face{0, 0, dropDown ? w - DropDownArrowWidth : w, h};
    if (checkedDown) {
        // A button that stays down shows a checkered lighter face.
        for (int y = face.Top + 1; y < face.Bottom - 1; ++y)
            for (int x = face.Left + 1; x < face.Right - 1; ++x)
                if (((x + y) & 1) == 0) canvas.SetPixels(x, y, clBtnHighlight);
        Sunken(canvas, face);
    } else if (held) {
        Sunken(canvas, face);
    } else if (!flat) {
        Frame3D(canvas, {face.Left, face.Top, face.Right, face.Bottom}, clBtnHighlight, cl3DDkShadow);
        Frame3D(canvas, {face.Left + 1, face.Top + 1, face.Right - 1, face.Bottom - 1}, clBtnFace, clBtnShadow);
    }
    if (dropDown) {
        TRect arrow{w - DropDownArrowWidth, 0, w, h};
        if (arrowHeld) Sunken(canvas, arrow);
        else if (!flat || down) Raised(canvas, arrow);
        int a = arrowHeld ? 1 : 0;
        Arrow(canvas, OffsetRect(arrow, a, a), false, 5, enabled ? clBtnText : clBtnShadow);
    }
    int shift = down ? 1 : 0;
    // Image (from the bar's lists) and caption, stacked (or side by side in a List bar).
    TCustomImageList* images = tb ? tb->Images() : nullptr;
    if (!enabled && tb && tb->DisabledImages()) images = tb->DisabledImages();
    bool hasImage = images && b.ImageIndex() >= 0 && b.ImageIndex() < images->Count();
    bool showCaption = tb && tb->ShowCaptions() && !b.Caption().empty();
    canvas.SetFont(tb ? tb->Font() : ctl.Font());
    int textH = showCaption ? canvas.TextHeight("Wg") : 0;
    int imgW = hasImage ? images->Width() : 0, imgH = hasImage ? images->Height() : 0;
    bool list = tb && tb->List();
    TRect textRect = face;
    if (hasImage) {
        int x, y;
        if (list && showCaption) {
            x = face.Left + 4;
            y = (h - imgH) / 2;
            textRect.Left = x + imgW + 2;
        } else {
            x = face.Left + (face.Width() - imgW) / 2;
            y = showCaption ? (h - imgH - textH - 1) / 2 : (h - imgH) / 2;
            textRect.Top = y + imgH + 1;
        }
        images->Draw(&canvas, x + shift, y + shift, b.ImageIndex(), enabled || images == tb->DisabledImages());
    }
    if (showCaption) {
        unsigned flags = DT_SINGLELINE | (list && hasImage ? DT_LEFT | DT_VCENTER : DT_CENTER);
        if (!hasImage || list) flags |= DT_VCENTER;
        textRect = OffsetRect(textRect, shift, shift);
        if (enabled) {
            canvas.Brush()->SetStyle(bsClear);
            canvas.Font()->SetColor(clBtnText);
            canvas.DrawText(b.Caption(), textRect, flags);
        } else {
            DisabledText(canvas, b.Caption(), textRect, flags);
        }
    }
}

// ---- Status bar --------------------------------------------------------------------------------

void PaintStatusPanelText(TCanvas& canvas, const std::string& text, TRect r, TAlignment alignment) {
    canvas.Brush()->SetStyle(bsClear);
    unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX |
                     (alignment == taCenter ? DT_CENTER : alignment == taRightJustify ? DT_RIGHT : DT_LEFT);
    TRect t{r.Left + 2, r.Top + 1, r.Right - 2, r.Bottom - 1};
    canvas.DrawText(text, t, flags);
}

void PaintStatusBar(TControl& ctl, TCanvas& canvas) {
    auto& sb = static_cast<TStatusBar&>(ctl);
    int w = ctl.Width(), h = ctl.Height();
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(ctl.Color());
    canvas.FillRect({0, 0, w, h});
    canvas.SetFont(ctl.Font());
    canvas.Font()->SetColor(ctl.Enabled() ? ctl.Font()->Color() : clGrayText);
    if (sb.SimplePanel() || sb.Panels()->Count() == 0) {
        TRect r{0, 2, w, h};
        if (sb.SimplePanel()) Sunken(canvas, r);
        PaintStatusPanelText(canvas, sb.SimpleText(), r, taLeftJustify);
    } else {
        for (int i = 0; i < sb.Panels()->Count(); ++i) {
            TStatusPanel* p = sb.Panels()->Items(i);
            TRect r = sb.PanelRect(i);
            // Panels keep a gap of two pixels between them.
            TRect bevel{r.Left, r.Top, i + 1 < sb.Panels()->Count() ? r.Right - 2 : r.Right, r.Bottom};
            if (p->Bevel() == pbLowered) Sunken(canvas, bevel);
            else if (p->Bevel() == pbRaised) Raised(canvas, bevel);
            if (p->Style() == psText) PaintStatusPanelText(canvas, p->Text(), bevel, p->Alignment());
        }
        canvas.Brush()->SetStyle(bsSolid);
        sb.PaintPanels(&canvas);  // owner-drawn panels through OnDrawPanel
    }
    // The grip only where it can size something: on a form with a sizeable border.
    TCustomForm* form = GetParentForm(&sb);
    bool sizeable = !form || form->BorderStyle() == bsSizeable || form->BorderStyle() == bsSizeToolWin;
    if (sb.SizeGrip() && sizeable) {
        // Three diagonal ridges in the bottom right corner: a highlight line over two shadow lines.
        for (int k = 0; k < 3; ++k)
            for (int line = 0; line < 3; ++line) {
                int s = 4 * k + line + 1;  // distance of the line from the corner
                TColor c = line == 0 ? clBtnHighlight : clBtnShadow;
                for (int i = 0; i <= s; ++i) canvas.SetPixels(w - 1 - i, h - 1 - s + i, c);
            }
    }
}

// ---- Tab set -----------------------------------------------------------------------------------

// Tabs hang from the top edge (the set sits under what it switches); the selected tab joins that
// edge and stands out, the others sit back.
void PaintTabSet(TControl& ctl, TCanvas& canvas) {
    auto& ts = static_cast<TTabSet&>(ctl);
    int w = ctl.Width(), h = ctl.Height();
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(ts.BackgroundColor());
    canvas.FillRect({0, 0, w, h});
    if (ts.DitherBackground())
        for (int y = 0; y < h; ++y)
            for (int x = y & 1; x < w; x += 2) canvas.SetPixels(x, y, clBtnHighlight);
    canvas.Brush()->SetColor(clWindowFrame);
    canvas.FillRect({0, 0, w, 1});  // the edge the tabs hang from
    canvas.SetFont(ctl.Font());
    auto drawTab = [&](int i) {
        TRect r = ts.ItemRect(i);
        if (r.Width() <= 0) return;
        bool selected = i == ts.TabIndex();
        TRect body = selected ? TRect{r.Left - 2, 0, r.Right + 2, r.Bottom - 1} : TRect{r.Left, 1, r.Right, r.Bottom - 3};
        canvas.Brush()->SetStyle(bsSolid);
        canvas.Brush()->SetColor(selected ? ts.SelectedColor() : ts.UnselectedColor());
        canvas.FillRect(body);
        canvas.Brush()->SetColor(clWindowFrame);
        canvas.FillRect({body.Left, body.Top, body.Left + 1, body.Bottom});          // left
        canvas.FillRect({body.Right - 1, body.Top, body.Right, body.Bottom});        // right
        canvas.FillRect({body.Left + 1, body.Bottom - 1, body.Right - 1, body.Bottom});  // bottom
        if (selected) {
            canvas.Brush()->SetColor(clBtnHighlight);
            canvas.FillRect({body.Left + 1, body.Top, body.Left + 2, body.Bottom - 1});
            canvas.Brush()->SetColor(clBtnShadow);
            canvas.FillRect({body.Right - 2, body.Top, body.Right - 1, body.Bottom - 1});
            canvas.FillRect({body.Left + 2, body.Bottom - 2, body.Right - 2, body.Bottom - 1});
        }
        canvas.Brush()->SetStyle(bsClear);
        canvas.Font()->SetColor(ctl.Enabled() ? ctl.Font()->Color() : clGrayText);
        TRect text{r.Left, body.Top, r.Right, body.Bottom};
        canvas.DrawText(ts.Tabs()->Strings(i), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    };
    // The selected tab last, so it lies over its neighbours.
    for (int i = ts.FirstIndex(); i < ts.Tabs()->Count(); ++i)
        if (i != ts.TabIndex()) drawTab(i);
    if (ts.TabIndex() >= ts.FirstIndex()) drawTab(ts.TabIndex());
}

// ---- Spin button -------------------------------------------------------------------------------

void PaintSpinButton(TControl& ctl, TCanvas& canvas) {
    auto& sp = static_cast<TSpinButton&>(ctl);
    int w = ctl.Width(), h = ctl.Height();
    int half = h / 2;  // the model: a press above half is the up button
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(clBtnFace);
    canvas.FillRect({0, 0, w, h});
    bool enabled = ctl.Enabled();
    int arrow = std::max(3, std::min(w - 6, 7)) | 1;
    for (int part = 0; part < 2; ++part) {
        bool up = part == 0;
        TRect r = up ? TRect{0, 0, w, half} : TRect{0, half, w, h};
        bool pressed = sp.PressedHalf() == (up ? 1 : -1);
        if (pressed) {
            Frame3D(canvas, r, clBtnShadow, clBtnShadow);
        } else {
            Frame3D(canvas, r, clBtnHighlight, cl3DDkShadow);
            Frame3D(canvas, {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, clBtnFace, clBtnShadow);
        }
        TRect inner = OffsetRect(r, pressed ? 1 : 0, pressed ? 1 : 0);
        if (enabled) {
            Arrow(canvas, inner, up, arrow, clBtnText);
        } else {
            Arrow(canvas, OffsetRect(inner, 1, 1), up, arrow, clBtnHighlight);
            Arrow(canvas, inner, up, arrow, clBtnShadow);
        }
    }
}

}  // namespace

void InstallQtStandardPainters() {
    RegisterQtPainter(TCustomTreeView::StaticClass(), PaintTreeView);
    RegisterQtPainter(TToolBar::StaticClass(), PaintToolBar);
    RegisterQtPainter(TToolButton::StaticClass(), PaintToolButton);
    RegisterQtPainter(TStatusBar::StaticClass(), PaintStatusBar);
    RegisterQtPainter(TTabSet::StaticClass(), PaintTabSet);
    RegisterQtPainter(TSpinButton::StaticClass(), PaintSpinButton);
}

}  // namespace plat
