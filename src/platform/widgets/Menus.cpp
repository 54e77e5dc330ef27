#include "platform/widgets/Menus.h"

#include <algorithm>

#include "platform/forms/Forms.h"

namespace plat {

PLAT_DEFINE_ENUM(TMenuBreak, "mbNone", "mbBreak", "mbBarBreak")
PLAT_DEFINE_ENUM(TPopupAlignment, "paLeft", "paRight", "paCenter")
PLAT_DEFINE_ENUM(TTrackButton, "tbRightButton", "tbLeftButton")
PLAT_DEFINE_ENUM(TMenuAutoFlag, "maAutomatic", "maManual", "maParent")

const TTypeInfo* TypeShortCut() {
    static const TTypeInfo* t = MakeIntegerType("TShortCut", {}, 0, 65535);
    return t;
}

TShortCut ShortCut(uint16_t key, TShiftState shift) {
    TShortCut s = static_cast<TShortCut>(key & 0xFF);
    if (shift.Contains(ssShift)) s |= scShift;
    if (shift.Contains(ssCtrl)) s |= scCtrl;
    if (shift.Contains(ssAlt)) s |= scAlt;
    return s;
}

namespace {
std::string KeyName(uint16_t key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F12) return "F" + std::to_string(key - VK_F1 + 1);
    switch (key) {
        case VK_BACK: return "BkSp";
        case VK_TAB: return "Tab";
        case VK_RETURN: return "Enter";
        case VK_ESCAPE: return "Esc";
        case VK_SPACE: return "Space";
        case VK_PRIOR: return "PgUp";
        case VK_NEXT: return "PgDn";
        case VK_HOME: return "Home";
        case VK_INSERT: return "Ins";
        case VK_DELETE: return "Del";
        default: return "";
    }
}
}  // namespace

std::string ShortCutToText(TShortCut s) {
    std::string name = KeyName(s & 0xFF);
    if (name.empty()) return "";
    std::string r;
    if (s & scShift) r += "Shift+";
    if (s & scCtrl) r += "Ctrl+";
    if (s & scAlt) r += "Alt+";
    return r + name;
}

