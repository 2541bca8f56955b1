#pragma once

#include <QDialog>
#include <functional>

class IssuingJournal;
class QTableWidget;

// The last records of the issuing journal, newest at the bottom, and their
// export to a CSV file.
class JournalWindow : public QDialog {
    Q_OBJECT
  public:
    JournalWindow(IssuingJournal& journal, std::function<void(const QString&)> showError,
                  QWidget* parent = nullptr);

    // Writes every record to the file; false (and the error box) on failure.
    // A done export is said in a log line, when a log is given.
    bool exportTo(const QString& fileName);
    void setLog(std::function<void(const QString&)> log) { log_ = std::move(log); }

  private:
    IssuingJournal& journal_;
    std::function<void(const QString&)> showError_;
    std::function<void(const QString&)> log_;
    QTableWidget* table_;
};
