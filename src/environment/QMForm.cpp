#include "environment/QMForm.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <set>

#include "environment/KOLTAGeneratorU.h"
#include "environment/LibRTTI.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Canvas.h"

using namespace plat;

namespace qm {

PLAT_REGISTER_CLASS(TQMForm, TForm) {
    PLAT_FIELD(QmConverter);
    PLAT_FIELD(LangController);
    PLAT_METHOD(FormCreate);
    PLAT_METHOD(FormShow);
}

TQMForm::TQMForm(TComponent* owner) : TForm(owner) {}
TQMForm::TQMForm(TComponent* owner, int dummy) : TForm(owner, dummy) {}

// ---- Disabled glyphs ------------------------------------------------------------------------

TBitmap* MakeDisabledGlyph(TBitmap* bitmap) {
    const int w = bitmap->Width(), h = bitmap->Height();
    const TColor t = bitmap->TransparentColor();
    auto result = std::make_unique<TBitmap>(w, h);
    result->SetPixelFormat(pf24bit);
    result->Fill(t);
    std::vector<bool> marked(static_cast<size_t>(w) * static_cast<size_t>(h), false);
    auto isT = [&](int x, int y) {
        x = std::clamp(x, 0, w - 1);
        y = std::clamp(y, 0, h - 1);
        return bitmap->Pixel(x, y) == t;
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            TColor p = bitmap->Pixel(x, y);
            if (p == t) continue;
            bool dark = GetRValue(p) + GetGValue(p) + GetBValue(p) < 384;
            if (dark || isT(x, y - 1) || isT(x, y + 1) || isT(x - 1, y) || isT(x + 1, y)) {
                marked[static_cast<size_t>(y) * w + x] = true;
                result->SetPixel(x, y, clBlack);
            }
        }
    }
    // Mask: black where marked, white elsewhere (whatever colour the transparent one is).
    TBitmap mask(w, h);
    mask.Fill(clWhite);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (marked[static_cast<size_t>(y) * w + x]) mask.SetPixel(x, y, clBlack);
    mask.SetPixelFormat(pf1bit);

    result->Fill(ColorToRGB(clBtnFace));
    TCanvas* c = result->Canvas();
    c->Brush()->SetColor(clBtnHighlight);
    BitBlt(*c, 1, 1, w, h, *mask.Canvas(), 0, 0, ROP_PSDPxax);
    c->Brush()->SetColor(clBtnShadow);
    BitBlt(*c, 0, 0, w, h, *mask.Canvas(), 0, 0, ROP_PSDPxax);
    return result.release();
}

void AddDisabledGlyph(TBitmap* bitmap) {
    if (!bitmap || bitmap->Empty()) return;
    std::unique_ptr<TBitmap> disabled(MakeDisabledGlyph(bitmap));
    TBitmap before;
    before.Assign(bitmap);
    before.SetTransparent(false);
    const int w = bitmap->Width();
    const TColor t = bitmap->TransparentColor();
    bitmap->SetWidth(w * 2);
    bitmap->Fill(t);
    bitmap->Canvas()->Draw(0, 0, &before);
    bitmap->Canvas()->Draw(w, 0, disabled.get());
}

void TQMForm::TreatButton(TObject* button) {
    if (!button) return;
    auto* glyph = dynamic_cast<TBitmap*>(GetObjectProperty(button, "Glyph"));
    if (!glyph || GlyphFrameCount(*glyph) != 1) return;
    AddDisabledGlyph(glyph);
    SetOrdinalProperty(button, "NumGlyphs", 2);
}

// ---- Life cycle -----------------------------------------------------------------------------

void TQMForm::FormCreate(TObject*) {
    Converted = false;
    LanguageOnShow = true;
    const bool english = GetUICodePage() == "437";
    std::vector<TComponent*> owned = ComponentList();
    for (TComponent* c : owned) {
        if (HasProperty(c, "ImeName")) SetStringProperty(c, "ImeName", "");
        if (english && HasProperty(c, "Font")) {
            TrySetPropertyByPath(c, "Font.Charset", Variant(134));
            TrySetPropertyByPath(c, "Font.Name", Variant("Tahoma"));
        }
        if (c->InheritsFrom("TQmBtnDBEdit") || c->InheritsFrom("TQmBtnDBCombo")) {
            TObject* button = GetObjectProperty(c, "F2Button");
            TreatButton(button ? button : c->FindComponent("F2Button"));
        } else if (c->InheritsFrom("TSpeedButton") || c->InheritsFrom("TGSpeedButton") || c->InheritsFrom("TBitBtn")) {
            TreatButton(c);
        } else if (c->InheritsFrom("TSelectPanel")) {
            // Its three lookup buttons: the lookup-button class among its (unnamed) parts.
            for (TComponent* part : c->ComponentList())
                if (part->InheritsFrom("TF2Button")) TreatButton(part);
        }
    }
}

void TQMForm::FormShow(TObject*) {
    if (!LanguageOnShow) return;
    try {
        ApplyLanguage(this, true);
    } catch (const std::exception& e) {
        // One damaged package must not make the form unusable: report it once, show untranslated.
        static std::mutex guard;
        static std::set<std::string> reported;
        std::string file = LangController ? LangController->FileName() : std::string();
        std::lock_guard<std::mutex> lock(guard);
        if (reported.insert(file).second)
            WriteLog("Language", "Language package " + file + " not applied: " + e.what(), "D");
    }
}

void TQMForm::ConvertOnce() {
    if (Converted) return;
    if (QmConverter) QmConverter->ConvertForm(this, true);
    Converted = true;
}

void TQMForm::ApplyChain(TComponent* target, bool withAncestors, const TClassInfo& stop) {
    if (!target || !LangController) return;
    std::vector<std::string> names;
    if (withAncestors) {
        names = target->ClassType()->ChainNames(&stop);
        std::reverse(names.begin(), names.end());
    } else {
        names.push_back(target->ClassName());
    }
    for (const std::string& name : names) {
        LangController->SetLangPackageName(name);
        const std::string& file = LangController->FileName();
        if (file.empty() || !FileExists(file)) continue;
        LangController->SetActive(true);
        LangController->GetReader()->ApplyTo(target);
    }
}

void TQMForm::ApplyLanguage(TComponent* target, bool withAncestors) {
    ApplyChain(target, withAncestors, TForm::StaticClass());
}

void TQMForm::ApplyOwnLanguage(TComponent* target, bool withAncestors) {
    ApplyChain(target, withAncestors, TQMForm::StaticClass());
}

void TQMForm::GetLangMessage(const std::string& packageName, const std::string& ident, std::string& text,
                             bool convertDefault, const std::string& def) {
    TDesignType type = LangController ? LangController->DesignType() : dtClient;
    if (FindLangMessage(type, packageName, ident, text)) return;
    text = convertDefault && QmConverter ? QmConverter->ConvertDesignToUI(Variant(def)).AsString() : def;
}

int TQMForm::ShowMessageDlg(const std::string& text, TMsgDlgType dialogType, TMsgDlgButtons buttons) {
    return QmConverter ? QmConverter->ShowMessageDlg(text, dialogType, buttons) : mrNone;
}

std::string TQMForm::GetSystemCodePage() const { return QmConverter ? QmConverter->SystemCodePage : "936"; }
std::string TQMForm::GetUICodePage() const { return QmConverter ? QmConverter->UICodePage : "936"; }
uint8_t TQMForm::GetConvertKind() const { return QmConverter ? QmConverter->ConvertKind : 0; }
uint8_t TQMForm::GetDataConvertKind() const { return QmConverter ? QmConverter->DataConvertKind : 0; }

}  // namespace qm
