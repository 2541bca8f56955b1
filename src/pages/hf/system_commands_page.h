#pragma once

#include "pages/page_context.h"

#include <QWidget>

// Page TabSheet4: system commands of an HF reader: address, baud rate, serial number, LED and
// buzzer.
class SystemCommandsPage : public QWidget {
    Q_OBJECT
  public:
    explicit SystemCommandsPage(PageContext& context, QWidget* parent = nullptr);

    // Interval in ms of every HF continuous mode (Edit22), read afresh each pass.
    int interval() const;

  private:
    PageContext& context_;
};
