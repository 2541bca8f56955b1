#include "sim/tag_field.h"

#include <algorithm>

namespace sim {

namespace {

constexpr std::size_t kFreshEpcBytes = 12;

bool bitAt(const Bytes& memory, std::size_t bit) {
    return memory[bit / 8] >> (7 - bit % 8) & 1;
}

bool holdsMask(const Gen2Tag& tag, MemoryBank bank, std::size_t bitPointer, std::size_t maskBits,
               const Bytes& mask) {
    Bytes memory;
    if (maskBits > 8 * mask.size() || tag.read(bank, 0, 0, 0, &memory) != Gen2Tag::Access::Ok ||
        bitPointer + maskBits > 8 * memory.size())
        return false;
    for (std::size_t i = 0; i < maskBits; ++i)
        if (bitAt(memory, bitPointer + i) != bitAt(mask, i))
            return false;
    return true;
}

// Writes value into the EPC from bit `first` on, most significant bit first.
void putBits(Bytes& epc, std::size_t first, std::size_t width, std::uint64_t value) {
    for (std::size_t i = 0; i < width; ++i)
        if (value >> (width - 1 - i) & 1)
            epc[(first + i) / 8] |= static_cast<std::uint8_t>(0x80 >> ((first + i) % 8));
}

// Some fresh tags come labelled as a shop's would be, so that a GS1 reading
// has something to show: every third one an SGTIN-96 (filter 1, company prefix
// 4012345, item reference 123456), the one after it an SSCC-96 (filter 2,
// company prefix 0614141), each with the TID's serial number in its own
// serial field.
std::optional<Bytes> gs1Epc(std::uint64_t serial) {
    Bytes epc(kFreshEpcBytes);
    switch (serial % 3) {
    case 0: // header, filter, partition 5, company prefix, item reference, serial
        putBits(epc, 0, 14, 0x30 << 6 | 1 << 3 | 5);
        putBits(epc, 14, 24, 4012345);
        putBits(epc, 38, 20, 123456);
        putBits(epc, 58, 38, serial & ((std::uint64_t(1) << 38) - 1));
        return epc;
    case 1: // header, filter, partition 5, company prefix, serial reference, 24 zero bits
        putBits(epc, 0, 14, 0x31 << 6 | 2 << 3 | 5);
        putBits(epc, 14, 24, 614141);
        putBits(epc, 38, 34, serial % 10000000000);
        return epc;
    default:
        return std::nullopt;
    }
}

} // namespace

const Bytes TagField::kFirstEpc = {0xE2, 0x00, 0x47, 0x13, 0x90, 0x20,
                                   0x60, 0x21, 0x07, 0x40, 0x12, 0x34};

TagField::TagField() : now_([this] { return manualNow_; }) {
    present(Gen2Tag(kFirstEpc, 1));
}

void TagField::present(const Gen2Tag& tag, int pathLossDb) {
    Entry entry{tag, pathLossDb, false, std::nullopt, {}, 0};
    entries_.push_back(entry);
}

void TagField::remove(const Gen2Tag* tag) {
    if (onLeaving)
        for (const Entry& entry : entries_)
            if (&entry.tag == tag)
                onLeaving(entry.tag);
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [&](const Entry& entry) { return &entry.tag == tag; }),
                   entries_.end());
    accessTurn_ = 0;
}

void TagField::addTags(std::size_t count) {
    // From as close as the tag at start (which stays the strongest, the one
    // the EPC page finds) to a little beyond reach at full power.
    constexpr unsigned kSpreadDb = 17;
    for (std::size_t i = 0; i < count; ++i)
        present(freshTag(), kNearLossDb + int(chance_() % kSpreadDb));
}

