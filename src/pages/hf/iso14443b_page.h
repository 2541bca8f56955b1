#pragma once

#include "card_page_tools.h"
#include "pages/page_context.h"

#include <QWidget>

class QLineEdit;

// Page TabSheet5: ISO 14443 Type B cards (request, ATTRIB, reset, data passed
// to the card) and the two numbers of a resident identity card.
class Iso14443bPage : public QWidget {
    Q_OBJECT
  public:
    explicit Iso14443bPage(PageContext& context, QWidget* parent = nullptr);

    void Button31Click(); // request a Type B card
    void Button32Click(); // anticollision (the request again)
    void Button33Click(); // ATTRIB with the card's identifier
    void Button34Click(); // reset the card, its serial number into Edit76
    void Button36Click(); // pass data bytes to the card
    void Button19Click(); // read the identity card's number
    void Button22Click(); // read the identity card's file identifier

  private:
    PageContext& context_;
    QLineEdit* edit76_;
    QLineEdit* edit77_;
    ReaderCommand request_;
    ReaderCommand attrib_;
    ReaderCommand reset_;
    ReaderCommand identityNumber_;
    ReaderCommand fileIdentifier_;
};
