#pragma once

#include <QStringList>

// rfid-setup-cli inventory: a live inventory of the tags in the field, over
// USB HID (rounds through the tunnel) or a serial port (streamed).
int inventoryCommand(const QStringList& arguments);
