// A form description using every standard control loads: classes by name, properties in stored
// order (an ItemIndex before its Items, a mask before its text), lists, a glyph's data, references
// and handlers.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/forms/DfmReader.h"
#include "platform/forms/Forms.h"
#include "platform/forms/TypInfo.h"
#include "platform/widgets/Animate.h"
#include "platform/widgets/Buttons.h"
#include "platform/widgets/ExtCtrls.h"
#include "platform/widgets/Mask.h"
#include "platform/widgets/Spin.h"
#include "platform/widgets/StdCtrls.h"

using namespace plat;

namespace {

class TAllControlsForm : public TForm {
    PLAT_CLASS(TAllControlsForm)
    using TForm::TForm;
    TLabel* lblName = nullptr;
    TEdit* edName = nullptr;
    TMaskEdit* meDate = nullptr;
    TMemo* mmNote = nullptr;
    TComboBox* cboKind = nullptr;
    TListBox* lstItems = nullptr;
    TCheckBox* chkNotify = nullptr;
    TRadioButton* rdoA = nullptr;
    TRadioButton* rdoB = nullptr;
    TButton* btnCancel = nullptr;
    TBitBtn* btnOk = nullptr;
    TSpeedButton* btnPeriod = nullptr;
    TPanel* pnlCondition = nullptr;
    TSplitter* Splitter1 = nullptr;
    TPanel* pnlBottom = nullptr;
    TGroupBox* grpTime = nullptr;
    TSpinEdit* seHour = nullptr;
    TAnimate* aniBusy = nullptr;
    std::vector<std::string> Log;
    void edNameChange(TObject*) { Log.push_back("edName changed"); }
    void btnOkClick(TObject*) { Log.push_back("ok"); }
};
PLAT_REGISTER_CLASS(TAllControlsForm, TForm) {
    PLAT_FIELD(lblName);
    PLAT_FIELD(edName);
    PLAT_FIELD(meDate);
    PLAT_FIELD(mmNote);
    PLAT_FIELD(cboKind);
    PLAT_FIELD(lstItems);
    PLAT_FIELD(chkNotify);
    PLAT_FIELD(rdoA);
    PLAT_FIELD(rdoB);
    PLAT_FIELD(btnCancel);
    PLAT_FIELD(btnOk);
    PLAT_FIELD(btnPeriod);
    PLAT_FIELD(pnlCondition);
    PLAT_FIELD(Splitter1);
    PLAT_FIELD(pnlBottom);
    PLAT_FIELD(grpTime);
    PLAT_FIELD(seHour);
    PLAT_FIELD(aniBusy);
    PLAT_METHOD(edNameChange);
    PLAT_METHOD(btnOkClick);
}

std::string GlyphData() {
    TBitmap glyph(32, 16);  // two frames: enabled red, disabled grey
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) glyph.SetPixel(x, y, x < 16 ? clRed : clGray);
    std::string data = glyph.WriteData(), hex;
    char buf[3];
    for (unsigned char c : data) {
        std::snprintf(buf, sizeof buf, "%02X", c);
        hex += buf;
    }
    return hex;
}

