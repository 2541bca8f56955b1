#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

struct ReaderHidInfo;

// A reader the library found. An entry with a zero id stands for "no choice".
struct ReaderInfo {
    quint16 vendorId = 0;
    quint16 productId = 0;
    QString product;
    QString serial;
    QString path;
    bool inUse = false;

    // "vvvv:pppp", lower-case hex as lsusb prints it.
    QString id() const;
    bool operator==(const ReaderInfo& other) const;
};

// Why the last transfer failed, when the library can tell.
struct ReaderFailure {
    enum Kind { None, NoPermission, DeviceGone };
    Kind kind = None;
    QString path;
    // The device's "vvvv:pppp" when the library lists it, else empty.
    QString id;
};

// What the operator reads about the failure and how to fix it; empty for None.
QString readerFailureText(const ReaderFailure& failure);

class ReaderDevice;
// The reader in use as the status bar names it: the simulated one, the real
// one (product and id) or "未找到读卡器"; empty when the library cannot tell.
QString readerInUseText(ReaderDevice& device);
// Why no reader answers, in one line that ends with what to do: no permission,
// unplugged, none found (with the ids looked for); empty when a reader is there
// or the library cannot tell.
QString readerProblemText(ReaderDevice& device);

// One USB HID exchange with the reader: write a frame, then read the reply.
class ReaderDevice {
  public:
    virtual ~ReaderDevice() = default;
    // Non-empty when the device cannot be used at all (library or export missing).
    virtual QString unavailableReason() = 0;
    // Number of bytes written; the write counts as done only when it equals the size.
    virtual int write(const QByteArray& frame) = 0;
    // Fills the start of the buffer with the reply frame and returns the number
    // of bytes read; 0 (or less) when nothing came, the buffer left as it is.
    virtual int read(unsigned char* buffer, int capacity) = 0;
    // True when the simulated reader answers instead of a real one.
    virtual bool simulated() = 0;

    // The optional part: a device that cannot list readers says so, and the
    // rest then does nothing.
    virtual bool listsReaders() { return false; }
    virtual QList<ReaderInfo> readers() { return {}; }
    // Makes the reader the one to use (an empty one: the automatic choice) and
    // reopens; true when it is present now.
    virtual bool chooseReader(const ReaderInfo&) { return false; }
    virtual bool addReaderId(quint16, quint16) { return false; }
    virtual ReaderFailure lastFailure() { return {}; }
    // The USB ids looked for, "vvvv:pppp" each; empty when the library does not say.
    virtual QStringList idsLookedFor() { return {}; }
};

// The device's tagRemover() when it is a loaded library; empty otherwise.
std::function<void()> tagRemover(ReaderDevice& device);

// The simulated reader's library that goes with the program in programDir:
// lib/rfid-setup/sim/ beside bin/ once installed, sim/ in the build tree.
// Empty when neither is there.
QString simulatedLibraryPath(const QString& programDir);
// The library --simulate loads: READERHID_SIM_LIBRARY when set (the tests take the simulated
// reader through the real library and the hidapi stand-in with it), else simulatedLibraryPath.
QString simulatedReaderLibrary(const QString& programDir);

// The reader library loaded with the dynamic loader by file name, so that
// LD_LIBRARY_PATH, then the program's RUNPATH, then the system decide which
// one; never the current directory. Once loaded it stays loaded.
class LibraryDevice : public ReaderDevice {
  public:
    explicit LibraryDevice(QString fileName = QStringLiteral("libreaderhid.so"));
    QString unavailableReason() override;
    int write(const QByteArray& frame) override;
    int read(unsigned char* buffer, int capacity) override;
    bool simulated() override;
    bool listsReaders() override;
    QList<ReaderInfo> readers() override;
    bool chooseReader(const ReaderInfo& reader) override;
    bool addReaderId(quint16 vendorId, quint16 productId) override;
    ReaderFailure lastFailure() override;
    QStringList idsLookedFor() override;
    // The simulated reader's library plays the installer who takes the tag in
    // the field away after it has been handled; empty for a real reader.
    std::function<void()> tagRemover();

  private:
    bool load();

    QString fileName_;
    QString error_;
    void* handle_ = nullptr;
    int (*write_)(int, int, unsigned char*) = nullptr;
    int (*read_)(int, int, unsigned char*) = nullptr;
    int (*simulated_)() = nullptr;
    // Optional exports, each null when the library lacks it.
    int (*list_)(ReaderHidInfo*, int) = nullptr;
    int (*choose_)(const ReaderHidInfo*) = nullptr;
    int (*addId_)(unsigned int, unsigned int) = nullptr;
    int (*lastError_)(char*, int) = nullptr;
    int (*lookedFor_)(char*, int) = nullptr;
    int (*takeTagAway_)() = nullptr;
};
