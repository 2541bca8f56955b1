#include "epc_group.h"

EpcGroup::EpcGroup(PageContext& context, QWidget* parent)
    : QGroupBox(QStringLiteral("EPC自动写卡"), parent), context_(context) {
    setObjectName(QStringLiteral("GroupBox35"));
}
