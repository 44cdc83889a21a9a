// Feeds arbitrary bytes to the reply parsers of every device. The first byte chooses the parser, the
// rest is the record text. A parser may only end with one of its fixed messages or a conversion
// error, and whatever it stored must still compose into a frame. The whole input also goes through
// the frame receiver.

#include "device/Devices.h"
#include "property/PelError.h"

#include <QSet>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {
const QSet<QString>& fixedMessages() {
    static const QSet<QString> messages = {
        QStringLiteral("Unexpected field in factory record"),
        QStringLiteral("Format Error - hex field expected"),
        QStringLiteral("Unexpected End of Record (IRRF user record)"),
        QStringLiteral("Unexpected field in record (IRRF user record - PT field missing)"),
        QStringLiteral("Unexpected field in record (IRRF user record - BT field)"),
        QStringLiteral("Unexpected field in record (IRRF user record - CO field missing)"),
        QStringLiteral("Unexpected field in record (IRRF user record - BP field)"),
        QStringLiteral("Unexpected field in record (IRRF user record - RF field)"),
        QStringLiteral("Unexpected field in record (IRRF user record - TM field missing)"),
        QStringLiteral("Unexpected field in record (IRRF user record - ID field missing)"),
        QStringLiteral("Unexpected field in record (IRRF user record - IC field missing)"),
        QStringLiteral("Unexpected field in record (IRRF user record - BV field missing)"),
        QStringLiteral("Unexpected field in record (IRRF user record - GP field missing)"),
        WiredMessage::HeaderCorrupt,
        WiredMessage::MPDEnd,
        WiredMessage::RelayEnd,
        WiredMessage::ZonalEnd,
        WiredMessage::ZX250Corrupt,
        WiredMessage::InvalidMPDMode,
    };
    return messages;
}

[[noreturn]] void fail(const char* what, const QString& detail) {
    std::fprintf(stderr, "%s: %s\n", what, qPrintable(detail));
    std::abort();
}

void checkRaised(const EZcfgError& error) {
    const QString& message = error.Message();
    const bool conversion = dynamic_cast<const EConvertError*>(&error) != nullptr;
    if (!conversion && !fixedMessages().contains(message)) fail("unexpected message", message);
}

template <class Parse, class Compose> void exercise(Parse&& parse, Compose&& compose) {
    try {
        parse();
    } catch (const EZcfgError& error) {
        checkRaised(error);
    }
    try {
        compose();
    } catch (const EZcfgError& error) {
        fail("stored values cannot be sent", error.Message());
    }
}

template <class T> void parseWired(QString text) {
    std::unique_ptr<T> device(Create<T>(QStringLiteral("Device"), nullptr));
    exercise([&] { device->ParseDeviceData(text); }, [&] { device->ComposeUserFrame(); });
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        SetMessagePresenter([](MessageKind, const QString&) {});
        return true;
    }();
    (void)quiet;

    tFrameReceiver receiver;
    for (size_t i = 0; i < size; ++i)
        if (auto frame = receiver.Feed(data[i]); frame && frame->Payload.size() > tFrameReceiver::MaxPayload)
            fail("over-long payload", QString::number(frame->Payload.size()));
    if (size == 0) return 0;

    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    switch (data[0] % 6) {
    case 0:
    case 1: {
        std::unique_ptr<tIRRFDevice> device(Create<tIRRFDevice>(QStringLiteral("Device"), nullptr));
        if (data[0] % 6 == 0)
            exercise([&] { device->FactoryRecord()->SetRecordText(text); },
                     [&] { device->ComposeFactoryFrame(); });
        else
            exercise([&] { device->UserRecord()->SetRecordText(text); }, [&] { device->ComposeUserFrame(); });
        break;
    }
    case 2:
        parseWired<tMPD>(text);
        break;
    case 3:
        parseWired<tRelayOutput>(text);
        break;
    case 4:
        parseWired<tZonalIndicator>(text);
        break;
    default:
        parseWired<tCallPoint250>(text);
    }
    return 0;
}
