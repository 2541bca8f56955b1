#pragma once

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>

// The record of every tag that issuing writes: which number went to which tag
// (by its TID), in which series, at which station and when, and how it ended.
// A number is reserved in one transaction before it is written, so a crash
// leaves a pending record, never a written tag without one; no number and no
// TID is held by two records that are not released.
//
// A station is held by one process at a time (a lease that dies with the
// process), and a process settles and changes only the records of the station
// it holds.
//
// Kept in SQLite (a file, in WAL mode) or, for several stations sharing one
// range, in PostgreSQL. Both go through Qt SQL, so one set of statements
// serves both and the drivers come with Qt; what each does its own way is
// its JournalBackend.
class JournalBackend;

class IssuingJournal {
  public:
    // Pending: reserved, the write not known to have happened. Written: the tag
    // was read back with the number. Uncertain: a pending record that could not
    // be settled; its number is never used again. Released: the tag was read
    // back without the number, which is then reserved again first.
    enum class Outcome { Pending, Written, Uncertain, Released };

    struct Series {
        qint64 id = 0;
        QString start;
        QString step;         // its value: no leading zeros
        bool reverse = false; // the step is added to the number little-endian
        QString last;         // the last number the series may reach
    };

    // What issuing with a lock did to a record's tag, step by step, after the
    // write of the EPC (the outcome). NotYet also when the step's outcome is
    // unknown (no reply): settling finishes it. Failed: refused, or the
    // verification found the tag not locked.
    enum class Step { NotYet, Done, Failed };
    struct Lock {
        QString plan;  // the areas and actions, "epc=lock,access=lock"; empty: not locked
        QString keyId; // the key the access password was derived with
        Step passwordSet = Step::NotYet;
        Step locked = Step::NotYet;
        Step verified = Step::NotYet;
        bool inUse() const { return !plan.isEmpty(); }
        bool failed() const {
            return passwordSet == Step::Failed || locked == Step::Failed ||
                   verified == Step::Failed;
        }
        // Steps are left and none failed.
        bool unfinished() const { return inUse() && verified != Step::Done && !failed(); }
    };

    struct Record {
        qint64 id = 0;
        qint64 series = 0;
        QString epc;
        QString tid;
        QString station;
        QString time; // UTC, ISO 8601
        Outcome outcome = Outcome::Pending;
        Lock lock;
    };

    // Conflict: a number or TID held by another record, or a station held by
    // another process. Exhausted: the series has no number left.
    enum class Status { Ok, Conflict, Failed, Exhausted };
    struct Reservation {
        Status status = Status::Failed;
        Record record;
    };

    struct Check {
        QStringList problems; // damage, numbers or TIDs held twice, gaps
        QStringList open;     // the pending and uncertain records, released numbers to reuse
        int pending = 0;
        int uncertain = 0;
        int lockNotVerified = 0;
    };

    struct SeriesSummary {
        Series series;
        QString lastNumber; // the furthest number held, empty when none
        QStringList stations;
        int counts[4] = {}; // by Outcome
    };

    // Issue: the journal is created when missing. Read: an existing journal,
    // opened read-only; nothing is created or repaired.
    enum class Access { Issue, Read };

    struct Address {
        bool postgres = false;
        QString file;    // SQLite
        QString url;     // PostgreSQL
        QString display; // for messages: without a password
    };
    // The journal address as typed: a file path, sqlite:PATH, postgresql://
    // or postgres:// (schemes in any case, blanks around ignored); empty is the
    // default file. Anything else that looks like an address is refused.
    static std::optional<Address> parseAddress(const QString& text, QString* error);
    // The address as it may be printed: every password, or what might be one, as ***.
    static QString maskedAddress(const QString& text);
    // The address given, else $RFID_JOURNAL, else empty (the default file).
    static QString configuredAddress(const QString& given);
    // journal.sqlite in the user's data folder, shared by the window and the tool.
    static QString defaultLocation();
    // The host name, or "station" when it has none.
    static QString defaultStation();
    // Why a station name cannot be used (1 to 64 printable characters); empty when it can.
    static QString stationProblem(const QString& name);
    // Why a series cannot be opened with these values; empty when it can. An
    // empty last is the largest number of the start's width.
    static QString seriesProblem(const QString& start, const QString& step, bool reverse,
                                 const QString& last = {});

    IssuingJournal();
    ~IssuingJournal();
    IssuingJournal(const IssuingJournal&) = delete;
    IssuingJournal& operator=(const IssuingJournal&) = delete;

