#include "sqlite_journal.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QtEndian>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

SqliteJournal::~SqliteJournal() {
    if (leaseFd_ >= 0)
        ::close(leaseFd_);
}

bool SqliteJournal::open(const QString& connection, Access access) {
    const QString file = address_.file;
    const QFileInfo info(file);
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    if (!db_.isValid())
        return fail(QStringLiteral("打开"),
                    QCoreApplication::translate("IssuingJournal", "没有数据库驱动"));
    // Another station's transaction is waited for, not taken as an error.
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(journalWaitLimitMs);
    QString name = file;
    if (access == Access::Read) {
        if (!info.isFile()) {
            error_ = QCoreApplication::translate("IssuingJournal",
                                                 "%1 处没有发卡记录")
                         .arg(file);
            return false;
        }
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
        // In a folder it may not write to, SQLite reads a journal that no one
        // writes (no -wal file) only when told that it cannot change.
        if (!QFileInfo(info.absolutePath()).isWritable() && !QFileInfo::exists(file + "-wal")) {
            options += QStringLiteral(";QSQLITE_OPEN_URI");
            name = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded) +
                   QStringLiteral("?immutable=1");
        }
    } else {
        created_ = !info.exists() || info.size() == 0;
        if (!QDir().mkpath(info.absolutePath()))
            return fail(QStringLiteral("打开"),
                        QStringLiteral("无法建立文件夹 ") + info.absolutePath());
    }
    db_.setConnectOptions(options);
    db_.setDatabaseName(name);
    if (!db_.open())
        return fail(QStringLiteral("打开"), db_.lastError().text());
    QSqlQuery tables(db_);
    if (!tables.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = 'tags'"))) {
        const QString code = tables.lastError().nativeErrorCode();
        damaged_ = code == QLatin1String("11") || code == QLatin1String("26");
        return fail(QStringLiteral("打开"),
                    file + QStringLiteral(": ") + tables.lastError().text());
    }
    // An empty file is what is left of a journal, not a journal.
    const bool hasTags = tables.next() && tables.value(0).toInt() > 0;
    tables.finish();
    if (access == Access::Read) {
        if (!hasTags) {
            error_ = QCoreApplication::translate("IssuingJournal",
                                                 "%1 处没有发卡记录")
                         .arg(file);
            return false;
        }
    } else {
        // WAL: readers do not block the writer, and a commit is one append.
        if (!exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !createTables())
            return false;
    }
    struct stat status {};
    if (::stat(QFile::encodeName(file).constData(), &status) == 0) {
        device_ = status.st_dev;
        inode_ = status.st_ino;
    }
    return true;
}

bool SqliteJournal::createTables() {
    using PerTag = IssuingJournal::PerTag;
    QStringList statements = commonTables(QStringLiteral("INTEGER PRIMARY KEY"));
    // The free numbers follow every record's change, whichever program makes it.
    const QString freed = namedStatement(PerTag::Freed, {"NEW.series", "NEW.epc"});
    statements << QStringLiteral("CREATE TRIGGER IF NOT EXISTS tags_freed AFTER UPDATE OF outcome "
                                 "ON tags WHEN NEW.outcome = 'released' AND OLD.outcome <> "
                                 "'released' BEGIN %1; END")
                      .arg(freed)
               << QStringLiteral("CREATE TRIGGER IF NOT EXISTS tags_added_released AFTER INSERT "
                                 "ON tags WHEN NEW.outcome = 'released' BEGIN %1; END")
                      .arg(freed)
               << QStringLiteral("CREATE TRIGGER IF NOT EXISTS tags_taken AFTER INSERT ON tags "
                                 "WHEN NEW.outcome <> 'released' BEGIN %1; END")
                      .arg(namedStatement(PerTag::Taken, {"NEW.epc"}));
    if (!begin())
        return false;
    QSqlQuery kept(db_);
    if (kept.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = "
                                 "'free_numbers'")) &&
        kept.next() && kept.value(0).toInt() == 0)
        statements << freeNumbersOfOlderJournal();
    kept.finish();
    // Journals from before the series had a last number get the column.
    QSqlQuery columns(db_);
    columns.exec(QStringLiteral("PRAGMA table_info(series)"));
    bool hasLast = false;
    bool any = false;
    while (columns.next()) {
        any = true;
        hasLast = hasLast || columns.value(1).toString() == QLatin1String("last");
    }
    if (any && !hasLast)
        statements.insert(1, QStringLiteral("ALTER TABLE series ADD COLUMN last TEXT"));
    return createInTransaction(statements);
}

