#include "access_key.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Longer than any key file: 64 digits, a line break, a little slack.
constexpr int readLimit = 128;

QString systemError(const QString& file) {
    return QStringLiteral("%1: %2").arg(file, qt_error_string(errno));
}

} // namespace

std::optional<AccessKey> AccessKey::load(const QString& file, QString* why, Problem* problem) {
    auto refuse = [&](Problem kind, const QString& reason) -> std::optional<AccessKey> {
        if (problem)
            *problem = kind;
        *why = reason;
        return std::nullopt;
    };
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return refuse(Problem::Missing, systemError(file));
    QFile key;
    key.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    // The mode of the file opened, not of whatever the name points at later.
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return refuse(Problem::Missing, systemError(file));
    if (!S_ISREG(status.st_mode))
        return refuse(Problem::Content,
                      QCoreApplication::translate(
                          "AccessKey", "密钥文件 %1 不是普通文件：请给出密钥文件本身的路径")
                          .arg(file));
    if ((status.st_mode & 077) != 0 || status.st_uid != ::geteuid())
        return refuse(Problem::Mode,
                      QCoreApplication::translate(
                          "AccessKey",
                          "密钥文件 %1 别人也能读取（权限 %2）：请让它只有属主能读：chmod 600 %1")
                          .arg(file)
                          .arg(status.st_mode & 07777, 4, 8, QLatin1Char('0')));
    QByteArray text = key.read(readLimit);
    if (text.endsWith('\n'))
        text.chop(1);
    const QByteArray bytes = QByteArray::fromHex(text);
    bool digitsOnly = text.size() == 2 * keyBytes;
    for (char c : text)
        digitsOnly = digitsOnly && std::isxdigit(static_cast<unsigned char>(c));
    if (!digitsOnly)
        return refuse(Problem::Content,
                      QCoreApplication::translate(
                          "AccessKey",
                          "密钥文件 %1 里不是密钥（应为 64 个十六进制数字和一个换行）："
                          "请给出用 issue --make-key 生成的密钥文件")
                          .arg(file));
    if (problem)
        *problem = Problem::None;
    return AccessKey(bytes);
}

bool AccessKey::make(const QString& file, QString* why) {
    // O_EXCL: an existing key, and the passwords of every tag locked with
    // it, are never lost to a typo.
    const int fd = ::open(QFile::encodeName(file).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        *why = errno == EEXIST
                   ? QCoreApplication::translate(
                         "AccessKey", "%1 已经存在，密钥文件不会被覆盖：请另给一个文件名")
                         .arg(file)
                   : systemError(file);
        return false;
    }
    QByteArray key(keyBytes, Qt::Uninitialized);
    QRandomGenerator::system()->generate(key.begin(), key.end());
    const QByteArray text = key.toHex() + '\n';
    // Whatever the umask, the key is its owner's only.
    const bool written = ::fchmod(fd, 0600) == 0 &&
                         ::write(fd, text.constData(), size_t(text.size())) == text.size() &&
                         ::fsync(fd) == 0;
    if (!written)
        *why = systemError(file);
    ::close(fd);
    if (!written)
        ::unlink(QFile::encodeName(file).constData());
    return written;
}

QString AccessKey::password(const QString& tid) const {
    const QByteArray mac = QMessageAuthenticationCode::hash(QByteArray::fromHex(tid.toLatin1()),
                                                            key_, QCryptographicHash::Sha256);
    // A zero access password leaves a tag unprotected: the next 4 bytes then.
    for (qsizetype at = 0; at + 4 <= mac.size(); at += 4)
        if (mac.mid(at, 4) != QByteArray(4, '\0'))
            return QString::fromLatin1(mac.mid(at, 4).toHex().toUpper());
    return QString();
}

QString AccessKey::id() const {
    return QString::fromLatin1(
        QCryptographicHash::hash(key_, QCryptographicHash::Sha256).toHex().left(16));
}
