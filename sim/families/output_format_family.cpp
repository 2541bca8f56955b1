#include "sim/families/output_format_family.h"

namespace sim {

namespace {

constexpr std::uint8_t kLastFixedFormat = 0x10;
constexpr std::uint8_t kFirstCustomLength = 0x80;

bool validFormat(std::uint8_t code) {
    return code <= kLastFixedFormat || code >= kFirstCustomLength;
}

bool validFlags(const Bytes& bytes) {
    for (std::uint8_t flag : bytes)
        if (flag > 1)
            return false;
    return true;
}

} // namespace

OutputFormatFamily::OutputFormatFamily(OutputFormatSettings& settings, UhfMachineSettings& machine)
    : SimFamily({
          {0x82, [this](const Bytes& parameters) { return setFormat(parameters); }},
          {0x83, [this](const Bytes& parameters) { return readFormat(parameters); }},
          {0xC0, [this](const Bytes& parameters) { return readVersion(parameters); }},
          {0xCD, [this](const Bytes& parameters) { return setBuzzer(parameters); }},
          {0xCF, [this](const Bytes& parameters) { return factoryReset(parameters); }},
      }),
      settings_(settings), machine_(machine) {}

// Format code, then flags: semicolon, question mark, comma, carriage return,
// large buzzer, a constant 01, RSSI.
Bytes OutputFormatFamily::setFormat(const Bytes& parameters) {
    if (parameters.size() != 8 || !validFormat(parameters[0]) || parameters[6] != 0x01)
        return failure(ReaderError::BadParameters);
    const Bytes flags{parameters[1], parameters[2], parameters[3],
                      parameters[4], parameters[5], parameters[7]};
    if (!validFlags(flags))
        return failure(ReaderError::BadParameters);
    settings_.formatCode = parameters[0];
    settings_.semicolon = parameters[1] == 1;
    settings_.questionMark = parameters[2] == 1;
    settings_.comma = parameters[3] == 1;
    settings_.carriageReturn = parameters[4] == 1;
    settings_.largeBuzzer = parameters[5] == 1;
    settings_.rssi = parameters[7] == 1;
    return success();
}

// Data: reading mode, format code, the four separator flags, large buzzer,
// RSSI, and the custom-byte flag (this reader adds no custom byte).
Bytes OutputFormatFamily::readFormat(const Bytes& parameters) {
    if (!parameters.empty())
        return failure(ReaderError::BadParameters);
    const OutputFormatSettings& s = settings_;
    return success({static_cast<std::uint8_t>(machine_.readMode), s.formatCode, s.semicolon,
                    s.questionMark, s.comma, s.carriageReturn, s.largeBuzzer, s.rssi, 0x00});
}

Bytes OutputFormatFamily::readVersion(const Bytes& parameters) {
    if (!parameters.empty())
        return failure(ReaderError::BadParameters);
    return success(Bytes(settings_.version.begin(), settings_.version.end()));
}

// 00 silences the buzzer, 01 lets it sound.
Bytes OutputFormatFamily::setBuzzer(const Bytes& parameters) {
    if (parameters.size() != 1 || parameters[0] > 1)
        return failure(ReaderError::BadParameters);
    settings_.buzzerOn = parameters[0] == 1;
    return success();
}

Bytes OutputFormatFamily::factoryReset(const Bytes& parameters) {
    if (!parameters.empty())
        return failure(ReaderError::BadParameters);
    const std::string version = settings_.version;
    settings_ = OutputFormatSettings{};
    settings_.version = version;
    machine_ = UhfMachineSettings{};
    return success();
}

} // namespace sim
