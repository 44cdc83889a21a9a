// zcfg adapters against the simulated adapter library, and how the program finds its private
// libraries (driver layer, simulator) in the build tree and in an installed layout.
#include "programmer/D2XX.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestAdapters : public QObject {
    Q_OBJECT
private slots:
    // Each adapter's line, exit status 1 whenever none is ready, and then one hint: the diagnosis
    // the window shows, in the same words.
    void adaptersCommand_data() {
        QTest::addColumn<QByteArray>("scenario");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("error");
        QTest::newRow("nothing attached")
            << QByteArray(R"({"adapters": []})") << 1 << QString()
            << "No programming adapter was found. Plug the adapter in and try again.";
        QTest::newRow("programmed and blank")
            << QByteArray(R"({"adapters": [{"vendor": "0403", "product": "DBC0", "manufacturer": "Arvel",
                  "description": "USB HS Serial Converter", "serial": "AV000001"},
                 {"vendor": "0403", "product": "6001", "blank": true}]})")
            << 0
            << "0  0403:dbc0  \"Arvel\"  \"USB HS Serial Converter\"  \"AV000001\"  ready\n"
               "1  ????:????  -  -  -  blank EEPROM\n"
            << QString();
        QTest::newRow("blank only")
            << QByteArray(R"({"adapters": [{"vendor": "0403", "product": "6001", "blank": true}]})") << 1
            << "0  ????:????  -  -  -  blank EEPROM\n"
            << "The programming adapter was found but has a blank EEPROM. Program it in factory mode (the "
               "adapter self-test).";
        QTest::newRow("someone's serial cable")
            << QByteArray(R"({"adapters": [{"product": "6001", "manufacturer": "FTDI", "serial": "FT123456",
                  "description": "FT232R USB UART"}]})")
            << 1
            << "0  0403:6001  \"FTDI\"  \"FT232R USB UART\"  \"FT123456\"  other FTDI device, not an "
               "adapter\n"
            << "No programming adapter was found. Plug the adapter in and try again.";
        QTest::newRow("refused open")
            << QByteArray(
                   R"({"failStatus": {"FT_Open": 3}, "adapters": [{"vendor": "0403", "product": "DBC0"}]})")
            << 1 << "0  ????:????  -  -  -  in use\n"
            << "The programming adapter is in use by another program. Close the other program that uses it, "
               "then try again.";
    }
    void adaptersCommand() {
        QFETCH(QByteArray, scenario);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, error);
        QTemporaryDir folder;
        QFile file(folder.filePath("scenario.json"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(scenario) == scenario.size());
        file.close();
        QProcess zcfg;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("ZCFG_D2XX_LIBRARY", ZCFG_SIM_LIBRARY);
        environment.insert("ZCFG_SIM", file.fileName());
        zcfg.setProcessEnvironment(environment);
        zcfg.start(ZCFG_PROGRAM, {"adapters"});
        QVERIFY(zcfg.waitForFinished(20000));
        QCOMPARE(QString::fromUtf8(zcfg.readAllStandardOutput()), output);
        const QString errors = QString::fromUtf8(zcfg.readAllStandardError());
        QCOMPARE(errors, error.isEmpty() ? QString() : error + QLatin1Char('\n'));
        QCOMPARE(zcfg.exitCode(), exitCode);
    }

    void privateLibraryFound_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("library");
        QTest::addColumn<bool>("found");
        QTest::newRow("beside the program") << "bin"
                                            << "bin/libzcfg-x.so" << true;
        QTest::newRow("build tree") << "cli"
                                    << "ftdi/libzcfg-x.so" << true;
        QTest::newRow("installed") << "usr/bin"
                                   << "usr/lib/zentara-configurator/libzcfg-x.so" << true;
        QTest::newRow("elsewhere") << "usr/bin"
                                   << "usr/lib/libzcfg-x.so" << false;
    }
    void privateLibraryFound() {
        QFETCH(QString, program);
        QFETCH(QString, library);
        QFETCH(bool, found);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(program) && QDir(root.path()).mkpath(QFileInfo(library).path()));
        QVERIFY(QFile(root.filePath(library)).open(QIODevice::WriteOnly));
        QCOMPARE(D2XX::FindPrivateLibrary("libzcfg-x.so", "ftdi", root.filePath(program)),
                 found ? QDir::cleanPath(root.filePath(library)) : QString());
    }
};

QTEST_GUILESS_MAIN(TestAdapters)
#include "tst_adapters.moc"
