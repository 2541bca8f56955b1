#pragma once

#include "sim/gen2_tag.h"

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <random>

namespace sim {

// The tags in the UHF reader's field. Each sits at its own path loss: what the
// reader hears of it is the transmit power less that loss, and a tag heard
// below the module's floor does not answer at all; just above the floor some
// replies are lost (at random, from a seed, so that a run can be repeated).
// Tests put tags in and take them out. The program's simulated reader can also
// play an installer who presents tags one after another: a short while after a
// tag has been written, a fresh tag with a random EPC takes its place.
class TagField {
  public:
    using Milliseconds = std::chrono::milliseconds;
    using Now = std::function<Milliseconds()>;

    // The EPC of the factory-fresh tag that is in the field at start.
    static const Bytes kFirstEpc;
    // A tag close to the antenna: heard at -56 dBm at the full 26 dBm.
    static constexpr int kNearLossDb = 82;
    static constexpr int kFullPowerDbm = 26;
    // The weakest reply the module makes out, and the band above it in which
    // replies are sometimes lost: 3 of 4 at the floor, 1 of 4 two dB above it.
    static constexpr int kFloorDbm = -70;
    static constexpr int kEdgeDb = 3;
    // How long a tag read in S1, or in S2 and S3, keeps its flipped
    // inventoried flag.
    static constexpr Milliseconds kS1Persistence{2000};
    static constexpr Milliseconds kS2S3Persistence{60000};

    // A tag that answered in an inventory round and how strongly it was heard.
    struct Answer {
        Gen2Tag* tag;
        int rssiDbm;
    };
    // What a round asks of the tags: the Query's session and target, and
    // whether only the tags matching the last select take part.
    struct Round {
        unsigned session = 0;
        bool targetB = false;
        bool selectedOnly = false;
        // The tags answer in the arbitration's order: those read longest ago
        // first, in a random order among themselves, so that over a few rounds
        // every tag gets its turn; otherwise strongest first.
        bool arbitrated = false;
    };

    TagField();

    void clear() { entries_.clear(); }
    void present(const Gen2Tag& tag, int pathLossDb = kNearLossDb);
    // The tag is gone for good (killed).
    void remove(const Gen2Tag* tag);
    // Adds fresh tags at path losses spread from close by to out of reach.
    void addTags(std::size_t count);
    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }
    Gen2Tag& tag(std::size_t index) { return entries_.at(index).tag; }
    int pathLossDb(std::size_t index) const { return entries_.at(index).pathLossDb; }

    void setPowerDbm(int dbm) { powerDbm_ = dbm; }
    int powerDbm() const { return powerDbm_; }
    // The seed of the lost replies near the floor, of the path losses that
    // addTags draws and of the order of an arbitrated round.
    void seed(unsigned value) {
        chance_.seed(value);
        arbitration_.seed(value);
    }

    // The clock of the inventoried flags and of the tag swapping; by default
    // one that only advance() moves, so that tests are exact.
    void setClock(Now now) { now_ = std::move(now); }
    void advance(Milliseconds by) { manualNow_ += by; }

    // One inventory round: the tags that answer, strongest first (or in the
    // arbitration's order), each put to `take` before it counts as read (its
    // flag flipped); the round ends at the first one refused, which stays
    // unread for the next round.
    std::vector<Answer> inventoryRound(const Round& round,
                                       const std::function<bool(const Answer&)>& take);

    // The strongest tag within reach, the one memory commands go to before
    // any select; nothing when none is.
    Gen2Tag* strongest();
    // Marks the tags whose bank holds the mask at the bit pointer, and only
    // those; from then on memory commands go to a marked tag.
    void select(MemoryBank bank, std::size_t bitPointer, std::size_t maskBits, const Bytes& mask);
    // The tag that a memory command reaches: the strongest tag before any
    // select; after one, a marked tag. Which of several marked tags answers
    // first is not fixed on the air: here they take turns, strongest first,
    // so that a program that relies on one select for several commands is
    // caught. Nothing when no tag qualifies.
    Gen2Tag* accessed();

    // Turns on the swapping of written tags, `after` the first write, by the
    // time that `now` reads; the seed makes the fresh EPCs.
    void replaceWrittenTags(Milliseconds after, Now now, unsigned seed);
    // Called when a tag in the field has been written.
    void written(const Gen2Tag* tag);
    // The installer takes the tag away as if it had been written: the
    // issuing program has no use for it.
    void takeAway(const Gen2Tag* tag) { leaveLater(tag); }
    // Brings in the fresh tags whose time has come; called before each
    // inventory, so a tag stays for the commands that follow finding it.
    void update();
    // TID serial numbers of the fresh tags count up from here. The program's
    // simulated reader starts each process elsewhere, so that TIDs stay unique
    // across processes, as factory-set TIDs are.
    void numberSerialsFrom(std::uint64_t first) { nextSerial_ = first; }
    std::uint64_t nextSerial() { return nextSerial_++; }
    // Called with every tag written, after the write.
    std::function<void(const Gen2Tag&)> onWritten;
    // Called with a tag that leaves the field, swapped for a fresh one or killed.
    std::function<void(const Gen2Tag&)> onLeaving;

  private:
    struct Entry {
        Gen2Tag tag;
        int pathLossDb = kNearLossDb;
        bool selected = false;
        std::optional<Milliseconds> leavesAt;
        // Per session S1-S3 (S0's flag falls back at once): the flag is B
        // until this time.
        std::array<std::optional<Milliseconds>, 4> flagBUntil;
        // The arbitrated round that last read it; 0 for never.
        std::uint64_t readInRound = 0;
    };
    struct SelectMask {
        MemoryBank bank;
        std::size_t bitPointer;
        std::size_t maskBits;
        Bytes mask;
    };

    Gen2Tag freshTag();
    void leaveLater(const Gen2Tag* tag);
    bool lostNearFloor(int rssiDbm);

    std::vector<Entry> entries_;
    std::optional<SelectMask> select_;
    std::size_t accessTurn_ = 0;
    bool replacing_ = false;
    Milliseconds replaceAfter_{0};
    Milliseconds manualNow_{0};
    Now now_;
    std::mt19937 random_;
    std::mt19937 chance_;
    // Apart from chance_, so that the order does not move the lost replies.
    std::mt19937 arbitration_;
    std::uint64_t arbitratedRounds_ = 0;
    int powerDbm_ = kFullPowerDbm;
    std::uint64_t nextSerial_ = 2;
};

} // namespace sim
