#pragma once
// What every zcfg command shares: exit codes, output, loading and writing configuration files.

#include "device/UnitZCfgFile.h"
#include "property/PelError.h"

#include <QCommandLineOption>
#include <QString>
#include <QStringList>
#include <memory>

enum ExitCode { ExitSuccess = 0, ExitProblems = 1, ExitUsage = 2 };

// Standard output, as it stands / one line each without joining them first. false once writing to
// standard output has failed; nothing more is written then, and OutputFailure() tells why.
bool PrintOut(const QString& text);
bool PrintLines(const QStringList& lines);
void PrintError(const QString& text); // standard error, one line
// Empty while everything written to standard output arrived; otherwise why it did not (flushes first).
QString OutputFailure();

// A new document, marked unmodified, with messages going to standard error.
std::unique_ptr<tZCfgFile> NewConfiguration();

// Loads a file; problems are printed as "FILE:LINE: MESSAGE". Returns nullptr (and sets exitCode to
// ExitUsage) when the file cannot be read or is not a configuration file.
std::unique_ptr<tZCfgFile> LoadConfiguration(const QString& fileName, int& exitCode,
                                             bool quietProblems = false);
QStringList ProblemLines(const QString& fileName, const tLoadResult& result);

// Writes the document to a file atomically, or its text to standard output when fileName is empty.
// ExitUsage when it could not be written (a file keeps its old content; the message is printed, except
// for standard output, which main reports); ExitProblems when it was written but holds values the
// file cannot store as they are (the warning is printed); otherwise ExitSuccess.
int WriteConfiguration(tZCfgFile& doc, const QString& fileName, const QString& command);

// Prints a usage problem of a command and how to get its help; returns ExitUsage.
int UsageError(const QString& command, const QString& message);

// The -o FILE option of the commands that write a configuration.
const QCommandLineOption& OutputOption();

// A device type from its value name (any case), its model name, its derived text or its number 1-8.
int ParseDeviceType(const QString& text);
QString DeviceTypeChoices();
