#pragma once
// The device pages of one window without the window: a host widget holding every page, and a
// document wired to an undo manager as the main window wires it.

#include "app/UnitUndoList.h"
#include "app/pages/DevicePage.h"
#include "device/UnitZCfgFile.h"
#include "property/PelEnum.h"
#include "property/PelError.h"
#include "property/PelScalar.h"
#include "property/controls/PelControls.h"
#include "property/controls/PelSpinEdit.h"

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

inline void forEachProperty(tPelBaseProperty* node, const std::function<void(tPelBaseProperty*)>& visit) {
    visit(node);
    if (auto* compound = dynamic_cast<tPelCompoundProperty*>(node))
        for (int i = 0; i < compound->Children().Count(); ++i)
            forEachProperty(compound->Children().Items(i), visit);
}

// The widget a property is bound to, or nullptr.
inline QWidget* boundWidget(tPelBaseProperty* p) {
    if (auto* node = dynamic_cast<tNodeProperty*>(p)) return dynamic_cast<QWidget*>(node->DisplayEdit());
    if (auto* text = dynamic_cast<tPelTextProperty*>(p)) return dynamic_cast<QWidget*>(text->Edit());
    if (auto* flag = dynamic_cast<tPelBooleanProperty*>(p)) return dynamic_cast<QWidget*>(flag->CheckBox());
    if (auto* number = dynamic_cast<tPelIntegerProperty*>(p))
        return dynamic_cast<QWidget*>(number->SpinEdit());
    if (auto* list = dynamic_cast<tPelEnumProperty*>(p))
        return dynamic_cast<QWidget*>(list->Selector().Control());
    if (auto* set = dynamic_cast<tPelEnumSetProperty*>(p)) return dynamic_cast<QWidget*>(set->CheckList());
    return nullptr;
}

// The value controls of `page` that no property of `device` is bound to, by name.
inline QStringList unboundControls(tPelBaseProperty* device, const QWidget* page) {
    QList<QWidget*> bound;
    forEachProperty(device, [&](tPelBaseProperty* p) { bound << boundWidget(p); });
    QStringList unbound;
    for (QWidget* w : page->findChildren<QWidget*>())
        if ((qobject_cast<TPelCheckBox*>(w) || qobject_cast<TPelComboBox*>(w) ||
             qobject_cast<TPelRadioGroup*>(w) || qobject_cast<TPelSpinEdit*>(w)) &&
            !bound.contains(w))
            unbound << w->objectName();
    return unbound;
}

// A value other than the default for every property a device page edits.
inline void changeEveryValue(tPelBaseProperty* device) {
    forEachProperty(device, [](tPelBaseProperty* p) {
        try {
            if (auto* flag = dynamic_cast<tPelBooleanProperty*>(p)) {
                flag->SetAsBoolean(!flag->AsBoolean());
            } else if (auto* list = dynamic_cast<tPelEnumProperty*>(p)) {
                list->SetAsInteger(list->TypeInfo().MaxOrdinal());
            } else if (auto* number = dynamic_cast<tPelIntegerProperty*>(p)) {
                if (number->Max() > number->Min()) number->SetAsInteger(number->Max() - 1);
            }
        } catch (const EZcfgError&) {
            // A value the device's rules refuse stays as it was.
        }
    });
}

struct tPageHost {
    // The page index of each device type (1 to 8).
    static int PageOf(int type) {
        static constexpr int pages[] = {-1, 6, 7, 0, 1, 2, 4, 3, 5};
        return type >= 1 && type <= 8 ? pages[type] : -1;
    }

    tPageHost() {
        window = std::make_unique<QWidget>();
        for (int i = 0; i < 10; ++i) {
            pages[i] = CreateDevicePage(i, window.get()).release(); // owned by the window
            pages[i]->hide();
        }
        document.reset(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
        tUndoRedo* u = &undo;
        document->SetOnBeginChange([u](tPelBaseProperty*, tChangeKind, const QString&) { u->BeginGroup(); });
        document->SetOnRecordUndo([u](tPelBaseProperty* sender, tChangeKind kind, const QString& text) {
            if (kind == ckReset)
                u->Clear();
            else
                u->Record(0, sender, kind, text);
        });
        document->SetOnEndChange([u](tPelBaseProperty*, tChangeKind, const QString&) { u->EndGroup(); });
        document->SetOnRecordRedo([u](tPelBaseProperty* sender, tChangeKind kind, const QString& text) {
            u->RecordRedo(sender, kind, text);
        });
        document->SetModified(false);
    }

    ~tPageHost() {
        // Pages release their bindings before the document goes.
        window.reset();
    }

    TDevicePage* Page(int index) const { return pages[index]; }

    // Selects the type and binds its page as the window's page switch does; the page is in front.
    TDevicePage* Show(int type) {
        document->SetDeviceType(uint8_t(type));
        for (TDevicePage* page : pages)
            page->hide();
        TDevicePage* page = pages[PageOf(type)];
        page->show();
        page->Bind(*document);
        return page;
    }

    std::unique_ptr<QWidget> window;
    std::array<TDevicePage*, 10> pages{};
    tUndoRedo undo;
    std::unique_ptr<tZCfgFile> document;
};
