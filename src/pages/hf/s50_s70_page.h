#pragma once

#include "pages/page_context.h"

#include <QWidget>

// Page TabSheet2: S50/S70 cards: blocks, values and keys.
class S50S70Page : public QWidget {
    Q_OBJECT
  public:
    explicit S50S70Page(PageContext& context, QWidget* parent = nullptr);

  private:
    PageContext& context_;
};
