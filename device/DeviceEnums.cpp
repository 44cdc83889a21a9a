#include "device/DeviceEnums.h"

#include "property/PelError.h"

int RecordOrdinal(const tPelEnumProperty* property) {
    const int ordinal = property->AsInteger();
    if (ordinal < 0)
        throw EZcfgError(QStringLiteral("Invalid value \"") + property->Value() + QStringLiteral("\" for ") +
                         property->Name());
    return ordinal;
}

void IRRFProtocolDisplayText(const QString& text, QString& out) {
    if (AsciiSameText(text, QStringLiteral("Arvel Protocol")))
        out = QStringLiteral("Arvel");
    else if (AsciiSameText(text, QStringLiteral("RM800 Protocol")))
        out = QStringLiteral("RM800");
    else
        out = text;
}
