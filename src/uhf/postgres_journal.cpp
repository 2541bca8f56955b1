#include "postgres_journal.h"

#include <QCoreApplication>
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

const QString reserveSignature =
    QStringLiteral("journal_reserve(bigint,text,text,boolean,text,text,text,text)");

// The reservation as one call (IssuingJournal::PerTag::Reserve): the series
// row is held while it runs, and every statement in it reads what the
// station before it committed. Numbers are picked as the journal picks them:
// the lowest released one no other record holds, else the one after the
// furthest; 3 past the series' last number, 1 the number held, 2 the tag.
// Its plans are made once per session from the statistics of the moment,
// which lag behind a growing journal: one made when a series had a few
// records would read and sort all of them for every tag later (a bitmap scan
// of the series, then a sort), so only the walks down an index are left. A
// plan that must sort anyway then costs so much that the server would
// compile it to machine code at every call: not for statements this short.
QStringList reservationFunctions() {
    // A number's value, big-endian (the first byte least significant when reverse).
    const QString value = QStringLiteral(
        "CREATE OR REPLACE FUNCTION journal_value(p_number TEXT, p_reverse BOOLEAN) RETURNS "
        "NUMERIC LANGUAGE plpgsql IMMUTABLE STRICT AS $$\n"
        "DECLARE digits TEXT := CASE WHEN p_reverse THEN journal_swapped(upper(p_number)) ELSE "
        "upper(p_number) END; total NUMERIC := 0; digit INTEGER;\n"
        "BEGIN\n"
        "  FOR i IN 1..length(digits) LOOP\n"
        "    digit := strpos('0123456789ABCDEF', substr(digits, i, 1)) - 1;\n"
        "    IF digit < 0 THEN RAISE EXCEPTION 'not a hex number: %', p_number; END IF;\n"
        "    total := total * 16 + digit;\n"
        "  END LOOP;\n"
        "  RETURN total;\n"
        "END $$");
    const QString swapped = QStringLiteral(
        "CREATE OR REPLACE FUNCTION journal_swapped(p_digits TEXT) RETURNS TEXT LANGUAGE sql "
        "IMMUTABLE STRICT AS $$ SELECT coalesce(string_agg(substr(p_digits, i, 2), '' ORDER BY "
        "i DESC), '') FROM generate_series(1, length(p_digits), 2) i $$");
    // The number after this one, the shorter text zero-filled first and a
    // carry out of the top byte adding a byte 01; null past the last number.
    const QString following = QStringLiteral(
        "CREATE OR REPLACE FUNCTION journal_following(p_number TEXT, p_step TEXT, p_reverse "
        "BOOLEAN, p_last TEXT) RETURNS TEXT LANGUAGE plpgsql IMMUTABLE STRICT AS $$\n"
        "DECLARE width INTEGER := greatest(length(p_number), length(p_step));\n"
        "  total NUMERIC := journal_value(lpad(p_number, width, '0'), p_reverse) + "
        "journal_value(lpad(p_step, width, '0'), false);\n"
        "  digits TEXT := '';\n"
        "BEGIN\n"
        "  IF total > journal_value(p_last, p_reverse) THEN RETURN NULL; END IF;\n"
        "  IF total >= 16::NUMERIC ^ width THEN width := width + 2; END IF;\n"
        "  FOR i IN 1..width LOOP\n"
        "    digits := substr('0123456789ABCDEF', mod(total, 16)::INTEGER + 1, 1) || digits;\n"
        "    total := div(total, 16);\n"
        "  END LOOP;\n"
        "  RETURN CASE WHEN p_reverse THEN journal_swapped(digits) ELSE digits END;\n"
        "END $$");
    using PerTag = IssuingJournal::PerTag;
    const QString reserve =
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION %1(p_series BIGINT, p_start TEXT, p_step TEXT, "
            "p_reverse BOOLEAN, p_last TEXT, p_tid TEXT, p_station TEXT, p_time TEXT, OUT "
            "reserved_status INTEGER, OUT reserved_id BIGINT, OUT reserved_epc TEXT) LANGUAGE "
            "plpgsql SET enable_bitmapscan = off SET enable_sort = off SET jit = off AS $$\n"
            "DECLARE furthest TEXT; held INTEGER;\n"
            "BEGIN\n"
            "  PERFORM 1 FROM series WHERE id = p_series FOR NO KEY UPDATE;\n"
            "  SELECT epc INTO reserved_epc FROM (%2) r ORDER BY journal_value(epc, p_reverse) "
            "LIMIT 1;\n"
            "  IF reserved_epc IS NULL THEN\n"
            "    SELECT epc INTO furthest FROM (%3) f;\n"
            "    reserved_epc := CASE WHEN furthest IS NULL THEN p_start ELSE "
            "journal_following(furthest, p_step, p_reverse, p_last) END;\n"
            "    IF reserved_epc IS NULL THEN reserved_status := 3; RETURN; END IF;\n"
            "  END IF;\n"
            "  SELECT which INTO held FROM (%4) h (which) LIMIT 1;\n"
            "  IF held IS NOT NULL THEN reserved_status := held + 1; RETURN; END IF;\n"
            "  %5 RETURNING id INTO reserved_id;\n"
            "  reserved_status := 0;\n"
            "END $$")
            .arg(QStringLiteral("journal_reserve"), namedStatement(PerTag::Released, {"p_series"}),
                 namedStatement(PerTag::Furthest, {"p_series"}),
                 namedStatement(PerTag::Held, {"reserved_epc", "p_tid"}),
                 namedStatement(PerTag::Insert,
                                {"p_series", "reserved_epc", "p_tid", "p_station", "p_time"}));
    // The free numbers follow every record's change, whichever program makes it.
    const QString numbers =
        QStringLiteral("CREATE OR REPLACE FUNCTION journal_numbers() RETURNS trigger LANGUAGE "
                       "plpgsql AS $$\n"
                       "BEGIN\n"
                       "  IF NEW.outcome = 'released' THEN %1; ELSE %2; END IF;\n"
                       "  RETURN NULL;\n"
                       "END $$")
            .arg(namedStatement(PerTag::Freed, {"NEW.series", "NEW.epc"}),
                 namedStatement(PerTag::Taken, {"NEW.epc"}));
    return {swapped,
            value,
            following,
            reserve,
            numbers,
            QStringLiteral("CREATE OR REPLACE TRIGGER tags_added AFTER INSERT ON tags FOR EACH ROW "
                           "EXECUTE FUNCTION journal_numbers()"),
            QStringLiteral("CREATE OR REPLACE TRIGGER tags_freed AFTER UPDATE OF outcome ON tags "
                           "FOR EACH ROW WHEN (NEW.outcome = 'released' AND OLD.outcome <> "
                           "'released') EXECUTE FUNCTION journal_numbers()")};
}

} // namespace

