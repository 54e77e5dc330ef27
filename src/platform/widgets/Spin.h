#pragma once
// The spin edit: an edit for a whole number with up and down buttons.
//
// Value reads the text as an integer (a text that is no integer reads as MinValue) and writes it
// kept within MinValue..MaxValue (no limits while both are equal). The buttons and the Up and
// Down keys add or take Increment; only digits, signs and the decimal separator can be typed;
// leaving the edit puts a value outside the limits back inside.
#include <string>

#include "platform/widgets/StdCtrls.h"

namespace plat {

class TSpinEdit;

// The pair of arrow buttons: a press and release on the upper half is an up click, on the lower
// half a down click. The focus goes to FocusControl when it can take it.
class TSpinButton : public TWinControl {
    PLAT_CLASS(TSpinButton)
    explicit TSpinButton(TComponent* owner);

    TWinControl* FocusControl() const { return fFocusControl; }
    void SetFocusControl(TWinControl* c);
    // The half held down by the left button (1 up, -1 down, 0 none), for the pressed look.
    int PressedHalf() const { return fPressedHalf; }
    TNotifyEvent OnUpClick, OnDownClick;

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void Notification(TComponent* c, TOperation op) override;

    TWinControl* fFocusControl = nullptr;
    int fPressedHalf = 0;  // 1 up, -1 down, 0 none
};

class TSpinEdit : public TCustomEdit {
    PLAT_CLASS(TSpinEdit)
    explicit TSpinEdit(TComponent* owner);

    int Value() const;
    void SetValue(int v);
    int MinValue() const { return fMinValue; }
    void SetMinValue(int v) { fMinValue = v; }
    int MaxValue() const { return fMaxValue; }
    void SetMaxValue(int v) { fMaxValue = v; }
    int Increment() const { return fIncrement; }
    void SetIncrement(int v) { fIncrement = v; }
    // False: the number changes only by the buttons and keys, typing is refused.
    bool EditorEnabled() const { return fEditorEnabled; }
    void SetEditorEnabled(bool v) { fEditorEnabled = v; }
    TSpinButton* Button() const { return fButton; }
    // The value within the limits.
    int CheckValue(int v) const;

    void SetBounds(int left, int top, int width, int height) override;
    virtual void UpClick(TObject* sender);
    virtual void DownClick(TObject* sender);

protected:
    bool IsValidChar(char key) const;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void DoExit() override;
    void PlaceButton();

    TSpinButton* fButton = nullptr;
    int fMinValue = 0;
    int fMaxValue = 0;
    int fIncrement = 1;
    bool fEditorEnabled = true;
};

}  // namespace plat
