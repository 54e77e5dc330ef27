#pragma once
// The window of the shell's "properties" verb: a model form (so it looks and behaves like every
// other form) with the file's name, folder, size, dates and version, freed when closed.
#include "platform/forms/Forms.h"
#include "platform/system/Shell.h"

namespace plat {

class TFilePropertiesForm : public TForm {
    PLAT_CLASS(TFilePropertiesForm)
    explicit TFilePropertiesForm(TComponent* owner);
    void Fill(const TFileProperties& properties);

protected:
    void OkClick(TObject* sender);
    void DoClose(TCloseAction& action) override;
};

// Installs the "properties" verb's window (the Qt widgetset does this when it is installed).
void InstallQtShellProperties();

}  // namespace plat
