#include "property/PropertyPaths.h"

#include "property/PelEnum.h"
#include "property/PelError.h"
#include "property/PelFile.h"
#include "property/PelScalar.h"

#include <QRegularExpression>

QString PathSegment(const tPelBaseProperty* node) {
    return node->HasKey() ? node->Name() + QLatin1Char('(') + node->Key() + QLatin1Char(')') : node->Name();
}

QString ShownText(tPelBaseProperty* node) {
    if (auto* integer = dynamic_cast<tPelBaseIntegerProperty*>(node)) {
        int value = 0;
        if (auto* enumeration = dynamic_cast<tPelEnumProperty*>(node)) {
            const int ordinal = enumeration->AsInteger();
            return ordinal < 0 ? node->Value() : enumeration->ValueToText(ordinal);
        }
        if (auto* flags = dynamic_cast<tPelEnumSetProperty*>(node)) {
            if (!TryStrToInt(node->Value(), value)) return node->Value();
            QStringList set;
            for (int ordinal = flags->Min(); ordinal <= flags->Max(); ++ordinal)
                if (flags->IsFlagSet(ordinal)) set << flags->ValueToText(ordinal);
            return set.isEmpty() ? QStringLiteral("none") : set.join(QStringLiteral(", "));
        }
        if (!TryStrToInt(node->Value(), value)) return node->Value();
        return node->Translate(integer->ValueToText(value));
    }
    return node->Translate(node->Value());
}

