#pragma once
// A configuration document wired as the main window wires it (undo manager, programmer link, result
// presenter, message presenter), talking through the real driver binding to the simulated adapter
// library. Time advances only by explicit ticks.

#include "../programmer/SimHarness.h"
#include "app/UnitUndoList.h"
#include "device/UnitZCfgFile.h"
#include "programmer/ProgrammerLinkSetup.h"
#include "programmer/USBPanel.h"
#include "property/PelError.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <memory>

struct ShownResult {
    QString text;
    bool success;
    bool operator==(const ShownResult& other) const { return text == other.text && success == other.success; }
};

// What the document had shown and where it stood when the monitor saw a frame complete.
struct FrameSnapshot {
    uint8_t state;
    qsizetype results;
    qsizetype errors;
    qsizetype warnings;
};

class TransferFixture {
public:
    std::unique_ptr<SimHarness> sim;
    std::unique_ptr<TUSBPanel> link;
    std::unique_ptr<tUndoRedo> undo;
    std::unique_ptr<tZCfgFile> doc;

    QList<ShownResult> results;
    QStringList errors;
    QStringList warnings;
    QByteArray monitored;             // every byte the serial monitor (the chained handler) saw
    QList<FrameSnapshot> afterFrames; // taken by the monitor at each complete frame
    // Runs while a message box "shows", so a test can let ticks arrive in the nested loop.
    std::function<void(MessageKind, const QString&)> whileShowing;

    void setUp() {
        qputenv("ZCFG_D2XX_LIBRARY", ZCFG_SIM_LIBRARY);
        qunsetenv("ZCFG_SIM");
        sim = std::make_unique<SimHarness>(QStringLiteral(ZCFG_SIM_LIBRARY));
        SetMessagePresenter([this](MessageKind kind, const QString& text) {
            (kind == MessageKind::Warning ? warnings : errors).append(text);
            if (whileShowing) whileShowing(kind, text);
        });
    }

    void tearDown() {
        finish();
        SetMessagePresenter(nullptr);
        sim.reset();
    }

    void finish() {
        doc.reset(); // detaches from the link first
        undo.reset();
        link.reset();
        whileShowing = nullptr;
    }

    // The simulated setup (a device keyword, "none" or "absent") and an open link configured as the
    // editor configures it, with the serial monitor's handler already installed.
    void connect(const char* keyword) {
        finish();
        results.clear();
        errors.clear();
        warnings.clear();
        monitored.clear();
        afterFrames.clear();
        sim->reset();
        sim->loadKeyword(keyword);
        link = std::make_unique<TUSBPanel>(nullptr, false);
        ConfigureProgrammerLink(*link);
        link->SetOnChar([this](tObject*, uint8_t byte) { monitor(byte); });
        if (sim->counter(0, "attached") > 0) {
            Guarded([this] { link->Open(); });
        }
    }

    // The same document on a new link to the setup's device as it comes (the faults of the last one
    // gone), as a person reconnects after an unplug.
    void reconnect(const char* keyword) {
        if (doc) doc->AttachLink(nullptr);
        link.reset();
        sim->reset();
        sim->loadKeyword(keyword);
        link = std::make_unique<TUSBPanel>(nullptr, false);
        ConfigureProgrammerLink(*link);
        link->SetOnChar([this](tObject*, uint8_t byte) { monitor(byte); });
        Guarded([this] { link->Open(); });
        if (doc) doc->AttachLink(link.get());
    }

    // A new document of the type, wired to the undo manager and the link like the main window's.
    tZCfgFile& makeDocument(uint8_t type) {
        doc.reset();
        undo = std::make_unique<tUndoRedo>();
        doc.reset(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
        doc->SetModified(false);
        doc->SetDeviceType(type);
        tUndoRedo* u = undo.get();
        doc->SetOnBeginChange([u](tPelBaseProperty*, tChangeKind, const QString&) { u->BeginGroup(); });
        doc->SetOnRecordUndo([u](tPelBaseProperty* sender, tChangeKind kind, const QString& text) {
            if (kind == ckReset)
                u->Clear();
            else
                u->Record(0, sender, kind, text);
        });
        doc->SetOnEndChange([u](tPelBaseProperty*, tChangeKind, const QString&) { u->EndGroup(); });
        doc->SetOnRecordRedo([u](tPelBaseProperty* sender, tChangeKind kind, const QString& text) {
            u->RecordRedo(sender, kind, text);
        });
        if (link) doc->AttachLink(link.get());
        doc->SetResultPresenter([this](const QString& text, bool success) {
            results.append({text, success});
            return true;
        });
        undo->Clear();
        return *doc;
    }

    // One tick of the link's timer, guarded as the timer's own slot guards it.
    void tick(int count = 1) {
        for (int i = 0; i < count; ++i)
            Guarded([this] { link->Tick(); });
    }

    // Ticks until the transfer is idle; the number of ticks it took (limit when it never ends).
    int runUntilIdle(int limit = 100) {
        int n = 0;
        while (doc->TransferState() != tZCfgFile::tsIdle && n < limit) {
            tick();
            ++n;
        }
        return n;
    }

    // Ticks until the transfer reaches the state; false when it does not within the limit.
    bool runUntilState(uint8_t state, int limit = 30) {
        for (int n = 0; n < limit; ++n) {
            if (doc->TransferState() == state) return true;
            tick();
        }
        return doc->TransferState() == state;
    }

    void start(void (tZCfgFile::*transfer)()) {
        Guarded([&] { (doc.get()->*transfer)(); });
    }

private:
    void monitor(uint8_t byte) {
        monitored.append(char(byte));
        switch (byte) {
        case 0x01:
            frameState_ = 1;
            return;
        case 0x04:
            if (frameState_ == 1) frameState_ = 2;
            return;
        case 0x05:
            return;
        default:
            if (frameState_ == 2) {
                frameState_ = 0;
                afterFrames.append({doc ? doc->TransferState() : uint8_t(0), results.size(), errors.size(),
                                    warnings.size()});
            }
        }
    }

    int frameState_ = 0;
};

// The bytes of a frame carrying the payload.
inline QByteArray frameBytes(const QByteArray& payload) {
    unsigned sum = 0x01 + 0x04;
    for (char c : payload)
        sum += uchar(c);
    return '\x01' + payload + '\x04' + char(sum & 0xFF);
}

// The payload of a frame the document composed (SOH, payload, EOT, check byte).
inline QString payloadOf(const QString& frame) {
    return frame.mid(1, frame.size() - 3);
}

inline int countOf(const QStringList& list, const QString& text) {
    return int(list.count(text));
}
