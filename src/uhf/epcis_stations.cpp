#include "epcis_stations.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

EpcisStations::EpcisStations(const QSqlDatabase& database) : db_(database) {}

bool EpcisStations::fail(const QString& what, const QString& reason) {
    error_ = QStringLiteral("EPCIS station table (%1): %2").arg(what, reason.simplified());
    return false;
}

bool EpcisStations::hasTables() {
    QSqlQuery probe(db_);
    return probe.exec(QStringLiteral("SELECT 1 FROM epcis_marks WHERE 0 = 1"));
}

bool EpcisStations::prepare() {
    if (!db_.isOpen())
        return fail(
            QStringLiteral("open"),
            QCoreApplication::translate("IssuingJournal", "发卡记录没有打开：请先打开发卡记录"));
    if (hasTables())
        return true;
    const QString statements[] = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS epcis_stations (station TEXT PRIMARY KEY, "
                       "read_point TEXT NOT NULL, biz_location TEXT NOT NULL, "
                       "time_zone TEXT NOT NULL)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS epcis_marks (station TEXT NOT NULL, series "
                       "BIGINT NOT NULL, record BIGINT NOT NULL, PRIMARY KEY (station, series))"),
    };
    for (const QString& statement : statements) {
        QSqlQuery query(db_);
        if (!query.exec(statement))
            return fail(QStringLiteral("create"), query.lastError().text());
    }
    return true;
}

std::optional<QHash<QString, EpcisStations::Location>> EpcisStations::locations() {
    QHash<QString, Location> found;
    if (!hasTables())
        return found;
    QSqlQuery query(db_);
    if (!query.exec(QStringLiteral(
            "SELECT station, read_point, biz_location, time_zone FROM epcis_stations"))) {
        fail(QStringLiteral("read"), query.lastError().text());
        return std::nullopt;
    }
    while (query.next())
        found.insert(
            query.value(0).toString(),
            {query.value(1).toString(), query.value(2).toString(), query.value(3).toString()});
    return found;
}

bool EpcisStations::setLocation(const QString& station, const Location& location) {
    const std::optional<QHash<QString, Location>> all = locations();
    if (!all || !prepare())
        return false;
    Location kept = all->value(station);
    for (auto [field, given] : {std::pair{&kept.readPoint, &location.readPoint},
                                std::pair{&kept.bizLocation, &location.bizLocation},
                                std::pair{&kept.timeZone, &location.timeZone}})
        if (!given->isEmpty())
            *field = *given;
    QSqlQuery query(db_);
    query.prepare(QStringLiteral(
        "INSERT INTO epcis_stations (station, read_point, biz_location, time_zone) VALUES (?, ?, "
        "?, ?) ON CONFLICT (station) DO UPDATE SET read_point = excluded.read_point, "
        "biz_location = excluded.biz_location, time_zone = excluded.time_zone"));
    // Empty values are stored as text, not as NULL.
    for (const QString& value : {station, kept.readPoint, kept.bizLocation, kept.timeZone})
        query.addBindValue(value.isEmpty() ? QStringLiteral("") : value);
    return query.exec() || fail(QStringLiteral("write"), query.lastError().text());
}

std::optional<QHash<QString, qint64>> EpcisStations::marks(qint64 series) {
    QHash<QString, qint64> found;
    if (!hasTables())
        return found;
    QSqlQuery query(db_);
    query.prepare(QStringLiteral("SELECT station, record FROM epcis_marks WHERE series = ?"));
    query.addBindValue(series);
    if (!query.exec()) {
        fail(QStringLiteral("read"), query.lastError().text());
        return std::nullopt;
    }
    while (query.next())
        found.insert(query.value(0).toString(), query.value(1).toLongLong());
    return found;
}

bool EpcisStations::setMarks(qint64 series, const QHash<QString, qint64>& marks) {
    if (!prepare())
        return false;
    if (!db_.transaction())
        return fail(QStringLiteral("write"), db_.lastError().text());
    for (auto mark = marks.begin(); mark != marks.end(); ++mark) {
        QSqlQuery query(db_);
        query.prepare(QStringLiteral("INSERT INTO epcis_marks (station, series, record) VALUES "
                                     "(?, ?, ?) ON CONFLICT (station, series) DO UPDATE SET "
                                     "record = excluded.record"));
        query.addBindValue(mark.key());
        query.addBindValue(series);
        query.addBindValue(mark.value());
        if (!query.exec()) {
            const QString reason = query.lastError().text();
            db_.rollback();
            return fail(QStringLiteral("write"), reason);
        }
    }
    return db_.commit() || fail(QStringLiteral("write"), db_.lastError().text());
}
