#include "reader_device.h"

#include "usbhid/known_readers.h"
#include "usbhid/readerhid_api.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
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

namespace {

const char* const rulesFile = "70-rfid-setup.rules";
const char* const reloadRules = "sudo udevadm control --reload && sudo udevadm trigger";

// The installed rule grants the known ids only; an id added by the user needs a rule of its own.
bool ruleCovers(const QString& id) {
    for (const ReaderUsbId& known : knownReaderIds)
        if (id == ReaderInfo{known.vendorId, known.productId, {}, {}, {}, false}.id())
            return true;
    return id.isEmpty();
}

QString noPermissionText(const ReaderFailure& failure) {
    if (ruleCovers(failure.id))
        return QCoreApplication::translate(
                   "LibraryDevice",
                   "没有读写 %1 的权限：udev 规则 %2 只让在本机桌面登录的用户（uaccess）"
                   "打开读卡器；请确认已安装 rfid-setup 软件包（手工安装后运行 %3），"
                   "在桌面会话中使用，然后拔下读卡器再插上")
            .arg(failure.path, QLatin1String(rulesFile), QLatin1String(reloadRules));
    return QCoreApplication::translate(
               "LibraryDevice",
               "没有读写 %1 的权限：udev 规则 %2 不包括读卡器 %3；请以 root 把这一行写入 "
               "/etc/udev/rules.d/70-rfid-setup-local.rules：SUBSYSTEM==\"hidraw\", "
               "ATTRS{idVendor}==\"%4\", ATTRS{idProduct}==\"%5\", TAG+=\"uaccess\"，"
               "再运行 %6，然后拔下读卡器再插上")
        .arg(failure.path, QLatin1String(rulesFile), failure.id, failure.id.section(':', 0, 0),
             failure.id.section(':', 1, 1), QLatin1String(reloadRules));
}

} // namespace

QString readerFailureText(const ReaderFailure& failure) {
    switch (failure.kind) {
    case ReaderFailure::NoPermission:
        return noPermissionText(failure);
    case ReaderFailure::DeviceGone:
        return QCoreApplication::translate("LibraryDevice", "读卡器 %1 已断开：请重新插上读卡器")
            .arg(failure.path);
    case ReaderFailure::None:
        break;
    }
    return QString();
}

QString readerInUseText(ReaderDevice& device) {
    if (device.simulated())
        return QCoreApplication::translate("LibraryDevice", "模拟读卡器（没有连接真实设备）");
    if (!device.listsReaders())
        return QString();
    const QList<ReaderInfo> readers = device.readers();
    const auto inUse = std::find_if(readers.begin(), readers.end(),
                                    [](const ReaderInfo& reader) { return reader.inUse; });
    if (inUse == readers.end())
        return QCoreApplication::translate("LibraryDevice", "未找到读卡器");
    const QString product = inUse->product.isEmpty()
                                ? QCoreApplication::translate("LibraryDevice", "USB HID 读卡器")
                                : inUse->product;
    return QStringLiteral("%1 (%2)").arg(product, inUse->id());
}

QString readerProblemText(ReaderDevice& device) {
    const QString failure = readerFailureText(device.lastFailure());
    if (!failure.isEmpty() || device.simulated() || !device.listsReaders())
        return failure;
    const QList<ReaderInfo> readers = device.readers();
    if (std::any_of(readers.begin(), readers.end(),
                    [](const ReaderInfo& reader) { return reader.inUse; }))
        return QString();
    const QStringList ids = device.idsLookedFor();
    return QCoreApplication::translate(
               "LibraryDevice",
               "未找到读卡器%1：请插上读卡器，用 lsusb 查看它的 USB ID；别的 ID 可在窗口的"
               "“系统 → 选择读卡器...”中添加，或用环境变量 READERHID_DEVICE 指定")
        .arg(ids.isEmpty() ? QString()
                           : QCoreApplication::translate("LibraryDevice", "（查找的 USB ID：%1）")
                                 .arg(ids.join(QLatin1Char(','))));
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

QString simulatedReaderLibrary(const QString& programDir) {
    const QString instead = qEnvironmentVariable("READERHID_SIM_LIBRARY");
    return instead.isEmpty() ? simulatedLibraryPath(programDir) : instead;
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
        error_ = QCoreApplication::translate("LibraryDevice", "无法加载读卡器库 %1：%2")
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
    lookedFor_ = lookUp<decltype(lookedFor_)>(handle_, "readerLookedFor");
    takeTagAway_ = lookUp<decltype(takeTagAway_)>(handle_, "readerTakeTagAway");
    if (!write_ || !read_) {
        error_ = QCoreApplication::translate("LibraryDevice", "读卡器库 %1 缺少函数 %2")
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
    QString id;
    if (code != READERHID_NO_ERROR)
        for (const ReaderInfo& reader : readers())
            if (reader.path == node)
                id = reader.id();
    switch (code) {
    case READERHID_NO_PERMISSION:
        return {ReaderFailure::NoPermission, node, id};
    case READERHID_DEVICE_GONE:
        return {ReaderFailure::DeviceGone, node, id};
    default:
        return {};
    }
}

QStringList LibraryDevice::idsLookedFor() {
    if (!load() || !lookedFor_)
        return {};
    char text[READERHID_TEXT] = {};
    lookedFor_(text, sizeof text);
    return field(text).split(QLatin1Char(','), Qt::SkipEmptyParts);
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
