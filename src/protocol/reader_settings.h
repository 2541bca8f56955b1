#pragma once

#include "reader_device.h"

#include <QStringList>

// The reader chosen among several and the USB ids the user added, kept with
// QSettings (~/.config/rfid-setup/rfid-setup.conf) from one run to the next.
namespace readersettings {

// The chosen reader; an empty entry (zero id) when none was chosen.
ReaderInfo savedChoice();
// An empty entry forgets the choice.
void saveChoice(const ReaderInfo& reader);

// Ids as "vvvv:pppp".
QStringList addedIds();
void saveAddedIds(const QStringList& ids);

// "vvvv:pppp" in hex, neither part zero.
bool parseId(const QString& text, quint16& vendorId, quint16& productId);

// Hands the added ids and the saved choice to the device. The library still
// looks only at the ids of READERHID_DEVICE when that is set.
void apply(ReaderDevice& device);

} // namespace readersettings
