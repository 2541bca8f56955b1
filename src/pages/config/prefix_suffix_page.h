#pragma once

#include "pages/page_context.h"

#include <QWidget>

class QPushButton;
struct CommandButton;

// Page TabSheet7: prefix, suffix and the UHF machine's parameters.
class PrefixSuffixPage : public QWidget {
    Q_OBJECT
  public:
    explicit PrefixSuffixPage(PageContext& context, QWidget* parent = nullptr);

  private:
    QWidget* makeAffixGroup();
    QWidget* makeMachineGroup();
    QPushButton* setButton(QWidget* group, const CommandButton& command);
    QString editText(const char* name) const;
    bool checked(const char* name) const;

    PageContext& context_;
};
