#include "platform/widgets/Grids.h"

#include <algorithm>

#include "platform/forms/DfmReader.h"
#include "platform/forms/Forms.h"

namespace plat {

PLAT_DEFINE_ENUM(TGridOption, "goFixedVertLine", "goFixedHorzLine", "goVertLine", "goHorzLine", "goRangeSelect",
                 "goDrawFocusSelected", "goRowSizing", "goColSizing", "goRowMoving", "goColMoving", "goEditing",
                 "goTabs", "goRowSelect", "goAlwaysShowEditor", "goThumbTracking")
PLAT_DEFINE_SET(TGridOptions, TGridOption)
PLAT_DEFINE_ENUM(TGridDrawStateItem, "gdSelected", "gdFocused", "gdFixed")
PLAT_DEFINE_SET(TGridDrawState, TGridDrawStateItem)
PLAT_DEFINE_ENUM(TEditStyle, "esSimple", "esEllipsis", "esPickList")

namespace {
// A number of a description list; anything else is a read error.
int ListInt(const std::string& s) {
    try {
        size_t used = 0;
        int v = std::stoi(s, &used);
        if (used == s.size()) return v;
    } catch (const std::exception&) {
    }
    throw EReadError("Invalid number in list: " + s);
}
}  // namespace

// ---- In-place editors ----------------------------------------------------------------------

PLAT_REGISTER_CLASS(TInplaceEdit, TCustomEdit) {}

TInplaceEdit::TInplaceEdit(TComponent* owner) : TCustomEdit(owner) {
    fGrid = dynamic_cast<TCustomGrid*>(owner);
    fVisible = false;
    fTabStop = false;
    fAutoSelect = true;
}

uint32_t TInplaceEdit::DialogCode() const {
    uint32_t code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (fGrid && fGrid->Options().Contains(goTabs)) code |= DLGC_WANTTAB;
    return code;
}

void TInplaceEdit::UpdateContents() {
    if (!fGrid) return;
    fSetting = true;
    fOriginal = fGrid->GetEditText(fGrid->Col(), fGrid->Row());
    SetText(fOriginal);
    fSetting = false;
    SetReadOnly(!fGrid->CanEditModify());
    fModified = false;
    SelectAll();
}

bool TInplaceEdit::IsGridKey(uint16_t key, TShiftState shift) const {
    switch (key) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT: return true;
        case VK_TAB: return !shift.Contains(ssAlt);
        case VK_LEFT: return fSelLength == 0 && fSelStart == 0;
        case VK_RIGHT: return fSelLength == 0 && fSelStart == static_cast<int>(fText.size());
        case VK_HOME:
        case VK_END: return shift.Contains(ssCtrl);
        case VK_DELETE: return shift.Contains(ssCtrl);
        default: return false;
    }
}

void TInplaceEdit::KeyDown(uint16_t& key, TShiftState shift) {
    TCustomEdit::KeyDown(key, shift);
    if (key == 0 || !fGrid) return;
    TComponentWatch w(fGrid);
    // The grid's own handler sees every key typed into its editor.
    fGrid->OnKeyDown(fGrid, key, shift);
    if (key == 0 || !w.Target) {
        key = 0;
        return;
    }
    if (IsGridKey(key, shift)) {
        fGrid->DefaultKeyDown(key, shift);
        key = 0;
    }
}

void TInplaceEdit::DefaultKeyDown(uint16_t key, TShiftState shift) {
    if (key == VK_ESCAPE && fGrid) {
        fSetting = true;
        SetText(fOriginal);
        fSetting = false;
        if (fGrid->CanEditModify()) fGrid->SetEditText(fGrid->Col(), fGrid->Row(), fOriginal);
        if (!fGrid->Options().Contains(goAlwaysShowEditor)) fGrid->HideEditor();
        return;
    }
    if (key == VK_F2) {
        fSelStart = static_cast<int>(fText.size());
        fSelLength = 0;
        return;
    }
    TCustomEdit::DefaultKeyDown(key, shift);
}

void TInplaceEdit::KeyPress(char& key) {
    TCustomEdit::KeyPress(key);
    if (key && fGrid) fGrid->OnKeyPress(fGrid, key);
    if (key && fGrid && fGrid->CellKeyPress(key)) key = 0;
    unsigned char u = static_cast<unsigned char>(key);
    if (u >= 32 && fGrid && !fGrid->CanEditAcceptKey(key)) key = 0;
}

void TInplaceEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomEdit::MouseUp(button, shift, x, y);
    if (button == mbLeft && fGrid) fGrid->EditorClicked();
}

void TInplaceEdit::DefaultChar(char key) {
    if (key == '\r' && fGrid) {
        if (!fGrid->Options().Contains(goAlwaysShowEditor)) {
            fGrid->HideEditor();
        } else {
            fSelStart = static_cast<int>(fText.size());
            fSelLength = 0;
        }
        return;
    }
    if (key == '\t' || key == 27) return;
    TCustomEdit::DefaultChar(key);
}

void TInplaceEdit::Change() {
    TCustomEdit::Change();
    if (!fSetting && fGrid && fGrid->CanEditModify()) fGrid->SetEditText(fGrid->Col(), fGrid->Row(), fText);
}

PLAT_REGISTER_CLASS(TInplaceEditList, TInplaceEdit) {}

TInplaceEditList::TInplaceEditList(TComponent* owner) : TInplaceEdit(owner), fPickList(std::make_unique<TStringList>()) {}

void TInplaceEditList::SetEditStyle(TEditStyle s) {
    if (s == fEditStyle) return;
    if (fListVisible) CloseUp(false);
    fEditStyle = s;
    Changed(TPeerChange::Style);
}

