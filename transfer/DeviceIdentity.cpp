#include "transfer/DeviceIdentity.h"

#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"

namespace {
tIdentityField field(const tPelBaseProperty* node) {
    return {node->Name(), node->Value()};
}
} // namespace

tDeviceIdentity IdentifyDevice(const tZCfgFile& device) {
    tDeviceIdentity identity;
    identity.Type = device.GetDeviceType();
    const tConfiguratorDevice* object = device.Device();
    if (const auto* transmitter = dynamic_cast<const tIRRFDevice*>(object)) {
        const tIRRFFactoryRecord* factory = transmitter->FactoryRecord();
        identity.Fields = {field(factory->WO()), field(factory->Date()), field(factory->HW()),
                           field(factory->SW())};
    } else if (const auto* wired = dynamic_cast<const tOtherDevice*>(object)) {
        identity.Fields = {field(wired->FactoryString()), field(wired->Version())};
    }
    return identity;
}

bool tDeviceIdentity::IsKnown() const {
    return Type != dt_None && !Fields.isEmpty();
}

bool tDeviceIdentity::SameDevice(const tDeviceIdentity& other) const {
    return IsKnown() && DeviceTypeInfo(Type).Class == DeviceTypeInfo(other.Type).Class &&
           Fields == other.Fields;
}

QString tDeviceIdentity::Text() const {
    QStringList parts;
    for (const tIdentityField& f : Fields)
        parts << f.Name + QLatin1Char(' ') + f.Value;
    return parts.join(QStringLiteral(", "));
}

QString tDeviceIdentity::Description() const {
    const QString model = QLatin1String(DeviceTypeInfo(Type).ModelName);
    return Fields.isEmpty() ? model : QStringLiteral("%1 (%2)").arg(model, Text());
}

QString tDeviceIdentity::FileNamePart() const {
    QStringList parts;
    for (const tIdentityField& f : Fields) {
        QString part = f.Value;
        for (QChar& c : part)
            if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('-') &&
                c != QLatin1Char('.'))
                c = QLatin1Char('-');
        parts << part;
    }
    return parts.join(QLatin1Char('_'));
}
