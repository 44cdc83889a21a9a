#pragma once
// The adapter driver's calling interface as the link uses it: status codes, the handle, the EEPROM
// descriptor record and the signatures of the entry points. Shared by the binding and by the
// simulated adapter library, which exports the same entry points.

#include <cstdint>

#if defined(_WIN32)
#define ZCFG_D2XX_CALL __stdcall
#else
#define ZCFG_D2XX_CALL
#endif

using FT_STATUS = uint32_t;
using FT_HANDLE = void*;

enum : FT_STATUS {
    FT_OK = 0,
    FT_INVALID_HANDLE = 1,
    FT_DEVICE_NOT_FOUND = 2,
    FT_DEVICE_NOT_OPENED = 3,
    FT_IO_ERROR = 4,
    FT_INSUFFICIENT_RESOURCES = 5,
    FT_INVALID_PARAMETER = 6,
    FT_EEPROM_NOT_PROGRAMMED = 15,
};

// FT_ListDevices flag: return only the number of attached devices.
constexpr uint32_t FT_LIST_NUMBER_ONLY = 0x80000000u;

// Capacities of the descriptor's string buffers, terminator included.
constexpr int kManufacturerCapacity = 51;
constexpr int kManufacturerIdCapacity = 51;
constexpr int kDescriptionCapacity = 65;
constexpr int kSerialNumberCapacity = 53;

// The adapter's USB descriptor as held in its EEPROM. The record begins directly with the vendor id;
// the four strings are zero-terminated 8-bit strings in buffers owned by whoever owns the record.
struct FT_DESCRIPTOR {
    uint16_t VendorId;
    uint16_t ProductId;
    char* Manufacturer;
    char* ManufacturerId;
    char* Description;
    char* SerialNumber;
    uint16_t MaxPower;
    uint16_t PnP;
    uint16_t SelfPowered;
    uint16_t RemoteWakeup;
    uint8_t Rev4;
    uint8_t IsoIn;
    uint8_t IsoOut;
    uint8_t PullDownEnable;
    uint8_t SerNumEnable;
    uint8_t USBVersionEnable;
    uint16_t USBVersion;
};

// What the Linux driver layer knows of an attached adapter without opening it (optional entry point
// ZCFG_GetAdapterInfo; other driver libraries do not offer it).
enum : uint32_t {
    ZCFG_ADAPTER_AVAILABLE = 0,     // can be opened
    ZCFG_ADAPTER_NO_PERMISSION = 1, // the user may not open it
    ZCFG_ADAPTER_IN_USE = 2,        // another program holds it
};
// Why the user may not open it (with ZCFG_ADAPTER_NO_PERMISSION).
enum : uint32_t {
    ZCFG_PERMISSION_NO_RULE = 0,     // the udev rule is not installed
    ZCFG_PERMISSION_NOT_APPLIED = 1, // the rule is installed but has not reached the device yet
    ZCFG_PERMISSION_NOT_LOCAL = 2,   // the rule gives access to the user of the local session only
    ZCFG_PERMISSION_NOT_COVERED = 3, // not a device the rule is for (not an adapter)
};
struct ZCFG_ADAPTER_INFO {
    uint16_t VendorId;
    uint16_t ProductId;
    uint32_t Access;     // ZCFG_ADAPTER_*
    char Location[32];   // bus and port path, "1-2.3"
    uint32_t Permission; // ZCFG_PERMISSION_*, with ZCFG_ADAPTER_NO_PERMISSION
    char Chip[16];       // "FT232BM", "FT232R", ... from the device's release number
    char Holder[32];     // with ZCFG_ADAPTER_IN_USE: the program that likely holds it, or empty
};

extern "C" {
using PFT_ListDevices = FT_STATUS(ZCFG_D2XX_CALL*)(void* arg1, void* arg2, uint32_t flags);
using PFT_Open = FT_STATUS(ZCFG_D2XX_CALL*)(int deviceNumber, FT_HANDLE* handle);
using PFT_Close = FT_STATUS(ZCFG_D2XX_CALL*)(FT_HANDLE handle);
using PFT_SetBaudRate = FT_STATUS(ZCFG_D2XX_CALL*)(FT_HANDLE handle, uint32_t baudRate);
using PFT_SetDataCharacteristics = FT_STATUS(ZCFG_D2XX_CALL*)(FT_HANDLE handle, uint8_t wordLength,
                                                              uint8_t stopBits, uint8_t parity);
using PFT_SetFlowControl = FT_STATUS(ZCFG_D2XX_CALL*)(FT_HANDLE handle, uint16_t flowControl, uint8_t xon,
                                                      uint8_t xoff);
using PFT_Write = FT_STATUS(ZCFG_D2XX_CALL*)(FT_HANDLE handle, void* buffer, uint32_t bytesToWrite,
                                             uint32_t* bytesWritten);
using PFT_GetQueueStatus = FT_STATUS(ZCFG_D2XX_CALL*)(FT_HANDLE handle, uint32_t* bytesWaiting);
using PFT_Read = FT_STATUS(ZCFG_D2XX_CALL*)(FT_HANDLE handle, void* buffer, uint32_t bytesToRead,
                                            uint32_t* bytesReturned);
using PFT_EE_Read = FT_STATUS(ZCFG_D2XX_CALL*)(FT_HANDLE handle, FT_DESCRIPTOR* descriptor);
using PFT_EE_Program = FT_STATUS(ZCFG_D2XX_CALL*)(FT_HANDLE handle, FT_DESCRIPTOR* descriptor);
using PZCFG_GetAdapterInfo = FT_STATUS(ZCFG_D2XX_CALL*)(int deviceNumber, ZCFG_ADAPTER_INFO* info);
// The advice the driver layer has for the user after a refused open (what to install), or null.
using PZCFG_AccessHint = const char*(ZCFG_D2XX_CALL*)();
}
