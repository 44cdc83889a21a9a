// The simulated adapter library: the driver entry points and the control functions, with C linkage,
// over one simulator instance per loaded library.

#include "sim/SimControl.h"
#include "sim/Simulator.h"

#include <QString>
#include <cstring>
#include <mutex>

#define ZCFG_SIM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::recursive_mutex& lock() {
    static std::recursive_mutex m;
    return m;
}

zsim::Simulator& sim() {
    static zsim::Simulator instance = [] {
        zsim::Simulator s;
        s.Reset();
        return s;
    }();
    return instance;
}

#define SIM_LOCKED std::lock_guard<std::recursive_mutex> guard(lock())

int copyOut(const QByteArray& value, char* out, int capacity) {
    if (out && capacity > 0) {
        const int n = std::min(int(value.size()), capacity - 1);
        std::memcpy(out, value.constData(), size_t(n));
        out[n] = 0;
    }
    return int(value.size());
}

QByteArray* identityText(zsim::Identity& id, const QByteArray& field) {
    if (field == "manufacturer") return &id.manufacturer;
    if (field == "manufacturerId") return &id.manufacturerId;
    if (field == "description") return &id.description;
    if (field == "serial") return &id.serial;
    return nullptr;
}

QByteArray identityValue(zsim::Identity& id, const QByteArray& field) {
    if (field == "vendor") return QByteArray::number(id.vendor, 16).rightJustified(4, '0').toUpper();
    if (field == "product") return QByteArray::number(id.product, 16).rightJustified(4, '0').toUpper();
    if (field == "blank") return id.blank ? "1" : "0";
    const QByteArray* text = identityText(id, field);
    return text ? *text : QByteArray();
}

} // namespace

// ---- Driver entry points ---------------------------------------------------------------------

ZCFG_SIM_EXPORT FT_STATUS FT_ListDevices(void* arg1, void* arg2, uint32_t flags) {
    SIM_LOCKED;
    return sim().ListDevices(arg1, arg2, flags);
}
ZCFG_SIM_EXPORT FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* handle) {
    SIM_LOCKED;
    return sim().Open(deviceNumber, handle);
}
ZCFG_SIM_EXPORT FT_STATUS FT_Close(FT_HANDLE handle) {
    SIM_LOCKED;
    return sim().Close(handle);
}
ZCFG_SIM_EXPORT FT_STATUS FT_SetBaudRate(FT_HANDLE handle, uint32_t baudRate) {
    SIM_LOCKED;
    return sim().SetBaudRate(handle, baudRate);
}
ZCFG_SIM_EXPORT FT_STATUS FT_SetDataCharacteristics(FT_HANDLE handle, uint8_t wordLength, uint8_t stopBits,
                                                    uint8_t parity) {
    SIM_LOCKED;
    return sim().SetDataCharacteristics(handle, wordLength, stopBits, parity);
}
ZCFG_SIM_EXPORT FT_STATUS FT_SetFlowControl(FT_HANDLE handle, uint16_t flowControl, uint8_t xon,
                                            uint8_t xoff) {
    SIM_LOCKED;
    return sim().SetFlowControl(handle, flowControl, xon, xoff);
}
ZCFG_SIM_EXPORT FT_STATUS FT_Write(FT_HANDLE handle, void* buffer, uint32_t count, uint32_t* written) {
    SIM_LOCKED;
    return sim().Write(handle, buffer, count, written);
}
#ifndef ZCFG_SIM_WITHOUT_QUEUE_STATUS
// The variant built without it stands for a driver lacking this one entry point.
ZCFG_SIM_EXPORT FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, uint32_t* waiting) {
    SIM_LOCKED;
    return sim().GetQueueStatus(handle, waiting);
}
#endif
ZCFG_SIM_EXPORT FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, uint32_t count, uint32_t* returned) {
    SIM_LOCKED;
    return sim().Read(handle, buffer, count, returned);
}
#ifndef ZCFG_SIM_WITHOUT_EE_READ
// The variant built without it stands for a driver that cannot read the adapter's identity.
ZCFG_SIM_EXPORT FT_STATUS FT_EE_Read(FT_HANDLE handle, FT_DESCRIPTOR* descriptor) {
    SIM_LOCKED;
    return sim().EERead(handle, descriptor);
}
#endif
ZCFG_SIM_EXPORT FT_STATUS FT_EE_Program(FT_HANDLE handle, FT_DESCRIPTOR* descriptor) {
    SIM_LOCKED;
    return sim().EEProgram(handle, descriptor);
}

