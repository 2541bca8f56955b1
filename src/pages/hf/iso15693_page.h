#pragma once

#include "pages/page_context.h"

#include <QWidget>

// Page TabSheet6: ISO 15693 cards.
class Iso15693Page : public QWidget {
    Q_OBJECT
  public:
    explicit Iso15693Page(PageContext& context, QWidget* parent = nullptr);

  private:
    PageContext& context_;
};
