#pragma once

#include "journal_backend.h"

// A journal in a PostgreSQL database shared by several stations; the station
// lease is a session lock that the server lets go when the connection ends.
class PostgresJournal : public JournalBackend {
  public:
    using JournalBackend::JournalBackend;

    bool open(const QString& connection, Access access) override;
    Status hold(const QString& station, const QString& holder) override;
    bool begin() override;
    bool reservesInOneStatement() const override { return true; }
    QString integrityStatement() const override;

  private:
    bool createTables();
};
