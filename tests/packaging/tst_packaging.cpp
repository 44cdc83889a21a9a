// Installation and the Debian package: an installation into a staging folder holds exactly the
// expected files, the desktop entry, file type and metainfo pass their validators, the installed
// programs run, and the package holds the same files with its dependencies found.
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
    Run result;
    if (!process.waitForStarted() || !process.waitForFinished(timeoutMs)) {
        result.output = program + QStringLiteral(": ") + process.errorString();
        return result;
    }
    result.output = QString::fromLocal8Bit(process.readAll());
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

QStringList expectedFiles() {
    QFile file(QStringLiteral(ZCFG_PACKAGING_BUILD_DIR "/expected-files.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    QStringList files = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    files.removeDuplicates(); // an unversioned library names the same file three times
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
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DESTDIR"), staging_.path());
        const Run install = run(QStringLiteral(ZCFG_CMAKE_COMMAND),
                                {QStringLiteral("--install"), QStringLiteral(ZCFG_BUILD_DIR),
                                 QStringLiteral("--prefix"), QStringLiteral("/usr")},
                                environment);
        QVERIFY2(install.exitCode == 0, qPrintable(install.output));
        prefix_ = staging_.path() + QStringLiteral("/usr");

        // Compile the installed file type as the desktop does, and let this process's MIME lookup
        // see it beside the system's types.
        const QString updater = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
        if (updater.isEmpty()) return;
        const QString mime = mimeFolder_.filePath(QStringLiteral("share/mime"));
        QVERIFY(QDir().mkpath(mime + QStringLiteral("/packages")));
        QVERIFY(QFile::copy(prefix_ + QStringLiteral("/share/mime/packages/zentara-configurator.xml"),
                            mime + QStringLiteral("/packages/zentara-configurator.xml")));
        qputenv("XDG_DATA_DIRS",
                (mimeFolder_.filePath(QStringLiteral("share")) + QStringLiteral(":") +
                 qEnvironmentVariable("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share")))
                    .toLocal8Bit());
        const Run update = run(updater, {mime});
        QVERIFY2(update.exitCode == 0 && update.output.isEmpty(), qPrintable(update.output));
        QVERIFY(QFile::exists(mime + QStringLiteral("/application/x-zentara-configuration.xml")));
        mimeCompiled_ = true;
    }

    void installationHoldsExactlyTheExpectedFiles() { QCOMPARE(filesBelow(prefix_), expectedFiles()); }

    void validatorsAccept_data() {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        const QString share = prefix_ + QStringLiteral("/share/");
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
            QSKIP(
                qPrintable(tool + QStringLiteral(" is not installed (scripts/install-deps.sh installs it)")));
        const Run result = run(path, arguments);
        QVERIFY2(result.exitCode == 0, qPrintable(result.output));
        QVERIFY2(!result.output.contains(QStringLiteral("warning"), Qt::CaseInsensitive),
                 qPrintable(result.output));
    }

    // The installed file type, compiled as the desktop compiles it, recognises configuration files by
    // name and by their first line.
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
        const QString file = mimeFolder_.filePath(fileName);
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
        out.close();
        const QMimeType type = QMimeDatabase().mimeTypeForFile(file);
        QCOMPARE(type.name() == QStringLiteral("application/x-zentara-configuration"), recognised);
    }

    void installedProgramsRun_data() {
        QTest::addColumn<QString>("program");
        QTest::newRow("zcfg") << "zcfg";
        QTest::newRow("zentara-configurator") << "zentara-configurator";
    }
    void installedProgramsRun() {
        QFETCH(QString, program);
        const QString path = prefix_ + QStringLiteral("/bin/") + program;
        if (!QFile::exists(path))
            QSKIP(qPrintable(program + QStringLiteral(" is not built in this tree, so it is not installed")));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        const Run result = run(path, {QStringLiteral("--version")}, environment, 30000);
        QVERIFY2(result.exitCode == 0, qPrintable(result.output));
        QVERIFY2(result.output.contains(QStringLiteral(ZCFG_PROJECT_VERSION)), qPrintable(result.output));
    }

    void debianPackageHoldsTheInstallation() {
        for (const char* tool : {"dpkg-deb", "dpkg-shlibdeps", "dpkg"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed (package dpkg-dev)").arg(tool)));
        QTemporaryDir output;
        QVERIFY(output.isValid());
        const Run package =
            run(QStringLiteral(ZCFG_CPACK_COMMAND),
                {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                 QStringLiteral(ZCFG_BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-B"), output.path()});
        QVERIFY2(package.exitCode == 0, qPrintable(package.output));
        const QString architecture =
            run(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")}).output.trimmed();
        const QString deb =
            output.path() +
            QStringLiteral("/zentara-configurator_%1_%2.deb").arg(ZCFG_PROJECT_VERSION, architecture);
        QVERIFY2(QFile::exists(deb), qPrintable(package.output));

        const Run contents = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), deb});
        QCOMPARE(contents.exitCode, 0);
        QStringList files;
        for (const QString& line : contents.output.split(u'\n', Qt::SkipEmptyParts)) {
            if (line.startsWith(u'd')) continue; // folders
            // "-rw-r--r-- root/root 1234 2026-12-08 03:00 ./usr/bin/zcfg", links end in " -> target".
            QString path =
                line.section(u' ', 5, -1, QString::SectionSkipEmpty).section(QStringLiteral(" -> "), 0, 0);
            QVERIFY2(path.startsWith(QStringLiteral("./usr/")), qPrintable(line));
            files.append(path.mid(6));
        }
        files.sort();
        QCOMPARE(files, expectedFiles());

        const Run fields =
            run(QStringLiteral("dpkg-deb"),
                {QStringLiteral("--field"), deb, QStringLiteral("Version"), QStringLiteral("Depends")});
        QVERIFY2(fields.output.contains(QStringLiteral("Version: " ZCFG_PROJECT_VERSION)),
                 qPrintable(fields.output));
        if (expectedFiles().join(u' ').contains(QStringLiteral("bin/")))
            QVERIFY2(fields.output.contains(QStringLiteral("libqt6core6")), qPrintable(fields.output));

        // No maintainer scripts of our own: the desktop, file type and icon databases follow by
        // triggers. The only thing allowed is the ldconfig call that the package generator adds for
        // libraries below /usr/lib.
        QTemporaryDir control;
        QVERIFY(control.isValid());
        QCOMPARE(run(QStringLiteral("dpkg-deb"), {QStringLiteral("--control"), deb, control.path()}).exitCode,
                 0);
        for (const char* script : {"preinst", "prerm"})
            QVERIFY2(!QFile::exists(control.path() + u'/' + QLatin1String(script)), script);
        static const QRegularExpression boilerplate(
            QStringLiteral(R"(^(#!/bin/sh|set -e|if \[ "\$1" = "\w+" \]; then|ldconfig|fi|)$)"));
        for (const char* script : {"postinst", "postrm"}) {
            QFile file(control.path() + u'/' + QLatin1String(script));
            if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) continue;
            for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n'))
                QVERIFY2(boilerplate.match(line.trimmed()).hasMatch(), qPrintable(script + (": " + line)));
        }
    }
};

QTEST_GUILESS_MAIN(TestPackaging)
#include "tst_packaging.moc"
