#pragma once
// The contents of the main window's device tab sheets: creates each sheet's page the first time it
// is needed, binds the pages of the shown device type to the document and releases the others.
// Creating pages on demand keeps start-up to the pages of the device type the window opens on.

#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>

class QTabWidget;
class TDevicePage;
class tZCfgFile;

class TDevicePageHost {
public:
    static constexpr int PageCount = 10; // sheets 0 to 9 can carry a page
    using tPageCreated = std::function<void(int sheetIndex, TDevicePage& page)>;

    explicit TDevicePageHost(QTabWidget& pageControl);

    // Told once for each page, right after it has been created and laid into its sheet (before it
    // is first bound), so that the window can wire the page's own buttons.
    void SetOnPageCreated(tPageCreated handler) { onPageCreated_ = std::move(handler); }

    // Releases the bound pages, then binds the page of the type's sheet and, when asked, the two
    // factory sheets, creating those that do not exist yet. A negative sheet binds nothing.
    void BindType(tZCfgFile& document, int sheetIndex, bool factoryPages);
    // Binds the page of one more sheet, creating it if need be; a bound page stays as it is.
    void Bind(tZCfgFile& document, int sheetIndex);
    void UnbindAll();
    // Tells the page of that sheet, if it exists, that it has been brought to front.
    void PageShown(int sheetIndex);

    // The page of that sheet, created now if need be; null for a sheet that carries no page.
    TDevicePage* Page(int sheetIndex);
    // The page of that sheet if it has been created; never creates one.
    TDevicePage* CreatedPage(int sheetIndex) const;
    // The room the sheet needs to show its page without scrolling; empty while the page is not made.
    QSize WholePageSize(int sheetIndex) const;
    bool IsBound(int sheetIndex) const;

private:
    QTabWidget& pageControl_;
    tPageCreated onPageCreated_;
    std::array<QPointer<TDevicePage>, PageCount> pages_{};
    std::array<bool, PageCount> bound_{};
};