TShortCut TextToShortCut(const std::string& text) {
    TShortCut mods = 0;
    std::string rest = text;
    for (bool again = true; again;) {
        again = false;
        for (auto [prefix, bit] : {std::pair<const char*, TShortCut>{"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}}) {
            std::string p = prefix;
            if (rest.size() > p.size() && SameName(rest.substr(0, p.size()), p)) {
                mods |= bit;
                rest = rest.substr(p.size());
                again = true;
            }
        }
    }
    for (uint16_t k = 1; k < 256; ++k)
        if (!KeyName(k).empty() && SameName(KeyName(k), rest)) return static_cast<TShortCut>(k | mods);
    return 0;
}

// ---- TMenuItem -------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TMenuItem, TComponent) {
    b.Property("AutoCheck", &Self::AutoCheck, &Self::SetAutoCheck).Default(0);
    b.Property("Break", &Self::Break, &Self::SetBreak).Default(mbNone);
    b.Property("Caption", &Self::Caption, &Self::SetCaption).Type(TypeCaption());
    b.Property("Checked", &Self::Checked, &Self::SetChecked).Default(0);
    b.Property("Default", &Self::Default, &Self::SetDefault).Default(0);
    b.Property("Enabled", &Self::Enabled, &Self::SetEnabled).Default(1);
    b.Property("GroupIndex", &Self::GroupIndex, &Self::SetGroupIndex).TypeName("Byte").Default(0);
    b.Property("HelpContext", &Self::HelpContext, &Self::SetHelpContext).TypeName("THelpContext").Default(0);
    b.Property("Hint", &Self::Hint, &Self::SetHint);
    b.Property("ImageIndex", &Self::ImageIndex, &Self::SetImageIndex).Type(TypeImageIndex()).Default(-1);
    b.Property("RadioItem", &Self::RadioItem, &Self::SetRadioItem).Default(0);
    b.Property("ShortCut", &Self::ShortCut, &Self::SetShortCut).Type(TypeShortCut()).Default(0);
    b.Property("Visible", &Self::Visible, &Self::SetVisible).Default(1);
    b.Event("OnClick", &Self::OnClick);
    b.Event("OnDrawItem", &Self::OnDrawItem);
    b.Event("OnMeasureItem", &Self::OnMeasureItem);
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() = default;

void TMenuItem::BeforeDestruction() {
    if (!IsDestroying()) Destroying();
    // Sub-items go with their parent (they are usually owned by the form as well; freeing
    // removes them from their owner).
    while (!fItems.empty()) {
        TMenuItem* c = fItems.back();
        fItems.pop_back();
        c->fParent = nullptr;
        c->Free();
    }
    if (fParent) fParent->Remove(this);
    TComponent::BeforeDestruction();
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* i = this;
    while (i->fParent) i = i->fParent;
    return i->fMenu;
}

TCustomImageList* TMenuItem::Images() const {
    TMenu* m = GetParentMenu();
    return m ? m->Images() : nullptr;
}

void TMenuItem::MenuChanged() {
    if (TMenu* m = GetParentMenu()) ++m->fChangeCount;
}

void TMenuItem::SetCaption(const std::string& v) {
    if (v == fCaption) return;
    fCaption = v;
    MenuChanged();
}

void TMenuItem::TurnSiblingsOff() {
    if (!fParent) return;
    for (TMenuItem* s : fParent->fItems)
        if (s != this && s->fRadioItem && s->fGroupIndex == fGroupIndex && s->fChecked) {
            s->fChecked = false;
        }
}

void TMenuItem::SetChecked(bool v) {
    if (v == fChecked) return;
    fChecked = v;
    if (v && fRadioItem) TurnSiblingsOff();
    MenuChanged();
}

void TMenuItem::SetRadioItem(bool v) {
    if (v == fRadioItem) return;
    fRadioItem = v;
    if (fChecked && v) TurnSiblingsOff();
    MenuChanged();
}

void TMenuItem::SetGroupIndex(uint8_t v) {
    if (v == fGroupIndex) return;
    fGroupIndex = v;
    if (fChecked && fRadioItem) TurnSiblingsOff();
}

void TMenuItem::SetEnabled(bool v) {
    if (v == fEnabled) return;
    fEnabled = v;
    MenuChanged();
}

void TMenuItem::SetVisible(bool v) {
    if (v == fVisible) return;
    fVisible = v;
    MenuChanged();
}

void TMenuItem::SetDefault(bool v) {
    if (v == fDefault) return;
    if (v && fParent)
        for (TMenuItem* s : fParent->fItems) s->fDefault = false;
    fDefault = v;
    MenuChanged();
}

void TMenuItem::SetImageIndex(int v) {
    if (v == fImageIndex) return;
    fImageIndex = v;
    MenuChanged();
}

TMenuItem* TMenuItem::Items(int index) const {
    if (index < 0 || index >= Count()) throw EListError("Menu index out of range (" + std::to_string(index) + ")");
    return fItems[static_cast<size_t>(index)];
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item) return;
    if (item->fParent) throw EInvalidOperation("Menu inserted twice");
    if (index < 0 || index > Count()) throw EListError("Menu index out of range (" + std::to_string(index) + ")");
    fItems.insert(fItems.begin() + index, item);
    item->fParent = this;
    if (item->fChecked && item->fRadioItem) item->TurnSiblingsOff();
    MenuChanged();
}

void TMenuItem::Delete(int index) {
    TMenuItem* item = Items(index);
    fItems.erase(fItems.begin() + index);
    item->fParent = nullptr;
    MenuChanged();
}

void TMenuItem::Remove(TMenuItem* item) {
    int i = IndexOf(item);
    if (i < 0) throw EInvalidOperation("Menu item not found");
    Delete(i);
}

void TMenuItem::Clear() {
    while (!fItems.empty()) fItems.back()->Free();
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    auto it = std::find(fItems.begin(), fItems.end(), item);
    return it == fItems.end() ? -1 : static_cast<int>(it - fItems.begin());
}

TMenuItem* TMenuItem::Find(const std::string& caption) const {
    std::string want = StripHotkey(caption);
    for (TMenuItem* i : fItems)
        if (SameName(StripHotkey(i->fCaption), want)) return i;
    return nullptr;
}

int TMenuItem::MenuIndex() const { return fParent ? fParent->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(int v) {
    if (!fParent) return;
    TMenuItem* p = fParent;
    int cur = MenuIndex();
    v = std::clamp(v, 0, p->Count() - 1);
    if (v == cur) return;
    p->fItems.erase(p->fItems.begin() + cur);
    p->fItems.insert(p->fItems.begin() + v, this);
    MenuChanged();
}

void TMenuItem::Click() {
    if (!fEnabled) return;
    if (fAutoCheck) SetChecked(fRadioItem ? true : !fChecked);
    OnClick(this);
}

TComponent* TMenuItem::GetParentComponent() const {
    if (!fParent) return nullptr;
    if (fParent->fMenu) return fParent->fMenu;
    return fParent;
}

void TMenuItem::SetParentComponent(TComponent* parent) {
    if (fParent) fParent->Remove(this);
    if (auto* m = dynamic_cast<TMenu*>(parent)) m->Items()->Add(this);
    else if (auto* i = dynamic_cast<TMenuItem*>(parent)) i->Add(this);
}

// ---- TMenu -------------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TMenu, TComponent) {
    b.Property("AutoHotkeys", &Self::AutoHotkeys, &Self::SetAutoHotkeys).Default(maAutomatic).Unpublished();
    b.Property("AutoLineReduction", &Self::AutoLineReduction, &Self::SetAutoLineReduction).Default(maAutomatic).Unpublished();
    b.Property("Images", &Self::Images, &Self::SetImages).Unpublished();
    b.Property("Items", &Self::Items).NotStored();
    b.Property("OwnerDraw", &Self::OwnerDraw, &Self::SetOwnerDraw).Default(0).Unpublished();
}

TMenu::TMenu(TComponent* owner) : TComponent(owner) {
    fItems = CreateObject<TMenuItem>(nullptr);
    fItems->fMenu = this;
}

TMenu::~TMenu() {
    if (fItems) {
        fItems->fMenu = nullptr;
        fItems->Free();
        fItems = nullptr;
    }
}

void TMenu::SetImages(TCustomImageList* v) {
    if (v == fImages) return;
    if (fImages) fImages->RemoveFreeNotification(this);
    fImages = v;
    if (v) v->FreeNotification(this);
    ++fChangeCount;
}

void TMenu::SetOwnerDraw(bool v) {
    if (v == fOwnerDraw) return;
    fOwnerDraw = v;
    ++fChangeCount;
}

void TMenu::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == fImages) fImages = nullptr;
}

