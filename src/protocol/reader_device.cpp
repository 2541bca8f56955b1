#include "reader_device.h"

#include "usbhid/readerhid_api.h"

#include <QFileInfo>
#include <cstring>
#include <dlfcn.h>
#include <vector>

namespace {

template <class Function> Function lookUp(void* handle, const char* name) {
    return reinterpret_cast<Function>(dlsym(handle, name));
}

// A text field of the library's struct: NUL-terminated, but read no further than its size.
QString field(const char (&text)[READERHID_TEXT]) {
    return QString::fromUtf8(text, int(strnlen(text, READERHID_TEXT)));
}

void setField(char (&text)[READERHID_TEXT], const QString& value) {
    const QByteArray bytes = value.toUtf8().left(READERHID_TEXT - 1);
    std::memcpy(text, bytes.constData(), bytes.size());
    text[bytes.size()] = '\0';
}

} // namespace

QString ReaderInfo::id() const {
    return QStringLiteral("%1:%2")
        .arg(vendorId, 4, 16, QLatin1Char('0'))
        .arg(productId, 4, 16, QLatin1Char('0'));
}

bool ReaderInfo::operator==(const ReaderInfo& other) const {
    return vendorId == other.vendorId && productId == other.productId && product == other.product &&
           serial == other.serial && path == other.path && inUse == other.inUse;
}

QString readerFailureText(const ReaderFailure& failure) {
    switch (failure.kind) {
    case ReaderFailure::NoPermission:
        return QStringLiteral("没有读写 %1 的权限：请安装本程序的 udev 规则（或把用户加入 plugdev "
                              "组），然后拔下读卡器再插上")
            .arg(failure.path);
    case ReaderFailure::DeviceGone:
        return QStringLiteral("读卡器 %1 已断开：请重新插上读卡器").arg(failure.path);
    case ReaderFailure::None:
        break;
    }
    return QString();
}

QString simulatedLibraryPath(const QString& programDir) {
    for (const char* relative :
         {"/../lib/rfid-setup/sim/libreaderhid.so", "/../sim/libreaderhid.so"}) {
        const QFileInfo file(programDir + QLatin1String(relative));
        if (file.isFile())
            return file.canonicalFilePath();
    }
    return QString();
}

LibraryDevice::LibraryDevice(QString fileName) : fileName_(std::move(fileName)) {}

bool LibraryDevice::load() {
    if (write_ && read_)
        return true;
    // A name without a slash is searched by the loader only, never in the
    // current directory.
    if (!handle_)
        handle_ = dlopen(fileName_.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        error_ = QStringLiteral("无法加载读卡器库 %1：%2")
                     .arg(fileName_, QString::fromLocal8Bit(dlerror()));
        return false;
    }
    write_ = lookUp<decltype(write_)>(handle_, "hidWriteData");
    read_ = lookUp<decltype(read_)>(handle_, "hidReadData");
    simulated_ = lookUp<decltype(simulated_)>(handle_, "readerSimulated");
    list_ = lookUp<decltype(list_)>(handle_, "readerList");
    choose_ = lookUp<decltype(choose_)>(handle_, "readerChoose");
    addId_ = lookUp<decltype(addId_)>(handle_, "readerAddId");
    lastError_ = lookUp<decltype(lastError_)>(handle_, "readerLastError");
    takeTagAway_ = lookUp<decltype(takeTagAway_)>(handle_, "readerTakeTagAway");
    if (!write_ || !read_) {
        error_ = QStringLiteral("读卡器库 %1 缺少函数 %2")
                     .arg(fileName_, QLatin1String(write_ ? "hidReadData" : "hidWriteData"));
        write_ = nullptr;
        read_ = nullptr;
        return false;
    }
    error_.clear();
    return true;
}

QString LibraryDevice::unavailableReason() {
    return load() ? QString() : error_;
}

int LibraryDevice::write(const QByteArray& frame) {
    if (!load())
        return -1;
    QByteArray copy = frame;
    return write_(0, copy.size(), reinterpret_cast<unsigned char*>(copy.data()));
}

int LibraryDevice::read(unsigned char* buffer, int capacity) {
    return load() ? read_(0, capacity, buffer) : 0;
}

bool LibraryDevice::simulated() {
    return load() && simulated_ && simulated_() == 1;
}

bool LibraryDevice::listsReaders() {
    return load() && list_;
}

QList<ReaderInfo> LibraryDevice::readers() {
    if (!listsReaders())
        return {};
    // More readers than room: ask once more with room for all of them. The
    // count may change in between (a reader plugged in); what does not fit then
    // is left out rather than asked for again and again.
    std::vector<ReaderHidInfo> found(4);
    int count = list_(found.data(), int(found.size()));
    if (count > int(found.size())) {
        found.resize(std::size_t(count));
        count = list_(found.data(), int(found.size()));
    }
    count = qBound(0, count, int(found.size()));
    QList<ReaderInfo> readers;
    for (int i = 0; i < count; ++i)
        readers << ReaderInfo{found[i].vendorId,      found[i].productId,   field(found[i].product),
                              field(found[i].serial), field(found[i].path), found[i].inUse == 1};
    return readers;
}

bool LibraryDevice::chooseReader(const ReaderInfo& reader) {
    if (!load() || !choose_)
        return false;
    ReaderHidInfo chosen{};
    chosen.vendorId = reader.vendorId;
    chosen.productId = reader.productId;
    setField(chosen.product, reader.product);
    setField(chosen.serial, reader.serial);
    setField(chosen.path, reader.path);
    return choose_(&chosen) == 1;
}

bool LibraryDevice::addReaderId(quint16 vendorId, quint16 productId) {
    return load() && addId_ && addId_(vendorId, productId) == 1;
}

ReaderFailure LibraryDevice::lastFailure() {
    if (!load() || !lastError_)
        return {};
    char path[READERHID_TEXT] = {};
    const int code = lastError_(path, sizeof path);
    const QString node = field(path);
    switch (code) {
    case READERHID_NO_PERMISSION:
        return {ReaderFailure::NoPermission, node};
    case READERHID_DEVICE_GONE:
        return {ReaderFailure::DeviceGone, node};
    default:
        return {};
    }
}

std::function<void()> LibraryDevice::tagRemover() {
    if (!load() || !takeTagAway_)
        return {};
    return [takeAway = takeTagAway_] { takeAway(); };
}

std::function<void()> tagRemover(ReaderDevice& device) {
    auto* library = dynamic_cast<LibraryDevice*>(&device);
    return library ? library->tagRemover() : std::function<void()>();
}
