// Installation and the Debian package: an installation into a staging folder
// holds exactly the expected files, the desktop entry, file type and metainfo
// pass their validators, the installed programs run, and the package holds the
// same files with its dependencies found.
#include <QDirIterator>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString output;
};

Run run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment = {},
        int timeoutMs = 240000) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(environment.isEmpty() ? QProcessEnvironment::systemEnvironment()
                                                        : environment);
    process.start(program, arguments);
    if (!process.waitForStarted() || !process.waitForFinished(timeoutMs))
        return {-1, program + ": " + process.errorString()};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAll())};
}

QProcessEnvironment environmentWith(const QString& name, const QString& value) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(name, value);
    return environment;
}

QStringList expectedFiles() {
    QFile file(ZCFG_PACKAGING_BUILD_DIR "/expected-files.txt");
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    QStringList files = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    files.removeDuplicates(); // an unversioned library names the same file three
                              // times
    files.sort();
    return files;
}

// Every file and link below folder, relative to it.
QStringList filesBelow(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(folder).relativeFilePath(it.next()));
    files.sort();
    return files;
}

} // namespace

class TestPackaging : public QObject {
    Q_OBJECT
    QTemporaryDir staging_;
    QString prefix_;
    QTemporaryDir mimeFolder_;
    bool mimeCompiled_ = false;

private slots:
    void initTestCase() {
        QVERIFY(staging_.isValid());
        QVERIFY2(!expectedFiles().isEmpty(), "the build wrote no list of expected files");
        const Run install = run(ZCFG_CMAKE_COMMAND, {"--install", ZCFG_BUILD_DIR, "--prefix", "/usr"},
                                environmentWith("DESTDIR", staging_.path()));
        QVERIFY2(install.exitCode == 0, qPrintable(install.output));
        prefix_ = staging_.path() + "/usr";

        // Compile the installed file type as the desktop does, and let this process's MIME lookup
        // see it beside the system's types.
        const QString updater = QStandardPaths::findExecutable("update-mime-database");
        if (updater.isEmpty()) return;
        const QString mime = mimeFolder_.filePath("share/mime");
        QVERIFY(QDir().mkpath(mime + "/packages"));
        QVERIFY(QFile::copy(prefix_ + "/share/mime/packages/zentara-configurator.xml",
                            mime + "/packages/zentara-configurator.xml"));
        qputenv("XDG_DATA_DIRS", (mimeFolder_.filePath("share") + ":" +
                                  qEnvironmentVariable("XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
                                     .toLocal8Bit());
        const Run update = run(updater, {mime});
        QVERIFY2(update.exitCode == 0 && update.output.isEmpty(), qPrintable(update.output));
        QVERIFY(QFile::exists(mime + "/application/x-zentara-configuration.xml"));
        mimeCompiled_ = true;
    }

    void installationHoldsExactlyTheExpectedFiles() { QCOMPARE(filesBelow(prefix_), expectedFiles()); }

    void validatorsAccept_data() {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        const QString share = prefix_ + "/share/";
        QTest::newRow("desktop entry")
            << "desktop-file-validate"
            << QStringList{share + "applications/com.zentara.Configurator.desktop"};
        QTest::newRow("metainfo") << "appstreamcli"
                                  << QStringList{"validate", "--no-net", "--no-color",
                                                 share + "metainfo/com.zentara.Configurator.metainfo.xml"};
        QTest::newRow("file type") << "xmllint"
                                   << QStringList{"--noout",
                                                  share + "mime/packages/zentara-configurator.xml"};
    }
    void validatorsAccept() {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        const QString path = QStandardPaths::findExecutable(tool);
        if (path.isEmpty())
            QSKIP(qPrintable(tool + " is not installed (scripts/install-deps.sh installs it)"));
        const Run result = run(path, arguments);
        QVERIFY2(result.exitCode == 0 && !result.output.contains("warning", Qt::CaseInsensitive),
                 qPrintable(result.output));
    }

    // The installed file type, compiled as the desktop compiles it, recognises
    // configuration files by name and by their first line.
    void fileTypeRecognisesConfigurations_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("recognised");
        QTest::newRow("by name") << "ward7.zcf" << QByteArray("anything") << true;
        QTest::newRow("by first line") << "ward7" << QByteArray("File ZCFG File\r\n  End File\r\n") << true;
        QTest::newRow("first line after a byte-order mark") << "ward7"
                                                            << QByteArray("\xEF\xBB\xBF"
                                                                          "File ZCFG File\r\nEnd File\r\n")
                                                            << true;
        QTest::newRow("other text") << "notes" << QByteArray("Shopping list\n") << false;
    }
    void fileTypeRecognisesConfigurations() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QFETCH(bool, recognised);
        if (!mimeCompiled_) QSKIP("update-mime-database is not installed (package shared-mime-info)");
        QFile file(mimeFolder_.filePath(fileName));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        QCOMPARE(QMimeDatabase().mimeTypeForFile(file.fileName()).name() ==
                     "application/x-zentara-configuration",
                 recognised);
    }

