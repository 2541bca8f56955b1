#pragma once

#include "protocol/reader_link.h"

#include <QString>

// Memory banks of an EPC Gen2 tag, as the UHF module numbers them.
namespace gen2 {
constexpr int epcBank = 1;
constexpr int tidBank = 2;
// The TID words read to tell one tag from another: class, maker, model and
// the chip's serial number.
constexpr int tidWords = 6;
} // namespace gen2

// Places in a UHF reply text: the module's reply frame from its BB to its 7E
// as compact upper-case hex, characters counted from 1. A short text gives
// short or empty fields.
namespace uhfReply {
// Characters 5-6: 49 answers a write, FF is an error response.
QString command(const QString& reply);
// Inventory reply: BB, type, 22, PL (2), RSSI, PC (2), EPC, StoredCRC (2), checksum, 7E.
int epcBytes(const QString& inventoryReply);
QString epc(const QString& inventoryReply);
QString storedCrc(const QString& inventoryReply);
// Read reply: BB, type, 39, PL (2), length of PC and EPC, PC, EPC, the words read, checksum, 7E.
QString readData(const QString& readReply);
} // namespace uhfReply

// EPC operations on the tags in the reader's field, through the UHF module
// behind the tunnel: the exchanges and what their replies mean, without
// widgets or log lines, for the window and the command-line tool alike.
class EpcOperations {
  public:
    enum class Outcome { Done, NoReply, NoTag, Refused, Garbled };
    // Whether a tag carries an EPC; Unknown when the tag could not be read.
    enum class Carries { Yes, No, Unknown };

    // Every tag command waits this long for the module's reply.
    static constexpr int replyWait = 500;
    static const QString inventoryFrame;

    explicit EpcOperations(ReaderLink& link) : link_(link) {}
    ReaderLink& link() { return link_; }

    // SendUHF, Delay, then ReplyText cut down to the module's reply frame
    // (left in ReplyText as well) and returned.
    QString exchange(const QString& uhfFrame);
    // One module command frame (as the frame builders make it) and its one
    // reply frame. Done: the module's response to that command, its
    // parameters in *answer. Refused: the
    // reader's failure, or the module's error response, whose parameters (the
    // code first, for some codes the tag's UL, PC and EPC after it) go into
    // *answer. Garbled: anything else.
    Outcome command(const QString& uhfFrame, QByteArray* answer);

    // The strongest tag's EPC and StoredCRC.
    Outcome inventory(QString* epc, QString* storedCrc);
    Outcome selectEpc(const QString& epc);
    Outcome selectTid(const QString& tid);
    // The data words read, as hex text.
    Outcome read(const QString& password, int bank, int wordAddress, int words, QString* data);
    // Writes the EPC bank from word 0: the StoredCRC as the tag sent it, a PC
    // word with the EPC's length in words, the EPC. The selected tag takes it.
    Outcome writeEpc(const QString& password, const QString& storedCrc, const QString& epc);

    // The TID of the tag that carries this EPC (select on the EPC, then read).
    Outcome readTid(const QString& epc, QString* tid);
    // Reads the PC word and EPC of the tag with this TID and compares; when
    // that read fails, the EPC the inventory reports for that tag decides.
    Carries tagCarries(const QString& tid, const QString& epc);

    // The words of the EPC bank from word 0 for a write: StoredCRC, PC, EPC.
    static QString epcBankData(const QString& storedCrc, const QString& epc);

    // Why the last operation that did not succeed failed, as one line.
    const QString& errorText() const { return error_; }

  private:
    // Judges the reply of the last exchange; a module error response is a
    // refusal, or no tag for commands whose error means that no tag answered.
    Outcome judge(const QString& reply, bool errorMeansNoTag);

    ReaderLink& link_;
    QString error_;
};

// The module's message for the code of its error response.
QString uhfErrorText(const QString& code);