std::string Description() {
    return R"(object AllControlsForm: TAllControlsForm
  Left = 0
  Top = 0
  Width = 500
  Height = 400
  Caption = 'All controls'
  object pnlCondition: TPanel
    Left = 0
    Top = 0
    Width = 151
    Height = 300
    Align = alLeft
    BevelOuter = bvLowered
    Caption = ' '
  end
  object Splitter1: TSplitter
    Left = 151
    Top = 0
    Width = 3
    Height = 300
  end
  object lblName: TLabel
    Left = 160
    Top = 12
    Caption = '&Name'
    FocusControl = edName
  end
  object edName: TEdit
    Left = 200
    Top = 8
    Width = 121
    Height = 21
    ImeName = 'Chinese (Simplified) - IME'
    MaxLength = 8
    TabOrder = 0
    Text = #36153#29992
    OnChange = edNameChange
  end
  object meDate: TMaskEdit
    Left = 200
    Top = 36
    Width = 85
    Height = 21
    EditMask = '9999/99/99;1; '
    MaxLength = 10
    TabOrder = 1
    Text = '2024/03/05'
  end
  object mmNote: TMemo
    Left = 200
    Top = 64
    Width = 185
    Height = 50
    Lines.Strings = (
      'first'
      'second')
    ScrollBars = ssVertical
    TabOrder = 2
  end
  object cboKind: TComboBox
    Left = 200
    Top = 120
    Width = 145
    Height = 21
    Style = csDropDownList
    ItemHeight = 13
    ItemIndex = 1
    TabOrder = 3
    Text = 'b'
    Items.Strings = (
      'a'
      'b'
      'c')
  end
  object lstItems: TListBox
    Left = 200
    Top = 150
    Width = 121
    Height = 60
    Style = lbOwnerDrawFixed
    ItemHeight = 16
    Items.Strings = (
      'one'
      'two')
    TabOrder = 4
  end
  object chkNotify: TCheckBox
    Left = 330
    Top = 8
    Width = 97
    Height = 17
    Caption = 'Notify'
    Checked = True
    State = cbChecked
    TabOrder = 5
  end
  object grpTime: TGroupBox
    Left = 330
    Top = 30
    Width = 150
    Height = 70
    Caption = 'Time'
    TabOrder = 6
    object rdoA: TRadioButton
      Left = 8
      Top = 16
      Width = 113
      Height = 17
      Caption = 'Now'
      TabOrder = 0
    end
    object rdoB: TRadioButton
      Left = 8
      Top = 36
      Width = 113
      Height = 17
      Caption = 'Later'
      Checked = True
      TabOrder = 1
      TabStop = True
    end
  end
  object seHour: TSpinEdit
    Left = 330
    Top = 110
    Width = 41
    Height = 22
    MaxLength = 2
    MaxValue = 23
    MinValue = 0
    TabOrder = 7
    Value = 8
  end
  object aniBusy: TAnimate
    Left = 330
    Top = 140
    Width = 16
    Height = 16
    Active = True
    CommonAVI = aviFindFile
    StopFrame = 8
  end
  object pnlBottom: TPanel
    Left = 0
    Top = 300
    Width = 492
    Height = 43
    Align = alBottom
    Alignment = taRightJustify
    BevelOuter = bvNone
    TabOrder = 8
    object btnOk: TBitBtn
      Left = 300
      Top = 8
      Width = 75
      Height = 25
      Caption = #30830#23450
      Default = True
      TabOrder = 0
      OnClick = btnOkClick
      Glyph.Data = {)" + GlyphData() + R"(}
      NumGlyphs = 2
    end
    object btnCancel: TButton
      Left = 380
      Top = 8
      Width = 75
      Height = 25
      Cancel = True
      Caption = #21462#28040
      ModalResult = 2
      TabOrder = 1
    end
    object btnPeriod: TSpeedButton
      Left = 250
      Top = 8
      Width = 40
      Height = 25
      AllowAllUp = True
      GroupIndex = 2
      Down = True
      Caption = #21608#26399#24615
      Flat = True
    end
  end
end
)";
}

TEST(DescriptionTest, EveryStandardControlLoads) {
    auto* f = CreateObject<TAllControlsForm>(nullptr, 0);
    ReadDescriptionInto(f, Description(), "AllControls");

    EXPECT_EQ(f->lblName->FocusControl(), f->edName);
    EXPECT_EQ(f->edName->Text(), "费用");
    EXPECT_EQ(f->edName->ImeName(), "Chinese (Simplified) - IME");
    EXPECT_TRUE(f->Log.empty());  // no change event while loading
    EXPECT_EQ(f->meDate->EditText(), "2024/03/05");
    EXPECT_EQ(f->meDate->Text(), "2024/03/05");
    EXPECT_EQ(f->mmNote->Lines()->ToVector(), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(f->mmNote->ScrollBars(), ssVertical);
    EXPECT_EQ(f->cboKind->Style(), csDropDownList);
    EXPECT_EQ(f->cboKind->ItemIndex(), 1);  // stored before its items, applied once loaded
    EXPECT_EQ(f->cboKind->Text(), "b");
    EXPECT_EQ(GetEnumProp(f->lstItems, "Style"), "lbOwnerDrawFixed");
    EXPECT_EQ(f->lstItems->Items()->Count(), 2);
    EXPECT_TRUE(f->chkNotify->Checked());
    EXPECT_EQ(f->rdoA->Parent(), f->grpTime);
    EXPECT_FALSE(f->rdoA->Checked());
    EXPECT_TRUE(f->rdoB->Checked());
    EXPECT_EQ(f->seHour->Value(), 8);
    EXPECT_EQ(f->seHour->MaxValue(), 23);
    EXPECT_TRUE(f->aniBusy->Open());
    EXPECT_TRUE(f->aniBusy->Active());
    EXPECT_EQ(f->aniBusy->StopFrame(), 8);
    EXPECT_EQ(f->Splitter1->FindResizeControl(), f->pnlCondition);
    EXPECT_EQ(f->pnlBottom->Top(), f->ClientHeight() - 43);
    EXPECT_EQ(f->btnOk->Parent(), f->pnlBottom);
    EXPECT_EQ(f->btnOk->NumGlyphs(), 2);
    EXPECT_EQ(f->btnOk->Glyph()->Pixel(3, 3), clRed);
    EXPECT_EQ(f->btnOk->Caption(), "确定");
    EXPECT_TRUE(f->btnOk->Default());
    EXPECT_EQ(f->btnCancel->ModalResult(), mrCancel);
    EXPECT_TRUE(f->btnPeriod->Down());
    EXPECT_TRUE(f->btnPeriod->AllowAllUp());

    f->Show();
    f->edName->SetFocus();
    TypeText("x");
    ClickAt(f->btnOk);
    EXPECT_EQ(f->Log, (std::vector<std::string>{"edName changed", "ok"}));
    f->Free();
}

}  // namespace
