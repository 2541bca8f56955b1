#pragma once

#include "pages/page_context.h"

#include <QWidget>

class QComboBox;

// Page TabSheet1: output format of a reader that emits card numbers as text.
// It also holds the hidden group with the reader address selector setadd,
// whose text goes into every HF frame.
class OutputFormatPage : public QWidget {
    Q_OBJECT
  public:
    explicit OutputFormatPage(PageContext& context, QWidget* parent = nullptr);

    QString address() const;
    QComboBox* setadd() const { return setadd_; }

  private:
    PageContext& context_;
    QComboBox* setadd_;
};
