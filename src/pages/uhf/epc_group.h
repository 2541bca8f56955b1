#pragma once

#include "pages/page_context.h"

#include <QGroupBox>

// Group GroupBox35 "EPC自动写卡" on the read-mode page: EPC read and write of
// UHF tags and automatic issuing with an incrementing number.
class EpcGroup : public QGroupBox {
    Q_OBJECT
  public:
    explicit EpcGroup(PageContext& context, QWidget* parent = nullptr);

  private:
    PageContext& context_;
};
