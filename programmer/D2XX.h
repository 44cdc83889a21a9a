#pragma once
// Run-time binding of the adapter driver library. One library is loaded for all live programmer
// links and released with the last of them. Entry points that do not resolve stay null, and the
// link skips every step that needs one.

#include "programmer/D2XXTypes.h"

#include <QString>

struct D2XXEntryPoints {
    PFT_ListDevices FT_ListDevices = nullptr;
    PFT_Open FT_Open = nullptr;
    PFT_Close FT_Close = nullptr;
    PFT_SetBaudRate FT_SetBaudRate = nullptr;
    PFT_SetDataCharacteristics FT_SetDataCharacteristics = nullptr;
    PFT_SetFlowControl FT_SetFlowControl = nullptr;
    PFT_Write FT_Write = nullptr;
    PFT_GetQueueStatus FT_GetQueueStatus = nullptr;
    PFT_Read FT_Read = nullptr;
    PFT_EE_Read FT_EE_Read = nullptr;
    PFT_EE_Program FT_EE_Program = nullptr;

    // Offered by this program's Linux driver layer only.
    PZCFG_GetAdapterInfo ZCFG_GetAdapterInfo = nullptr;
    PZCFG_AccessHint ZCFG_AccessHint = nullptr;

    // Looked up with the others but never called by the link.
    void* FT_OpenEx = nullptr;
    void* FT_SetDTR = nullptr;
    void* FT_ClrDTR = nullptr;
    void* FT_SetRTS = nullptr;
    void* FT_ClrRTS = nullptr;
    void* FT_SetBreakOff = nullptr;
    void* FT_SetBreakOn = nullptr;
    void* FT_GetStatus = nullptr;
    void* FT_Purge = nullptr;
    void* FT_SetTimeouts = nullptr;
    void* FT_EE_UASize = nullptr;
    void* FT_EE_UAWrite = nullptr;
    void* FT_EE_UARead = nullptr;
};

namespace D2XX {

// A private library of this program (a driver layer, the simulated adapter) found relative to the
// program: beside it, in the build tree in the folder `buildFolder` next to the program's folder,
// or installed in <prefix>/lib/zentara-configurator beside <prefix>/bin. Empty when none exists.
QString FindPrivateLibrary(const QString& fileName, const QString& buildFolder);
// The same relative to a given program folder.
QString FindPrivateLibrary(const QString& fileName, const QString& buildFolder, const QString& programFolder);

// The library file the binding loads: ZCFG_D2XX_LIBRARY when set; else on Linux this program's own
// driver layer on libftdi1 (libzcfg-ftdi.so), on Windows the vendor's ftd2xx.dll.
QString LibraryName();

// Binds the library if no link holds it yet and returns the shared table (all null when the library
// did not load). Every AcquireLibrary is paired with one ReleaseLibrary.
const D2XXEntryPoints& AcquireLibrary();
void ReleaseLibrary();

// What the user must install to open an adapter the system refused (the udev rule), as the driver
// layer words it; empty when nothing was refused or the library does not say.
QString AccessHint();

// True while a library is loaded for the live links.
bool LibraryLoaded();

} // namespace D2XX
