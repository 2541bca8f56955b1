#include "issuing_journal.h"

#include "epc_number.h"
#include "gs1_epc.h"
#include "protocol/conversion.h"
#include "protocol/csv_text.h"
#include "protocol/hex_text.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QSysInfo>
#include <QUrl>
#include <QUrlQuery>
#include <QVariant>
#include <atomic>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const outcomeNames[] = {"pending", "written", "uncertain", "released"};

IssuingJournal::Outcome outcomeOf(const QString& name) {
    for (int i = 0; i < 4; ++i)
        if (name == QLatin1String(outcomeNames[i]))
            return IssuingJournal::Outcome(i);
    return IssuingJournal::Outcome::Uncertain;
}

const QString recordColumns = QStringLiteral("id, series, epc, tid, station, time, outcome");

// Waits for another station's transaction or lock end with an error after
// this long instead of hanging the line.
constexpr int waitLimitMs = 20000;
// Numbers walked through one series when looking for gaps.
constexpr int gapWalkLimit = 1000000;
constexpr int maxStationLength = 64;

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

QString largestOfWidth(const QString& number) {
    return QString(number.size(), QLatin1Char('F'));
}

IssuingJournal::Series seriesOf(const QSqlQuery& query) {
    IssuingJournal::Series series{query.value(0).toLongLong(), query.value(1).toString(),
                                  query.value(2).toString(), query.value(3).toInt() != 0,
                                  query.value(4).toString()};
    if (series.last.isEmpty())
        series.last = largestOfWidth(series.start);
    return series;
}

// The number as big-endian digits without leading zeros, so that numbers
// compare by length, then by text.
QString valueOf(const QString& number, bool reverse) {
    QString digits = number.toUpper();
    if (reverse) {
        QString swapped;
        for (qsizetype i = digits.size() - 2; i >= 0; i -= 2)
            swapped += digits.mid(i, 2);
        digits = swapped;
    }
    qsizetype zeros = 0;
    while (zeros < digits.size() && digits[zeros] == QLatin1Char('0'))
        ++zeros;
    return digits.mid(zeros);
}

int compareNumbers(const QString& a, const QString& b, bool reverse) {
    const QString x = valueOf(a, reverse);
    const QString y = valueOf(b, reverse);
    if (x.size() != y.size())
        return x.size() < y.size() ? -1 : 1;
    return x.compare(y);
}

// The number after this one in the series; empty past its last number.
QString following(const QString& number, const IssuingJournal::Series& series) {
    const QString next = addhex(number, series.step, series.reverse);
    // A carry out of the top byte widens the number past any last one.
    if (compareNumbers(next, series.last, series.reverse) > 0)
        return QString();
    return next;
}

// One line, whatever the driver put into the message.
QString oneLine(const QString& text) {
    return text.simplified();
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
    if (leaseFd_ >= 0)
        ::close(leaseFd_);
}

QString IssuingJournal::defaultLocation() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/rfid-setup/journal.sqlite");
}

QString IssuingJournal::defaultStation() {
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() || !stationProblem(host).isEmpty() ? QStringLiteral("station") : host;
}

QString IssuingJournal::stationProblem(const QString& name) {
    bool printable = !name.isEmpty() && name.size() <= maxStationLength;
    for (QChar c : name)
        printable = printable && c.isPrint();
    if (printable)
        return QString();
    return QStringLiteral("a station name is 1 to %1 printable characters, not '%2'")
        .arg(maxStationLength)
        .arg(name);
}

QString IssuingJournal::configuredAddress(const QString& given) {
    if (!given.trimmed().isEmpty())
        return given;
    return QProcessEnvironment::systemEnvironment().value(QStringLiteral("RFID_JOURNAL"));
}

