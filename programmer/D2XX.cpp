#include "programmer/D2XX.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QtGlobal>
#include <memory>

namespace {

struct Binding {
    std::unique_ptr<QLibrary> library;
    D2XXEntryPoints entries;
    int users = 0;
};

Binding& binding() {
    static Binding instance;
    return instance;
}

template <class T> void bind(QLibrary& library, T& slot, const char* name) {
    slot = reinterpret_cast<T>(library.resolve(name));
}

void bindAll(QLibrary& library, D2XXEntryPoints& e) {
    bind(library, e.FT_ListDevices, "FT_ListDevices");
    bind(library, e.FT_Open, "FT_Open");
    bind(library, e.FT_Close, "FT_Close");
    bind(library, e.FT_SetBaudRate, "FT_SetBaudRate");
    bind(library, e.FT_SetDataCharacteristics, "FT_SetDataCharacteristics");
    bind(library, e.FT_SetFlowControl, "FT_SetFlowControl");
    bind(library, e.FT_Write, "FT_Write");
    bind(library, e.FT_GetQueueStatus, "FT_GetQueueStatus");
    bind(library, e.FT_Read, "FT_Read");
    bind(library, e.FT_EE_Read, "FT_EE_Read");
    bind(library, e.FT_EE_Program, "FT_EE_Program");
    bind(library, e.ZCFG_GetAdapterInfo, "ZCFG_GetAdapterInfo");
    bind(library, e.ZCFG_AccessHint, "ZCFG_AccessHint");
    bind(library, e.FT_OpenEx, "FT_OpenEx");
    bind(library, e.FT_SetDTR, "FT_SetDTR");
    bind(library, e.FT_ClrDTR, "FT_ClrDTR");
    bind(library, e.FT_SetRTS, "FT_SetRTS");
    bind(library, e.FT_ClrRTS, "FT_ClrRTS");
    bind(library, e.FT_SetBreakOff, "FT_SetBreakOff");
    bind(library, e.FT_SetBreakOn, "FT_SetBreakOn");
    bind(library, e.FT_GetStatus, "FT_GetStatus");
    bind(library, e.FT_Purge, "FT_Purge");
    bind(library, e.FT_SetTimeouts, "FT_SetTimeouts");
    bind(library, e.FT_EE_UASize, "FT_EE_UASize");
    bind(library, e.FT_EE_UAWrite, "FT_EE_UAWrite");
    bind(library, e.FT_EE_UARead, "FT_EE_UARead");
}

} // namespace

namespace D2XX {

// Where an installed copy keeps its private libraries, seen from the program folder; the install rules
// define it from the library folder they install into.
#ifndef ZCFG_PRIVATE_LIBDIR_FROM_BIN
#define ZCFG_PRIVATE_LIBDIR_FROM_BIN "../lib/zentara-configurator"
#endif

QString FindPrivateLibrary(const QString& fileName, const QString& buildFolder) {
    const QString programFolder = QCoreApplication::instance() != nullptr
                                      ? QCoreApplication::applicationDirPath()
                                      : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    return FindPrivateLibrary(fileName, buildFolder, programFolder);
}

QString FindPrivateLibrary(const QString& fileName, const QString& buildFolder,
                           const QString& programFolder) {
    if (programFolder.isEmpty()) return {};
    const QDir here(programFolder);
    const QString candidates[] = {
        here.filePath(fileName),
        here.filePath(QStringLiteral("../") + buildFolder + QLatin1Char('/') + fileName),
        here.filePath(QStringLiteral(ZCFG_PRIVATE_LIBDIR_FROM_BIN "/") + fileName),
    };
    for (const QString& candidate : candidates)
        if (QFileInfo::exists(candidate)) return QDir::cleanPath(candidate);
    return {};
}

QString LibraryName() {
    const QString configured = qEnvironmentVariable("ZCFG_D2XX_LIBRARY");
    if (!configured.isEmpty()) return configured;
#if defined(Q_OS_WIN)
    return QStringLiteral("ftd2xx.dll");
#else
    const QString own = FindPrivateLibrary(QStringLiteral("libzcfg-ftdi.so"), QStringLiteral("ftdi"));
    return own.isEmpty() ? QStringLiteral("libzcfg-ftdi.so") : own;
#endif
}

const D2XXEntryPoints& AcquireLibrary() {
    Binding& b = binding();
    if (b.users++ == 0) {
        b.entries = D2XXEntryPoints{};
        b.library = std::make_unique<QLibrary>(LibraryName());
        if (b.library->load())
            bindAll(*b.library, b.entries);
        else
            b.library.reset();
    }
    return b.entries;
}

void ReleaseLibrary() {
    Binding& b = binding();
    if (b.users == 0 || --b.users > 0) return;
    b.entries = D2XXEntryPoints{};
    if (b.library) {
        b.library->unload();
        b.library.reset();
    }
}

bool LibraryLoaded() {
    return binding().library != nullptr;
}

QString AccessHint() {
    const D2XXEntryPoints& entries = AcquireLibrary();
    const char* hint = entries.ZCFG_AccessHint ? entries.ZCFG_AccessHint() : nullptr;
    const QString text = hint ? QString::fromUtf8(hint) : QString();
    ReleaseLibrary();
    return text;
}

} // namespace D2XX
