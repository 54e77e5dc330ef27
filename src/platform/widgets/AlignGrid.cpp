#include "platform/widgets/AlignGrid.h"

#include <algorithm>

#include "platform/forms/DfmReader.h"

namespace plat {

PLAT_DEFINE_ENUM(TCellEditStyle, "cesEdit", "cesEllipsis", "cesPickList", "cesCheckBox")

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

namespace {
// Where index i goes when the line at `from` moves to `to`.
int Moved(int i, int from, int to) {
    if (i == from) return to;
    if (from < to && i > from && i <= to) return i - 1;
    if (from > to && i >= to && i < from) return i + 1;
    return i;
}
template <class M>
void RemapInts(M& m, int from, int to) {
    M out;
    for (auto& [k, v] : m) out[Moved(k, from, to)] = std::move(v);
    m = std::move(out);
}
template <class M>
void RemapPairs(M& m, int from, int to, bool column) {
    M out;
    for (auto& [k, v] : m) {
        auto key = k;
        if (column) key.first = Moved(k.first, from, to);
        else key.second = Moved(k.second, from, to);
        out[key] = std::move(v);
    }
    m = std::move(out);
}
template <class M>
void DropInts(M& m, int count) {
    for (auto it = m.begin(); it != m.end();) it = it->first >= count ? m.erase(it) : std::next(it);
}
template <class M>
void DropPairs(M& m, int cols, int rows) {
    for (auto it = m.begin(); it != m.end();)
        it = (it->first.first >= cols || it->first.second >= rows) ? m.erase(it) : std::next(it);
}
}  // namespace

// ---- TCellEditor ---------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TCellEditor, TPersistent) {
    b.Property("Style", &TCellEditor::Style, &TCellEditor::SetStyle);
    b.Property("Items", &TCellEditor::Items, &TCellEditor::SetItems);
    b.Property("CheckedText", &TCellEditor::CheckedText, &TCellEditor::SetCheckedText);
    b.Property("UncheckedText", &TCellEditor::UncheckedText, &TCellEditor::SetUncheckedText);
}

TCellEditor::TCellEditor() : fItems(std::make_unique<TStringList>()) {}
TCellEditor::~TCellEditor() = default;

void TCellEditor::Assign(TPersistent* source) {
    if (auto* e = dynamic_cast<TCellEditor*>(source)) {
        fStyle = e->fStyle;
        fItems->Assign(e->fItems.get());
        fChecked = e->fChecked;
        fUnchecked = e->fUnchecked;
        return;
    }
    TPersistent::Assign(source);
}

// ---- TStringAlignGrid ----------------------------------------------------------------------

PLAT_REGISTER_CLASS(TStringAlignGrid, TStringGrid) {
    b.Property("Alignment", &TStringAlignGrid::Alignment, &TStringAlignGrid::SetAlignment).Default(taLeftJustify);
    b.Property("ShowCellHints", &TStringAlignGrid::ShowCellHints, &TStringAlignGrid::SetShowCellHints).Default(1);
    b.Event("OnShowHintCell", &TStringAlignGrid::OnShowHintCell);
    b.Event("OnEditButtonClick", &TStringAlignGrid::OnEditButtonClick);
    b.Publish({"Hint"});
}

TStringAlignGrid::TStringAlignGrid(TComponent* owner) : TStringGrid(owner) {}
TStringAlignGrid::~TStringAlignGrid() = default;

void TStringAlignGrid::SetAlignment(TAlignment a) {
    fAlignment = a;
    Invalidate();
}
void TStringAlignGrid::SetAlignCell(int c, int r, TAlignment a) {
    CheckCell(c, r);
    fCellAlign[{c, r}] = a;
    Invalidate();
}
void TStringAlignGrid::SetAlignCol(int c, TAlignment a) {
    CheckCell(c, 0);
    fColAlign[c] = a;
    Invalidate();
}
void TStringAlignGrid::SetAlignRow(int r, TAlignment a) {
    CheckCell(0, r);
    fRowAlign[r] = a;
    Invalidate();
}
void TStringAlignGrid::ResetAlignCell(int c, int r) { fCellAlign.erase({c, r}); }
void TStringAlignGrid::ResetAlignCol(int c) { fColAlign.erase(c); }
void TStringAlignGrid::ResetAlignRow(int r) { fRowAlign.erase(r); }

