#include "read_mode_page.h"

ReadModePage::ReadModePage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet8"));
}
