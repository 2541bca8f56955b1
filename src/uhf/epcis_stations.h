#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <optional>

// What the EPCIS export keeps for each station beside the journal's tables:
// where it stands (its read point, its site, its time zone) and how far its
// records have been handed on. Made with the first value kept, so that a
// journal only read is never written.
class EpcisStations {
  public:
    // SGLN pure identity URIs and an IANA time zone; empty when not set.
    struct Location {
        QString readPoint;
        QString bizLocation;
        QString timeZone;
    };

    explicit EpcisStations(const QSqlDatabase& database);
    const QString& errorText() const { return error_; }

    // Every station's location, by station name.
    std::optional<QHash<QString, Location>> locations();
    // Keeps the fields given (not empty) as the station's; the others stay.
    bool setLocation(const QString& station, const Location& location);

    // The last record handed on, by station, for an export of one series
    // (0: of every series).
    std::optional<QHash<QString, qint64>> marks(qint64 series);
    // Moves the marks given, in one transaction.
    bool setMarks(qint64 series, const QHash<QString, qint64>& marks);
    // Creates the tables, so that a journal that cannot be written is found
    // before anything is handed on.
    bool prepare();

  private:
    bool fail(const QString& what, const QString& reason);
    bool hasTables();

    QSqlDatabase db_;
    QString error_;
};
