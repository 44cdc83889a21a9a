#include "transfer/ProgramSeries.h"

#include "device/UnitZCfgFile.h"
#include "property/PelError.h"
#include "property/PelScalar.h"
#include "property/PropertyPaths.h"

namespace {

// The user frame the configuration programs; empty when it cannot be made.
QString userFrame(tZCfgFile& configuration) {
    try {
        return configuration.Device() ? configuration.Device()->ComposeUserFrame() : QString();
    } catch (const EZcfgError&) {
        return QString();
    }
}

void collectNumbers(tPelBaseProperty* node, const QString& path, QStringList& paths) {
    if (auto* number = dynamic_cast<tPelIntegerProperty*>(node)) {
        if (number->Enabled() && number->Max() > number->Min()) paths << path;
        return;
    }
    auto* compound = dynamic_cast<tPelCompoundProperty*>(node);
    if (!compound) return;
    for (int i = 0; i < compound->ChildCount(); ++i) {
        tPelBaseProperty* child = compound->Children().Items(i);
        collectNumbers(child, path + QLatin1Char('/') + PathSegment(child), paths);
    }
}

bool parseNumber(const QString& text, int& value) {
    return TryStrToInt(text.trimmed(), value);
}

} // namespace

// A number takes part when changing it changes the frame a Program sends; that is tried on a copy.
QStringList SteppableValuePaths(tZCfgFile& configuration) {
    QStringList numbers;
    if (!configuration.Device()) return numbers;
    collectNumbers(configuration.Device(), PathSegment(configuration.Device()), numbers);
    if (numbers.isEmpty()) return numbers;
    const tMessageCapture quiet;
    std::unique_ptr<tZCfgFile> copy = configuration.ScratchCopy();
    const QString frame = userFrame(*copy);
    QStringList written;
    for (const QString& path : std::as_const(numbers)) {
        auto* number = dynamic_cast<tPelIntegerProperty*>(ResolvePath(copy.get(), path));
        if (!number) continue;
        int held = 0;
        if (!TryStrToInt(number->Value(), held)) held = number->Min();
        number->SetAsInteger(held == number->Min() ? number->Min() + 1 : number->Min());
        if (userFrame(*copy) != frame) written << path;
        number->SetAsInteger(held);
    }
    return written;
}

bool ParseSteppedValue(const QString& text, tSteppedValue& value, QString& error) {
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals <= 0) {
        error = QStringLiteral("\"%1\" is not PATH=START or PATH=START:STEP").arg(text);
        return false;
    }
    value.Path = text.left(equals).trimmed();
    const QString numbers = text.mid(equals + 1);
    const qsizetype colon = numbers.indexOf(QLatin1Char(':'));
    const QString start = colon < 0 ? numbers : numbers.left(colon);
    if (!parseNumber(start, value.Start)) {
        error = QStringLiteral("the start \"%1\" is not a whole number").arg(start.trimmed());
        return false;
    }
    value.Step = 1;
    if (colon >= 0 && (!parseNumber(numbers.mid(colon + 1), value.Step) || value.Step < 1)) {
        error = QStringLiteral("the step \"%1\" is not a whole number from 1 up").arg(numbers.mid(colon + 1));
        return false;
    }
    return true;
}

bool tProgramSeries::SetSteppedValue(const tSteppedValue& value, QString& error) {
    const QStringList paths = SteppableValuePaths(document_);
    auto* number = dynamic_cast<tPelIntegerProperty*>(ResolvePath(&document_, value.Path));
    QString path;
    if (number) {
        // The path as `zcfg show` prints it, whatever letter case it was given in.
        for (const QString& candidate : paths)
            if (ResolvePath(&document_, candidate) == number) path = candidate;
    }
    if (path.isEmpty()) {
        error = paths.isEmpty()
                    ? QStringLiteral("\"%1\" cannot step: this configuration has no numeric value that "
                                     "steps")
                          .arg(value.Path)
                    : QStringLiteral("\"%1\" cannot step (values that can: %2)")
                          .arg(value.Path, paths.join(QStringLiteral(", ")));
        return false;
    }
    if (value.Step < 1) {
        error = QStringLiteral("the step of %1 must be 1 or more").arg(path);
        return false;
    }
    if (value.Start < number->Min() || value.Start > number->Max()) {
        error = QStringLiteral("the start %1 is outside the limits of %2 (%3 to %4)")
                    .arg(value.Start)
                    .arg(path)
                    .arg(number->Min())
                    .arg(number->Max());
        return false;
    }
    stepped_ = tSteppedValue{path, value.Start, value.Step};
    next_ = value.Start;
    minimum_ = number->Min();
    maximum_ = number->Max();
    return true;
}

QString tProgramSeries::PastRangeText(const QString& name) const {
    return QStringLiteral("%1 would be %2, past its range (%3 to %4)")
        .arg(name)
        .arg(next_)
        .arg(minimum_)
        .arg(maximum_);
}

std::shared_ptr<tZCfgFile> tProgramSeries::NextConfiguration(QString& refusal) {
    if (!NextInRange()) {
        refusal = PastRangeText(stepped_->Path);
        return nullptr;
    }
    std::shared_ptr<tZCfgFile> copy(document_.ScratchCopy());
    if (!stepped_) return copy;
    tPelBaseProperty* node = ResolvePath(copy.get(), stepped_->Path);
    refusal = node ? SetAsEditor(node, QString::number(next_))
                   : QStringLiteral("%1 is not in this configuration").arg(stepped_->Path);
    return refusal.isEmpty() ? copy : nullptr;
}

void tProgramSeries::Verified() {
    ++verified_;
    if (stepped_) next_ += stepped_->Step;
}
