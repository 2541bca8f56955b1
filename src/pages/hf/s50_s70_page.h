#pragma once

#include "pages/page_context.h"

#include <QWidget>
#include <functional>

class QHBoxLayout;
class QRadioButton;
class QVBoxLayout;

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
    // Names of the request and key radio groups of a section and their buttons.
    struct ModeNames {
        const char* requests;
        const char* idle;
        const char* all;
        const char* keys;
        const char* keyA;
        const char* keyB;
    };
    struct BlockSection;
    struct ValueSection;

    ModeChoice addModeChoice(QHBoxLayout* row, const ModeNames& names);
    // Each builds one framed section of the page and wires its controls.
    void addBlockSection(QVBoxLayout* page, const BlockSection& section);
    void addAddressSection(QVBoxLayout* page);
    void addCardNumberSection(QVBoxLayout* page);
    void addValueSection(QVBoxLayout* page, const ValueSection& section);

    void readBlocks();
    void writeBlocks();

    PageContext& context_;
    std::function<QString()> readPayload_;
    std::function<QString()> writePayload_;
};
