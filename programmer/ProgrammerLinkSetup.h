#pragma once
// The one configuration of the programmer link shared by the editor and the command-line tool.

class TUSBPanel;

// Applies the editor's link settings: the Arvel programming adapter (vendor 0403, product DBC0,
// serial number AV000001) opened by serial number, 9600 baud 8N1 without flow control, a reply
// time-out of 10 ticks of 100 ms, errors raised, automatic open and EEPROM programming off.
void ConfigureProgrammerLink(TUSBPanel& link);
