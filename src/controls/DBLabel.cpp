#include "controls/DBLabel.h"

#include <algorithm>

#include "platform/forms/Dialogs.h"
#include "platform/core/SysUtils.h"
#include "platform/forms/TypInfo.h"
#include "platform/widgets/DB.h"

using namespace plat;

namespace plat {
PLAT_DEFINE_ENUM(qm::TPos, "psTop", "psLeft", "psRight", "psBottom")
}

namespace qm {

PLAT_REGISTER_CLASS(TDBLabel, TLabel) {
    b.Property("FocusControl", &Self::FocusControl, &Self::SetFocusControl);
    b.Property("AutoAlign", &Self::AutoAlign, &Self::SetAutoAlign).Default(1);
    b.Property("AutoCaption", &Self::AutoCaption, &Self::SetAutoCaption).Default(1);
    b.Property("Pos", &Self::Pos, &Self::SetPos).Default(psLeft);
    b.Property("Gap", &Self::Gap, &Self::SetGap).TypeName("Byte").Default(4);
}

TDBLabel::TDBLabel(TComponent* owner) : TLabel(owner) { SetCaption("挂靠标签"); }

void TDBLabel::SetFocusControl(TWinControl* c) {
    if (c) {
        if (c == fFocusControl) return;
        if (fParent) {
            for (TComponent* comp : fParent->ComponentList()) {
                auto* other = dynamic_cast<TDBLabel*>(comp);
                if (other && other != this && other->FocusControl() == c) {
                    MessageDlg("不能同时有两个 DBLabel 指到同一个 Control.", mtError, {mbOK});
                    return;
                }
            }
        }
    }
    TLabel::SetFocusControl(c);
    if (c) AlignToControl();
}

void TDBLabel::SetAutoAlign(bool v) {
    fAutoAlign = v;
    AlignToControl();
}

void TDBLabel::SetPos(TPos p) {
    fPos = p;
    AlignToControl();
}

void TDBLabel::SetGap(uint8_t g) {
    fGap = g;
    AlignToControl();
}

void TDBLabel::RefreshCaption() {
    if (!fAutoCaption || !fFocusControl) return;
    try {
        const TPropInfo* p = fFocusControl->ClassType()->FindProperty("DataSource");
        if (!p || p->PropType->Kind != tkClass) return;
        TObject* source = GetObjectProp(fFocusControl, p);
        if (!source) return;
        const TPropInfo* dsp = source->ClassType()->FindProperty("DataSet");
        TObject* dataSet = dsp ? GetObjectProp(source, dsp) : nullptr;
        if (!dataSet) return;
        const std::string field = GetStrProp(fFocusControl, "DataField");
        auto* ds = dynamic_cast<TDataSet*>(dataSet);
        TField* f = ds ? ds->FindField(field) : nullptr;
        if (f) SetCaption(f->DisplayLabel());
    } catch (const std::exception&) {
        // No such field (or anything else on the way): the caption stays.
    }
}

void TDBLabel::AlignToControl() {
    if (!fFocusControl || !fAutoAlign) return;
    RefreshCaption();
    const TWinControl& c = *fFocusControl;
    int left = fLeft, top = fTop;
    const int w = fWidth, h = fHeight;
    auto besideTop = [&] { return h == c.Height() ? c.Top() : std::max(0, c.Top() + c.Height() / 2 - h / 2); };
    switch (fPos) {
        case psTop:
            left = c.Left();
            top = std::max(0, c.Top() - h - fGap);
            break;
        case psLeft:
            top = besideTop();
            left = std::max(0, c.Left() - w - fGap);
            break;
        case psRight:
            top = besideTop();
            left = std::max(0, c.Left() + c.Width() + fGap);
            break;
        case psBottom:
            left = c.Left();
            top = std::max(0, c.Top() + c.Height() + fGap);
            break;
    }
    SetBounds(left, top, w, h);
}

}  // namespace qm
