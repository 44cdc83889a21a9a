// Compare, the backup kept before every Program, and restore, with the document wired as the window
// wires it and the simulated adapter behind the real driver binding. Time advances only by ticks.

#include "../transfers/TransferFixture.h"
#include "device/DeviceTypeTable.h"
#include "property/PropertyPaths.h"
#include "transfer/ProgramBackup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Values each class of device holds otherwise after these edits; the first alone is "one changed".
QList<QPair<QString, QString>> edits(int type) {
    switch (DeviceTypeInfo(type).Class) {
    case tDeviceClass::IRRF:
        return {{"Device/User Record/ID", "77"},
                {"Device/User Record/Transmit Mode", "tm_Auto_Stop"},
                {"Device/User Record/Button(2)/Beeper Sounds", "TRUE"}};
    case tDeviceClass::MPD:
        return {{"Device/User Data/Day/Night Switch LED Lit", "dn_Day"},
                {"Device/User Data/Tail Call Enabled", "FALSE"},
                {"Device/User Data/Help Required", "FALSE"}};
    case tDeviceClass::RelayOutput:
        return {{"Device/Active In Call", "TRUE"},
                {"Device/Active In Emergency", "TRUE"},
                {"Device/Active In MPCall", "TRUE"}};
    case tDeviceClass::ZonalIndicator:
        return {{"Device/Zonal Data/Item(1)/Tone", "zt_Ding_Dong"},
                {"Device/Zonal Data/Item(2)/Day Volume", "vm_Mute"},
                {"Device/Zonal Data/Item(3)/Night Volume", "vm_Mute"}};
    default:
        return {{"Device/User Data/Beeper Enabled", "TRUE"},
                {"Device/User Data/IR Input Enabled", "TRUE"},
                {"Device/User Data/Tail Call Type", "ct250_Emergency"}};
    }
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Everything the device holds, as its records.
QByteArray deviceRecords(SimHarness& sim) {
    return sim.Record(0, "pi") + '|' + sim.Record(0, "fd") + '|' + sim.Record(0, "ud");
}

const char* anotherKeyword(int type) {
    return DeviceTypeInfo(type).Class == tDeviceClass::RelayOutput ? "zx250" : "relay";
}
} // namespace

class TestBackups : public QObject {
    Q_OBJECT

    TransferFixture f;
    std::unique_ptr<QTemporaryDir> dir;

    // A document holding what the attached device holds, as a read leaves it, with no undo history.
    tZCfgFile& readDevice(int type) {
        tZCfgFile& doc = f.makeDocument(uint8_t(type));
        f.start(&tZCfgFile::StartRead);
        f.runUntilIdle();
        f.undo->Clear();
        f.results.clear();
        return doc;
    }

private slots:
    void initTestCase() { f.setUp(); }
    void cleanupTestCase() { f.tearDown(); }
    void init() { dir = std::make_unique<QTemporaryDir>(); }
    void cleanup() { f.finish(); }

