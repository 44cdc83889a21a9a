#pragma once
// The zcfg commands. Each takes its own arguments (the command name first) and returns the exit code.

#include <QStringList>

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
