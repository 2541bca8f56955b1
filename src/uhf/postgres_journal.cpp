#include "postgres_journal.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>
#include <QVariant>
#include <cerrno>
#include <csignal>
#include <dlfcn.h>

namespace {

// How long the session of a holder gone from this host may keep its lock.
constexpr int goneHolderWaitMs = 2000;

// The holder recorded is a process of this host that no longer runs.
bool holderIsGone(const QString& holder) {
    static const QRegularExpression recorded(QStringLiteral("^host (.*), pid (\\d+), since "));
    const QRegularExpressionMatch match = recorded.match(holder);
    return match.hasMatch() && match.captured(1) == QSysInfo::machineHostName() &&
           ::kill(pid_t(match.captured(2).toLongLong()), 0) != 0 && errno == ESRCH;
}

// The server's notices (the warning of a shutdown among them) are not for
// the operator, and libpq would print them on stderr. libpq is there with
// the driver; the journal does not link it itself.
void quietNotices(const QSqlDatabase& db) {
    using Processor = void (*)(void*, const char*);
    using SetProcessor = Processor (*)(void*, Processor, void*);
    const QVariant handle = db.driver()->handle();
    // The driver's plugin loaded libpq out of the process's global scope.
    void* libpq = dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
    const auto set =
        libpq ? reinterpret_cast<SetProcessor>(dlsym(libpq, "PQsetNoticeProcessor")) : nullptr;
    if (set && handle.isValid())
        set(
            *static_cast<void* const*>(handle.constData()), [](void*, const char*) {}, nullptr);
    if (libpq)
        dlclose(libpq);
}

} // namespace

bool PostgresJournal::open(const QString& connection, Access access) {
    const QUrl url(address_.url);
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
    if (!db_.isValid())
        return fail(QStringLiteral("打开"), QStringLiteral("没有数据库驱动"));
    db_.setHostName(url.host());
    if (url.port() > 0)
        db_.setPort(url.port());
    db_.setUserName(url.userName(QUrl::FullyDecoded));
    // Without one, libpq's PGPASSWORD and ~/.pgpass apply.
    db_.setPassword(url.password(QUrl::FullyDecoded));
    db_.setDatabaseName(url.path(QUrl::FullyDecoded).mid(1));
    // Each query value decoded once and quoted, so that it stays one value
    // of its own keyword; the driver splits the options at ';'.
    static const QRegularExpression keyword(QStringLiteral("^[a-z_]+$"));
    QStringList options;
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (!keyword.match(key).hasMatch() || value.contains(QLatin1Char(';')))
            return fail(QStringLiteral("打开"),
                        QStringLiteral("the address option '%1' cannot be passed on").arg(key));
        options << key + QStringLiteral("='") +
                       QString(value)
                           .replace('\\', QStringLiteral("\\\\"))
                           .replace('\'', QStringLiteral("\\'")) +
                       '\'';
    }
    db_.setConnectOptions(options.join(';'));
    if (!db_.open())
        return fail(QStringLiteral("打开"), db_.lastError().text());
    quietNotices(db_);
    // A stopped station must not hold the others up for longer than SQLite
    // would, and the server's notices are not for the operator.
    for (const QString& setting :
         {QStringLiteral("SET client_min_messages = warning"),
          QStringLiteral("SET lock_timeout = %1").arg(journalWaitLimitMs),
          QStringLiteral("SET statement_timeout = %1").arg(journalWaitLimitMs)})
        if (!exec(setting))
            return false;
    QSqlQuery tables(db_);
    if (!tables.exec(QStringLiteral(
            "SELECT to_regclass('tags') IS NOT NULL, to_regclass('stations') IS NOT NULL AND "
            "to_regclass('tags_released') IS NOT NULL")) ||
        !tables.next())
        return fail(QStringLiteral("打开"), tables.lastError().text());
    if (access == Access::Read) {
        if (!tables.value(0).toBool()) {
            error_ = QStringLiteral("no journal at %1").arg(address_.display);
            return false;
        }
        return exec(QStringLiteral("SET default_transaction_read_only = on"));
    }
    created_ = !tables.value(0).toBool();
    // The stations table comes last: with it and the latest index the journal
    // is complete, and altering it again would queue behind the running
    // stations' locks. An older journal gets the indexes it lacks.
    return tables.value(1).toBool() || createTables();
}

