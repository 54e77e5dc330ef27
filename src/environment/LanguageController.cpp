#include "environment/LanguageController.h"

#include "platform/core/SysUtils.h"

using namespace plat;

namespace qm {

PLAT_REGISTER_CLASS(TLanguageController, TComponent) {
    b.Property("Active", &Self::Active, &Self::SetActive).Default(0).Unpublished();
    b.Property("FileName", &Self::FileName, &Self::SetFileName).Unpublished();
    b.Property("XMLText", &Self::XMLText, &Self::SetXMLText).Unpublished();
    b.Property("ExcludeControls", &Self::ExcludeControls, &Self::SetExcludeControls).Unpublished();
    b.Event("BeforeOpen", &Self::BeforeOpen).Unpublished();
    b.Event("AfterOpen", &Self::AfterOpen).Unpublished();
    b.Event("BeforeClose", &Self::BeforeClose).Unpublished();
    b.Event("AfterClose", &Self::AfterClose).Unpublished();
    b.Event("BeforeLoadComponent", &Self::BeforeLoadComponent).Unpublished();
    b.Event("AfterLoadComponent", &Self::AfterLoadComponent).Unpublished();
}

PLAT_REGISTER_CLASS(TQmLangController, TLanguageController) {
    b.Publish({"Active", "AfterClose", "AfterOpen", "BeforeClose", "BeforeOpen", "AfterLoadComponent",
               "BeforeLoadComponent", "ExcludeControls"});
    b.Property("LangPackageName", &Self::LangPackageName, &Self::SetLangPackageName);
    b.Property("DesignType", &Self::DesignType, &Self::SetDesignType).Default(dtClient);
}

TLanguageController::TLanguageController(TComponent* owner)
    : TComponent(owner), fExcludeControls(std::make_unique<TStringList>()), fXMLText(std::make_unique<TStringList>()) {
    fXMLText->OnChange = plat::TNotifyEvent::Of<&TLanguageController::XMLTextChanged>(this);
    fExcludeControls->OnChange = plat::TNotifyEvent::Of<&TLanguageController::ExcludeControlsChanged>(this);
}

TLanguageController::~TLanguageController() {
    fXMLText->OnChange.Clear();
    fExcludeControls->OnChange.Clear();
}

void TLanguageController::SetFileName(const std::string& fileName) {
    if (fileName == fFileName) return;
    fFileName = fileName;
    fXMLText->Clear();
    SetActive(false);
}

void TLanguageController::SetXMLText(TStrings* text) {
    if (text)
        fXMLText->Assign(text);
    else
        fXMLText->Clear();
}

void TLanguageController::XMLTextChanged(TObject*) {
    if (!IsLoading() && !Trim(fXMLText->Text()).empty()) fFileName.clear();
    SetActive(false);
}

void TLanguageController::SetExcludeControls(TStrings* list) {
    if (list)
        fExcludeControls->Assign(list);
    else
        fExcludeControls->Clear();
}

void TLanguageController::ExcludeControlsChanged(TObject*) {
    if (fReader) fReader->Exclusions()->Assign(fExcludeControls.get());
}

bool TLanguageController::Active() const {
    return fDocument && !fDocument->DocumentElement().IsNull();
}

void TLanguageController::SetActive(bool value) {
    if (IsLoading()) {
        fStreamedActive = value;
        return;
    }
    if (value == Active()) return;
    if (value)
        Open();
    else
        Close();
}

void TLanguageController::Loaded() {
    TComponent::Loaded();
    if (fStreamedActive) SetActive(true);
}

void TLanguageController::Open() {
    DoBeforeOpen();
    fReader.reset();
    fDocument.reset();
    auto doc = std::make_unique<TXmlDocument>();
    bool ok;
    if (!Trim(fXMLText->Text()).empty()) {
        ok = doc->LoadXML(fXMLText->Text());
    } else {
        if (fFileName.empty()) throw LanguageControllerError("Cannot Find File " + fFileName + "!");
        ok = doc->Load(fFileName);
    }
    if (!ok || doc->DocumentElement().IsNull()) {
        std::string reason = doc->ParseError().Reason;
        throw LanguageControllerError(reason.empty() ? "Cannot Find File " + fFileName + "!" : reason);
    }
    fDocument = std::move(doc);
    fReader = std::make_unique<TLangReader>(*fDocument);
    fReader->Exclusions()->Assign(fExcludeControls.get());
    fReader->AfterLoadComponent = TLoadComponentEvent::Of<&TLanguageController::DoAfterLoadComponent>(this);
    fReader->BeforeLoadComponent = TLoadComponentEvent::Of<&TLanguageController::DoBeforeLoadComponent>(this);
    DoAfterOpen();
}

void TLanguageController::Close() {
    DoBeforeClose();
    fReader.reset();
    fDocument.reset();
    DoAfterClose();
}

TLangReader* TLanguageController::GetReader() const {
    if (!Active()) throw LanguageControllerError("No active LanguageController!");
    return fReader.get();
}

void TLanguageController::DoBeforeOpen() { BeforeOpen(this); }
void TLanguageController::DoAfterOpen() { AfterOpen(this); }
void TLanguageController::DoBeforeClose() { BeforeClose(this); }
void TLanguageController::DoAfterClose() { AfterClose(this); }
void TLanguageController::DoAfterLoadComponent(TComponent* component, TXmlNode node) {
    AfterLoadComponent(component, node);
}
void TLanguageController::DoBeforeLoadComponent(TComponent* component, TXmlNode node) {
    BeforeLoadComponent(component, node);
}

TQmLangController::TQmLangController(TComponent* owner) : TLanguageController(owner) {}

void TQmLangController::SetLangPackageName(const std::string& name) {
    if (name == fLangPackageName) return;
    fLangPackageName = name;
    SetFileName(LanguagePackageFile(fDesignType, name));
}

}  // namespace qm