    // Compare reads the device into a scratch copy and lists what differs; the document, its undo
    // history, its modified marker, its file name and its file stay exactly as they were, whatever
    // the device answers or fails to.
    void compareLeavesTheDocumentAlone_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("attached"); // what the adapter is attached to
        QTest::addColumn<int>("edited");       // values changed in the window after the file was saved
        QTest::addColumn<int>("differences");  // -1: the compare fails
        for (const tDeviceTypeInfo& info : DeviceTypes()) {
            const QString name = QLatin1String(info.ModelName);
            const QString own = QLatin1String(info.Keyword);
            QTest::newRow(qPrintable(name + ", identical")) << int(info.Type) << own << 0 << 0;
            QTest::newRow(qPrintable(name + ", one value changed")) << int(info.Type) << own << 1 << 1;
            QTest::newRow(qPrintable(name + ", several changed")) << int(info.Type) << own << 3 << 3;
            QTest::newRow(qPrintable(name + ", another device type"))
                << int(info.Type) << QString::fromLatin1(anotherKeyword(info.Type)) << 1 << 1;
            QTest::newRow(qPrintable(name + ", the device stops answering"))
                << int(info.Type) << own << 1 << -1;
        }
    }
    void compareLeavesTheDocumentAlone() {
        QFETCH(int, type);
        QFETCH(QString, attached);
        QFETCH(int, edited);
        QFETCH(int, differences);
        f.connect(DeviceTypeInfo(type).Keyword);
        tZCfgFile& doc = readDevice(type);
        const QString file = dir->filePath(QStringLiteral("ward7.zcf"));
        QString error;
        QVERIFY2(doc.SaveToFile(file, error), qPrintable(error));
        const tLines saved = doc.ToLines();
        QStringList paths;
        for (const auto& [path, value] : edits(type).mid(0, edited)) {
            tPelBaseProperty* node = ResolvePath(&doc, path);
            QVERIFY2(node && node->Value() != value, qPrintable(path));
            QCOMPARE(SetAsEditor(node, value), QString());
            paths << path;
        }
        if (attached != QLatin1String(DeviceTypeInfo(type).Keyword)) f.reconnect(qPrintable(attached));
        if (differences < 0) f.sim->setFault(0, "unplug-after", 12);
        const bool modified = doc.Modified(); // before writing the lines, which clears it
        QVERIFY(modified == (edited > 0));
        const tLines before = doc.ToLines();
        doc.SetModified(modified);
        const QByteArray bytes = fileBytes(file);

        f.start(&tZCfgFile::StartCompare);
        f.runUntilIdle();
        f.tick(15);

        const tTransferOutcome& outcome = doc.LastOutcome();
        QCOMPARE(outcome.Kind, tTransferKind::Compare);
        QVERIFY(f.results.isEmpty());
        if (differences < 0) {
            QVERIFY(!outcome.Ok() && !outcome.DeviceConfiguration);
            QVERIFY(!f.errors.isEmpty());
        } else {
            QVERIFY2(outcome.Ok() && f.errors.isEmpty(), qPrintable(f.errors.join('\n')));
            QStringList found;
            for (const tValueDifference& difference : outcome.Differences)
                found << difference.Path;
            if (attached != QLatin1String(DeviceTypeInfo(type).Keyword)) paths = QStringList{"Device Type"};
            found.sort();
            paths.sort();
            QCOMPARE(found, paths);
            QCOMPARE(outcome.Message, differences ? QStringLiteral("The device holds other values.")
                                                  : QStringLiteral("The device holds this configuration."));
        }
        QCOMPARE(doc.Modified(), modified);
        QCOMPARE(doc.ToLines(), before);
        QCOMPARE(doc.FileName(), file);
        QCOMPARE(fileBytes(file), bytes);
        int undone = 0;
        for (; f.undo->CanUndo(); ++undone)
            f.undo->Undo();
        QCOMPARE(undone, edited); // the edits, and nothing the compare did
        QCOMPARE(doc.ToLines(), saved);
    }

    // Before every Program what the device holds is kept as a backup, named by type, identity and time;
    // programming that backup back (a restore) leaves the device holding what it held, byte for byte.
    void backupBeforeProgramRestoredByteForByte_data() {
        QTest::addColumn<int>("type");
        for (const tDeviceTypeInfo& info : DeviceTypes())
            QTest::newRow(info.ModelName) << int(info.Type);
    }
    void backupBeforeProgramRestoredByteForByte() {
        QFETCH(int, type);
        const char* keyword = DeviceTypeInfo(type).Keyword;
        f.connect(keyword);
        const QByteArray original = deviceRecords(*f.sim);
        tZCfgFile& doc = readDevice(type);
        for (const auto& [path, value] : edits(type))
            QCOMPARE(SetAsEditor(ResolvePath(&doc, path), value), QString());
        tBackupStore store(dir->filePath(QStringLiteral("backups")));
        tProgramBackup backup(doc, store);

        f.start(&tZCfgFile::StartProgram);
        f.runUntilIdle();
        QCOMPARE(f.results, (QList<ShownResult>{{TransferText::TransferredAndVerified, true}}));
        QVERIFY(deviceRecords(*f.sim) != original);
        const QString kept = backup.LastBackup();
        QCOMPARE(backup.TakeNote(), QStringLiteral("Backup: ") + QDir::toNativeSeparators(kept));
        QCOMPARE(backup.TakeNote(), QString()); // told once
        const tDeviceIdentity attached = IdentifyDevice(*doc.LastOutcome().DeviceConfiguration);
        QVERIFY(QFileInfo(kept).fileName().startsWith(
            QStringLiteral("%1_%2_").arg(QLatin1String(keyword), attached.FileNamePart())));
        const QList<tBackupEntry> found = store.BackupsOf(attached);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().FilePath, kept);

        // Restore: the backup becomes the document and is programmed into the device it came from.
        QCOMPARE(doc.LoadFromFile(kept).status, tLoadResult::Loaded);
        backup.RequireDevice(IdentifyDevice(doc));
        f.results.clear();
        f.start(&tZCfgFile::StartProgram);
        f.runUntilIdle();
        QCOMPARE(f.results, (QList<ShownResult>{{TransferText::TransferredAndVerified, true}}));
        QVERIFY(f.errors.isEmpty());
        QCOMPARE(deviceRecords(*f.sim), original);
        const QList<tBackupEntry> both = store.BackupsOf(attached);
        QCOMPARE(both.size(), 2); // the restore kept what it overwrote, listed first
        QCOMPARE(both.last().FilePath, kept);
        QVERIFY(both.first().Taken >= both.last().Taken);
    }

    // What stops a Program before anything is written: a backup that cannot be written, a restore
    // whose backup came from another device. Backups turned off keep nothing.
    void programStopsBeforeWriting_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("situation");
        for (int type : {int(dt_Relay_Output), int(dt_Staff_Transmitter)})
            for (const char* which : {"folder is a file", "another device", "backups off"})
                QTest::addRow("%s, %s", DeviceTypeInfo(type).Keyword, which) << type << which;
    }
    void programStopsBeforeWriting() {
        QFETCH(int, type);
        QFETCH(QString, situation);
        f.connect(DeviceTypeInfo(type).Keyword);
        const QByteArray original = deviceRecords(*f.sim);
        tZCfgFile& doc = readDevice(type);
        const QString folder = dir->filePath(QStringLiteral("backups"));
        tProgramBackup backup(doc, tBackupStore(folder));
        tDeviceIdentity other = IdentifyDevice(doc);
        other.Fields.first().Value = QStringLiteral("SOMEONE-ELSE");
        QString refusal;
        if (situation == QLatin1String("folder is a file")) {
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            refusal = tProgramBackup::CannotWriteText(folder, QStringLiteral("the folder cannot be made"));
        } else if (situation == QLatin1String("another device")) {
            backup.RequireDevice(other);
            refusal = tProgramBackup::OtherDeviceText(IdentifyDevice(doc), other);
        } else {
            backup.SetEnabled(false);
        }
        for (const auto& [path, value] : edits(type))
            QCOMPARE(SetAsEditor(ResolvePath(&doc, path), value), QString());
        f.sim->clearWritten(0);

        f.start(&tZCfgFile::StartProgram);
        f.runUntilIdle();
        QCOMPARE(backup.LastBackup(), QString());
        QCOMPARE(backup.TakeNote(), QString());
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 0);
        if (refusal.isEmpty()) {
            QCOMPARE(f.results, (QList<ShownResult>{{TransferText::TransferredAndVerified, true}}));
            return;
        }
        QCOMPARE(f.errors, QStringList{refusal});
        QVERIFY(f.results.isEmpty() && !doc.LastOutcome().DeviceWritten);
        QCOMPARE(f.sim->Written(), QByteArray("B") + QByteArray(5, '\x05')); // the identification alone
        QCOMPARE(deviceRecords(*f.sim), original);
    }

    // The backups of one device, newest first: others' backups, files that are no backups, and a
    // backup renamed to look like the device's are left out; two in one second keep their order.
    void backupsOfOneDeviceNewestFirst() {
        f.connect("relay");
        tZCfgFile& doc = readDevice(dt_Relay_Output);
        const std::unique_ptr<tZCfgFile> other = doc.ScratchCopy();
        other->AsRelayOutput()->FactoryString()->SetValueText(QStringLiteral("ZENTARA_SIM/0001"));
        const std::unique_ptr<tZCfgFile> zx250 = doc.ScratchCopy();
        zx250->SetDeviceType(dt_ZX250_Call_Point);
        tBackupStore store(dir->filePath(QStringLiteral("backups")));
        const QDateTime t0(QDate(2025, 3, 12), QTime(14, 2, 33), Qt::UTC);
        QString error;
        const QString first = store.Write(doc, error, t0);
        const QString second = store.Write(doc, error, t0);
        const QString later = store.Write(doc, error, t0.addSecs(60));
        const QString others = store.Write(*other, error, t0.addSecs(120));
        store.Write(*zx250, error, t0.addSecs(180));
        QVERIFY2(!first.isEmpty() && error.isEmpty(), qPrintable(error));
        QVERIFY(second.endsWith(QLatin1String("Z-2.zcf")));
        QVERIFY(QFileInfo(others).fileName().startsWith(QLatin1String("relay_ZENTARA-SIM-0001_")));
        QFile::copy(others, dir->filePath(
                                QStringLiteral("backups/relay_ZENTARA-SIM-0001_0102_20250312T150000Z.zcf")));
        QFile::copy(later, dir->filePath(QStringLiteral("backups/notes.zcf")));

        QStringList listed;
        for (const tBackupEntry& entry : store.BackupsOf(IdentifyDevice(doc)))
            listed << entry.FilePath;
        QCOMPARE(listed, (QStringList{later, second, first}));
        QCOMPARE(store.All().size(), 6);
        QCOMPARE(store.BackupsOf(IdentifyDevice(*other)).size(), 2); // its own name is the same
        const std::unique_ptr<tZCfgFile> loaded = LoadBackup(later, error);
        QVERIFY(loaded && loaded->Comments()->GetLine(0).startsWith(QLatin1String(
                              "Backup of the ZX320 Relay Output (Factory String ZENTARA-SIM-0001")));
    }
};

QTEST_GUILESS_MAIN(TestBackups)
#include "tst_backups.moc"