TAlignment TStringAlignGrid::CellAlignment(int c, int r) const {
    if (auto it = fCellAlign.find({c, r}); it != fCellAlign.end()) return it->second;
    if (auto it = fColAlign.find(c); it != fColAlign.end()) return it->second;
    if (auto it = fRowAlign.find(r); it != fRowAlign.end()) return it->second;
    return fAlignment;
}

// ---- Editors -------------------------------------------------------------------------------

TCellEditor* TStringAlignGrid::CellEditor(int c, int r) {
    CheckCell(c, r);
    auto& p = fCellEditors[{c, r}];
    if (!p) p = std::make_unique<TCellEditor>();
    return p.get();
}
TCellEditor* TStringAlignGrid::ColEditor(int c) {
    CheckCell(c, 0);
    auto& p = fColEditors[c];
    if (!p) p = std::make_unique<TCellEditor>();
    return p.get();
}
TCellEditor* TStringAlignGrid::RowEditor(int r) {
    CheckCell(0, r);
    auto& p = fRowEditors[r];
    if (!p) p = std::make_unique<TCellEditor>();
    return p.get();
}
void TStringAlignGrid::ClearCellEditor(int c, int r) { fCellEditors.erase({c, r}); }
void TStringAlignGrid::ClearColEditor(int c) { fColEditors.erase(c); }
void TStringAlignGrid::ClearRowEditor(int r) { fRowEditors.erase(r); }

TCellEditor* TStringAlignGrid::EditorFor(int c, int r) const {
    if (auto it = fCellEditors.find({c, r}); it != fCellEditors.end()) return it->second.get();
    if (auto it = fColEditors.find(c); it != fColEditors.end()) return it->second.get();
    if (auto it = fRowEditors.find(r); it != fRowEditors.end()) return it->second.get();
    return nullptr;
}

bool TStringAlignGrid::IsCheckCell(int c, int r) const {
    TCellEditor* e = EditorFor(c, r);
    return e && e->Style() == cesCheckBox && c >= fFixedCols && r >= fFixedRows;
}

bool TStringAlignGrid::Checked(int c, int r) const {
    TCellEditor* e = EditorFor(c, r);
    return e && Cells(c, r) == e->CheckedText();
}

void TStringAlignGrid::SetChecked(int c, int r, bool v) {
    TCellEditor* e = EditorFor(c, r);
    if (!e || e->Style() != cesCheckBox) throw EInvalidGridOperation("Cell is not a check box");
    std::string text = v ? e->CheckedText() : e->UncheckedText();
    SetEditText(c, r, text);
    if (fEditorMode && fEditor && c == fCol && r == fRow) fEditor->UpdateContents();
}

void TStringAlignGrid::ToggleCheck(int c, int r) { SetChecked(c, r, !Checked(c, r)); }

TEditStyle TStringAlignGrid::GetEditStyle(int c, int r) {
    TCellEditor* e = EditorFor(c, r);
    if (!e) return esSimple;
    if (e->Style() == cesEllipsis) return esEllipsis;
    if (e->Style() == cesPickList) return esPickList;
    return esSimple;
}

void TStringAlignGrid::GetPickListItems(int c, int r, TStrings* items) {
    TCellEditor* e = EditorFor(c, r);
    if (e && e->Style() == cesPickList) items->Assign(e->Items());
    else items->Clear();
}

TInplaceEdit* TStringAlignGrid::CreateEditor() { return CreateObject<TInplaceEditList>(this); }

bool TStringAlignGrid::CanEditAcceptKey(char key) const {
    (void)key;
    return !IsCheckCell(fCol, fRow);
}

bool TStringAlignGrid::CellKeyPress(char key) {
    if (!IsCheckCell(fCol, fRow)) return false;
    if (key == ' ' && CanEditModify()) ToggleCheck(fCol, fRow);
    // Nothing else is typed into a check box.
    return static_cast<unsigned char>(key) >= 32;
}

