#pragma once
// Why the programming adapter cannot be used, told the same way by the window and by `zcfg adapters`:
// a look at every device the bound driver lists (opened only long enough to read its identity), and
// one cause and one remedy for the user, each a single sentence.

#include "programmer/D2XX.h"

#include <QList>
#include <QString>

enum class tAdapterProblem { None, NoDriver, NoAdapter, NoPermission, InUse, BlankEEPROM, NotOpened };

struct tAdapterDiagnosis {
    tAdapterProblem problem = tAdapterProblem::None;
    QString cause;  // "No programming adapter was found."
    QString remedy; // "Plug the adapter in and try again."
    // Cause and remedy as one line; empty when nothing is wrong.
    QString Line() const;
};

// One device the driver lists, as far as it could be looked at.
struct tListedAdapter {
    enum tState { Ready, BlankEEPROM, NoPermission, InUse, NotOpened, UnreadableEEPROM, OtherDevice };
    int index = 0;
    tState state = NotOpened;
    FT_STATUS status = FT_OK; // the failed driver call, for NotOpened and UnreadableEEPROM
    uint16_t vendorId = 0;    // 0 when the driver does not say
    uint16_t productId = 0;
    QString location, chip;  // bus and port path, chip name (drivers with ZCFG_GetAdapterInfo)
    uint32_t permission = 0; // ZCFG_PERMISSION_*, with NoPermission
    QString holder;          // with InUse: the program that likely holds it, if known
    QString manufacturer, description, serialNumber; // what its EEPROM holds, when read

    // "ready", "blank EEPROM", "no permission", "in use by brltty", "other FTDI device", ...
    QString StateText() const;
};

// Every device the driver lists. Devices that are not adapters are not opened.
QList<tListedAdapter> SurveyAdapters(const D2XXEntryPoints& driver);

// The diagnosis of a survey: nothing wrong while one adapter is ready, else the most telling problem
// (no permission before in use, before a blank EEPROM, before any other failure), else no adapter.
tAdapterDiagnosis Diagnose(const QList<tListedAdapter>& adapters);

// Binds the driver, surveys and diagnoses.
tAdapterDiagnosis DiagnoseAdapters();

// Names the adapter at an index for the user: "FT232BM at USB 1-3 (0403:6001)", or "the adapter at
// index 0" when the driver cannot say more.
QString DescribeAdapter(const D2XXEntryPoints& driver, int index);
