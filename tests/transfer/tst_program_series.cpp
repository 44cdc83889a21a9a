// A series of units programmed with one configuration, with the document wired as the window wires it
// and the simulated adapter behind the real driver binding: what may step, each unit with its own
// stepped value read back from the device, and the document left exactly as it was. Failures and the
// range are tested through the window (tst_window_program_many) and zcfg. Time advances only by ticks.

#include "../transfers/TransferFixture.h"
#include "device/DeviceTypeTable.h"
#include "property/PropertyPaths.h"
#include "transfer/ProgramSeries.h"

#include <QTest>

namespace {
const QString transmitterId = QStringLiteral("Device/User Record/ID");
}

class TestProgramSeries : public QObject {
    Q_OBJECT

    TransferFixture f;

    // Programs the attached device as the series' next unit; the outcome's configuration, or null
    // with the refusal when the unit's value cannot be set.
    std::shared_ptr<tZCfgFile> programUnit(tProgramSeries& series, QString& refusal) {
        std::shared_ptr<tZCfgFile> configuration = series.NextConfiguration(refusal);
        if (!configuration) return nullptr;
        Guarded([&] { f.doc->StartProgramOf(configuration); });
        f.runUntilIdle(400);
        return configuration;
    }

private slots:
    void initTestCase() { f.setUp(); }
    void cleanupTestCase() { f.tearDown(); }
    void cleanup() { f.finish(); }

    void parseSteppedValue_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("path"); // empty: refused
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("step");
        QTest::newRow("start alone") << "Device/User Record/ID=7" << transmitterId << 7 << 1;
        QTest::newRow("start and step") << "Device/User Record/ID=10:5" << transmitterId << 10 << 5;
        QTest::newRow("blanks") << " Device/User Record/ID = 3 : 2 " << transmitterId << 3 << 2;
        QTest::newRow("no start") << "Device/User Record/ID" << QString() << 0 << 0;
        QTest::newRow("no path") << "=4" << QString() << 0 << 0;
        QTest::newRow("start not a number") << "Device/User Record/ID=x" << QString() << 0 << 0;
        QTest::newRow("step zero") << "Device/User Record/ID=1:0" << QString() << 0 << 0;
        QTest::newRow("step negative") << "Device/User Record/ID=1:-2" << QString() << 0 << 0;
        QTest::newRow("start too large") << "Device/User Record/ID=99999999999" << QString() << 0 << 0;
    }
    void parseSteppedValue() {
        QFETCH(QString, text);
        QFETCH(QString, path);
        QFETCH(int, start);
        QFETCH(int, step);
        tSteppedValue value;
        QString error;
        const bool parsed = ParseSteppedValue(text, value, error);
        QCOMPARE(parsed, !path.isEmpty());
        QCOMPARE(error.isEmpty(), parsed);
        if (!parsed) return;
        QCOMPARE(value.Path, path);
        QCOMPARE(value.Start, start);
        QCOMPARE(value.Step, step);
    }

    // Only numbers a Program writes may step, named as `zcfg show` names them whatever the case
    // they were given in, and only from a start within their limits.
    void steppedValueIsChecked_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("error"); // empty: taken
        QTest::newRow("transmitter ID") << int(dt_Staff_Transmitter) << transmitterId << 0 << QString();
        QTest::newRow("other letter case")
            << int(dt_Pendant_Transmitter) << "device/user record/id" << 255 << QString();
        QTest::newRow("a flag") << int(dt_Staff_Transmitter) << "Device/User Record/Transmit ID" << 1
                                << "cannot step (values that can: Device/User Record/ID)";
        QTest::newRow("disabled group address")
            << int(dt_Staff_Transmitter) << "Device/User Record/Group Address" << 1 << "cannot step";
        QTest::newRow("factory record")
            << int(dt_Staff_Transmitter) << "Device/Factory Record/CC" << 1 << "cannot step";
        QTest::newRow("start below")
            << int(dt_Staff_Transmitter) << transmitterId << -1
            << "the start -1 is outside the limits of Device/User Record/ID (0 to 255)";
        QTest::newRow("start above") << int(dt_Staff_Transmitter) << transmitterId << 256
                                     << "outside the limits";
        QTest::newRow("a relay has none")
            << int(dt_Relay_Output) << "Device/Active In Call" << 1 << "has no numeric value that steps";
    }
    void steppedValueIsChecked() {
        QFETCH(int, type);
        QFETCH(QString, path);
        QFETCH(int, start);
        QFETCH(QString, error);
        tZCfgFile& doc = f.makeDocument(uint8_t(type));
        tProgramSeries series(doc);
        QString refusal;
        QCOMPARE(series.SetSteppedValue({path, start, 1}, refusal), error.isEmpty());
        QVERIFY2(refusal.contains(error), qPrintable(refusal));
        QCOMPARE(series.SteppedValue().has_value(), error.isEmpty());
        if (error.isEmpty()) QCOMPARE(series.SteppedValue()->Path, transmitterId);
    }

    // Five units in a row, each verified against its own configuration: a transmitter's ID steps by
    // the step from the start, the other devices get the configuration as it is. The document keeps
    // its values, its modified marker and its (empty) undo history.
    void fiveUnitsEachWithItsOwnValue_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("steps");
        for (const tDeviceTypeInfo& info : DeviceTypes())
            QTest::newRow(info.ModelName) << int(info.Type) << (info.Class == tDeviceClass::IRRF);
    }
    void fiveUnitsEachWithItsOwnValue() {
        QFETCH(int, type);
        QFETCH(bool, steps);
        f.connect(DeviceTypeInfo(type).Keyword);
        tZCfgFile& doc = f.makeDocument(uint8_t(type));
        QCOMPARE(SteppableValuePaths(doc), steps ? QStringList{transmitterId} : QStringList{});
        const tLines before = doc.ToLines();
        doc.SetModified(false);
        tProgramSeries series(doc);
        QString error;
        if (steps) QVERIFY2(series.SetSteppedValue({transmitterId, 17, 3}, error), qPrintable(error));
        for (int unit = 1; unit <= 5; ++unit) {
            QCOMPARE(series.Unit(), unit);
            const std::shared_ptr<tZCfgFile> configuration = programUnit(series, error);
            QVERIFY2(configuration, qPrintable(error));
            const tTransferOutcome outcome = doc.LastOutcome();
            QVERIFY2(outcome.Ok() && outcome.Verified, qPrintable(outcome.Message));
            QCOMPARE(outcome.Programmed, configuration);
            if (steps) {
                const QString value = QString::number(17 + 3 * (unit - 1));
                QCOMPARE(ResolvePath(configuration.get(), transmitterId)->Value(), value);
                // Read back on its own, the device's user record differs from the document's by its
                // ID alone (the factory record is the device's own).
                f.start(&tZCfgFile::StartCompare);
                f.runUntilIdle();
                QStringList differences;
                for (const tValueDifference& difference : doc.LastOutcome().Differences)
                    if (difference.Path.startsWith(QLatin1String("Device/User Record/")))
                        differences << difference.Path + QLatin1Char('=') + difference.Theirs;
                QCOMPARE(differences, QStringList{transmitterId + QLatin1Char('=') + value});
            }
            series.Verified();
        }
        QCOMPARE(series.VerifiedCount(), 5);
        QCOMPARE(series.FailedCount(), 0);
        QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join('\n')));
        QVERIFY(!doc.Modified());
        QVERIFY(!f.undo->CanUndo());
        QCOMPARE(doc.ToLines(), before);
    }
};

QTEST_GUILESS_MAIN(TestProgramSeries)
#include "tst_program_series.moc"
