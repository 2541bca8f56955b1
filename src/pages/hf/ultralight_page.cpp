#include "ultralight_page.h"

UltralightPage::UltralightPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet3"));
}
