#pragma once

#include <QString>

// Qt's own texts (dialog buttons, file dialogs) in the program's language
// (language::current() by default): loads Qt's catalog of that language from
// the folder (Qt's own translations folder by default) and installs it in the
// application. English needs none. A missing file is not an error: Qt's texts
// then stay in English. True when a translation was installed.
bool installQtTranslation(const QString& folder = QString(), const QString& language = QString());
