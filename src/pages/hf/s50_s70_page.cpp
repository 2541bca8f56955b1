#include "s50_s70_page.h"

S50S70Page::S50S70Page(PageContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet2"));
}
