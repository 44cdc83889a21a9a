#pragma once
// The factory record of the staff and pendant transmitters: identity, hardware and firmware
// revision, works order, date of manufacture, charge cycles, company name and allowed functions.

#include "device/DeviceEnums.h"
#include "property/PelScalar.h"

// Base of the two transmitter records.
class tIRRFRecord : public tPelCompoundProperty {
public:
    using tPelCompoundProperty::tPelCompoundProperty;
};

class tIRRFFactoryRecord : public tIRRFRecord {
public:
    tIRRFFactoryRecord(const QString& name, tPelCompoundProperty* owner);

    tPelIntegerProperty* FD() const { return fd_; }
    tPelTextProperty* SW() const { return sw_; }
    tPelTextProperty* HW() const { return hw_; }
    tPelTextProperty* WO() const { return wo_; }
    tPelTextProperty* Date() const { return date_; }
    tPelIntegerProperty* CC() const { return cc_; }
    tPelTextProperty* CN() const { return cn_; }
    tSpecialFlags* SF() const { return sf_; }

    void Clear() override;
    // "FD1 SW00A0 HW00T0 W/O 000000 Date dd/mm/yy CC000 CN Arvel", with " SFxxx" before " CN" when
    // the format version is 2 or more.
    QString GetRecordText() override;
    // Takes the body that follows "FD"; raises on the first fault.
    void SetRecordText(const QString& text) override;

    // Today as "dd/mm/yy".
    static QString TodayText();

private:
    tPelIntegerProperty* fd_;
    tPelTextProperty* sw_;
    tPelTextProperty* hw_;
    tPelTextProperty* wo_;
    tPelTextProperty* date_;
    tPelIntegerProperty* cc_;
    tPelTextProperty* cn_;
    tSpecialFlags* sf_;
};
