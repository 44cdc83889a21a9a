#pragma once
// The device pages of one window without the window: a host widget holding every page, and a
// document wired to an undo manager as the main window wires it.

#include "app/UnitUndoList.h"
#include "app/pages/DevicePage.h"
#include "device/UnitZCfgFile.h"

#include <QWidget>
#include <array>
#include <memory>

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
