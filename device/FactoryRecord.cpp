#include "device/FactoryRecord.h"

#include "device/Framing.h"

#include "programmer/Common.h"
#include "property/PelError.h"

#include <QDate>

namespace {
const QString unexpectedField = QStringLiteral("Unexpected field in factory record");
const QString hexExpected = QStringLiteral("Format Error - hex field expected");
constexpr int maxCompanyName = 255;

// Characters from a 1-based position; fewer (or none) past the end of the body.
QString at(const QString& body, int position, int length) {
    return body.mid(position - 1, length);
}

void expectLabel(const QString& body, int position, const QString& label) {
    if (at(body, position, label.size()) != label) throw EZcfgError(unexpectedField);
}
} // namespace

tIRRFFactoryRecord::tIRRFFactoryRecord(const QString& name, tPelCompoundProperty* owner)
    : tIRRFRecord(name, owner) {
    fd_ = Create<tPelIntegerProperty>(QStringLiteral("FD"), this);
    fd_->SetMin(0);
    fd_->SetMax(9);
    sw_ = Create<tPelTextProperty>(QStringLiteral("SW"), this);
    sw_->SetCompareMode(1); // the firmware version never counts as a difference when verifying
    hw_ = Create<tPelTextProperty>(QStringLiteral("HW"), this);
    wo_ = Create<tPelTextProperty>(QStringLiteral("W/O"), this);
    date_ = Create<tPelTextProperty>(QStringLiteral("Date"), this);
    cc_ = Create<tPelIntegerProperty>(QStringLiteral("CC"), this);
    cc_->SetMin(0);
    cc_->SetMax(999);
    cn_ = Create<tPelTextProperty>(QStringLiteral("CN"), this);
    sf_ = Create<tSpecialFlags>(QStringLiteral("SF"), this);
}

QString tIRRFFactoryRecord::TodayText() {
    return QDate::currentDate().toString(QStringLiteral("dd/MM/yy"));
}

void tIRRFFactoryRecord::Clear() {
    tIRRFRecord::Clear();
    fd_->SetAsInteger(1);
    sw_->SetValueText(QStringLiteral("00A0"));
    hw_->SetValueText(QStringLiteral("00T0"));
    wo_->SetValueText(QStringLiteral("000000"));
    date_->SetValueText(TodayText());
    cc_->SetAsInteger(0);
    cn_->SetValueText(QStringLiteral("Arvel"));
}

QString tIRRFFactoryRecord::GetRecordText() {
    const int version = fd_->AsInteger();
    QString text = QStringLiteral("FD") + QString::number(version) + QStringLiteral(" SW") + sw_->Value() +
                   QStringLiteral(" HW") + hw_->Value() + QStringLiteral(" W/O ") + wo_->Value() +
                   QStringLiteral(" Date ") + date_->Value() + QStringLiteral(" CC") +
                   ZeroPadded(cc_->AsInteger(), 3);
    if (version > 1)
        text += QStringLiteral(" SF") +
                QStringLiteral("%1").arg(sf_->AsInteger(), 3, 16, QLatin1Char('0')).toUpper();
    return text + QStringLiteral(" CN ") + cn_->Value();
}

void tIRRFFactoryRecord::SetRecordText(const QString& text) {
    // Numbers are converted before they are stored, so a malformed digit never lands in a property.
    const int version = StrToInt(at(text, 1, 1));
    fd_->SetAsInteger(version);
    expectLabel(text, 3, QStringLiteral("SW"));
    sw_->SetValueText(at(text, 5, 4));
    expectLabel(text, 10, QStringLiteral("HW"));
    hw_->SetValueText(at(text, 12, 4));
    expectLabel(text, 17, QStringLiteral("W/O"));
    wo_->SetValueText(at(text, 21, 6));
    expectLabel(text, 28, QStringLiteral("Date"));
    date_->SetValueText(at(text, 33, 8));
    expectLabel(text, 42, QStringLiteral("CC"));
    cc_->SetAsInteger(StrToInt(at(text, 44, 3)));
    int companyLabel = 48;
    if (version >= 2) {
        expectLabel(text, 48, QStringLiteral("SF"));
        const QString flags = at(text, 50, 3);
        if (flags.size() < 3 || !IsHex(flags))
            throw EZcfgError(flags.size() < 3 ? unexpectedField : hexExpected);
        sf_->SetAsInteger(HexToInt(flags));
        companyLabel = 54;
    }
    expectLabel(text, companyLabel, QStringLiteral("CN"));
    cn_->SetValueText(at(text, companyLabel + 3, maxCompanyName));
}