void TStringAlignGrid::EditorClicked() {
    if (IsCheckCell(fCol, fRow) && CanEditModify()) ToggleCheck(fCol, fRow);
}

void TStringAlignGrid::EditButtonClicked() { OnEditButtonClick(this); }

void TStringAlignGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TStringGrid::MouseDown(button, shift, x, y);
    if (button != mbLeft || fSizingCol >= 0) return;
    TGridCoord g = MouseCoord(x, y);
    if (g.X == fCol && g.Y == fRow && IsCheckCell(g.X, g.Y) && CanEditModify()) ToggleCheck(g.X, g.Y);
}

// ---- Hints ---------------------------------------------------------------------------------

std::string TStringAlignGrid::CellHint(int c, int r) const {
    auto it = fHints.find({c, r});
    return it == fHints.end() ? std::string() : it->second;
}

void TStringAlignGrid::SetCellHint(int c, int r, const std::string& s) {
    CheckCell(c, r);
    if (s.empty()) fHints.erase({c, r});
    else fHints[{c, r}] = s;
}

bool TStringAlignGrid::HintForCell(int c, int r, std::string& hint) {
    if (c < 0 || r < 0 || c >= ColCount() || r >= RowCount()) return false;
    hint = fShowCellHints ? CellHint(c, r) : std::string();
    if (hint.empty()) hint = fHint;
    bool canShow = true;
    OnShowHintCell(this, c, r, hint, canShow);
    return canShow && !hint.empty();
}

bool TStringAlignGrid::HintAt(int x, int y, std::string& hint) {
    TGridCoord g = MouseCoord(x, y);
    return HintForCell(g.X, g.Y, hint);
}

// ---- Fonts ---------------------------------------------------------------------------------

TFont* TStringAlignGrid::NewFont() {
    auto* f = new TFont();
    f->Assign(fFont.get());
    return f;
}

TFont* TStringAlignGrid::CellFont(int c, int r) {
    CheckCell(c, r);
    auto& p = fCellFonts[{c, r}];
    if (!p) p.reset(NewFont());
    return p.get();
}
TFont* TStringAlignGrid::ColFont(int c) {
    CheckCell(c, 0);
    auto& p = fColFonts[c];
    if (!p) p.reset(NewFont());
    return p.get();
}
TFont* TStringAlignGrid::RowFont(int r) {
    CheckCell(0, r);
    auto& p = fRowFonts[r];
    if (!p) p.reset(NewFont());
    return p.get();
}
TFont* TStringAlignGrid::FixedColFont(int c) {
    CheckCell(c, 0);
    auto& p = fFixedColFonts[c];
    if (!p) p.reset(NewFont());
    return p.get();
}
TFont* TStringAlignGrid::FixedRowFont(int r) {
    CheckCell(0, r);
    auto& p = fFixedRowFonts[r];
    if (!p) p.reset(NewFont());
    return p.get();
}

void TStringAlignGrid::ResetFonts() {
    fCellFonts.clear();
    fColFonts.clear();
    fRowFonts.clear();
    fFixedColFonts.clear();
    fFixedRowFonts.clear();
}

const TFont* TStringAlignGrid::FontFor(int c, int r) const {
    if (auto it = fCellFonts.find({c, r}); it != fCellFonts.end()) return it->second.get();
    if (r < fFixedRows)
        if (auto it = fFixedColFonts.find(c); it != fFixedColFonts.end()) return it->second.get();
    if (c < fFixedCols)
        if (auto it = fFixedRowFonts.find(r); it != fFixedRowFonts.end()) return it->second.get();
    if (c >= fFixedCols && r >= fFixedRows) {
        if (auto it = fColFonts.find(c); it != fColFonts.end()) return it->second.get();
        if (auto it = fRowFonts.find(r); it != fRowFonts.end()) return it->second.get();
    }
    return fFont.get();
}

std::vector<TFont*> TStringAlignGrid::AllFonts() const {
    std::vector<TFont*> out;
    for (auto& [k, f] : fCellFonts) out.push_back(f.get());
    for (auto* m : {&fColFonts, &fRowFonts, &fFixedColFonts, &fFixedRowFonts})
        for (auto& [k, f] : *m) out.push_back(f.get());
    return out;
}

