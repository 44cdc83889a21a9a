#pragma once
// The application's message box: shows warnings and errors raised anywhere in the program.

class QWidget;

// Installs, as the program's message presenter, a modal QMessageBox with a warning or error icon and
// one OK button, titled with the application's display name and centred on parent when given.
void InstallMessageBoxPresenter(QWidget* parent = nullptr);
