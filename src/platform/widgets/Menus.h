#pragma once
// Menus: menu items (caption, check mark, radio groups, hint, image, short cut, click), the main
// menu and the pop-up menu. Items are components: a description nests them inside their menu or
// parent item. Showing a pop-up menu goes through a replaceable presenter, so headless runs and
// tests decide which item the user picks.
#include <functional>
#include <string>
#include <vector>

#include "platform/forms/Controls.h"
#include "platform/graphics/Canvas.h"
#include "platform/widgets/ImgList.h"

namespace plat {

class TMenu;
class TMenuItem;
class TPopupMenu;

enum TMenuBreak { mbNone, mbBreak, mbBarBreak };
enum TPopupAlignment { paLeft, paRight, paCenter };
enum TTrackButton { tbRightButton, tbLeftButton };
enum TMenuAutoFlag { maAutomatic, maManual, maParent };
PLAT_DECLARE_ENUM(TMenuBreak)
PLAT_DECLARE_ENUM(TPopupAlignment)
PLAT_DECLARE_ENUM(TTrackButton)
PLAT_DECLARE_ENUM(TMenuAutoFlag)

// "TShortCut": key code in the low byte plus scShift $2000, scCtrl $4000, scAlt $8000.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
const TTypeInfo* TypeShortCut();
TShortCut ShortCut(uint16_t key, TShiftState shift);
std::string ShortCutToText(TShortCut shortCut);  // "Ctrl+S", "F2", "" for 0
TShortCut TextToShortCut(const std::string& text);  // 0 when not understood

PLAT_DECLARE_EVENT(TMenuDrawItemEvent, TObject* /*Sender*/, TCanvas* /*ACanvas*/, TRect /*ARect*/, bool /*Selected*/)
PLAT_DECLARE_EVENT(TMenuMeasureItemEvent, TObject* /*Sender*/, TCanvas* /*ACanvas*/, int& /*Width*/, int& /*Height*/)

class TMenuItem : public TComponent {
    PLAT_CLASS(TMenuItem)
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;
    void BeforeDestruction() override;

    const std::string& Caption() const { return fCaption; }
    void SetCaption(const std::string& v);
    bool Checked() const { return fChecked; }
    // Checking a radio item unchecks the other radio items of its group under the same parent.
    void SetChecked(bool v);
    bool RadioItem() const { return fRadioItem; }
    void SetRadioItem(bool v);
    uint8_t GroupIndex() const { return fGroupIndex; }
    void SetGroupIndex(uint8_t v);
    bool AutoCheck() const { return fAutoCheck; }
    void SetAutoCheck(bool v) { fAutoCheck = v; }
    bool Enabled() const { return fEnabled; }
    void SetEnabled(bool v);
    bool Visible() const { return fVisible; }
    void SetVisible(bool v);
    bool Default() const { return fDefault; }
    void SetDefault(bool v);
    const std::string& Hint() const { return fHint; }
    void SetHint(const std::string& v) { fHint = v; }
    int ImageIndex() const { return fImageIndex; }
    void SetImageIndex(int v);
    TShortCut ShortCut() const { return fShortCut; }
    void SetShortCut(TShortCut v) { fShortCut = v; }
    TMenuBreak Break() const { return fBreak; }
    void SetBreak(TMenuBreak v) { fBreak = v; }
    int HelpContext() const { return fHelpContext; }
    void SetHelpContext(int v) { fHelpContext = v; }
    // A separator is an item captioned "-".
    bool IsLine() const { return fCaption == "-"; }

    // Sub-items.
    int Count() const { return static_cast<int>(fItems.size()); }
    TMenuItem* Items(int index) const;  // raises EListError out of range
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Delete(int index);  // removes (does not free) the item
    void Remove(TMenuItem* item);
    void Clear();  // frees the sub-items
    int IndexOf(const TMenuItem* item) const;
    TMenuItem* Find(const std::string& caption) const;  // accelerator marks ignored
    TMenuItem* Parent() const { return fParent; }
    int MenuIndex() const;
    void SetMenuIndex(int v);
    // The menu this item belongs to (through its parents), nullptr when none.
    TMenu* GetParentMenu() const;
    // The image list the item's ImageIndex refers to (its menu's Images).
    TCustomImageList* Images() const;

    // The user chose the item: a radio or auto-check item checks itself, then OnClick (a
    // disabled item does nothing).
    virtual void Click();
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;

