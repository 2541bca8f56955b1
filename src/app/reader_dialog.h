#pragma once

#include "protocol/reader_device.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;

// "选择读卡器": the readers the library finds, the one in use selected, and a
// field to add a USB id the library does not know yet.
class ReaderDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ReaderDialog(ReaderDevice& device, QWidget* parent = nullptr);

    // The reader selected in the list; an empty entry when there is none.
    ReaderInfo chosen() const;
    // Lists the readers again.
    void refresh();
    // Adds the id typed in the field, keeps it for later runs and lists again;
    // a malformed id is refused with a note beside the field.
    void addId();

  private:
    ReaderDevice& device_;
    QList<ReaderInfo> readers_;
    QListWidget* list_;
    QLineEdit* idEdit_;
    QLabel* idNote_;
};