void TInplaceEditList::SetPickIndex(int i) {
    if (fPickList->Count() == 0) {
        fPickIndex = -1;
        return;
    }
    fPickIndex = std::clamp(i, 0, fPickList->Count() - 1);
}

void TInplaceEditList::DropDown() {
    if (fEditStyle != esPickList || fListVisible) return;
    fListVisible = true;
    fPickIndex = fPickList->IndexOf(fText);
}

void TInplaceEditList::CloseUp(bool accept) {
    if (!fListVisible) return;
    fListVisible = false;
    if (accept && fPickIndex >= 0 && fPickIndex < fPickList->Count() && !fReadOnly) {
        fModified = true;
        SetText(fPickList->Strings(fPickIndex));
        SelectAll();
    }
}

void TInplaceEditList::EditButtonClick() {
    if (fEditStyle != esEllipsis) return;
    TComponentWatch w(this);
    OnEditButtonClick(this);
    if (w.Target && fGrid) fGrid->EditButtonClicked();
}

void TInplaceEditList::UpdateContents() {
    if (fListVisible) CloseUp(false);
    if (fGrid) {
        SetEditStyle(fGrid->GetEditStyle(fGrid->Col(), fGrid->Row()));
        fGrid->GetPickListItems(fGrid->Col(), fGrid->Row(), fPickList.get());
    }
    TInplaceEdit::UpdateContents();
}

bool TInplaceEditList::IsGridKey(uint16_t key, TShiftState shift) const {
    if (fListVisible && (key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT)) return false;
    if (fEditStyle == esPickList && key == VK_DOWN && shift.Contains(ssAlt)) return false;
    return TInplaceEdit::IsGridKey(key, shift);
}

void TInplaceEditList::KeyDown(uint16_t& key, TShiftState shift) {
    if (fListVisible) {
        switch (key) {
            case VK_UP: SetPickIndex(fPickIndex - 1); key = 0; return;
            case VK_DOWN: SetPickIndex(fPickIndex < 0 ? 0 : fPickIndex + 1); key = 0; return;
            case VK_PRIOR: SetPickIndex(0); key = 0; return;
            case VK_NEXT: SetPickIndex(fPickList->Count() - 1); key = 0; return;
            case VK_RETURN: CloseUp(true); key = 0; return;
            case VK_ESCAPE: CloseUp(false); key = 0; return;
            default: break;
        }
    }
    if (fEditStyle == esPickList && (key == VK_F4 || (key == VK_DOWN && shift.Contains(ssAlt)))) {
        DropDown();
        key = 0;
        return;
    }
    if (fEditStyle == esEllipsis && key == VK_RETURN && shift.Contains(ssCtrl)) {
        EditButtonClick();
        key = 0;
        return;
    }
    TInplaceEdit::KeyDown(key, shift);
}

void TInplaceEditList::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button != mbLeft || fEditStyle == esSimple || x < fWidth - ButtonWidth() || x >= fWidth) {
        TInplaceEdit::MouseUp(button, shift, x, y);
        return;
    }
    if (fEditStyle == esEllipsis) EditButtonClick();
    else if (fListVisible) CloseUp(false);
    else DropDown();
}