bool PostgresJournal::createTables() {
    const QStringList statements =
        commonTables(QStringLiteral("BIGSERIAL PRIMARY KEY"))
        << QStringLiteral("ALTER TABLE series ADD COLUMN IF NOT EXISTS last TEXT")
        << QStringLiteral("CREATE TABLE IF NOT EXISTS stations (id SERIAL PRIMARY KEY, "
                          "name TEXT NOT NULL UNIQUE, holder TEXT NOT NULL)");
    if (!begin())
        return false;
    // Two stations starting at once must not both create the tables; the
    // second one finds them complete and leaves them alone, or its schema
    // changes would deadlock with the first one's reservations.
    QSqlQuery complete(db_);
    if (!exec(QStringLiteral("SELECT pg_advisory_xact_lock(7215)")) ||
        // A plain read of the catalogue: to_regclass() may still answer
        // from before the other station's commit.
        !complete.exec(
            QStringLiteral("SELECT EXISTS (SELECT 1 FROM pg_catalog.pg_tables WHERE schemaname = "
                           "current_schema() AND tablename = 'stations') AND EXISTS (SELECT 1 "
                           "FROM pg_catalog.pg_indexes WHERE schemaname = current_schema() AND "
                           "indexname = 'tags_released')")) ||
        !complete.next()) {
        rollback();
        return false;
    }
    if (complete.value(0).toBool())
        return exec(QStringLiteral("COMMIT"));
    return createInTransaction(statements);
}

bool PostgresJournal::begin() {
    return exec(QStringLiteral("BEGIN"));
}

bool PostgresJournal::lockSeries(qint64 series) {
    // The series row is the lock that puts the stations' reservations in a row.
    QSqlQuery lock(db_);
    lock.prepare(QStringLiteral("SELECT id FROM series WHERE id = ? FOR UPDATE"));
    lock.addBindValue(series);
    return lock.exec() || fail(QStringLiteral("预留"), lock.lastError().text());
}

QString PostgresJournal::integrityStatement() const {
    // A read of every row.
    return QStringLiteral(
        "SELECT 'ok' FROM (SELECT COUNT(*) FROM tags) t, (SELECT COUNT(*) FROM series) s");
}

IssuingJournal::Status PostgresJournal::hold(const QString& station, const QString& holder) {
    QSqlQuery row(db_);
    row.prepare(QStringLiteral("INSERT INTO stations (name, holder) VALUES (?, '') ON CONFLICT "
                               "(name) DO NOTHING"));
    row.addBindValue(station);
    QSqlQuery find(db_);
    find.prepare(QStringLiteral("SELECT id, holder FROM stations WHERE name = ?"));
    find.addBindValue(station);
    if (!row.exec() || !find.exec() || !find.next()) {
        fail(QStringLiteral("占用工位"),
             (row.lastError().isValid() ? row : find).lastError().text());
        return Status::Failed;
    }
    const int id = find.value(0).toInt();
    const QString by = find.value(1).toString();
    // A session lock: the server lets it go when the connection ends, a
    // moment after a killed holder's end.
    QSqlQuery lock(db_);
    lock.prepare(QStringLiteral("SELECT pg_try_advisory_lock(7216, ?)"));
    lock.addBindValue(id);
    QElapsedTimer waited;
    waited.start();
    bool held = false;
    for (;;) {
        if (!lock.exec() || !lock.next()) {
            fail(QStringLiteral("占用工位"), lock.lastError().text());
            return Status::Failed;
        }
        held = lock.value(0).toBool();
        if (held || !holderIsGone(by) || waited.elapsed() >= goneHolderWaitMs)
            break;
        QThread::msleep(20);
    }
    if (!held) {
        error_ = QStringLiteral("station %1 is in use by another process (%2)")
                     .arg(station, by.isEmpty() ? QStringLiteral("starting") : by);
        return Status::Conflict;
    }
    QSqlQuery mark(db_);
    mark.prepare(QStringLiteral("UPDATE stations SET holder = ? WHERE id = ?"));
    mark.addBindValue(holder);
    mark.addBindValue(id);
    if (!mark.exec()) {
        fail(QStringLiteral("占用工位"), mark.lastError().text());
        return Status::Failed;
    }
    return Status::Ok;
}
