#pragma once

#include "epc_operations.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// Operations on one chosen tag of the field through the UHF module behind the
// tunnel: read and write any memory bank, set the passwords, lock, kill. No
// widgets and no log lines: the window's tag dialog, issuing with locks and
// the command-line tool share it. With debug logging on, the reader link logs
// every frame as it does for the other commands.
namespace uhf {

// The memory banks of a Gen2 tag, numbered as the module takes them.
enum class Bank { Reserved = 0, Epc = 1, Tid = 2, User = 3 };
// "reserved", "epc", "tid", "user": the names the command line takes.
QString bankName(Bank bank);
bool bankFromName(const QString& name, Bank* bank);

// Word addresses in the Reserved bank: the kill password in words 0-1, the
// access password in words 2-3.
constexpr int killPasswordWord = 0;
constexpr int accessPasswordWord = 2;

// The five areas a lock names, in the order of the lock payload's fields.
enum class LockArea { KillPassword, AccessPassword, Epc, Tid, User };
constexpr int lockAreaCount = 5;
// What a lock makes of an area. Open: writable (a password also readable)
// with or without the access password. Lock: writable (a password readable
// and writable) only after the access password. Permalock: a bank never
// writable again, a password never readable or writable. Permaopen: open for
// good. A permanent action cannot be changed by any later lock; the tag
// refuses such a lock whole.
enum class LockAction { Open, Lock, Permalock, Permaopen };
// "kill", "access", "epc", "tid", "user" and "open", "lock", "permalock",
// "permaopen": the names of the command line, the journal and the settings.
QString lockAreaName(LockArea area);
QString lockActionName(LockAction action);
bool lockAreaFromName(const QString& name, LockArea* area);
bool lockActionFromName(const QString& name, LockAction* action);

// What one lock command does: an action for some of the five areas; the areas
// without one are left as they are. A tag's lock state cannot be read back:
// what a program knows of it is only what it set.
class LockPlan {
  public:
    LockPlan& set(LockArea area, LockAction action);
    std::optional<LockAction> action(LockArea area) const;
    bool isEmpty() const;
    // Whether any action is permanent (permalock or permaopen): the operator
    // has to confirm those once more, since they cannot be undone.
    bool permanent() const;
    // The 20 bits of the lock payload: a 10-bit mask, then a 10-bit action,
    // each five 2-bit fields in area order (kill password first). Open and
    // lock set the first mask bit only, the permanent actions both, so that
    // lock the access password is 02 00 80 and permalock the EPC bank 00 C0 30.
    quint32 payload() const;
    // The payload as the 3 bytes of the lock command, compact hex ("020080").
    QString payloadHex() const;
    // "access=lock,epc=lock" in area order; empty for an empty plan.
    QString text() const;
    // Reads AREA=ACTION[,AREA=ACTION...], as text() writes it and the command
    // line takes it: nothing for a bad part or an area named twice, with
    // what is wrong (in the command line's words) in *problem.
    static std::optional<LockPlan> fromText(const QString& text, QString* problem = nullptr);

  private:
    std::array<std::optional<LockAction>, lockAreaCount> actions_;
};

// What the first 32 bits of a TID say (ISO/IEC 15963): the class (E2 for EPC
// Gen2), then for class E2 a 12-bit mask designer id and a 12-bit model number.
struct TidInfo {
    bool valid = false; // at least 4 bytes, class E2
    int tidClass = -1;  // the first byte; -1 without one
    int maskDesigner = 0;
    int model = 0;
    // "EPC Gen2" for E2, "ISO/IEC 7816-6" for E0, empty for any other class.
    QString className() const;
    // "class E2 (EPC Gen2), mask designer 801, model 105"; for another class
    // its byte alone. English: the command line's output.
    QString summary() const;
};
TidInfo decodeTid(const QByteArray& tid);

// The tag an operation acts on: its TID when known (a factory-set number,
// unique) and its EPC (which may be the same on several tags of a roll).
struct TagId {
    QByteArray tid;
    QByteArray epc;
    bool isEmpty() const { return tid.isEmpty() && epc.isEmpty(); }
    // "TID E28011052000000000000001" when the TID is known, else "EPC ...".
    QString text() const;
};

class TagAccess {
  public:
    // Done. NoReply: the reader did not answer. NoTag: no tag answered (the
    // module's read or write failed for want of a tag, or the inventory found
    // none). Refused: the reader or the module refused; errorCode() has the
    // module's code. Garbled: a reply that is not the module's frame for the
    // command. NotSent: the request was refused before anything was sent.
    enum class Outcome { Done, NoReply, NoTag, Refused, Garbled, NotSent };

