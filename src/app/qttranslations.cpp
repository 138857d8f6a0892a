#include "app/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool installQtTranslations(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    // "qt" is the catalogue that pulls in the modules' own (qtbase, qtmultimedia, ...)
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
