#pragma once

#include <QByteArray>
#include <QString>

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
};

// The simulated reader's library that goes with the program in programDir:
// lib/rfid-setup/sim/ beside bin/ once installed, sim/ in the build tree.
// Empty when neither is there.
QString simulatedLibraryPath(const QString& programDir);

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

  private:
    bool load();

    QString fileName_;
    QString error_;
    void* handle_ = nullptr;
    int (*write_)(int, int, unsigned char*) = nullptr;
    int (*read_)(int, int, unsigned char*) = nullptr;
    int (*simulated_)() = nullptr;
};
