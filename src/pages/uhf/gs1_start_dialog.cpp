#include "gs1_start_dialog.h"

#include "uhf/gs1_epc.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const char* const filterNames[] = {QT_TRANSLATE_NOOP("Gs1StartDialog", "0 其他"),
                                   QT_TRANSLATE_NOOP("Gs1StartDialog", "1 零售商品"),
                                   QT_TRANSLATE_NOOP("Gs1StartDialog", "2 运输整箱"),
                                   QT_TRANSLATE_NOOP("Gs1StartDialog", "3 保留"),
                                   QT_TRANSLATE_NOOP("Gs1StartDialog", "4 内包装"),
                                   QT_TRANSLATE_NOOP("Gs1StartDialog", "5 保留"),
                                   QT_TRANSLATE_NOOP("Gs1StartDialog", "6 托盘单元"),
                                   QT_TRANSLATE_NOOP("Gs1StartDialog", "7 商品内单元")};

} // namespace

Gs1StartDialog::Gs1StartDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Gs1StartDialog"));
    setWindowTitle(tr("GS1 起始EPC (SGTIN-96)"));
    gtin_ = new QLineEdit(this);
    gtin_->setObjectName(QStringLiteral("Gs1Gtin"));
    gtin_->setPlaceholderText(tr("14 位 GTIN，含校验位"));
    prefixLength_ = new QSpinBox(this);
    prefixLength_->setObjectName(QStringLiteral("Gs1PrefixLength"));
    prefixLength_->setRange(6, 12);
    prefixLength_->setValue(7);
    filter_ = new QComboBox(this);
    filter_->setObjectName(QStringLiteral("Gs1Filter"));
    for (const char* name : filterNames)
        filter_->addItem(tr(name));
    filter_->setCurrentIndex(1);
    serial_ = new QLineEdit(QStringLiteral("1"), this);
    serial_->setObjectName(QStringLiteral("Gs1Serial"));
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("Gs1Result"));
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    result_->setWordWrap(true);
    result_->setMinimumWidth(420);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(tr("GTIN："), gtin_);
    form->addRow(tr("厂商识别代码位数："), prefixLength_);
    form->addRow(tr("过滤值："), filter_);
    form->addRow(tr("起始序列号："), serial_);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(result_);
    column->addWidget(buttons);

    connect(gtin_, &QLineEdit::textChanged, this, &Gs1StartDialog::update);
    connect(serial_, &QLineEdit::textChanged, this, &Gs1StartDialog::update);
    connect(prefixLength_, &QSpinBox::valueChanged, this, &Gs1StartDialog::update);
    connect(filter_, &QComboBox::currentIndexChanged, this, &Gs1StartDialog::update);
    update();
}

void Gs1StartDialog::update() {
    QString why;
    const std::optional<gs1::Epc> epc = gs1::fromElementString(
        QStringLiteral("(01)%1(21)%2").arg(gtin_->text().trimmed(), serial_->text().trimmed()),
        prefixLength_->value(), filter_->currentIndex(), &why);
    epc_ = epc ? *gs1::encode(*epc, &why) : QString();
    ok_->setEnabled(epc.has_value());
    result_->setText(epc ? tr("EPC：%1\n%2").arg(epc_, epc->tagUri())
                         : tr("不能编码：%1").arg(why));
}
