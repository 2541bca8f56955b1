#include "inventory.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace uhf {

namespace {

qint64 secondOfTime(qint64 milliseconds) {
    return milliseconds >= 0 ? milliseconds / 1000 : (milliseconds - 999) / 1000;
}

size_t slotOf(qint64 second) {
    return size_t(((second % historySeconds) + historySeconds) % historySeconds);
}

void addTo(SecondOfReads& slot, int rssi) {
    if (slot.reads < std::numeric_limits<quint16>::max()) {
        ++slot.reads;
        slot.rssiSum += rssi;
    }
    slot.rssiPeak = qint8(std::max<int>(slot.rssiPeak, rssi));
}

} // namespace

InventoryStatistics::InventoryStatistics(const Clock& clock, int tagLimit)
    : clock_(clock), tagLimit_(std::max(1, tagLimit)) {}

void InventoryStatistics::begin() {
    tags_.clear();
    rows_.clear();
    seconds_ = {};
    started_ = clock_.now().toMSecsSinceEpoch();
    newestSecond_ = secondOfTime(started_);
    ended_ = 0;
    running_ = true;
    reads_ = forgotten_ = damaged_ = errors_ = 0;
    ++revision_;
    ++generation_;
}

void InventoryStatistics::end() {
    if (!running_)
        return;
    ended_ = clock_.now().toMSecsSinceEpoch();
    running_ = false;
    ++revision_;
}

qint64 InventoryStatistics::now() const {
    return running_ || !ended_ ? clock_.now().toMSecsSinceEpoch() : ended_;
}

void InventoryStatistics::advance(std::array<SecondOfReads, historySeconds>& seconds,
                                  qint64& newest, qint64 second) {
    if (second <= newest)
        return;
    // Slots between the newest second and this one held older seconds.
    for (qint64 s = std::max(newest + 1, second - historySeconds + 1); s <= second; ++s)
        seconds[slotOf(s)] = SecondOfReads();
    newest = second;
}

const SecondOfReads*
InventoryStatistics::secondOf(const std::array<SecondOfReads, historySeconds>& seconds,
                              qint64 newest, qint64 second) {
    if (second > newest || second <= newest - historySeconds)
        return nullptr;
    return &seconds[slotOf(second)];
}

void InventoryStatistics::add(std::array<SecondOfReads, historySeconds>& seconds, qint64& newest,
                              qint64 second, int rssi) {
    advance(seconds, newest, second);
    // A read stamped before the seconds kept (the clock went back) counts in
    // the totals only.
    if (second > newest - historySeconds)
        addTo(seconds[slotOf(second)], rssi);
}

void InventoryStatistics::record(const TagNotice& notice) {
    const qint64 at = clock_.now().toMSecsSinceEpoch();
    const qint64 second = secondOfTime(at);
    int row = rows_.value(notice.epc, -1);
    if (row < 0) {
        if (int(tags_.size()) >= tagLimit_)
            forgetOldest();
        row = int(tags_.size());
        TagStatistics& fresh = tags_.emplace_back();
        fresh.epc = notice.epc;
        fresh.firstSeen = at;
        fresh.rssiPeak = notice.rssi;
        fresh.newestSecond = second;
        rows_.insert(notice.epc, row);
    }
    TagStatistics& tag = tags_[size_t(row)];
    tag.pc = notice.pc;
    ++tag.reads;
    tag.rssiLast = notice.rssi;
    tag.rssiPeak = std::max(tag.rssiPeak, notice.rssi);
    tag.rssiSum += notice.rssi;
    tag.lastSeen = std::max(tag.lastSeen, at);
    add(tag.seconds, tag.newestSecond, second, notice.rssi);
    ++reads_;
    add(seconds_, newestSecond_, second, notice.rssi);
    ++revision_;
}

void InventoryStatistics::forgetOldest() {
    // A tenth at a time, so that the cost of renumbering the rows is spread
    // over many new tags.
    const size_t keep = tags_.size() - std::max<size_t>(1, tags_.size() / 10);
    std::vector<qint64> lastSeen;
    lastSeen.reserve(tags_.size());
    for (const TagStatistics& t : tags_)
        lastSeen.push_back(t.lastSeen);
    const size_t dropped = tags_.size() - keep;
    std::nth_element(lastSeen.begin(), lastSeen.begin() + qsizetype(dropped - 1), lastSeen.end());
    const qint64 cut = lastSeen[dropped - 1];
    // Tags seen at the cut time itself may be more than needed: drop only as
    // many as counted.
    size_t toDrop = dropped;
    const auto end = std::remove_if(tags_.begin(), tags_.end(), [&](const TagStatistics& t) {
        if (toDrop && t.lastSeen <= cut) {
            --toDrop;
            return true;
        }
        return false;
    });
    forgotten_ += quint64(tags_.end() - end);
    tags_.erase(end, tags_.end());
    rows_.clear();
    rows_.reserve(qsizetype(tags_.size()));
    for (size_t row = 0; row < tags_.size(); ++row)
        rows_.insert(tags_[row].epc, int(row));
    ++generation_;
}

