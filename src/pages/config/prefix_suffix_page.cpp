#include "prefix_suffix_page.h"

PrefixSuffixPage::PrefixSuffixPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet7"));
}
