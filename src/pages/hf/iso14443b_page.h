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

    void Button31Click();
    void Button32Click();
    void Button33Click();
    void Button34Click();
    void Button36Click();
    void Button19Click();
    void Button22Click();

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
