#pragma once
// The component a form owns to apply language packages: open it on a package file (FileName) or
// on a text (XMLText), then let its reader apply the package to the form.
#include <memory>
#include <string>

#include "environment/LangCommon.h"
#include "platform/forms/Classes.h"
#include "platform/widgets/StringList.h"
#include "platform/xml/XmlDocument.h"

namespace qm {

class TLanguageController : public plat::TComponent {
    PLAT_CLASS(TLanguageController)
    explicit TLanguageController(plat::TComponent* owner);
    ~TLanguageController() override;

    const std::string& FileName() const { return fFileName; }
    // A new name clears XMLText and closes.
    void SetFileName(const std::string& fileName);
    // When not empty, opened instead of the file. A change closes; a non-empty text clears FileName.
    plat::TStrings* XMLText() const { return fXMLText.get(); }
    void SetXMLText(plat::TStrings* text);
    plat::TStrings* ExcludeControls() const { return fExcludeControls.get(); }
    void SetExcludeControls(plat::TStrings* list);

    // True while a document with a root element is loaded. Setting it while the component is being
    // read from a description only records the wish, carried out once loading ends. Opening raises
    // LanguageControllerError ("Cannot Find File %s!" without a file name, or the parser's reason).
    bool Active() const;
    void SetActive(bool value);

    // The reader of the open package; raises LanguageControllerError "No active LanguageController!".
    TLangReader* GetReader() const;
    const plat::TXmlDocument* Document() const { return fDocument.get(); }

    plat::TNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TLoadComponentEvent BeforeLoadComponent, AfterLoadComponent;

    void DoAfterLoadComponent(plat::TComponent* component, plat::TXmlNode node);
    void DoBeforeLoadComponent(plat::TComponent* component, plat::TXmlNode node);

protected:
    void Loaded() override;
    virtual void DoBeforeOpen();
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoAfterClose();

private:
    void Open();
    void Close();
    void XMLTextChanged(plat::TObject* sender);
    void ExcludeControlsChanged(plat::TObject* sender);

    std::string fFileName;
    std::unique_ptr<plat::TXmlDocument> fDocument;
    std::unique_ptr<plat::TStringList> fExcludeControls;
    std::unique_ptr<TLangReader> fReader;
    std::unique_ptr<plat::TStringList> fXMLText;
    bool fStreamedActive = false;
};

class TQmLangController : public TLanguageController {
    PLAT_CLASS(TQmLangController)
    explicit TQmLangController(plat::TComponent* owner);

    TDesignType DesignType() const { return fDesignType; }
    void SetDesignType(TDesignType value) { fDesignType = value; }
    const std::string& LangPackageName() const { return fLangPackageName; }
    // A new name points FileName at the package of that class in the language folder (an empty
    // FileName when there is no language folder).
    void SetLangPackageName(const std::string& name);

private:
    TDesignType fDesignType = dtClient;
    std::string fLangPackageName;
};

}  // namespace qm
