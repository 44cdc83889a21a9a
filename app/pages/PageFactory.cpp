// Creates the contents of the main window's device tab sheets.

#include "app/pages/DevicePage.h"
#include "app/pages/FactoryPages.h"
#include "app/pages/TransmitterPages.h"
#include "app/pages/WiredPages.h"
#include "app/pages/ZonalIndicatorPage.h"

std::unique_ptr<TDevicePage> CreateDevicePage(int pageIndex, QWidget* parent) {
    switch (pageIndex) {
    case 0:
        return std::make_unique<TCallPointPage>(parent);
    case 1:
        return std::make_unique<TMonitorPointPage>(parent);
    case 2:
        return std::make_unique<TDayNightSwitchPage>(parent);
    case 3:
        return std::make_unique<TZonalIndicatorPage>(parent);
    case 4:
        return std::make_unique<TRelayOutputPage>(parent);
    case 5:
        return std::make_unique<TZX250Page>(parent);
    case 6:
        return std::make_unique<TStaffPage>(parent);
    case 7:
        return std::make_unique<TPendantPage>(parent);
    case 8:
        return std::make_unique<TFactoryConfigPage>(parent);
    case 9:
        return std::make_unique<TConfiguratorProgrammingPage>(parent);
    default:
        return nullptr;
    }
}
