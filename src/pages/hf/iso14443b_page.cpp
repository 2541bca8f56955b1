#include "iso14443b_page.h"

Iso14443bPage::Iso14443bPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet5"));
}