// ---- TCustomGrid ---------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TCustomGrid, TCustomControl) {
    b.Property("BorderStyle", &TCustomGrid::BorderStyle, &TCustomGrid::SetBorderStyle).Type(TypeBorderStyle()).Unpublished();
    b.Property("ColCount", &TCustomGrid::ColCount, &TCustomGrid::SetColCount).Unpublished();
    b.Property("DefaultColWidth", &TCustomGrid::DefaultColWidth, &TCustomGrid::SetDefaultColWidth).Unpublished();
    b.Property("DefaultDrawing", &TCustomGrid::DefaultDrawing, &TCustomGrid::SetDefaultDrawing).Unpublished();
    b.Property("DefaultRowHeight", &TCustomGrid::DefaultRowHeight, &TCustomGrid::SetDefaultRowHeight).Unpublished();
    b.Property("FixedColor", &TCustomGrid::FixedColor, &TCustomGrid::SetFixedColor).Type(TypeColor()).Unpublished();
    b.Property("FixedCols", &TCustomGrid::FixedCols, &TCustomGrid::SetFixedCols).Unpublished();
    b.Property("FixedRows", &TCustomGrid::FixedRows, &TCustomGrid::SetFixedRows).Unpublished();
    b.Property("GridLineWidth", &TCustomGrid::GridLineWidth, &TCustomGrid::SetGridLineWidth).Unpublished();
    b.Property("Options", &TCustomGrid::Options, &TCustomGrid::SetOptions).Unpublished();
    b.Property("RowCount", &TCustomGrid::RowCount, &TCustomGrid::SetRowCount).Unpublished();
    b.Property("ScrollBars", &TCustomGrid::ScrollBars, &TCustomGrid::SetScrollBars).Unpublished();
    // Run-time properties (not stored): reachable by name, as scripts and condition texts do.
    b.Property("Col", &TCustomGrid::Col, &TCustomGrid::SetCol).NotStored().Unpublished();
    b.Property("Row", &TCustomGrid::Row, &TCustomGrid::SetRow).NotStored().Unpublished();
    b.Property("TopRow", &TCustomGrid::TopRow, &TCustomGrid::SetTopRow).NotStored().Unpublished();
    b.Property("LeftCol", &TCustomGrid::LeftCol, &TCustomGrid::SetLeftCol).NotStored().Unpublished();
    b.Property("EditorMode", &TCustomGrid::EditorMode, &TCustomGrid::SetEditorMode).NotStored().Unpublished();
    b.Message(WM_SETFOCUS, &TCustomGrid::WMSetFocus);
}

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner) {
    fWidth = 320;
    fHeight = 120;
    fTabStop = true;
    fColor = clWindow;
    fParentColor = false;
    fColWidths.assign(5, fDefaultColWidth);
    fRowHeights.assign(5, fDefaultRowHeight);
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::CheckCounts(int cols, int rows, int fixedCols, int fixedRows) const {
    if (cols < 0 || rows < 0 || fixedCols < 0 || fixedRows < 0) throw EInvalidGridOperation("Grid index out of range");
    if (fixedCols >= cols && cols > 0) throw EInvalidGridOperation("Fixed column count must be less than column count");
    if (fixedRows >= rows && rows > 0) throw EInvalidGridOperation("Fixed row count must be less than row count");
}

void TCustomGrid::SetColCount(int v) {
    if (v == ColCount()) return;
    int fixed = fFixedCols;
    if (v <= fixed) fixed = std::max(0, v - 1);
    CheckCounts(v, RowCount(), fixed, fFixedRows);
    int old = ColCount();
    fColWidths.resize(static_cast<size_t>(v), fDefaultColWidth);
    fFixedCols = fixed;
    SizeChanged(old, RowCount());
    int maxc = std::max(fFixedCols, v - 1);
    fCol = std::clamp(fCol, fFixedCols, maxc);
    fAnchor.X = std::clamp(fAnchor.X, fFixedCols, maxc);
    fLeftCol = std::clamp(fLeftCol, fFixedCols, maxc);
    if (fEditorMode && fEditor) fEditor->UpdateContents();
    Invalidate();
}

void TCustomGrid::SetRowCount(int v) {
    if (v == RowCount()) return;
    int fixed = fFixedRows;
    if (v <= fixed) fixed = std::max(0, v - 1);
    CheckCounts(ColCount(), v, fFixedCols, fixed);
    int old = RowCount();
    fRowHeights.resize(static_cast<size_t>(v), fDefaultRowHeight);
    fFixedRows = fixed;
    SizeChanged(ColCount(), old);
    int maxr = std::max(fFixedRows, v - 1);
    fRow = std::clamp(fRow, fFixedRows, maxr);
    fAnchor.Y = std::clamp(fAnchor.Y, fFixedRows, maxr);
    fTopRow = std::clamp(fTopRow, fFixedRows, maxr);
    if (fEditorMode && fEditor) fEditor->UpdateContents();
    Invalidate();
}

void TCustomGrid::SetFixedCols(int v) {
    if (v == fFixedCols) return;
    CheckCounts(ColCount(), RowCount(), v, fFixedRows);
    fFixedCols = v;
    fCol = std::max(fCol, v);
    fAnchor.X = std::max(fAnchor.X, v);
    fLeftCol = std::max(fLeftCol, v);
    Invalidate();
}

void TCustomGrid::SetFixedRows(int v) {
    if (v == fFixedRows) return;
    CheckCounts(ColCount(), RowCount(), fFixedCols, v);
    fFixedRows = v;
    fRow = std::max(fRow, v);
    fAnchor.Y = std::max(fAnchor.Y, v);
    fTopRow = std::max(fTopRow, v);
    Invalidate();
}

void TCustomGrid::SetDefaultColWidth(int v) {
    fDefaultColWidth = v;
    std::fill(fColWidths.begin(), fColWidths.end(), v);
    Invalidate();
}

void TCustomGrid::SetDefaultRowHeight(int v) {
    fDefaultRowHeight = v;
    std::fill(fRowHeights.begin(), fRowHeights.end(), v);
    if (fEditorMode && fEditor) fEditor->UpdateContents();
    Invalidate();
}

int TCustomGrid::ColWidths(int c) const {
    if (c < 0 || c >= ColCount()) return fDefaultColWidth;
    return fColWidths[static_cast<size_t>(c)];
}

void TCustomGrid::SetColWidths(int c, int w) {
    if (c < 0 || c >= ColCount()) throw EInvalidGridOperation("Grid index out of range");
    fColWidths[static_cast<size_t>(c)] = std::max(0, w);
    Invalidate();
}

int TCustomGrid::RowHeights(int r) const {
    if (r < 0 || r >= RowCount()) return fDefaultRowHeight;
    return fRowHeights[static_cast<size_t>(r)];
}

void TCustomGrid::SetRowHeights(int r, int h) {
    if (r < 0 || r >= RowCount()) throw EInvalidGridOperation("Grid index out of range");
    fRowHeights[static_cast<size_t>(r)] = std::max(0, h);
    Invalidate();
}

void TCustomGrid::SetGridLineWidth(int v) {
    fGridLineWidth = std::max(0, v);
    Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions o) {
    if (o == fOptions) return;
    fOptions = o;
    if (!o.Contains(goEditing)) HideEditor();
    else if (o.Contains(goAlwaysShowEditor) && Focused()) ShowEditor();
    if (o.Contains(goRowSelect)) fAnchor = {fFixedCols, fRow};
    Invalidate();
}

void TCustomGrid::SetFixedColor(TColor c) {
    fFixedColor = c;
    Invalidate();
}

void TCustomGrid::SetCol(int c) { FocusCell(c, fRow, true); }
void TCustomGrid::SetRow(int r) { FocusCell(fCol, r, true); }

bool TCustomGrid::SelectCell(int c, int r) {
    bool ok = true;
    OnSelectCell(this, c, r, ok);
    return ok;
}

bool TCustomGrid::FocusCell(int c, int r, bool moveAnchor) {
    if (ColCount() <= fFixedCols || RowCount() <= fFixedRows) return false;
    if (c < fFixedCols || c >= ColCount() || r < fFixedRows || r >= RowCount())
        throw EInvalidGridOperation("Grid index out of range");
    if (c == fCol && r == fRow) {
        if (moveAnchor) fAnchor = {c, r};
        return true;
    }
    if (!SelectCell(c, r)) return false;
    // Leaving a cell finishes its edit; the text is already in the cell, hiding keeps it there.
    bool wasEditing = fEditorMode;
    if (wasEditing && !fOptions.Contains(goAlwaysShowEditor)) HideEditor();
    fCol = c;
    fRow = r;
    if (moveAnchor || !fOptions.Contains(goRangeSelect)) fAnchor = {c, r};
    if (fOptions.Contains(goRowSelect)) fAnchor.X = fFixedCols;
    MakeVisible(c, r);
    if (fEditorMode && fEditor) fEditor->UpdateContents();
    else if (fOptions.Contains(goAlwaysShowEditor) && Focused()) ShowEditor();
    Invalidate();
    return true;
}

TGridRect TCustomGrid::Selection() const {
    TGridRect s{std::min(fAnchor.X, fCol), std::min(fAnchor.Y, fRow), std::max(fAnchor.X, fCol),
                std::max(fAnchor.Y, fRow)};
    if (fOptions.Contains(goRowSelect)) {
        s.Left = fFixedCols;
        s.Right = ColCount() - 1;
    }
    return s;
}

void TCustomGrid::SetSelection(TGridRect r) {
    // The current cell goes to the top left corner, the anchor to the far one.
    if (!FocusCell(r.Left, r.Top, true)) return;
    if (fOptions.Contains(goRangeSelect))
        fAnchor = {std::clamp(r.Right, fFixedCols, ColCount() - 1), std::clamp(r.Bottom, fFixedRows, RowCount() - 1)};
    Invalidate();
}

void TCustomGrid::SetTopRow(int r) {
    r = std::clamp(r, fFixedRows, std::max(fFixedRows, RowCount() - 1));
    if (r == fTopRow) return;
    fTopRow = r;
    TopLeftChanged();
    Invalidate();
}

void TCustomGrid::SetLeftCol(int c) {
    c = std::clamp(c, fFixedCols, std::max(fFixedCols, ColCount() - 1));
    if (c == fLeftCol) return;
    fLeftCol = c;
    TopLeftChanged();
    Invalidate();
}

int TCustomGrid::VisibleColCount() const {
    int x = 0;
    for (int c = 0; c < fFixedCols; ++c) x += ColWidths(c) + fGridLineWidth;
    int n = 0;
    for (int c = fLeftCol; c < ColCount(); ++c) {
        x += ColWidths(c) + fGridLineWidth;
        if (x > ClientWidth()) break;
        ++n;
    }
    return n;
}

int TCustomGrid::VisibleRowCount() const {
    int y = 0;
    for (int r = 0; r < fFixedRows; ++r) y += RowHeights(r) + fGridLineWidth;
    int n = 0;
    for (int r = fTopRow; r < RowCount(); ++r) {
        y += RowHeights(r) + fGridLineWidth;
        if (y > ClientHeight()) break;
        ++n;
    }
    return n;
}

int TCustomGrid::MaxTopRow() const {
    int room = ClientHeight();
    for (int r = 0; r < fFixedRows; ++r) room -= RowHeights(r) + fGridLineWidth;
    int top = RowCount() - 1;
    for (int r = RowCount() - 1; r >= fFixedRows; --r) {
        room -= RowHeights(r) + fGridLineWidth;
        if (room < 0) break;
        top = r;
    }
    return std::max(fFixedRows, top);
}

int TCustomGrid::MaxLeftCol() const {
    int room = ClientWidth();
    for (int c = 0; c < fFixedCols; ++c) room -= ColWidths(c) + fGridLineWidth;
    int left = ColCount() - 1;
    for (int c = ColCount() - 1; c >= fFixedCols; --c) {
        room -= ColWidths(c) + fGridLineWidth;
        if (room < 0) break;
        left = c;
    }
    return std::max(fFixedCols, left);
}

TScrollBarInfo TCustomGrid::ScrollBarInfo(TScrollBarKind kind) const {
    TScrollBarInfo info;
    bool vertical = kind == sbVertical;
    int count = vertical ? RowCount() : ColCount();
    int fixed = vertical ? fFixedRows : fFixedCols;
    if (count <= fixed) return info;
    int maxPos = vertical ? MaxTopRow() : MaxLeftCol();
    int pos = vertical ? fTopRow : fLeftCol;
    info.Min = fixed;
    info.Max = count - 1;
    info.Page = count - maxPos;  // so MaxPos() is the last position that fills the client area
    info.Pos = pos;
    bool allowed = fScrollBars == ssBoth || fScrollBars == (vertical ? ssVertical : ssHorizontal);
    info.Visible = allowed && (maxPos > fixed || pos > fixed);
    return info;
}

void TCustomGrid::ScrollBarMoved(TScrollBarKind kind, int pos) {
    if (kind == sbVertical) SetTopRow(pos);
    else SetLeftCol(pos);
}

void TCustomGrid::MakeVisible(int c, int r) {
    if (r >= fFixedRows) {
        if (r < fTopRow) SetTopRow(r);
        else
            while (r >= fTopRow + std::max(1, VisibleRowCount()) && fTopRow < r) SetTopRow(fTopRow + 1);
    }
    if (c >= fFixedCols) {
        if (c < fLeftCol) SetLeftCol(c);
        else
            while (c >= fLeftCol + std::max(1, VisibleColCount()) && fLeftCol < c) SetLeftCol(fLeftCol + 1);
    }
}

TRect TCustomGrid::CellRect(int c, int r) const {
    if (c < 0 || c >= ColCount() || r < 0 || r >= RowCount()) return {};
    if ((c >= fFixedCols && c < fLeftCol) || (r >= fFixedRows && r < fTopRow)) return {};
    int x = 0;
    for (int i = 0; i < fFixedCols && i < c; ++i) x += ColWidths(i) + fGridLineWidth;
    for (int i = std::max(fLeftCol, fFixedCols); i < c; ++i) x += ColWidths(i) + fGridLineWidth;
    int y = 0;
    for (int i = 0; i < fFixedRows && i < r; ++i) y += RowHeights(i) + fGridLineWidth;
    for (int i = std::max(fTopRow, fFixedRows); i < r; ++i) y += RowHeights(i) + fGridLineWidth;
    if (x >= ClientWidth() || y >= ClientHeight()) return {};
    return {x, y, x + ColWidths(c), y + RowHeights(r)};
}

TGridCoord TCustomGrid::MouseCoord(int x, int y) const {
    TGridCoord g{-1, -1};
    auto find = [&](int pos, int count, int fixed, int first, auto size, int& out) {
        int p = 0;
        for (int i = 0; i < count; ++i) {
            if (i >= fixed && i < first) continue;
            int e = p + size(i) + fGridLineWidth;
            if (pos >= p && pos < e) {
                out = i;
                return;
            }
            p = e;
        }
    };
    find(x, ColCount(), fFixedCols, fLeftCol, [this](int i) { return ColWidths(i); }, g.X);
    find(y, RowCount(), fFixedRows, fTopRow, [this](int i) { return RowHeights(i); }, g.Y);
    if (g.X < 0 || g.Y < 0) return {-1, -1};
    return g;
}

void TCustomGrid::MouseToCell(int x, int y, int& c, int& r) const {
    TGridCoord g = MouseCoord(x, y);
    c = g.X;
    r = g.Y;
}

// ---- Editing -------------------------------------------------------------------------------

std::string TCustomGrid::GetEditText(int c, int r) {
    std::string s;
    OnGetEditText(this, c, r, s);
    return s;
}

void TCustomGrid::SetEditText(int c, int r, const std::string& value) { OnSetEditText(this, c, r, value); }

std::string TCustomGrid::GetEditMask(int c, int r) {
    std::string s;
    OnGetEditMask(this, c, r, s);
    return s;
}

bool TCustomGrid::CanEditShow() const {
    return fOptions.Contains(goEditing) && !fOptions.Contains(goRowSelect) && ColCount() > fFixedCols &&
           RowCount() > fFixedRows && !IsDestroying();
}

TInplaceEdit* TCustomGrid::CreateEditor() { return CreateObject<TInplaceEdit>(this); }

void TCustomGrid::ShowEditor() {
    if (!CanEditShow()) return;
    if (!fEditor) {
        fEditor = CreateEditor();
        fEditor->SetParent(this);
    }
    MakeVisible(fCol, fRow);
    TRect r = CellRect(fCol, fRow);
    fEditor->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    fEditorMode = true;
    fEditor->UpdateContents();
    fEditor->SetVisible(true);
    if (Focused() && fEditor->CanFocus()) fEditor->SetFocus();
}

void TCustomGrid::HideEditor() {
    if (!fEditorMode) return;
    fEditorMode = false;
    if (!fEditor) return;
    bool hadFocus = fEditor->Focused();
    if (auto* list = dynamic_cast<TInplaceEditList*>(fEditor)) list->CloseUp(false);
    fEditor->SetVisible(false);
    if (hadFocus && CanFocus()) SetFocus();
}

void TCustomGrid::SetEditorMode(bool v) {
    if (v) ShowEditor();
    else HideEditor();
}

void TCustomGrid::UpdateText() {
    if (fEditorMode && fEditor && CanEditModify()) SetEditText(fCol, fRow, fEditor->Text());
}

void TCustomGrid::DoEnter() {
    TCustomControl::DoEnter();
    if (fOptions.Contains(goAlwaysShowEditor) && !fEditorMode) ShowEditor();
}

void TCustomGrid::WMSetFocus(TMessage& msg) {
    InheritedMessage(msg, StaticClass());
    // The focus goes on to a shown editor once the grid's own focus change has finished.
    if (Focused() && fEditorMode && fEditor && fEditor->CanFocus()) fEditor->SetFocus();
}

// ---- Rows and columns ----------------------------------------------------------------------

void TCustomGrid::MoveRow(int from, int to) {
    if (from < 0 || from >= RowCount() || to < 0 || to >= RowCount()) throw EInvalidGridOperation("Grid index out of range");
    if (from == to) return;
    int h = fRowHeights[static_cast<size_t>(from)];
    fRowHeights.erase(fRowHeights.begin() + from);
    fRowHeights.insert(fRowHeights.begin() + to, h);
    RowMoved(from, to);
    if (fEditorMode && fEditor) fEditor->UpdateContents();
    Invalidate();
}

void TCustomGrid::MoveColumn(int from, int to) {
    if (from < 0 || from >= ColCount() || to < 0 || to >= ColCount()) throw EInvalidGridOperation("Grid index out of range");
    if (from == to) return;
    int w = fColWidths[static_cast<size_t>(from)];
    fColWidths.erase(fColWidths.begin() + from);
    fColWidths.insert(fColWidths.begin() + to, w);
    ColumnMoved(from, to);
    if (fEditorMode && fEditor) fEditor->UpdateContents();
    Invalidate();
}

void TCustomGrid::RowMoved(int from, int to) { OnRowMoved(this, from, to); }
void TCustomGrid::ColumnMoved(int from, int to) { OnColumnMoved(this, from, to); }

void TCustomGrid::DeleteRow(int r) {
    if (r < 0 || r >= RowCount()) throw EInvalidGridOperation("Grid index out of range");
    MoveRow(r, RowCount() - 1);
    SetRowCount(RowCount() - 1);
}

void TCustomGrid::DeleteColumn(int c) {
    if (c < 0 || c >= ColCount()) throw EInvalidGridOperation("Grid index out of range");
    MoveColumn(c, ColCount() - 1);
    SetColCount(ColCount() - 1);
}

void TCustomGrid::InsertRow(int r) {
    if (r < 0 || r > RowCount()) throw EInvalidGridOperation("Grid index out of range");
    SetRowCount(RowCount() + 1);
    MoveRow(RowCount() - 1, r);
}

// ---- Keys and mouse ------------------------------------------------------------------------

uint32_t TCustomGrid::DialogCode() const {
    uint32_t code = DLGC_WANTARROWS;
    if (fOptions.Contains(goTabs) && !fOptions.Contains(goRowSelect)) code |= DLGC_WANTTAB;
    if (fOptions.Contains(goEditing)) code |= DLGC_WANTCHARS;
    return code;
}

void TCustomGrid::DefaultKeyDown(uint16_t key, TShiftState shift) {
    if (ColCount() <= fFixedCols || RowCount() <= fFixedRows) return;
    bool extend = shift.Contains(ssShift) && fOptions.Contains(goRangeSelect) && !fOptions.Contains(goRowSelect);
    bool ctrl = shift.Contains(ssCtrl);
    int c = fCol, r = fRow;
    int lastC = ColCount() - 1, lastR = RowCount() - 1;
    int page = std::max(1, VisibleRowCount());
    switch (key) {
        case VK_UP: --r; break;
        case VK_DOWN: ++r; break;
        case VK_LEFT: if (!fOptions.Contains(goRowSelect)) --c; break;
        case VK_RIGHT: if (!fOptions.Contains(goRowSelect)) ++c; break;
        case VK_PRIOR: r -= page; break;
        case VK_NEXT: r += page; break;
        case VK_HOME: if (ctrl) r = fFixedRows; c = fFixedCols; break;
        case VK_END: if (ctrl) r = lastR; c = lastC; break;
        case VK_TAB:
            if (!fOptions.Contains(goTabs)) return;
            if (shift.Contains(ssShift)) {
                if (--c < fFixedCols) {
                    c = lastC;
                    if (--r < fFixedRows) r = lastR;
                }
            } else if (++c > lastC) {
                c = fFixedCols;
                if (++r > lastR) r = fFixedRows;
            }
            extend = false;
            break;
        case VK_F2:
            if (fOptions.Contains(goEditing)) ShowEditor();
            return;
        default: return;
    }
    c = std::clamp(c, fFixedCols, lastC);
    r = std::clamp(r, fFixedRows, lastR);
    FocusCell(c, r, !extend);
}

void TCustomGrid::DefaultChar(char key) {
    if (!fOptions.Contains(goEditing)) return;
    if (key == '\r') {
        if (fOptions.Contains(goAlwaysShowEditor)) return;
        if (fEditorMode) HideEditor();
        else ShowEditor();
        return;
    }
    if (CellKeyPress(key)) return;
    unsigned char u = static_cast<unsigned char>(key);
    if (u < 32 || u == 127 || !CanEditAcceptKey(key) || !CanEditModify()) return;
    // Typing on a cell starts editing it with that character (replacing the cell's text).
    if (!fEditorMode) {
        ShowEditor();
        if (fEditor) fEditor->SelectAll();
    }
    if (fEditorMode && fEditor) fEditor->DefaultChar(key);
}

int TCustomGrid::SizingColumnAt(int x, int y) const {
    if (!fOptions.Contains(goColSizing)) return -1;
    int rowsTop = 0;
    for (int r = 0; r < fFixedRows; ++r) rowsTop += RowHeights(r) + fGridLineWidth;
    if (y >= rowsTop && fFixedRows > 0) return -1;
    for (int c = 0; c < ColCount(); ++c) {
        TRect cr = CellRect(c, 0);
        if (cr.Width() == 0 && cr.Right == 0) continue;
        if (std::abs(x - cr.Right) <= 2) return c;
    }
    return -1;
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft) return;
    fSizingCol = SizingColumnAt(x, y);
    if (fSizingCol >= 0) {
        fSizingStartX = x;
        fSizingStartWidth = ColWidths(fSizingCol);
        return;
    }
    TGridCoord g = MouseCoord(x, y);
    if (g.X < fFixedCols || g.Y < fFixedRows) return;
    bool extend = shift.Contains(ssShift) && fOptions.Contains(goRangeSelect);
    bool same = g.X == fCol && g.Y == fRow;
    FocusCell(g.X, g.Y, !extend);
    if (same && fOptions.Contains(goEditing) && !fEditorMode) ShowEditor();
}

