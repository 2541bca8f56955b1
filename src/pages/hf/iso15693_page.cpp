#include "iso15693_page.h"

Iso15693Page::Iso15693Page(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet6"));
}
