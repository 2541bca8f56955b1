#pragma once

#include <QDialog>

// The card memory structure window ("扇区结构"): a picture of the memory
// banks of a UHF tag.
class TForm3 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm3(QWidget* parent = nullptr);
};
