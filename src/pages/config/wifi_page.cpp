#include "wifi_page.h"

WifiPage::WifiPage(PageContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet10"));
}
