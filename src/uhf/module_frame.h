#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>

// UHF module frames as bytes: header, type, command, parameter length (2 bytes,
// high first), parameters, checksum (low byte of the sum from the type to the
// last parameter), end mark. The module frames with BB ... 7E; some modules of
// the same family with AA ... DD, otherwise alike.
namespace uhf {

enum class FrameKind {
    Command,  // type 00, host to module
    Response, // type 01
    Error,    // type 01, command FF: the first parameter is the error code
    Notice,   // type 02: a tag read
    Other,    // any other type byte, checksum and length sound
};

// One whole, checked frame. The parameters point into the bytes the frame was
// read from: copy them (toByteArray) to keep them past that.
struct ModuleFrame {
    FrameKind kind = FrameKind::Other;
    quint8 type = 0;
    quint8 command = 0;
    QByteArrayView parameters;

    // The code of an error response; -1 for any other frame.
    int errorCode() const;
};

// The kind that the type and command bytes give.
FrameKind frameKind(quint8 type, quint8 command);

// Splits bytes into module frames. Bytes may come in chunks cut anywhere (a
// serial stream): a frame cut at the end of a chunk is kept and completed by
// the next. Bytes that are not a sound frame (wrong checksum, end mark or
// length, stray bytes between frames) are skipped and counted, never given
// as a frame; the reader then looks for the next header.
class ModuleFrameReader {
  public:
    using Handler = std::function<void(const ModuleFrame&)>;

    // Longest parameter field taken for real: a longer length is damage, so a
    // corrupted length byte cannot hold back the frames behind it for long.
    static constexpr int maxParameters = 512;

    // Gives every whole frame of the chunk (and of what was kept from the
    // chunks before) to the handler, in order.
    void feed(QByteArrayView chunk, const Handler& handler);
    // Drops a frame begun and not finished (the stream was cut), counting it
    // as damaged.
    void finish();
    void clear();

    // Runs of bytes skipped because they were not a sound frame: one count
    // per damaged frame (or per run of stray bytes up to the next good frame).
    quint64 damagedFrames() const { return damaged_; }
    quint64 frames() const { return frames_; }
    int pendingBytes() const { return int(pending_.size()); }

  private:
    // Reads frames from data; returns the number of bytes used (the rest is
    // the start of a frame not yet whole).
    qsizetype read(const char* data, qsizetype size, const Handler& handler);
    void skipped();

    QByteArray pending_;
    quint64 damaged_ = 0;
    quint64 frames_ = 0;
    bool skipping_ = false;
};

// The frames of one whole reply (several notices and a response, say). A cut
// frame at its end counts as damaged. The frames point into reply.
QList<ModuleFrame> framesOf(const QByteArray& reply, int* damaged = nullptr);
// The frames would point into a temporary freed before they are read.
QList<ModuleFrame> framesOf(QByteArray&& reply, int* damaged = nullptr) = delete;

// A tag read from a notice (BB 02 22 PL, RSSI, PC, EPC, CRC): the EPC is
// PL - 5 bytes, RSSI the signed byte in dBm.
struct TagNotice {
    QByteArray epc;
    quint16 pc = 0;
    int rssi = 0;
    quint16 crc = 0;
};
// False for a frame that is not a tag notice or is too short for one.
bool decodeNotice(const ModuleFrame& frame, TagNotice* notice);

// The module's error in words, with its code in brackets: the module's own
// codes, and the read, write, lock, kill and block permalock families with
// the tag's Gen2 error ("写入失败：标签存储区已锁定 (B4)").
QString errorText(int code);
// The tag concerned that some error responses name after the code (UL, PC,
// EPC); empty when the frame carries none.
QByteArray errorTagEpc(const ModuleFrame& frame);

} // namespace uhf
