#include "configuration_record.h"

#include "protocol/csv_text.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

using settings::SettingResult;

ConfigurationRecord::ConfigurationRecord(const QSqlDatabase& database)
    : db_(database), postgres_(database.driverName() == QLatin1String("QPSQL")) {
    if (!db_.isOpen()) {
        fail(QStringLiteral("open"), QStringLiteral("the journal is not open"));
        return;
    }
}

bool ConfigurationRecord::createTables() {
    // Made with the first record, so that a journal only read is not written.
    if (db_.tables().contains(QStringLiteral("configured_settings")))
        return true;
    const QString key =
        postgres_ ? QStringLiteral("BIGSERIAL PRIMARY KEY") : QStringLiteral("INTEGER PRIMARY KEY");
    const QString statements[] = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS configurations (id %1, reader TEXT NOT NULL, "
                       "profile TEXT NOT NULL, profile_hash TEXT NOT NULL, time TEXT NOT NULL)")
            .arg(key),
        QStringLiteral("CREATE TABLE IF NOT EXISTS configured_settings (configuration BIGINT NOT "
                       "NULL REFERENCES configurations (id), position INTEGER NOT NULL, "
                       "setting TEXT NOT NULL, outcome TEXT NOT NULL, detail TEXT NOT NULL, "
                       "PRIMARY KEY (configuration, position))"),
    };
    if (!db_.transaction())
        return fail(QStringLiteral("create"), db_.lastError().text());
    // Two stations' first records must not create the tables at once: they
    // wait in a row on the lock under which the journal makes its own tables.
    QStringList steps;
    if (postgres_)
        steps << QStringLiteral("SELECT pg_advisory_xact_lock(7215)");
    for (const QString& statement : statements)
        steps << statement;
    for (const QString& statement : steps) {
        QSqlQuery query(db_);
        if (!query.exec(statement)) {
            const QString reason = query.lastError().text();
            db_.rollback();
            return fail(QStringLiteral("create"), reason);
        }
    }
    return db_.commit() || fail(QStringLiteral("create"), db_.lastError().text());
}

bool ConfigurationRecord::fail(const QString& what, const QString& reason) {
    // One line, whatever the server put into its message.
    error_ = QStringLiteral("configuration record (%1): %2").arg(what, reason.simplified());
    return false;
}

qint64 ConfigurationRecord::add(const QString& reader, const QString& profile,
                                const QString& profileHash, const QList<SettingResult>& results) {
    if (!isReady() || !createTables())
        return 0;
    if (!db_.transaction()) {
        fail(QStringLiteral("add"), db_.lastError().text());
        return 0;
    }
    QSqlQuery insert(db_);
    insert.prepare(
        QStringLiteral("INSERT INTO configurations (reader, profile, profile_hash, time) "
                       "VALUES (?, ?, ?, ?)") +
        (postgres_ ? QStringLiteral(" RETURNING id") : QString()));
    insert.addBindValue(reader);
    insert.addBindValue(profile);
    insert.addBindValue(profileHash);
    insert.addBindValue(now().toString(Qt::ISODate));
    bool ok = insert.exec();
    const qint64 id = !ok         ? 0
                      : postgres_ ? (insert.next() ? insert.value(0).toLongLong() : 0)
                                  : insert.lastInsertId().toLongLong();
    QString reason = insert.lastError().text();
    for (int i = 0; ok && id > 0 && i < results.size(); ++i) {
        QSqlQuery row(db_);
        row.prepare(QStringLiteral("INSERT INTO configured_settings (configuration, position, "
                                   "setting, outcome, detail) VALUES (?, ?, ?, ?, ?)"));
        row.addBindValue(id);
        row.addBindValue(i);
        row.addBindValue(results[i].setting);
        row.addBindValue(settings::outcomeName(results[i].outcome));
        // An empty detail is stored as text, not as NULL.
        row.addBindValue(results[i].detail.isEmpty() ? QStringLiteral("") : results[i].detail);
        ok = row.exec();
        reason = row.lastError().text();
    }
    if (!ok || id <= 0 || !db_.commit()) {
        db_.rollback();
        fail(QStringLiteral("add"), reason);
        return 0;
    }
    return id;
}

QList<ConfigurationRecord::Application> ConfigurationRecord::applications() {
    QList<Application> list;
    if (!db_.tables().contains(QStringLiteral("configured_settings")))
        return list;
    QSqlQuery query(db_);
    if (!isReady() ||
        !query.exec(QStringLiteral("SELECT c.id, c.reader, c.profile, c.profile_hash, c.time, "
                                   "s.setting, s.outcome, s.detail FROM configurations c LEFT "
                                   "JOIN configured_settings s ON s.configuration = c.id "
                                   "ORDER BY c.id, s.position"))) {
        fail(QStringLiteral("read"), query.lastError().text());
        return list;
    }
    while (query.next()) {
        const qint64 id = query.value(0).toLongLong();
        if (list.isEmpty() || list.last().id != id)
            list << Application{id,
                                query.value(1).toString(),
                                query.value(2).toString(),
                                query.value(3).toString(),
                                query.value(4).toString(),
                                {}};
        if (!query.value(5).isNull())
            list.last().results << SettingResult{
                query.value(5).toString(), settings::outcomeFromName(query.value(6).toString()),
                query.value(7).toString()};
    }
    return list;
}

QString ConfigurationRecord::csv(const QList<Application>& applications) {
    QString text = QStringLiteral("id,time,reader,profile,profile_hash,setting,outcome,detail\n");
    for (const Application& a : applications)
        for (const SettingResult& r : a.results)
            text += csvLine({QString::number(a.id), a.time, a.reader, a.profile, a.profileHash,
                             r.setting, settings::outcomeName(r.outcome), r.detail});
    return text;
}