std::vector<TStrings*> TStringAlignGrid::AllEditorItems() const {
    std::vector<TStrings*> out;
    for (auto& [k, e] : fCellEditors) out.push_back(e->Items());
    for (auto& [k, e] : fColEditors) out.push_back(e->Items());
    for (auto& [k, e] : fRowEditors) out.push_back(e->Items());
    return out;
}

std::vector<TGridCoord> TStringAlignGrid::HintCells() const {
    std::vector<TGridCoord> out;
    for (auto& [k, h] : fHints) out.push_back({k.first, k.second});
    return out;
}

// ---- Drawing, storage ----------------------------------------------------------------------

void TStringAlignGrid::DrawCellText(TCanvas& canvas, int c, int r, const TRect& rect, TGridDrawState state) {
    TColor keep = canvas.Font()->Color();
    canvas.Font()->Assign(const_cast<TFont*>(FontFor(c, r)));
    if (state.Contains(gdSelected) && !state.Contains(gdFocused)) canvas.Font()->SetColor(keep);
    std::string text = Cells(c, r);
    int w = canvas.TextWidth(text);
    int x = rect.Left + 2;
    TAlignment a = IsCheckCell(c, r) ? taCenter : CellAlignment(c, r);
    if (a == taRightJustify) x = rect.Right - w - 2;
    else if (a == taCenter) x = rect.Left + (rect.Width() - w) / 2;
    canvas.Brush()->SetStyle(bsClear);
    canvas.TextRect(rect, x, rect.Top + 2, text);
    canvas.Brush()->SetStyle(bsSolid);
}

void TStringAlignGrid::SizeChanged(int oldColCount, int oldRowCount) {
    TStringGrid::SizeChanged(oldColCount, oldRowCount);
    int cols = ColCount(), rows = RowCount();
    DropPairs(fCellAlign, cols, rows);
    DropPairs(fCellEditors, cols, rows);
    DropPairs(fHints, cols, rows);
    DropPairs(fCellFonts, cols, rows);
    DropInts(fColAlign, cols);
    DropInts(fColEditors, cols);
    DropInts(fColFonts, cols);
    DropInts(fFixedColFonts, cols);
    DropInts(fRowAlign, rows);
    DropInts(fRowEditors, rows);
    DropInts(fRowFonts, rows);
    DropInts(fFixedRowFonts, rows);
}

void TStringAlignGrid::ColumnMoved(int from, int to) {
    RemapPairs(fCellAlign, from, to, true);
    RemapPairs(fCellEditors, from, to, true);
    RemapPairs(fHints, from, to, true);
    RemapPairs(fCellFonts, from, to, true);
    RemapInts(fColAlign, from, to);
    RemapInts(fColEditors, from, to);
    RemapInts(fColFonts, from, to);
    RemapInts(fFixedColFonts, from, to);
    TStringGrid::ColumnMoved(from, to);
}

void TStringAlignGrid::RowMoved(int from, int to) {
    RemapPairs(fCellAlign, from, to, false);
    RemapPairs(fCellEditors, from, to, false);
    RemapPairs(fHints, from, to, false);
    RemapPairs(fCellFonts, from, to, false);
    RemapInts(fRowAlign, from, to);
    RemapInts(fRowEditors, from, to);
    RemapInts(fRowFonts, from, to);
    RemapInts(fFixedRowFonts, from, to);
    TStringGrid::RowMoved(from, to);
}

bool TStringAlignGrid::ReadDefinedProperty(const std::string& name, const TDfmValue& value) {
    bool cells = SameName(name, "Cells"), hints = SameName(name, "CellHints");
    if (!cells && !hints) return TStringGrid::ReadDefinedProperty(name, value);
    std::vector<std::string> items = value.StringList();
    if (items.size() % 3 != 0) throw EReadError(name + " needs column, row and text triples");
    for (size_t i = 0; i < items.size(); i += 3) {
        int c = ListInt(items[i]), r = ListInt(items[i + 1]);
        if (cells) SetCells(c, r, items[i + 2]);
        else SetCellHint(c, r, items[i + 2]);
    }
    return true;
}

}  // namespace plat
