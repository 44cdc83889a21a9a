#include "app/DevicePageMap.h"

std::optional<tDevicePageInfo> DevicePageFor(uint8_t deviceType) {
    switch (deviceType) {
    case 1:
        return tDevicePageInfo{mpIRRFStaff, 4, 10, true};
    case 2:
        return tDevicePageInfo{mpIRRFPendant, 3, 20, true};
    case 3:
        return tDevicePageInfo{mpCallPoint, 0, 30, false};
    case 4:
        return tDevicePageInfo{mpMonitorPoint, 0, 40, false};
    case 5:
        return tDevicePageInfo{mpDayNightSwitch, 0, 50, false};
    case 6:
        return tDevicePageInfo{mpRelayOutputDevice, 1, 60, false};
    case 7:
        return tDevicePageInfo{mpZonalIndicator, 2, 70, false};
    case 8:
        return tDevicePageInfo{mpZX250, 5, 80, false};
    default:
        return std::nullopt;
    }
}
