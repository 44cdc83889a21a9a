#include "app/MessageBoxPresenter.h"

#include "property/PelError.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

// Message boxes carry the application's title, "Configuration Editor".
void InstallMessageBoxPresenter(QWidget* parent) {
    SetMessagePresenter([owner = QPointer<QWidget>(parent)](MessageKind kind, const QString& text) {
        const QMessageBox::Icon icon =
            kind == MessageKind::Warning ? QMessageBox::Warning : QMessageBox::Critical;
        QMessageBox box(icon, QStringLiteral("Configuration Editor"), text, QMessageBox::Ok, owner.data());
        box.exec();
    });
}
