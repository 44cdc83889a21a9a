#include "sim/Simulator.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtGlobal>
#include <algorithm>
#include <cstring>

namespace zsim {

namespace {

void copyString(char* target, int capacity, const QByteArray& text) {
    if (!target) return;
    const int length = std::min(int(text.size()), capacity - 1);
    std::memcpy(target, text.constData(), size_t(length));
    target[length] = 0;
}

QByteArray takeString(const char* source, int capacity) {
    return source ? QByteArray(source, int(qstrnlen(source, size_t(capacity - 1)))) : QByteArray();
}

bool parseHex16(const QJsonValue& value, uint16_t& field) {
    if (value.isUndefined()) return true;
    bool ok = false;
    const uint parsed = value.toString().toUInt(&ok, 16);
    if (ok && parsed <= 0xFFFF) field = uint16_t(parsed);
    return ok && parsed <= 0xFFFF;
}

void takeText(const QJsonObject& o, const char* key, QByteArray& field) {
    if (o.contains(QLatin1String(key))) field = o.value(QLatin1String(key)).toString().toLatin1();
}

bool parseAdapter(const QJsonObject& o, Identity& id, std::optional<DeviceType>& device,
                  AdapterFaults& faults, bool& attached, QString& error) {
    if (!parseHex16(o.value(QLatin1String("vendor")), id.vendor) ||
        !parseHex16(o.value(QLatin1String("product")), id.product)) {
        error = QStringLiteral("vendor and product must be four hexadecimal digits");
        return false;
    }
    takeText(o, "manufacturer", id.manufacturer);
    takeText(o, "manufacturerId", id.manufacturerId);
    takeText(o, "description", id.description);
    takeText(o, "serial", id.serial);
    id.blank = o.value(QLatin1String("blank")).toBool(false);
    attached = o.value(QLatin1String("attached")).toBool(true);

    const QString keyword = o.value(QLatin1String("device")).toString(QStringLiteral("none"));
    DeviceType type{};
    if (keyword.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) {
        device.reset();
    } else if (DeviceTypeFromKeyword(keyword, type)) {
        device = type;
    } else {
        error = QStringLiteral("unknown device \"%1\"").arg(keyword);
        return false;
    }

    const QJsonObject f = o.value(QLatin1String("faults")).toObject();
    faults.device.noAnswer = f.value(QLatin1String("noAnswer")).toBool();
    faults.device.badCheck = f.value(QLatin1String("badCheck")).toBool();
    faults.device.garbage = f.value(QLatin1String("garbage")).toBool();
    faults.device.truncate = f.value(QLatin1String("truncate")).toBool();
    faults.device.udBeforeFd = f.value(QLatin1String("udBeforeFd")).toBool();
    faults.bytesPerPoll = std::max(0, f.value(QLatin1String("bytesPerPoll")).toInt(0));
    faults.unplugAfterBytes = f.value(QLatin1String("unplugAfterBytes")).toInt(-1);
    faults.replyDelayPolls = std::max(0, f.value(QLatin1String("replyDelayPolls")).toInt(0));
    return true;
}

} // namespace

Simulator::Simulator() = default;

void Simulator::Clear() {
    adapters_.clear();
    failing_.clear();
    pacing_ = Pacing::None;
    manualClockUs_ = 0;
}

void Simulator::Reset() {
    const QString configured = qEnvironmentVariable("ZCFG_SIM");
    if (configured.isEmpty() || (!LoadKeyword(configured) && !LoadScenarioFile(configured)))
        LoadKeyword(QStringLiteral("staff"));
}

bool Simulator::LoadKeyword(const QString& keyword) {
    DeviceType type{};
    const bool known = DeviceTypeFromKeyword(keyword, type);
    const bool none = keyword.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0;
    const bool absent = keyword.compare(QLatin1String("absent"), Qt::CaseInsensitive) == 0;
    if (!known && !none && !absent) return false;
    Clear();
    if (!absent) AddAdapter(Identity{}, known ? std::optional<DeviceType>(type) : std::nullopt);
    return true;
}

bool Simulator::LoadScenarioFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    return LoadScenarioJson(file.readAll(), error);
}

