#pragma once

#include "pages/page_context.h"

#include <QWidget>

class QLineEdit;
class QPushButton;
class QTableWidget;

// Page TabSheet10: the reader's WiFi module.
//
// StringGrid1 is a table whose header is the grid's fixed row: grid row n is
// table row n - 1, and the grid has one row more than the table. Column 0 is
// the grid's fixed column, kept hidden.
class WifiPage : public QWidget {
    Q_OBJECT
  public:
    explicit WifiPage(PageContext& context, QWidget* parent = nullptr);

    void Button80Click(); // read the WiFi networks the module sees
    // A cell became the selected one (table coordinates).
    void StringGrid1SelectCell(int column, int row);

  private:
    QWidget* makeSettingsGroup();
    QWidget* makeListGroup();
    void resetGrid();
    void fillGrid(const QString& data);
    void writeEntry(const QString& name, const QString& strength);

    PageContext& context_;
    QLineEdit* name_ = nullptr;
    QLineEdit* password_ = nullptr;
    QPushButton* button80_ = nullptr;
    QTableWidget* grid_ = nullptr;
    // The grid row the next entry of a list read goes into.
    int nextRow_ = 1;
};
