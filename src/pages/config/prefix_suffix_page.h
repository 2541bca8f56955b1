#pragma once

#include "pages/page_context.h"

#include <QWidget>

// Page TabSheet7: prefix, suffix and the UHF machine's parameters.
class PrefixSuffixPage : public QWidget {
    Q_OBJECT
  public:
    explicit PrefixSuffixPage(PageContext& context, QWidget* parent = nullptr);

  private:
    PageContext& context_;
};
