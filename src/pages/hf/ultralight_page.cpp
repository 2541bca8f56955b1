#include "ultralight_page.h"

#include "pages/page_support.h"
#include "protocol/conversion.h"
#include "protocol/hex_text.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

QString loopRead() {
    return UltralightPage::tr("连续读      ");
}

QListWidget* makePageList(QWidget* parent, const char* name, int selected) {
    auto* list = named(new QListWidget(parent), name);
    for (int page = 0; page < 16; ++page)
        list->addItem(QStringLiteral("%1").arg(page, 2, 10, QLatin1Char('0')));
    list->setCurrentRow(selected);
    list->setFixedWidth(48);
    return list;
}

} // namespace

UltralightPage::UltralightPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet3"));
    ReaderLink& link = context_.link;

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(6, 6, 6, 6);

    auto* serialGroup = makeGroup(this, "GroupBox6", QString());
    auto* serialGrid = new QGridLayout(serialGroup);
    serialGrid->addWidget(makeLabel(serialGroup, QStringLiteral("Read  Card series number:  ")), 0,
                          0, 1, 3);
    auto* requestRow = new QHBoxLayout;
    ula_ = addRequestPair(serialGroup, requestRow, "GroupBox23", "Uli", "Ula", Qt::Horizontal);
    auto* checkBox8 = makeCheckBox(serialGroup, "CheckBox8", loopRead());
    requestRow->addWidget(checkBox8);
    auto* button55 = makeButton(serialGroup, "Button55", QStringLiteral("Read"));
    requestRow->addWidget(button55);
    requestRow->addStretch();
    serialGrid->addLayout(requestRow, 1, 0, 1, 3);
    serialGrid->addWidget(makeLabel(serialGroup, QStringLiteral("Halt:")), 2, 0);
    auto* button17 = makeButton(serialGroup, "Button17", QStringLiteral("Halt"));
    serialGrid->addWidget(button17, 2, 1);
    serialGrid->setColumnStretch(2, 1);
    page->addWidget(serialGroup);

    auto* cardGroup = makeGroup(this, "GroupBox18", tr("Ultralight 卡读写"));
    auto* cardRow = new QHBoxLayout(cardGroup);

    auto* readGroup = makeGroup(cardGroup, "GroupBox19", tr(" 读卡 "));
    auto* readGrid = new QGridLayout(readGroup);
    readGrid->addWidget(makeLabel(readGroup, tr("扇区：")), 0, 0, Qt::AlignTop);
    listBox1_ = makePageList(readGroup, "ListBox1", 0);
    readGrid->addWidget(listBox1_, 0, 1, 2, 1);
    auto* readControls = new QVBoxLayout;
    auto* button18 = makeButton(readGroup, "Button18", tr("读卡"));
    readControls->addWidget(button18);
    auto* checkBox9 = makeCheckBox(readGroup, "CheckBox9", loopRead());
    readControls->addWidget(checkBox9);
    ulaa_ = addRequestPair(readGroup, readControls, "GroupBox24", "Ulii", "Ulaa", Qt::Horizontal);
    readControls->addStretch();
    readGrid->addLayout(readControls, 0, 2, 2, 1);
    cardRow->addWidget(readGroup);

    auto* writeGroup = makeGroup(cardGroup, "GroupBox20", tr(" 写卡 "));
    auto* writeGrid = new QGridLayout(writeGroup);
    writeGrid->addWidget(makeLabel(writeGroup, tr("扇区：")), 0, 0, Qt::AlignTop);
    listBox2_ = makePageList(writeGroup, "ListBox2", 4);
    writeGrid->addWidget(listBox2_, 0, 1, 2, 1);
    auto* writeControls = new QVBoxLayout;
    edit56_ = makeEdit(writeGroup, "Edit56", QStringLiteral("00 00 00 00"));
    writeControls->addWidget(edit56_);
    auto* button54 = makeButton(writeGroup, "Button54", QStringLiteral("Write"));
    writeControls->addWidget(button54);
    auto* checkBox10 = makeCheckBox(writeGroup, "CheckBox10", tr("连续写      "));
    writeControls->addWidget(checkBox10);
    ulaaa_ =
        addRequestPair(writeGroup, writeControls, "GroupBox25", "Uliii", "Ulaaa", Qt::Horizontal);
    writeControls->addStretch();
    writeGrid->addLayout(writeControls, 0, 2, 2, 1);
    cardRow->addWidget(writeGroup);
    page->addWidget(cardGroup, 1);

    const ReplyField serialNumber{tr("卡号为:"), 5, 11, true};
    readSerial_ = {[this] { return QStringLiteral("E3") + parameter::flag(ula_->isChecked()); },
                   300,
                   fieldReport(link, tr("读卡号 操作成功   "), tr("读卡ID号操作失败   "), false,
                               {serialNumber})};
    halt_ = {[] { return QStringLiteral("06"); }, 300,
             ReplyTexts(tr("HALT操作成功   "), tr("HALT操作失败   "))};
    readPages_ = {[this] {
                      return QStringLiteral("E0") + parameter::flag(ulaa_->isChecked()) +
                             pageByte(listBox1_);
                  },
                  800,
                  fieldReport(link, tr("读卡 操作成功   "), tr("读卡失败   "), false,
                              {{tr("读卡返回数据为: "), 5, 20}, {tr("卡ID号为:"), 21, 27, true}})};
    // The byte 01 after the mode is part of the reader's write command.
    writePage_ = {
        [this] {
            return QStringLiteral("E1") + parameter::flag(ulaaa_->isChecked()) +
                   QStringLiteral("01") + pageByte(listBox2_) + edit56_->text();
        },
        500,
        fieldReport(link, tr("写卡操作成功   "), tr("写卡操作失败   "), false, {serialNumber})};

    connect(button55, &QPushButton::clicked, this, &UltralightPage::Button55Click);
    connect(button17, &QPushButton::clicked, this, &UltralightPage::Button17Click);
    connect(button18, &QPushButton::clicked, this, &UltralightPage::Button18Click);
    connect(button54, &QPushButton::clicked, this, &UltralightPage::Button54Click);
    addContinuousMode(context_, {checkBox8, [this] { Button55Click(); }, true, 10});
    addContinuousMode(context_, {checkBox9, [this] { Button18Click(); }, true, 50});
    addContinuousMode(context_, {checkBox10, [this] { Button54Click(); }, false, 100});
}

QString UltralightPage::pageByte(const QListWidget* pages) {
    return hex::byte(strToInt(pages->currentItem()->text()));
}

void UltralightPage::Button55Click() {
    runCommand(context_, readSerial_);
}

void UltralightPage::Button17Click() {
    runCommand(context_, halt_);
}

void UltralightPage::Button18Click() {
    runCommand(context_, readPages_);
}

void UltralightPage::Button54Click() {
    runCommand(context_, writePage_);
}
