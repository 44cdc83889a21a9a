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

class TestWorkflows : public QObject {
    Q_OBJECT

    std::unique_ptr<SimHarness> sim;
    std::unique_ptr<TUSBPanel> link;
    std::unique_ptr<tZCfgFile> doc;
    std::unique_ptr<TProgrammerWorkflows> flows;
    std::unique_ptr<QPushButton> connectButton, autoTest;
    std::unique_ptr<TImageList> pictures;
    std::unique_ptr<TPelImage> factoryPicture, programmingPicture;
    std::unique_ptr<QLineEdit> factoryText, programmingText;
    QStringList errors;
    QList<bool> results;
    QByteArray received;
    QStringList sent;

    // The window's wiring: the workflows take the link's events before the document attaches it.
    void wire(const char* keyword, uint8_t type = dt_Relay_Output) {
        sim->reset();
        sim->loadKeyword(keyword);
        link = std::make_unique<TUSBPanel>(nullptr, false);
        ConfigureProgrammerLink(*link);
        connectButton = std::make_unique<QPushButton>(QStringLiteral("Connect"));
        autoTest = std::make_unique<QPushButton>(QStringLiteral("Programmer"));
        autoTest->setCheckable(true);
        pictures = std::make_unique<TImageList>(24, 24);
        for (int i = 0; i < 3; ++i)
            pictures->Add(QPixmap(24, 24));
        factoryPicture = std::make_unique<TPelImage>();
        programmingPicture = std::make_unique<TPelImage>();
        factoryPicture->SetImageList(pictures.get());
        programmingPicture->SetImageList(pictures.get());
        factoryText = std::make_unique<QLineEdit>(QStringLiteral("Test Not Started"));
        programmingText = std::make_unique<QLineEdit>(QStringLiteral("Test Not Started"));
        flows = std::make_unique<TProgrammerWorkflows>(
            *link, *doc,
            TProgrammerWorkflows::Controls{connectButton.get(),
                                           autoTest.get(),
                                           {{factoryPicture.get(), factoryText.get()},
                                            {programmingPicture.get(), programmingText.get()}}});
        flows->SetMonitor([this](const QString& text) { sent.append(text); },
                          [this](uint8_t byte) { received.append(char(byte)); });
        doc->SetDeviceType(type);
        doc->AttachLink(link.get());
        doc->SetResultPresenter([this](const QString&, bool success) {
            flows->ResultShown(success);
            results.append(success);
            return true;
        });
    }