bool SqliteJournal::begin() {
    // IMMEDIATE takes SQLite's write lock at once, so two writers queue
    // instead of failing when the reader in each wants to become a writer.
    return exec(QStringLiteral("BEGIN IMMEDIATE"));
}

QString SqliteJournal::integrityStatement() const {
    return QStringLiteral("PRAGMA quick_check");
}

namespace {

// The holder's note beside the journal, opened only when it is a regular file
// of this user (not a link or someone else's file in a shared folder); never
// waiting, as an open of a fifo for reading would, until someone writes.
int openNote(const QString& file, int flags, QString* problem) {
    const int fd = ::open(QFile::encodeName(file).constData(),
                          flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    struct stat status {};
    if (fd >= 0 && ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
        status.st_uid == ::geteuid())
        return fd;
    *problem = fd < 0 ? file + QStringLiteral(": ") + qt_error_string(errno)
                      : QCoreApplication::translate(
                            "IssuingJournal", "%1 不是本用户的普通文件：请查看并删除它，再重新开始")
                            .arg(file);
    if (fd >= 0)
        ::close(fd);
    return -1;
}

// The note as it may be printed: no control characters, one short line.
QString printable(const QString& text) {
    QString line = text.left(200);
    for (QChar& c : line)
        if (!c.isPrint())
            c = QLatin1Char('?');
    return line;
}

} // namespace

IssuingJournal::Status SqliteJournal::hold(const QString& station, const QString& holder) {
    const QByteArray hash = QCryptographicHash::hash(station.toUtf8(), QCryptographicHash::Sha1);
    // The lease is a lock on the journal file itself, whatever path reached it
    // (a link, "..", a bind mount), one byte per station far past SQLite's own
    // lock bytes; an open file description's lock dies with the process.
    if (leaseFd_ < 0)
        leaseFd_ = ::open(QFile::encodeName(address_.file).constData(), O_RDWR | O_CLOEXEC);
    if (leaseFd_ < 0) {
        fail(QStringLiteral("占用工位"),
             address_.file + QStringLiteral(": ") + qt_error_string(errno));
        return Status::Failed;
    }
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = (off_t(1) << 62) + off_t(qFromBigEndian<quint32>(hash.constData()));
    lock.l_len = 1;
    const bool held = ::fcntl(leaseFd_, F_OFD_SETLK, &lock) == 0;
    // Closing a second descriptor of the journal would drop SQLite's own
    // locks, so this one stays open until the journal closes.
    const QString note = QFileInfo(address_.file).canonicalFilePath() +
                         QStringLiteral(".station-") + QString::fromLatin1(hash.toHex().left(16));
    QString problem;
    if (!held) {
        QString by;
        if (const int fd = openNote(note, O_RDONLY, &problem); fd >= 0) {
            QFile text;
            if (text.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
                by = printable(QString::fromUtf8(text.read(400)).trimmed());
        }
        error_ =
            QCoreApplication::translate(
                "IssuingJournal",
                "工位 %1 正被另一个进程使用（%2）：请先结束那个进程，或换一个工位名称")
                .arg(station,
                     by.isEmpty() ? QCoreApplication::translate("IssuingJournal", "正在启动") : by);
        return Status::Conflict;
    }
    const int fd = openNote(note, O_RDWR | O_CREAT, &problem);
    const QByteArray text = holder.toUtf8() + '\n';
    const bool written = fd >= 0 && ::ftruncate(fd, 0) == 0 &&
                         ::pwrite(fd, text.constData(), size_t(text.size()), 0) == text.size();
    if (fd >= 0 && !written)
        problem = note + QStringLiteral(": ") + qt_error_string(errno);
    if (fd >= 0)
        ::close(fd);
    if (!written) {
        lock.l_type = F_UNLCK;
        ::fcntl(leaseFd_, F_OFD_SETLK, &lock);
        fail(QStringLiteral("占用工位"), problem);
        return Status::Failed;
    }
    return Status::Ok;
}

bool SqliteJournal::fileUnchanged() {
    struct stat status {};
    if (::stat(QFile::encodeName(address_.file).constData(), &status) == 0 &&
        status.st_dev == device_ && status.st_ino == inode_)
        return true;
    error_ = QCoreApplication::translate(
                 "IssuingJournal",
                 "发卡记录 %1 在使用中被删除或替换，已停止：请把原来的文件放回原处，再重新开始")
                 .arg(address_.file);
    return false;
}
