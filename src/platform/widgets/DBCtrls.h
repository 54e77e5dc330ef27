#pragma once
// Data-aware controls: TDBEdit (an edit bound to one field through DataSource and DataField) and
// TDBNavigator (buttons that move through and edit a data set, each with its hint).
#include <array>
#include <memory>
#include <string>

#include "platform/widgets/DB.h"
#include "platform/widgets/StdCtrls.h"
#include "platform/widgets/StringList.h"

namespace plat {

// An edit showing a field of the current record. Typing starts editing the data set (when its
// data source allows automatic editing); the text goes into the field when the edit is left,
// on Enter, or when the data set posts; Esc restores the field's text.
class TDBEdit : public TCustomEdit {
    PLAT_CLASS(TDBEdit)
    explicit TDBEdit(TComponent* owner);
    ~TDBEdit() override;

    TDataSource* DataSource() const { return fDataLink->DataSource(); }
    void SetDataSource(TDataSource* ds);
    const std::string& DataField() const { return fDataLink->FieldName(); }
    void SetDataField(const std::string& s) { fDataLink->SetFieldName(s); }
    TField* Field() const { return fDataLink->Field(); }
    bool ReadOnly() const { return fDataLink->ReadOnly(); }
    void SetReadOnly(bool v);
    TFieldDataLink* DataLink() const { return fDataLink.get(); }

protected:
    void Change() override;
    void KeyPress(char& key) override;
    void DefaultKeyDown(uint16_t key, TShiftState shift) override;
    void DefaultChar(char key) override;
    void DoEnter() override;
    void DoExit() override;
    void Notification(TComponent* c, TOperation op) override;
    void DataChange(TObject* sender);
    void EditingChange(TObject* sender);
    void UpdateData(TObject* sender);
    void ShowField();
    bool CanWrite() const;

    std::unique_ptr<TFieldDataLink> fDataLink;
    bool fShowing = false;
    bool fFocusedShow = false;
};

enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };
using TButtonSet = TSet<TNavigateBtn>;
PLAT_DECLARE_ENUM(TNavigateBtn)
PLAT_DECLARE_SET(TButtonSet)
PLAT_DECLARE_EVENT(ENavClick, TObject* /*Sender*/, TNavigateBtn /*Button*/)

// One button of a navigator: its hint is what the hint window shows for it.
class TNavButton : public TGraphicControl {
    PLAT_CLASS(TNavButton)
    explicit TNavButton(TComponent* owner);
    TNavigateBtn Index() const { return fIndex; }

protected:
    friend class TDBNavigator;
    void Click() override;
    TNavigateBtn fIndex = nbFirst;
};

class TDBNavigator : public TCustomControl {
    PLAT_CLASS(TDBNavigator)
    explicit TDBNavigator(TComponent* owner);
    ~TDBNavigator() override;

    TDataSource* DataSource() const { return fDataLink->DataSource(); }
    void SetDataSource(TDataSource* ds);
    TButtonSet VisibleButtons() const { return fVisibleButtons; }
    void SetVisibleButtons(TButtonSet s);
    // Hint lines by button order; an empty or missing line leaves the button's default hint.
    TStrings* Hints() const { return fHints.get(); }
    void SetHints(TStrings* s) { fHints->Assign(s); }
    bool ConfirmDelete() const { return fConfirmDelete; }
    void SetConfirmDelete(bool v) { fConfirmDelete = v; }
    bool Flat() const { return fFlat; }
    void SetFlat(bool v) { fFlat = v; }
    TNavButton* Buttons(TNavigateBtn b) const { return fButtons[static_cast<size_t>(b)]; }
    // Runs the button's action on the data set, then OnClick.
    void BtnClick(TNavigateBtn b);
    // Enables the buttons as the data set's state allows.
    void UpdateButtons();

    ENavClick BeforeAction, OnClick;

protected:
    void HintsChanged(TObject* sender);
    void Resize() override;
    void Arrange();

    std::unique_ptr<TFieldDataLink> fDataLink;
    std::array<TNavButton*, 10> fButtons{};
    TButtonSet fVisibleButtons{nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh};
    std::unique_ptr<TStringList> fHints;
    bool fConfirmDelete = true;
    bool fFlat = false;
};

}  // namespace plat
