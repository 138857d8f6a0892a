#pragma once

#include "model/files/datafolder.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

// The command line of the program: --demo, the data folder (--user-data from the menu entry,
// --data-dir DIR), --check-bluetooth, --help and --version.
class StartOptions
{
public:
    StartOptions();

    // Parses the arguments without an application object. True when they ask only for --help,
    // --version or --check-bluetooth, which need no display.
    bool asksForTextOnly(const QStringList &arguments);
    // Reads the arguments of the running application (prints help or errors and exits as the
    // parser does). False with *error when the data folder options contradict each other.
    bool process(const QCoreApplication &app, QString *error);
    // For tests: parses a list. False with *error on unknown options or contradictions.
    bool parse(const QStringList &arguments, QString *error);

    bool demo() const;
    bool checkBluetooth() const;
    DataFolder::Choice folderChoice() const;
    QString dataDir() const;

private:
    bool checkFolderOptions(QString *error) const;

    QCommandLineParser m_parser;
    QCommandLineOption m_demo;
    QCommandLineOption m_userData;
    QCommandLineOption m_dataDir;
    QCommandLineOption m_checkBluetooth;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
};
