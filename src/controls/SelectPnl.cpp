#include "controls/SelectPnl.h"

#include <cctype>

#include "platform/system/CodePage.h"
#include "platform/system/SysInfo.h"

using namespace plat;

namespace plat {
PLAT_DEFINE_ENUM(qm::TSelectStyle, "sp_Range", "sp_Discrete", "sp_UserChoice")
PLAT_DEFINE_ENUM(qm::TValueType, "vt_String", "vt_Number", "vt_Date", "vt_Time", "vt_Float", "vt_OtherMask")
PLAT_DEFINE_ENUM(qm::TDateType, "dt_NoneCare", "dt_YYYYMMDD", "dt_MMDDYYYY", "dt_DDMMYYYY", "dt_YYMMDD", "dt_YYYMMDD")
PLAT_DEFINE_ENUM(qm::TCheckDuplicate, "cd_None", "cd_CheckCase", "cd_CaseInsensitive")
}  // namespace plat

namespace qm {

PLAT_REGISTER_CLASS(TKivCheckBox, TBitCheckBox) {}

namespace {

int CountOf(const std::string& text, const std::string& sign) {
    if (sign.empty()) return 0;
    int n = 0;
    for (size_t p = text.find(sign); p != std::string::npos; p = text.find(sign, p + sign.size())) ++n;
    return n;
}

std::vector<std::string> SplitAt(const std::string& text, const std::string& sign) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t p = text.find(sign); p != std::string::npos; p = text.find(sign, start)) {
        parts.push_back(text.substr(start, p - start));
        start = p + sign.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

bool IsDiscard(const std::string& text, const TRangeOrder& o) { return o.UseDiscard && Trim(text) == o.Discard; }

}  // namespace

TDateTime ReadPanelDate(const std::string& raw, const std::string& sign, TDateType type, const std::string& blankText) {
    std::string text = Trim(raw);
    if (text.empty() || text == Trim(blankText)) return 0;
    switch (CountOf(text, sign)) {
        case 1:
            switch (type) {
                case dt_MMDDYYYY: text = text.substr(0, 2) + sign + "01" + text.substr(std::min<size_t>(2, text.size())); break;
                case dt_DDMMYYYY: text = "01" + sign + text; break;
                default: text = text + sign + "01"; break;
            }
            break;
        case 2: break;
        default: return 0;
    }
    std::vector<std::string> parts = SplitAt(text, sign);
    if (parts.size() != 3) return 0;
    int32_t v[3];
    for (int i = 0; i < 3; ++i)
        if (!TryStrToInt(Trim(parts[i]), v[i])) return 0;
    int year = 0, month = 0, day = 0;
    switch (type) {
        case dt_MMDDYYYY: year = v[2], month = v[0], day = v[1]; break;
        case dt_DDMMYYYY: year = v[2], month = v[1], day = v[0]; break;
        case dt_YYMMDD:
        case dt_YYYMMDD: year = v[0] + 1911, month = v[1], day = v[2]; break;
        default: year = v[0], month = v[1], day = v[2]; break;
    }
    TDateTime d = 0;
    if (!TryEncodeDate(year, month, day, d)) return 0;
    return d;
}

std::string NormalizeFloatText(const std::string& text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != ',' && static_cast<unsigned char>(c) > ' ') s += c;
    std::string sign;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        if (s[0] == '-') sign = "-";
        s.erase(0, 1);
    }
    size_t point = s.find('.');
    std::string whole = s.substr(0, point);
    std::string fraction = point == std::string::npos ? "" : s.substr(point + 1);
    auto digits = [](const std::string& t) {
        for (char c : t)
            if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        return true;
    };
    if (!digits(whole) || !digits(fraction) || (whole.empty() && fraction.empty())) return "0.0";
    // Leading zeros of the fraction are kept: they are part of its value (1.05 is not 1.5).
    return sign + (whole.empty() ? "0" : whole) + "." + (fraction.empty() ? "0" : fraction);
}

std::string TrimForRange(const std::string& text, const std::string& mask) {
    if (!mask.empty() && mask[0] == '!') return text;
    return Trim(text);
}

