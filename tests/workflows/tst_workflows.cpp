// The workflows wired as the main window wires them, with real buttons and result displays, talking
// through the real driver binding to the simulated adapter. Time advances only by explicit ticks.

#include "../programmer/SimHarness.h"
#include "app/PelImage.h"
#include "app/ProgrammerWorkflows.h"
#include "device/UnitZCfgFile.h"
#include "programmer/ProgrammerLinkSetup.h"
#include "programmer/USBPanel.h"
#include "property/PelError.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

using Handler = void (TProgrammerWorkflows::*)();
Q_DECLARE_METATYPE(Handler)

// The window's wiring: the workflows take the link's events before the document attaches it. The
// members go in reverse: the document first, the simulated adapter last.
struct Rig {
    SimHarness sim{QStringLiteral(ZCFG_SIM_LIBRARY)};
    TUSBPanel link{nullptr, false};
    QPushButton connect{QStringLiteral("Connect")}, autoTest{QStringLiteral("Programmer")};
    TImageList pictures{24, 24};
    TPelImage picture[2]; // the self-test displays of the factory and programming pages:
    QLineEdit text[2];    // picture 0 no result, 1 programmer found, 2 passed
    std::unique_ptr<TProgrammerWorkflows> flows;
    std::unique_ptr<tZCfgFile> doc{Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr)};
    QStringList errors, sent; // sent and received: what the serial monitor is given
    QByteArray received;
    QList<bool> results;

    // A device keyword, or a scenario in JSON.
    explicit Rig(const char* setup, uint8_t type = dt_Relay_Output) {
        sim.reset();
        setup[0] == '{' ? sim.loadJson(setup) : sim.loadKeyword(setup);
        SetMessagePresenter([this](MessageKind, const QString& message) { errors.append(message); });
        ConfigureProgrammerLink(link);
        autoTest.setCheckable(true);
        for (int i = 0; i < 3; ++i)
            pictures.Add(QPixmap(24, 24));
        for (TPelImage& image : picture)
            image.SetImageList(&pictures);
        flows = std::make_unique<TProgrammerWorkflows>(
            link, *doc,
            TProgrammerWorkflows::Controls{
                &connect, &autoTest, {{&picture[0], &text[0]}, {&picture[1], &text[1]}}});
        flows->SetMonitor([this](const QString& line) { sent.append(line); },
                          [this](uint8_t byte) { received.append(char(byte)); });
        doc->SetDeviceType(type);
        doc->AttachLink(&link);
        doc->SetResultPresenter([this](const QString&, bool success) {
            flows->ResultShown(success);
            results.append(success);
            return true;
        });
    }
    ~Rig() {
        doc.reset();
        SetMessagePresenter(nullptr);
    }

    bool click(Handler handler) {
        return Guarded([&] { (flows.get()->*handler)(); });
    }
    void runUntilIdle() {
        for (int n = 0; n < 100 && doc->TransferState() != tZCfgFile::tsIdle; ++n)
            Guarded([this] { link.Tick(); });
    }
};

