#pragma once
// The window's view of the device-type table: which tab sheet, device picture and help topic belong
// to each device type.

#include <cstdint>
#include <optional>

// Tab sheet positions of the main window's page control (hidden sheets keep their positions).
enum tMainPage : int {
    mpCallPoint = 0,
    mpMonitorPoint = 1,
    mpDayNightSwitch = 2,
    mpZonalIndicator = 3,
    mpRelayOutputDevice = 4,
    mpZX250 = 5,
    mpIRRFStaff = 6,
    mpIRRFPendant = 7,
    mpIRFactoryConfig = 8,
    mpConfiguratorProgramming = 9,
    mpComments = 10,
    mpDevelopment = 11,
    mpPageCount = 12,
};

struct tDevicePageInfo {
    int pageIndex;    // tab sheet of the type
    int pictureIndex; // picture in the device image list
    int helpContext;  // help topic of the page
    bool transmitter; // the factory pages go with it
};

// Types 1 to 8; none for type 0 and any other value.
std::optional<tDevicePageInfo> DevicePageFor(uint8_t deviceType);
