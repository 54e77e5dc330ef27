#pragma once
// Converts a form's texts and fonts between GB and BIG5 (simplified and traditional characters)
// as the client configuration asks, and converts values between the screen's and the database's
// code pages.
#include <cstdint>
#include <memory>
#include <string>

#include "environment/LangCommon.h"
#include "environment/TranslatorU.h"
#include "platform/core/Variant.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Forms.h"

namespace qm {

class TCodeConverter : public plat::TComponent {
    PLAT_CLASS(TCodeConverter)
    // Reads the client configuration and loads the conversion library when ConvertKind is not 0;
    // a library that cannot be loaded raises ETranslatorError out of here.
    explicit TCodeConverter(plat::TComponent* owner);
    ~TCodeConverter() override;

    // Copies the code pages and kinds from the client or server configuration (DesignType).
    void LoadSettings();

    std::string SystemCodePage = "936";
    std::string UICodePage = "936";
    std::string DBCodePage = "936";
    uint8_t ConvertKind = 0;
    uint8_t DataConvertKind = 0;

    TDesignType DesignType() const { return fDesignType; }
    void SetDesignType(TDesignType value) { fDesignType = value; }
    TTranslator* Translator() const { return fTranslator.get(); }

    // Kind 1 BIG5 -> GB, kind 2 GB -> BIG5 (texts, numbers as their text, arrays element by
    // element); other kinds, no translator, Empty or Null: unchanged.
    plat::Variant ConvertValue(uint8_t kind, const plat::Variant& value) const;
    plat::Variant ConvertDBToUI(const plat::Variant& value) const { return ConvertValue(DataConvertKind, value); }
    plat::Variant ConvertDesignToUI(const plat::Variant& value) const { return ConvertValue(ConvertKind, value); }
    // The opposite directions; failures give the value unchanged.
    plat::Variant ConvertUIToDB(const plat::Variant& value) const;
    plat::Variant ConvertUIToDesign(const plat::Variant& value) const;
    std::string TranslateToGB(const std::string& text) const;
    std::string TranslateToBIG5(const std::string& text) const;
    // A text converted in the kind's direction (1 to GB, 2 to BIG5, else unchanged).
    std::string ConvertText(uint8_t kind, const std::string& text) const;

    // Kinds 0, 1, 4: "SimSun" with character set 134; kinds 2, 3: "SimSun" with 136.
    static void SetFontForKind(uint8_t kind, plat::TFont* font);

    // Converts the form's texts, fonts and list styles once its screen is built; nothing without a
    // translator.
    void ConvertForm(plat::TCustomForm* form, bool deep);
    // A message dialog in the configured fonts, titled like the owner form; nothing for "".
    int ShowMessageDlg(const std::string& text, plat::TMsgDlgType dialogType, plat::TMsgDlgButtons buttons);

private:
    void ConvertComponent(plat::TComponent* c, bool deep);
    void ConvertListView(plat::TComponent* listView);
    void ConvertGrid(plat::TComponent* grid);
    void ConvertStringsProp(plat::TObject* obj, const std::string& name, bool keepIndex);
    void ConvertStringProp(plat::TObject* obj, const std::string& name);

    std::unique_ptr<TTranslator> fTranslator;
    TDesignType fDesignType = dtClient;
};

}  // namespace qm
