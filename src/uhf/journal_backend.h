#pragma once

#include "issuing_journal.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// What a journal's database does its own way: opening, the schema, the
// station lease, transactions and the integrity check. The journal itself
// (series, reservations, records) is written once above it.
class JournalBackend {
  public:
    using Access = IssuingJournal::Access;
    using Status = IssuingJournal::Status;

    JournalBackend(const IssuingJournal::Address& address, QSqlDatabase& db, QString& error)
        : address_(address), db_(db), error_(error) {}
    virtual ~JournalBackend() = default;
    JournalBackend(const JournalBackend&) = delete;
    JournalBackend& operator=(const JournalBackend&) = delete;

    // Opens the database under this connection name; for Issue the journal's
    // tables exist afterwards.
    virtual bool open(const QString& connection, Access access) = 0;
    // Takes the station's lease for the life of this object; holder names
    // this process for the one refused.
    virtual Status hold(const QString& station, const QString& holder) = 0;
    // Starts a transaction that other stations' writes wait for.
    virtual bool begin() = 0;
    // The database picks the number and inserts the pending record in one
    // statement (IssuingJournal::PerTag::Reserve); otherwise the journal
    // does it in a transaction of its own.
    virtual bool reservesInOneStatement() const = 0;
    // A statement that reads the whole journal and answers "ok" or its damage.
    virtual QString integrityStatement() const = 0;
    // The journal is still the one opened (not deleted or replaced).
    virtual bool fileUnchanged() { return true; }

    bool created() const { return created_; }
    bool damaged() const { return damaged_; }

    bool fail(const QString& what, const QString& reason);
    bool exec(const QString& statement);
    void rollback();

  protected:
    // The tables and indexes both databases have, with their own primary key type.
    static QStringList commonTables(const QString& key);
    // Fills the free numbers of a journal made before they were kept.
    static QString freeNumbersOfOlderJournal();
    // Runs the statements in one transaction.
    bool createInTransaction(const QStringList& statements);

    const IssuingJournal::Address address_;
    QSqlDatabase& db_;
    QString& error_;
    bool created_ = false;
    bool damaged_ = false;
};

// The per-tag statement with its placeholders replaced by these names, in order.
QString namedStatement(IssuingJournal::PerTag which, const QStringList& names);

// The journal's error line for a step that failed, the driver's reason on one line.
QString journalFailure(const QString& what, const QString& reason);

// Waits for another station's transaction or lock end with an error after
// this long instead of hanging the line.
constexpr int journalWaitLimitMs = 20000;