    // The module takes at most 32 words in one write; reads are sent in the
    // same steps so that a reply always fits the tunnel's frame.
    static constexpr int maxWordsPerCommand = 32;

    explicit TagAccess(ReaderLink& link) : operations_(link) {}

    // The EPCs of the tags that answered a few inventory rounds (each once,
    // strongest first as the module names them). Done with an empty list
    // when no tag answered.
    Outcome tagsInField(QList<QByteArray>* epcs);

    // Chooses the tag for the operations that follow: Select (0C) on its TID
    // when known, else on its EPC, then select mode 02, so that the module
    // sends that Select before every read, write, lock and kill. A tag known
    // by its EPC alone has its TID read (6 words), and is from then on
    // selected by it; tag() then holds both.
    Outcome choose(const TagId& tag);
    const TagId& tag() const { return tag_; }

    // Words of a bank from a word address, as bytes (2 per word). An access
    // password of 0 sends none: the tag stays open and answers only what an
    // open tag may (a locked password is not readable then).
    Outcome read(Bank bank, int wordAddress, int words, quint32 accessPassword, QByteArray* data);
    // Whole words from a word address (in steps of 32 words).
    Outcome write(Bank bank, int wordAddress, const QByteArray& data, quint32 accessPassword);
    // Reserved words 2-3 and 0-1. A tag whose access password is not 0 needs
    // the current one (accessPassword) to take a new one; writing 0 removes it.
    Outcome setAccessPassword(quint32 password, quint32 accessPassword);
    Outcome setKillPassword(quint32 password, quint32 accessPassword);
    // One lock command (82) with the plan's payload. A tag takes a lock only
    // after its access password (or when it has none); an empty plan is not
    // sent.
    Outcome lock(const LockPlan& plan, quint32 accessPassword);
    // Kill (65): the tag is silent for good. A kill password of 0 cannot kill
    // a tag and is refused before sending.
    Outcome kill(quint32 killPassword);

    // Why the last operation that did not succeed failed, as one line that
    // names the tag ("TID ...：写入失败：标签存储区已锁定 (B4)").
    const QString& errorText() const { return error_; }
    // The module's error code of the last refusal; -1 for any other outcome.
    // A write to a locked bank gives B4, a locked password read A4, a wrong
    // access password 16, a lock of a permanent area C4, a kill password of
    // zero D0.
    int errorCode() const { return errorCode_; }
    // The EPC of the tag that answered the last read, write, lock or kill, as
    // the module's reply names it (before a write to the EPC bank took effect).
    const QByteArray& answeredEpc() const { return answeredEpc_; }

    ReaderLink& link() { return operations_.link(); }

  private:
    // One module command; a refusal's text names the tag.
    Outcome command(const QString& frame, QByteArray* answer);
    Outcome select(Bank bank, int bitPointer, const QByteArray& mask);
    Outcome notSent(const QString& why);
    // The reply of a tag command: UL, PC, EPC, then what the command returns.
    QByteArray afterTagIdentity(const QByteArray& answer);

    EpcOperations operations_;
    TagId tag_;
    QString error_;
    int errorCode_ = -1;
    QByteArray answeredEpc_;
};

} // namespace uhf
