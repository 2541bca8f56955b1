#include "read_mode_page.h"

#include <QVBoxLayout>

ReadModePage::ReadModePage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context), layout_(new QVBoxLayout(this)) {
    setObjectName(QStringLiteral("TabSheet8"));
}

void ReadModePage::addEpcGroup(QWidget* group) {
    layout_->addWidget(group);
}
