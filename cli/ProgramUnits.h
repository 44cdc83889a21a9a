#pragma once
// `zcfg program --increment PATH=START[:STEP]`: a numeric value that steps from one device to the
// next while `--repeat` programs many devices with one file. Each device is programmed with a copy of
// the file's configuration holding its own value; the file is not changed.

#include <QCommandLineOption>
#include <QCommandLineParser>

class DeviceSession;
class tProgramBackup;
class tProgramSeries;
class tZCfgFile;

const QCommandLineOption& IncrementOption();

// Takes --increment into the series. False, the message printed and exitCode set, when it is not
// PATH=START[:STEP] (ExitUsage), or names no value that steps or a start outside its limits
// (ExitProblems); nothing is written then.
bool UseIncrement(const QCommandLineParser& parser, tProgramSeries& series, int& exitCode);

// Programs the attached device as the next unit of the series (with its stepped value, named on a
// line of its own) and prints the result. True when the device was programmed and verified.
bool ProgramNextUnit(DeviceSession& session, tZCfgFile& doc, tProgramBackup* backup, tProgramSeries& series);

// After a unit: false, with the message, when the value the next unit would get lies past its range;
// no further device is programmed then.
bool NextUnitInRange(const tProgramSeries& series);
