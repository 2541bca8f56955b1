#pragma once

#include "known_readers.h"

#include <cstdint>
#include <string>
#include <vector>

// One HID interface as enumerated (a hidraw node), strings in UTF-8.
struct HidInterface {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t usagePage = 0;
    int interfaceNumber = -1;
    std::string path;
    std::string product;
    std::string serial;
};

// The reader the user chose; a zero id means no choice.
struct ReaderPick {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string serial;
    std::string path;
};

// Readers of this kind also enumerate as a USB keyboard; commands go only to the interface
// with a vendor-defined usage page.
constexpr std::uint16_t kVendorDefinedUsagePage = 0xFF00;

// The reader interfaces among those enumerated: a listed id and a vendor-defined usage
// page, each path once, in the order of the id list and then of enumeration.
std::vector<HidInterface> readerInterfaces(const std::vector<HidInterface>& enumerated,
                                           const std::vector<ReaderUsbId>& ids);

// Whether the reader is the chosen one: same id and serial when the choice has a serial
// (it stays with the reader from port to port), else same id and path.
bool isPicked(const HidInterface& reader, const ReaderPick& pick);

// Index of the reader to use: the chosen one when present (same id and serial when it has
// a serial, else the same path), otherwise the first; -1 when there is none.
int pickReader(const std::vector<HidInterface>& readers, const ReaderPick& pick);

// One reader id as operators and lsusb write it: "vvvv:pppp", four hex digits
// each, neither zero. False, and id left alone, when it is anything else.
bool parseDeviceId(const std::string& text, ReaderUsbId& id);

// "vvvv:pppp" in hex, several separated by commas. Zero ids are refused: hidapi takes a
// zero id as "any device". False, and ids left alone, when any part is malformed.
bool parseDeviceIds(const std::string& text, std::vector<ReaderUsbId>& ids);