bool RangeInWrongOrder(const std::string& begin, const std::string& end, const TRangeOrder& o) {
    switch (o.ValueType) {
        case vt_Number:
            return StrToIntDef(Trim(begin), 0) > StrToIntDef(Trim(end), 0);
        case vt_String:
        case vt_Time:
            if (begin == o.BlankText || end == o.BlankText) return false;
            if (IsDiscard(begin, o) || IsDiscard(end, o)) return false;
            return begin.compare(end) > 0;
        case vt_Date:
            if (!o.AutoChangeDateSite) return false;
            if (begin == o.BlankText || end == o.BlankText) return false;
            if (IsDiscard(begin, o) || IsDiscard(end, o)) return false;
            if (o.DateType == dt_NoneCare) return begin.compare(end) > 0;
            return ReadPanelDate(begin, o.DateSign, o.DateType, o.BlankText) >
                   ReadPanelDate(end, o.DateSign, o.DateType, o.BlankText);
        case vt_Float: {
            double a = 0, b = 0;
            if (!TryStrToFloat(NormalizeFloatText(begin), a)) a = 0;
            if (!TryStrToFloat(NormalizeFloatText(end), b)) b = 0;
            return a > b;
        }
        case vt_OtherMask:
            return false;
    }
    return false;
}

std::string RowColumnText(const TPanelRow& row, int column) {
    if (column <= 0) return row.Caption;
    if (column - 1 < static_cast<int>(row.SubItems.size())) return row.SubItems[column - 1];
    return "";
}

int ComparePanelRows(const TPanelRow& a, const TPanelRow& b, int sortColumn, bool ascending) {
    int r = AnsiCompareText(RowColumnText(a, sortColumn), RowColumnText(b, sortColumn));
    for (int tie : {0, 1}) {
        if (r != 0) break;
        if (tie == sortColumn) continue;
        r = AnsiCompareText(RowColumnText(a, tie), RowColumnText(b, tie));
    }
    if (r < 0) r = -1;
    if (r > 0) r = 1;
    return ascending ? r : -r;
}

std::vector<int> FindDuplicateRows(const std::vector<TPanelRow>& rows, TCheckDuplicate mode) {
    std::vector<int> dropped;
    if (mode == cd_None) return dropped;
    auto key = [mode](const std::string& s) { return mode == cd_CaseInsensitive ? AnsiUpperCase(s) : s; };
    std::vector<std::string> keys;
    keys.reserve(rows.size());
    for (const TPanelRow& r : rows) keys.push_back(key(r.Caption));
    for (int i = static_cast<int>(rows.size()) - 1; i >= 1; --i)
        for (int j = 0; j < i; ++j)
            if (keys[j] == keys[i]) {
                dropped.push_back(i);
                break;
            }
    return dropped;
}

int PanelByteLength(const std::string& text) {
    const int cp = GetSystemCodePage() == "950" ? 950 : 936;
    return CodePageByteLength(text, cp);
}

std::string DataColumnCaption(int index0) { return "Data" + std::to_string(index0 + 1); }

}  // namespace qm

// ---- The panel's children --------------------------------------------------------------------

#include "platform/forms/Forms.h"
#include "platform/forms/WidgetSet.h"

