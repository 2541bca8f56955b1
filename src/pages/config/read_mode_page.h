#pragma once

#include "pages/page_context.h"

#include <QWidget>

// Page TabSheet8: read mode and relay of the UHF machine; the EPC group sits beside them.
class ReadModePage : public QWidget {
    Q_OBJECT
  public:
    explicit ReadModePage(PageContext& context, QWidget* parent = nullptr);

  private:
    PageContext& context_;
};
