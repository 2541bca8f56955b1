#pragma once

#include "module_frame.h"
#include "protocol/clock.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <array>
#include <deque>
#include <vector>

// What an inventory run has seen: per tag and in total, without widgets. Reads
// come in bursts; a table model and a plot read this at their own steady rate.
// Times are milliseconds since the epoch from the injected clock. Memory is
// bounded: each tag keeps a fixed-size record, and past a cap on the number of
// tags the ones not seen for longest are forgotten (and counted).
namespace uhf {

// Reads of one second: their count, the sum and peak of their RSSI.
struct SecondOfReads {
    qint32 rssiSum = 0;
    quint16 reads = 0;
    qint8 rssiPeak = -128;
};

// The seconds kept for the plots and rates.
constexpr int historySeconds = 60;
// The window of a tag's reads per second.
constexpr int tagRateSeconds = 5;

struct TagStatistics {
    QByteArray epc;
    quint16 pc = 0;
    quint64 reads = 0;
    int rssiLast = 0;
    int rssiPeak = -128;
    qint64 rssiSum = 0;
    qint64 firstSeen = 0;
    qint64 lastSeen = 0;
    // Per second, the slot of second s at s % historySeconds; newestSecond is
    // the second of the latest read.
    std::array<SecondOfReads, historySeconds> seconds{};
    qint64 newestSecond = 0;

    // Mean RSSI of every read, dBm.
    double rssiAverage() const { return reads ? double(rssiSum) / double(reads) : 0.0; }
};

// Sort keys of the tag table.
enum class TagOrder { Epc, Pc, Reads, RssiLast, RssiPeak, RssiAverage, FirstSeen, LastSeen, Rate };

class InventoryStatistics {
  public:
    // Tags kept before the ones not seen for longest are forgotten.
    static constexpr int defaultTagLimit = 150000;

    explicit InventoryStatistics(const Clock& clock, int tagLimit = defaultTagLimit);

    // Forgets everything and starts a run at the clock's time.
    void begin();
    // Ends the run at the clock's time: run time and rates stand still there.
    void end();
    bool running() const { return running_; }

    // One tag read, at the clock's time.
    void record(const TagNotice& notice);
    // A frame that was skipped as damaged, an error response of the module.
    void countDamaged(quint64 frames = 1) { damaged_ += frames; }
    void countError() { ++errors_; }

    // The tags as rows: a row keeps its tag until rows are forgotten (the tag
    // limit) or begin() clears them; then generation() changes. New tags are
    // appended as new rows.
    int tagCount() const { return int(tags_.size()); }
    const TagStatistics& tag(int row) const { return tags_[size_t(row)]; }
    // The row of an EPC; -1 when it is not kept.
    int rowOf(const QByteArray& epc) const { return rows_.value(epc, -1); }
    // Rows sorted by a key (ties by EPC), for a table that sorts.
    std::vector<int> sortedRows(TagOrder order, bool descending) const;

    // Changes with every read: a reader at a steady rate repaints only then.
    quint64 revision() const { return revision_; }
    // Changes whenever rows were removed or renumbered.
    quint64 generation() const { return generation_; }

    // Totals.
    quint64 reads() const { return reads_; }
    // Tags seen in the run, the forgotten ones included.
    quint64 distinctTags() const { return quint64(tags_.size()) + forgotten_; }
    quint64 forgottenTags() const { return forgotten_; }
    quint64 damagedFrames() const { return damaged_; }
    quint64 errorResponses() const { return errors_; }
    // From begin() to now, or to end().
    qint64 runMilliseconds() const;
    // Reads in the last whole second.
    int readsPerSecondNow() const;
    // Reads over the run time.
    double readsPerSecondAverage() const;
    // Reads of each of the last historySeconds whole seconds, oldest first.
    QList<int> readsPerSecondHistory() const;

    // A tag's reads per second over the last tagRateSeconds whole seconds (or
    // the whole seconds of the run, when fewer).
    double tagReadsPerSecond(int row) const;
    // A tag's mean RSSI in each of the last historySeconds whole seconds,
    // oldest first; NaN in a second without a read.
    QList<double> tagRssiHistory(int row) const;

    // The time that rates and histories are taken at: the clock's time while
    // running, the end of the run after it.
    qint64 now() const;

  private:
    void forgetOldest();
    // Reads of a tag (or of all tags) in the second, 0 outside what is kept.
    static const SecondOfReads* secondOf(const std::array<SecondOfReads, historySeconds>& seconds,
                                         qint64 newest, qint64 second);
    static void advance(std::array<SecondOfReads, historySeconds>& seconds, qint64& newest,
                        qint64 second);
    static void add(std::array<SecondOfReads, historySeconds>& seconds, qint64& newest,
                    qint64 second, int rssi);
    qint64 lastWholeSecond() const;
    double readsPerSecond(const TagStatistics& tag, qint64 lastWholeSecond) const;

    const Clock& clock_;
    const int tagLimit_;
    // A deque: growing it moves no tag, forgetting compacts it in place.
    std::deque<TagStatistics> tags_;
    QHash<QByteArray, int> rows_;
    std::array<SecondOfReads, historySeconds> seconds_{};
    qint64 newestSecond_ = 0;
    qint64 started_ = 0;
    qint64 ended_ = 0;
    bool running_ = false;
    quint64 reads_ = 0;
    quint64 forgotten_ = 0;
    quint64 damaged_ = 0;
    quint64 errors_ = 0;
    quint64 revision_ = 0;
    quint64 generation_ = 0;
};

} // namespace uhf