void TCustomGrid::MouseMove(TShiftState shift, int x, int y) {
    TCustomControl::MouseMove(shift, x, y);
    if (fSizingCol >= 0 && shift.Contains(ssLeft)) SetColWidths(fSizingCol, std::max(0, fSizingStartWidth + x - fSizingStartX));
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (fSizingCol >= 0) {
        SetColWidths(fSizingCol, std::max(0, fSizingStartWidth + x - fSizingStartX));
        fSizingCol = -1;
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

void TCustomGrid::Resize() {
    TCustomControl::Resize();
    if (fEditorMode && fEditor) {
        TRect r = CellRect(fCol, fRow);
        fEditor->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    }
}

// ---- Painting ------------------------------------------------------------------------------

void TCustomGrid::DrawCell(TCanvas& canvas, int c, int r, const TRect& rect, TGridDrawState state) {
    (void)canvas;
    OnDrawCell(this, c, r, rect, state);
}

void TCustomGrid::PaintTo(TCanvas& canvas) {
    canvas.Brush()->SetColor(fColor);
    canvas.FillRect(ClientRect());
    TGridRect sel = Selection();
    for (int r = 0; r < RowCount(); ++r) {
        for (int c = 0; c < ColCount(); ++c) {
            TRect rc = CellRect(c, r);
            if (rc.Width() <= 0 || rc.Height() <= 0) continue;
            TGridDrawState st;
            bool fixed = c < fFixedCols || r < fFixedRows;
            if (fixed) st.Include(gdFixed);
            else {
                if (c == fCol && r == fRow) st.Include(gdFocused);
                if (sel.Contains(c, r)) st.Include(gdSelected);
            }
            canvas.Font()->Assign(fFont.get());
            if (fDefaultDrawing) {
                TColor bg = fixed ? fFixedColor : fColor;
                if (st.Contains(gdSelected) && (!st.Contains(gdFocused) || fOptions.Contains(goDrawFocusSelected) ||
                                                fOptions.Contains(goRowSelect))) {
                    bg = clHighlight;
                    canvas.Font()->SetColor(clHighlightText);
                }
                canvas.Brush()->SetColor(bg);
                canvas.FillRect(rc);
            }
            DrawCell(canvas, c, r, rc, st);
            if (fDefaultDrawing && st.Contains(gdFocused) && !fEditorMode) canvas.DrawFocusRect(rc);
            bool vert = fixed ? fOptions.Contains(goFixedVertLine) : fOptions.Contains(goVertLine);
            bool horz = fixed ? fOptions.Contains(goFixedHorzLine) : fOptions.Contains(goHorzLine);
            canvas.Pen()->SetColor(fixed ? clBlack : clSilver);
            if (vert && fGridLineWidth > 0) {
                canvas.MoveTo(rc.Right, rc.Top);
                canvas.LineTo(rc.Right, rc.Bottom + 1);
            }
            if (horz && fGridLineWidth > 0) {
                canvas.MoveTo(rc.Left, rc.Bottom);
                canvas.LineTo(rc.Right + 1, rc.Bottom);
            }
        }
    }
}

bool TCustomGrid::ReadDefinedProperty(const std::string& name, const TDfmValue& value) {
    bool cols = SameName(name, "ColWidths"), rows = SameName(name, "RowHeights");
    if (!cols && !rows) return TCustomControl::ReadDefinedProperty(name, value);
    std::vector<std::string> items = value.StringList();
    for (size_t i = 0; i < items.size(); ++i) {
        int v = ListInt(items[i]);
        if (cols && static_cast<int>(i) < ColCount()) fColWidths[i] = v;
        if (rows && static_cast<int>(i) < RowCount()) fRowHeights[i] = v;
    }
    return true;
}

// ---- TDrawGrid -----------------------------------------------------------------------------

namespace {
template <class B>
void PublishGrid(B& b) {
    b.Publish({"Align", "Anchors", "BorderStyle", "Color", "ColCount", "Ctl3D", "DefaultColWidth",
               "DefaultRowHeight", "DefaultDrawing", "DragCursor", "DragKind", "DragMode", "Enabled", "FixedColor",
               "FixedCols", "RowCount", "FixedRows", "Font", "GridLineWidth", "Options",
               "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu", "ScrollBars", "ShowHint",
               "TabOrder", "TabStop", "Visible", "OnClick", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDock",
               "OnEndDrag", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove",
               "OnMouseUp", "OnStartDock", "OnStartDrag"});
}
}  // namespace

PLAT_REGISTER_CLASS(TDrawGrid, TCustomGrid) {
    PublishGrid(b);
    b.Event("OnColumnMoved", &TDrawGrid::OnColumnMoved);
    b.Event("OnDrawCell", &TDrawGrid::OnDrawCell);
    b.Event("OnGetEditMask", &TDrawGrid::OnGetEditMask);
    b.Event("OnGetEditText", &TDrawGrid::OnGetEditText);
    b.Event("OnRowMoved", &TDrawGrid::OnRowMoved);
    b.Event("OnSelectCell", &TDrawGrid::OnSelectCell);
    b.Event("OnSetEditText", &TDrawGrid::OnSetEditText);
    b.Event("OnTopLeftChanged", &TDrawGrid::OnTopLeftChanged);
}

// ---- TStringGrid ---------------------------------------------------------------------------

namespace {
// A column or a row of a string grid seen as a string list.
class TStringGridStrings : public TStrings {
public:
    TStringGridStrings(TStringGrid* grid, bool column, int index) : fGrid(grid), fColumn(column), fIndex(index) {}
    std::string Get(int i) const override {
        CheckIndex(i, GetCount());
        return fColumn ? fGrid->Cells(fIndex, i) : fGrid->Cells(i, fIndex);
    }
    int GetCount() const override { return fColumn ? fGrid->RowCount() : fGrid->ColCount(); }
    void Put(int i, const std::string& s) override {
        CheckIndex(i, GetCount());
        if (fColumn) fGrid->SetCells(fIndex, i, s);
        else fGrid->SetCells(i, fIndex, s);
    }
    TObject* GetObject(int i) const override {
        CheckIndex(i, GetCount());
        return fColumn ? fGrid->Objects(fIndex, i) : fGrid->Objects(i, fIndex);
    }
    void PutObject(int i, TObject* o) override {
        CheckIndex(i, GetCount());
        if (fColumn) fGrid->SetObjects(fIndex, i, o);
        else fGrid->SetObjects(i, fIndex, o);
    }
    // The list has as many lines as the grid has cells in that direction: clearing empties
    // them, adding fills the first empty-from-the-end line, inserting and deleting are refused.
    void Clear() override {
        for (int i = 0; i < GetCount(); ++i) {
            Put(i, "");
            PutObject(i, nullptr);
        }
        fAdded = 0;
    }
    int Add(const std::string& s) override { return AddObject(s, nullptr); }
    int AddObject(const std::string& s, TObject* o) override {
        if (fAdded >= GetCount()) Error("List index out of bounds (%d)", fAdded);
        Put(fAdded, s);
        PutObject(fAdded, o);
        return fAdded++;
    }
    void Delete(int i) override { Error("Grid rows and columns cannot delete lines (%d)", i); }
    void Insert(int i, const std::string& s) override {
        if (i == fAdded) {
            AddObject(s, nullptr);
            return;
        }
        Error("Grid rows and columns cannot insert lines (%d)", i);
    }

private:
    TStringGrid* fGrid;
    bool fColumn;
    int fIndex;
    int fAdded = 0;
};
}  // namespace

PLAT_REGISTER_CLASS(TStringGrid, TDrawGrid) {}

TStringGrid::TStringGrid(TComponent* owner) : TDrawGrid(owner) { SizeChanged(0, 0); }

TStringGrid::~TStringGrid() = default;

void TStringGrid::SizeChanged(int, int) {
    size_t cols = static_cast<size_t>(ColCount()), rows = static_cast<size_t>(RowCount());
    fCells.resize(rows);
    for (auto& row : fCells) row.resize(cols);
    fColLists.resize(cols);
    fRowLists.resize(rows);
}

void TStringGrid::CheckCell(int c, int r) const {
    if (c < 0 || r < 0 || c >= ColCount() || r >= RowCount()) throw EInvalidGridOperation("Grid index out of range");
}

std::string TStringGrid::Cells(int c, int r) const {
    if (c < 0 || r < 0 || c >= ColCount() || r >= RowCount()) return {};
    return fCells[static_cast<size_t>(r)][static_cast<size_t>(c)].Text;
}

void TStringGrid::SetCells(int c, int r, const std::string& s) {
    CheckCell(c, r);
    fCells[static_cast<size_t>(r)][static_cast<size_t>(c)].Text = s;
    // An editor showing this cell follows the new text.
    if (fEditorMode && fEditor && c == fCol && r == fRow && fEditor->Text() != s) fEditor->UpdateContents();
    Invalidate();
}

TObject* TStringGrid::Objects(int c, int r) const {
    if (c < 0 || r < 0 || c >= ColCount() || r >= RowCount()) return nullptr;
    return fCells[static_cast<size_t>(r)][static_cast<size_t>(c)].Obj;
}

void TStringGrid::SetObjects(int c, int r, TObject* o) {
    CheckCell(c, r);
    fCells[static_cast<size_t>(r)][static_cast<size_t>(c)].Obj = o;
}

TStrings* TStringGrid::Cols(int c) {
    CheckCell(c, 0);
    auto& p = fColLists[static_cast<size_t>(c)];
    if (!p) p = std::make_unique<TStringGridStrings>(this, true, c);
    return p.get();
}

TStrings* TStringGrid::Rows(int r) {
    CheckCell(0, r);
    auto& p = fRowLists[static_cast<size_t>(r)];
    if (!p) p = std::make_unique<TStringGridStrings>(this, false, r);
    return p.get();
}

std::string TStringGrid::GetEditText(int c, int r) {
    std::string s = Cells(c, r);
    OnGetEditText(this, c, r, s);
    return s;
}

void TStringGrid::SetEditText(int c, int r, const std::string& value) {
    if (c < 0 || r < 0 || c >= ColCount() || r >= RowCount()) return;
    fCells[static_cast<size_t>(r)][static_cast<size_t>(c)].Text = value;
    Invalidate();
    TDrawGrid::SetEditText(c, r, value);
}

void TStringGrid::RowMoved(int from, int to) {
    auto row = std::move(fCells[static_cast<size_t>(from)]);
    fCells.erase(fCells.begin() + from);
    fCells.insert(fCells.begin() + to, std::move(row));
    TDrawGrid::RowMoved(from, to);
}

void TStringGrid::ColumnMoved(int from, int to) {
    for (auto& row : fCells) {
        TCell cell = std::move(row[static_cast<size_t>(from)]);
        row.erase(row.begin() + from);
        row.insert(row.begin() + to, std::move(cell));
    }
    TDrawGrid::ColumnMoved(from, to);
}

void TStringGrid::DrawCellText(TCanvas& canvas, int c, int r, const TRect& rect, TGridDrawState) {
    canvas.Brush()->SetStyle(bsClear);
    canvas.TextRect(rect, rect.Left + 2, rect.Top + 2, Cells(c, r));
    canvas.Brush()->SetStyle(bsSolid);
}

void TStringGrid::DrawCell(TCanvas& canvas, int c, int r, const TRect& rect, TGridDrawState state) {
    if (fDefaultDrawing) DrawCellText(canvas, c, r, rect, state);
    TDrawGrid::DrawCell(canvas, c, r, rect, state);
}

}  // namespace plat
