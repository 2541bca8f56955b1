#pragma once

#include "epcis_stations.h"
#include "issuing_journal.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

// The record a line hands on to its traceability system: for every tag the
// journal has as written with a GS1 EPC, one EPCIS 2.0 commissioning
// ObjectEvent (action ADD, bizStep commissioning, disposition active), as
// JSON-LD or XML. Each event's ID is a name-based UUID of its record, so that
// a receiver drops an event it is sent twice.
namespace epcis {

struct Request {
    bool xml = false;
    QDateTime since;        // when valid: records from this time on
    bool sinceLast = false; // records after each station's mark
    qint64 series = 0;      // 0: every series
    QString station;        // empty: every station
    // Given values take the place of the stations' own; with a station named
    // they are kept as its own.
    EpcisStations::Location given;
};

struct Export {
    QByteArray document;
    int events = 0;
    QString leftOut; // "left out 3 records: 2 not GS1, 1 uncertain"; empty when none
    // With sinceLast: each station's new mark. A pending or uncertain record
    // holds its station's mark before it, so that it is handed on once it is
    // settled as written.
    QHash<QString, qint64> marks;
};

// Why the text is not an SGLN pure identity URI; empty when it is one.
QString sglnProblem(const QString& uri);
// Why the text is not a time zone; empty when it is one.
QString timeZoneProblem(const QString& zone);
// An ISO 8601 date-time (local time without an offset) or a date (its local
// midnight); invalid when the text is neither.
QDateTime sinceTime(const QString& text);
// urn:uuid:… of the record's event.
QString eventId(const IssuingJournal::Record& record);

// Failure: a usage error (an unknown series or station) or a journal that cannot be read.
struct Failure {
    bool usage = false;
    QString text;
};

// Reads the records, the stations' locations and marks, and builds the document.
std::optional<Export> build(IssuingJournal& journal, const Request& request,
                            const QDateTime& created, Failure* failure);

// The request moves marks or keeps a location: the journal must be opened for
// writing too (and the station table prepared) before anything is handed on.
bool writes(const Request& request);
// After the document has been handed on: the marks moved and the given
// location kept for the station named.
bool keep(EpcisStations& stations, const Request& request, const Export& done);

} // namespace epcis
