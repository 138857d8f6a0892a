#include "app/startoptions.h"

StartOptions::StartOptions()
    : m_demo(QStringLiteral("demo"), QStringLiteral("Run against a built-in simulated controller instead of Bluetooth.")),
      m_userData(QStringLiteral("user-data"),
                 QStringLiteral("Keep the working folders in the user's data folder (the menu entry does); "
                                "with --demo in its folder \"demo\".")),
      m_dataDir(QStringLiteral("data-dir"), QStringLiteral("Keep the working folders in <dir>."), QStringLiteral("dir")),
      m_checkBluetooth(QStringLiteral("check-bluetooth"),
                       QStringLiteral("Print what the program sees of Bluetooth (daemon, adapters, a 5 s scan) and exit.")),
      m_help(m_parser.addHelpOption()),
      m_version(m_parser.addVersionOption())
{
    m_parser.setApplicationDescription(
        QStringLiteral("Vireosant grow-box controller. Without --user-data or --data-dir the working folders "
                       "are kept in the current directory."));
    m_parser.addOption(m_demo);
    m_parser.addOption(m_userData);
    m_parser.addOption(m_dataDir);
    m_parser.addOption(m_checkBluetooth);
}

bool StartOptions::asksForTextOnly(const QStringList &arguments)
{
    return m_parser.parse(arguments)
           && (m_parser.isSet(m_help) || m_parser.isSet(m_version) || m_parser.isSet(m_checkBluetooth));
}

bool StartOptions::process(const QCoreApplication &app, QString *error)
{
    m_parser.process(app);
    return checkFolderOptions(error);
}

bool StartOptions::parse(const QStringList &arguments, QString *error)
{
    if (!m_parser.parse(arguments)) {
        *error = m_parser.errorText();
        return false;
    }
    return checkFolderOptions(error);
}

bool StartOptions::checkFolderOptions(QString *error) const
{
    if (m_parser.isSet(m_userData) && m_parser.isSet(m_dataDir)) {
        *error = QStringLiteral("--user-data and --data-dir exclude each other");
        return false;
    }
    return true;
}

bool StartOptions::demo() const
{
    return m_parser.isSet(m_demo);
}

bool StartOptions::checkBluetooth() const
{
    return m_parser.isSet(m_checkBluetooth);
}

DataFolder::Choice StartOptions::folderChoice() const
{
    if (m_parser.isSet(m_dataDir))
        return DataFolder::Given;
    if (!m_parser.isSet(m_userData))
        return DataFolder::CurrentDirectory;
    return demo() ? DataFolder::UserDemoData : DataFolder::UserData;
}

QString StartOptions::dataDir() const
{
    return m_parser.value(m_dataDir);
}
