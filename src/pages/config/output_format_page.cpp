#include "output_format_page.h"

#include "pages/page_support.h"
#include "protocol/hex_text.h"

#include <QGridLayout>

OutputFormatPage::OutputFormatPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet1"));

    // Never shown: only the address selector in it has a role.
    auto* group = makeGroup(this, "GroupBox1", QStringLiteral("通讯信息"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(makeLabel(group, QStringLiteral("通讯COM口：")), 0, 0);
    grid->addWidget(makeCombo(group, "ComboBox1", {}), 0, 1);
    grid->addWidget(makeLabel(group, QStringLiteral("波特率选择：")), 1, 0);
    auto* baud =
        makeCombo(group, "ComboBox2",
                  {QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400"),
                   QStringLiteral("57600"), QStringLiteral("115200")});
    grid->addWidget(baud, 1, 1);
    grid->addWidget(makeLabel(group, QStringLiteral("当前机器ID号：  ")), 2, 0);
    QStringList addresses;
    for (int a = 0; a <= 0x20; ++a)
        addresses << hex::byte(a).toLower();
    setadd_ = makeCombo(group, "setadd", addresses);
    grid->addWidget(setadd_, 2, 1);
    auto* open = makeButton(group, "Button1", QStringLiteral("COM打开"));
    open->setEnabled(false);
    grid->addWidget(open, 3, 0);
    grid->addWidget(makeButton(group, "Button2", QStringLiteral("COM关闭")), 3, 1);
    group->hide();
}

QString OutputFormatPage::address() const {
    return setadd_->currentText();
}
