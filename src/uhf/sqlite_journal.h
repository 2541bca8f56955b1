#pragma once

#include "journal_backend.h"

#include <sys/types.h>

// A journal in an SQLite file (WAL mode); the station lease is a lock file
// beside it.
class SqliteJournal : public JournalBackend {
  public:
    using JournalBackend::JournalBackend;
    ~SqliteJournal() override;

    bool open(const QString& connection, Access access) override;
    Status hold(const QString& station, const QString& holder) override;
    bool begin() override;
    bool reservesInOneStatement() const override { return false; }
    QString integrityStatement() const override;
    bool fileUnchanged() override;

  private:
    bool createTables();

    int leaseFd_ = -1;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};