    TNotifyEvent OnClick;
    TMenuDrawItemEvent OnDrawItem;
    TMenuMeasureItemEvent OnMeasureItem;

protected:
    void MenuChanged();

private:
    friend class TMenu;
    void TurnSiblingsOff();
    std::string fCaption;
    bool fChecked = false, fRadioItem = false, fAutoCheck = false, fEnabled = true, fVisible = true, fDefault = false;
    uint8_t fGroupIndex = 0;
    std::string fHint;
    int fImageIndex = -1;
    TShortCut fShortCut = 0;
    TMenuBreak fBreak = mbNone;
    int fHelpContext = 0;
    std::vector<TMenuItem*> fItems;
    TMenuItem* fParent = nullptr;
    TMenu* fMenu = nullptr;  // set on a menu's root item
};

class TMenu : public TComponent {
    PLAT_CLASS(TMenu)
    explicit TMenu(TComponent* owner);
    ~TMenu() override;

    // The root item; the menu's items are its sub-items.
    TMenuItem* Items() const { return fItems; }
    TCustomImageList* Images() const { return fImages; }
    void SetImages(TCustomImageList* v);
    bool OwnerDraw() const { return fOwnerDraw; }
    void SetOwnerDraw(bool v);
    TMenuAutoFlag AutoHotkeys() const { return fAutoHotkeys; }
    void SetAutoHotkeys(TMenuAutoFlag v) { fAutoHotkeys = v; }
    TMenuAutoFlag AutoLineReduction() const { return fAutoLineReduction; }
    void SetAutoLineReduction(TMenuAutoFlag v) { fAutoLineReduction = v; }
    // The item (at any depth) of that short cut, nullptr when none.
    TMenuItem* FindShortCut(TShortCut shortCut) const;
    // Runs the item of that short cut when there is an enabled one; true when one ran.
    bool IsShortCut(uint16_t key, TShiftState shift);
    // Changes of the menu's items (captions, checks, structure) for a presentation.
    int ChangeCount() const { return fChangeCount; }
    void GetChildren(std::vector<TComponent*>& list) const;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TMenuItem;
    TMenuItem* fItems;
    TCustomImageList* fImages = nullptr;
    bool fOwnerDraw = false;
    TMenuAutoFlag fAutoHotkeys = maAutomatic, fAutoLineReduction = maAutomatic;
    int fChangeCount = 0;
};

class TMainMenu : public TMenu {
    PLAT_CLASS(TMainMenu)
    explicit TMainMenu(TComponent* owner) : TMenu(owner) {}
    bool AutoMerge() const { return fAutoMerge; }
    void SetAutoMerge(bool v) { fAutoMerge = v; }

private:
    bool fAutoMerge = false;
};

class TPopupMenu : public TMenu {
    PLAT_CLASS(TPopupMenu)
    explicit TPopupMenu(TComponent* owner) : TMenu(owner) {}

    TPopupAlignment Alignment() const { return fAlignment; }
    void SetAlignment(TPopupAlignment v) { fAlignment = v; }
    bool AutoPopup() const { return fAutoPopup; }
    void SetAutoPopup(bool v) { fAutoPopup = v; }
    int HelpContext() const { return fHelpContext; }
    void SetHelpContext(int v) { fHelpContext = v; }
    TTrackButton TrackButton() const { return fTrackButton; }
    void SetTrackButton(TTrackButton v) { fTrackButton = v; }
    // The control the menu was last shown for (set before OnPopup).
    TComponent* PopupComponent() const { return fPopupComponent; }
    void SetPopupComponent(TComponent* c) { fPopupComponent = c; }
    // The screen point of the last Popup.
    TPoint PopupPoint() const { return fPopupPoint; }

    // Shows the menu at a screen point: OnPopup, then the presenter; the item the user picked (if
    // any, and enabled) is clicked after the presenter returns.
    virtual void Popup(int x, int y);

    TNotifyEvent OnPopup;

private:
    TPopupAlignment fAlignment = paLeft;
    bool fAutoPopup = true;
    int fHelpContext = 0;
    TTrackButton fTrackButton = tbRightButton;
    TComponent* fPopupComponent = nullptr;
    TPoint fPopupPoint;
};

// What shows a pop-up menu: answers the item the user picked (nullptr: none). The default (and
// headless) presenter picks nothing; tests and scripted runs install one. Returns the previous.
using TPopupPresenter = std::function<TMenuItem*(TPopupMenu& menu, TPoint screenPoint)>;
TPopupPresenter SetPopupPresenter(TPopupPresenter presenter);

// The context-menu behaviour of a control: when its PopupMenu is an auto-pop-up TPopupMenu, shows
// it at the client point (converted to the screen) for the control. True when a menu was shown.
// Controls call this on a right-button release.
bool ShowContextMenu(TControl* control, TPoint clientPoint);

}  // namespace plat
