#include "app/MessageBoxPresenter.h"

#include "property/PelError.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

void InstallMessageBoxPresenter(QWidget* parent) {
    SetMessagePresenter([owner = QPointer<QWidget>(parent)](MessageKind kind, const QString& text) {
        const QMessageBox::Icon icon =
            kind == MessageKind::Warning ? QMessageBox::Warning : QMessageBox::Critical;
        QMessageBox box(icon, QApplication::applicationDisplayName(), text, QMessageBox::Ok, owner.data());
        box.exec();
    });
}