class TestWorkflows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("ZCFG_D2XX_LIBRARY", ZCFG_SIM_LIBRARY);
        qunsetenv("ZCFG_SIM");
    }

    // Read, Program and Connect when the adapter cannot be opened: one message, its second line saying
    // why and what to do; nothing sent, nothing started.
    void withoutAdapterNothingIsSent_data() {
        QTest::addColumn<Handler>("handler");
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<QString>("cause");
        const QByteArray blank = R"({"adapters": [{"blank": true, "device": "relay"}]})";
        const QByteArray held = R"({"failStatus": {"FT_Open": 3}, "adapters": [{"device": "relay"}]})";
        const QString none = QStringLiteral("No programming adapter was found. Plug the adapter in");
        QTest::newRow("read, none") << &TProgrammerWorkflows::SpeedButtonReadClick << QByteArray("absent")
                                    << none;
        QTest::newRow("program, none")
            << &TProgrammerWorkflows::SpeedButtonProgramClick << QByteArray("absent") << none;
        QTest::newRow("connect, none")
            << &TProgrammerWorkflows::SpeedButtonProgrammerConnectClick << QByteArray("absent") << none;
        QTest::newRow("read, blank EEPROM")
            << &TProgrammerWorkflows::SpeedButtonReadClick << blank << QStringLiteral("has a blank EEPROM");
        QTest::newRow("read, held elsewhere") << &TProgrammerWorkflows::SpeedButtonReadClick << held
                                              << QStringLiteral("in use by another program");
    }
    void withoutAdapterNothingIsSent() {
        QFETCH(Handler, handler);
        QFETCH(QByteArray, setup);
        QFETCH(QString, cause);
        Rig r(setup.constData());
        r.click(handler);
        QCOMPARE(r.errors.size(), 1);
        QCOMPARE(r.errors.first().section(QLatin1Char('\n'), 0, 0), TProgrammerWorkflows::UnableToConnect);
        QVERIFY2(r.errors.first().section(QLatin1Char('\n'), 1).contains(cause),
                 qPrintable(r.errors.first()));
        QCOMPARE(r.doc->TransferState(), uint8_t(tZCfgFile::tsIdle));
        QVERIFY(r.sent.isEmpty());
        QCOMPARE(r.connect.text(), QStringLiteral("Connect"));
    }

    // A read through a closed link opens it once, reads the device, and passes every byte on to the
    // serial monitor after the document; a second read does not reopen the link.
    void readOpensTheLinkOnceAndMonitorsTraffic() {
        Rig r("zone-indicator", dt_Relay_Output);
        int opened = 0;
        const tNotifyEvent onOpen = r.link.OnOpen();
        r.link.SetOnOpen([&](tObject* s) {
            ++opened;
            onOpen(s);
        });
        QVERIFY(r.click(&TProgrammerWorkflows::SpeedButtonReadClick));
        r.runUntilIdle();
        QCOMPARE(r.results, QList<bool>{true});
        QCOMPARE(r.doc->GetDeviceType(), uint8_t(dt_Zone_Indicator));
        QCOMPARE(r.connect.text(), QStringLiteral("Disconnect"));
        QVERIFY(r.received.contains('\x01') && r.received.contains('\x04'));
        QVERIFY(!r.sent.isEmpty());
        QVERIFY(r.click(&TProgrammerWorkflows::SpeedButtonReadClick));
        r.runUntilIdle();
        QCOMPARE(opened, 1);
        QCOMPARE(r.results.size(), 2);
    }

    void connectAndDisconnectFollowTheLink() {
        Rig r("relay");
        QVERIFY(r.click(&TProgrammerWorkflows::SpeedButtonProgrammerConnectClick));
        QVERIFY(r.link.Active());
        QCOMPARE(r.connect.text(), QStringLiteral("Disconnect"));
        for (int i = 0; i < 2; ++i) // picture 1: programmer found
            QVERIFY(r.text[i].text() == TProgrammerWorkflows::ProgrammerFound &&
                    r.picture[i].ImageIndex() == 1);
        QVERIFY(r.click(&TProgrammerWorkflows::SpeedButtonProgrammerConnectClick));
        QVERIFY(!r.link.Active());
        QCOMPARE(r.connect.text(), QStringLiteral("Connect"));
    }

    // Factory Program opens the link first, as Read and Program do, so its frames never go to a
    // closed link.
    void factoryProgramOpensTheLink() {
        Rig r("staff", dt_Staff_Transmitter);
        r.click(&TProgrammerWorkflows::SpeedButtonFactoryProgramClick);
        QVERIFY(r.link.Active());
        QCOMPARE(r.connect.text(), QStringLiteral("Disconnect"));
    }

    // The self-test: toggle down, adapter found, the attached device read, then "Passed", or "Failed"
    // when a failure is shown while the toggle is down; the toggle comes up either way.
    void selfTestEndsWithTheResult_data() {
        QTest::addColumn<bool>("success");
        QTest::newRow("passed") << true;
        QTest::newRow("failed") << false;
    }
    void selfTestEndsWithTheResult() {
        QFETCH(bool, success);
        Rig r("relay");
        r.autoTest.click();
        QVERIFY(r.click(&TProgrammerWorkflows::SpeedButtonAutoTestProgrammerClick));
        QVERIFY(r.link.Active());
        if (success) {
            r.runUntilIdle();
            QCOMPARE(r.results, QList<bool>{true});
        } else {
            r.flows->ResultShown(false);
        }
        for (int i = 0; i < 2; ++i) { // picture 2: passed (green), 3: failed (red)
            QCOMPARE(r.text[i].text(), success ? TProgrammerWorkflows::Passed : TProgrammerWorkflows::Failed);
            QCOMPARE(r.picture[i].ImageIndex(), success ? 2 : 3);
        }
        QVERIFY(!r.autoTest.isChecked());
        QVERIFY(r.link.AutoProgram()); // released by the result, not by the user
    }

    // Releasing the toggle switches automatic programming off and starts nothing.
    void releasingTheSelfTestStopsAutomaticProgramming() {
        Rig r("absent");
        for (int press = 0; press < 2; ++press) {
            r.autoTest.click();
            r.click(&TProgrammerWorkflows::SpeedButtonAutoTestProgrammerClick);
            QVERIFY(r.errors.isEmpty()); // a missing adapter is not reported by the self-test
        }
        QVERIFY(!r.link.AutoProgram());
        QCOMPARE(r.doc->TransferState(), uint8_t(tZCfgFile::tsIdle));
    }
};

QTEST_MAIN(TestWorkflows)
#include "tst_workflows.moc"
