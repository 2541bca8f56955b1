#pragma once

#include "pages/page_context.h"

#include <QWidget>

class QComboBox;
class QLineEdit;

// Page TabSheet4: system commands of an HF reader: address, baud rate, serial number, LED and
// buzzer, the reading mode, and the interval of every HF continuous mode (Edit22).
class SystemCommandsPage : public QWidget {
    Q_OBJECT
  public:
    explicit SystemCommandsPage(PageContext& context, QWidget* parent = nullptr);

    // Interval in ms of every HF continuous mode (Edit22), read afresh each pass.
    int interval() const;

    // Edit22 holds a non-negative integer: anything else is set back to "100".
    void Edit22Change(); // an interval that is no number goes back to 100

  private:
    QString baudRatePayload() const;

    PageContext& context_;
    QComboBox* baudRate_;
    QLineEdit* interval_;
};
