#pragma once
// Who a device is, as it says when it is read: its type and the identity it reports. A wired device
// reports its "Factory String" and firmware "Version"; a transmitter its factory record's works order
// ("W/O"), date of manufacture ("Date"), hardware revision ("HW") and firmware revision ("SW").
// Backups are named and found by it, and the commissioning log records it.

#include <QList>
#include <QString>
#include <cstdint>

class tZCfgFile;

struct tIdentityField {
    QString Name; // as the configuration file names the value
    QString Value;
    bool operator==(const tIdentityField&) const = default;
};

struct tDeviceIdentity {
    uint8_t Type = 0;             // the device type read; dt_None when nothing was read
    QList<tIdentityField> Fields; // in the order above

    bool IsKnown() const;
    // The same physical device: a device of the same class (an MPD unit stays itself whatever its
    // mode) reporting the same identity.
    bool SameDevice(const tDeviceIdentity& other) const;
    // "Factory String ZENTARA-SIM-0001, Version 0102"
    QString Text() const;
    // The model and the identity: "ZX320 Relay Output (Factory String ZENTARA-SIM-0001, Version 0102)"
    QString Description() const;
    // The identity as part of a file name: the values joined by "_", every character other than a
    // letter, a digit, "-" or "." written as "-" ("ZENTARA-SIM-0001_0102").
    QString FileNamePart() const;
};

// The identity of the device whose configuration the document holds (what a read, a compare or the
// identification before a Program took from it).
tDeviceIdentity IdentifyDevice(const tZCfgFile& device);
