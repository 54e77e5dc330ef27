#pragma once
// TQmRadioGroup: a radio group whose buttons are TQmGroupButtons (TQmRadioButtons), arranged in
// columns inside the group box.
#include <memory>
#include <vector>

#include "controls/QmRadioButton.h"
#include "platform/widgets/StringList.h"

namespace qm {

class TQmRadioGroup;

class TQmGroupButton : public TQmRadioButton {
    PLAT_CLASS(TQmGroupButton)
    explicit TQmGroupButton(plat::TComponent* owner);
    TQmGroupButton(TQmRadioGroup* group, int dummy);

protected:
    void KeyPress(char& key) override;
    friend class TQmRadioGroup;
    TQmRadioGroup* fGroup = nullptr;
};

class TQmRadioGroup : public plat::TCustomGroupBox {
    PLAT_CLASS(TQmRadioGroup)
    explicit TQmRadioGroup(plat::TComponent* owner);
    ~TQmRadioGroup() override;

    plat::TStrings* Items() const { return fItems.get(); }
    void SetItems(plat::TStrings* items) { fItems->Assign(items); }
    int ItemIndex() const { return fItemIndex; }
    // Below -1 gives -1, past the last button the last one.
    void SetItemIndex(int index);
    int Columns() const { return fColumns; }
    void SetColumns(int c);  // clamped to 1..16

    int ButtonCount() const { return static_cast<int>(fButtons.size()); }
    TQmGroupButton* Buttons(int index) const { return fButtons.at(index); }
    // Places the buttons in columns (nothing while loading).
    void ArrangeButtons();
    // The group never refuses modification; kept for the key filter of its buttons.
    virtual bool CanModify() const { return true; }

protected:
    void Loaded() override;
    void Resize() override;
    void FontChanged() override;
    void EnabledChanged() override;
    void ItemsChanged(plat::TObject* sender);
    void SetButtonCount(int n);
    void UpdateButtons();
    void ButtonClick(plat::TObject* sender);
    friend class TQmGroupButton;

    std::unique_ptr<plat::TStringList> fItems;
    std::vector<TQmGroupButton*> fButtons;
    int fItemIndex = -1;
    int fColumns = 1;
    bool fUpdating = false;
    bool fReading = false;
};

}  // namespace qm
