#include "reader_device.h"

#include <QFileInfo>
#include <dlfcn.h>

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
    write_ = reinterpret_cast<int (*)(int, int, unsigned char*)>(dlsym(handle_, "hidWriteData"));
    read_ = reinterpret_cast<int (*)(int, int, unsigned char*)>(dlsym(handle_, "hidReadData"));
    simulated_ = reinterpret_cast<int (*)()>(dlsym(handle_, "readerSimulated"));
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
