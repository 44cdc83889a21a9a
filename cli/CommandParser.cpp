#include "cli/CommandParser.h"

#include "cli/CliSupport.h"

#include <QRegularExpression>

CommandParser::CommandParser(const QString& command, const QString& description) : command_(command) {
    parser_.setApplicationDescription(description);
    parser_.addHelpOption();
}

bool CommandParser::Parse(const QStringList& arguments) {
    if (!parser_.parse(arguments)) {
        exitCode_ = UsageError(command_, parser_.errorText());
        return false;
    }
    if (parser_.isSet(QStringLiteral("help"))) {
        QString help = parser_.helpText();
        help.replace(QRegularExpression(QStringLiteral("^Usage: \\S+")),
                     QStringLiteral("Usage: zcfg ") + command_);
        PrintOut(help);
        exitCode_ = ExitSuccess;
        return false;
    }
    return true;
}