std::optional<IssuingJournal::Address> IssuingJournal::parseAddress(const QString& text,
                                                                    QString* error) {
    static const QRegularExpression password(QStringLiteral("(://[^/@:]*:)[^@/]*@"));
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):(.*)$"));
    static const QRegularExpression schemeName(QStringLiteral("^(postgres(ql)?|pgsql|psql)/"),
                                               QRegularExpression::CaseInsensitiveOption);
    const QString trimmed = text.trimmed();
    Address address;
    address.display = QString(trimmed).replace(password, QStringLiteral("\\1***@"));
    const QRegularExpressionMatch match = scheme.match(trimmed);
    const QString name = match.captured(1).toLower();
    if (match.hasMatch() &&
        (name == QLatin1String("postgresql") || name == QLatin1String("postgres"))) {
        const QUrl url(trimmed, QUrl::StrictMode);
        if (match.captured(2).startsWith(QLatin1String("//")) && url.isValid() &&
            url.path().size() > 1) {
            address.postgres = true;
            address.url = trimmed;
            return address;
        }
    } else if (match.hasMatch() && name == QLatin1String("sqlite")) {
        address.file = match.captured(2).trimmed();
        if (!address.file.isEmpty())
            return address;
    } else if (!match.hasMatch() && !trimmed.contains(QLatin1String("://")) &&
               !schemeName.match(trimmed).hasMatch()) {
        address.file = trimmed.isEmpty() ? defaultLocation() : trimmed;
        if (trimmed.isEmpty())
            address.display = address.file;
        return address;
    }
    *error = QStringLiteral("not a journal address: '%1' (a file path, sqlite:PATH or "
                            "postgresql://[user[:password]@]host[:port]/database)")
                 .arg(address.display);
    return std::nullopt;
}

bool IssuingJournal::fail(const QString& what, const QString& reason) {
    error_ = QStringLiteral("发卡记录%1失败：%2").arg(what, oneLine(reason));
    return false;
}

bool IssuingJournal::exec(const QString& statement) {
    QSqlQuery query(db_);
    return query.exec(statement) || fail(QStringLiteral("操作"), query.lastError().text());
}

bool IssuingJournal::open(const QString& text, Access access) {
    const std::optional<Address> address = parseAddress(text, &error_);
    if (!address)
        return false;
    address_ = *address;
    postgres_ = address_.postgres;
    if (!(postgres_ ? openPostgres(access) : openSqlite(access)))
        return false;
    // Journals from before the series had a last number read as the default.
    QSqlQuery probe(db_);
    seriesColumns_ = probe.exec(QStringLiteral("SELECT last FROM series WHERE 0 = 1"))
                         ? QStringLiteral("id, start, step, reverse, last")
                         : QStringLiteral("id, start, step, reverse, NULL");
    return true;
}

bool IssuingJournal::openSqlite(Access access) {
    const QString file = address_.file;
    const QFileInfo info(file);
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    if (!db_.isValid())
        return fail(QStringLiteral("打开"), QStringLiteral("没有数据库驱动"));
    // Another station's transaction is waited for, not taken as an error.
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(waitLimitMs);
    QString name = file;
    if (access == Access::Read) {
        if (!info.isFile()) {
            error_ = QStringLiteral("no journal at %1").arg(file);
            return false;
        }
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
        // In a folder it may not write to, SQLite reads a journal that no one
        // writes (no -wal file) only when told that it cannot change.
        if (!QFileInfo(info.absolutePath()).isWritable() && !QFileInfo::exists(file + "-wal")) {
            options += QStringLiteral(";QSQLITE_OPEN_URI");
            name = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded) +
                   QStringLiteral("?immutable=1");
        }
    } else {
        created_ = !info.exists() || info.size() == 0;
        if (!QDir().mkpath(info.absolutePath()))
            return fail(QStringLiteral("打开"),
                        QStringLiteral("无法建立文件夹 ") + info.absolutePath());
    }
    db_.setConnectOptions(options);
    db_.setDatabaseName(name);
    if (!db_.open())
        return fail(QStringLiteral("打开"), db_.lastError().text());
    QSqlQuery tables(db_);
    if (!tables.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = 'tags'"))) {
        const QString code = tables.lastError().nativeErrorCode();
        damaged_ = code == QLatin1String("11") || code == QLatin1String("26");
        return fail(QStringLiteral("打开"),
                    file + QStringLiteral(": ") + tables.lastError().text());
    }
    // An empty file is what is left of a journal, not a journal.
    const bool hasTags = tables.next() && tables.value(0).toInt() > 0;
    tables.finish();
    if (access == Access::Read) {
        if (!hasTags) {
            error_ = QStringLiteral("no journal at %1").arg(file);
            return false;
        }
    } else {
        // WAL: readers do not block the writer, and a commit is one append.
        if (!exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !createTables())
            return false;
    }
    struct stat status {};
    if (::stat(QFile::encodeName(file).constData(), &status) == 0) {
        device_ = status.st_dev;
        inode_ = status.st_ino;
    }
    return true;
}

