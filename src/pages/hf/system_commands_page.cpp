#include "system_commands_page.h"

SystemCommandsPage::SystemCommandsPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet4"));
}

int SystemCommandsPage::interval() const {
    return 100;
}