namespace qm {

PLAT_REGISTER_CLASS(TKivMaskEdit, TMaskEdit) {}

void TKivMaskEdit::Change() {
    if (!NoChange) TMaskEdit::Change();
}

PLAT_REGISTER_CLASS(TKivListView, TListView) {}

std::vector<TPanelRow> TKivListView::Rows() const {
    std::vector<TPanelRow> rows;
    for (int i = 0; i < Items()->Count(); ++i) {
        TListItem* it = Items()->Item(i);
        TPanelRow r{it->Caption(), {}};
        for (int k = 0; k < it->SubItems()->Count(); ++k) r.SubItems.push_back(it->SubItems()->Strings(k));
        rows.push_back(std::move(r));
    }
    return rows;
}

bool TKivListView::AddRow(const std::vector<std::string>& values) {
    if (values.empty()) return false;
    try {
        while (Columns()->Count() < static_cast<int>(values.size())) {
            const std::string caption = DataColumnCaption(Columns()->Count());
            Columns()->Add()->SetCaption(caption);
        }
        TListItem* item = Items()->Add();
        item->SetCaption(values[0]);
        for (size_t i = 1; i < values.size(); ++i) item->SubItems()->Add(values[i]);
        int most = 0;
        for (int i = 0; i < Items()->Count(); ++i) most = std::max(most, Items()->Item(i)->SubItems()->Count());
        for (int i = 0; i < Items()->Count(); ++i)
            while (Items()->Item(i)->SubItems()->Count() < most) Items()->Item(i)->SubItems()->Add("");
        DropDuplicates();
        if (ColumnsAutoSize) AutoSizeColumns();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void TKivListView::ClearRows() { Items()->Clear(); }

void TKivListView::DropDuplicates() {
    for (int index : FindDuplicateRows(Rows(), CheckDuplicate)) Items()->Delete(index);
}

void TKivListView::AutoSizeColumns() {
    const int w = StringWidth("W");
    std::vector<TPanelRow> rows = Rows();
    for (int c = 0; c < Columns()->Count(); ++c) {
        int longest = PanelByteLength(Columns()->Items(c)->Caption());
        for (const TPanelRow& r : rows) longest = std::max(longest, PanelByteLength(RowColumnText(r, c)));
        Columns()->Items(c)->SetWidth(w * longest);
    }
}

void TKivListView::WndProc(TMessage& msg) {
    if (msg.Msg == WM_LBUTTONDOWN) {
        // The press counts only once the list holds the focus (another control may refuse to
        // give it up).
        if (!Focused() && CanFocus()) SetFocus();
        if (!Focused()) return;
    }
    TListView::WndProc(msg);
}

// ---- The panel -------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TSelectPanel, TGroupBox) {
    b.Property("Style", &Self::Style, &Self::SetStyle).Default(sp_Range);
    b.Property("UserChoice", &Self::UserChoice, &Self::SetUserChoice).Default(1);
    b.Property("HintWord", &Self::HintWord, &Self::SetHintWord);
    b.Property("BeginWords", &Self::BeginWords, &Self::SetBeginWords);
    b.Property("FinalWords", &Self::FinalWords, &Self::SetFinalWords);
    b.Property("ChildHints", &Self::ChildHints, &Self::SetChildHints);
    b.Property("EditMask", &Self::EditMask, &Self::SetEditMask);
    b.Property("ValueType", &Self::ValueType, &Self::SetValueType).Default(vt_String);
    b.Property("DateType", &Self::DateType, &Self::SetDateType).Default(dt_NoneCare);
    b.Property("DateSign", &Self::DateSign, &Self::SetDateSign);
    b.Property("AutoChangeDateSite", &Self::AutoChangeDateSite, &Self::SetAutoChangeDateSite).Default(1);
    b.Property("UseDiscard", &Self::UseDiscard, &Self::SetUseDiscard).Default(0);
    b.Property("Discard", &Self::Discard, &Self::SetDiscard);
    b.Property("CanOpenWin", &Self::CanOpenWin, &Self::SetCanOpenWin).Default(1);
    b.Property("GlyphIndex", &Self::GlyphIndex, &Self::SetGlyphIndex).Default(8);
    b.Property("UseVertical", &Self::UseVertical, &Self::SetUseVertical).Default(0);
    b.Property("OtherWidth", &Self::OtherWidth, &Self::SetOtherWidth).Default(200);
    b.Property("OtherHeight", &Self::OtherHeight, &Self::SetOtherHeight).Default(105);
    b.Property("CheckDuplicate", &Self::CheckDuplicate, &Self::SetCheckDuplicate).Default(cd_None);
    b.Property("SortListBox", &Self::SortListBox, &Self::SetSortListBox).Default(0);
    b.Property("ColumnsAutoSize", &Self::ColumnsAutoSize, &Self::SetColumnsAutoSize).Default(1);
    b.Property("ShowColumnHeader", &Self::ShowColumnHeader, &Self::SetShowColumnHeader).Default(0);
    b.Property("HideSelection", &Self::HideSelection, &Self::SetHideSelection).Default(0);
    b.Event("OnTypeClick", &Self::OnTypeClick);
    b.Event("OnStyleChanging", &Self::OnStyleChanging);
    b.Event("OnStyleChange", &Self::OnStyleChange);
    b.Event("OnOpenWinClick", &Self::OnOpenWinClick);
    b.Event("OnDeleteClick", &Self::OnDeleteClick);
    b.Event("OnClearClick", &Self::OnClearClick);
    b.Event("OnExit", &Self::OnPanelExit);
    b.Event("OnItemSelect", &Self::OnItemSelect);
    b.Event("OnItemChange", &Self::OnItemChange);
    b.Event("OnItemChanging", &Self::OnItemChanging);
    b.Event("OnKeyDown", &Self::OnPanelKeyDown);
    b.Event("OnKeyUp", &Self::OnPanelKeyUp);
    b.Event("OnKeyPress", &Self::OnPanelKeyPress);
    b.Property("ColumnCaptions", &Self::ColumnCaptions, &Self::SetColumnCaptions).NotStored();
    b.Property("Columns", &Self::Columns, &Self::SetColumns);
    b.Property("Items", &Self::Items, &Self::SetItems);
    b.Publish({"Caption", "Color", "Enabled", "Font", "ParentFont", "ParentShowHint", "ShowHint", "TabOrder",
               "TabStop", "Visible", "OnClick", "OnDblClick", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnEnter"});
}

namespace {
const char* const kDefaultHints[] = {"用户自定输入方式", "区间选择-起始信息", "区间选择-起始信息开窗",
                                     "区间选择-截止信息", "区间选择-截止信息开窗", "多选-己选择的信息",
                                     "多选-信息开窗",     "多选-删除一笔信息",     "多选-删除己选信息"};

// The children stay unnamed as components: a language package element named like one of them
// ("btnDelete", "ListBox") means a component of the form, and the package reader walks into
// every component's owned ones. Code that knows the panel by class name finds them by class
// (its list view, its three lookup buttons).
template <class T>
T* Child(TSelectPanel* panel, TWinControl* parent) {
    T* c = CreateObject<T>(panel);
    c->SetParent(parent);
    c->SetParentFont(true);
    return c;
}
}  // namespace

TSelectPanel::TSelectPanel(TComponent* owner)
    : TGroupBox(owner),
      fBeginWords(std::make_unique<TStringList>()),
      fFinalWords(std::make_unique<TStringList>()),
      fChildHints(std::make_unique<TStringList>()) {
    fWidth = 353;
    fHeight = 45;
    chkRange = Child<TKivCheckBox>(this, this);
    chkRange->SetCaption("区间选择");
    chkRange->OnClick = TNotifyEvent::Of<&TSelectPanel::RangeClick>(this);
    pnlRange = Child<TPanel>(this, this);
    pnlList = Child<TPanel>(this, this);
    for (TPanel** p : {&pnlRange, &pnlList}) {
        (*p)->SetBevelOuter(bvNone);
        (*p)->SetBevelInner(bvNone);
        (*p)->SetCaption(" ");
    }
    lblBegin = Child<TLabel>(this, pnlRange);
    edBegin = Child<TKivMaskEdit>(this, pnlRange);
    edBegin->SetHeight(24);
    btnBegin = Child<TF2Button>(this, pnlRange);
    lblFinal = Child<TLabel>(this, pnlRange);
    edFinal = Child<TKivMaskEdit>(this, pnlRange);
    edFinal->SetHeight(edBegin->Height());
    btnFinal = Child<TF2Button>(this, pnlRange);
    ListBox = Child<TKivListView>(this, pnlList);
    ListBox->SetViewStyle(vsReport);
    ListBox->SetShowColumnHeaders(false);
    ListBox->SetMultiSelect(true);
    ListBox->SetRowSelect(true);
    ListBox->SetReadOnly(true);
    ListBox->SetHideSelection(false);
    ListBox->SetCursor(crHandPoint);
    btnList = Child<TF2Button>(this, pnlList);
    btnDelete = Child<TGSpeedButton>(this, pnlList);
    btnClear = Child<TGSpeedButton>(this, pnlList);
    for (TF2Button* b : {btnBegin, btnFinal, btnList}) {
        b->SetFlat(true);
        b->SetBounds(0, 0, 23, 23);
        b->SetNumGlyphs(1);
        b->OnClick = TNotifyEvent::Of<&TSelectPanel::LookupClick>(this);
    }
    btnDelete->SetGlyphIndex(47);
    btnDelete->SetNumGlyphs(1);
    btnClear->SetGlyphIndex(4);
    btnClear->SetNumGlyphs(2);
    for (TGSpeedButton* b : {btnDelete, btnClear}) b->SetBounds(0, 0, 23, 23);
    btnDelete->OnClick = TNotifyEvent::Of<&TSelectPanel::DeleteClick>(this);
    btnClear->OnClick = TNotifyEvent::Of<&TSelectPanel::ClearClick>(this);
    lblBegin->SetCaption("起");
    lblFinal->SetCaption("止");
    fBeginWords->SetText("起\n起");
    fFinalWords->SetText("止\n止");
    for (const char* h : kDefaultHints) fChildHints->Add(h);
    fBeginWords->OnChange = TNotifyEvent::Of<&TSelectPanel::WordsChanged>(this);
    fFinalWords->OnChange = TNotifyEvent::Of<&TSelectPanel::WordsChanged>(this);
    fChildHints->OnChange = TNotifyEvent::Of<&TSelectPanel::HintsChanged>(this);
    HintsChanged(this);
    fColumnCaptions = std::make_unique<TStringList>();
    fColumnCaptions->OnChange = TNotifyEvent::Of<&TSelectPanel::ColumnCaptionsChanged>(this);
    ListBox->OnColumnClick = TLVColumnClickEvent::Of<&TSelectPanel::ColumnClick>(this);
    ListBox->OnCompare = TLVCompareEvent::Of<&TSelectPanel::CompareRows>(this);
    ListBox->OnSelectItem = TLVSelectItemEvent::Of<&TSelectPanel::ItemSelected>(this);
    ListBox->OnChange = TLVChangeEvent::Of<&TSelectPanel::ItemChanged>(this);
    ListBox->OnChanging = TLVChangingEvent::Of<&TSelectPanel::ItemChanging>(this);
    for (TWinControl* c : std::initializer_list<TWinControl*>{chkRange, edBegin, edFinal, ListBox}) {
        c->OnKeyDown = TKeyEvent::Of<&TSelectPanel::ChildKeyDown>(this);
        c->OnKeyUp = TKeyEvent::Of<&TSelectPanel::ChildKeyUp>(this);
        c->OnKeyPress = TKeyPressEvent::Of<&TSelectPanel::ChildKeyPress>(this);
    }
    for (TControl* c : std::initializer_list<TControl*>{pnlRange, pnlList, lblBegin, lblFinal, edBegin, edFinal, ListBox})
        c->OnClick = TNotifyEvent::Of<&TSelectPanel::ChildClick>(this);
    for (TControl* c : std::initializer_list<TControl*>{chkRange, pnlRange, pnlList, lblBegin, lblFinal, edBegin, edFinal,
                                                        btnBegin, btnFinal, ListBox, btnList, btnDelete, btnClear}) {
        c->OnDblClick = TNotifyEvent::Of<&TSelectPanel::ChildDblClick>(this);
        c->OnMouseDown = TMouseEvent::Of<&TSelectPanel::ChildMouseDown>(this);
        c->OnMouseUp = TMouseEvent::Of<&TSelectPanel::ChildMouseUp>(this);
        c->OnMouseMove = TMouseMoveEvent::Of<&TSelectPanel::ChildMouseMove>(this);
    }
    ApplyVisibility(fStyle);
    ArrangeChildren();
}

TSelectPanel::~TSelectPanel() {
    fColumnCaptions->OnChange = {};
    fBeginWords->OnChange = {};
    fFinalWords->OnChange = {};
    fChildHints->OnChange = {};
}

bool TSelectPanel::IsRangeMode() const { return fStyle == sp_Range || (fStyle == sp_UserChoice && fUserChoice); }

bool TSelectPanel::ParentLoading() const { return IsLoading() || (fParent && fParent->IsLoading()); }

void TSelectPanel::ApplyVisibility(TSelectStyle s) {
    chkRange->SetVisible(s == sp_UserChoice);
    const bool range = s == sp_Range || (chkRange->Visible() && chkRange->Checked());
    pnlRange->SetVisible(range);
    pnlList->SetVisible(!range);
}

void TSelectPanel::SetStyle(TSelectStyle s) {
    bool accept = true;
    OnStyleChanging(this, fStyle, s, accept);
    if (!accept) return;
    ApplyVisibility(s);
    const TSelectStyle old = fStyle;
    if (s != old && (s == sp_Range || old == sp_Range) && !fUseVertical && !ParentLoading()) {
        const int w = fWidth, h = fHeight;
        const int nw = fOtherWidth, nh = fOtherHeight;
        fOtherWidth = w;
        fOtherHeight = h;
        fStyle = s;  // the layout that the resize runs is the new style's
        SetBounds(fLeft, fTop, nw, nh);
        fStyle = old;
    }
    const TSelectStyle keep = fStyle;
    fStyle = s;
    ArrangeChildren();
    fStyle = keep;
    OnStyleChange(this, old, s);
    fStyle = s;
}

void TSelectPanel::SetUserChoice(bool v) {
    if (fStyle != sp_UserChoice) return;
    chkRange->SetChecked(v);
    RangeClick(chkRange);
}

void TSelectPanel::RangeClick(TObject*) {
    if (fStyle != sp_UserChoice) return;
    fUserChoice = chkRange->Checked();
    ArrangeChildren();
    ApplyVisibility(fStyle);
    OnTypeClick(this);
}

void TSelectPanel::SetHintWord(const std::string& s) {
    chkRange->SetCaption(s);
    ArrangeChildren();
}

void TSelectPanel::SetBeginWords(TStrings* s) {
    TStringList keep;
    for (int i = 0; i < std::min(2, s ? s->Count() : 0); ++i) keep.Add(s->Strings(i));
    fBeginWords->Assign(&keep);
    ApplyWords();
}

void TSelectPanel::SetFinalWords(TStrings* s) {
    TStringList keep;
    for (int i = 0; i < std::min(2, s ? s->Count() : 0); ++i) keep.Add(s->Strings(i));
    fFinalWords->Assign(&keep);
    ApplyWords();
}

void TSelectPanel::ApplyWords() {
    auto word = [this](TStrings* w) {
        if (w->Count() == 1) return w->Strings(0);
        return w->Strings(fStyle == sp_UserChoice ? 1 : 0);
    };
    if (fBeginWords->Count() > 0) lblBegin->SetCaption(word(fBeginWords.get()));
    if (fFinalWords->Count() > 0) lblFinal->SetCaption(word(fFinalWords.get()));
    ArrangeChildren();
}

void TSelectPanel::WordsChanged(TObject* sender) {
    if (static_cast<TStrings*>(sender)->Count() >= 2) ArrangeChildren();
}

void TSelectPanel::HintsChanged(TObject*) {
    TControl* children[] = {chkRange, edBegin, btnBegin, edFinal, btnFinal, ListBox, btnList, btnDelete, btnClear};
    for (int i = 0; i < 9 && i < fChildHints->Count(); ++i) children[i]->SetHint(fChildHints->Strings(i));
}

void TSelectPanel::SetEditMask(const std::string& m) {
    fEditMask = m;
    const std::string remembered = edBegin->Text();
    edBegin->NoChange = true;
    edBegin->Clear();
    edBegin->SetEditMask(m);
    edFinal->SetEditMask(m);
    fOrder.BlankText = m.empty() ? "" : edBegin->Text();
    edBegin->SetText(remembered);
    edBegin->NoChange = false;
}

void TSelectPanel::SetCanOpenWin(bool v) {
    fCanOpenWin = v;
    for (TF2Button* b : {btnBegin, btnFinal, btnList}) b->SetVisible(v);
    ArrangeChildren();
}

void TSelectPanel::SetGlyphIndex(int n) {
    try {
        btnBegin->SetGlyphIndex(n);
        btnFinal->SetGlyphIndex(btnBegin->GlyphIndex());
        btnList->SetGlyphIndex(btnBegin->GlyphIndex());
        fGlyphIndex = n;
    } catch (const std::exception&) {
        for (TF2Button* b : {btnBegin, btnFinal, btnList}) b->SetGlyphIndex(0);
    }
}

void TSelectPanel::SetUseVertical(bool v) {
    if (fStyle != sp_Range) return;
    if (v != fUseVertical && !ParentLoading()) {
        const int w = fWidth, h = fHeight;
        SetBounds(fLeft, fTop, fOtherWidth, fOtherHeight);
        fOtherWidth = w;
        fOtherHeight = h;
    }
    fUseVertical = v;
    ArrangeChildren();
}

void TSelectPanel::SetCheckDuplicate(TCheckDuplicate v) {
    if (v != cd_None) SetSortListBox(true);
    ListBox->CheckDuplicate = v;
    if (!IsRangeMode()) ListBox->DropDuplicates();
}

void TSelectPanel::SetSortListBox(bool v) {
    fSortListBox = v;
    ListBox->SetSortType(v ? stText : stNone);
}

void TSelectPanel::ArrangeChildren() {
    if (!chkRange || !ListBox) return;
    const int capH = WidgetSet().TextHeight(*fFont, "0");
    TTextSize chk = WidgetSet().TextExtent(*chkRange->Font(), chkRange->Caption());
    chkRange->SetBounds(chkRange->Left(), chkRange->Top(), chk.cx + 24, chk.cy + 2);
    if (fStyle == sp_UserChoice) {
        chkRange->BringToFront();
        chkRange->SetBounds(16, capH + 1, chkRange->Width(), chkRange->Height());
        const int top = chkRange->Top() + chk.cy + 2;
        TPanel* front = fUserChoice ? pnlRange : pnlList;
        TPanel* back = fUserChoice ? pnlList : pnlRange;
        for (TPanel* p : {front, back}) p->SetBounds(2, top, fWidth - 4, fHeight - top - 2);
        front->BringToFront();
        VerticalLayout();
        ListLayout();
        return;
    }
    chkRange->SendToBack();
    const int top = capH + 3;
    for (TPanel* p : {pnlRange, pnlList})
        p->SetBounds(2, top, fWidth - 2 - p->BevelWidth() - 2, fHeight - top - p->BevelWidth() - 2);
    if (fStyle == sp_Range) {
        pnlRange->BringToFront();
        if (fUseVertical) VerticalLayout();
        else HorizontalLayout();
    } else {
        pnlList->BringToFront();
        ListLayout();
    }
}

void TSelectPanel::HorizontalLayout() {
    if (fBeginWords->Count() > 0) lblBegin->SetCaption(fBeginWords->Strings(0));
    const int top = (pnlRange->Height() - edBegin->Height()) / 2;
    lblBegin->SetBounds(2, top, lblBegin->Width(), lblBegin->Height());
    const int right = lblBegin->Left() + lblBegin->Width();
    const int w = fCanOpenWin
                      ? pnlRange->Width() - right - btnBegin->Width() - lblFinal->Width() - btnFinal->Width() - 8
                      : pnlRange->Width() - right - lblFinal->Width() - 4;
    edBegin->SetBounds(right + 1, top, w / 2 - 1, edBegin->Height());
    const int edRight = edBegin->Left() + edBegin->Width();
    if (fCanOpenWin) btnBegin->SetBounds(edRight + 2, top, btnBegin->Width(), btnBegin->Height());
    if (fFinalWords->Count() > 0) lblFinal->SetCaption(fFinalWords->Strings(0));
    const int finalLeft = fCanOpenWin ? btnBegin->Left() + btnBegin->Width() + 2 : edRight + 4;
    lblFinal->SetBounds(finalLeft, top, lblFinal->Width(), lblFinal->Height());
    edFinal->SetBounds(lblFinal->Left() + lblFinal->Width() + 2, top, edBegin->Width(), edFinal->Height());
    if (fCanOpenWin)
        btnFinal->SetBounds(edFinal->Left() + edFinal->Width() + 2, top, btnFinal->Width(), btnFinal->Height());
}

void TSelectPanel::VerticalLayout() {
    if (fBeginWords->Count() > 0) lblBegin->SetCaption(fBeginWords->Strings(std::min(1, fBeginWords->Count() - 1)));
    const int g = (pnlRange->Height() - edBegin->Height() - edFinal->Height()) / 3;
    lblBegin->SetBounds(2, g, lblBegin->Width(), lblBegin->Height());
    const int right = lblBegin->Left() + lblBegin->Width();
    const int w = fCanOpenWin ? pnlRange->Width() - right - btnBegin->Width() - 4 : pnlRange->Width() - right - 2;
    edBegin->SetBounds(right + 2, g, w, edBegin->Height());
    if (fCanOpenWin) btnBegin->SetBounds(edBegin->Left() + edBegin->Width() + 1, g, btnBegin->Width(), btnBegin->Height());
    if (fFinalWords->Count() > 0) lblFinal->SetCaption(fFinalWords->Strings(std::min(1, fFinalWords->Count() - 1)));
    lblFinal->SetBounds(lblBegin->Left(), g + lblBegin->Top() + edBegin->Height(), lblFinal->Width(), lblFinal->Height());
    edFinal->SetBounds(edBegin->Left(), lblFinal->Top(), edBegin->Width(), edFinal->Height());
    if (fCanOpenWin) btnFinal->SetBounds(btnBegin->Left(), lblFinal->Top(), btnFinal->Width(), btnFinal->Height());
}

void TSelectPanel::ListLayout() {
    ListBox->SetBounds(ListBox->Left(), 0, pnlList->Width() - ListBox->Left() - btnList->Width() - 3, pnlList->Height());
    const int left = ListBox->Width() + 2;
    btnList->SetBounds(left, ListBox->Top(), btnList->Width(), btnList->Height());
    btnDelete->SetBounds(left, btnList->Top() + btnList->Height(), btnDelete->Width(), btnDelete->Height());
    btnClear->SetBounds(left, btnDelete->Top() + btnDelete->Height(), btnClear->Width(), btnClear->Height());
}

void TSelectPanel::Resize() {
    TGroupBox::Resize();
    ArrangeChildren();
}

void TSelectPanel::FontChanged() {
    TGroupBox::FontChanged();
    ArrangeChildren();
}

void TSelectPanel::EnabledChanged() {
    TGroupBox::EnabledChanged();
    std::vector<TWinControl*> todo{this};
    while (!todo.empty()) {
        TWinControl* w = todo.back();
        todo.pop_back();
        for (TControl* c : w->ControlList()) {
            c->SetEnabled(fEnabled);
            if (auto* wc = dynamic_cast<TWinControl*>(c)) todo.push_back(wc);
        }
    }
}

void TSelectPanel::SetFocus() {
    TGroupBox::SetFocus();
    if (!IsRangeMode() && ListBox->CanFocus()) ListBox->SetFocus();
}

void TSelectPanel::LookupClick(TObject* sender) {
    TWinControl* target = sender == btnBegin ? static_cast<TWinControl*>(edBegin)
                          : sender == btnFinal ? static_cast<TWinControl*>(edFinal)
                                               : static_cast<TWinControl*>(ListBox);
    if (target->CanFocus()) target->SetFocus();
    if (auto* form = dynamic_cast<TWinControl*>(Owner()))
        SendMessage(form->Handle(), WM_F2LOOKUP, 0, reinterpret_cast<LPARAM>(target));
    OnOpenWinClick(this, target);
}

void TSelectPanel::DeleteClick(TObject*) {
    bool accept = true;
    OnDeleteClick(btnDelete, accept);
    if (accept) ListBox->DeleteSelected();
}

void TSelectPanel::ClearClick(TObject*) {
    ListBox->ClearRows();
    if (ListBox->CanFocus()) ListBox->SetFocus();
    OnClearClick(btnClear);
}

void TSelectPanel::DoExit() {
    for (TKivMaskEdit* e : {edBegin, edFinal}) {
        const std::string t = TrimForRange(e->Text(), edBegin->EditMask());
        if (t != e->Text()) e->SetText(t);
    }
    const std::string b = edBegin->Text(), f = edFinal->Text();
    if (!b.empty() && !f.empty() && RangeInWrongOrder(b, f, fOrder)) {
        edBegin->SetText(f);
        edFinal->SetText(b);
    }
    OnPanelExit(this);
}

namespace {
TPanelRow RowOf(const TListItem* it) {
    TPanelRow r{it->Caption(), {}};
    for (int k = 0; k < it->SubItems()->Count(); ++k) r.SubItems.push_back(it->SubItems()->Strings(k));
    return r;
}
}  // namespace

TStrings* TSelectPanel::ColumnCaptions() const {
    fFillingCaptions = true;
    fColumnCaptions->BeginUpdate();
    fColumnCaptions->Clear();
    for (int i = 0; i < ListBox->Columns()->Count(); ++i) fColumnCaptions->Add(ListBox->Columns()->Items(i)->Caption());
    fColumnCaptions->EndUpdate();
    fFillingCaptions = false;
    return fColumnCaptions.get();
}

void TSelectPanel::ColumnCaptionsChanged(TObject*) {
    if (fFillingCaptions || fApplyingCaptions) return;
    fApplyingCaptions = true;
    TStringList copy;
    copy.Assign(fColumnCaptions.get());
    SetColumnCaptions(&copy);
    fApplyingCaptions = false;
}

void TSelectPanel::SetColumnCaptions(TStrings* s) {
    ListBox->Columns()->Clear();
    for (int i = 0; s && i < s->Count(); ++i) {
        TListColumn* c = ListBox->Columns()->Add();
        c->SetCaption(s->Strings(i));
        c->SetWidth(ColumnTextWidth);
    }
}

void TSelectPanel::ColumnClick(TObject*, TListColumn* column) {
    const int index = column ? column->Index() : 0;
    if (index == fSortColumn) fSortAscending = !fSortAscending;
    else fSortColumn = index, fSortAscending = true;
    ListBox->AlphaSort();
}

void TSelectPanel::CompareRows(TObject*, TListItem* a, TListItem* b, int, int& result) {
    result = ComparePanelRows(RowOf(a), RowOf(b), fSortColumn, fSortAscending);
}

void TSelectPanel::ItemSelected(TObject*, TListItem* item, bool selected) {
    OnItemSelect(this, item, item ? item->Index() : -1, selected);
}

void TSelectPanel::ItemChanged(TObject*, TListItem* item, TItemChange change) { OnItemChange(this, item, change); }

void TSelectPanel::ItemChanging(TObject*, TListItem* item, TItemChange change, bool& allow) {
    OnItemChanging(this, item, change, allow);
}

void TSelectPanel::ChildKeyDown(TObject* sender, uint16_t& key, TShiftState shift) { OnPanelKeyDown(sender, key, shift); }
void TSelectPanel::ChildKeyUp(TObject* sender, uint16_t& key, TShiftState shift) { OnPanelKeyUp(sender, key, shift); }
void TSelectPanel::ChildKeyPress(TObject* sender, char& key) { OnPanelKeyPress(sender, key); }

TObject* TSelectPanel::PassedSender(TObject* child) {
    if (child == edBegin || child == edFinal || child == ListBox) return child;
    return this;
}

TPoint TSelectPanel::PassedPoint(TObject* child, int x, int y) {
    if (child == edBegin || child == edFinal || child == ListBox) return {x, y};
    auto* c = static_cast<TControl*>(child);
    return ScreenToClient(c->ClientToScreen({x, y}));
}

void TSelectPanel::ChildClick(TObject* sender) { OnClick(PassedSender(sender)); }
void TSelectPanel::ChildDblClick(TObject* sender) { OnDblClick(PassedSender(sender)); }

void TSelectPanel::ChildMouseDown(TObject* sender, TMouseButton b, TShiftState s, int x, int y) {
    TPoint p = PassedPoint(sender, x, y);
    OnMouseDown(PassedSender(sender), b, s, p.X, p.Y);
}

void TSelectPanel::ChildMouseUp(TObject* sender, TMouseButton b, TShiftState s, int x, int y) {
    TPoint p = PassedPoint(sender, x, y);
    OnMouseUp(PassedSender(sender), b, s, p.X, p.Y);
}

void TSelectPanel::ChildMouseMove(TObject* sender, TShiftState s, int x, int y) {
    TPoint p = PassedPoint(sender, x, y);
    OnMouseMove(PassedSender(sender), s, p.X, p.Y);
}

}  // namespace qm