    void installedProgramsRun() {
        for (const QString program : {"zcfg", "zentara-configurator"}) {
            const QString path = prefix_ + "/bin/" + program;
            if (!QFile::exists(path)) continue; // not built in this tree, so not installed either
            const Run result =
                run(path, {"--version"}, environmentWith("QT_QPA_PLATFORM", "offscreen"), 30000);
            QVERIFY2(result.exitCode == 0 && result.output.contains(ZCFG_PROJECT_VERSION),
                     qPrintable(program + ": " + result.output));
        }
    }

    void debianPackageHoldsTheInstallation() {
        for (const char* tool : {"dpkg-deb", "dpkg-shlibdeps", "dpkg"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP(qPrintable(QString(tool) + " is not installed (package dpkg-dev)"));
        QTemporaryDir output, unpacked, control;
        QVERIFY(output.isValid() && unpacked.isValid() && control.isValid());
        const Run package =
            run(ZCFG_CPACK_COMMAND,
                {"-G", "DEB", "--config", ZCFG_BUILD_DIR "/CPackConfig.cmake", "-B", output.path()});
        QVERIFY2(package.exitCode == 0, qPrintable(package.output));
        const QString deb = output.path() + QString("/zentara-configurator_%1_%2.deb")
                                                .arg(ZCFG_PROJECT_VERSION,
                                                     run("dpkg", {"--print-architecture"}).output.trimmed());
        QVERIFY2(QFile::exists(deb), qPrintable(package.output));

        QStringList expected = expectedFiles();
        for (QString& file : expected)
            file.prepend("usr/");
        QCOMPARE(run("dpkg-deb", {"--extract", deb, unpacked.path()}).exitCode, 0);
        QCOMPARE(filesBelow(unpacked.path()), expected);

        const QString fields = run("dpkg-deb", {"--field", deb, "Version", "Depends"}).output;
        QVERIFY2(fields.contains("Version: " ZCFG_PROJECT_VERSION), qPrintable(fields));
        if (expectedFiles().join(' ').contains("bin/"))
            QVERIFY2(fields.contains("libqt6core6"), qPrintable(fields));
        // The commissioning log's database driver is a plugin, which no program links.
        if (expectedFiles().join(' ').contains("bin/zcfg"))
            QVERIFY2(fields.contains("libqt6sql6-sqlite"), qPrintable(fields));
        // The sound module, which no program links, still brings its sound libraries along.
        if (expectedFiles().join(' ').contains("libzcfg-tone-audio"))
            QVERIFY2(fields.contains("libqt6multimedia6"), qPrintable(fields));

        // No maintainer scripts of our own: the desktop, file type and icon databases follow by
        // triggers. The only thing allowed is the ldconfig call that the package generator adds for
        // libraries below /usr/lib.
        QCOMPARE(run("dpkg-deb", {"--control", deb, control.path()}).exitCode, 0);
        for (const QString script : {"preinst", "prerm"})
            QVERIFY2(!QFile::exists(control.filePath(script)), qPrintable(script));
        static const QRegularExpression boilerplate(
            R"(^(#!/bin/sh|set -e|if \[ "\$1" = "\w+" \]; then|ldconfig|fi|)$)");
        for (const QString script : {"postinst", "postrm"}) {
            QFile file(control.filePath(script));
            if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) continue;
            for (const QString& line : QString::fromUtf8(file.readAll()).split('\n'))
                QVERIFY2(boilerplate.match(line.trimmed()).hasMatch(), qPrintable(script + ": " + line));
        }
    }
};

QTEST_GUILESS_MAIN(TestPackaging)
#include "tst_packaging.moc"