bool PostgresJournal::open(const QString& connection, Access access) {
    const QUrl url(address_.url);
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
    if (!db_.isValid())
        return fail(QStringLiteral("打开"),
                    QCoreApplication::translate("IssuingJournal", "没有数据库驱动"));
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
                        QCoreApplication::translate("IssuingJournal",
                                                    "地址选项“%1”不能传给数据库：请去掉或改正它")
                            .arg(key));
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
    if (!tables.exec(
            QStringLiteral(
                "SELECT to_regclass('tags') IS NOT NULL, to_regclass('stations') IS NOT NULL AND "
                "to_regclass('free_numbers') IS NOT NULL AND to_regprocedure('%1') IS NOT NULL")
                .arg(reserveSignature)) ||
        !tables.next())
        return fail(QStringLiteral("打开"), tables.lastError().text());
    if (access == Access::Read) {
        if (!tables.value(0).toBool()) {
            error_ = QCoreApplication::translate("IssuingJournal",
                                                 "%1 处没有发卡记录")
                         .arg(address_.display);
            return false;
        }
        return exec(QStringLiteral("SET default_transaction_read_only = on"));
    }
    created_ = !tables.value(0).toBool();
    // The stations table comes last: with it and the free numbers the journal
    // is complete, and altering it again would queue behind the running
    // stations' locks. An older journal gets the indexes it lacks.
    return tables.value(1).toBool() || createTables();
}

bool PostgresJournal::createTables() {
    const QStringList statements =
        commonTables(QStringLiteral("BIGSERIAL PRIMARY KEY"))
        << QStringLiteral("ALTER TABLE series ADD COLUMN IF NOT EXISTS last TEXT")
        << reservationFunctions() << freeNumbersOfOlderJournal()
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
                           "FROM pg_catalog.pg_tables WHERE schemaname = current_schema() AND "
                           "tablename = 'free_numbers') AND EXISTS (SELECT 1 FROM "
                           "pg_catalog.pg_proc WHERE proname = 'journal_reserve' AND "
                           "pronamespace = current_schema()::regnamespace)")) ||
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
        error_ =
            QCoreApplication::translate(
                "IssuingJournal",
                "工位 %1 正被另一个进程使用（%2）：请先结束那个进程，或换一个工位名称")
                .arg(station,
                     by.isEmpty() ? QCoreApplication::translate("IssuingJournal", "正在启动") : by);
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
