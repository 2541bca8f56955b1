#include "serial_page.h"

#include "pages/page_support.h"

#include <QVBoxLayout>

SerialPage::SerialPage(PageContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet9"));
    auto* layout = new QVBoxLayout(this);

    auto* states = makeGroup(this, "GroupBox39", QString());
    auto* row = new QHBoxLayout(states);
    row->addWidget(makeRadio(states, "RadioButton3", QStringLiteral("读写状态"), true));
    debug_ = makeRadio(states, "RadioButton4", QStringLiteral("串口调试状态状态"));
    row->addWidget(debug_);
    row->addWidget(makeRadio(states, "RadioButton19", QStringLiteral("自动检测卡状态")));
    layout->addStretch();
    layout->addWidget(states);
}

bool SerialPage::debugLogging() const {
    return debug_->isChecked();
}
