#pragma once

#include "pages/page_context.h"

#include <QWidget>

// Page TabSheet3: Ultralight cards: pages and serial number.
class UltralightPage : public QWidget {
    Q_OBJECT
  public:
    explicit UltralightPage(PageContext& context, QWidget* parent = nullptr);

  private:
    PageContext& context_;
};
