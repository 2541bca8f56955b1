#pragma once

#include "pages/page_context.h"

#include <QWidget>

class QRadioButton;

// Page TabSheet9: serial link, USB personality, hex terminal, and the debug
// switch that logs every USB HID exchange.
class SerialPage : public QWidget {
    Q_OBJECT
  public:
    explicit SerialPage(PageContext& context, QWidget* parent = nullptr);

    bool debugLogging() const;

  private:
    PageContext& context_;
    QRadioButton* debug_;
};
