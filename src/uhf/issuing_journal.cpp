#include "issuing_journal.h"

#include "epc_number.h"
#include "gs1_epc.h"
#include "postgres_journal.h"
#include "protocol/conversion.h"
#include "protocol/csv_text.h"
#include "protocol/hex_text.h"
#include "sqlite_journal.h"

#include <QCoreApplication>
#include <QHash>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QSysInfo>
#include <QUrl>
#include <QVariant>
#include <atomic>
#include <unistd.h>

namespace {

QString oneLine(const QString& text) {
    return text.simplified();
}

const char* const outcomeNames[] = {"pending", "written", "uncertain", "released"};

IssuingJournal::Outcome outcomeOf(const QString& name) {
    for (int i = 0; i < 4; ++i)
        if (name == QLatin1String(outcomeNames[i]))
            return IssuingJournal::Outcome(i);
    return IssuingJournal::Outcome::Uncertain;
}

const QString recordColumns = QStringLiteral("id, series, epc, tid, station, time, outcome");

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

// A lock step as kept: NULL not yet, 'done' or 'failed'.
const char* const stepNames[] = {nullptr, "done", "failed"};
const QString lockColumns = QStringLiteral("id, lock_plan, key_id, password_set, locked, verified");

QVariant stepColumn(IssuingJournal::Step step) {
    const char* name = stepNames[int(step)];
    return name ? QVariant(QString::fromLatin1(name)) : QVariant(QMetaType::fromType<QString>());
}

IssuingJournal::Step stepOf(const QVariant& value) {
    for (int i = 1; i < 3; ++i)
        if (value.toString() == QLatin1String(stepNames[i]))
            return IssuingJournal::Step(i);
    return IssuingJournal::Step::NotYet;
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

// The lower of two ends; empty when both are.
QString narrower(const QString& a, const QString& b, bool reverse) {
    if (a.isEmpty() || b.isEmpty())
        return a.isEmpty() ? b : a;
    return compareNumbers(a, b, reverse) <= 0 ? a : b;
}

// A start that is a GS1 EPC counts its serial field, which ends before the
// number runs into the next item; empty for any other start.
QString gs1End(const QString& start) {
    QString why;
    const std::optional<gs1::Epc> epc = gs1::decode(start, &why);
    const std::optional<gs1::Series> series = epc ? gs1::series(*epc, 1, &why) : std::nullopt;
    return series ? series->last.toUpper() : QString();
}

// Why the number picked or the tag cannot be reserved: 0 the number, 1 the tag.
QString heldText(int which, const QString& number, const QString& tid) {
    return which == 0 ? QStringLiteral("卡号 %1 已在发卡记录中，不能再发").arg(number)
                      : QStringLiteral("标签 %1 已在发卡记录中，不能再写").arg(tid);
}

// Lets a statement's rows go when the scope ends, so that no read of the
// journal stays open between tags.
struct Finish {
    QSqlQuery& query;
    ~Finish() { query.finish(); }
};

} // namespace

QString outcomeName(IssuingJournal::Outcome outcome) {
    return QLatin1String(outcomeNames[int(outcome)]);
}

QString lockText(const IssuingJournal::Lock& lock) {
    using Step = IssuingJournal::Step;
    if (!lock.inUse())
        return QString();
    if (lock.verified == Step::Done)
        return lock.plan + QStringLiteral(" verified");
    const QString why = lock.passwordSet == Step::Failed ? QStringLiteral("password failed")
                        : lock.locked == Step::Failed    ? QStringLiteral("lock failed")
                        : lock.verified == Step::Failed  ? QStringLiteral("lock did not take")
                                                         : QStringLiteral("unfinished");
    return lock.plan + QStringLiteral(" not verified: ") + why;
}

QString IssuingJournal::perTagStatement(PerTag which) {
    // Each finds its rows through an index that matches it, so that the cost
    // of a tag does not grow with the journal.
    switch (which) {
    case PerTag::FindTid:
        return QStringLiteral("SELECT %1 FROM tags WHERE tid = ? AND outcome <> 'released'")
            .arg(recordColumns);
    case PerTag::Released:
        // The free numbers are kept apart, as released numbers taken again
        // stay released records for ever. A subquery per free number, which
        // PostgreSQL does not turn into a join over every record held, leaves
        // out one held again behind the journal's back.
        return QStringLiteral("SELECT epc FROM free_numbers f WHERE series = ? AND (SELECT "
                              "COUNT(*) FROM tags u WHERE u.epc = f.epc AND u.outcome <> "
                              "'released') = 0");
    case PerTag::Furthest:
        // Ordered as tags_series, with a subquery per record walked, so that
        // no plan reads the whole table.
        return QStringLiteral("SELECT epc FROM tags t WHERE series = ? AND (SELECT COUNT(*) FROM "
                              "tags u WHERE u.series = t.series AND u.epc = t.epc AND u.id < "
                              "t.id) = 0 ORDER BY series DESC, id DESC LIMIT 1");
    case PerTag::Held:
        // Two lookups, one through each unique index: 0 the number, 1 the tag.
        return QStringLiteral("SELECT 0 FROM tags WHERE epc = ? AND outcome <> 'released' UNION "
                              "ALL SELECT 1 FROM tags WHERE tid = ? AND outcome <> 'released'");
    case PerTag::Insert:
        return QStringLiteral("INSERT INTO tags (series, epc, tid, station, time, outcome) "
                              "VALUES (?, ?, ?, ?, ?, 'pending')");
    case PerTag::Resolve:
        return QStringLiteral("UPDATE tags SET outcome = ? WHERE id = ? AND station = ? AND "
                              "(outcome = 'pending' OR (outcome = 'uncertain' AND ? <> "
                              "'pending' AND ? <> 'uncertain'))");
    case PerTag::Reserve:
        // Series id, start, step, reverse, last; the tag, station and time.
        return QStringLiteral("SELECT reserved_status, reserved_id, reserved_epc FROM "
                              "journal_reserve(?, ?, ?, ?, ?, ?, ?, ?)");
    case PerTag::Freed:
        // Series and number of a record released.
        return QStringLiteral(
            "INSERT INTO free_numbers (series, epc) VALUES (?, ?) ON CONFLICT DO NOTHING");
    case PerTag::Taken:
        // A number held again is free in no series.
        return QStringLiteral("DELETE FROM free_numbers WHERE epc = ?");
    case PerTag::Pending:
        return QStringLiteral(
                   "SELECT %1 FROM tags WHERE station = ? AND outcome = 'pending' ORDER BY id")
            .arg(recordColumns);
    case PerTag::LastSeries:
        return QStringLiteral("SELECT series FROM tags WHERE station = ? ORDER BY id DESC LIMIT 1");
    }
    return QString();
}

IssuingJournal::IssuingJournal() {
    static std::atomic<int> counter{0};
    connection_ = QStringLiteral("issuing-journal-%1").arg(counter++);
}

IssuingJournal::~IssuingJournal() {
    for (std::unique_ptr<QSqlQuery>& query : prepared_)
        query.reset();
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection_);
}

