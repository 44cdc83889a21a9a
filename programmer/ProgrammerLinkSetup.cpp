#include "programmer/ProgrammerLinkSetup.h"

#include "programmer/USBPanel.h"

void ConfigureProgrammerLink(TUSBPanel& link) {
    link.SetVendorID(QStringLiteral("0403"));
    link.SetProductID(QStringLiteral("DBC0"));
    link.SetManufacturer(QStringLiteral("Arvel"));
    link.SetManufacturerID(QStringLiteral("AV"));
    link.SetDescription(QStringLiteral("USB HS Serial Converter"));
    link.SetSerialNo(QStringLiteral("AV000001"));
    link.SetTimeOut(10);
    link.SetTickInterval(100);
    link.SetSerNumEnable(true);
    link.SetUSBVersion(QStringLiteral("0200"));
    link.SetErrorStyle(esThrowErrors);
    link.SetBaudRate(br__9600);
    link.SetDataBits(dl8Bits);
    link.SetStopBits(sb1Bit);
    link.SetParity(pNone);
    link.SetFlowControl(fcNone);
    link.SetOpenMethod(omBySerialNo);
    link.SetAutoOpen(false); // also clears AutoProgram
}
