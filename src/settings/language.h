#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The language the program speaks: Chinese, the source text of every message,
// or a language of which translations/ has a catalog (English).
//
// Both programs call install() once, before the first text is made:
//   rfid-setup-cli:  language::install(language::choose(), {language::kCoreCatalog});
//   rfid-setup:      language::install(language::choose(saved),
//                                      {language::kCoreCatalog, language::kWindowCatalog});
//                    installQtTranslation(language::current());
// where `saved` is the window's own choice, kept in its settings ("zh", "en",
// or empty to follow the locale); a known code there beats the locale.
namespace language {

// The catalogs: the core's texts (protocol, serial port, settings, UHF,
// command-line tool), shared by both programs, and the window's own.
inline constexpr const char* kCoreCatalog = "rfid-setup-core";
inline constexpr const char* kWindowCatalog = "rfid-setup";
// Chinese: the source text, no catalog to load.
inline constexpr const char* kDefault = "zh";

struct Language {
    const char* code;
    // Its own name, for a menu.
    const char* name;
    // Qt's own catalog of that language in Qt's translations folder (dialog
    // buttons, file dialogs); empty where Qt's texts already are that language.
    const char* qtCatalog;
};
// Every language the program speaks, the default first.
const QList<Language>& languages();

// The language asked for: a known `override` first, else the locale in
// gettext's order (LANGUAGE, a colon list, then LC_ALL, LC_MESSAGES, LANG;
// the first one set and not empty decides; C and POSIX mean the default; a
// language without a catalog is passed over within LANGUAGE's list).
// `environment` reads a variable (the process environment by default).
QString choose(const QString& override = QString(),
               const std::function<QString(const char*)>& environment = {});

// Installs the named catalogs of the language in the application, each from
// the installed translations folder beside the program or else from the
// copy built into the program. The default language installs nothing. False
// when a catalog was not found (its texts then stay Chinese).
bool install(const QString& code, const QStringList& catalogs);

// The language installed last (the default before any install).
QString current();

} // namespace language
