#include "platform/qt/QtProperties.h"

#include "platform/core/SysUtils.h"
#include "platform/system/Shell.h"
#include "platform/widgets/StdCtrls.h"

namespace plat {

PLAT_REGISTER_CLASS(TFilePropertiesForm, TForm) {}

TFilePropertiesForm::TFilePropertiesForm(TComponent* owner) : TForm(owner, 0) {
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetBounds(0, 0, 360, 220);
}

void TFilePropertiesForm::Fill(const TFileProperties& p) {
    SetCaption(p.Name + " Properties");
    auto when = [](TDateTime t) { return t == 0 ? std::string() : FormatDateTime("yyyy-mm-dd hh:nn:ss", t); };
    const std::pair<const char*, std::string> rows[] = {
        {"Name:", p.Name},
        {"Location:", p.FullName},
        {"Size:", FormatFloat("#,##0", static_cast<double>(p.Size)) + " bytes"},
        {"Modified:", when(p.Modified)},
        {"Accessed:", when(p.Accessed)},
        {"Changed:", when(p.Changed)},
        {"Version:", p.Version.empty() ? std::string("-") : p.Version},
    };
    int top = 12;
    for (auto& [title, value] : rows) {
        auto* t = CreateObject<TLabel>(this);
        t->SetParent(this);
        t->SetShowAccelChar(false);
        t->SetBounds(12, top, 80, 16);
        t->SetCaption(title);
        auto* v = CreateObject<TLabel>(this);
        v->SetName(std::string("lbl") + std::string(title).substr(0, std::string(title).size() - 1));
        v->SetParent(this);
        v->SetShowAccelChar(false);
        v->SetBounds(96, top, 240, 16);
        v->SetCaption(value);
        top += 20;
    }
    auto* ok = CreateObject<TButton>(this);
    ok->SetName("OK");
    ok->SetParent(this);
    ok->SetCaption("OK");
    ok->SetDefault(true);
    ok->SetCancel(true);
    ok->SetBounds(ClientWidth() - 87, ClientHeight() - 33, 75, 25);
    ok->OnClick = TNotifyEvent::Of<&TFilePropertiesForm::OkClick>(this);
}

void TFilePropertiesForm::OkClick(TObject*) { Close(); }

void TFilePropertiesForm::DoClose(TCloseAction& action) {
    TForm::DoClose(action);
    if (action == caHide) action = caFree;  // nobody keeps it: free on close
}

void InstallQtShellProperties() {
    SetShellPropertiesHook([](const TShellRequest& r) -> int {
        TFileProperties p = GetFileProperties(r.File);
        if (!p.Exists) return SE_ERR_FNF;
        auto* f = CreateObject<TFilePropertiesForm>(nullptr);
        f->Fill(p);
        f->Show();
        return SE_OK;
    });
}

}  // namespace plat
