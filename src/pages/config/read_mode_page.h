#pragma once

#include "pages/page_context.h"

#include <QWidget>

class QVBoxLayout;

// Page TabSheet8: read mode and relay of the UHF machine, above the EPC group.
class ReadModePage : public QWidget {
    Q_OBJECT
  public:
    explicit ReadModePage(PageContext& context, QWidget* parent = nullptr);

    // The EPC group goes below the page's own groups.
    void addEpcGroup(QWidget* group);

  private:
    QWidget* makeReadModeGroup();
    QWidget* makeRelayGroup();
    // The read mode whose radio button is checked.
    int checkedMode() const;

    PageContext& context_;
    QVBoxLayout* layout_;
};
