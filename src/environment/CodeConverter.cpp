#include "environment/CodeConverter.h"

#include "environment/LibRTTI.h"
#include "environment/OrreryINI.h"
#include "platform/forms/TypInfo.h"
#include "platform/graphics/Graphics.h"
#include "platform/widgets/AlignGrid.h"
#include "platform/widgets/Grids.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/StringList.h"

using namespace plat;

namespace qm {

PLAT_REGISTER_CLASS(TCodeConverter, TComponent) {
    b.Property("DesignType", &Self::DesignType, &Self::SetDesignType).Default(dtClient);
}

namespace {

const TPropInfo* AnyProp(const TObject* obj, const std::string& name) {
    return obj ? obj->ClassType()->FindAnyProperty(name) : nullptr;
}

// The published property of that name when its type is `typeName` (or, for an object, a class
// deriving from it).
const TPropInfo* PropOfType(const TObject* obj, const std::string& name, const std::string& typeName) {
    const TPropInfo* p = GetPropInfo(obj, name);
    if (!p || !p->PropType) return nullptr;
    if (SameName(p->PropType->Name, typeName)) return p;
    if (p->Kind() == tkClass && p->PropType->ClassType && p->PropType->ClassType->InheritsFrom(typeName)) return p;
    return nullptr;
}

int GetIndexProp(TObject* obj, const std::string& name) {
    const TPropInfo* p = AnyProp(obj, name);
    return p && p->GetOrd ? static_cast<int>(p->GetOrd(obj)) : -1;
}
void SetIndexProp(TObject* obj, const std::string& name, int value) {
    const TPropInfo* p = AnyProp(obj, name);
    if (p && p->SetOrd) p->SetOrd(obj, value);
}

}  // namespace

TCodeConverter::TCodeConverter(TComponent* owner) : TComponent(owner) {
    LoadSettings();
    if (ConvertKind != 0) fTranslator = std::make_unique<TTranslator>();
}

TCodeConverter::~TCodeConverter() = default;

void TCodeConverter::LoadSettings() {
    if (fDesignType == dtServer) {
        TOrreryIniS ini;
        SystemCodePage = ini.SystemCodePage;
        UICodePage = ini.UICodePage;
        DBCodePage = ini.DBCodePage;
        ConvertKind = ini.ConvertKind;
        DataConvertKind = ini.DataConvertKind;
    } else {
        TOrreryIniC ini;
        SystemCodePage = ini.SystemCodePage;
        UICodePage = ini.UICodePage;
        DBCodePage = ini.DBCodePage;
        ConvertKind = ini.ConvertKind;
        DataConvertKind = ini.DataConvertKind;
    }
}

std::string TCodeConverter::ConvertText(uint8_t kind, const std::string& text) const {
    if (!fTranslator || text.empty()) return text;
    if (kind == 1) return fTranslator->ToGB(text);
    if (kind == 2) return fTranslator->ToBIG5(text);
    return text;
}

Variant TCodeConverter::ConvertValue(uint8_t kind, const Variant& value) const {
    if (kind == 0 || !fTranslator || value.IsEmpty() || value.IsNull()) return value;
    if (value.IsArray()) {
        Variant result = value;
        if (value.DimCount() == 1) {
            for (int i = value.LowBound(1); i <= value.HighBound(1); ++i) {
                const Variant& e = value[i];
                if (e.IsArray())
                    result[i] = ConvertValue(kind, e);
                else if ((kind == 1 || kind == 2) && !e.IsEmpty() && !e.IsNull())
                    result[i] = ConvertValue(kind, e);
            }
        } else if (value.DimCount() == 2) {
            for (int i = value.LowBound(1); i <= value.HighBound(1); ++i)
                for (int j = value.LowBound(2); j <= value.HighBound(2); ++j)
                    result.At(i, j) = ConvertValue(kind, value.At(i, j));
        }
        return result;
    }
    if (kind != 1 && kind != 2) return value;
    std::string text = ConvertText(kind, value.AsString());
    return value.VarType() == varOleStr ? Variant::Wide(text) : Variant(text);
}

Variant TCodeConverter::ConvertUIToDB(const Variant& value) const {
    uint8_t kind = DataConvertKind == 1 ? 2 : DataConvertKind == 2 ? 1 : 0;
    if (kind == 0) return value;
    try {
        return ConvertValue(kind, value);
    } catch (const std::exception&) {
        return value;
    }
}

Variant TCodeConverter::ConvertUIToDesign(const Variant& value) const {
    uint8_t kind = ConvertKind == 1 ? 2 : ConvertKind == 2 ? 1 : 0;
    if (kind == 0) return value;
    try {
        return ConvertValue(kind, value);
    } catch (const std::exception&) {
        return value;
    }
}

std::string TCodeConverter::TranslateToGB(const std::string& text) const {
    if (text.empty() || !fTranslator) return text;
    return fTranslator->ToGB(text);
}

std::string TCodeConverter::TranslateToBIG5(const std::string& text) const {
    if (text.empty() || !fTranslator) return text;
    return fTranslator->ToBIG5(text);
}

void TCodeConverter::SetFontForKind(uint8_t kind, TFont* font) {
    if (!font) return;
    // The names and character sets are what the screens were designed for; the widgetset shows
    // them with an installed font that has the characters.
    font->SetName("SimSun");
    font->SetCharset(kind == 2 || kind == 3 ? CHINESEBIG5_CHARSET : GB2312_CHARSET);
}

void TCodeConverter::ConvertStringProp(TObject* obj, const std::string& name) {
    const TPropInfo* p = GetPropInfo(obj, name);
    if (!p || !IsStringKind(p->Kind()) || !p->SetStr) return;
    std::string text = GetStrProp(obj, p);
    std::string converted = ConvertText(ConvertKind, text);
    if (converted != text) SetStrProp(obj, p, converted);
}

void TCodeConverter::ConvertStringsProp(TObject* obj, const std::string& name, bool keepIndex) {
    const TPropInfo* p = PropOfType(obj, name, "TStrings");
    if (!p) return;
    auto* lines = dynamic_cast<TStrings*>(GetObjectProp(obj, p));
    if (!lines || lines->Count() == 0) return;
    int index = keepIndex ? GetIndexProp(obj, "ItemIndex") : -1;
    std::string text = lines->Text();
    std::string converted = ConvertText(ConvertKind, text);
    if (converted != text) lines->SetText(converted);
    if (keepIndex) SetIndexProp(obj, "ItemIndex", index);
}

void TCodeConverter::ConvertListView(TComponent* listView) {
    auto* lv = dynamic_cast<TCustomListView*>(listView);
    if (!lv) return;
    TListColumns* columns = lv->Columns();
    for (int i = 0; i < columns->Count(); ++i) ConvertStringProp(columns->Items(i), "Caption");
    TListItems* items = lv->Items();
    for (int i = 0; i < items->Count(); ++i) {
        TListItem* item = items->Item(i);
        item->SetCaption(ConvertText(ConvertKind, item->Caption()));
        // Sub-item c - 1 belongs to column c; sub-items without a column stay as they are.
        TStrings* subs = item->SubItems();
        for (int c = 1; c < columns->Count() && c - 1 < subs->Count(); ++c)
            subs->SetStrings(c - 1, ConvertText(ConvertKind, subs->Strings(c - 1)));
    }
}

void TCodeConverter::ConvertGrid(TComponent* c) {
    auto* grid = dynamic_cast<TStringGrid*>(c);
    if (!grid) return;
    for (int r = 0; r < grid->RowCount(); ++r)
        for (int col = 0; col < grid->ColCount(); ++col) {
            std::string text = grid->Cells(col, r);
            if (!text.empty()) grid->SetCells(col, r, ConvertText(ConvertKind, text));
        }
    auto* align = dynamic_cast<TStringAlignGrid*>(c);
    if (!align) return;
    for (const TGridCoord& cell : align->HintCells())
        align->SetCellHint(cell.X, cell.Y, ConvertText(ConvertKind, align->CellHint(cell.X, cell.Y)));
    for (TFont* font : align->AllFonts()) SetFontForKind(ConvertKind, font);
    for (TStrings* lines : align->AllEditorItems())
        if (lines && lines->Count() > 0) lines->SetText(ConvertText(ConvertKind, lines->Text()));
}

void TCodeConverter::ConvertComponent(TComponent* c, bool deep) {
    const uint8_t kind = ConvertKind;
    // General properties, each only when published with the type named.
    for (const char* name : {"Font", "TitleFont"})
        if (const TPropInfo* p = PropOfType(c, name, "TFont")) SetFontForKind(kind, dynamic_cast<TFont*>(GetObjectProp(c, p)));
    for (const char* name : {"Caption", "Hint", "ButtonHint"}) ConvertStringProp(c, name);
    ConvertStringsProp(c, "Items", c->InheritsFrom("TCustomComboBox"));
    ConvertStringsProp(c, "Lines", false);
    if (const TPropInfo* p = PropOfType(c, "Panels", "TStatusPanels"))
        if (auto* panels = dynamic_cast<TCollection*>(GetObjectProp(c, p)))
            for (int i = 0; i < panels->Count(); ++i) ConvertStringProp(panels->Items(i), "Text");
    if (const TPropInfo* p = PropOfType(c, "Style", "TComboBoxStyle")) {
        int64_t style = GetOrdProp(c, p);
        int64_t to = style == 0 ? 4 : style == 2 ? 3 : style;
        if (to != style && p->SetOrd) {
            int index = GetIndexProp(c, "ItemIndex");
            SetOrdProp(c, p, to);
            SetIndexProp(c, "ItemIndex", index);
        }
    } else if (const TPropInfo* p = PropOfType(c, "Style", "TListBoxStyle")) {
        if (GetOrdProp(c, p) == 0 && p->SetOrd) SetOrdProp(c, p, 1);
    }

    // Class-specific texts.
    const bool texts = kind == 1 || kind == 2;
    if (c->InheritsFrom("TCustomListView")) {
        if (texts) ConvertListView(c);
    } else if (c->InheritsFrom("TTabSet")) {
        if (texts) {
            int index = GetIndexProp(c, "TabIndex");
            ConvertStringsProp(c, "Tabs", false);
            SetIndexProp(c, "TabIndex", index);
        }
    } else if (c->InheritsFrom("TSelectPanel")) {
        if (texts) {
            for (const char* name : {"ChildHints", "BeginWords", "FinalWords"}) ConvertStringsProp(c, name, false);
            ConvertStringProp(c, "HintWord");
            // Its inner list view, the only list view it owns (the panel's parts are unnamed).
            for (TComponent* part : c->ComponentList())
                if (part->InheritsFrom("TCustomListView")) {
                    ConvertListView(part);
                    break;
                }
        }
    } else if (c->InheritsFrom("TCustomComboBox")) {
        if (const TPropInfo* p = AnyProp(c, "Style"); p && p->SetOrd && p->GetOrd) {
            if (p->GetOrd(c) != 1 /* csSimple */) {
                int index = GetIndexProp(c, "ItemIndex");
                p->SetOrd(c, 3 /* csOwnerDrawFixed */);
                SetIndexProp(c, "ItemIndex", index);
            }
        }
        auto* items = dynamic_cast<TStrings*>(GetObjectProperty(c, "Items"));
        if (GetIndexProp(c, "ItemIndex") < 0 && items && items->Count() > 0) SetIndexProp(c, "ItemIndex", 0);
    } else if (c->InheritsFrom("TDBNavigator")) {
        if (texts) ConvertStringsProp(c, "Hints", false);
    } else if (c->InheritsFrom("TMenu")) {
        SetIndexProp(c, "OwnerDraw", 1);
    } else if (deep && texts && c->InheritsFrom("TCustomTreeView")) {
        // Tree nodes: an item collection in pre-order, each with its text.
        if (auto* nodes = dynamic_cast<TCollection*>(GetObjectProperty(c, "Items")))
            for (int i = 0; i < nodes->Count(); ++i) ConvertStringProp(nodes->Items(i), "Text");
    } else if (deep && texts && c->InheritsFrom("TStringGrid")) {
        ConvertGrid(c);
    }
}

void TCodeConverter::ConvertForm(TCustomForm* form, bool deep) {
    if (!fTranslator || !form) return;
    if (SystemCodePage == "950") form->SetCaption(fTranslator->ToBIG5(form->Caption()));
    ConvertStringProp(form, "Hint");
    ConvertStringProp(form, "ButtonHint");
    SetFontForKind(ConvertKind, Screen->IconFont());
    SetFontForKind(ConvertKind, Screen->HintFont());
    SetFontForKind(ConvertKind, Screen->MenuFont());
    Application->SetShowHint(false);
    Application->SetShowHint(true);
    std::vector<TComponent*> owned = form->ComponentList();
    for (TComponent* c : owned) ConvertComponent(c, deep);
}

int TCodeConverter::ShowMessageDlg(const std::string& text, TMsgDlgType dialogType, TMsgDlgButtons buttons) {
    if (text.empty()) return mrNone;
    std::string shown = text;
    // The dialog measures GB texts too short by a few characters; blanks keep them whole.
    if (UICodePage == "936" || SystemCodePage == "936") shown += "      ";
    TMessageForm* dlg = CreateMessageDialog(shown, dialogType, buttons);
    int result = mrNone;
    try {
        if (auto* owner = dynamic_cast<TCustomForm*>(Owner())) {
            if (owner->WindowState() == wsMinimized) owner->SetWindowState(wsNormal);
            dlg->SetCaption(owner->Caption());
        }
        SetFontForKind(ConvertKind, dlg->Font());
        result = dlg->ShowModal();
    } catch (...) {
        dlg->Free();
        throw;
    }
    dlg->Free();
    return result;
}

}  // namespace qm
