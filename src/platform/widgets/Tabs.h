#pragma once
// The tab set: a row of tabs (usually under a grid or a notebook) with a selected index.
#include <memory>
#include <string>

#include "platform/forms/Controls.h"
#include "platform/widgets/StringList.h"

namespace plat {

PLAT_DECLARE_EVENT(TTabChangeEvent, TObject* /*Sender*/, int /*NewTab*/, bool& /*AllowChange*/)

class TTabSet : public TCustomControl {
    PLAT_CLASS(TTabSet)
    explicit TTabSet(TComponent* owner);
    ~TTabSet() override;

    TStrings* Tabs() const { return fTabs.get(); }
    void SetTabs(TStrings* v) { fTabs->Assign(v); }
    int TabIndex() const { return fTabIndex; }
    // OnChange (NewTab, AllowChange) may refuse; out-of-range values become -1. Raised also when
    // set in code, as the original does; then OnClick.
    void SetTabIndex(int v);
    TColor BackgroundColor() const { return fBackgroundColor; }
    void SetBackgroundColor(TColor v) { fBackgroundColor = v; Invalidate(); }
    TColor SelectedColor() const { return fSelectedColor; }
    void SetSelectedColor(TColor v) { fSelectedColor = v; Invalidate(); }
    TColor UnselectedColor() const { return fUnselectedColor; }
    void SetUnselectedColor(TColor v) { fUnselectedColor = v; Invalidate(); }
    bool DitherBackground() const { return fDitherBackground; }
    void SetDitherBackground(bool v) { fDitherBackground = v; Invalidate(); }
    bool AutoScroll() const { return fAutoScroll; }
    void SetAutoScroll(bool v) { fAutoScroll = v; }
    int StartMargin() const { return fStartMargin; }
    void SetStartMargin(int v) { fStartMargin = v; Invalidate(); }
    int EndMargin() const { return fEndMargin; }
    void SetEndMargin(int v) { fEndMargin = v; Invalidate(); }
    int FirstIndex() const { return fFirstIndex; }
    void SetFirstIndex(int v);

    // Tabs from StartMargin, each its caption width + 12 wide.
    TRect ItemRect(int index) const;
    int ItemAtPos(TPoint p) const;
    void SelectNext(bool direction);

    TTabChangeEvent OnChange;

protected:
    void TabsChanged(TObject*);
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

    std::unique_ptr<TStringList> fTabs;
    int fTabIndex = -1;
    TColor fBackgroundColor = clBtnFace, fSelectedColor = clBtnFace, fUnselectedColor = clWindow;
    bool fDitherBackground = true, fAutoScroll = true;
    int fStartMargin = 5, fEndMargin = 5, fFirstIndex = 0;
};

}  // namespace plat
