#pragma once

class QCoreApplication;

// Qt's own texts (file dialogs, standard buttons, media errors) in the program's language, Russian,
// whatever the system's locale: a Russian program with English dialogs reads as unfinished. False
// when Qt's translations are not installed; the texts then stay in English.
bool installQtTranslations(QCoreApplication &app);
