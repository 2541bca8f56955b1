#pragma once

#include "card_page_tools.h"
#include "pages/page_context.h"

#include <QList>
#include <QWidget>

class QComboBox;
class QLineEdit;

// Page TabSheet6: ISO 15693 cards: inventory, blocks, select, AFI, DSFID,
// system information and block security, one row per operation.
class Iso15693Page : public QWidget {
    Q_OBJECT
  public:
    explicit Iso15693Page(PageContext& context, QWidget* parent = nullptr);

    void Button37Click(); // inventory of the cards in the field

  private:
    // One row: its request-flags box, its fields and its command.
    struct Row {
        QString code;
        QComboBox* flags;
        QList<QLineEdit*> fields; // before the UID
        QLineEdit* uid;           // nullptr when the row has none
        bool uidAlways;           // sent in every mode, not only with flags 22
        QList<QLineEdit*> data;   // after the UID
        ReaderCommand command;
    };

    QString payload(const Row& row) const;
    void logInventory(const QString& replyText, const QString& time);

    PageContext& context_;
    ReaderCommand inventory_;
    QList<Row> rows_;
};
