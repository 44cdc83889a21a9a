#pragma once
// The simulated FTDI driver: adapters with an EEPROM identity, attached or not, each with an
// optional virtual device behind it, and the driver entry points' behaviour over them.
//
// Timing. By default replies are deterministic: bytes the device sends become readable at the next
// poll, the first FT_GetQueueStatus after FT_ListDevices or FT_EE_Read (the link makes one of each
// per tick). Paced mode instead releases one byte per 1042 us (9600 baud, 10 bits) of a clock that
// is either real time or advanced explicitly.

#include "programmer/D2XXTypes.h"
#include "sim/VirtualDevice.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <chrono>
#include <deque>
#include <optional>
#include <vector>

namespace zsim {

struct Identity {
    uint16_t vendor = 0x0403;
    uint16_t product = 0xDBC0;
    QByteArray manufacturer = "Arvel";
    QByteArray manufacturerId = "AV";
    QByteArray description = "USB HS Serial Converter";
    QByteArray serial = "AV000001";
    uint16_t maxPower = 44;
    uint16_t pnp = 1, selfPowered = 0, remoteWakeup = 1;
    uint8_t rev4 = 0, isoIn = 0, isoOut = 0, pullDownEnable = 0, serNumEnable = 1;
    uint16_t usbVersion = 0x0200;
    bool blank = false; // an unprogrammed EEPROM answers FT_EE_Read with 15
};

struct AdapterFaults {
    DeviceFaults device;
    int bytesPerPoll = 0;      // 0: everything waiting becomes readable at once
    int unplugAfterBytes = -1; // detach once the host has read this many bytes; -1: never
    int replyDelayPolls = 0;   // polls a reply waits before its first byte is readable
};

struct Adapter {
    Identity eeprom;
    std::optional<VirtualDevice> device;
    AdapterFaults faults;
    bool attached = true;
    uintptr_t handle = 0; // non-zero while open

    struct PendingByte {
        char byte;
        int64_t readyAtUs;
    };
    std::deque<PendingByte> pending; // sent by the device, not yet readable
    QByteArray readable;
    bool pollTaken = false; // this round's poll has already released bytes
    int delayLeft = 0;

    QByteArray written; // every byte the host wrote
    int bytesRead = 0;
    int eeReads = 0, eePrograms = 0, opens = 0;
    uint32_t baudRate = 0;
    uint8_t wordLength = 0, stopBits = 0, parity = 0;
    uint16_t flowControl = 0;
    uint8_t xon = 0, xoff = 0;
};

enum class Pacing { None, Clock, RealTime };

class Simulator {
public:
    // Starts empty; Reset() loads the configuration named by ZCFG_SIM.
    Simulator();

    // Back to the configuration named by ZCFG_SIM (or the default adapter and staff transmitter).
    void Reset();
    void Clear();
    // A device keyword, "none" (adapter without device) or "absent" (no adapter).
    bool LoadKeyword(const QString& keyword);
    bool LoadScenarioJson(const QByteArray& json, QString* error = nullptr);
    bool LoadScenarioFile(const QString& path, QString* error = nullptr);

    int AddAdapter(const Identity& identity, std::optional<DeviceType> device);
    Adapter* AdapterAt(int index);
    int AdapterCount() const { return int(adapters_.size()); }

    void SetFailingStatus(const QString& entryPoint, FT_STATUS status);
    void SetPacing(Pacing pacing) { pacing_ = pacing; }
    Pacing PacingMode() const { return pacing_; }
    void AdvanceClock(int64_t microseconds) { manualClockUs_ += microseconds; }
    // Bytes the device sends without being asked (appended after anything pending).
    void Inject(int adapter, const QByteArray& bytes);
    void Detach(int adapter);
    void Attach(int adapter);

    // Driver entry points.
    FT_STATUS ListDevices(void* arg1, void* arg2, uint32_t flags);
    FT_STATUS Open(int deviceNumber, FT_HANDLE* handle);
    FT_STATUS Close(FT_HANDLE handle);
    FT_STATUS SetBaudRate(FT_HANDLE handle, uint32_t baudRate);
    FT_STATUS SetDataCharacteristics(FT_HANDLE handle, uint8_t wordLength, uint8_t stopBits, uint8_t parity);
    FT_STATUS SetFlowControl(FT_HANDLE handle, uint16_t flowControl, uint8_t xon, uint8_t xoff);
    FT_STATUS Write(FT_HANDLE handle, const void* buffer, uint32_t count, uint32_t* written);
    FT_STATUS GetQueueStatus(FT_HANDLE handle, uint32_t* waiting);
    FT_STATUS Read(FT_HANDLE handle, void* buffer, uint32_t count, uint32_t* returned);
    FT_STATUS EERead(FT_HANDLE handle, FT_DESCRIPTOR* descriptor);
    FT_STATUS EEProgram(FT_HANDLE handle, const FT_DESCRIPTOR* descriptor);

    static constexpr int64_t kByteTimeUs = 1042;

private:
    FT_STATUS injected(const char* entryPoint) const;
    // The adapter behind a handle; status 1 for an unknown handle, 4 for an unplugged adapter.
    FT_STATUS lookup(FT_HANDLE handle, Adapter*& adapter);
    void queueReply(Adapter& adapter, const QByteArray& bytes);
    void release(Adapter& adapter);
    int64_t nowUs() const;

    std::vector<Adapter> adapters_;
    QHash<QString, FT_STATUS> failing_;
    Pacing pacing_ = Pacing::None;
    int64_t manualClockUs_ = 0;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    uintptr_t nextHandle_ = 0x5A10;
};

} // namespace zsim
