#include "epc_issuer.h"

#include "protocol/hex_text.h"
#include "uhf/module_frame.h"

#include <QCoreApplication>
#include <utility>

namespace {

using LockStep = IssuingJournal::Step;
using TagOutcome = uhf::TagAccess::Outcome;

// The module's codes for a write to locked memory and a read of a locked password.
constexpr int writeLocked = 0xB4;
constexpr int readLocked = 0xA4;
// Lock failed: no tag answered the lock, or it was garbled on the air.
constexpr int lockFailed = 0x13;
// The EPC starts at word 2 of the EPC bank, behind the StoredCRC and PC.
constexpr int epcWord = 2;

QString tr(const char* text) {
    return QCoreApplication::translate("EpcIssuer", text);
}

quint32 passwordValue(const QString& hex) {
    return hex::digitsOf(hex).toUInt(nullptr, 16);
}

// A step that did not answer, or found no tag, is not known to have happened:
// settling tries it again. A refusal is final.
LockStep stepOf(TagOutcome outcome) {
    switch (outcome) {
    case TagOutcome::Done:
        return LockStep::Done;
    case TagOutcome::Refused:
        return LockStep::Failed;
    default:
        return LockStep::NotYet;
    }
}

} // namespace

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
            release(record);
            ++settlement.released;
            break;
        case EpcOperations::Carries::Unknown:
            journal_.resolve(record.id, IssuingJournal::Outcome::Uncertain);
            settlement.uncertain << record;
            break;
        }
    }
    for (IssuingJournal::Record& record : journal_.unfinishedLocks(station_)) {
        QString detail;
        if (canLock(record.lock))
            lockTag(record, &detail);
        (record.lock.verified == LockStep::Done ? settlement.locked : settlement.lockLeft)
            << record;
    }
    return settlement;
}

bool EpcIssuer::release(const IssuingJournal::Record& record) {
    return (!record.lock.inUse() || journal_.recordLock(record.id, {})) &&
           journal_.resolve(record.id, IssuingJournal::Outcome::Released);
}

bool EpcIssuer::canLock(const IssuingJournal::Lock& lock) const {
    return lock_ && lock.unfinished() && lock.keyId == lock_->key.id() &&
           uhf::LockPlan::fromText(lock.plan);
}

void EpcIssuer::reached(Step step) {
    if (stepDone)
        stepDone(step);
}

void EpcIssuer::noteRefusal(const QString& refusal) {
    // The same refusal from tag after tag is a fault of the series or the
    // tags, not of one tag.
    sameRefusals_ = refusal.isEmpty() ? 0 : refusal == refusal_ ? sameRefusals_ + 1 : 1;
    refusal_ = refusal;
}

bool EpcIssuer::lockTag(IssuingJournal::Record& record, QString* detail) {
    IssuingJournal::Lock& lock = record.lock;
    const uhf::LockPlan plan = *uhf::LockPlan::fromText(lock.plan);
    const quint32 password = passwordValue(lock_->key.password(record.tid));
    uhf::TagAccess access(operations_.link());
    const QByteArray epc = hex::toBytes(record.epc);
    // Selected by its TID before every command, so that no other tag takes
    // this tag's password or lock.
    if (access.choose({hex::toBytes(record.tid), epc}) != TagOutcome::Done) {
        *detail = access.errorText();
        return true;
    }
    bool recorded = true;
    const auto step = [&](LockStep* state, Step which, auto run) {
        if (*state == LockStep::Done)
            return true;
        *state = run();
        reached(which);
        // The module's error in words; the tag is named by whoever reports it.
        if (*state != LockStep::Done && detail->isEmpty())
            *detail =
                access.errorCode() >= 0 ? uhf::errorText(access.errorCode()) : access.errorText();
        recorded = journal_.recordLock(record.id, lock);
        return recorded && *state == LockStep::Done;
    };
    step(&lock.passwordSet, Step::Password, [&] { return setPassword(access, password); }) &&
        step(&lock.locked, Step::Lock,
             [&] {
                 const TagOutcome locked = access.lock(plan, password);
                 return locked == TagOutcome::Refused && access.errorCode() == lockFailed
                            ? LockStep::NotYet
                            : stepOf(locked);
             }) &&
        step(&lock.verified, Step::Verify, [&] { return verify(access, plan, epc, detail); });
    return recorded;
}

IssuingJournal::Step EpcIssuer::setPassword(uhf::TagAccess& access, quint32 password) {
    const TagOutcome set = access.setAccessPassword(password, passwordValue(password_));
    if (set != TagOutcome::Refused)
        return stepOf(set);
    // A tag that has the password already (a crash after this step, or a
    // lock after it) refuses the write without it: readable with it, it is set.
    QByteArray words;
    const TagOutcome read =
        access.read(uhf::Bank::Reserved, uhf::accessPasswordWord, 2, password, &words);
    if (read == TagOutcome::Done)
        return words == hex::toBytes(QStringLiteral("%1").arg(password, 8, 16, QChar('0')))
                   ? LockStep::Done
                   : LockStep::Failed;
    return read == TagOutcome::Refused ? LockStep::Failed : LockStep::NotYet;
}

