#include "sim/gen2_tag.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

namespace sim {

namespace {

constexpr std::size_t kReservedWords = 4;  // kill password, access password
constexpr std::size_t kEpcHeaderWords = 2; // StoredCRC, PC word
// Class E2 (EPC Gen2), then a maker and model of our own, then a 48-bit serial number.
constexpr std::uint8_t kTidPrefix[] = {0xE2, 0x80, 0x11, 0x05, 0x20, 0x00};
constexpr std::size_t kSerialBytes = 6;

std::size_t bankIndex(MemoryBank bank) {
    return static_cast<std::size_t>(bank);
}

std::size_t areaIndex(LockArea area) {
    return static_cast<std::size_t>(area);
}

// The two lock bits of an area.
constexpr std::uint8_t kProtected = 0b10;
constexpr std::uint8_t kPermanent = 0b01;

// What an area's lock bits let through: a protected area only in the secured
// state, and a protected and permanent one never.
bool open(std::uint8_t bits, bool secured) {
    return !(bits & kProtected) || (secured && !(bits & kPermanent));
}

} // namespace

Gen2Tag::Gen2Tag(const Bytes& epc, std::uint64_t serial, std::uint32_t accessPassword,
                 std::size_t userWords) {
    if (epc.size() % 2 || epc.size() > 2 * kEpcWords)
        throw std::invalid_argument("an EPC is whole words, 128 bits at most");

    Bytes& reserved = banks_[bankIndex(MemoryBank::Reserved)];
    reserved.assign(2 * kReservedWords, 0);
    for (int i = 0; i < 4; ++i)
        reserved[4 + i] = static_cast<std::uint8_t>(accessPassword >> (24 - 8 * i));

    Bytes& epcBank = banks_[bankIndex(MemoryBank::Epc)];
    epcBank.assign(2 * (kEpcHeaderWords + kEpcWords), 0);
    // The length bits are the top five of the PC word.
    epcBank[2] = static_cast<std::uint8_t>(epc.size() / 2 << 3);
    std::copy(epc.begin(), epc.end(), epcBank.begin() + 2 * kEpcHeaderWords);
    updateStoredCrc();

    Bytes& tid = banks_[bankIndex(MemoryBank::Tid)];
    tid.assign(std::begin(kTidPrefix), std::end(kTidPrefix));
    for (std::size_t i = 0; i < kSerialBytes; ++i)
        tid.push_back(static_cast<std::uint8_t>(serial >> (8 * (kSerialBytes - 1 - i))));

    banks_[bankIndex(MemoryBank::User)].assign(2 * userWords, 0);

    lockBits_[areaIndex(LockArea::Tid)] = kProtected | kPermanent;
    if (accessPassword)
        for (LockArea area :
             {LockArea::KillPassword, LockArea::AccessPassword, LockArea::Epc, LockArea::User})
            lockBits_[areaIndex(area)] = kProtected;
}

Bytes Gen2Tag::epc() const {
    const std::size_t words = std::min<std::size_t>(pc() >> 11, kEpcWords);
    const Bytes& bank = banks_[bankIndex(MemoryBank::Epc)];
    const auto from = bank.begin() + 2 * kEpcHeaderWords;
    return Bytes(from, from + 2 * words);
}

std::uint32_t Gen2Tag::password(std::size_t firstWord) const {
    return std::uint32_t{word(MemoryBank::Reserved, firstWord)} << 16 |
           word(MemoryBank::Reserved, firstWord + 1);
}

std::uint32_t Gen2Tag::accessPassword() const {
    return password(2);
}

std::uint32_t Gen2Tag::killPassword() const {
    return password(0);
}

Gen2Tag::Access Gen2Tag::read(MemoryBank bank, std::size_t address, std::size_t count,
                              std::uint32_t password, Bytes* words) const {
    const std::optional<bool> isSecured = secured(password);
    if (!isSecured)
        return Access::WrongPassword;
    const Bytes& memory = banks_[bankIndex(bank)];
    const std::size_t size = memory.size() / 2;
    if (address >= size || (count && count > size - address))
        return Access::Overrun;
    const std::size_t end = count ? address + count : size;
    if (!allows(bank, address, end - address, false, *isSecured))
        return Access::Locked;
    words->assign(memory.begin() + 2 * address, memory.begin() + 2 * end);
    return Access::Ok;
}

Gen2Tag::Access Gen2Tag::write(MemoryBank bank, std::size_t address, const Bytes& data,
                               std::uint32_t password) {
    const std::optional<bool> isSecured = secured(password);
    if (!isSecured)
        return Access::WrongPassword;
    if (data.empty() || data.size() % 2)
        return Access::BadLength;
    Bytes& memory = banks_[bankIndex(bank)];
    const std::size_t size = memory.size() / 2;
    if (address >= size || data.size() / 2 > size - address)
        return Access::Overrun;
    if (!allows(bank, address, data.size() / 2, true, *isSecured))
        return Access::Locked;
    std::copy(data.begin(), data.end(), memory.begin() + 2 * address);
    if (bank == MemoryBank::Epc)
        updateStoredCrc();
    return Access::Ok;
}

std::uint16_t Gen2Tag::crc16(const Bytes& data) {
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t byte : data) {
        crc ^= static_cast<std::uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>(crc & 0x8000 ? crc << 1 ^ 0x1021 : crc << 1);
    }
    return static_cast<std::uint16_t>(~crc);
}