    bool open(const QString& address, Access access = Access::Issue);
    bool isOpen() const { return db_.isOpen(); }
    // This open created the journal.
    bool created() const;
    // The journal could not be read as one (a damaged or foreign file).
    bool damaged() const;
    const QString& errorText() const { return error_; }
    // The open database, for records kept beside the journal's own tables.
    const QSqlDatabase& database() const { return db_; }
    QString displayAddress() const { return address_.display; }

    // Takes the station's lease for the life of this object. Conflict: another
    // process holds it; the error text names the holder (host, pid, since).
    Status hold(const QString& station);
    const QString& station() const { return station_; }
    // The journal file is still the one opened (not deleted or replaced).
    // Checked before every reservation.
    bool fileUnchanged();
    // False, with the error said, unless this process holds the station.
    bool holdsStation(const QString& station);

    // The series of the station's last record.
    std::optional<Series> lastSeries(const QString& station);
    // The series with this start, step value and direction, created when new
    // (with the last number given, or the largest of the start's width).
    std::optional<Series> openSeries(const QString& start, const QString& step, bool reverse,
                                     const QString& last = {});
    // The number the next reservation takes: the lowest released number no
    // other record holds, else the one after the series' furthest number.
    std::optional<QString> nextNumber(const Series& series);
    // The record that holds this TID, released ones left aside.
    std::optional<Record> findTid(const QString& tid);
    // Reserves the series' next number for the tag, for the held station. The
    // other stations' reservations of the series wait only while it picks the
    // number and inserts the pending record: one statement on PostgreSQL, the
    // write lock's few statements on SQLite.
    Reservation reserve(const Series& series, const QString& tid, const QString& station);
    // Settles a record of the held station: only a pending one, or an
    // uncertain one whose tag was read back since. False when the record
    // could not be changed.
    bool resolve(qint64 id, Outcome outcome);

    // The held station's pending records.
    QList<Record> pending(const QString& station);
    // Records the lock steps of a record of the held station.
    bool recordLock(qint64 id, const Lock& lock);
    // The held station's written records whose lock is unfinished.
    QList<Record> unfinishedLocks(const QString& station);
    // The keys that the series' records were locked with.
    QStringList keyIds(qint64 series);
    // The last `count` records, oldest first; every record when count <= 0.
    QList<Record> records(int count = 0);
    QList<SeriesSummary> seriesSummaries();
    Check check();
    // The records as CSV with a header line.
    static QString csv(const QList<Record>& records);

    // The statements that run for every tag, placeholders "?". Reserve is
    // PostgreSQL's reservation, which runs Released, Furthest, Held and
    // Insert on the server. Freed and Taken keep the free numbers when a
    // record is released or a number taken (the database runs them on each
    // change of a record). Pending and LastSeries run once as a station
    // starts, and must not grow with the journal either.
    enum class PerTag {
        FindTid,
        Released,
        Furthest,
        Held,
        Insert,
        Resolve,
        Reserve,
        Freed,
        Taken,
        Pending,
        LastSeries,
    };
    static constexpr size_t perTagCount = 11;
    static QString perTagStatement(PerTag which);

    // The time of new records; tests put a fixed one in.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); };

  private:
    bool fail(const QString& what, const QString& reason);
    Status nextNumberLocked(const Series& series, QString* number);
    Status reserveInTransaction(const Series& series, Record& record);
    Status reserveOnServer(const Series& series, Record& record);
    // The per-tag statement, prepared once for this connection; null when it
    // cannot be prepared.
    QSqlQuery* prepared(PerTag which);
    std::optional<Series> findSeries(const QString& condition, const QVariantList& values);
    // Fills in the lock columns of records read without them.
    void addLocks(QList<Record>& records);
    // Journals from before locking get the lock columns.
    bool addLockColumns();
    // The checks of check().
    void checkIntegrity(Check& result);
    void checkHeldTwice(Check& result);
    // Lists the pending and uncertain records; returns the pending numbers.
    QSet<QString> listOpen(Check& result);
    void checkGaps(Check& result, const QSet<QString>& pendingNumbers);
    void checkLocks(Check& result);

    QString connection_;
    QSqlDatabase db_;
    Address address_;
    QString seriesColumns_;
    bool lockColumns_ = false;
    QString error_;
    QString station_;
    std::unique_ptr<JournalBackend> backend_;
    std::array<std::unique_ptr<QSqlQuery>, perTagCount> prepared_;
};

QString outcomeName(IssuingJournal::Outcome outcome);
// The lock of a record as the journal's listings show it: the areas and
// actions and whether verified ("epc=lock,access=lock verified"); empty when
// the tag was not locked.
QString lockText(const IssuingJournal::Lock& lock);
