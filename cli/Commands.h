#pragma once
// The zcfg commands. Each takes its own arguments (the command name first) and returns the exit code.

#include <QStringList>
#include <memory>

class QCoreApplication;

int CommandNew(const QStringList& arguments);
int CommandShow(const QStringList& arguments);
int CommandCheck(const QStringList& arguments);
int CommandSet(const QStringList& arguments);
int CommandFrame(const QStringList& arguments);
int CommandRead(const QStringList& arguments);
int CommandProgram(const QStringList& arguments);
int CommandFactory(const QStringList& arguments);
int CommandCompare(const QStringList& arguments);
int CommandRestore(const QStringList& arguments);
int CommandApply(const QStringList& arguments);
int CommandAdapters(const QStringList& arguments);
int CommandLog(const QStringList& arguments);
int CommandReport(const QStringList& arguments);

// The application object the command on the command line needs: Qt Gui's for `report`, which lays
// out a report, Qt Core's for every other.
std::unique_ptr<QCoreApplication> CreateApplication(int& argc, char** argv);
