#include "reader_dialog.h"

#include "protocol/reader_settings.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

ReaderDialog::ReaderDialog(ReaderDevice& device, QWidget* parent)
    : QDialog(parent), device_(device), list_(new QListWidget), idEdit_(new QLineEdit),
      idNote_(new QLabel) {
    setObjectName(QStringLiteral("ReaderDialog"));
    setWindowTitle(tr("选择读卡器"));
    resize(520, 300);
    list_->setObjectName(QStringLiteral("ReaderList"));
    idEdit_->setObjectName(QStringLiteral("ReaderIdEdit"));
    idEdit_->setPlaceholderText(QStringLiteral("vvvv:pppp"));
    idEdit_->setMaximumWidth(120);
    idNote_->setObjectName(QStringLiteral("ReaderIdNote"));

    auto* again = new QPushButton(tr("刷新"));
    again->setObjectName(QStringLiteral("ReaderRefresh"));
    connect(again, &QPushButton::clicked, this, &ReaderDialog::refresh);
    auto* add = new QPushButton(tr("添加"));
    add->setObjectName(QStringLiteral("ReaderIdAdd"));
    connect(add, &QPushButton::clicked, this, &ReaderDialog::addId);

    auto* idRow = new QHBoxLayout;
    idRow->addWidget(new QLabel(tr("添加读卡器USB ID：")));
    idRow->addWidget(idEdit_);
    idRow->addWidget(add);
    idRow->addWidget(idNote_, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("取消"));
    buttons->addButton(again, QDialogButtonBox::ResetRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("找到的读卡器：")));
    layout->addWidget(list_);
    layout->addLayout(idRow);
    layout->addWidget(buttons);
    refresh();
}

void ReaderDialog::refresh() {
    list_->clear();
    readers_ = device_.readers();
    for (const ReaderInfo& reader : readers_) {
        QString text = QStringLiteral("%1  (%2)").arg(reader.product, reader.id());
        if (!reader.serial.isEmpty())
            text += tr("  序列号 %1").arg(reader.serial);
        auto* item = new QListWidgetItem(text + QStringLiteral("  ") + reader.path, list_);
        if (reader.inUse)
            list_->setCurrentItem(item);
    }
    if (readers_.isEmpty()) {
        auto* item = new QListWidgetItem(
            device_.listsReaders() ? tr("未找到读卡器") : tr("读卡器库不能列出读卡器"), list_);
        item->setFlags(Qt::NoItemFlags);
    }
}

ReaderInfo ReaderDialog::chosen() const {
    const int row = list_->currentRow();
    return row >= 0 && row < readers_.size() ? readers_[row] : ReaderInfo();
}

void ReaderDialog::addId() {
    quint16 vendorId = 0;
    quint16 productId = 0;
    const QString text = idEdit_->text().trimmed().toLower();
    if (!readersettings::parseId(text, vendorId, productId)) {
        idNote_->setText(tr("格式为 vvvv:pppp（十六进制）"));
        return;
    }
    if (!device_.addReaderId(vendorId, productId)) {
        idNote_->setText(tr("读卡器库不接受此ID"));
        return;
    }
    QStringList ids = readersettings::addedIds();
    if (!ids.contains(text))
        readersettings::saveAddedIds(ids << text);
    idNote_->setText(tr("已添加"));
    idEdit_->clear();
    refresh();
}
