#pragma once

#include "pages/page_context.h"
#include "uhf/epc_operations.h"

#include <QGroupBox>

class QCheckBox;
class QLineEdit;
class QRadioButton;

// Group GroupBox35 "EPC自动写卡" on the read-mode page: EPC read and write of
// UHF tags and automatic issuing with an incrementing number. Every tag
// command is a UHF module frame tunnelled to the reader's UHF module.
class EpcGroup : public QGroupBox {
    Q_OBJECT
  public:
    explicit EpcGroup(PageContext& context, QWidget* parent = nullptr);

    void Button65Click();   // read EPC
    void Button67Click();   // read card: EPC, then select and read the EPC memory
    void Button66Click();   // write card
    void CheckBox20Click(); // automatic issuing
    void Button70Click();   // clear the log pane

  private:
    // One write attempt; false when the operator's input stopped it, after
    // the error box.
    bool writeCard();
    // Refuses a number or step that would misalign the write frame or cannot
    // be advanced, before anything is sent.
    bool numberCanBeWritten();
    void showIssuingCaption();

    PageContext& context_;
    EpcOperations operations_;
    QLineEdit* number_;   // Edit54: the EPC to write next
    QLineEdit* step_;     // Edit62: added after each write
    QLineEdit* password_; // Edit63: access password
    QLineEdit* pause_;    // Edit61: milliseconds between automatic attempts
    QRadioButton* reverse_;
    QCheckBox* issuing_;  // CheckBox20
    QLineEdit* readEpc_;  // Edit53: EPC found by read card
    QLineEdit* foundEpc_; // Edit60: EPC found by the last write attempt
    QLineEdit* epcbuf_;   // the EPC last written
};
