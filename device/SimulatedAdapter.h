#pragma once
// Choosing the simulated adapter instead of a real one, for the editor's --simulate and zcfg's --sim:
// the link then binds the simulator library, which plays a virtual device of the chosen type.

#include <QString>
#include <QStringList>

// The keywords of the eight device types, then "none" (an adapter with no device) and "absent" (no
// adapter at all).
QStringList SimulatedDeviceKeywords();

// Where the simulator library is: ZCFG_SIM_LIBRARY if set, else found relative to the program.
QString SimulatorLibrary();

// Makes the driver binding load the simulator with a virtual device of the keyword; false, changing
// nothing, for a keyword that is not one of SimulatedDeviceKeywords(). Call it before any link binds.
bool UseSimulatedAdapter(const QString& keyword);

// What the window marks when the driver library in use is the simulated adapter: the simulated
// device's model name ("ZX320 Relay Output"), "no device", "a scenario" or "no adapter"; empty for a
// real driver library.
QString SimulatedAdapterDescription();
