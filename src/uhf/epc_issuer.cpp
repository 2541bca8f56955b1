#include "epc_issuer.h"

#include "protocol/hex_text.h"

EpcIssuer::EpcIssuer(EpcOperations& operations, IssuingJournal& journal,
                     IssuingJournal::Series series, QString station, QString password)
    : operations_(operations), journal_(journal), series_(std::move(series)),
      station_(std::move(station)), password_(std::move(password)) {}

EpcIssuer::Settlement EpcIssuer::settlePending() {
    Settlement settlement;
    for (const IssuingJournal::Record& record : journal_.pending(station_)) {
        switch (operations_.tagCarries(record.tid, record.epc)) {
        case EpcOperations::Carries::Yes:
            journal_.resolve(record.id, IssuingJournal::Outcome::Written);
            ++settlement.written;
            break;
        case EpcOperations::Carries::No:
            journal_.resolve(record.id, IssuingJournal::Outcome::Released);
            ++settlement.released;
            break;
        case EpcOperations::Carries::Unknown:
            journal_.resolve(record.id, IssuingJournal::Outcome::Uncertain);
            settlement.uncertain << record;
            break;
        }
    }
    return settlement;
}

EpcIssuer::Attempt EpcIssuer::finish(Event event, const QString& epc, const QString& tid,
                                     const QString& detail) {
    lastTid_ = tid;
    if (tagDone)
        tagDone();
    return {event, epc, tid, detail};
}

EpcIssuer::Attempt EpcIssuer::attempt() {
    using Outcome = EpcOperations::Outcome;
    QString epc;
    QString crc;
    switch (operations_.inventory(&epc, &crc)) {
    case Outcome::Done:
        break;
    case Outcome::NoReply:
        return {Event::NoReply, {}, {}, operations_.errorText()};
    case Outcome::NoTag:
        return {Event::NoTag, {}, {}, {}};
    case Outcome::Refused:
    case Outcome::Garbled:
        return {Event::Unreadable, {}, {}, operations_.errorText()};
    }
    QString tid;
    if (operations_.readTid(epc, &tid) != Outcome::Done)
        return {Event::Unreadable, epc, {}, operations_.errorText()};
    if (tid == lastTid_)
        return {Event::SameTag, epc, tid, {}};

    const std::optional<IssuingJournal::Record> held = journal_.findTid(tid);
    if (!journal_.errorText().isEmpty() && !held)
        return {Event::JournalFailed, epc, tid, journal_.errorText()};
    if (held) {
        // A record left open: the EPC the tag carries settles it.
        const bool carries = held->epc.compare(epc, Qt::CaseInsensitive) == 0;
        if (held->outcome != IssuingJournal::Outcome::Written && carries)
            journal_.resolve(held->id, IssuingJournal::Outcome::Written);
        if (!(held->outcome == IssuingJournal::Outcome::Uncertain && !carries &&
              journal_.resolve(held->id, IssuingJournal::Outcome::Released)))
            return finish(Event::Skipped, held->epc, tid);
    }

    const IssuingJournal::Reservation reservation = journal_.reserve(series_, tid, station_);
    if (reservation.status != IssuingJournal::Status::Ok)
        return {reservation.status == IssuingJournal::Status::Conflict    ? Event::Conflict
                : reservation.status == IssuingJournal::Status::Exhausted ? Event::Exhausted
                                                                          : Event::JournalFailed,
                {},
                tid,
                journal_.errorText()};
    const IssuingJournal::Record& record = reservation.record;
    const QString problem = epcNumberProblem(record.epc);
    if (!problem.isEmpty()) {
        journal_.resolve(record.id, IssuingJournal::Outcome::Released);
        return {Event::Conflict, record.epc, tid, problem};
    }

    // Selecting by TID reaches this tag only, even among tags with equal EPCs.
    QString detail;
    Outcome written = operations_.selectTid(tid);
    if (written == Outcome::Done)
        written = operations_.writeEpc(password_, crc, record.epc);
    if (written != Outcome::Done)
        detail = operations_.errorText();
    // The same refusal from tag after tag is a fault of the series or the
    // tags, not of one tag.
    const QString refusal = written == Outcome::Refused ? detail : QString();
    sameRefusals_ = refusal.isEmpty() ? 0 : refusal == refusal_ ? sameRefusals_ + 1 : 1;
    refusal_ = refusal;
    IssuingJournal::Outcome outcome = IssuingJournal::Outcome::Uncertain;
    Event event = Event::Uncertain;
    switch (operations_.tagCarries(tid, record.epc)) {
    case EpcOperations::Carries::Yes:
        outcome = IssuingJournal::Outcome::Written;
        event = Event::Issued;
        break;
    case EpcOperations::Carries::No:
        outcome = IssuingJournal::Outcome::Released;
        event = Event::NotWritten;
        break;
    case EpcOperations::Carries::Unknown:
        if (detail.isEmpty())
            detail = operations_.errorText();
        break;
    }
    if (!journal_.resolve(record.id, outcome))
        return finish(Event::JournalFailed, record.epc, tid, journal_.errorText());
    return finish(event, record.epc, tid, detail);
}
