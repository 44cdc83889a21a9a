#pragma once
// Test access to a loaded simulated adapter library: its control functions, resolved by name from
// the same library file the link binds, and a few helpers for frames and status pictures.
// The library is held with dlopen rather than QLibrary: QLibrary objects for one file share a single
// load, which the link's binding ends when its last link goes, taking the simulator state with it.

#include "property/Controls.h"
#include "sim/SimControl.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <dlfcn.h>
#include <stdexcept>

class SimHarness {
public:
    explicit SimHarness(const QString& path) : library_(dlopen(path.toLocal8Bit().constData(), RTLD_NOW)) {
        if (!library_) throw std::runtime_error(dlerror());
        resolve(reset, "zcfg_sim_reset");
        resolve(loadJson, "zcfg_sim_load_scenario_json");
        resolve(loadKeyword, "zcfg_sim_load_keyword");
        resolve(addAdapter, "zcfg_sim_add_adapter");
        resolve(attach, "zcfg_sim_attach");
        resolve(detach, "zcfg_sim_detach");
        resolve(setIdentity, "zcfg_sim_set_identity");
        resolve(getIdentityRaw, "zcfg_sim_get_identity");
        resolve(setRecord, "zcfg_sim_set_record");
        resolve(getRecordRaw, "zcfg_sim_get_record");
        resolve(setFault, "zcfg_sim_set_fault");
        resolve(setStatus, "zcfg_sim_set_status");
        resolve(setPacing, "zcfg_sim_set_pacing");
        resolve(advanceClock, "zcfg_sim_advance_clock");
        resolve(writtenRaw, "zcfg_sim_written_bytes");
        resolve(clearWritten, "zcfg_sim_clear_written");
        resolve(injectRaw, "zcfg_sim_inject");
        resolve(counter, "zcfg_sim_counter");
    }

    ~SimHarness() { dlclose(library_); }
    SimHarness(const SimHarness&) = delete;
    SimHarness& operator=(const SimHarness&) = delete;

    QByteArray Written(int adapter = 0) const {
        return fetch([&](char* o, int c) { return writtenRaw(adapter, o, c); });
    }
    QByteArray Identity(int adapter, const char* field) const {
        return fetch([&](char* o, int c) { return getIdentityRaw(adapter, field, o, c); });
    }
    QByteArray Record(int adapter, const char* which) const {
        return fetch([&](char* o, int c) { return getRecordRaw(adapter, which, o, c); });
    }
    void Inject(int adapter, const QByteArray& bytes) const {
        injectRaw(adapter, bytes.constData(), int(bytes.size()));
    }

    zcfg_sim_reset_fn reset{};
    zcfg_sim_load_scenario_json_fn loadJson{};
    zcfg_sim_load_keyword_fn loadKeyword{};
    zcfg_sim_add_adapter_fn addAdapter{};
    zcfg_sim_attach_fn attach{};
    zcfg_sim_detach_fn detach{};
    zcfg_sim_set_identity_fn setIdentity{};
    zcfg_sim_get_identity_fn getIdentityRaw{};
    zcfg_sim_set_record_fn setRecord{};
    zcfg_sim_get_record_fn getRecordRaw{};
    zcfg_sim_set_fault_fn setFault{};
    zcfg_sim_set_status_fn setStatus{};
    zcfg_sim_set_pacing_fn setPacing{};
    zcfg_sim_advance_clock_fn advanceClock{};
    zcfg_sim_written_bytes_fn writtenRaw{};
    zcfg_sim_clear_written_fn clearWritten{};
    zcfg_sim_inject_fn injectRaw{};
    zcfg_sim_counter_fn counter{};

private:
    template <class F> void resolve(F& slot, const char* name) {
        slot = reinterpret_cast<F>(dlsym(library_, name));
        if (!slot) throw std::runtime_error(name);
    }
    template <class G> static QByteArray fetch(G get) {
        const int n = get(nullptr, 0);
        if (n <= 0) return {};
        QByteArray out(n + 1, 0);
        get(out.data(), n + 1);
        out.chop(1);
        return out;
    }

    void* library_;
};

// Splits a byte stream into frame payloads (SOH … EOT check), noting whether each check byte is right.
struct ReceivedFrame {
    QByteArray payload;
    bool checkOk;
};

inline QList<ReceivedFrame> SplitFrames(const QByteArray& bytes) {
    QList<ReceivedFrame> frames;
    qsizetype start = bytes.indexOf('\x01');
    while (start >= 0) {
        const qsizetype end = bytes.indexOf('\x04', start + 1);
        if (end < 0 || end + 1 >= bytes.size()) break;
        const QByteArray payload = bytes.mid(start + 1, end - start - 1);
        unsigned sum = 5;
        for (char c : payload)
            sum += uchar(c);
        frames.append({payload, uchar(bytes.at(end + 1)) == (sum & 0xFF)});
        start = bytes.indexOf('\x01', end + 2);
    }
    return frames;
}

class FakeImage : public IIndicatorImage {
public:
    int ImageIndex() const override { return index; }
    void SetImageIndex(int i) override { index = i; }
    int index = -1;
};
