#pragma once
// The contents of the main window's device tab sheets: creates each sheet's page, binds the pages of
// the shown device type to the document and releases the others.

#include <QPointer>
#include <array>
#include <cstdint>

class QTabWidget;
class TDevicePage;
class tZCfgFile;

class TDevicePageHost {
public:
    static constexpr int PageCount = 10; // sheets 0 to 9 can carry a page

    // Creates the page of every sheet that has one and lays it into its sheet.
    explicit TDevicePageHost(QTabWidget& pageControl);

    // Releases the bound pages, then binds the page of the type's sheet (and, for a transmitter,
    // the two factory sheets). A negative sheet binds nothing.
    void BindType(tZCfgFile& document, int sheetIndex, bool transmitter);
    void UnbindAll();
    // Tells the page of that sheet that it has been brought to front.
    void PageShown(int sheetIndex);

    TDevicePage* Page(int sheetIndex) const;
    bool IsBound(int sheetIndex) const;

private:
    std::array<QPointer<TDevicePage>, PageCount> pages_{};
    std::array<bool, PageCount> bound_{};
};
