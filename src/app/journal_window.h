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
    bool exportTo(const QString& fileName);

  private:
    IssuingJournal& journal_;
    std::function<void(const QString&)> showError_;
    QTableWidget* table_;
};
