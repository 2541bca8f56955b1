#pragma once

#include "pages/page_context.h"

#include <QWidget>

// Page TabSheet10: the reader's WiFi module.
class WifiPage : public QWidget {
    Q_OBJECT
  public:
    explicit WifiPage(PageContext& context, QWidget* parent = nullptr);

  private:
    PageContext& context_;
};
