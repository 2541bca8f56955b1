#include "reader_settings.h"

#include "usbhid/reader_selection.h"

#include <QSettings>

namespace readersettings {

namespace {

const QString kOrganisation = QStringLiteral("rfid-setup");
const QString kChoice = QStringLiteral("reader/");
const QString kAddedIds = QStringLiteral("reader/addedIds");

} // namespace

ReaderInfo savedChoice() {
    const QSettings settings(kOrganisation, kOrganisation);
    ReaderInfo reader;
    if (!parseId(settings.value(kChoice + "id").toString(), reader.vendorId, reader.productId))
        return ReaderInfo();
    reader.product = settings.value(kChoice + "product").toString();
    reader.serial = settings.value(kChoice + "serial").toString();
    reader.path = settings.value(kChoice + "path").toString();
    return reader;
}

void saveChoice(const ReaderInfo& reader) {
    QSettings settings(kOrganisation, kOrganisation);
    const char* keys[] = {"id", "product", "serial", "path"};
    if (reader.vendorId == 0 && reader.productId == 0) {
        for (const char* key : keys)
            settings.remove(kChoice + key);
        return;
    }
    const QString values[] = {reader.id(), reader.product, reader.serial, reader.path};
    for (int i = 0; i < 4; ++i)
        settings.setValue(kChoice + keys[i], values[i]);
}

QStringList addedIds() {
    return QSettings(kOrganisation, kOrganisation).value(kAddedIds).toStringList();
}

void saveAddedIds(const QStringList& ids) {
    QSettings(kOrganisation, kOrganisation).setValue(kAddedIds, ids);
}

bool parseId(const QString& text, quint16& vendorId, quint16& productId) {
    ReaderUsbId id{};
    if (!parseDeviceId(text.trimmed().toStdString(), id))
        return false;
    vendorId = id.vendorId;
    productId = id.productId;
    return true;
}

void apply(ReaderDevice& device) {
    if (!device.listsReaders())
        return;
    for (const QString& id : addedIds()) {
        quint16 vendorId = 0;
        quint16 productId = 0;
        if (parseId(id, vendorId, productId))
            device.addReaderId(vendorId, productId);
    }
    device.chooseReader(savedChoice());
}

} // namespace readersettings
