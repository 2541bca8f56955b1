#pragma once

#include "card_page_tools.h"
#include "pages/page_context.h"

#include <QWidget>

class QLineEdit;
class QListWidget;
class QRadioButton;

// Page TabSheet3: Ultralight cards: serial number, halt, reading 16 bytes from a
// page and writing a page, once or continuously.
class UltralightPage : public QWidget {
    Q_OBJECT
  public:
    explicit UltralightPage(PageContext& context, QWidget* parent = nullptr);

    void Button55Click(); // read the card's serial number
    void Button17Click(); // halt the card
    void Button18Click(); // read pages
    void Button54Click(); // write a page

  private:
    // The selected item is a page number written in decimal.
    static QString pageByte(const QListWidget* pages);

    PageContext& context_;
    QRadioButton* ula_;
    QRadioButton* ulaa_;
    QRadioButton* ulaaa_;
    QListWidget* listBox1_;
    QListWidget* listBox2_;
    QLineEdit* edit56_;
    ReaderCommand readSerial_;
    ReaderCommand halt_;
    ReaderCommand readPages_;
    ReaderCommand writePage_;
};
