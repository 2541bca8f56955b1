#pragma once

#include "access_key.h"
#include "epc_number.h"
#include "epc_operations.h"
#include "issuing_journal.h"
#include "tag_access.h"

#include <functional>
#include <optional>

// One station issuing the numbers of a series to the tags presented to its
// reader one after another, each tag once, each number once, with every step
// in the journal: the number is reserved before it is written, the tag is
// read back after the write, and only what was read back decides the record.
//
// With a lock set up, a tag read back with its number then gets an access
// password of its own (derived from the key and its TID), is locked as
// planned, and the lock is verified from outside: without the password its
// EPC must not be writable and its password not readable. The plan and the
// key id go into the record before the write, so that a crash at any step
// leaves a record that says what is still to do; settling finishes it when
// the tag is in the field again.
class EpcIssuer {
  public:
    enum class Event {
        NoReply,       // the reader did not answer
        NoTag,         // nothing in the field
        Unreadable,    // a tag answered, but its TID could not be read
        SameTag,       // the tag last handled is still in the field
        Skipped,       // the tag is in the journal already: not written again
        Issued,        // written and read back with its number
        NotWritten,    // read back without the number: the number is free again
        Uncertain,     // not read back: the number is never used again
        Conflict,      // the next number or the tag is held by another record
        JournalFailed, // the journal could not be read or written
        Exhausted,     // the series has no number left
    };
    struct Attempt {
        Attempt(Event event = Event::NoTag, QString epc = {}, QString tid = {}, QString detail = {})
            : event(event), epc(std::move(epc)), tid(std::move(tid)), detail(std::move(detail)) {}
        Event event;
        QString epc; // the number issued, or the one the tag carries
        QString tid;
        QString detail; // why, for the events that are failures
        // The tag's lock steps as recorded; not in use without a lock set up.
        // Issued or Skipped with a lock that is not verified: the tag carries
        // its number but is not (known to be) locked.
        IssuingJournal::Lock lock;
        QString lockDetail; // why the lock is not verified
    };
    // What settling the records a crash left pending found.
    struct Settlement {
        int written = 0;
        int released = 0;
        QList<IssuingJournal::Record> uncertain;
        // Records of written tags whose lock was unfinished: verified now, or
        // still left (the tag not in the field, a step refused, another key,
        // or no lock set up).
        QList<IssuingJournal::Record> locked;
        QList<IssuingJournal::Record> lockLeft;
    };
    // What issuing locks with: the plan of every tag's lock and the key its
    // access password is derived from.
    struct LockSetup {
        uhf::LockPlan plan;
        AccessKey key;
    };
    // The steps of one tag, in their order.
    enum class Step { Reserve, Write, ReadBack, Password, Lock, Verify };

    EpcIssuer(EpcOperations& operations, IssuingJournal& journal, IssuingJournal::Series series,
              QString station, QString password = QStringLiteral("00000000"));

    // Lock every tag issued from now on (nothing: no lock).
    void setLock(std::optional<LockSetup> setup) { lock_ = std::move(setup); }
    const std::optional<LockSetup>& lockSetup() const { return lock_; }

    // Settles this station's pending records by reading their tags, if they
    // are in the field: written when the tag carries the number, released
    // when it does not, uncertain when it cannot be read. Then, with a lock
    // set up, finishes the unfinished locks made with its key whose tags are
    // in the field.
    Settlement settlePending();
    // One cycle: find the tag in the field and issue it the next number.
    Attempt attempt();
    const IssuingJournal::Series& series() const { return series_; }
    // The reader's refusal of the last write, and on how many tags in a row
    // it refused the same way.
    const QString& refusal() const { return refusal_; }
    int sameRefusals() const { return sameRefusals_; }

    // Called for a tag that has been handled (issued, skipped or failed) and
    // should leave the field; a simulated reader takes it away.
    std::function<void()> tagDone;
    // Called after each step, before what it did is recorded: after the
    // reservation, the write, the read back (the record still pending), and
    // each lock step's tag command.
    std::function<void(Step)> stepDone;

  private:
    Attempt finish(Event event, const QString& epc, const QString& tid, const QString& detail = {});
    // A tag the journal has already: settled by the EPC it carries, its
    // lock finished when it waits for one.
    Attempt skip(IssuingJournal::Record held, bool carries);
    // The lock steps of a tag just issued or skipped, and what they did.
    Attempt withLock(Event event, IssuingJournal::Record& record);
    void noteRefusal(const QString& refusal);
    void reached(Step step);
    // Releases a record whose tag does not carry its number, its lock plan
    // dropped first (the number goes to another tag).
    bool release(const IssuingJournal::Record& record);
    // Whether this issuer can finish the record's lock: set up with its key.
    bool canLock(const IssuingJournal::Lock& lock) const;
    // The record's lock steps from the first not done, each recorded; the
    // record's lock updated, why it is not verified in *detail. False when
    // the journal could not record a step.
    bool lockTag(IssuingJournal::Record& record, QString* detail);
    IssuingJournal::Step setPassword(uhf::TagAccess& access, quint32 password);
    IssuingJournal::Step verify(uhf::TagAccess& access, const uhf::LockPlan& plan,
                                const QByteArray& epc, QString* detail);

    EpcOperations& operations_;
    IssuingJournal& journal_;
    IssuingJournal::Series series_;
    QString station_;
    QString password_;
    std::optional<LockSetup> lock_;
    QString lastTid_;       // the tag last handled, until another one is found
    bool lockLeft_ = false; // its lock is unfinished
    QString refusal_;
    int sameRefusals_ = 0;
};
