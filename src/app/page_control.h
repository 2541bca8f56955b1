#pragma once

#include <QTabWidget>

// The window's page control. Some pages have no tab; while one of them is
// current, no tab is drawn as selected (Qt would draw the hidden tab as a
// sliver at the left of the tab bar).
class PageControl : public QTabWidget {
  public:
    explicit PageControl(QWidget* parent = nullptr);
};
