// The reference for the editor's start-up: a minimal QMainWindow program, built with Qt Widgets
// alone, that shows an empty window of about the editor's size and reports once it is painted.
//
//   minimal_window [--text]    (--text: the window shows one line of text, so the program also pays
//                               for loading fonts, as every window with captions does)

#include "FirstPaint.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <cstring>

int main(int argc, char* argv[]) {
    const bool withText = argc > 1 && std::strcmp(argv[1], "--text") == 0;
    QApplication application(argc, argv);
    QMainWindow window;
    if (withText) window.setCentralWidget(new QLabel(QStringLiteral("Zentara Configurator")));
    window.resize(1000, 680);
    const FirstPaint painted(window, [] {
        reportShown();
        QCoreApplication::quit();
    });
    window.show();
    return QApplication::exec();
}