std::uint16_t Gen2Tag::word(MemoryBank bank, std::size_t index) const {
    const Bytes& memory = banks_[bankIndex(bank)];
    return static_cast<std::uint16_t>(memory[2 * index] << 8 | memory[2 * index + 1]);
}

Gen2Tag::Access Gen2Tag::lock(std::uint32_t payload, std::uint32_t password) {
    const std::optional<bool> isSecured = secured(password);
    if (!isSecured)
        return Access::WrongPassword;
    if (!*isSecured)
        return Access::NotSecured;
    std::array<std::uint8_t, 5> bits = lockBits_;
    for (std::size_t area = 0; area < bits.size(); ++area) {
        const unsigned mask = payload >> (18 - 2 * area) & 3;
        const unsigned action = payload >> (8 - 2 * area) & 3;
        bits[area] = static_cast<std::uint8_t>((bits[area] & ~mask) | (action & mask));
        if (lockBits_[area] & kPermanent && bits[area] != lockBits_[area])
            return Access::Locked;
    }
    lockBits_ = bits;
    return Access::Ok;
}

Gen2Tag::Access Gen2Tag::kill(std::uint32_t password) {
    if (killPassword() == 0)
        return Access::ZeroKillPassword;
    if (password != killPassword())
        return Access::WrongPassword;
    killed_ = true;
    return Access::Ok;
}

// A password other than zero starts the access step, which fails unless it is
// the tag's; without one the tag is open, or secured at once when its own
// access password is zero.
std::optional<bool> Gen2Tag::secured(std::uint32_t password) const {
    const std::uint32_t own = accessPassword();
    if (password != 0)
        return password == own ? std::optional<bool>(true) : std::nullopt;
    return own == 0;
}

bool Gen2Tag::allows(MemoryBank bank, std::size_t address, std::size_t count, bool write,
                     bool secured) const {
    switch (bank) {
    case MemoryBank::Reserved:
        // Words 0-1 the kill password, 2-3 the access password.
        for (std::size_t w = address; w < address + count; ++w)
            if (!open(
                    lockBits_[areaIndex(w < 2 ? LockArea::KillPassword : LockArea::AccessPassword)],
                    secured))
                return false;
        return true;
    case MemoryBank::Epc:
        return !write || open(lockBits_[areaIndex(LockArea::Epc)], secured);
    case MemoryBank::Tid:
        return !write || open(lockBits_[areaIndex(LockArea::Tid)], secured);
    case MemoryBank::User:
        return !write || open(lockBits_[areaIndex(LockArea::User)], secured);
    }
    return false;
}

void Gen2Tag::updateStoredCrc() {
    Bytes& bank = banks_[bankIndex(MemoryBank::Epc)];
    Bytes covered(bank.begin() + 2, bank.begin() + 4);
    const Bytes id = epc();
    covered.insert(covered.end(), id.begin(), id.end());
    const std::uint16_t crc = crc16(covered);
    bank[0] = static_cast<std::uint8_t>(crc >> 8);
    bank[1] = static_cast<std::uint8_t>(crc);
}

namespace {

std::string hexOf(const Bytes& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text = bytes.empty() ? "-" : "";
    for (std::uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

std::optional<Bytes> bytesOf(const std::string& text) {
    Bytes bytes;
    if (text == "-")
        return bytes;
    if (text.size() % 2 || text.find_first_not_of("0123456789ABCDEF") != std::string::npos)
        return std::nullopt;
    for (std::size_t i = 0; i < text.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

} // namespace

// "RESERVED EPC TID USER LOCKBITS KILLED": the banks in hex ("-" for none),
// each area's two lock bits as a digit 0-3, kill password first, and 0 or 1.
std::string Gen2Tag::text() const {
    std::string line;
    for (const Bytes& bank : banks_)
        line += hexOf(bank) + ' ';
    for (std::uint8_t bits : lockBits_)
        line += static_cast<char>('0' + bits);
    return line + (killed_ ? " 1" : " 0");
}

std::optional<Gen2Tag> Gen2Tag::fromText(const std::string& line) {
    std::istringstream fields(line);
    Gen2Tag tag;
    std::string field;
    for (Bytes& bank : tag.banks_) {
        std::optional<Bytes> bytes;
        if (!(fields >> field) || !(bytes = bytesOf(field)))
            return std::nullopt;
        bank = *bytes;
    }
    std::string killed;
    if (!(fields >> field >> killed) || field.size() != tag.lockBits_.size() ||
        field.find_first_not_of("0123") != std::string::npos || (killed != "0" && killed != "1") ||
        tag.banks_[bankIndex(MemoryBank::Reserved)].size() != 2 * kReservedWords ||
        tag.banks_[bankIndex(MemoryBank::Epc)].size() != 2 * (kEpcHeaderWords + kEpcWords))
        return std::nullopt;
    for (std::size_t i = 0; i < field.size(); ++i)
        tag.lockBits_[i] = static_cast<std::uint8_t>(field[i] - '0');
    tag.killed_ = killed == "1";
    return tag;
}

} // namespace sim
