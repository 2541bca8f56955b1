#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// Builds the SGTIN-96 EPC that a series of tags starts from: a GTIN, the
// length of its company prefix, a filter value and the first serial. The hex
// it will write, or why the input is not a valid SGTIN-96, shows as it is typed.
class Gs1StartDialog : public QDialog {
    Q_OBJECT
  public:
    explicit Gs1StartDialog(QWidget* parent = nullptr);
    // The EPC as hex; empty while the input is not valid.
    QString epc() const { return epc_; }

  private:
    void update();

    QLineEdit* gtin_;
    QSpinBox* prefixLength_;
    QComboBox* filter_;
    QLineEdit* serial_;
    QLabel* result_;
    QPushButton* ok_;
    QString epc_;
};
