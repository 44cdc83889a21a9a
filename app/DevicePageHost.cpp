#include "app/DevicePageHost.h"

#include "app/MainPages.h"
#include "app/pages/DevicePage.h"

#include <QLayout>
#include <QScrollArea>
#include <QTabWidget>

namespace {
bool validSheet(int sheetIndex) {
    return sheetIndex >= 0 && sheetIndex < TDevicePageHost::PageCount;
}
} // namespace

TDevicePageHost::TDevicePageHost(QTabWidget& pageControl) : pageControl_(pageControl) {}

TDevicePage* TDevicePageHost::CreatedPage(int sheetIndex) const {
    return validSheet(sheetIndex) ? pages_[std::size_t(sheetIndex)].data() : nullptr;
}

TDevicePage* TDevicePageHost::Page(int sheetIndex) {
    if (TDevicePage* page = CreatedPage(sheetIndex)) return page;
    if (!validSheet(sheetIndex) || sheetIndex >= pageControl_.count()) return nullptr;
    QWidget* sheet = pageControl_.widget(sheetIndex);
    // Each page scrolls inside its sheet, so a small screen or a large text scale never clips it
    // nor forces the window past the screen.
    auto* scroller = new QScrollArea(sheet);
    scroller->setObjectName(sheet->objectName() + QStringLiteral("Scroller"));
    scroller->setFrameShape(QFrame::NoFrame);
    // Tab goes from the controls before the page straight to its first control; the area still
    // scrolls to each control Tab reaches.
    scroller->setFocusPolicy(Qt::NoFocus);
    scroller->setWidgetResizable(true);
    std::unique_ptr<TDevicePage> created = CreateDevicePage(sheetIndex, scroller);
    if (!created) {
        delete scroller;
        return nullptr;
    }
    TDevicePage* page = created.release(); // owned by its sheet from here on
    scroller->setWidget(page);
    if (sheet->layout()) sheet->layout()->addWidget(scroller);
    scroller->show(); // at once, even when the window is already on screen
    pages_[std::size_t(sheetIndex)] = page;
    if (onPageCreated_) onPageCreated_(sheetIndex, *page);
    return page;
}

QSize TDevicePageHost::WholePageSize(int sheetIndex) const {
    const TDevicePage* page = CreatedPage(sheetIndex);
    if (!page) return {};
    const QLayout* layout = pageControl_.widget(sheetIndex)->layout();
    const QMargins margins = layout ? layout->contentsMargins() : QMargins();
    return page->sizeHint().grownBy(margins);
}

bool TDevicePageHost::IsBound(int sheetIndex) const {
    return validSheet(sheetIndex) && bound_[std::size_t(sheetIndex)];
}

void TDevicePageHost::UnbindAll() {
    for (int i = 0; i < PageCount; ++i) {
        if (!bound_[std::size_t(i)]) continue;
        bound_[std::size_t(i)] = false;
        if (TDevicePage* page = CreatedPage(i)) page->Unbind();
    }
}

void TDevicePageHost::Bind(tZCfgFile& document, int sheetIndex) {
    if (IsBound(sheetIndex)) return;
    if (TDevicePage* page = Page(sheetIndex)) {
        page->Bind(document);
        bound_[std::size_t(sheetIndex)] = true;
    }
}

void TDevicePageHost::BindType(tZCfgFile& document, int sheetIndex, bool factoryPages) {
    UnbindAll();
    if (sheetIndex < 0) return;
    Bind(document, sheetIndex);
    if (factoryPages) {
        Bind(document, mpIRFactoryConfig);
        Bind(document, mpConfiguratorProgramming);
    }
}

void TDevicePageHost::PageShown(int sheetIndex) {
    if (TDevicePage* page = CreatedPage(sheetIndex)) page->PageShown();
}
