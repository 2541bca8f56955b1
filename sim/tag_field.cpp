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

} // namespace

const Bytes TagField::kFirstEpc = {0xE2, 0x00, 0x47, 0x13, 0x90, 0x20,
                                   0x60, 0x21, 0x07, 0x40, 0x12, 0x34};

TagField::TagField() {
    present(Gen2Tag(kFirstEpc, 1));
}

void TagField::present(const Gen2Tag& tag) {
    entries_.push_back(Entry{tag, false, std::nullopt});
}

Gen2Tag* TagField::strongest() {
    return entries_.empty() ? nullptr : &entries_.front().tag;
}

void TagField::select(MemoryBank bank, std::size_t bitPointer, std::size_t maskBits,
                      const Bytes& mask) {
    selectMade_ = true;
    accessTurn_ = 0;
    for (Entry& entry : entries_)
        entry.selected = holdsMask(entry.tag, bank, bitPointer, maskBits, mask);
}

Gen2Tag* TagField::accessed() {
    if (!selectMade_)
        return strongest();
    std::vector<Gen2Tag*> marked;
    for (Entry& entry : entries_)
        if (entry.selected)
            marked.push_back(&entry.tag);
    return marked.empty() ? nullptr : marked[accessTurn_++ % marked.size()];
}

void TagField::replaceWrittenTags(Milliseconds after, Now now, unsigned seed) {
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
    if (!now_)
        return;
    for (Entry& entry : entries_)
        if (&entry.tag == tag && !entry.leavesAt)
            entry.leavesAt = now_() + replaceAfter_;
}

void TagField::update() {
    if (!now_)
        return;
    const Milliseconds now = now_();
    for (Entry& entry : entries_)
        if (entry.leavesAt && *entry.leavesAt <= now)
            entry = Entry{freshTag(), false, std::nullopt};
}

Gen2Tag TagField::freshTag() {
    Bytes epc(kFreshEpcBytes);
    std::uniform_int_distribution<int> byte(0, 255);
    for (std::uint8_t& b : epc)
        b = static_cast<std::uint8_t>(byte(random_));
    return Gen2Tag(epc, nextSerial_++);
}

} // namespace sim