    void runUntilIdle(int limit = 100) {
        for (int n = 0; n < limit && doc->TransferState() != tZCfgFile::tsIdle; ++n)
            Guarded([this] { link->Tick(); });
    }

private slots:
    void init() {
        qputenv("ZCFG_D2XX_LIBRARY", ZCFG_SIM_LIBRARY);
        qunsetenv("ZCFG_SIM");
        sim = std::make_unique<SimHarness>(QStringLiteral(ZCFG_SIM_LIBRARY));
        errors.clear();
        results.clear();
        received.clear();
        sent.clear();
        SetMessagePresenter([this](MessageKind, const QString& text) { errors.append(text); });
        doc.reset(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
    }

    void cleanup() {
        doc.reset();
        flows.reset();
        link.reset();
        SetMessagePresenter(nullptr);
        sim.reset();
    }

    // Read and Program with no adapter: exactly the one message, nothing sent, nothing started.
    void withoutAdapterNothingIsSent_data() {
        QTest::addColumn<bool>("program");
        QTest::newRow("read") << false;
        QTest::newRow("program") << true;
    }
    void withoutAdapterNothingIsSent() {
        QFETCH(bool, program);
        wire("absent");
        Guarded([&] { program ? flows->SpeedButtonProgramClick() : flows->SpeedButtonReadClick(); });
        QCOMPARE(errors, QStringList{TProgrammerWorkflows::UnableToConnect});
        QCOMPARE(doc->TransferState(), uint8_t(tZCfgFile::tsIdle));
        QVERIFY(sent.isEmpty());
        QCOMPARE(connectButton->text(), QStringLiteral("Connect"));
    }

    // A read through a closed link opens it once, reads the device, and passes every byte on to the
    // serial monitor after the document; a second read does not reopen the link.
    void readOpensTheLinkOnceAndMonitorsTraffic() {
        wire("zone-indicator", dt_Relay_Output);
        int opened = 0;
        const tNotifyEvent onOpen = link->OnOpen();
        link->SetOnOpen([&](tObject* s) {
            ++opened;
            onOpen(s);
        });
        QVERIFY(Guarded([&] { flows->SpeedButtonReadClick(); }));
        runUntilIdle();
        QCOMPARE(results, QList<bool>{true});
        QCOMPARE(doc->GetDeviceType(), uint8_t(dt_Zone_Indicator));
        QCOMPARE(connectButton->text(), QStringLiteral("Disconnect"));
        QVERIFY(received.contains('\x01') && received.contains('\x04'));
        QVERIFY(!sent.isEmpty());
        QVERIFY(Guarded([&] { flows->SpeedButtonReadClick(); }));
        runUntilIdle();
        QCOMPARE(opened, 1);
        QCOMPARE(results.size(), 2);
    }

    void connectAndDisconnectFollowTheLink() {
        wire("relay");
        QVERIFY(Guarded([&] { flows->SpeedButtonProgrammerConnectClick(); }));
        QVERIFY(link->Active());
        QCOMPARE(connectButton->text(), QStringLiteral("Disconnect"));
        for (QLineEdit* text : {factoryText.get(), programmingText.get()})
            QCOMPARE(text->text(), TProgrammerWorkflows::ProgrammerFound);
        QCOMPARE(factoryPicture->ImageIndex(), 1);
        QVERIFY(Guarded([&] { flows->SpeedButtonProgrammerConnectClick(); }));
        QVERIFY(!link->Active());
        QCOMPARE(connectButton->text(), QStringLiteral("Connect"));
    }

    void connectWithoutAdapterReportsOneMessage() {
        wire("absent");
        Guarded([&] { flows->SpeedButtonProgrammerConnectClick(); });
        QCOMPARE(errors, QStringList{TProgrammerWorkflows::UnableToConnect});
        QCOMPARE(connectButton->text(), QStringLiteral("Connect"));
    }

    void factoryProgramDoesNotOpenTheLink() {
        wire("staff", dt_Staff_Transmitter);
        Guarded([&] { flows->SpeedButtonFactoryProgramClick(); });
        QVERIFY(!link->Active());
        QCOMPARE(connectButton->text(), QStringLiteral("Connect"));
    }

    // The self-test: toggle down, adapter found, the attached device read, "Passed", toggle up.
    void selfTestPassesOnASuccessfulRead() {
        wire("relay");
        autoTest->click();
        QVERIFY(Guarded([&] { flows->SpeedButtonAutoTestProgrammerClick(); }));
        QVERIFY(link->Active());
        runUntilIdle();
        QCOMPARE(results, QList<bool>{true});
        for (QLineEdit* text : {factoryText.get(), programmingText.get()})
            QCOMPARE(text->text(), TProgrammerWorkflows::Passed);
        QCOMPARE(factoryPicture->ImageIndex(), 2);
        QCOMPARE(programmingPicture->ImageIndex(), 2);
        QVERIFY(!autoTest->isChecked());
        QVERIFY(link->AutoProgram()); // released by the result, not by the user
    }

    // A failure shown while the toggle is down fails the self-test instead of passing it.
    void selfTestFailsOnAFailedResult() {
        wire("relay");
        autoTest->click();
        Guarded([&] { flows->SpeedButtonAutoTestProgrammerClick(); });
        flows->ResultShown(false);
        QCOMPARE(factoryText->text(), TProgrammerWorkflows::Failed);
        QCOMPARE(programmingText->text(), TProgrammerWorkflows::Failed);
        QCOMPARE(factoryPicture->ImageIndex(), 0);
        QVERIFY(!autoTest->isChecked());
    }

    // Releasing the toggle switches automatic programming off and starts nothing.
    void releasingTheSelfTestStopsAutomaticProgramming() {
        wire("absent");
        autoTest->click();
        Guarded([&] { flows->SpeedButtonAutoTestProgrammerClick(); });
        QVERIFY(errors.isEmpty()); // a missing adapter is not reported by the self-test
        autoTest->click();
        Guarded([&] { flows->SpeedButtonAutoTestProgrammerClick(); });
        QVERIFY(!link->AutoProgram());
        QCOMPARE(doc->TransferState(), uint8_t(tZCfgFile::tsIdle));
    }
};

QTEST_MAIN(TestWorkflows)
#include "tst_workflows.moc"
