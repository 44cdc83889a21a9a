#include "device/DeviceTypeTable.h"

namespace {

constexpr std::array<tDevType, 3> only(tDevType type) {
    return {type, dt_None, dt_None};
}
constexpr std::array<tDevType, 3> mpdModes = {dt_MPD_Call_Point, dt_MPD_Monitor_Point, dt_MPDDayNightSwitch};

// clang-format off
const tDeviceTypeInfo table[] = {
    {dt_None, "dt_None", "None", "none", tDeviceClass::None, -1, -1, 0,
     only(dt_None), 0, "None", -1, -1, 0},
    {dt_Staff_Transmitter, "dt_Staff_Transmitter", "ZX140 Staff Transmitter", "staff", tDeviceClass::IRRF, -1, -1, 'T',
     only(dt_Staff_Transmitter), 1, "Staff Transmitter", 6, 4, 10},
    {dt_Pendant_Transmitter, "dt_Pendant_Transmitter", "ZX160 Pendant Transmitter", "pendant", tDeviceClass::IRRF, -1, -1, 'P',
     only(dt_Pendant_Transmitter), 1, "Pendant Transmitter", 7, 3, 20},
    {dt_MPD_Call_Point, "dt_MPD_Call_Point", "ZX310 (Call Point)", "mpd-call-point", tDeviceClass::MPD, 0, 0, 0,
     mpdModes, 3, "MPD Call Point", 0, 0, 30},
    {dt_MPD_Monitor_Point, "dt_MPD_Monitor_Point", "ZX310 (Monitor Point)", "mpd-monitor-point", tDeviceClass::MPD, 0, 2, 0,
     mpdModes, 3, "MPD Monitor Point", 1, 0, 40},
    {dt_MPDDayNightSwitch, "dt_MPDDayNightSwitch", "ZX310 (Day/Night Switch)", "mpd-day-night", tDeviceClass::MPD, 0, 3, 0,
     mpdModes, 3, "MPD Day/Night Switch", 2, 0, 50},
    {dt_Relay_Output, "dt_Relay_Output", "ZX320 Relay Output", "relay", tDeviceClass::RelayOutput, 1, -1, 0,
     only(dt_Relay_Output), 1, "Relay Output", 4, 1, 60},
    {dt_Zone_Indicator, "dt_Zone_Indicator", "ZX330 ZI or ZX390/2 Sounder", "zone-indicator", tDeviceClass::ZonalIndicator, 2, -1, 0,
     only(dt_Zone_Indicator), 1, "Zone Indicator", 3, 2, 70},
    {dt_ZX250_Call_Point, "dt_ZX250_Call_Point", "ZX250/9 or ZX270RX Call Point", "zx250", tDeviceClass::CallPoint250, 3, -1, 0,
     only(dt_ZX250_Call_Point), 1, "ZX250 Call Point", 5, 5, 80},
};
// clang-format on

static_assert(std::size(table) == LastDeviceType + 1, "one row per device type");

} // namespace

const tDeviceTypeInfo& DeviceTypeInfo(int type) {
    return type >= 0 && type <= LastDeviceType ? table[type] : table[dt_None];
}

const tDeviceTypeInfo* tDeviceTypeRange::begin() const {
    return table + FirstDeviceType;
}

const tDeviceTypeInfo* tDeviceTypeRange::end() const {
    return table + LastDeviceType + 1;
}

tDevType DeviceTypeFromKeyword(const QString& keyword) {
    for (const tDeviceTypeInfo& info : DeviceTypes())
        if (keyword.compare(QLatin1String(info.Keyword), Qt::CaseInsensitive) == 0) return info.Type;
    return dt_None;
}

tDevType DeviceTypeFromModeCode(int code) {
    for (const tDeviceTypeInfo& info : DeviceTypes())
        if (info.ModeCode >= 0 && info.ModeCode == code) return info.Type;
    return dt_None;
}

tDevType DeviceTypeFromDeviceCode(int code) {
    for (const tDeviceTypeInfo& info : DeviceTypes())
        if (info.DeviceCode >= 0 && info.DeviceCode == code) return info.Type; // the first MPD row for 0
    return dt_None;
}
