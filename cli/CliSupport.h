#pragma once
// What every zcfg command shares: exit codes, output, loading and writing configuration files.

#include "device/UnitZCfgFile.h"
#include "property/PelError.h"

#include <QCommandLineOption>
#include <QString>
#include <QStringList>
#include <memory>

enum ExitCode { ExitSuccess = 0, ExitProblems = 1, ExitUsage = 2 };

void PrintOut(const QString& text);        // standard output, as it stands
void PrintError(const QString& text);      // standard error, one line
void PrintLines(const QStringList& lines); // standard output, one line each, without joining them first

// A new document, marked unmodified, with messages going to standard error.
std::unique_ptr<tZCfgFile> NewConfiguration();

// Loads a file; problems are printed as "FILE:LINE: MESSAGE". Returns nullptr (and sets exitCode to
// ExitUsage) when the file cannot be read or is not a configuration file.
std::unique_ptr<tZCfgFile> LoadConfiguration(const QString& fileName, int& exitCode,
                                             bool quietProblems = false);
QStringList ProblemLines(const QString& fileName, const tLoadResult& result);

// Writes the document to a file atomically, or its text to standard output when fileName is empty.
bool WriteConfiguration(tZCfgFile& doc, const QString& fileName);

// Prints a usage problem of a command and how to get its help; returns ExitUsage.
int UsageError(const QString& command, const QString& message);

// The -o FILE option of the commands that write a configuration.
const QCommandLineOption& OutputOption();

// A device type from its value name (any case), its model name, its derived text or its number 1-8.
int ParseDeviceType(const QString& text);
QString DeviceTypeChoices();