// Replaces the whole simulated setup; on any error the previous setup stays.
bool Simulator::LoadScenarioJson(const QByteArray& json, QString* error) {
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    QString problem;
    if (!document.isObject())
        problem = parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                               : QStringLiteral("scenario must be an object");
    Simulator next;
    next.Clear();
    const QJsonObject root = document.object();
    const QString pacing = root.value(QLatin1String("pacing")).toString(QStringLiteral("none"));
    next.pacing_ = pacing == QLatin1String("realtime") ? Pacing::RealTime
                   : pacing == QLatin1String("clock")  ? Pacing::Clock
                                                       : Pacing::None;
    const QJsonObject failing = root.value(QLatin1String("failStatus")).toObject();
    for (auto it = failing.begin(); it != failing.end(); ++it)
        next.SetFailingStatus(it.key(), FT_STATUS(it.value().toInteger()));
    for (const QJsonValue& value : root.value(QLatin1String("adapters")).toArray()) {
        if (!problem.isEmpty()) break;
        const QJsonObject o = value.toObject();
        Identity identity;
        std::optional<DeviceType> device;
        AdapterFaults faults;
        bool attached = true;
        if (!parseAdapter(o, identity, device, faults, attached, problem)) break;
        Adapter& adapter = next.adapters_[size_t(next.AddAdapter(identity, device))];
        adapter.faults = faults;
        adapter.attached = attached;
        const QJsonObject records = o.value(QLatin1String("records")).toObject();
        if (adapter.device) {
            if (records.contains(QLatin1String("pi")))
                adapter.device->SetPiRecord(records.value(QLatin1String("pi")).toString().toLatin1());
            if (records.contains(QLatin1String("fd")))
                adapter.device->SetFdRecord(records.value(QLatin1String("fd")).toString().toLatin1());
            if (records.contains(QLatin1String("ud")))
                adapter.device->SetUdRecord(records.value(QLatin1String("ud")).toString().toLatin1());
        }
    }
    if (!problem.isEmpty()) {
        if (error) *error = problem;
        return false;
    }
    adapters_ = std::move(next.adapters_);
    failing_ = next.failing_;
    pacing_ = next.pacing_;
    manualClockUs_ = 0;
    return true;
}

int Simulator::AddAdapter(const Identity& identity, std::optional<DeviceType> device) {
    Adapter adapter;
    adapter.eeprom = identity;
    if (device) adapter.device.emplace(*device);
    adapters_.push_back(std::move(adapter));
    return int(adapters_.size()) - 1;
}

Adapter* Simulator::AdapterAt(int index) {
    return index >= 0 && index < int(adapters_.size()) ? &adapters_[size_t(index)] : nullptr;
}

void Simulator::SetFailingStatus(const QString& entryPoint, FT_STATUS status) {
    if (status == FT_OK)
        failing_.remove(entryPoint);
    else
        failing_.insert(entryPoint, status);
}

void Simulator::Inject(int index, const QByteArray& bytes) {
    if (Adapter* adapter = AdapterAt(index)) queueReply(*adapter, bytes);
}

void Simulator::Detach(int index) {
    if (Adapter* adapter = AdapterAt(index)) adapter->attached = false;
}

void Simulator::Attach(int index) {
    Adapter* adapter = AdapterAt(index);
    if (!adapter || adapter->attached) return;
    // A re-plugged adapter comes back closed; handles of its earlier life are invalid.
    adapter->attached = true;
    adapter->handle = 0;
    adapter->pending.clear();
    adapter->readable.clear();
}

FT_STATUS Simulator::injected(const char* entryPoint) const {
    return failing_.value(QLatin1String(entryPoint), FT_OK);
}

FT_STATUS Simulator::lookup(FT_HANDLE handle, Adapter*& found) {
    const auto value = reinterpret_cast<uintptr_t>(handle);
    for (Adapter& adapter : adapters_)
        if (value != 0 && adapter.handle == value) {
            found = &adapter;
            return adapter.attached ? FT_OK : FT_IO_ERROR;
        }
    return FT_INVALID_HANDLE;
}

int64_t Simulator::nowUs() const {
    if (pacing_ == Pacing::RealTime)
        return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                     start_)
            .count();
    return manualClockUs_;
}

void Simulator::queueReply(Adapter& adapter, const QByteArray& bytes) {
    if (bytes.isEmpty()) return;
    if (adapter.pending.empty()) adapter.delayLeft = adapter.faults.replyDelayPolls;
    int64_t ready = nowUs();
    if (!adapter.pending.empty()) ready = std::max(ready, adapter.pending.back().readyAtUs);
    for (char c : bytes) {
        ready += kByteTimeUs;
        adapter.pending.push_back({c, ready});
    }
}