std::vector<TagField::Answer>
TagField::inventoryRound(const Round& round, const std::function<bool(const Answer&)>& take) {
    const Milliseconds now = now_();
    std::vector<Entry*> order;
    for (Entry& entry : entries_)
        order.push_back(&entry);
    if (round.arbitrated) {
        // Fisher-Yates by hand: std::shuffle's order differs between libraries.
        for (std::size_t i = order.size(); i > 1; --i)
            std::swap(order[i - 1], order[arbitration_() % i]);
        std::stable_sort(order.begin(), order.end(), [](const Entry* a, const Entry* b) {
            return a->readInRound < b->readInRound;
        });
        ++arbitratedRounds_;
    } else {
        std::stable_sort(order.begin(), order.end(), [](const Entry* a, const Entry* b) {
            return a->pathLossDb < b->pathLossDb;
        });
    }
    std::vector<Answer> answers;
    for (Entry* entry : order) {
        const Answer answer{&entry->tag, powerDbm_ - entry->pathLossDb};
        if (answer.rssiDbm < kFloorDbm)
            continue;
        if (round.selectedOnly &&
            !(select_ && holdsMask(entry->tag, select_->bank, select_->bitPointer,
                                   select_->maskBits, select_->mask)))
            continue;
        std::optional<Milliseconds>& flagB = entry->flagBUntil[round.session & 3];
        const bool inB = round.session != 0 && flagB && now < *flagB;
        // In S0 every tag answers every round, whichever target is asked for.
        if ((round.session != 0 && inB != round.targetB) || lostNearFloor(answer.rssiDbm))
            continue;
        if (!take(answer))
            break;
        // A tag read flips its flag to the other target; S0's falls back at once.
        if (round.session != 0)
            flagB = round.targetB
                        ? std::nullopt
                        : std::optional<Milliseconds>(
                              now + (round.session == 1 ? kS1Persistence : kS2S3Persistence));
        if (round.arbitrated)
            entry->readInRound = arbitratedRounds_;
        answers.push_back(answer);
    }
    return answers;
}

bool TagField::lostNearFloor(int rssiDbm) {
    const int margin = rssiDbm - kFloorDbm;
    return margin < kEdgeDb && int(chance_() % (kEdgeDb + 1)) < kEdgeDb - margin;
}

Gen2Tag* TagField::strongest() {
    Entry* best = nullptr;
    for (Entry& entry : entries_)
        if (powerDbm_ - entry.pathLossDb >= kFloorDbm &&
            (!best || entry.pathLossDb < best->pathLossDb))
            best = &entry;
    return best ? &best->tag : nullptr;
}

void TagField::select(MemoryBank bank, std::size_t bitPointer, std::size_t maskBits,
                      const Bytes& mask) {
    select_ = SelectMask{bank, bitPointer, maskBits, mask};
    accessTurn_ = 0;
    for (Entry& entry : entries_)
        entry.selected = holdsMask(entry.tag, bank, bitPointer, maskBits, mask);
}

Gen2Tag* TagField::accessed() {
    if (!select_)
        return strongest();
    std::vector<Gen2Tag*> marked;
    for (Entry& entry : entries_)
        if (entry.selected && powerDbm_ - entry.pathLossDb >= kFloorDbm)
            marked.push_back(&entry.tag);
    return marked.empty() ? nullptr : marked[accessTurn_++ % marked.size()];
}

void TagField::replaceWrittenTags(Milliseconds after, Now now, unsigned seed) {
    replacing_ = true;
    replaceAfter_ = after;
    now_ = std::move(now);
    random_.seed(seed);
}

void TagField::written(const Gen2Tag* tag) {
    if (tag && onWritten)
        onWritten(*tag);
    leaveLater(tag);
}

void TagField::leaveLater(const Gen2Tag* tag) {
    if (!replacing_)
        return;
    for (Entry& entry : entries_)
        if (&entry.tag == tag && !entry.leavesAt)
            entry.leavesAt = now_() + replaceAfter_;
}

void TagField::update() {
    if (!replacing_)
        return;
    const Milliseconds now = now_();
    // The fresh tag is put down where the written one lay.
    for (Entry& entry : entries_)
        if (entry.leavesAt && *entry.leavesAt <= now) {
            if (onLeaving)
                onLeaving(entry.tag);
            entry = Entry{freshTag(), entry.pathLossDb, false, std::nullopt, {}, 0};
        }
}

Gen2Tag TagField::freshTag() {
    const std::uint64_t serial = nextSerial_++;
    // Every fourth chip of the roll is one without User memory.
    const std::size_t userWords = serial % 4 == 0 ? 0 : Gen2Tag::kUserWords;
    if (const std::optional<Bytes> labelled = gs1Epc(serial))
        return Gen2Tag(*labelled, serial, 0, userWords);
    Bytes epc(kFreshEpcBytes);
    std::uniform_int_distribution<int> byte(0, 255);
    for (std::uint8_t& b : epc)
        b = static_cast<std::uint8_t>(byte(random_));
    return Gen2Tag(epc, serial, 0, userWords);
}

} // namespace sim
