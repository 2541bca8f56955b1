#pragma once

#include "sim/sim_family.h"

#include <array>

namespace sim {

// Settings an HF card reader keeps: its address, baud rate code, serial number,
// and the last period and count given to each signalling output.
struct HfReaderSettings {
    struct Signal {
        std::uint8_t period = 0;
        std::uint8_t count = 0;
        int commands = 0; // how often it was driven
    };

    std::uint8_t address = 0x00;
    std::uint8_t baudRate = 0x00; // 00 9600, 01 19200, 02 38400, 03 57600, 04 115200
    std::array<std::uint8_t, 8> serialNumber = {0x20, 0x26, 0x05, 0x18, 0x00, 0x00, 0x01, 0x36};
    Signal led;
    Signal ledR;
    Signal buzzer;
};

// System commands of an HF card reader: 80 set address, 81 set baud rate, 82 set
// serial number, 83 read address and serial number, 87 LED-R, 88 LED, 89 buzzer.
class HfSystemFamily : public SimFamily {
  public:
    explicit HfSystemFamily(HfReaderSettings& settings);

  private:
    Bytes setAddress(const Bytes& parameters);
    Bytes setBaudRate(const Bytes& parameters);
    Bytes setSerialNumber(const Bytes& parameters);
    Bytes readAddressAndSerial() const;
    static Bytes drive(HfReaderSettings::Signal& signal, const Bytes& parameters);

    HfReaderSettings& settings_;
};

} // namespace sim
