#pragma once

#include <QDialog>

// The version history window ("关于" → "版本更新记录"): one read-only text
// box listing what each release added.
class TForm2 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm2(QWidget* parent = nullptr);
};