// ---- Control ---------------------------------------------------------------------------------

ZCFG_SIM_EXPORT void zcfg_sim_reset() {
    SIM_LOCKED;
    sim().Reset();
}

ZCFG_SIM_EXPORT int zcfg_sim_load_scenario_json(const char* json) {
    SIM_LOCKED;
    return json && sim().LoadScenarioJson(QByteArray(json)) ? 0 : -1;
}

ZCFG_SIM_EXPORT int zcfg_sim_load_scenario_file(const char* path) {
    SIM_LOCKED;
    return path && sim().LoadScenarioFile(QString::fromUtf8(path)) ? 0 : -1;
}

ZCFG_SIM_EXPORT int zcfg_sim_load_keyword(const char* keyword) {
    SIM_LOCKED;
    return keyword && sim().LoadKeyword(QString::fromUtf8(keyword)) ? 0 : -1;
}

ZCFG_SIM_EXPORT int zcfg_sim_add_adapter(const char* deviceKeyword) {
    SIM_LOCKED;
    const QString keyword = QString::fromUtf8(deviceKeyword ? deviceKeyword : "none");
    zsim::DeviceType type{};
    if (zsim::DeviceTypeFromKeyword(keyword, type)) return sim().AddAdapter(zsim::Identity{}, type);
    return keyword == QLatin1String("none") ? sim().AddAdapter(zsim::Identity{}, std::nullopt) : -1;
}

ZCFG_SIM_EXPORT int zcfg_sim_adapter_count() {
    SIM_LOCKED;
    return sim().AdapterCount();
}

ZCFG_SIM_EXPORT int zcfg_sim_attach(int adapter) {
    SIM_LOCKED;
    if (!sim().AdapterAt(adapter)) return -1;
    sim().Attach(adapter);
    return 0;
}

ZCFG_SIM_EXPORT int zcfg_sim_detach(int adapter) {
    SIM_LOCKED;
    if (!sim().AdapterAt(adapter)) return -1;
    sim().Detach(adapter);
    return 0;
}

ZCFG_SIM_EXPORT int zcfg_sim_set_identity(int adapter, const char* field, const char* value) {
    SIM_LOCKED;
    zsim::Adapter* a = sim().AdapterAt(adapter);
    if (!a || !field || !value) return -1;
    const QByteArray name(field);
    zsim::Identity& id = a->eeprom;
    if (name == "vendor" || name == "product") {
        bool ok = false;
        const uint v = QByteArray(value).toUInt(&ok, 16);
        if (!ok || v > 0xFFFF) return -1;
        (name == "vendor" ? id.vendor : id.product) = uint16_t(v);
    } else if (name == "blank") {
        id.blank = QByteArray(value) == "1";
    } else if (QByteArray* text = identityText(id, name)) {
        *text = value;
    } else {
        return -1;
    }
    return 0;
}

ZCFG_SIM_EXPORT int zcfg_sim_get_identity(int adapter, const char* field, char* out, int capacity) {
    SIM_LOCKED;
    zsim::Adapter* a = sim().AdapterAt(adapter);
    return a && field ? copyOut(identityValue(a->eeprom, field), out, capacity) : -1;
}

ZCFG_SIM_EXPORT int zcfg_sim_set_record(int adapter, const char* which, const char* payload) {
    SIM_LOCKED;
    zsim::Adapter* a = sim().AdapterAt(adapter);
    if (!a || !a->device || !which || !payload) return -1;
    const QByteArray name(which);
    if (name == "pi")
        a->device->SetPiRecord(payload);
    else if (name == "fd")
        a->device->SetFdRecord(payload);
    else if (name == "ud")
        a->device->SetUdRecord(payload);
    else
        return -1;
    return 0;
}

