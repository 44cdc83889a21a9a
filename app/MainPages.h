#pragma once
// Tab sheet positions of the main window's page control (hidden sheets keep their positions). The
// device-type table names the sheet, picture and help topic of each device type.
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
