#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The secret from which every issued tag's access password is derived, so
// that each tag has its own and none has to be stored: the first 4 bytes of
// HMAC-SHA256 keyed with the key over the TID's bytes as read from the tag
// (the next 4 when those are all zero, a zero password being no password).
// The key file holds 64 hex digits and a newline and must be readable by its
// owner only.
class AccessKey {
  public:
    static constexpr int keyBytes = 32;

    // Why a key file could not be used. Mode: readable by others (the fix is chmod).
    enum class Problem { None, Missing, Mode, Content };

    // Reads the key file; nothing when it cannot be used, with the reason
    // (and for Mode the chmod to run) in *why.
    static std::optional<AccessKey> load(const QString& file, QString* why,
                                         Problem* problem = nullptr);
    // Creates a new key from the system's random source, mode 0600; an
    // existing file is never replaced. False with the reason.
    static bool make(const QString& file, QString* why);

    explicit AccessKey(const QByteArray& key) : key_(key) {}

    // The access password of the tag with this TID (hex text of the bytes
    // read from its TID bank), as 8 upper-case hex digits.
    QString password(const QString& tid) const;
    // Names the key in the journal without revealing it: 16 hex digits of a
    // hash of the key.
    QString id() const;

  private:
    QByteArray key_;
};
