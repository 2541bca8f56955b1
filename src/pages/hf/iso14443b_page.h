#pragma once

#include "pages/page_context.h"

#include <QWidget>

// Page TabSheet5: ISO 14443 Type B cards and the identity card.
class Iso14443bPage : public QWidget {
    Q_OBJECT
  public:
    explicit Iso14443bPage(PageContext& context, QWidget* parent = nullptr);

  private:
    PageContext& context_;
};