ZCFG_SIM_EXPORT int zcfg_sim_get_record(int adapter, const char* which, char* out, int capacity) {
    SIM_LOCKED;
    zsim::Adapter* a = sim().AdapterAt(adapter);
    if (!a || !a->device || !which) return -1;
    const QByteArray name(which);
    if (name == "pi") return copyOut(a->device->PiRecord(), out, capacity);
    if (name == "fd") return copyOut(a->device->FdRecord(), out, capacity);
    if (name == "ud") return copyOut(a->device->UdRecord(), out, capacity);
    return -1;
}

ZCFG_SIM_EXPORT int zcfg_sim_set_fault(int adapter, const char* fault, int value) {
    SIM_LOCKED;
    zsim::Adapter* a = sim().AdapterAt(adapter);
    if (!a || !fault) return -1;
    const QByteArray name(fault);
    zsim::AdapterFaults& f = a->faults;
    if (name == "no-answer")
        f.device.noAnswer = value != 0;
    else if (name == "bad-check")
        f.device.badCheck = value != 0;
    else if (name == "garbage")
        f.device.garbage = value != 0;
    else if (name == "truncate")
        f.device.truncate = value != 0;
    else if (name == "ud-before-fd")
        f.device.udBeforeFd = value != 0;
    else if (name == "bytes-per-poll")
        f.bytesPerPoll = std::max(value, 0);
    else if (name == "unplug-after")
        f.unplugAfterBytes = value < 0 ? -1 : a->bytesRead + value;
    else if (name == "reply-delay")
        f.replyDelayPolls = std::max(value, 0);
    else
        return -1;
    return 0;
}

ZCFG_SIM_EXPORT void zcfg_sim_set_status(const char* entryPoint, uint32_t status) {
    SIM_LOCKED;
    if (entryPoint) sim().SetFailingStatus(QString::fromLatin1(entryPoint), status);
}

ZCFG_SIM_EXPORT void zcfg_sim_set_pacing(int mode) {
    SIM_LOCKED;
    sim().SetPacing(mode == 2   ? zsim::Pacing::RealTime
                    : mode == 1 ? zsim::Pacing::Clock
                                : zsim::Pacing::None);
}

ZCFG_SIM_EXPORT void zcfg_sim_advance_clock(int64_t microseconds) {
    SIM_LOCKED;
    sim().AdvanceClock(microseconds);
}

ZCFG_SIM_EXPORT int zcfg_sim_written_bytes(int adapter, char* out, int capacity) {
    SIM_LOCKED;
    zsim::Adapter* a = sim().AdapterAt(adapter);
    return a ? copyOut(a->written, out, capacity) : -1;
}

ZCFG_SIM_EXPORT int zcfg_sim_clear_written(int adapter) {
    SIM_LOCKED;
    zsim::Adapter* a = sim().AdapterAt(adapter);
    if (!a) return -1;
    a->written.clear();
    return 0;
}

ZCFG_SIM_EXPORT int zcfg_sim_inject(int adapter, const char* bytes, int count) {
    SIM_LOCKED;
    if (!sim().AdapterAt(adapter) || (!bytes && count > 0) || count < 0) return -1;
    sim().Inject(adapter, QByteArray(bytes, count));
    return 0;
}

ZCFG_SIM_EXPORT int zcfg_sim_counter(int adapter, const char* name) {
    SIM_LOCKED;
    zsim::Adapter* a = sim().AdapterAt(adapter);
    if (!a || !name) return -1;
    const QByteArray n(name);
    if (n == "ee-read") return a->eeReads;
    if (n == "ee-program") return a->eePrograms;
    if (n == "opens") return a->opens;
    if (n == "open") return a->handle != 0;
    if (n == "attached") return a->attached;
    if (n == "bytes-read") return a->bytesRead;
    if (n == "frames-accepted") return a->device ? a->device->FramesAccepted() : 0;
    if (n == "frames-rejected") return a->device ? a->device->FramesRejected() : 0;
    if (n == "pending") return int(a->pending.size() + size_t(a->readable.size()));
    if (n == "baud") return int(a->baudRate);
    if (n == "word-length") return a->wordLength;
    if (n == "stop-bits") return a->stopBits;
    if (n == "parity") return a->parity;
    if (n == "flow") return a->flowControl;
    if (n == "xon") return a->xon;
    if (n == "xoff") return a->xoff;
    return -1;
}
