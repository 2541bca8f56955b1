#pragma once

#include "profile_applier.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <functional>

// The record of every profile applied to a reader, kept in the issuing
// journal's database beside its tables: which reader, which profile (its name
// and the hash of its content), when, and each setting's result.
class ConfigurationRecord {
  public:
    struct Application {
        qint64 id = 0;
        QString reader;
        QString profile;
        QString profileHash;
        QString time; // UTC, ISO 8601
        QList<settings::SettingResult> results;
    };

    // The journal's open database; creates the tables when they are missing.
    explicit ConfigurationRecord(const QSqlDatabase& database);
    bool isReady() const { return error_.isEmpty(); }
    const QString& errorText() const { return error_; }

    // Records one application in one transaction; gives its id, 0 on failure.
    qint64 add(const QString& reader, const QString& profile, const QString& profileHash,
               const QList<settings::SettingResult>& results);
    // Every application, oldest first, with its results.
    QList<Application> applications();
    // One line per setting, with a header line.
    static QString csv(const QList<Application>& applications);

    // The time of new records; tests put a fixed one in.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); };

  private:
    bool createTables();
    bool fail(const QString& what, const QString& reason);

    QSqlDatabase db_;
    bool postgres_ = false;
    QString error_;
};
