#include "commissioning/CommissioningEntry.h"

#include <QCryptographicHash>

QString CommissioningActionText(tCommissioningAction action) {
    switch (action) {
    case tCommissioningAction::Read:
        return QStringLiteral("Read");
    case tCommissioningAction::Program:
        return QStringLiteral("Program");
    case tCommissioningAction::FactoryProgram:
        return QStringLiteral("Factory Program");
    case tCommissioningAction::Compare:
        return QStringLiteral("Compare");
    case tCommissioningAction::Restore:
        return QStringLiteral("Restore");
    case tCommissioningAction::SelfTest:
        return QStringLiteral("Self-test");
    }
    return QString();
}

QString SimulatedAdapterName() {
    return QStringLiteral("simulated");
}

QString ConfigurationDigest(const QString& configuration) {
    if (configuration.isEmpty()) return QString();
    return QString::fromLatin1(
        QCryptographicHash::hash(configuration.toUtf8(), QCryptographicHash::Sha256).toHex());
}
