#pragma once

#include "sim/gen2_tag.h"

#include <chrono>
#include <functional>
#include <optional>
#include <random>

namespace sim {

// The tags in the UHF reader's field, strongest first. Tests put tags in and
// take them out. The program's simulated reader can also play an installer who
// presents tags one after another: a short while after a tag has been written,
// a fresh tag with a random EPC takes its place.
class TagField {
  public:
    using Milliseconds = std::chrono::milliseconds;
    using Now = std::function<Milliseconds()>;

    // The EPC of the factory-fresh tag that is in the field at start.
    static const Bytes kFirstEpc;

    TagField();

    void clear() { entries_.clear(); }
    void present(const Gen2Tag& tag);
    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }
    Gen2Tag& tag(std::size_t index) { return entries_.at(index).tag; }

    // The strongest tag, the one a single inventory finds; nothing when empty.
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

  private:
    struct Entry {
        Gen2Tag tag;
        bool selected = false;
        std::optional<Milliseconds> leavesAt;
    };

    Gen2Tag freshTag();
    void leaveLater(const Gen2Tag* tag);

    std::vector<Entry> entries_;
    bool selectMade_ = false;
    std::size_t accessTurn_ = 0;
    Milliseconds replaceAfter_{0};
    Now now_;
    std::mt19937 random_;
    std::uint64_t nextSerial_ = 2;
};

} // namespace sim