bool IssuingJournal::created() const {
    return backend_ && backend_->created();
}

bool IssuingJournal::damaged() const {
    return backend_ && backend_->damaged();
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
    return QCoreApplication::translate(
               "IssuingJournal", "工位名称须为 1 到 %1 个可打印字符，不能是“%2”：请换一个工位名称")
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
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):(.*)$"));
    static const QRegularExpression schemeName(QStringLiteral("^(postgres(ql)?|pgsql|psql)/"),
                                               QRegularExpression::CaseInsensitiveOption);
    const QString trimmed = text.trimmed();
    Address address;
    address.display = maskedAddress(trimmed);
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
    *error = QCoreApplication::translate("IssuingJournal",
                                         "不是发卡记录的地址：“%1”（应为文件路径、sqlite:路径或 "
                                         "postgresql://[用户[:密码]@]主机[:端口]/数据库）")
                 .arg(address.display);
    return std::nullopt;
}

QString IssuingJournal::maskedAddress(const QString& text) {
    // Whatever might be a password goes: a password= value in the query, and
    // after "scheme:", any slashes and "user:", everything up to the last @
    // (a password may hold / and @; a typo may leave out a slash).
    static const QRegularExpression query(QStringLiteral("([?&]password=)[^&]*"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression userInfo(
        QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*:/*[^/@:]*:).*@"));
    QString masked = text;
    masked.replace(query, QStringLiteral("\\1***"));
    masked.replace(userInfo, QStringLiteral("\\1***@"));
    return masked;
}

bool IssuingJournal::fail(const QString& what, const QString& reason) {
    error_ = journalFailure(what, reason);
    return false;
}

bool IssuingJournal::open(const QString& text, Access access) {
    const std::optional<Address> address = parseAddress(text, &error_);
    if (!address)
        return false;
    address_ = *address;
    if (address_.postgres)
        backend_ = std::make_unique<PostgresJournal>(address_, db_, error_);
    else
        backend_ = std::make_unique<SqliteJournal>(address_, db_, error_);
    if (!backend_->open(connection_, access))
        return false;
    // Journals from before the series had a last number read as the default.
    QSqlQuery probe(db_);
    seriesColumns_ = probe.exec(QStringLiteral("SELECT last FROM series WHERE 0 = 1"))
                         ? QStringLiteral("id, start, step, reverse, last")
                         : QStringLiteral("id, start, step, reverse, NULL");
    probe.finish();
    lockColumns_ = probe.exec(QStringLiteral("SELECT %1 FROM tags WHERE 0 = 1").arg(lockColumns));
    probe.finish();
    return lockColumns_ || access == Access::Read || addLockColumns();
}

bool IssuingJournal::addLockColumns() {
    // A migration of its own, in one transaction: a station that finds the
    // columns added by another one since its look goes on with them.
    const QString before = error_;
    auto present = [this] {
        QSqlQuery probe(db_);
        lockColumns_ =
            probe.exec(QStringLiteral("SELECT %1 FROM tags WHERE 0 = 1").arg(lockColumns));
        return lockColumns_;
    };
    bool done = backend_->begin();
    for (const QString& column : lockColumns.split(QStringLiteral(", ")).mid(1))
        done = done &&
               backend_->exec(QStringLiteral("ALTER TABLE tags ADD COLUMN %1 TEXT").arg(column));
    if (done)
        done = backend_->exec(QStringLiteral("COMMIT"));
    else
        backend_->rollback();
    if (!present())
        return false;
    error_ = before;
    return true;
}

IssuingJournal::Status IssuingJournal::hold(const QString& station) {
    const QString problem = stationProblem(station);
    if (!problem.isEmpty()) {
        error_ = problem;
        return Status::Failed;
    }
    if (station_ == station)
        return Status::Ok;
    if (!isOpen()) {
        error_ =
            QCoreApplication::translate("IssuingJournal", "发卡记录没有打开：请先打开发卡记录");
        return Status::Failed;
    }
    if (!station_.isEmpty()) {
        error_ = QCoreApplication::translate("IssuingJournal",
                                             "本发卡记录已占用工位 %1：一个程序只能占用一个工位")
                     .arg(station_);
        return Status::Failed;
    }
    const QString holder = QStringLiteral("host %1, pid %2, since %3")
                               .arg(QSysInfo::machineHostName())
                               .arg(::getpid())
                               .arg(now().toString(Qt::ISODate));
    const Status status = backend_->hold(station, holder);
    if (status == Status::Ok)
        station_ = station;
    return status;
}

bool IssuingJournal::fileUnchanged() {
    return backend_ && backend_->fileUnchanged();
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
    return findSeries(QStringLiteral("id = (%1)").arg(perTagStatement(PerTag::LastSeries)),
                      {station});
}

QString IssuingJournal::seriesProblem(const QString& start, const QString& step, bool reverse,
                                      const QString& last) {
    const QString value = stepValue(step);
    if (hex::digitsOf(step) != step || value == QLatin1String("0"))
        return QCoreApplication::translate("IssuingJournal",
                                           "步长须为 1 或更大的十六进制数，不能是“%1”")
            .arg(step);
    if (value.size() > start.size())
        return QCoreApplication::translate("IssuingJournal",
                                           "步长 %1 比起始号 %2 的位数多：请用更短的步长")
            .arg(step, start);
    const QString end = last.isEmpty() ? largestOfWidth(start) : last;
    try {
        addhex(start, value, reverse);
        addhex(end, value, reverse);
    } catch (const ConversionError& error) {
        return error.message();
    }
    if (end.size() != start.size() || compareNumbers(start, end, reverse) > 0)
        return QCoreApplication::translate("IssuingJournal",
                                           "最后号 %1 不在起始号 %2 之后：请改正最后号")
            .arg(end, start);
    return QString();
}

std::optional<IssuingJournal::Series> IssuingJournal::openSeries(const QString& start,
                                                                 const QString& step, bool reverse,
                                                                 const QString& last) {
    error_.clear();
    const QString upperStart = start.toUpper();
    const QString end = narrower(last.toUpper(), reverse ? QString() : gs1End(upperStart), reverse);
    const QString problem = seriesProblem(start, step, reverse, end);
    if (!problem.isEmpty()) {
        fail(QStringLiteral("建立"), problem);
        return std::nullopt;
    }
    const QString value = stepValue(step);
    QSqlQuery insert(db_);
    insert.prepare(QStringLiteral("INSERT INTO series (start, step, reverse, created, last) "
                                  "VALUES (?, ?, ?, ?, ?) ON CONFLICT DO NOTHING"));
    insert.addBindValue(upperStart);
    insert.addBindValue(value);
    insert.addBindValue(int(reverse));
    insert.addBindValue(now().toString(Qt::ISODateWithMs));
    insert.addBindValue(end.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : end);
    if (!insert.exec()) {
        fail(QStringLiteral("建立"), insert.lastError().text());
        return std::nullopt;
    }
    std::optional<Series> series =
        findSeries(QStringLiteral("start = ? AND step = ? AND reverse = ?"),
                   {upperStart, value, int(reverse)});
    if (!series && error_.isEmpty())
        fail(QStringLiteral("建立"), QStringLiteral("series not found after it was added"));
    // Joining keeps the narrower end: a series never runs past what either
    // of its makers allowed.
    if (series && !end.isEmpty() && compareNumbers(end, series->last, reverse) < 0) {
        QSqlQuery narrow(db_);
        narrow.prepare(QStringLiteral("UPDATE series SET last = ? WHERE id = ?"));
        narrow.addBindValue(end);
        narrow.addBindValue(series->id);
        if (!narrow.exec()) {
            fail(QStringLiteral("建立"), narrow.lastError().text());
            return std::nullopt;
        }
        series->last = end;
    }
    return series;
}

IssuingJournal::Status IssuingJournal::nextNumberLocked(const Series& series, QString* number) {
    // A released number no other record holds is taken again first, the lowest one.
    QSqlQuery* const released = prepared(PerTag::Released);
    QSqlQuery* const furthest = prepared(PerTag::Furthest);
    if (!released || !furthest)
        return Status::Failed;
    const Finish releasedRows{*released};
    released->addBindValue(series.id);
    if (!released->exec()) {
        fail(QStringLiteral("读取"), released->lastError().text());
        return Status::Failed;
    }
    QString lowest;
    while (released->next()) {
        const QString epc = released->value(0).toString();
        if (lowest.isEmpty() || compareNumbers(epc, lowest, series.reverse) < 0)
            lowest = epc;
    }
    if (!lowest.isEmpty()) {
        *number = lowest;
        return Status::Ok;
    }
    // Otherwise the number after the furthest one: the last record whose
    // number no earlier record of the series had.
    const Finish furthestRows{*furthest};
    furthest->addBindValue(series.id);
    if (!furthest->exec()) {
        fail(QStringLiteral("读取"), furthest->lastError().text());
        return Status::Failed;
    }
    if (!furthest->next()) {
        *number = series.start;
        return Status::Ok;
    }
    try {
        *number = following(furthest->value(0).toString(), series);
    } catch (const ConversionError& error) {
        fail(QStringLiteral("读取"), error.message());
        return Status::Failed;
    }
    if (!number->isEmpty())
        return Status::Ok;
    error_ = QCoreApplication::translate("IssuingJournal", "系列到 %1 已用完：请开始一个新的系列")
                 .arg(series.last);
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
    QSqlQuery* const query = prepared(PerTag::FindTid);
    if (!query)
        return std::nullopt;
    const Finish rows{*query};
    query->addBindValue(tid.toUpper());
    if (!query->exec()) {
        fail(QStringLiteral("读取"), query->lastError().text());
        return std::nullopt;
    }
    if (!query->next())
        return std::nullopt;
    QList<Record> found{recordOf(*query)};
    addLocks(found);
    return found.first();
}

bool IssuingJournal::holdsStation(const QString& station) {
    if (!station_.isEmpty() && station == station_)
        return true;
    error_ = QCoreApplication::translate("IssuingJournal", "本进程没有占用工位 %1").arg(station);
    return false;
}

IssuingJournal::Reservation IssuingJournal::reserve(const Series& series, const QString& tid,
                                                    const QString& station) {
    Reservation reservation;
    if (!holdsStation(station))
        return reservation;
    if (!fileUnchanged())
        return reservation;
    reservation.record = {0,
                          series.id,
                          QString(),
                          tid.toUpper(),
                          station,
                          now().toString(Qt::ISODateWithMs),
                          Outcome::Pending,
                          {}};
    reservation.status = backend_->reservesInOneStatement()
                             ? reserveOnServer(series, reservation.record)
                             : reserveInTransaction(series, reservation.record);
    return reservation;
}

IssuingJournal::Status IssuingJournal::reserveInTransaction(const Series& series, Record& record) {
    // Everything that can be made ready is, before the write lock is taken.
    QSqlQuery* const held = prepared(PerTag::Held);
    QSqlQuery* const insert = prepared(PerTag::Insert);
    if (!held || !insert || !backend_->begin())
        return Status::Failed;
    auto failed = [&](Status status) {
        backend_->rollback();
        return status;
    };
    const Status next = nextNumberLocked(series, &record.epc);
    if (next != Status::Ok)
        return failed(next);
    const Finish heldRows{*held};
    held->addBindValue(record.epc);
    held->addBindValue(record.tid);
    if (!held->exec()) {
        fail(QStringLiteral("预留"), held->lastError().text());
        return failed(Status::Failed);
    }
    if (held->next()) {
        error_ = heldText(held->value(0).toInt(), record.epc, record.tid);
        return failed(Status::Conflict);
    }
    insert->addBindValue(series.id);
    for (const QString& value : {record.epc, record.tid, record.station, record.time})
        insert->addBindValue(value);
    if (!insert->exec()) {
        fail(QStringLiteral("预留"), insert->lastError().text());
        return failed(Status::Failed);
    }
    record.id = insert->lastInsertId().toLongLong();
    if (!backend_->exec(QStringLiteral("COMMIT")))
        return failed(Status::Failed);
    return Status::Ok;
}

IssuingJournal::Status IssuingJournal::reserveOnServer(const Series& series, Record& record) {
    QSqlQuery* const reserve = prepared(PerTag::Reserve);
    if (!reserve)
        return Status::Failed;
    const Finish rows{*reserve};
    for (const QVariant& value :
         {QVariant(series.id), QVariant(series.start), QVariant(series.step),
          QVariant(series.reverse), QVariant(series.last), QVariant(record.tid),
          QVariant(record.station), QVariant(record.time)})
        reserve->addBindValue(value);
    if (!reserve->exec() || !reserve->next()) {
        fail(QStringLiteral("预留"), reserve->lastError().text());
        return Status::Failed;
    }
    // The server answers 0 reserved, 1 the number held, 2 the tag held, 3
    // the series exhausted.
    const int answer = reserve->value(0).toInt();
    record.id = reserve->value(1).toLongLong();
    record.epc = reserve->value(2).toString();
    if (answer == 0)
        return Status::Ok;
    if (answer == 3) {
        error_ =
            QCoreApplication::translate("IssuingJournal", "系列到 %1 已用完：请开始一个新的系列")
                .arg(series.last);
        return Status::Exhausted;
    }
    error_ = heldText(answer - 1, record.epc, record.tid);
    return Status::Conflict;
}

QSqlQuery* IssuingJournal::prepared(PerTag which) {
    std::unique_ptr<QSqlQuery>& query = prepared_[size_t(which)];
    if (query)
        return query.get();
    auto made = std::make_unique<QSqlQuery>(db_);
    if (!made->prepare(perTagStatement(which))) {
        fail(QStringLiteral("读取"), made->lastError().text());
        return nullptr;
    }
    query = std::move(made);
    return query.get();
}

bool IssuingJournal::resolve(qint64 id, Outcome outcome) {
    // Written and released are final; an uncertain record is only settled by
    // its tag read back since.
    QSqlQuery* const query = prepared(PerTag::Resolve);
    if (!query)
        return false;
    const Finish done{*query};
    query->addBindValue(outcomeName(outcome));
    query->addBindValue(id);
    query->addBindValue(station_);
    query->addBindValue(outcomeName(outcome));
    query->addBindValue(outcomeName(outcome));
    if (!query->exec())
        return fail(QStringLiteral("更新"), query->lastError().text());
    if (query->numRowsAffected() == 1)
        return true;
    error_ = QCoreApplication::translate("IssuingJournal",
                                         "记录 %1 没有改为 %2：它不是工位 %3 未完成的记录")
                 .arg(id)
                 .arg(outcomeName(outcome), station_);
    return false;
}

QList<IssuingJournal::Record> IssuingJournal::pending(const QString& station) {
    QList<Record> found;
    if (!holdsStation(station))
        return found;
    QSqlQuery query(db_);
    query.prepare(perTagStatement(PerTag::Pending));
    query.addBindValue(station);
    if (!query.exec())
        fail(QStringLiteral("读取"), query.lastError().text());
    while (query.next())
        found << recordOf(query);
    addLocks(found);
    return found;
}

void IssuingJournal::addLocks(QList<Record>& records) {
    if (!lockColumns_ || records.isEmpty())
        return;
    QHash<qint64, Record*> byId;
    qint64 low = records.first().id;
    qint64 high = low;
    for (Record& record : records) {
        byId.insert(record.id, &record);
        low = qMin(low, record.id);
        high = qMax(high, record.id);
    }
    QSqlQuery query(db_);
    query.prepare(
        QStringLiteral("SELECT %1 FROM tags WHERE id BETWEEN ? AND ? AND lock_plan IS NOT NULL")
            .arg(lockColumns));
    query.addBindValue(low);
    query.addBindValue(high);
    if (!query.exec())
        fail(QStringLiteral("读取"), query.lastError().text());
    while (query.next())
        if (Record* record = byId.value(query.value(0).toLongLong()))
            record->lock = {query.value(1).toString(), query.value(2).toString(),
                            stepOf(query.value(3)), stepOf(query.value(4)), stepOf(query.value(5))};
}

bool IssuingJournal::recordLock(qint64 id, const Lock& lock) {
    QSqlQuery query(db_);
    query.prepare(QStringLiteral("UPDATE tags SET lock_plan = ?, key_id = ?, password_set = ?, "
                                 "locked = ?, verified = ? WHERE id = ? AND station = ?"));
    query.addBindValue(lock.plan);
    query.addBindValue(lock.keyId);
    for (Step step : {lock.passwordSet, lock.locked, lock.verified})
        query.addBindValue(stepColumn(step));
    query.addBindValue(id);
    query.addBindValue(station_);
    if (!query.exec())
        return fail(QStringLiteral("更新"), query.lastError().text());
    if (query.numRowsAffected() == 1)
        return true;
    error_ = QCoreApplication::translate("IssuingJournal", "记录 %1 不是工位 %2 的记录")
                 .arg(id)
                 .arg(station_);
    return false;
}

QList<IssuingJournal::Record> IssuingJournal::unfinishedLocks(const QString& station) {
    QList<Record> found;
    if (!holdsStation(station))
        return found;
    QSqlQuery query(db_);
    query.prepare(QStringLiteral("SELECT %1 FROM tags WHERE station = ? AND outcome = 'written' "
                                 "AND lock_plan IS NOT NULL AND verified IS NULL ORDER BY id")
                      .arg(recordColumns));
    query.addBindValue(station);
    if (!query.exec())
        fail(QStringLiteral("读取"), query.lastError().text());
    while (query.next())
        found << recordOf(query);
    addLocks(found);
    found.removeIf([](const Record& r) { return !r.lock.unfinished(); });
    return found;
}

QStringList IssuingJournal::keyIds(qint64 series) {
    QStringList found;
    if (!lockColumns_)
        return found;
    QSqlQuery query(db_);
    query.prepare(QStringLiteral("SELECT DISTINCT key_id FROM tags WHERE series = ? AND key_id "
                                 "IS NOT NULL AND key_id <> '' ORDER BY key_id"));
    query.addBindValue(series);
    if (!query.exec())
        fail(QStringLiteral("读取"), query.lastError().text());
    while (query.next())
        found << query.value(0).toString();
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
    addLocks(found);
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
    // A read of the whole journal, and records whose series is missing.
    const QString statements[] = {
        backend_->integrityStatement(),
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

void IssuingJournal::checkHeldTwice(Check& result) {
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
}

QSet<QString> IssuingJournal::listOpen(Check& result) {
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
    return pendingNumbers;
}

void IssuingJournal::checkLocks(Check& result) {
    // A tag that carries its number but whose lock was not verified: it may
    // be open to anyone's writes.
    if (!lockColumns_)
        return;
    QSqlQuery query(db_);
    if (!query.exec(QStringLiteral("SELECT %1 FROM tags WHERE outcome = 'written' AND lock_plan "
                                   "IS NOT NULL AND (verified IS NULL OR verified <> 'done') "
                                   "ORDER BY id")
                        .arg(recordColumns)))
        result.problems << QStringLiteral("damaged: ") + oneLine(query.lastError().text());
    QList<Record> found;
    while (query.next())
        found << recordOf(query);
    addLocks(found);
    for (const Record& r : found) {
        ++result.lockNotVerified;
        result.open << QStringLiteral("lock not verified %1 %2 station %3 %4: %5")
                           .arg(r.epc, r.tid, r.station, r.time, lockText(r.lock));
    }
}

void IssuingJournal::checkGaps(Check& result, const QSet<QString>& pendingNumbers) {
    // A gap: a number below the series' furthest one that no tag carries
    // (no written or uncertain record), no station is writing and the next
    // reservation does not take again (a released number no other record holds).
    QSqlQuery held(db_);
    held.exec(QStringLiteral(
        "SELECT series, UPPER(epc) FROM tags WHERE outcome IN ('written', 'uncertain')"));
    QHash<qint64, QSet<QString>> carried;
    while (held.next())
        carried[held.value(0).toLongLong()] << held.value(1).toString();
    QSqlQuery released(db_);
    released.exec(QStringLiteral(
        "SELECT DISTINCT series, UPPER(epc) FROM tags t WHERE outcome = 'released' AND NOT "
        "EXISTS (SELECT 1 FROM tags u WHERE UPPER(u.epc) = UPPER(t.epc) AND u.outcome <> "
        "'released') ORDER BY series, UPPER(epc)"));
    QHash<qint64, QSet<QString>> reusable;
    while (released.next()) {
        reusable[released.value(0).toLongLong()] << released.value(1).toString();
        result.open << QStringLiteral("released %1 in series %2, reserved again next")
                           .arg(released.value(1).toString())
                           .arg(released.value(0).toLongLong());
    }
    for (const SeriesSummary& summary : seriesSummaries()) {
        const Series& series = summary.series;
        if (summary.lastNumber.isEmpty())
            continue;
        const QSet<QString> numbers = carried[series.id] + reusable[series.id];
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
}

IssuingJournal::Check IssuingJournal::check() {
    error_.clear();
    Check result;
    checkIntegrity(result);
    checkHeldTwice(result);
    checkGaps(result, listOpen(result));
    checkLocks(result);
    if (!error_.isEmpty() && !result.problems.contains(error_))
        result.problems << error_;
    return result;
}

QString IssuingJournal::csv(const QList<Record>& records) {
    QString text = QStringLiteral("id,series,epc,tid,station,time,outcome,uri,lock,key_id\n");
    for (const Record& r : records)
        text += csvLine({QString::number(r.id), QString::number(r.series), r.epc, r.tid, r.station,
                         r.time, outcomeName(r.outcome), gs1::tagUriOf(r.epc), lockText(r.lock),
                         r.lock.keyId});
    return text;
}
