#pragma once

#include "pages/page_context.h"

#include <QWidget>

class QCheckBox;
class QRadioButton;

// Page TabSheet2: S50/S70 cards: blocks, values and keys.
class S50S70Page : public QWidget {
    Q_OBJECT
  public:
    explicit S50S70Page(PageContext& context, QWidget* parent = nullptr);

  signals:
    // The address switch chose item 16 ("10") or 17 ("11") of setadd.
    void addressSelected(int item);

  private:
    // The request and key choice of a section: bit 0 "All", bit 1 "Key B".
    struct ModeChoice {
        QRadioButton* all;
        QRadioButton* keyB;
        QString byte() const;
    };

    void writeBlocks();

    PageContext& context_;
    std::function<QString()> writePayload_;
};
