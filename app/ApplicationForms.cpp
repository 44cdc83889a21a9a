#include "app/ApplicationForms.h"

#include "app/About.h"
#include "app/ApplicationStyle.h"
#include "app/UnitFormOK.h"

// The title is not made the application's display name: the desktop platform would append it to
// every window title, and the main window's title is the document's caption alone.
TApplicationForms CreateApplicationForms(const TFormMainOptions& options) {
    UseApplicationStyle();
    TApplicationForms forms;
    forms.FormMain = std::make_unique<TFormMain>(options);
    forms.AboutBox = std::make_unique<TAboutBox>(forms.FormMain.get());
    forms.FormOK = std::make_unique<TFormOK>(forms.FormMain.get());
    forms.FormMain->SetForms(forms.AboutBox.get(), forms.FormOK.get());
    return forms;
}
