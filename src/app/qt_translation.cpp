#include "qt_translation.h"

#include "settings/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool installQtTranslation(const QString& folder, const QString& language) {
    const QString code = language.isEmpty() ? language::current() : language;
    QString catalog;
    for (const language::Language& known : language::languages())
        if (code == QLatin1String(known.code))
            catalog = QString::fromLatin1(known.qtCatalog);
    if (catalog.isEmpty())
        return false;
    const QString from =
        folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(catalog, from) && QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}
