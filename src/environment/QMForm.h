#pragma once
// The base of every form of the module: adapts fonts and texts to the user-interface code page
// (code converter), applies the language packages of its class chain when shown, gives its
// buttons a generated disabled image, and looks messages up in the language packages.
#include <string>

#include "environment/CodeConverter.h"
#include "environment/LanguageController.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Forms.h"
#include "platform/graphics/Bitmap.h"

namespace qm {

// A new bitmap of the same size: the picture's dark pixels and its bright edge pixels embossed in
// the button highlight and shadow colours on the button face.
plat::TBitmap* MakeDisabledGlyph(plat::TBitmap* bitmap);
// Doubles the bitmap's width and puts the disabled image beside the picture.
void AddDisabledGlyph(plat::TBitmap* bitmap);

class TQMForm : public plat::TForm {
    PLAT_CLASS(TQMForm)
    explicit TQMForm(plat::TComponent* owner);
    TQMForm(plat::TComponent* owner, int dummy);

    TCodeConverter* QmConverter = nullptr;
    TQmLangController* LangController = nullptr;
    bool Converted = false;
    bool LanguageOnShow = false;

    void FormCreate(plat::TObject* sender);
    // Applies the language packages when LanguageOnShow is set. A package that cannot be read is
    // written to the log (once per file) and the form shows untranslated.
    void FormShow(plat::TObject* sender);
    // Converts the form once (descendants call it once their screen is built).
    void ConvertOnce();
    // Applies the packages named after the target's class (and, with withAncestors, its ancestors
    // up to the platform's form class, the most basic first) that exist. Raises
    // LanguageControllerError for a package that cannot be read.
    virtual void ApplyLanguage(plat::TComponent* target, bool withAncestors);
    // The same, stopping before TQMForm too.
    virtual void ApplyOwnLanguage(plat::TComponent* target, bool withAncestors);
    void GetLangMessage(const std::string& packageName, const std::string& ident, std::string& text,
                        bool convertDefault, const std::string& def);
    int ShowMessageDlg(const std::string& text, plat::TMsgDlgType dialogType, plat::TMsgDlgButtons buttons);

    std::string GetSystemCodePage() const;
    std::string GetUICodePage() const;
    uint8_t GetConvertKind() const;
    uint8_t GetDataConvertKind() const;

private:
    void ApplyChain(plat::TComponent* target, bool withAncestors, const plat::TClassInfo& stop);
    void TreatButton(plat::TObject* button);
};

}  // namespace qm
