#include "app/devicemenu/PageCaptions.h"

#include "device/Devices.h"
#include "device/UnitZCfgFile.h"
#include "property/PelEnum.h"
#include "property/PelScalar.h"
#include "property/PropertyPaths.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

namespace {
// The text without its mnemonic marks and a closing colon: "&Call" -> "Call", "Zone:" -> "Zone".
QString plain(QString text) {
    static const QChar mark(QLatin1Char('&'));
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == mark && i + 1 < text.size()) ++i; // "&&" is a literal "&"
        out += text[i];
    }
    out = out.trimmed();
    if (out.endsWith(QLatin1Char(':'))) out.chop(1);
    return out;
}

// The widget the property shows its value in, if it is bound to one.
QWidget* boundWidget(tPelBaseProperty* node) {
    IControl* control = nullptr;
    if (auto* address = dynamic_cast<tNodeProperty*>(node))
        control = address->DisplayEdit();
    else if (auto* text = dynamic_cast<tPelTextProperty*>(node))
        control = text->Edit();
    else if (auto* flag = dynamic_cast<tPelBooleanProperty*>(node))
        control = flag->CheckBox();
    else if (auto* number = dynamic_cast<tPelIntegerProperty*>(node))
        control = number->SpinEdit();
    else if (auto* choice = dynamic_cast<tPelEnumProperty*>(node))
        control = choice->Selector().Control();
    else if (auto* set = dynamic_cast<tPelEnumSetProperty*>(node))
        control = set->CheckList();
    else if (auto* memo = dynamic_cast<tMemoProperty*>(node))
        control = memo->Memo();
    return dynamic_cast<QWidget*>(control);
}

QString captionOf(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget); button && !button->text().isEmpty())
        return plain(button->text());
    if (auto* group = qobject_cast<QGroupBox*>(widget); group && !group->title().isEmpty())
        return plain(group->title()); // a radio group
    for (QLabel* label : widget->window()->findChildren<QLabel*>())
        if (label->buddy() == widget && !label->text().isEmpty()) return plain(label->text());
    return widget->accessibleName();
}

QString groupOf(QWidget* widget) {
    for (QWidget* parent = widget->parentWidget(); parent; parent = parent->parentWidget())
        if (auto* group = qobject_cast<QGroupBox*>(parent); group && !group->title().isEmpty())
            return plain(group->title());
    return QString();
}
} // namespace

QString tPageCaption::Text() const {
    return Group.isEmpty() ? Caption : Group + QStringLiteral(": ") + Caption;
}

tPageCaption PageCaption(tZCfgFile& document, const QString& path) {
    tPelBaseProperty* node = ResolvePath(&document, path);
    if (!node) return {};
    if (QWidget* widget = boundWidget(node)) {
        const tPageCaption caption{groupOf(widget), captionOf(widget)};
        if (!caption.Caption.isEmpty()) return caption;
    }
    // No control on the page (a transmitter's factory record while the factory pages are hidden):
    // the value's name, and the part of the device it belongs to.
    tPelBaseProperty* owner = node->Owner();
    const bool topLevel = !owner || owner == &document || owner == document.Device();
    return {topLevel ? QString() : PathSegment(owner), PathSegment(node)};
}
