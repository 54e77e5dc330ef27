#pragma once
// Edits that carry their own label ("EditLabel"), which follows the edit on every move, resize,
// re-parenting, enabling and showing. TQmBtnDBEdit also carries a glyph button ("F2Button") at
// its right that asks the form for the edit's lookup (or raises OnDialog).
#include "controls/GSpdBtn.h"
#include "platform/widgets/DBCtrls.h"
#include "platform/widgets/StdCtrls.h"

namespace qm {

enum TLabelPosition { lpAbove, lpBelow, lpLeft, lpRight };

}  // namespace qm

namespace plat {
PLAT_DECLARE_ENUM(qm::TLabelPosition)
}

namespace qm {

// The label and its placement, shared by the three edits.
class TEditLabelLink {
public:
    void Create(plat::TWinControl* edit);
    plat::TLabel* Label() const { return fLabel; }
    std::string Caption() const;
    void SetCaption(const std::string& s);
    TLabelPosition Position() const { return fPosition; }
    void SetPosition(TLabelPosition p);
    int Spacing() const { return fSpacing; }
    void SetSpacing(int s);  // negative values are ignored
    void Place();
    void FollowParent();
    void FollowEnabled();
    void FollowVisible();
    void Forget(plat::TComponent* c);

private:
    plat::TWinControl* fEdit = nullptr;
    plat::TLabel* fLabel = nullptr;
    TLabelPosition fPosition = lpLeft;
    int fSpacing = 4;
};

#define QM_LABELLED_EDIT_MEMBERS                                                            \
    plat::TLabel* EditLabel() const { return fLink.Label(); }                               \
    std::string Caption() const { return fLink.Caption(); }                                 \
    void SetCaption(const std::string& s) { fLink.SetCaption(s); }                          \
    TLabelPosition LabelPosition() const { return fLink.Position(); }                       \
    void SetLabelPosition(TLabelPosition p) { fLink.SetPosition(p); }                       \
    int LabelSpacing() const { return fLink.Spacing(); }                                    \
    void SetLabelSpacing(int s) { fLink.SetSpacing(s); }                                    \
    void SetBounds(int left, int top, int width, int height) override;                      \
    void SetParent(plat::TWinControl* parent) override;

class TQmEdit : public plat::TEdit {
    PLAT_CLASS(TQmEdit)
    explicit TQmEdit(plat::TComponent* owner);
    QM_LABELLED_EDIT_MEMBERS

protected:
    void EnabledChanged() override;
    void VisibleChanged() override;
    void Notification(plat::TComponent* c, plat::TOperation op) override;
    TEditLabelLink fLink;
};

class TQmDBEdit : public plat::TDBEdit {
    PLAT_CLASS(TQmDBEdit)
    explicit TQmDBEdit(plat::TComponent* owner);
    QM_LABELLED_EDIT_MEMBERS

protected:
    void EnabledChanged() override;
    void VisibleChanged() override;
    void Notification(plat::TComponent* c, plat::TOperation op) override;
    virtual void PlaceButton() {}
    TEditLabelLink fLink;
};

class TQmBtnDBEdit : public TQmDBEdit {
    PLAT_CLASS(TQmBtnDBEdit)
    explicit TQmBtnDBEdit(plat::TComponent* owner);

    TGSpeedButton* F2Button() const { return fButton; }
    int ButtonSpacing() const { return fButtonSpacing; }
    void SetButtonSpacing(int s);
    int GlyphIndex() const;
    void SetGlyphIndex(int n);
    std::string ButtonHint() const;
    void SetButtonHint(const std::string& s);
    void SetBounds(int left, int top, int width, int height) override;
    void SetParent(plat::TWinControl* parent) override;
    // OnDialog when assigned, else the lookup request to the edit's owner form.
    void ButtonClick(plat::TObject* sender);

    plat::TNotifyEvent OnDialog;

protected:
    void EnabledChanged() override;
    void VisibleChanged() override;
    void Notification(plat::TComponent* c, plat::TOperation op) override;
    void PlaceButton() override;
    TGSpeedButton* fButton = nullptr;
    int fButtonSpacing = 2;
};

}  // namespace qm