bool IssuingJournal::openPostgres(Access access) {
    const QUrl url(address_.url);
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection_);
    if (!db_.isValid())
        return fail(QStringLiteral("打开"), QStringLiteral("没有数据库驱动"));
    db_.setHostName(url.host());
    if (url.port() > 0)
        db_.setPort(url.port());
    db_.setUserName(url.userName());
    // Without one, libpq's PGPASSWORD and ~/.pgpass apply.
    db_.setPassword(url.password());
    db_.setDatabaseName(url.path().mid(1));
    QStringList options;
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded))
        options << key + '=' + value;
    db_.setConnectOptions(options.join(';'));
    if (!db_.open())
        return fail(QStringLiteral("打开"), db_.lastError().text());
    // A stopped station must not hold the others up for longer than SQLite
    // would, and the server's notices are not for the operator.
    for (const QString& setting : {QStringLiteral("SET client_min_messages = warning"),
                                   QStringLiteral("SET lock_timeout = %1").arg(waitLimitMs),
                                   QStringLiteral("SET statement_timeout = %1").arg(waitLimitMs)})
        if (!exec(setting))
            return false;
    QSqlQuery tables(db_);
    if (!tables.exec(QStringLiteral(
            "SELECT to_regclass('tags') IS NOT NULL, to_regclass('stations') IS NOT NULL")) ||
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
    // The stations table comes last: with it the journal is complete, and
    // altering it again would queue behind the running stations' locks.
    return tables.value(1).toBool() || createTables();
}

