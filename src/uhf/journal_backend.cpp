#include "journal_backend.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// The steps a journal failure names: callers pass them as they stand here.
const char* const kSteps[] = {
    QT_TRANSLATE_NOOP("IssuingJournal", "打开"), QT_TRANSLATE_NOOP("IssuingJournal", "建立"),
    QT_TRANSLATE_NOOP("IssuingJournal", "读取"), QT_TRANSLATE_NOOP("IssuingJournal", "更新"),
    QT_TRANSLATE_NOOP("IssuingJournal", "检查"), QT_TRANSLATE_NOOP("IssuingJournal", "预留"),
    QT_TRANSLATE_NOOP("IssuingJournal", "操作"), QT_TRANSLATE_NOOP("IssuingJournal", "占用工位"),
};

QString stepText(const QString& what) {
    for (const char* step : kSteps)
        if (what == QString::fromUtf8(step))
            return QCoreApplication::translate("IssuingJournal", step);
    return what;
}

} // namespace

QString journalFailure(const QString& what, const QString& reason) {
    // What libpq and Qt say once the server has gone, mid-statement or after.
    static const QRegularExpression lost(
        QStringLiteral("server closed the connection|terminating connection|no connection to "
                       "the server|could not (send|receive) data|SSL SYSCALL|database not open"),
        QRegularExpression::CaseInsensitiveOption);
    if (reason.contains(lost))
        return QCoreApplication::translate(
                   "IssuingJournal",
                   "发卡记录%"
                   "1失败：发卡记录的服务器断开了连接：请检查服务器是否在运行，然后重新开始")
            .arg(stepText(what));
    // One line, whatever the driver put into the message.
    return QCoreApplication::translate("IssuingJournal", "发卡记录%1失败：%2")
        .arg(stepText(what), reason.simplified());
}

bool JournalBackend::fail(const QString& what, const QString& reason) {
    error_ = journalFailure(what, reason);
    return false;
}

bool JournalBackend::exec(const QString& statement) {
    QSqlQuery query(db_);
    return query.exec(statement) || fail(QStringLiteral("操作"), query.lastError().text());
}

void JournalBackend::rollback() {
    QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
}

QStringList JournalBackend::commonTables(const QString& key) {
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS series (id %1, start TEXT NOT NULL, "
                       "step TEXT NOT NULL, reverse INTEGER NOT NULL, created TEXT NOT NULL, "
                       "last TEXT, UNIQUE (start, step, reverse))")
            .arg(key),
        QStringLiteral("CREATE TABLE IF NOT EXISTS tags (id %1, series BIGINT NOT NULL "
                       "REFERENCES series (id), epc TEXT NOT NULL, tid TEXT NOT NULL, "
                       "station TEXT NOT NULL, time TEXT NOT NULL, outcome TEXT NOT NULL)")
            .arg(key),
        // A number and a tag are held by one record at most, released ones aside.
        QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS tags_epc ON tags (epc) "
                       "WHERE outcome <> 'released'"),
        QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS tags_tid ON tags (tid) "
                       "WHERE outcome <> 'released'"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS tags_series ON tags (series, id)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS tags_series_epc ON tags (series, epc)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS tags_series_outcome ON tags (series, outcome)"),
        // The released numbers of a series, the candidates taken again first.
        QStringLiteral("CREATE INDEX IF NOT EXISTS tags_released ON tags (series, epc) "
                       "WHERE outcome = 'released'"),
        // A station's newest record and its pending ones, read as it starts.
        QStringLiteral("CREATE INDEX IF NOT EXISTS tags_station ON tags (station, id)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS tags_pending ON tags (station, id) "
                       "WHERE outcome = 'pending'"),
        // Released numbers no record holds again, kept by the database on
        // each change of a record (see the backends' triggers).
        QStringLiteral("CREATE TABLE IF NOT EXISTS free_numbers (series BIGINT NOT NULL, epc TEXT "
                       "NOT NULL, PRIMARY KEY (series, epc))"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS free_numbers_epc ON free_numbers (epc)"),
    };
}

QString JournalBackend::freeNumbersOfOlderJournal() {
    return QStringLiteral(
        "INSERT INTO free_numbers (series, epc) SELECT DISTINCT series, epc FROM "
        "tags t WHERE outcome = 'released' AND NOT EXISTS (SELECT 1 FROM tags u "
        "WHERE u.epc = t.epc AND u.outcome <> 'released') ON CONFLICT DO NOTHING");
}

QString namedStatement(IssuingJournal::PerTag which, const QStringList& names) {
    QString statement = IssuingJournal::perTagStatement(which);
    for (const QString& name : names)
        statement.replace(statement.indexOf(QLatin1Char('?')), 1, name);
    return statement;
}

bool JournalBackend::createInTransaction(const QStringList& statements) {
    for (const QString& statement : statements)
        if (!exec(statement)) {
            rollback();
            return false;
        }
    return exec(QStringLiteral("COMMIT"));
}
