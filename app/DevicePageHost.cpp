#include "app/DevicePageHost.h"

#include "app/DevicePageMap.h"
#include "app/pages/DevicePage.h"

#include <QLayout>
#include <QScrollArea>
#include <QTabWidget>

TDevicePageHost::TDevicePageHost(QTabWidget& pageControl) {
    for (int i = 0; i < PageCount && i < pageControl.count(); ++i) {
        QWidget* sheet = pageControl.widget(i);
        // Each page scrolls inside its sheet, so a small screen or a large text scale never clips it
        // nor forces the window past the screen.
        auto* scroller = new QScrollArea(sheet);
        scroller->setObjectName(sheet->objectName() + QStringLiteral("Scroller"));
        scroller->setFrameShape(QFrame::NoFrame);
        scroller->setWidgetResizable(true);
        std::unique_ptr<TDevicePage> page = CreateDevicePage(i, scroller);
        if (!page) {
            delete scroller;
            continue;
        }
        scroller->setWidget(page.get());
        if (sheet->layout()) sheet->layout()->addWidget(scroller);
        pages_[std::size_t(i)] = page.release(); // owned by its sheet from here on
    }
}

TDevicePage* TDevicePageHost::Page(int sheetIndex) const {
    return sheetIndex >= 0 && sheetIndex < PageCount ? pages_[std::size_t(sheetIndex)].data() : nullptr;
}

bool TDevicePageHost::IsBound(int sheetIndex) const {
    return sheetIndex >= 0 && sheetIndex < PageCount && bound_[std::size_t(sheetIndex)];
}

void TDevicePageHost::UnbindAll() {
    for (int i = 0; i < PageCount; ++i) {
        if (!bound_[std::size_t(i)]) continue;
        bound_[std::size_t(i)] = false;
        if (TDevicePage* page = Page(i)) page->Unbind();
    }
}

void TDevicePageHost::BindType(tZCfgFile& document, int sheetIndex, bool transmitter) {
    UnbindAll();
    if (sheetIndex < 0) return;
    auto bind = [&](int index) {
        if (TDevicePage* page = Page(index)) {
            page->Bind(document);
            bound_[std::size_t(index)] = true;
        }
    };
    bind(sheetIndex);
    if (transmitter) {
        bind(mpIRFactoryConfig);
        bind(mpConfiguratorProgramming);
    }
}

void TDevicePageHost::PageShown(int sheetIndex) {
    if (TDevicePage* page = Page(sheetIndex)) page->PageShown();
}
