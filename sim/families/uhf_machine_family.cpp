#include "sim/families/uhf_machine_family.h"

namespace sim {

namespace {

// A one-byte parameter within [low, high], stored in *field.
SimFamily::Handler byteSetting(std::uint8_t* field, std::uint8_t low, std::uint8_t high) {
    return [=](const Bytes& parameters) {
        if (parameters.size() != 1)
            return failure(ReaderError::BadParameters);
        const std::uint8_t value = parameters[0];
        if (value > high)
            return failure(ReaderError::Overflow);
        if (value < low)
            return failure(ReaderError::BadParameters);
        *field = value;
        return success();
    };
}

constexpr std::size_t kMaxAffix = 4;
constexpr std::uint8_t kLastBank = 3;

} // namespace

UhfMachineFamily::UhfMachineFamily(UhfMachineSettings& settings)
    : SimFamily({
          {0xC1, byteSetting(&settings.searchInterval, 0x00, 0xFF)},
          {0xC2, byteSetting(&settings.filterCount, 0x00, 0xFF)},
          {0xBD, byteSetting(&settings.readWait, 0x00, 0xFF)},
          {0xC3, [this](const Bytes& parameters) { return setInterfaces(parameters); }},
          {0xC4, byteSetting(&settings.baudCode, 0x00, 0x04)},
          {0xC5, byteSetting(&settings.terminator, 0x00, 0x02)},
          {0xCC, byteSetting(&settings.rfPower, 0x00, 0x09)},
          {0xC6, byteSetting(&settings.wiegandFormat, 0x00, 0x03)},
          // The value is taken from a 12-byte card number.
          {0xC9, byteSetting(&settings.wiegandPosition, 0x00, 0x0B)},
          {0xC7, byteSetting(&settings.wiegandLowPulse, 0x01, 0xFF)},
          {0xC8, byteSetting(&settings.wiegandIdleWidth, 0x01, 0xFF)},
          {0xCB, [this](const Bytes& parameters) { return setAffix(parameters); }},
          {0x0F, [this](const Bytes& parameters) { return setReadMode(parameters); }},
          {0xBC, [this](const Bytes& parameters) { return setMemoryArea(parameters); }},
          {0x87, [this](const Bytes& parameters) { return setRelay(parameters); }},
          {0xB8,
           [this](const Bytes& parameters) {
               if (!parameters.empty())
                   return failure(ReaderError::BadParameters);
               settings_.usbVirtualSerial = true;
               return success();
           }},
      }),
      settings_(settings) {}

// Each output is switched by its own flag byte: serial, Wiegand, USB.
Bytes UhfMachineFamily::setInterfaces(const Bytes& parameters) {
    if (parameters.size() != 3)
        return failure(ReaderError::BadParameters);
    for (std::uint8_t flag : parameters)
        if (flag > 1)
            return failure(ReaderError::BadParameters);
    settings_.serialOutput = parameters[0] == 1;
    settings_.wiegandOutput = parameters[1] == 1;
    settings_.usbOutput = parameters[2] == 1;
    return success();
}

// 01 prefix or 02 suffix, then up to four bytes; none clears it.
Bytes UhfMachineFamily::setAffix(const Bytes& parameters) {
    if (parameters.empty() || (parameters[0] != 1 && parameters[0] != 2))
        return failure(ReaderError::BadParameters);
    if (parameters.size() - 1 > kMaxAffix)
        return failure(ReaderError::Overflow);
    Bytes& affix = parameters[0] == 1 ? settings_.prefix : settings_.suffix;
    affix.assign(parameters.begin() + 1, parameters.end());
    return success();
}

Bytes UhfMachineFamily::setReadMode(const Bytes& parameters) {
    if (parameters.size() != 1 || parameters[0] < 0x01 || parameters[0] > 0x04)
        return failure(ReaderError::BadParameters);
    settings_.readMode = static_cast<ReadMode>(parameters[0]);
    return success();
}

// Bank, four bytes of access password, first word, number of words.
Bytes UhfMachineFamily::setMemoryArea(const Bytes& parameters) {
    if (parameters.size() != 7 || parameters[0] > kLastBank || parameters[6] == 0)
        return failure(ReaderError::BadParameters);
    settings_.areaBank = parameters[0];
    std::copy(parameters.begin() + 1, parameters.begin() + 5, settings_.areaPassword.begin());
    settings_.areaAddress = parameters[5];
    settings_.areaLength = parameters[6];
    settings_.readMode = ReadMode::MemoryArea;
    return success();
}

Bytes UhfMachineFamily::setRelay(const Bytes& parameters) {
    if (parameters.size() != 1 || parameters[0] > 1)
        return failure(ReaderError::BadParameters);
    settings_.relayOn = parameters[0] == 1;
    return success();
}

} // namespace sim
