#include "issuing_journal.h"

#include "epc_number.h"
#include "gs1_epc.h"
#include "protocol/conversion.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUrl>
#include <QVariant>
#include <atomic>

namespace {

const char* const outcomeNames[] = {"pending", "written", "uncertain", "released"};

IssuingJournal::Outcome outcomeOf(const QString& name) {
    for (int i = 0; i < 4; ++i)
        if (name == QLatin1String(outcomeNames[i]))
            return IssuingJournal::Outcome(i);
    return IssuingJournal::Outcome::Uncertain;
}

const QString recordColumns = QStringLiteral("id, series, epc, tid, station, time, outcome");

IssuingJournal::Record recordOf(const QSqlQuery& query) {
    IssuingJournal::Record record;
    record.id = query.value(0).toLongLong();
    record.series = query.value(1).toLongLong();
    record.epc = query.value(2).toString();
    record.tid = query.value(3).toString();
    record.station = query.value(4).toString();
    record.time = query.value(5).toString();
    record.outcome = outcomeOf(query.value(6).toString());
    return record;
}

IssuingJournal::Series seriesOf(const QSqlQuery& query) {
    return {query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(),
            query.value(3).toInt() != 0};
}

} // namespace

QString outcomeName(IssuingJournal::Outcome outcome) {
    return QLatin1String(outcomeNames[int(outcome)]);
}

IssuingJournal::IssuingJournal() {
    static std::atomic<int> counter{0};
    connection_ = QStringLiteral("issuing-journal-%1").arg(counter++);
}

IssuingJournal::~IssuingJournal() {
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection_);
}

QString IssuingJournal::defaultLocation() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/rfid-setup/journal.sqlite");
}

bool IssuingJournal::fail(const QString& what, const QString& reason) {
    error_ = QStringLiteral("发卡记录%1失败：%2").arg(what, reason.trimmed());
    return false;
}

bool IssuingJournal::exec(const QString& statement) {
    QSqlQuery query(db_);
    return query.exec(statement) || fail(QStringLiteral("操作"), query.lastError().text());
}

bool IssuingJournal::open(const QString& location) {
    if (location.startsWith(QLatin1String("postgresql://")) ||
        location.startsWith(QLatin1String("postgres://"))) {
        const QUrl url(location);
        postgres_ = true;
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection_);
        db_.setHostName(url.host());
        if (url.port() > 0)
            db_.setPort(url.port());
        db_.setUserName(url.userName());
        db_.setPassword(url.password());
        db_.setDatabaseName(url.path().mid(1));
    } else {
        QString file = location;
        if (file.startsWith(QLatin1String("sqlite:")))
            file = file.mid(7);
        if (file.isEmpty())
            file = defaultLocation();
        if (!QDir().mkpath(QFileInfo(file).absolutePath()))
            return fail(QStringLiteral("打开"),
                        QStringLiteral("无法建立文件夹 ") + QFileInfo(file).absolutePath());
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
        db_.setDatabaseName(file);
        // Another station's transaction is waited for, not taken as an error.
        db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=20000"));
    }
    if (!db_.isValid())
        return fail(QStringLiteral("打开"), QStringLiteral("没有数据库驱动"));
    if (!db_.open())
        return fail(QStringLiteral("打开"), db_.lastError().text());
    // WAL: readers do not block the writer, and a commit is one append.
    if (!postgres_ && !exec(QStringLiteral("PRAGMA journal_mode=WAL")))
        return false;
    return createTables();
}

bool IssuingJournal::createTables() {
    const QString key =
        postgres_ ? QStringLiteral("BIGSERIAL PRIMARY KEY") : QStringLiteral("INTEGER PRIMARY KEY");
    const QString statements[] = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS series (id %1, start TEXT NOT NULL, "
                       "step TEXT NOT NULL, reverse INTEGER NOT NULL, created TEXT NOT NULL, "
                       "UNIQUE (start, step, reverse))")
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
    };
    if (!begin())
        return false;
    // Two stations starting at once must not both create the tables.
    if (postgres_ && !exec(QStringLiteral("SELECT pg_advisory_xact_lock(7215)"))) {
        rollback();
        return false;
    }
    for (const QString& statement : statements)
        if (!exec(statement)) {
            rollback();
            return false;
        }
    return exec(QStringLiteral("COMMIT"));
}

