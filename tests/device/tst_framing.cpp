#include "device/Framing.h"

#include <QTest>

namespace {
QByteArray bytesOf(const QString& frame) {
    QByteArray bytes;
    for (QChar c : frame)
        bytes.append(char(c.unicode() & 0xFF));
    return bytes;
}

QList<tReceivedFrame> receiveAll(const QByteArray& stream) {
    tFrameReceiver receiver;
    QList<tReceivedFrame> frames;
    for (char byte : stream)
        if (auto frame = receiver.Feed(uint8_t(byte))) frames.append(*frame);
    return frames;
}
} // namespace

class tst_framing : public QObject {
    Q_OBJECT
private slots:
    void composesFrames_data() {
        QTest::addColumn<QString>("payload");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("AB") << "AB" << QByteArray("\x01\x41\x42\x04\x88", 5);
        QTest::newRow("relay user data") << "28"
                                         << QByteArray("\x01"
                                                       "28\x04\x6F",
                                                       5);
        QTest::newRow("empty") << "" << QByteArray("\x01\x04\x05", 3);
        // The sum wraps modulo 256.
        QTest::newRow("wraps") << QString::fromLatin1("\xFF\xFF") << QByteArray("\x01\xFF\xFF\x04\x03", 5);
    }
    void composesFrames() {
        QFETCH(QString, payload);
        QFETCH(QByteArray, frame);
        QCOMPARE(bytesOf(FrameOf(payload)), frame);
    }

    void receivesFrames_data() {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QStringList>("payloads");
        QTest::addColumn<QList<bool>>("checksMatch");
        QTest::newRow("one frame") << QByteArray("\x01"
                                                 "AB\x04\x88")
                                   << QStringList{"AB"} << QList<bool>{true};
        QTest::newRow("bytes between frames ignored") << QByteArray("xy\x01"
                                                                    "AB\x04\x88"
                                                                    "zz\x01"
                                                                    "AB\x04\x88")
                                                      << QStringList{"AB", "AB"} << QList<bool>{true, true};
        QTest::newRow("ENQ inside payload dropped, not counted") << QByteArray("\x01"
                                                                               "A\x05"
                                                                               "B\x04\x88")
                                                                 << QStringList{"AB"} << QList<bool>{true};
        QTest::newRow("SOH restarts the payload") << QByteArray("\x01"
                                                                "XY\x01"
                                                                "AB\x04\x88")
                                                  << QStringList{"AB"} << QList<bool>{true};
        QTest::newRow("wrong check byte still delivered") << QByteArray("\x01"
                                                                        "AB\x04"
                                                                        "Z")
                                                          << QStringList{"AB"} << QList<bool>{false};
        // "dd8" sums to 256, so its check byte is ENQ (1 + 256 + 4 = 5 modulo 256).
        QTest::newRow("check byte ENQ completes the frame")
            << QByteArray("\x01"
                          "dd8\x04\x05"
                          "\x01"
                          "AB\x04\x88")
            << QStringList{"dd8", "AB"} << QList<bool>{true, true};
        QTest::newRow("stray EOT outside a frame ignored") << QByteArray("\x04"
                                                                         "Q\x01"
                                                                         "AB\x04\x88")
                                                           << QStringList{"AB"} << QList<bool>{true};
        QTest::newRow("relay reply") << QByteArray("\x01PI010102ABCDEFGHIJKLMNOP050328\x04\x7C")
                                     << QStringList{"PI010102ABCDEFGHIJKLMNOP050328"} << QList<bool>{true};
        QTest::newRow("unterminated") << QByteArray("\x01"
                                                    "AB")
                                      << QStringList{} << QList<bool>{};
    }
    void receivesFrames() {
        QFETCH(QByteArray, stream);
        QFETCH(QStringList, payloads);
        QFETCH(QList<bool>, checksMatch);
        const QList<tReceivedFrame> frames = receiveAll(stream);
        QCOMPARE(frames.size(), payloads.size());
        for (int i = 0; i < frames.size(); ++i) {
            QCOMPARE(frames[i].Payload, payloads[i]);
            QCOMPARE(frames[i].CheckMatches(), checksMatch[i]);
        }
    }

    void overlongPayloadIsDropped() {
        QByteArray stream("\x01");
        stream.append(QByteArray(tFrameReceiver::MaxPayload + 10, 'A'));
        stream.append("\x04\x10\x01"
                      "AB\x04\x88");
        const QList<tReceivedFrame> frames = receiveAll(stream);
        QCOMPARE(frames.size(), 1);
        QCOMPARE(frames[0].Payload, QStringLiteral("AB"));
    }

    void composedFramesAreReceivedIntact() {
        for (int length = 0; length < 300; ++length) {
            QString payload;
            for (int i = 0; i < length; ++i)
                payload += QChar(0x20 + (i * 31 + length) % 95);
            const QString frame = FrameOf(payload);
            const QList<tReceivedFrame> frames = receiveAll(bytesOf(frame));
            // Check bytes that are SOH, EOT or ENQ complete their frame too.
            QCOMPARE(frames.size(), 1);
            QCOMPARE(frames[0].Payload, payload);
            QVERIFY(frames[0].CheckMatches());
        }
    }
};

QTEST_GUILESS_MAIN(tst_framing)
#include "tst_framing.moc"
