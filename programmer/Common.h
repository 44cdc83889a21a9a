#pragma once
// Helpers shared by the device records, the transfers and the programmer link.

#include "property/PelError.h"

#include <QString>
#include <cstdint>

// Sets (on) or clears one bit of a 16-bit word.
void SetBit(uint16_t& word, int bit, bool on);
bool TestBit(uint16_t word, int bit);

// True when every character is 0-9, A-F or a-f; an empty text gives true.
bool IsHex(const QString& text);
// Accumulates hexadecimal digits left to right (either letter case); other characters are skipped.
// An empty text gives 0.
int HexToInt(const QString& text);

// ShowWarning, ShowError and MessageShowing come with property/PelError.h.

// Readable form of control characters: "<SOH>", "<#7F>", ...
QString RenderControlChars(const QString& text);
// The names RenderControlChars gives the control characters 0 to 31 ("NUL", "SOH", ... "US"): the
// name of a code (empty outside 0 to 31) and the code of a name (-1 when it names none).
QLatin1String ControlCharName(int code);
int ControlCharCode(QStringView name);