IssuingJournal::Step EpcIssuer::verify(uhf::TagAccess& access, const uhf::LockPlan& plan,
                                       const QByteArray& epc, QString* detail) {
    // From outside, without the password: the same EPC (which changes nothing
    // should the lock not have taken) must not be writable, and the access
    // password must not be readable.
    if (plan.action(uhf::LockArea::Epc)) {
        const TagOutcome written = access.write(uhf::Bank::Epc, epcWord, epc, 0);
        if (written == TagOutcome::Done) {
            *detail = tr("锁定没有生效：不用访问密码也能写入EPC");
            return LockStep::Failed;
        }
        if (written != TagOutcome::Refused || access.errorCode() != writeLocked)
            return LockStep::NotYet;
    }
    if (plan.action(uhf::LockArea::AccessPassword)) {
        QByteArray words;
        const TagOutcome read =
            access.read(uhf::Bank::Reserved, uhf::accessPasswordWord, 2, 0, &words);
        if (read == TagOutcome::Done) {
            *detail = tr("锁定没有生效：不用访问密码也能读出访问密码");
            return LockStep::Failed;
        }
        if (read != TagOutcome::Refused || access.errorCode() != readLocked)
            return LockStep::NotYet;
    }
    return LockStep::Done;
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
    // The tag last handled is left alone, unless the lock of the tag just
    // issued could not be finished (no answer): that is tried once more.
    const bool retryLock = std::exchange(lockLeft_, false);
    if (tid == lastTid_ && !retryLock)
        return {Event::SameTag, epc, tid, {}};

    const std::optional<IssuingJournal::Record> held = journal_.findTid(tid);
    if (!journal_.errorText().isEmpty() && !held)
        return {Event::JournalFailed, epc, tid, journal_.errorText()};
    if (held) {
        // A record left open: the EPC the tag carries settles it. An
        // uncertain number the tag does not carry goes back to the series.
        const bool carries = held->epc.compare(epc, Qt::CaseInsensitive) == 0;
        if (!(held->outcome == IssuingJournal::Outcome::Uncertain && !carries && release(*held)))
            return skip(*held, carries);
    }

    const IssuingJournal::Reservation reservation = journal_.reserve(series_, tid, station_);
    if (reservation.status != IssuingJournal::Status::Ok)
        return {reservation.status == IssuingJournal::Status::Conflict    ? Event::Conflict
                : reservation.status == IssuingJournal::Status::Exhausted ? Event::Exhausted
                                                                          : Event::JournalFailed,
                {},
                tid,
                journal_.errorText()};
    IssuingJournal::Record record = reservation.record;
    const QString problem = epcNumberProblem(record.epc);
    if (!problem.isEmpty()) {
        journal_.resolve(record.id, IssuingJournal::Outcome::Released);
        return {Event::Conflict, record.epc, tid, problem};
    }
    // The lock is promised before the write: a crash from here on leaves a
    // record that says the tag is still to be locked.
    if (lock_) {
        record.lock = {lock_->plan.text(), lock_->key.id()};
        if (!journal_.recordLock(record.id, record.lock)) {
            const QString why = journal_.errorText();
            journal_.resolve(record.id, IssuingJournal::Outcome::Released);
            return {Event::JournalFailed, record.epc, tid, why};
        }
    }
    reached(Step::Reserve);

    // Selecting by TID reaches this tag only, even among tags with equal EPCs.
    QString detail;
    Outcome written = operations_.selectTid(tid);
    if (written == Outcome::Done)
        written = operations_.writeEpc(password_, crc, record.epc);
    if (written != Outcome::Done)
        detail = operations_.errorText();
    reached(Step::Write);
    noteRefusal(written == Outcome::Refused ? detail : QString());
    IssuingJournal::Outcome outcome = IssuingJournal::Outcome::Uncertain;
    Event event = Event::Uncertain;
    const EpcOperations::Carries carries = operations_.tagCarries(tid, record.epc);
    reached(Step::ReadBack);
    switch (carries) {
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
    if (!(outcome == IssuingJournal::Outcome::Released ? release(record)
                                                       : journal_.resolve(record.id, outcome)))
        return finish(Event::JournalFailed, record.epc, tid, journal_.errorText());
    if (event == Event::Issued && lock_)
        return withLock(event, record);
    return finish(event, record.epc, tid, detail);
}

EpcIssuer::Attempt EpcIssuer::skip(IssuingJournal::Record held, bool carries) {
    if (held.outcome != IssuingJournal::Outcome::Written && carries &&
        journal_.resolve(held.id, IssuingJournal::Outcome::Written))
        held.outcome = IssuingJournal::Outcome::Written;
    // Its tag is here: a lock left unfinished is finished now.
    if (held.outcome == IssuingJournal::Outcome::Written && canLock(held.lock))
        return withLock(Event::Skipped, held);
    Attempt skipped = finish(Event::Skipped, held.epc, held.tid);
    skipped.lock = held.lock;
    return skipped;
}

EpcIssuer::Attempt EpcIssuer::withLock(Event event, IssuingJournal::Record& record) {
    QString detail;
    if (!lockTag(record, &detail))
        return finish(Event::JournalFailed, record.epc, record.tid, journal_.errorText());
    const bool verified = record.lock.verified == IssuingJournal::Step::Done;
    noteRefusal(record.lock.failed() ? detail : QString());
    lockLeft_ = event == Event::Issued && record.lock.unfinished();
    Attempt attempt = finish(event, record.epc, record.tid);
    attempt.lock = record.lock;
    if (!verified)
        attempt.lockDetail = detail;
    return attempt;
}
