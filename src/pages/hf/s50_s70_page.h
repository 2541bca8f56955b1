#pragma once

#include "pages/page_context.h"

#include <QWidget>

// Page TabSheet2: S50/S70 cards: blocks, values and keys.
class S50S70Page : public QWidget {
    Q_OBJECT
  public:
    explicit S50S70Page(PageContext& context, QWidget* parent = nullptr);

  signals:
    // The address switch chose item 16 ("10") or 17 ("11") of setadd.
    void addressSelected(int item);

  private:
    PageContext& context_;
};
