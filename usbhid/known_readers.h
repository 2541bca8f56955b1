#pragma once

#include <cstdint>

// USB vendor and product ids that readers of this kind enumerate with in USB HID mode,
// the most common first: the STM32 custom HID class id, which unrelated gadgets share
// too, so a device is taken only through its vendor-defined interface.
struct ReaderUsbId {
    std::uint16_t vendorId;
    std::uint16_t productId;
};

inline constexpr ReaderUsbId knownReaderIds[] = {{0x0483, 0x5750}};