// Moves the bytes that have arrived by now into the readable queue.
void Simulator::release(Adapter& adapter) {
    const bool paced = pacing_ != Pacing::None;
    if (!paced) {
        if (adapter.pollTaken) return;
        adapter.pollTaken = true;
        if (adapter.delayLeft > 0 && !adapter.pending.empty()) {
            --adapter.delayLeft;
            return;
        }
    }
    const int64_t now = nowUs();
    int limit = adapter.faults.bytesPerPoll > 0 ? adapter.faults.bytesPerPoll : int(adapter.pending.size());
    while (limit > 0 && !adapter.pending.empty() && (!paced || adapter.pending.front().readyAtUs <= now)) {
        adapter.readable.append(adapter.pending.front().byte);
        adapter.pending.pop_front();
        --limit;
    }
}

// ---- Entry points ----------------------------------------------------------------------------

FT_STATUS Simulator::ListDevices(void* arg1, void*, uint32_t flags) {
    if (FT_STATUS s = injected("FT_ListDevices")) return s;
    if (!arg1 || !(flags & FT_LIST_NUMBER_ONLY)) return FT_INVALID_PARAMETER;
    uint32_t count = 0;
    for (Adapter& adapter : adapters_) {
        adapter.pollTaken = false;
        count += adapter.attached ? 1 : 0;
    }
    *static_cast<uint32_t*>(arg1) = count;
    return FT_OK;
}

FT_STATUS Simulator::Open(int deviceNumber, FT_HANDLE* handle) {
    if (FT_STATUS s = injected("FT_Open")) return s;
    if (!handle) return FT_INVALID_PARAMETER;
    int index = 0;
    for (Adapter& adapter : adapters_) {
        if (!adapter.attached || index++ != deviceNumber) continue;
        if (adapter.handle != 0) return FT_DEVICE_NOT_OPENED; // already open elsewhere
        adapter.handle = nextHandle_++;
        ++adapter.opens;
        *handle = reinterpret_cast<FT_HANDLE>(adapter.handle);
        return FT_OK;
    }
    return FT_DEVICE_NOT_FOUND;
}

FT_STATUS Simulator::Close(FT_HANDLE handle) {
    if (FT_STATUS s = injected("FT_Close")) return s;
    Adapter* adapter = nullptr;
    const FT_STATUS s = lookup(handle, adapter);
    if (adapter) adapter->handle = 0;
    return s == FT_INVALID_HANDLE ? s : FT_OK;
}

FT_STATUS Simulator::SetBaudRate(FT_HANDLE handle, uint32_t baudRate) {
    if (FT_STATUS s = injected("FT_SetBaudRate")) return s;
    Adapter* adapter = nullptr;
    if (FT_STATUS s = lookup(handle, adapter)) return s;
    adapter->baudRate = baudRate;
    return FT_OK;
}

FT_STATUS Simulator::SetDataCharacteristics(FT_HANDLE handle, uint8_t wordLength, uint8_t stopBits,
                                            uint8_t parity) {
    if (FT_STATUS s = injected("FT_SetDataCharacteristics")) return s;
    Adapter* adapter = nullptr;
    if (FT_STATUS s = lookup(handle, adapter)) return s;
    if ((wordLength != 7 && wordLength != 8) || (stopBits != 0 && stopBits != 2) || parity > 4)
        return FT_INVALID_PARAMETER;
    adapter->wordLength = wordLength;
    adapter->stopBits = stopBits;
    adapter->parity = parity;
    return FT_OK;
}

FT_STATUS Simulator::SetFlowControl(FT_HANDLE handle, uint16_t flowControl, uint8_t xon, uint8_t xoff) {
    if (FT_STATUS s = injected("FT_SetFlowControl")) return s;
    Adapter* adapter = nullptr;
    if (FT_STATUS s = lookup(handle, adapter)) return s;
    adapter->flowControl = flowControl;
    adapter->xon = xon;
    adapter->xoff = xoff;
    return FT_OK;
}

FT_STATUS Simulator::Write(FT_HANDLE handle, const void* buffer, uint32_t count, uint32_t* written) {
    if (written) *written = 0;
    if (FT_STATUS s = injected("FT_Write")) return s;
    Adapter* adapter = nullptr;
    if (FT_STATUS s = lookup(handle, adapter)) return s;
    if (!buffer && count > 0) return FT_INVALID_PARAMETER;
    const auto* bytes = static_cast<const uchar*>(buffer);
    for (uint32_t i = 0; i < count; ++i) {
        adapter->written.append(char(bytes[i]));
        if (adapter->device) queueReply(*adapter, adapter->device->Receive(bytes[i], adapter->faults.device));
    }
    if (written) *written = count;
    return FT_OK;
}