bool IssuingJournal::begin() {
    // IMMEDIATE takes SQLite's write lock at once, so two writers queue
    // instead of failing when the reader in each wants to become a writer.
    return exec(postgres_ ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
}

void IssuingJournal::rollback() {
    QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
}

std::optional<IssuingJournal::Series> IssuingJournal::lastSeries() {
    QSqlQuery query(db_);
    if (!query.exec(QStringLiteral(
            "SELECT s.id, s.start, s.step, s.reverse FROM series s LEFT JOIN "
            "(SELECT series, MAX(id) AS last FROM tags GROUP BY series) t ON t.series = s.id "
            "ORDER BY COALESCE(t.last, 0) DESC, s.id DESC LIMIT 1"))) {
        fail(QStringLiteral("读取"), query.lastError().text());
        return std::nullopt;
    }
    if (!query.next())
        return std::nullopt;
    return seriesOf(query);
}

std::optional<IssuingJournal::Series>
IssuingJournal::openSeries(const QString& start, const QString& step, bool reverse) {
    try {
        addhex(start, step, reverse);
    } catch (const ConversionError& error) {
        fail(QStringLiteral("建立"), error.message());
        return std::nullopt;
    }
    const QString upperStart = start.toUpper();
    const QString upperStep = step.toUpper();
    QSqlQuery insert(db_);
    insert.prepare(QStringLiteral("INSERT INTO series (start, step, reverse, created) "
                                  "VALUES (?, ?, ?, ?) ON CONFLICT DO NOTHING"));
    insert.addBindValue(upperStart);
    insert.addBindValue(upperStep);
    insert.addBindValue(int(reverse));
    insert.addBindValue(now().toString(Qt::ISODateWithMs));
    QSqlQuery select(db_);
    select.prepare(QStringLiteral("SELECT id, start, step, reverse FROM series WHERE start = ? AND "
                                  "step = ? AND reverse = ?"));
    select.addBindValue(upperStart);
    select.addBindValue(upperStep);
    select.addBindValue(int(reverse));
    if (!insert.exec() || !select.exec() || !select.next()) {
        fail(QStringLiteral("建立"),
             insert.lastError().isValid() ? insert.lastError().text() : select.lastError().text());
        return std::nullopt;
    }
    return seriesOf(select);
}

std::optional<QString> IssuingJournal::nextNumberLocked(const Series& series) {
    QSqlQuery query(db_);
    query.prepare(QStringLiteral("SELECT epc FROM tags WHERE series = ? AND outcome <> "
                                 "'released' ORDER BY id DESC LIMIT 1"));
    query.addBindValue(series.id);
    if (!query.exec()) {
        fail(QStringLiteral("读取"), query.lastError().text());
        return std::nullopt;
    }
    if (!query.next())
        return series.start;
    try {
        return addhex(query.value(0).toString(), series.step, series.reverse);
    } catch (const ConversionError& error) {
        fail(QStringLiteral("读取"), error.message());
        return std::nullopt;
    }
}

std::optional<QString> IssuingJournal::nextNumber(const Series& series) {
    return nextNumberLocked(series);
}

std::optional<IssuingJournal::Record> IssuingJournal::findTid(const QString& tid) {
    error_.clear();
    QSqlQuery query(db_);
    query.prepare(QStringLiteral("SELECT %1 FROM tags WHERE tid = ? AND outcome <> 'released'")
                      .arg(recordColumns));
    query.addBindValue(tid);
    if (!query.exec()) {
        fail(QStringLiteral("读取"), query.lastError().text());
        return std::nullopt;
    }
    if (!query.next())
        return std::nullopt;
    return recordOf(query);
}

IssuingJournal::Reservation IssuingJournal::reserve(const Series& series, const QString& tid,
                                                    const QString& station) {
    Reservation reservation;
    if (!begin())
        return reservation;
    auto failed = [&](Status status) {
        rollback();
        reservation.status = status;
        return reservation;
    };
    auto broken = [&](const QSqlQuery& query) {
        fail(QStringLiteral("预留"), query.lastError().text());
        return failed(Status::Failed);
    };
    // The series row is the lock that puts the stations' reservations in a row.
    if (postgres_) {
        QSqlQuery lock(db_);
        lock.prepare(QStringLiteral("SELECT id FROM series WHERE id = ? FOR UPDATE"));
        lock.addBindValue(series.id);
        if (!lock.exec())
            return broken(lock);
    }
    const std::optional<QString> number = nextNumberLocked(series);
    if (!number)
        return failed(Status::Failed);
    QSqlQuery held(db_);
    held.prepare(QStringLiteral("SELECT epc, tid FROM tags WHERE (epc = ? OR tid = ?) AND "
                                "outcome <> 'released'"));
    held.addBindValue(*number);
    held.addBindValue(tid);
    if (!held.exec())
        return broken(held);
    if (held.next()) {
        error_ = held.value(0).toString() == *number
                     ? QStringLiteral("卡号 %1 已在发卡记录中，不能再发").arg(*number)
                     : QStringLiteral("标签 %1 已在发卡记录中，不能再写").arg(tid);
        return failed(Status::Conflict);
    }
    Record& record = reservation.record;
    record = {
        0, series.id, *number, tid, station, now().toString(Qt::ISODateWithMs), Outcome::Pending};
    QSqlQuery insert(db_);
    insert.prepare(QStringLiteral("INSERT INTO tags (series, epc, tid, station, time, outcome) "
                                  "VALUES (?, ?, ?, ?, ?, 'pending')") +
                   (postgres_ ? QStringLiteral(" RETURNING id") : QString()));
    insert.addBindValue(series.id);
    for (const QString& value : {record.epc, record.tid, record.station, record.time})
        insert.addBindValue(value);
    if (!insert.exec())
        return broken(insert);
    record.id = postgres_ && insert.next() ? insert.value(0).toLongLong()
                                           : insert.lastInsertId().toLongLong();
    if (!exec(QStringLiteral("COMMIT")))
        return failed(Status::Failed);
    reservation.status = Status::Ok;
    return reservation;
}

bool IssuingJournal::resolve(qint64 id, Outcome outcome) {
    QSqlQuery query(db_);
    query.prepare(QStringLiteral("UPDATE tags SET outcome = ? WHERE id = ?"));
    query.addBindValue(outcomeName(outcome));
    query.addBindValue(id);
    return query.exec() || fail(QStringLiteral("更新"), query.lastError().text());
}

QList<IssuingJournal::Record> IssuingJournal::pending(const QString& station) {
    QList<Record> found;
    QSqlQuery query(db_);
    query.prepare(
        QStringLiteral("SELECT %1 FROM tags WHERE station = ? AND outcome = 'pending' ORDER BY id")
            .arg(recordColumns));
    query.addBindValue(station);
    if (!query.exec())
        fail(QStringLiteral("读取"), query.lastError().text());
    while (query.next())
        found << recordOf(query);
    return found;
}

QList<IssuingJournal::Record> IssuingJournal::records(int count) {
    QList<Record> found;
    QSqlQuery query(db_);
    const QString last = QStringLiteral("SELECT %1 FROM tags ORDER BY id DESC LIMIT %2")
                             .arg(recordColumns)
                             .arg(count);
    if (!query.exec(count > 0
                        ? QStringLiteral("SELECT * FROM (%1) l ORDER BY id").arg(last)
                        : QStringLiteral("SELECT %1 FROM tags ORDER BY id").arg(recordColumns)))
        fail(QStringLiteral("读取"), query.lastError().text());
    while (query.next())
        found << recordOf(query);
    return found;
}

IssuingJournal::Check IssuingJournal::check() {
    Check result;
    for (const char* column : {"epc", "tid"}) {
        QSqlQuery query(db_);
        if (!query.exec(QStringLiteral("SELECT %1, COUNT(*) FROM tags WHERE outcome <> "
                                       "'released' GROUP BY %1 HAVING COUNT(*) > 1")
                            .arg(QLatin1String(column)))) {
            fail(QStringLiteral("检查"), query.lastError().text());
            result.problems << error_;
        }
        while (query.next())
            result.problems << QStringLiteral("%1 %2 出现 %3 次")
                                   .arg(QString::fromLatin1(column).toUpper(),
                                        query.value(0).toString())
                                   .arg(query.value(1).toInt());
    }
    QSqlQuery counts(db_);
    counts.exec(QStringLiteral("SELECT outcome, COUNT(*) FROM tags GROUP BY outcome"));
    while (counts.next()) {
        const Outcome outcome = outcomeOf(counts.value(0).toString());
        if (outcome == Outcome::Pending)
            result.pending = counts.value(1).toInt();
        else if (outcome == Outcome::Uncertain)
            result.uncertain = counts.value(1).toInt();
    }
    return result;
}

QString IssuingJournal::csv(const QList<Record>& records) {
    static const QRegularExpression needsQuotes(QStringLiteral("[\",\r\n]"));
    QString text = QStringLiteral("id,series,epc,tid,station,time,outcome,uri\n");
    for (const Record& r : records) {
        QStringList fields = {
            QString::number(r.id),  QString::number(r.series), r.epc, r.tid, r.station, r.time,
            outcomeName(r.outcome), gs1::tagUriOf(r.epc)};
        for (QString& field : fields)
            if (field.contains(needsQuotes))
                field = '"' + field.replace('"', QStringLiteral("\"\"")) + '"';
        text += fields.join(',') + '\n';
    }
    return text;
}