namespace {

void collectLines(tPelBaseProperty* node, const QString& path, QStringList& lines) {
    if (auto* memo = dynamic_cast<tMemoProperty*>(node)) {
        for (int i = 0; i < memo->Lines().size(); ++i)
            lines << QStringLiteral("%1(%2) = %3").arg(path).arg(i + 1).arg(memo->Lines()[i]);
        return;
    }
    auto* compound = dynamic_cast<tPelCompoundProperty*>(node);
    if (!compound || !node->Value().isEmpty()) {
        QString line = path + QStringLiteral(" = ") + node->Value();
        const QString shown = ShownText(node);
        if (shown != node->Value()) line += QStringLiteral(" (") + shown + QLatin1Char(')');
        lines << line;
    }
    if (!compound) return;
    for (int i = 0; i < compound->ChildCount(); ++i) {
        tPelBaseProperty* child = compound->Children().Items(i);
        collectLines(
            child, path.isEmpty() ? PathSegment(child) : path + QLatin1Char('/') + PathSegment(child), lines);
    }
}

bool sameText(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

} // namespace

QStringList ShowLines(tPelCompoundProperty* root) {
    QStringList lines;
    for (int i = 0; i < root->ChildCount(); ++i) {
        tPelBaseProperty* child = root->Children().Items(i);
        collectLines(child, PathSegment(child), lines);
    }
    return lines;
}

tPelBaseProperty* ResolvePath(tPelCompoundProperty* root, const QString& path) {
    const QString wanted = path.trimmed();
    for (int i = 0; i < root->ChildCount(); ++i) {
        tPelBaseProperty* child = root->Children().Items(i);
        const QString segment = PathSegment(child);
        if (sameText(wanted, segment)) return child;
        const QString prefix = segment + QLatin1Char('/');
        auto* compound = dynamic_cast<tPelCompoundProperty*>(child);
        if (compound && wanted.size() > prefix.size() && sameText(wanted.left(prefix.size()), prefix))
            if (tPelBaseProperty* found = ResolvePath(compound, wanted.mid(prefix.size()))) return found;
    }
    return nullptr;
}

namespace {

QString offered(tPelBaseEnumProperty* node) {
    QStringList names;
    for (int ordinal = node->Min(); ordinal <= node->Max(); ++ordinal)
        if (node->IsAllowed(ordinal)) names << node->ValueToText(ordinal);
    return names.join(QStringLiteral(", "));
}

QString setEnumeration(tPelEnumProperty* node, const QString& value) {
    for (int ordinal = node->Min(); ordinal <= node->Max(); ++ordinal) {
        if (!node->IsAllowed(ordinal)) continue;
        if (sameText(value, node->TypeInfo().NameOf(ordinal)) ||
            sameText(value, node->ValueToText(ordinal))) {
            node->SetAsInteger(ordinal);
            return QString();
        }
    }
    return QStringLiteral("\"%1\" is not offered for %2 (offered: %3)")
        .arg(value, node->Name(), offered(node));
}

QString setFlags(tPelEnumSetProperty* node, const QString& value) {
    uint32_t bits = 0;
    int number = 0;
    if (TryStrToInt(value, number)) {
        bits = uint32_t(number);
    } else {
        for (const QString& part :
             value.split(QRegularExpression(QStringLiteral("[,+]")), Qt::SkipEmptyParts)) {
            const QString flag = part.trimmed();
            int found = -1;
            for (int ordinal = node->Min(); ordinal <= node->Max(); ++ordinal)
                if (sameText(flag, node->TypeInfo().NameOf(ordinal)) ||
                    sameText(flag, node->ValueToText(ordinal)))
                    found = ordinal;
            if (found < 0) return QStringLiteral("\"%1\" is not a flag of %2").arg(flag, node->Name());
            bits |= 1u << found;
        }
    }
    for (int bit = 0; bit < 32; ++bit)
        if ((bits >> bit) & 1u && (!node->IsAllowed(bit) || bit < node->Min() || bit > node->Max()))
            return QStringLiteral("%1 is not offered for %2 (offered: %3)")
                .arg(value, node->Name(), offered(node));
    node->SetAsInteger(int(bits));
    return QString();
}

QString setInteger(tPelIntegerProperty* node, const QString& value) {
    int number = 0;
    if (!TryStrToInt(value, number)) return QStringLiteral("'%1' is not a valid integer value").arg(value);
    if (node->Max() > node->Min() && (number < node->Min() || number > node->Max()))
        return QStringLiteral("%1 is outside the limits of %2 (%3 to %4)")
            .arg(number)
            .arg(node->Name())
            .arg(node->Min())
            .arg(node->Max());
    node->SetAsInteger(number);
    return QString();
}

QString setBoolean(tPelBooleanProperty* node, const QString& value) {
    static const QStringList yes = {"TRUE", "1", "yes", "on"};
    static const QStringList no = {"FALSE", "0", "no", "off"};
    if (yes.contains(value, Qt::CaseInsensitive))
        node->SetAsBoolean(true);
    else if (no.contains(value, Qt::CaseInsensitive))
        node->SetAsBoolean(false);
    else
        return QStringLiteral("\"%1\" is not TRUE or FALSE").arg(value);
    return QString();
}

// The text fields of the transmitter records have fixed layouts that the editor's masks enforce.
QString checkRecordText(const tPelBaseProperty* node, const QString& value) {
    static const struct {
        const char* name;
        const char* pattern;
        const char* form;
    } layouts[] = {
        {"SW", "^[0-9A-Fa-f]{4}$", "four hexadecimal digits"},
        {"HW", "^[0-9]{2}[A-Za-z][0-9]$", "two digits, a letter and a digit, like 00T0"},
        {"W/O", "^[0-9]{6}$", "six digits"},
        {"Date", "^[0-9]{2}/[0-9]{2}/[0-9]{2}$", "dd/mm/yy"},
        {"User Rec Ver", "^[0-9]$", "one digit"},
        {"CN", "^[ -~]{0,255}$", "up to 255 printable characters"},
    };
    const tPelBaseProperty* owner = node->Owner();
    if (!owner ||
        (owner->Name() != QLatin1String("Factory Record") && owner->Name() != QLatin1String("User Record")))
        return QString();
    for (const auto& layout : layouts)
        if (node->Name() == QLatin1String(layout.name) &&
            !QRegularExpression(QLatin1String(layout.pattern)).match(value).hasMatch())
            return QStringLiteral("\"%1\" does not fit %2 (%3)")
                .arg(value, node->Name(), QLatin1String(layout.form));
    return QString();
}

} // namespace

QString SetAsEditor(tPelBaseProperty* node, const QString& value) {
    if (!node->Enabled())
        return QStringLiteral("%1 cannot be changed in this configuration").arg(node->Name());
    try {
        if (auto* memo = dynamic_cast<tMemoProperty*>(node)) {
            QString text = value;
            text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
            memo->SetLinesFrom(tMemoProperty::SplitLines(text));
            return QString();
        }
        if (dynamic_cast<tPelCompoundProperty*>(node))
            return QStringLiteral("%1 holds other values; name one of them").arg(node->Name());
        if (auto* enumeration = dynamic_cast<tPelEnumProperty*>(node))
            return setEnumeration(enumeration, value);
        if (auto* flags = dynamic_cast<tPelEnumSetProperty*>(node)) return setFlags(flags, value);
        if (auto* integer = dynamic_cast<tPelIntegerProperty*>(node)) return setInteger(integer, value);
        if (auto* boolean = dynamic_cast<tPelBooleanProperty*>(node)) return setBoolean(boolean, value);
        if (dynamic_cast<tPelBaseIntegerProperty*>(node))
            return QStringLiteral("%1 is shown only and cannot be changed").arg(node->Name());
        if (!ValueCanBeStored(value)) return ValueCannotBeStoredText();
        const QString refused = checkRecordText(node, value);
        if (!refused.isEmpty()) return refused;
        node->SetValueText(value);
        return QString();
    } catch (const EZcfgError& e) {
        return e.Message();
    }
}
