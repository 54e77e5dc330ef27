#pragma once
// The data-aware combo box whose item lines are "display text", a tab and a stored value
// (TwwDBCustomComboBox, TwwDBComboBox), and its data source (TwwDataSource). It is a
// TCustomComboBox, so whatever treats combo boxes treats it too.
#include <memory>
#include <string>

#include "platform/widgets/DB.h"
#include "platform/widgets/StdCtrls.h"

namespace plat {

class TwwDBCustomComboBox : public TCustomComboBox {
    PLAT_CLASS(TwwDBCustomComboBox)
    explicit TwwDBCustomComboBox(TComponent* owner);
    ~TwwDBCustomComboBox() override;

    TDataSource* DataSource() const { return fDataLink->DataSource(); }
    void SetDataSource(TDataSource* ds);
    const std::string& DataField() const { return fDataLink->FieldName(); }
    void SetDataField(const std::string& s) { fDataLink->SetFieldName(s); }
    TField* Field() const { return fDataLink->Field(); }
    bool ReadOnly() const { return fDataLink->ReadOnly(); }
    void SetReadOnly(bool v) { fDataLink->SetReadOnly(v); }
    // True: the field stores the part after the tab; false: the display part.
    bool MapList() const { return fMapList; }
    void SetMapList(bool v);
    TFieldDataLink* DataLink() const { return fDataLink.get(); }

    // The part of an item line before its first tab, and the part after it (the whole line
    // when it has no tab).
    static std::string DisplayPart(const std::string& line);
    static std::string ValuePart(const std::string& line);
    // Shows the display part of the selected item as the text.
    void ShowDisplayText();
    // The item whose stored value (or display part without MapList) equals the text; -1 if none.
    int IndexOfValue(const std::string& value) const;

protected:
    void Select() override;
    void DoExit() override;
    void Notification(TComponent* c, TOperation op) override;
    void DataChange(TObject* sender);
    void UpdateData(TObject* sender);

    std::unique_ptr<TFieldDataLink> fDataLink;
    bool fMapList = true;
};

class TwwDBComboBox : public TwwDBCustomComboBox {
    PLAT_CLASS(TwwDBComboBox)
    using TwwDBCustomComboBox::TwwDBCustomComboBox;
};

class TwwDataSource : public TDataSource {
    PLAT_CLASS(TwwDataSource)
    using TDataSource::TDataSource;
};

}  // namespace plat
