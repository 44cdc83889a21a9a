#pragma once
// What each device type means, in one place: its names, its keyword on the command line, the class
// of device object that holds it, its codes on the wire, the types a configuration-mode list offers
// for it, and where the window shows it. Everything that needs one of these reads this table.

#include "device/DeviceEnums.h"

#include <array>

// The class of device object a type needs; types of one class share the object and its values.
enum class tDeviceClass : uint8_t { None, IRRF, MPD, RelayOutput, ZonalIndicator, CallPoint250 };

struct tDeviceTypeInfo {
    tDevType Type;
    const char* ValueName; // as stored in a configuration file
    const char* ModelName; // as shown in lists
    const char* Keyword;   // short name on the command line and for the simulated devices
    tDeviceClass Class;
    int DeviceCode;      // code after "PI" in a wired device's reply; -1 for transmitters and None
    int ModeCode;        // wire code of the MPD unit's "Mode"; -1 for every other type
    char HardwareLetter; // third character of a transmitter's "HW"; 0 for wired devices and None
    // The types the configuration-mode list offers while this type is in hand, in list order, and the
    // text each is listed under before translation to its model name.
    std::array<tDevType, 3> Variants;
    int VariantCount;
    const char* VariantText;
    int PageIndex;    // tab sheet of the window's page control; -1 for none
    int PictureIndex; // device picture; -1 for none
    int HelpContext;  // help topic; 0 for none
};

// Ordinals of the real device types.
constexpr int FirstDeviceType = dt_Staff_Transmitter;
constexpr int LastDeviceType = dt_ZX250_Call_Point;
constexpr int DeviceTypeCount = LastDeviceType - FirstDeviceType + 1;

// The row of a type; the dt_None row for any value outside 0 to 8.
const tDeviceTypeInfo& DeviceTypeInfo(int type);

// The eight real types in ordinal order (dt_None left out), for range-for.
class tDeviceTypeRange {
public:
    const tDeviceTypeInfo* begin() const;
    const tDeviceTypeInfo* end() const;
};
inline tDeviceTypeRange DeviceTypes() {
    return {};
}

// The real type whose keyword is the text (compared without regard to case), or dt_None.
tDevType DeviceTypeFromKeyword(const QString& keyword);
// The MPD type whose "Mode" wire code is code, or dt_None.
tDevType DeviceTypeFromModeCode(int code);
// The type a wired device's reply code names: an MPD code gives dt_MPD_Call_Point (the mode then
// decides); dt_None for a code no device uses.
tDevType DeviceTypeFromDeviceCode(int code);
