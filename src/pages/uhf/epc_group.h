#pragma once

#include "pages/page_context.h"
#include "uhf/epc_issuer.h"
#include "uhf/epc_operations.h"

#include <QGroupBox>
#include <memory>
#include <optional>

class IssuingJournal;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Group GroupBox35 "EPC自动写卡" on the read-mode page: EPC read and write of
// UHF tags and automatic issuing with an incrementing number. Every tag
// command is a UHF module frame tunnelled to the reader's UHF module.
class EpcGroup : public QGroupBox {
    Q_OBJECT
  public:
    explicit EpcGroup(PageContext& context, QWidget* parent = nullptr);
    ~EpcGroup() override;

    // With a journal, automatic issuing records every tag in it and writes
    // each tag (by TID) and each number once, across restarts: the journal's
    // last series continues in Edit54, Edit62 and the byte order, and what a
    // crash left pending is settled first. The journal holds the station the
    // records are made for. Null returns to the plain mode.
    void useJournal(IssuingJournal* journal);
    // True while automatic issuing runs or an attempt is under way.
    bool issuing() const;
    // With the GS1 view on, every EPC read or written gets one more log line
    // with its tag URI, and Edit54 a button that builds an SGTIN-96 start.
    void showGs1(bool on);

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
    // One automatic issuing attempt through the journal; false when it must stop.
    bool issueWithJournal();
    void showSeries();
    void logGs1(const QString& epc);
    // An issuer of the series for the journal's station, with the lock set up.
    void makeIssuer(const IssuingJournal::Series& series);
    // "写后锁定" on: the key from the settings is loaded and the lock set up,
    // the unfinished locks of the station settled; false after the error box.
    bool startLocking();
    // A series already locked with another key is not continued with this one.
    bool keyFitsSeries();
    // The key file chosen with "密钥文件...", kept in the settings.
    void chooseKeyFile();
    void showKeyFile();
    void logLock(const QString& tid, const IssuingJournal::Lock& lock, const QString& detail);

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
    QRadioButton* forward_;
    IssuingJournal* journal_ = nullptr;
    std::unique_ptr<EpcIssuer> issuer_;
    bool attempting_ = false;
    bool gs1_ = false;
    QPushButton* gs1Start_;
    QCheckBox* lockAfterWrite_; // LockAfterWriteCheck
    QLabel* keyFile_;           // the key file's path
    std::optional<EpcIssuer::LockSetup> lock_;
};
