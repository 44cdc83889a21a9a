#pragma once
// A command's own options and positional arguments, with "zcfg COMMAND --help".

#include <QCommandLineParser>

class CommandParser {
public:
    CommandParser(const QString& command, const QString& description);
    QCommandLineParser& Parser() { return parser_; }
    // false: the arguments were refused (the message is printed) or help was shown; see ExitCode().
    bool Parse(const QStringList& arguments);
    int ExitCode() const { return exitCode_; }

private:
    QCommandLineParser parser_;
    QString command_;
    int exitCode_ = 0;
};
