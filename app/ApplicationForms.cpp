#include "app/ApplicationForms.h"

#include "app/About.h"
#include "app/ApplicationStyle.h"
#include "app/UnitFormOK.h"

#include <QGuiApplication>

const char* const kApplicationTitle = "Configuration Editor";

TApplicationForms CreateApplicationForms(const TFormMainOptions& options) {
    QGuiApplication::setApplicationDisplayName(QLatin1String(kApplicationTitle));
    UseApplicationStyle();
    TApplicationForms forms;
    forms.FormMain = std::make_unique<TFormMain>(options);
    forms.AboutBox = std::make_unique<TAboutBox>(forms.FormMain.get());
    forms.FormOK = std::make_unique<TFormOK>(forms.FormMain.get());
    forms.FormMain->SetForms(forms.AboutBox.get(), forms.FormOK.get());
    return forms;
}
