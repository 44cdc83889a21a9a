#pragma once
// One tab sheet's contents of the main window, bound to the document's current device.
#include <QWidget>
#include <memory>
class tZCfgFile;
class TDevicePage : public QWidget {
public:
    using QWidget::QWidget;
    // Binds every control of the page to the properties of the document's current device.
    virtual void Bind(tZCfgFile& document) = 0;
    // Releases every binding; the page keeps showing its last values until bound again.
    virtual void Unbind() = 0;
    // Called each time the page is brought to front (the factory page rebuilds its summary).
    virtual void PageShown() {}
};
// The contents of tab sheet `pageIndex` (0 to 9), or nullptr where the sheet has no page class.
std::unique_ptr<TDevicePage> CreateDevicePage(int pageIndex, QWidget* parent);
