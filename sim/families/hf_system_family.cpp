#include "sim/families/hf_system_family.h"

namespace sim {

namespace {
constexpr std::uint8_t kHighestBaudRate = 0x04;
} // namespace

HfSystemFamily::HfSystemFamily(HfReaderSettings& settings)
    : SimFamily({
          {0x80, [this](const Bytes& p) { return setAddress(p); }},
          {0x81, [this](const Bytes& p) { return setBaudRate(p); }},
          {0x82, [this](const Bytes& p) { return setSerialNumber(p); }},
          {0x83, [this](const Bytes&) { return readAddressAndSerial(); }},
          {0x87, [this](const Bytes& p) { return drive(settings_.ledR, p); }},
          {0x88, [this](const Bytes& p) { return drive(settings_.led, p); }},
          {0x89, [this](const Bytes& p) { return drive(settings_.buzzer, p); }},
      }),
      settings_(settings) {}

Bytes HfSystemFamily::setAddress(const Bytes& parameters) {
    if (parameters.size() != 1)
        return failure(ReaderError::BadParameters);
    settings_.address = parameters[0];
    return success();
}

Bytes HfSystemFamily::setBaudRate(const Bytes& parameters) {
    if (parameters.size() != 1)
        return failure(ReaderError::BadParameters);
    if (parameters[0] > kHighestBaudRate)
        return failure(ReaderError::Overflow);
    settings_.baudRate = parameters[0];
    return success();
}

Bytes HfSystemFamily::setSerialNumber(const Bytes& parameters) {
    if (parameters.size() != settings_.serialNumber.size())
        return failure(ReaderError::BadParameters);
    std::copy(parameters.begin(), parameters.end(), settings_.serialNumber.begin());
    return success();
}

Bytes HfSystemFamily::readAddressAndSerial() const {
    Bytes data = {settings_.address};
    data.insert(data.end(), settings_.serialNumber.begin(), settings_.serialNumber.end());
    return success(data);
}

Bytes HfSystemFamily::drive(HfReaderSettings::Signal& signal, const Bytes& parameters) {
    if (parameters.size() != 2)
        return failure(ReaderError::BadParameters);
    signal.period = parameters[0];
    signal.count = parameters[1];
    ++signal.commands;
    return success();
}

} // namespace sim
