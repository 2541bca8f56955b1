#pragma once

#include <QString>

// Qt's own texts (dialog buttons, file dialogs) in Chinese, like the rest of
// the program: loads Qt's Chinese translation from the folder (Qt's own
// translations folder by default) and installs it in the application. A
// missing file is not an error: Qt's texts then stay in English. True when
// the translation was installed.
bool installQtTranslation(const QString& folder = QString());
