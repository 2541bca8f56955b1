#pragma once

#include "epc_number.h"
#include "epc_operations.h"
#include "issuing_journal.h"

#include <functional>

// One station issuing the numbers of a series to the tags presented to its
// reader one after another, each tag once, each number once, with every step
// in the journal: the number is reserved before it is written, the tag is
// read back after the write, and only what was read back decides the record.
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
        Event event = Event::NoTag;
        QString epc; // the number issued, or the one the tag carries
        QString tid;
        QString detail; // why, for the events that are failures
    };
    // What settling the records a crash left pending found.
    struct Settlement {
        int written = 0;
        int released = 0;
        QList<IssuingJournal::Record> uncertain;
    };

    EpcIssuer(EpcOperations& operations, IssuingJournal& journal, IssuingJournal::Series series,
              QString station, QString password = QStringLiteral("00000000"));

    // Settles this station's pending records by reading their tags, if they
    // are in the field: written when the tag carries the number, released
    // when it does not, uncertain when it cannot be read.
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

  private:
    Attempt finish(Event event, const QString& epc, const QString& tid, const QString& detail = {});

    EpcOperations& operations_;
    IssuingJournal& journal_;
    IssuingJournal::Series series_;
    QString station_;
    QString password_;
    QString lastTid_; // the tag last handled, until another one is found
    QString refusal_;
    int sameRefusals_ = 0;
};
