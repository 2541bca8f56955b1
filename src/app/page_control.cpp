#include "page_control.h"

#include <QStyleOptionTab>
#include <QTabBar>

namespace {

class PageTabBar : public QTabBar {
  public:
    using QTabBar::QTabBar;

  protected:
    // Qt draws the current tab even when it is hidden: an empty rectangle at
    // the origin, around which a style still draws part of a selected tab's
    // frame. Out of sight, it draws nothing that shows.
    void initStyleOption(QStyleOptionTab* option, int index) const override {
        QTabBar::initStyleOption(option, index);
        if (!isTabVisible(index))
            option->rect.moveTo(-2 * width(), -2 * height());
    }
};

} // namespace

PageControl::PageControl(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new PageTabBar(this));
}