bool IssuingJournal::createTables() {
    const QString key =
        postgres_ ? QStringLiteral("BIGSERIAL PRIMARY KEY") : QStringLiteral("INTEGER PRIMARY KEY");
    QStringList statements = {
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
    };
    if (postgres_)
        statements << QStringLiteral("ALTER TABLE series ADD COLUMN IF NOT EXISTS last TEXT")
                   << QStringLiteral("CREATE TABLE IF NOT EXISTS stations (id SERIAL PRIMARY KEY, "
                                     "name TEXT NOT NULL UNIQUE, holder TEXT NOT NULL)");
    if (!begin())
        return false;
    // Two stations starting at once must not both create the tables; the
    // second one finds them complete and leaves them alone, or its schema
    // changes would deadlock with the first one's reservations.
    if (postgres_) {
        QSqlQuery complete(db_);
        if (!exec(QStringLiteral("SELECT pg_advisory_xact_lock(7215)")) ||
            // A plain read of the catalogue: to_regclass() may still answer
            // from before the other station's commit.
            !complete.exec(QStringLiteral(
                "SELECT EXISTS (SELECT 1 FROM pg_catalog.pg_tables WHERE schemaname = "
                "current_schema() AND tablename = 'stations')")) ||
            !complete.next()) {
            rollback();
            return false;
        }
        if (complete.value(0).toBool())
            return exec(QStringLiteral("COMMIT"));
    }
    if (!postgres_) {
        QSqlQuery columns(db_);
        columns.exec(QStringLiteral("PRAGMA table_info(series)"));
        bool hasLast = false;
        bool any = false;
        while (columns.next()) {
            any = true;
            hasLast = hasLast || columns.value(1).toString() == QLatin1String("last");
        }
        if (any && !hasLast)
            statements.insert(1, QStringLiteral("ALTER TABLE series ADD COLUMN last TEXT"));
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

IssuingJournal::Status IssuingJournal::hold(const QString& station) {
    const QString problem = stationProblem(station);
    if (!problem.isEmpty()) {
        error_ = problem;
        return Status::Failed;
    }
    if (station_ == station)
        return Status::Ok;
    if (!station_.isEmpty()) {
        error_ = QStringLiteral("this journal already holds station %1").arg(station_);
        return Status::Failed;
    }
    const QString holder = QStringLiteral("host %1, pid %2, since %3")
                               .arg(QSysInfo::machineHostName())
                               .arg(::getpid())
                               .arg(now().toString(Qt::ISODate));
    const Status status = postgres_ ? holdPostgres(station, holder) : holdSqlite(station, holder);
    if (status == Status::Ok)
        station_ = station;
    return status;
}

IssuingJournal::Status IssuingJournal::holdSqlite(const QString& station, const QString& holder) {
    // One lock file per station beside the journal; the lock dies with the process.
    const QString file =
        address_.file + QStringLiteral(".station-") +
        QString::fromLatin1(
            QCryptographicHash::hash(station.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        fail(QStringLiteral("占用工位"), file + QStringLiteral(": ") + qt_error_string(errno));
        return Status::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        QFile lease;
        QString by;
        if (lease.open(fd, QIODevice::ReadOnly))
            by = QString::fromUtf8(lease.readAll()).trimmed();
        ::close(fd);
        error_ = QStringLiteral("station %1 is in use by another process (%2)")
                     .arg(station, by.isEmpty() ? QStringLiteral("starting") : by);
        return Status::Conflict;
    }
    const QByteArray text = holder.toUtf8() + '\n';
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, text.constData(), size_t(text.size()), 0) < 0) {
        fail(QStringLiteral("占用工位"), file + QStringLiteral(": ") + qt_error_string(errno));
        ::close(fd);
        return Status::Failed;
    }
    leaseFd_ = fd;
    return Status::Ok;
}

IssuingJournal::Status IssuingJournal::holdPostgres(const QString& station, const QString& holder) {
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
    // A session lock: the server lets it go when the connection ends.
    QSqlQuery lock(db_);
    lock.prepare(QStringLiteral("SELECT pg_try_advisory_lock(7216, ?)"));
    lock.addBindValue(id);
    if (!lock.exec() || !lock.next()) {
        fail(QStringLiteral("占用工位"), lock.lastError().text());
        return Status::Failed;
    }
    if (!lock.value(0).toBool()) {
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

bool IssuingJournal::fileUnchanged() {
    if (postgres_)
        return true;
    struct stat status {};
    if (::stat(QFile::encodeName(address_.file).constData(), &status) == 0 &&
        status.st_dev == device_ && status.st_ino == inode_)
        return true;
    error_ = QStringLiteral("the journal %1 was deleted or replaced while in use; stopped")
                 .arg(address_.file);
    return false;
}

std::optional<IssuingJournal::Series> IssuingJournal::findSeries(const QString& condition,
                                                                 const QVariantList& values) {
    QSqlQuery query(db_);
    query.prepare(QStringLiteral("SELECT %1 FROM series WHERE %2").arg(seriesColumns_, condition));
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec()) {
        fail(QStringLiteral("读取"), query.lastError().text());
        return std::nullopt;
    }
    if (!query.next())
        return std::nullopt;
    return seriesOf(query);
}

std::optional<IssuingJournal::Series> IssuingJournal::lastSeries(const QString& station) {
    error_.clear();
    return findSeries(QStringLiteral("id = (SELECT series FROM tags WHERE station = ? ORDER BY "
                                     "id DESC LIMIT 1)"),
                      {station});
}

QString IssuingJournal::seriesProblem(const QString& start, const QString& step, bool reverse,
                                      const QString& last) {
    const QString value = stepValue(step);
    if (hex::digitsOf(step) != step || value == QLatin1String("0"))
        return QStringLiteral("the step is a hex number of 1 or more, not '%1'").arg(step);
    if (value.size() > start.size())
        return QStringLiteral("the step %1 is wider than the start %2").arg(step, start);
    const QString end = last.isEmpty() ? largestOfWidth(start) : last;
    try {
        addhex(start, value, reverse);
        addhex(end, value, reverse);
    } catch (const ConversionError& error) {
        return error.message();
    }
    if (end.size() != start.size() || compareNumbers(start, end, reverse) > 0)
        return QStringLiteral("the last number %1 does not follow the start %2").arg(end, start);
    return QString();
}

std::optional<IssuingJournal::Series> IssuingJournal::openSeries(const QString& start,
                                                                 const QString& step, bool reverse,
                                                                 const QString& last) {
    error_.clear();
    const QString problem = seriesProblem(start, step, reverse, last);
    if (!problem.isEmpty()) {
        fail(QStringLiteral("建立"), problem);
        return std::nullopt;
    }
    const QString upperStart = start.toUpper();
    const QString value = stepValue(step);
    QSqlQuery insert(db_);
    insert.prepare(QStringLiteral("INSERT INTO series (start, step, reverse, created, last) "
                                  "VALUES (?, ?, ?, ?, ?) ON CONFLICT DO NOTHING"));
    insert.addBindValue(upperStart);
    insert.addBindValue(value);
    insert.addBindValue(int(reverse));
    insert.addBindValue(now().toString(Qt::ISODateWithMs));
    insert.addBindValue(last.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : last.toUpper());
    if (!insert.exec()) {
        fail(QStringLiteral("建立"), insert.lastError().text());
        return std::nullopt;
    }
    std::optional<Series> series =
        findSeries(QStringLiteral("start = ? AND step = ? AND reverse = ?"),
                   {upperStart, value, int(reverse)});
    if (!series && error_.isEmpty())
        fail(QStringLiteral("建立"), QStringLiteral("series not found after it was added"));
    return series;
}

IssuingJournal::Status IssuingJournal::nextNumberLocked(const Series& series, QString* number) {
    // A released number no other record holds is taken again first, the lowest one.
    QSqlQuery released(db_);
    released.prepare(QStringLiteral(
        "SELECT DISTINCT epc FROM tags t WHERE series = ? AND outcome = 'released' AND NOT "
        "EXISTS (SELECT 1 FROM tags u WHERE u.epc = t.epc AND u.outcome <> 'released')"));
    released.addBindValue(series.id);
    if (!released.exec()) {
        fail(QStringLiteral("读取"), released.lastError().text());
        return Status::Failed;
    }
    QString lowest;
    while (released.next()) {
        const QString epc = released.value(0).toString();
        if (lowest.isEmpty() || compareNumbers(epc, lowest, series.reverse) < 0)
            lowest = epc;
    }
    if (!lowest.isEmpty()) {
        *number = lowest;
        return Status::Ok;
    }
    // Otherwise the number after the furthest one: the last record whose
    // number no earlier record of the series had.
    QSqlQuery furthest(db_);
    furthest.prepare(QStringLiteral("SELECT epc FROM tags t WHERE series = ? AND NOT EXISTS "
                                    "(SELECT 1 FROM tags u WHERE u.series = t.series AND u.epc = "
                                    "t.epc AND u.id < t.id) ORDER BY id DESC LIMIT 1"));
    furthest.addBindValue(series.id);
    if (!furthest.exec()) {
        fail(QStringLiteral("读取"), furthest.lastError().text());
        return Status::Failed;
    }
    if (!furthest.next()) {
        *number = series.start;
        return Status::Ok;
    }
    try {
        *number = following(furthest.value(0).toString(), series);
    } catch (const ConversionError& error) {
        fail(QStringLiteral("读取"), error.message());
        return Status::Failed;
    }
    if (!number->isEmpty())
        return Status::Ok;
    error_ = QStringLiteral("series exhausted after %1").arg(series.last);
    return Status::Exhausted;
}

std::optional<QString> IssuingJournal::nextNumber(const Series& series) {
    error_.clear();
    QString number;
    if (nextNumberLocked(series, &number) != Status::Ok)
        return std::nullopt;
    return number;
}

std::optional<IssuingJournal::Record> IssuingJournal::findTid(const QString& tid) {
    error_.clear();
    QSqlQuery query(db_);
    query.prepare(QStringLiteral("SELECT %1 FROM tags WHERE tid = ? AND outcome <> 'released'")
                      .arg(recordColumns));
    query.addBindValue(tid.toUpper());
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
    if (station_.isEmpty() || station != station_) {
        error_ = QStringLiteral("station %1 is not held by this process").arg(station);
        return reservation;
    }
    if (!fileUnchanged() || !begin())
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
    QString number;
    const Status next = nextNumberLocked(series, &number);
    if (next != Status::Ok)
        return failed(next);
    const QString upperTid = tid.toUpper();
    QSqlQuery held(db_);
    held.prepare(QStringLiteral("SELECT epc, tid FROM tags WHERE (epc = ? OR tid = ?) AND "
                                "outcome <> 'released'"));
    held.addBindValue(number);
    held.addBindValue(upperTid);
    if (!held.exec())
        return broken(held);
    if (held.next()) {
        error_ = held.value(0).toString() == number
                     ? QStringLiteral("卡号 %1 已在发卡记录中，不能再发").arg(number)
                     : QStringLiteral("标签 %1 已在发卡记录中，不能再写").arg(upperTid);
        return failed(Status::Conflict);
    }
    Record& record = reservation.record;
    record = {0,
              series.id,
              number,
              upperTid,
              station,
              now().toString(Qt::ISODateWithMs),
              Outcome::Pending};
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
    // Written and released are final; an uncertain record is only settled by
    // its tag read back since.
    QSqlQuery query(db_);
    query.prepare(QStringLiteral("UPDATE tags SET outcome = ? WHERE id = ? AND station = ? AND "
                                 "(outcome = 'pending' OR (outcome = 'uncertain' AND ? <> "
                                 "'pending' AND ? <> 'uncertain'))"));
    query.addBindValue(outcomeName(outcome));
    query.addBindValue(id);
    query.addBindValue(station_);
    query.addBindValue(outcomeName(outcome));
    query.addBindValue(outcomeName(outcome));
    if (!query.exec())
        return fail(QStringLiteral("更新"), query.lastError().text());
    if (query.numRowsAffected() == 1)
        return true;
    error_ = QStringLiteral("record %1 was not changed to %2: it is not an open record of "
                            "station %3")
                 .arg(id)
                 .arg(outcomeName(outcome), station_);
    return false;
}

QList<IssuingJournal::Record> IssuingJournal::pending(const QString& station) {
    QList<Record> found;
    if (station_.isEmpty() || station != station_) {
        error_ = QStringLiteral("station %1 is not held by this process").arg(station);
        return found;
    }
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
    error_.clear();
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

QList<IssuingJournal::SeriesSummary> IssuingJournal::seriesSummaries() {
    error_.clear();
    QList<SeriesSummary> found;
    QSqlQuery series(db_);
    if (!series.exec(QStringLiteral("SELECT %1 FROM series ORDER BY id").arg(seriesColumns_))) {
        fail(QStringLiteral("读取"), series.lastError().text());
        return found;
    }
    QHash<qint64, int> index;
    while (series.next()) {
        index.insert(series.value(0).toLongLong(), int(found.size()));
        found.append({seriesOf(series), {}, {}, {}});
    }
    QSqlQuery tags(db_);
    if (!tags.exec(QStringLiteral("SELECT series, epc, outcome, station FROM tags ORDER BY id"))) {
        fail(QStringLiteral("读取"), tags.lastError().text());
        return found;
    }
    while (tags.next()) {
        const auto at = index.find(tags.value(0).toLongLong());
        if (at == index.end())
            continue;
        SeriesSummary& summary = found[*at];
        const QString epc = tags.value(1).toString();
        const Outcome outcome = outcomeOf(tags.value(2).toString());
        ++summary.counts[int(outcome)];
        if (!summary.stations.contains(tags.value(3).toString()))
            summary.stations << tags.value(3).toString();
        if (outcome != Outcome::Released &&
            (summary.lastNumber.isEmpty() ||
             compareNumbers(epc, summary.lastNumber, summary.series.reverse) > 0))
            summary.lastNumber = epc;
    }
    return found;
}

void IssuingJournal::checkIntegrity(Check& result) {
    // A read of every page (SQLite) or every row (PostgreSQL), and records
    // whose series is missing.
    const QString statements[] = {
        postgres_ ? QStringLiteral("SELECT 'ok' FROM (SELECT COUNT(*) FROM tags) t, "
                                   "(SELECT COUNT(*) FROM series) s")
                  : QStringLiteral("PRAGMA quick_check"),
        QStringLiteral("SELECT COUNT(*) || ' records of a missing series' FROM tags t WHERE NOT "
                       "EXISTS (SELECT 1 FROM series s WHERE s.id = t.series) HAVING COUNT(*) > 0"),
    };
    for (const QString& statement : statements) {
        QSqlQuery query(db_);
        if (!query.exec(statement))
            result.problems << QStringLiteral("damaged: ") + oneLine(query.lastError().text());
        while (query.next())
            if (query.value(0).toString() != QLatin1String("ok"))
                result.problems << QStringLiteral("damaged: ") + oneLine(query.value(0).toString());
    }
}

IssuingJournal::Check IssuingJournal::check() {
    error_.clear();
    Check result;
    checkIntegrity(result);
    for (const char* column : {"epc", "tid"}) {
        QSqlQuery query(db_);
        if (!query.exec(QStringLiteral("SELECT UPPER(%1), COUNT(*) FROM tags WHERE outcome <> "
                                       "'released' GROUP BY UPPER(%1) HAVING COUNT(*) > 1")
                            .arg(QLatin1String(column)))) {
            fail(QStringLiteral("检查"), query.lastError().text());
            result.problems << error_;
        }
        while (query.next())
            result.problems << QStringLiteral("%1 %2 held %3 times")
                                   .arg(QString::fromLatin1(column).toUpper(),
                                        query.value(0).toString())
                                   .arg(query.value(1).toInt());
    }
    QSqlQuery open(db_);
    if (!open.exec(QStringLiteral("SELECT %1 FROM tags WHERE outcome IN ('pending', "
                                  "'uncertain') ORDER BY id")
                       .arg(recordColumns)))
        result.problems << QStringLiteral("damaged: ") + oneLine(open.lastError().text());
    QSet<QString> pendingNumbers;
    while (open.next()) {
        const Record r = recordOf(open);
        (r.outcome == Outcome::Pending ? result.pending : result.uncertain)++;
        if (r.outcome == Outcome::Pending)
            pendingNumbers << r.epc.toUpper();
        result.open << QStringLiteral("%1 %2 %3 station %4 %5")
                           .arg(outcomeName(r.outcome), r.epc, r.tid, r.station, r.time);
    }
    // A gap: a number below the series' furthest one that no tag carries
    // (no written or uncertain record) and no station is writing.
    QSqlQuery held(db_);
    held.exec(QStringLiteral(
        "SELECT series, UPPER(epc) FROM tags WHERE outcome IN ('written', 'uncertain')"));
    QHash<qint64, QSet<QString>> carried;
    while (held.next())
        carried[held.value(0).toLongLong()] << held.value(1).toString();
    for (const SeriesSummary& summary : seriesSummaries()) {
        const Series& series = summary.series;
        if (summary.lastNumber.isEmpty())
            continue;
        const QSet<QString>& numbers = carried[series.id];
        QString number = series.start;
        QString from;
        QString to;
        int missing = 0;
        auto report =
            [&] {
                if (missing > 0)
                    result.problems
                        << (missing == 1
                                ? QStringLiteral("gap in series %1: %2").arg(series.id).arg(from)
                                : QStringLiteral("gap in series %1: %2 to %3 "
                                                 "(%4 numbers)")
                                      .arg(series.id)
                                      .arg(from, to)
                                      .arg(missing));
                missing = 0;
            };
        try {
            for (int walked = 0; compareNumbers(number, summary.lastNumber, series.reverse) < 0;
                 ++walked) {
                if (walked == gapWalkLimit) {
                    result.problems << QStringLiteral("series %1: more numbers below %2 than "
                                                      "can be checked")
                                           .arg(series.id)
                                           .arg(summary.lastNumber);
                    break;
                }
                if (numbers.contains(number) || pendingNumbers.contains(number)) {
                    report();
                } else {
                    if (missing == 0)
                        from = number;
                    to = number;
                    ++missing;
                }
                number = addhex(number, series.step, series.reverse);
            }
        } catch (const ConversionError&) {
            result.problems
                << QStringLiteral("series %1: its numbers cannot be counted").arg(series.id);
        }
        report();
    }
    if (!error_.isEmpty() && !result.problems.contains(error_))
        result.problems << error_;
    return result;
}

QString IssuingJournal::csv(const QList<Record>& records) {
    QString text = QStringLiteral("id,series,epc,tid,station,time,outcome,uri\n");
    for (const Record& r : records)
        text += csvLine({QString::number(r.id), QString::number(r.series), r.epc, r.tid, r.station,
                         r.time, outcomeName(r.outcome), gs1::tagUriOf(r.epc)});
    return text;
}
