#pragma once
// Where the commissioning log is kept: the embedded file in the user's data folder, or a PostgreSQL
// server the settings name so that several installers on one site write one log.

#include <QString>

struct tCommissioningLogSettings {
    QString File;     // the embedded log; empty: DefaultCommissioningLogFile()
    QString Server;   // a PostgreSQL server's host name, or the folder of its socket; empty: the file
    QString Database; // on the server; empty: the server's default (the user's name)
    QString User;     // on the server; empty: the login name
    int Port = 0;     // on the server; 0: the server's default
    QString Error;    // why the settings cannot be used as they stand; empty when they can

    bool UsesServer() const { return !Server.isEmpty(); }
};

// $XDG_DATA_HOME/zentara-configurator/commissioning.sqlite, the same for the editor and zcfg.
QString DefaultCommissioningLogFile();

// The group "Commissioning Log" of the program's settings ("Server", "Database", "User", "Port"), read
// from the per-user settings store under "Zentara Configurator", or, when settingsFile is given, from
// that INI file with "Zentara Configurator" as a group inside it (as the editor's settings store
// reads it). A port that is not a number from 1 to 65535 is reported in Error.
tCommissioningLogSettings ReadCommissioningLogSettings(const QString& settingsFile = QString());

// The login name of the user running the program, and this computer's name.
QString CurrentOperator();
QString CurrentHost();
