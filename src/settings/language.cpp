#include "language.h"

#include <QCoreApplication>
#include <QDir>
#include <QTranslator>

namespace language {

namespace {

QString installed = QString::fromLatin1(kDefault);

// The code of a known language a locale name ("en_US.UTF-8", "zh_CN") is
// in; empty for an unknown one.
QString knownLanguage(const QString& locale) {
    for (const Language& language : languages())
        if (locale.startsWith(QLatin1String(language.code)))
            return QString::fromLatin1(language.code);
    return QString();
}

bool isPosixLocale(const QString& locale) {
    const QString name = locale.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    return name == QLatin1String("C") || name == QLatin1String("POSIX");
}

QString fromProcess(const char* name) {
    return qEnvironmentVariable(name);
}

} // namespace

const QList<Language>& languages() {
    static const QList<Language> all = {
        {"zh", "中文", "qtbase_zh_CN"},
        {"en", "English", ""},
    };
    return all;
}

QString choose(const QString& override, const std::function<QString(const char*)>& environment) {
    if (!knownLanguage(override).isEmpty())
        return knownLanguage(override);
    const auto variable = environment ? environment : fromProcess;
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = variable(name);
        if (value.isEmpty())
            continue;
        if (isPosixLocale(value))
            return QString::fromLatin1(kDefault);
        for (const QString& entry : value.split(QLatin1Char(':'), Qt::SkipEmptyParts))
            if (!knownLanguage(entry).isEmpty())
                return knownLanguage(entry);
        return QString::fromLatin1(kDefault);
    }
    return QString::fromLatin1(kDefault);
}

bool install(const QString& code, const QStringList& catalogs) {
    installed = code;
    if (code == QLatin1String(kDefault))
        return true;
    const QStringList folders = {QDir(QCoreApplication::applicationDirPath())
                                     .filePath(QStringLiteral("../share/rfid-setup/translations")),
                                 QStringLiteral(":/translations")};
    bool all = true;
    for (const QString& catalog : catalogs) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        const QString file = catalog + QLatin1Char('_') + code;
        bool loaded = false;
        for (const QString& folder : folders)
            if ((loaded = translator->load(file, folder)))
                break;
        if (loaded && QCoreApplication::installTranslator(translator))
            continue;
        delete translator;
        all = false;
    }
    return all;
}

QString current() {
    return installed;
}

} // namespace language
