#pragma once
// Edit masks in the toolkit's notation ("00/00/00", "00T0;1") turned into Qt input masks.
//
// A mask has up to three fields separated by ";": the mask characters, whether literals are kept in
// the text ("0": no, anything else or omitted: yes) and the blank character (default "_").
// Mask characters: 0 required digit, 9 optional digit, # optional digit or sign, L/l letter,
// A/a letter or digit, C/c any character (upper case: required), > upper case, < lower case,
// <> no case conversion, \ the next character is literal, ! ignored, _ a blank; anything else is
// a literal that stays in the text.

#include <QList>
#include <QString>

struct tEditMask {
    QString inputMask;        // for QLineEdit::setInputMask; empty: no mask
    QList<bool> literalAt;    // per text position: a literal of the mask
    bool saveLiterals = true; // literals are part of the text
    QChar blank = QLatin1Char('_');
};

tEditMask ConvertEditMask(const QString& mask);