namespace {
TMenuItem* FindShort(TMenuItem* item, TShortCut s) {
    for (int i = 0; i < item->Count(); ++i) {
        TMenuItem* c = item->Items(i);
        if (c->ShortCut() == s && s != 0) return c;
        if (TMenuItem* r = FindShort(c, s)) return r;
    }
    return nullptr;
}
}  // namespace

TMenuItem* TMenu::FindShortCut(TShortCut s) const { return FindShort(fItems, s); }

bool TMenu::IsShortCut(uint16_t key, TShiftState shift) {
    TMenuItem* item = FindShortCut(ShortCut(key, shift));
    if (!item || !item->Enabled() || !item->Visible()) return false;
    item->Click();
    return true;
}

void TMenu::GetChildren(std::vector<TComponent*>& list) const {
    for (int i = 0; i < fItems->Count(); ++i) list.push_back(fItems->Items(i));
}

PLAT_REGISTER_CLASS(TMainMenu, TMenu) {
    b.Property("AutoMerge", &Self::AutoMerge, &Self::SetAutoMerge).Default(0);
    b.Publish({"AutoHotkeys", "AutoLineReduction", "Images", "OwnerDraw"});
}

// ---- TPopupMenu ------------------------------------------------------------------------------

namespace {
TPopupPresenter& Presenter() {
    static TPopupPresenter p;
    return p;
}
}  // namespace

TPopupPresenter SetPopupPresenter(TPopupPresenter presenter) {
    TPopupPresenter old = Presenter();
    Presenter() = std::move(presenter);
    return old;
}

PLAT_REGISTER_CLASS(TPopupMenu, TMenu) {
    b.Property("Alignment", &Self::Alignment, &Self::SetAlignment).Default(paLeft);
    b.Property("AutoPopup", &Self::AutoPopup, &Self::SetAutoPopup).Default(1);
    b.Property("HelpContext", &Self::HelpContext, &Self::SetHelpContext).TypeName("THelpContext").Default(0);
    b.Property("TrackButton", &Self::TrackButton, &Self::SetTrackButton).Default(tbRightButton);
    b.Event("OnPopup", &Self::OnPopup);
    b.Publish({"AutoHotkeys", "AutoLineReduction", "Images", "OwnerDraw"});
}

void TPopupMenu::Popup(int x, int y) {
    fPopupPoint = {x, y};
    TComponentWatch w(this);
    OnPopup(this);
    if (!w.Target) return;
    TMenuItem* picked = nullptr;
    if (Presenter()) picked = Presenter()(*this, fPopupPoint);
    if (picked && w.Target && picked->Enabled() && picked->Visible()) picked->Click();
}

namespace {
// Every control's right-button release goes through the menus layer for its pop-up menu.
const bool gContextMenuInstalled = (SetContextMenuHandler(&ShowContextMenu), true);
// Keys pressed in a control run the short cuts of its menus first.
bool RunMenuShortCut(TComponent* menu, uint16_t key, TShiftState shift) {
    auto* m = dynamic_cast<TMenu*>(menu);
    return m && m->IsShortCut(key, shift);
}
const bool gMenuKeyInstalled = (SetMenuKeyHandler(&RunMenuShortCut), true);
}  // namespace

bool ShowContextMenu(TControl* control, TPoint clientPoint) {
    if (!control) return false;
    auto* menu = dynamic_cast<TPopupMenu*>(control->PopupMenu());
    if (!menu || !menu->AutoPopup()) return false;
    menu->SetPopupComponent(control);
    TPoint p = control->ClientToScreen(clientPoint);
    menu->Popup(p.X, p.Y);
    return true;
}

}  // namespace plat