FT_STATUS Simulator::GetQueueStatus(FT_HANDLE handle, uint32_t* waiting) {
    if (waiting) *waiting = 0;
    if (FT_STATUS s = injected("FT_GetQueueStatus")) return s;
    Adapter* adapter = nullptr;
    if (FT_STATUS s = lookup(handle, adapter)) return s;
    if (!waiting) return FT_INVALID_PARAMETER;
    release(*adapter);
    *waiting = uint32_t(adapter->readable.size());
    return FT_OK;
}

FT_STATUS Simulator::Read(FT_HANDLE handle, void* buffer, uint32_t count, uint32_t* returned) {
    if (returned) *returned = 0;
    if (FT_STATUS s = injected("FT_Read")) return s;
    Adapter* adapter = nullptr;
    if (FT_STATUS s = lookup(handle, adapter)) return s;
    if (!buffer && count > 0) return FT_INVALID_PARAMETER;
    const int n = std::min<qsizetype>(count, adapter->readable.size());
    std::memcpy(buffer, adapter->readable.constData(), size_t(n));
    adapter->readable.remove(0, n);
    adapter->bytesRead += n;
    if (returned) *returned = uint32_t(n);
    const int unplugAfter = adapter->faults.unplugAfterBytes;
    if (unplugAfter >= 0 && adapter->bytesRead >= unplugAfter) adapter->attached = false;
    return FT_OK;
}

FT_STATUS Simulator::EERead(FT_HANDLE handle, FT_DESCRIPTOR* d) {
    if (FT_STATUS s = injected("FT_EE_Read")) return s;
    Adapter* adapter = nullptr;
    if (FT_STATUS s = lookup(handle, adapter)) return s;
    if (!d) return FT_INVALID_PARAMETER;
    adapter->pollTaken = false;
    ++adapter->eeReads;
    if (adapter->eeprom.blank) return FT_EEPROM_NOT_PROGRAMMED;
    const Identity& id = adapter->eeprom;
    d->VendorId = id.vendor;
    d->ProductId = id.product;
    copyString(d->Manufacturer, kManufacturerCapacity, id.manufacturer);
    copyString(d->ManufacturerId, kManufacturerIdCapacity, id.manufacturerId);
    copyString(d->Description, kDescriptionCapacity, id.description);
    copyString(d->SerialNumber, kSerialNumberCapacity, id.serial);
    d->MaxPower = id.maxPower;
    d->PnP = id.pnp;
    d->SelfPowered = id.selfPowered;
    d->RemoteWakeup = id.remoteWakeup;
    d->Rev4 = id.rev4;
    d->IsoIn = id.isoIn;
    d->IsoOut = id.isoOut;
    d->PullDownEnable = id.pullDownEnable;
    d->SerNumEnable = id.serNumEnable;
    d->USBVersionEnable = 0;
    d->USBVersion = id.usbVersion;
    return FT_OK;
}

FT_STATUS Simulator::EEProgram(FT_HANDLE handle, const FT_DESCRIPTOR* d) {
    if (FT_STATUS s = injected("FT_EE_Program")) return s;
    Adapter* adapter = nullptr;
    if (FT_STATUS s = lookup(handle, adapter)) return s;
    if (!d) return FT_INVALID_PARAMETER;
    ++adapter->eePrograms;
    Identity& id = adapter->eeprom;
    id.vendor = d->VendorId;
    id.product = d->ProductId;
    id.manufacturer = takeString(d->Manufacturer, kManufacturerCapacity);
    id.manufacturerId = takeString(d->ManufacturerId, kManufacturerIdCapacity);
    id.description = takeString(d->Description, kDescriptionCapacity);
    id.serial = takeString(d->SerialNumber, kSerialNumberCapacity);
    id.maxPower = d->MaxPower;
    id.pnp = d->PnP;
    id.selfPowered = d->SelfPowered;
    id.remoteWakeup = d->RemoteWakeup;
    id.rev4 = d->Rev4;
    id.isoIn = d->IsoIn;
    id.isoOut = d->IsoOut;
    id.pullDownEnable = d->PullDownEnable;
    id.serNumEnable = d->SerNumEnable;
    id.usbVersion = d->USBVersion;
    id.blank = false;
    return FT_OK;
}

} // namespace zsim
