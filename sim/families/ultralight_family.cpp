#include "sim/families/ultralight_family.h"

namespace sim {

namespace {

constexpr std::uint8_t kIdle = 0x00;
constexpr std::uint8_t kAll = 0x01;
// The write command carries one page per frame; the reader takes no other count.
constexpr std::uint8_t kOnePage = 0x01;
constexpr std::uint8_t kCascadeTag = 0x88;
constexpr int kLockPage = 2;
constexpr int kOtpPage = 3;

bool validMode(std::uint8_t mode) {
    return mode == kIdle || mode == kAll;
}

} // namespace

UltralightCard::UltralightCard() {
    issue({0x04, 0x6F, 0x2A, 0xB1, 0x3C, 0x52, 0x80});
}

void UltralightCard::issue(const Uid& uid) {
    pages = {};
    pages[0] = {uid[0], uid[1], uid[2],
                static_cast<std::uint8_t>(kCascadeTag ^ uid[0] ^ uid[1] ^ uid[2])};
    pages[1] = {uid[3], uid[4], uid[5], uid[6]};
    pages[2][0] = static_cast<std::uint8_t>(uid[3] ^ uid[4] ^ uid[5] ^ uid[6]);
}

UltralightCard::Uid UltralightCard::uid() const {
    return {pages[0][0], pages[0][1], pages[0][2], pages[1][0],
            pages[1][1], pages[1][2], pages[1][3]};
}

UltralightFamily::UltralightFamily(UltralightCard& card)
    : SimFamily({
          {0xE3, [this](const Bytes& p) { return readSerial(p); }},
          {0xE0, [this](const Bytes& p) { return readPages(p); }},
          {0xE1, [this](const Bytes& p) { return writePage(p); }},
          {0x06,
           [this](const Bytes& p) {
               return p.empty() ? halt() : failure(ReaderError::BadParameters);
           }},
      }),
      card_(card) {}

bool UltralightFamily::request(std::uint8_t mode) {
    if (!card_.present || (card_.halted && mode == kIdle))
        return false;
    card_.halted = false;
    return true;
}

Bytes UltralightFamily::readSerial(const Bytes& parameters) {
    if (parameters.size() != 1 || !validMode(parameters[0]))
        return failure(ReaderError::BadParameters);
    if (!request(parameters[0]))
        return failure(ReaderError::NoCard);
    const auto uid = card_.uid();
    return success(Bytes(uid.begin(), uid.end()));
}

// Sixteen bytes from four pages in a row; past the last page the card wraps to page 0.
Bytes UltralightFamily::readPages(const Bytes& parameters) {
    if (parameters.size() != 2 || !validMode(parameters[0]) ||
        parameters[1] >= UltralightCard::kPages)
        return failure(ReaderError::BadParameters);
    if (!request(parameters[0]))
        return failure(ReaderError::NoCard);
    Bytes data;
    for (int i = 0; i < 4; ++i) {
        const auto& page = card_.pages[(parameters[1] + i) % UltralightCard::kPages];
        data.insert(data.end(), page.begin(), page.end());
    }
    const auto uid = card_.uid();
    data.insert(data.end(), uid.begin(), uid.end());
    return success(data);
}

Bytes UltralightFamily::writePage(const Bytes& parameters) {
    if (parameters.size() != 7 || !validMode(parameters[0]) || parameters[1] != kOnePage ||
        parameters[2] >= UltralightCard::kPages)
        return failure(ReaderError::BadParameters);
    if (!request(parameters[0]))
        return failure(ReaderError::NoCard);
    const int number = parameters[2];
    if (pageLocked(number))
        return failure(ReaderError::Locked);
    auto& page = card_.pages[number];
    const std::uint8_t* data = &parameters[3];
    if (number == kLockPage) {
        // Bytes 0-1 are fixed. Lock bits can only be set, and the block-locking
        // bits (byte 2, bits 0-2) freeze the lock bits they cover.
        std::uint8_t frozen0 = 0, frozen1 = 0;
        if (page[2] & 0x01)
            frozen0 |= 0x08;
        if (page[2] & 0x02) {
            frozen0 |= 0xF0;
            frozen1 |= 0x03;
        }
        if (page[2] & 0x04)
            frozen1 |= 0xFC;
        page[2] |= data[2] & ~frozen0;
        page[3] |= data[3] & ~frozen1;
    } else if (number == kOtpPage) {
        // One-time programmable: a bit once set stays set.
        for (int i = 0; i < 4; ++i)
            page[i] |= data[i];
    } else {
        std::copy(data, data + 4, page.begin());
    }
    const auto uid = card_.uid();
    return success(Bytes(uid.begin(), uid.end()));
}

Bytes UltralightFamily::halt() {
    if (!card_.present || card_.halted)
        return failure(ReaderError::NoCard);
    card_.halted = true;
    return success();
}

// Pages 0 and 1 (the UID) are read-only; page 3 and pages 4-15 follow their lock
// bits in page 2 (byte 2 bit 3 for page 3, bits 4-7 for pages 4-7, byte 3 bits
// 0-7 for pages 8-15).
bool UltralightFamily::pageLocked(int page) const {
    const auto& lock = card_.pages[kLockPage];
    if (page < kLockPage)
        return true;
    if (page == kLockPage)
        return false;
    if (page < 8)
        return lock[2] & (1u << page);
    return lock[3] & (1u << (page - 8));
}

} // namespace sim
