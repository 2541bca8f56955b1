#include "reader_selection.h"

#include <algorithm>
#include <cctype>

std::vector<HidInterface> readerInterfaces(const std::vector<HidInterface>& enumerated,
                                           const std::vector<ReaderUsbId>& ids) {
    std::vector<HidInterface> readers;
    for (const ReaderUsbId& id : ids)
        for (const HidInterface& hid : enumerated) {
            if (hid.vendorId != id.vendorId || hid.productId != id.productId ||
                hid.usagePage < kVendorDefinedUsagePage)
                continue;
            const bool seen =
                std::any_of(readers.begin(), readers.end(),
                            [&](const HidInterface& r) { return r.path == hid.path; });
            if (!seen)
                readers.push_back(hid);
        }
    return readers;
}

int pickReader(const std::vector<HidInterface>& readers, const ReaderPick& pick) {
    if (readers.empty())
        return -1;
    if (pick.vendorId == 0 && pick.productId == 0)
        return 0;
    const auto picked = std::find_if(readers.begin(), readers.end(),
                                     [&](const HidInterface& r) { return isPicked(r, pick); });
    return picked == readers.end() ? 0 : static_cast<int>(picked - readers.begin());
}

bool isPicked(const HidInterface& reader, const ReaderPick& pick) {
    return reader.vendorId == pick.vendorId && reader.productId == pick.productId &&
           (pick.serial.empty() ? reader.path == pick.path : reader.serial == pick.serial);
}

bool parseDeviceId(const std::string& text, ReaderUsbId& id) {
    if (text.size() != 9 || text[4] != ':')
        return false;
    std::uint16_t parts[2];
    for (int part = 0; part < 2; ++part) {
        const std::string digits = text.substr(part * 5, 4);
        if (!std::all_of(digits.begin(), digits.end(),
                         [](unsigned char c) { return std::isxdigit(c); }))
            return false;
        parts[part] = static_cast<std::uint16_t>(std::stoul(digits, nullptr, 16));
        if (parts[part] == 0)
            return false;
    }
    id = {parts[0], parts[1]};
    return true;
}

bool parseDeviceIds(const std::string& text, std::vector<ReaderUsbId>& ids) {
    std::vector<ReaderUsbId> parsed;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(',', start), text.size());
        ReaderUsbId id{};
        if (!parseDeviceId(text.substr(start, end - start), id))
            return false;
        parsed.push_back(id);
        start = end + 1;
    }
    ids = std::move(parsed);
    return true;
}