std::vector<int> InventoryStatistics::sortedRows(TagOrder order, bool descending) const {
    const qint64 last = lastWholeSecond();
    const auto key = [&](const TagStatistics& t) -> double {
        switch (order) {
        case TagOrder::Pc:
            return t.pc;
        case TagOrder::Reads:
            return double(t.reads);
        case TagOrder::RssiLast:
            return t.rssiLast;
        case TagOrder::RssiPeak:
            return t.rssiPeak;
        case TagOrder::RssiAverage:
            return t.rssiAverage();
        case TagOrder::FirstSeen:
            return double(t.firstSeen);
        case TagOrder::LastSeen:
            return double(t.lastSeen);
        case TagOrder::Rate:
            return readsPerSecond(t, last);
        case TagOrder::Epc:
            break;
        }
        return 0.0;
    };
    // Keys taken once, with the EPC's first 16 bytes for ties: the clock, the
    // switch and the tags' scattered memory stay out of the comparisons.
    struct Keyed {
        double key;
        quint64 epcHigh;
        quint64 epcLow;
        int row;
    };
    const auto epcPart = [](const QByteArray& epc, int from) {
        quint64 part = 0;
        for (int i = from; i < from + 8; ++i)
            part = part << 8 | (i < epc.size() ? quint8(epc[i]) : 0);
        return part;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(tags_.size());
    for (size_t row = 0; row < tags_.size(); ++row) {
        const TagStatistics& t = tags_[row];
        keyed.push_back({key(t), epcPart(t.epc, 0), epcPart(t.epc, 8), int(row)});
    }
    const bool byEpc = order == TagOrder::Epc;
    const auto epcBefore = [&](const Keyed& a, const Keyed& b) {
        if (a.epcHigh != b.epcHigh)
            return a.epcHigh < b.epcHigh;
        if (a.epcLow != b.epcLow)
            return a.epcLow < b.epcLow;
        return tags_[size_t(a.row)].epc < tags_[size_t(b.row)].epc;
    };
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        if (a.key != b.key)
            return descending ? a.key > b.key : a.key < b.key;
        return descending && byEpc ? epcBefore(b, a) : epcBefore(a, b);
    });
    std::vector<int> rows;
    rows.reserve(keyed.size());
    for (const Keyed& k : keyed)
        rows.push_back(k.row);
    return rows;
}

qint64 InventoryStatistics::runMilliseconds() const {
    if (!started_)
        return 0;
    return std::max<qint64>(0, now() - started_);
}

qint64 InventoryStatistics::lastWholeSecond() const {
    return secondOfTime(now()) - 1;
}

int InventoryStatistics::readsPerSecondNow() const {
    const SecondOfReads* slot = secondOf(seconds_, newestSecond_, lastWholeSecond());
    return slot ? slot->reads : 0;
}

double InventoryStatistics::readsPerSecondAverage() const {
    const qint64 run = runMilliseconds();
    return run > 0 ? double(reads_) * 1000.0 / double(run) : 0.0;
}

QList<int> InventoryStatistics::readsPerSecondHistory() const {
    QList<int> history;
    history.reserve(historySeconds);
    const qint64 last = lastWholeSecond();
    for (qint64 s = last - historySeconds + 1; s <= last; ++s) {
        const SecondOfReads* slot = secondOf(seconds_, newestSecond_, s);
        history.append(slot ? slot->reads : 0);
    }
    return history;
}

double InventoryStatistics::tagReadsPerSecond(int row) const {
    return readsPerSecond(tags_[size_t(row)], lastWholeSecond());
}

double InventoryStatistics::readsPerSecond(const TagStatistics& t, qint64 last) const {
    const qint64 span =
        std::clamp<qint64>(last + 1 - secondOfTime(started_), 1, qint64(tagRateSeconds));
    quint64 reads = 0;
    for (qint64 s = last - span + 1; s <= last; ++s)
        if (const SecondOfReads* slot = secondOf(t.seconds, t.newestSecond, s))
            reads += slot->reads;
    return double(reads) / double(span);
}

QList<double> InventoryStatistics::tagRssiHistory(int row) const {
    const TagStatistics& t = tags_[size_t(row)];
    QList<double> history;
    history.reserve(historySeconds);
    const qint64 last = lastWholeSecond();
    for (qint64 s = last - historySeconds + 1; s <= last; ++s) {
        const SecondOfReads* slot = secondOf(t.seconds, t.newestSecond, s);
        history.append(slot && slot->reads ? double(slot->rssiSum) / slot->reads
                                           : std::numeric_limits<double>::quiet_NaN());
    }
    return history;
}

} // namespace uhf
