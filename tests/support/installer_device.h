#pragma once

#include "support/sim_device.h"

#include <functional>

// The simulated reader, with an installer who changes the tags in the field
// just before each inventory reaches it.
class InstallerDevice : public SimDevice {
  public:
    std::function<void(int inventory)> beforeInventory;
    int inventories = 0;

    int write(const QByteArray& frame) override {
        if (frame == QByteArray::fromHex("AA0008CEBB00220000227E03BB") && beforeInventory)
            beforeInventory(++inventories);
        return SimDevice::write(frame);
    }

    sim::TagField& field() { return reader.uhfModule().field(); }
};
