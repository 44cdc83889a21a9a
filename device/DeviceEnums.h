#pragma once
// The enumerations of the device model. The value names are what configuration files store and
// their ordinals are what device records carry, so neither may change.

#include "property/PelEnum.h"

// Device type of the configuration document.
ZCFG_ENUM(tDevType, dt_None, dt_Staff_Transmitter, dt_Pendant_Transmitter, dt_MPD_Call_Point,
          dt_MPD_Monitor_Point, dt_MPDDayNightSwitch, dt_Relay_Output, dt_Zone_Indicator,
          dt_ZX250_Call_Point);

// Mode of the MPD unit; its wire code differs from the ordinal (0, 2, 3).
ZCFG_ENUM(tMPDDevType, mpd_MPD_Call_Point, mpd_MPD_Monitor_Point, mpd_MPDDayNightSwitch);

// The button functions a transmitter supports; flag n is bit n of the factory record's "SF".
ZCFG_ENUM(tIRSpecialFlags, sf_Allow_Attack, sf_Allow_Emergency, sf_Allow_Attendance);

// Function of a transmitter button; the user record carries ordinal + 1.
ZCFG_ENUM(tIRRFCallType, irrf_Attack, irrf_Emergency, irrf_Help_Required, irrf_Std_Call, irrf_Presence,
          irrf_Reset, irrf_Attendance);

// Radio protocol of a transmitter; the user record carries ordinal + 1.
ZCFG_ENUM(tIRRFProtocol, irrf_Arvel_Protocol, irrf_RM800_Protocol);

// Transmit behaviour of a transmitter; carried as the ordinal itself.
ZCFG_ENUM(tIRRFTransmitMode, tm_Continuously, tm_Auto_Stop);

// MPD unit settings.
ZCFG_ENUM(tEnsuiteInputCallType, es_Call, es_Help_Required);
ZCFG_ENUM(tSwitchType, st_Momentary, st_Latching);
ZCFG_ENUM(tCallType, ct_Call, ct_Help_Required, ct_Emergency, ct_Attack);
ZCFG_ENUM(tContactType, ct_Normally_Open, ct_Normally_Closed);
ZCFG_ENUM(tMPCallPoint, mpcp_Monitor, mpcp_Emergency);
ZCFG_ENUM(tDayNight, dn_Night, dn_Day);

// Call types of the ZX250 call point, carried as one hexadecimal digit.
ZCFG_ENUM(tZX250CallType, ct250_Call, ct250_Help_Required, ct250_Ensuite, ct250_Emergency, ct250_Attack);

// Zone indicator: the HTM2015 tone, the volume of a row, and the tone of a row (one hex digit).
ZCFG_ENUM(tHTM2015Tone, tone2015_800Hz, tone2015_2800Hz);
ZCFG_ENUM(tVolumeMode, vm_Mute, vm_User_A, vm_User_B);
ZCFG_ENUM(tZonalTone, zt_500Hz, zt_Presence, zt_Standard_Call, zt_Monitor_Point_Call, zt_Emergency, zt_Attack,
          zt_Soft_Chime, zt_Attention_Chime, zt_Urgent_Chime, zt_Ding_Dong, zt_Beep, zt_Red_Alert,
          zt_Help_Required, zt_Ding_Dong_x2, zt_Octave_Slow, zt_Octave_Fast);

// "Button Type" of a transmitter button.
class tIRRFCallTypeClass : public tPelEnum<tIRRFCallType> {
public:
    using tPelEnum<tIRRFCallType>::tPelEnum;
};

// The "SF" flags of the factory record, with flag operations typed on tIRSpecialFlags.
class tSpecialFlags : public tPelEnumSet<tIRSpecialFlags> {
public:
    using tPelEnumSet<tIRSpecialFlags>::tPelEnumSet;
    using tPelEnumSet<tIRSpecialFlags>::IsFlagSet;
    using tPelEnumSet<tIRSpecialFlags>::SetFlag;
    using tPelEnumSetProperty::IsFlagSet;
    using tPelEnumSetProperty::SetFlag;
};

// The ordinal of an enumerated value that is about to be sent to a device. A value name that names
// no value of the type (a hand-edited file) raises instead of sending a garbage digit.
int RecordOrdinal(const tPelEnumProperty* property);

// OnTranslate handler of "IR/RF Protocol": shows the protocols by their short names.
void IRRFProtocolDisplayText(const QString& text, QString& out);
