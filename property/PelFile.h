#pragma once
// Placeholder until the document root is written.
#include "property/Pelparse.h"
class tPelFileProperty : public tPelCompoundProperty {
public:
    using tPelCompoundProperty::tPelCompoundProperty;
    QString TypeKeyword() const override { return QStringLiteral("File"); }
};
