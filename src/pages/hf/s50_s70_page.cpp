#include "s50_s70_page.h"

#include "card_page_tools.h"
#include "pages/page_support.h"
#include "protocol/hex_text.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

constexpr int cardWaitMs = 500;
constexpr int haltWaitMs = 300;
QString cardFailure() {
    return S50S70Page::tr("读卡失败   ");
}
QString success() {
    return S50S70Page::tr("操作成功   ");
}

QStringList blockItems() {
    QStringList items;
    for (int block = 0; block < 64; ++block)
        items << QStringLiteral("%1").arg(block, 2, 16, QLatin1Char('0'));
    return items;
}

const QStringList countItems = {QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("03"),
                                QStringLiteral("04")};
const QStringList keyItems = {QStringLiteral("A0 A1 A2 A3 A4 A5"),
                              QStringLiteral("B0 B1 B2 B3 B4 B5"),
                              QStringLiteral("FF FF FF FF FF FF")};
const QString transportKey = QStringLiteral("FF FF FF FF FF FF");

QComboBox* makeChoice(QWidget* parent, const char* name, const QStringList& items,
                      const QString& text, int width) {
    auto* combo = makeCombo(parent, name, items, true);
    combo->setCurrentText(text);
    combo->setFixedWidth(width);
    return combo;
}

QWidget* fixedWidth(QWidget* widget, int width) {
    widget->setFixedWidth(width);
    return widget;
}

// A section of the page: a frame holding rows of controls; returns its first row.
QHBoxLayout* addSection(QWidget* parent, QVBoxLayout* page, QVBoxLayout** rows = nullptr) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(4, 2, 4, 2);
    column->setSpacing(2);
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    column->addLayout(row);
    if (rows)
        *rows = column;
    page->addWidget(frame);
    return row;
}

// Access bytes of a sector trailer (bytes 6 to 8) hold each access bit twice,
// once inverted. Bytes that break this lock the sector for good on a real card.
bool validAccessBytes(quint8 b6, quint8 b7, quint8 b8) {
    return (b7 >> 4) == (~b6 & 0x0F) && (b8 & 0x0F) == ((~b6 >> 4) & 0x0F) &&
           (b8 >> 4) == (~b7 & 0x0F);
}

bool isTrailer(int block) {
    return block < 128 ? block % 4 == 3 : (block - 128) % 16 == 15;
}

// The first trailer block that a write payload (21, mode, count, start, key,
// data) would give invalid access bytes, with those bytes; nothing when none.
QString brokenTrailer(const QByteArray& payload) {
    constexpr int dataOffset = 10;
    if (payload.size() < dataOffset)
        return QString();
    const int count = quint8(payload[2]);
    const int start = quint8(payload[3]);
    for (int i = 0; i < count; ++i) {
        const int at = dataOffset + 16 * i;
        if (!isTrailer(start + i) || at + 16 > payload.size())
            continue;
        const QByteArray access = payload.mid(at + 6, 3);
        if (!validAccessBytes(quint8(access[0]), quint8(access[1]), quint8(access[2])))
            return S50S70Page::tr("扇区尾块 %1 的控制字 %2 无效，写入会永久锁死该扇区，未发送   ")
                .arg(hex::byte(start + i), QString::fromLatin1(access.toHex(' ').toUpper()));
    }
    return QString();
}

} // namespace

QString S50S70Page::ModeChoice::byte() const {
    return hex::byte((all->isChecked() ? 1 : 0) | (keyB->isChecked() ? 2 : 0));
}

// A read or a write of blocks; a write has a data edit.
struct S50S70Page::BlockSection {
    ModeNames mode;
    const char* start;
    const char* startLabel;
    const char* count;
    const char* countText;
    const char* countLabel;
    const char* key;
    const char* keyLabel;
    const char* button;
    const char* caption;
    const char* loopBox;
    const char* loopCaption;
    const char* code;
    const char* data;
    int extraMs; // added to the interval of the continuous mode
};

struct S50S70Page::ValueSection {
    ModeNames mode;
    const char* sector;
    const char* amount;
    const char* amountLabel;
    const char* amountText;
    const char* key;
    const char* button;
    const char* caption;
    const char* code;
    bool remaining; // the reply carries the remaining value
};

S50S70Page::S50S70Page(PageContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet2"));
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->setSpacing(4);

    const BlockSection blockSections[] = {
        {{"GroupBox7", "reqi", "reqa", "GroupBox8", "keya", "keyb"},
         "ComboBox3",
         QT_TRANSLATE_NOOP("S50S70Page", "起始块       "),
         "ComboBox6",
         "04",
         QT_TRANSLATE_NOOP("S50S70Page", "块的数量     "),
         "ComboBox4",
         QT_TRANSLATE_NOOP("S50S70Page", "密钥       "),
         "Button8",
         QT_TRANSLATE_NOOP("S50S70Page", "读卡"),
         "CheckBox2",
         QT_TRANSLATE_NOOP("S50S70Page", "连续读      "),
         "20",
         nullptr,
         0},
        {{"GroupBox9", "reqii", "reqaa", "GroupBox10", "keyaa", "keybb"},
         "ComboBox7",
         QT_TRANSLATE_NOOP("S50S70Page", "起始地址        "),
         "ComboBox8",
         "01",
         QT_TRANSLATE_NOOP("S50S70Page", "块的数量      "),
         "ComboBox9",
         QT_TRANSLATE_NOOP("S50S70Page", "密钥     "),
         "Button9",
         QT_TRANSLATE_NOOP("S50S70Page", "写卡"),
         "CheckBox1",
         QT_TRANSLATE_NOOP("S50S70Page", "连续写        "),
         "21",
         "Edit3",
         10},
    };
    addBlockSection(page, blockSections[0]);
    // The address switch and the write-and-read cycle sit below the read
    // section: the page is too narrow to hold them beside it.
    addAddressSection(page);
    addBlockSection(page, blockSections[1]);
    addCardNumberSection(page);
    const ValueSection valueSections[] = {
        {{"GroupBox12", "reqiii", "reqaaa", "GroupBox13", "keyaaa", "keybbb"},
         "Edit57",
         "Edit59",
         QT_TRANSLATE_NOOP("S50S70Page", " 初始值  "),
         "00 88 00 00",
         "Edit58",
         "Button26",
         QT_TRANSLATE_NOOP("S50S70Page", "初始化"),
         "22",
         false},
        {{"GroupBox14", "reqiiii", "reqaaaa", "GroupBox15", "keyaaaa", "keybbbb"},
         "Edit1",
         "Edit2",
         QT_TRANSLATE_NOOP("S50S70Page", " 加值  "),
         "00 20 00 00",
         "Edit5",
         "Button10",
         QT_TRANSLATE_NOOP("S50S70Page", "加值"),
         "24",
         true},
        {{"GroupBox16", "reqiiiii", "reqaaaaa", "GroupBox17", "keyaaaaa", "keybbbbb"},
         "Edit10",
         "Edit8",
         QT_TRANSLATE_NOOP("S50S70Page", " 减值  "),
         "00 20 00 00",
         "Edit7",
         "Button15",
         QT_TRANSLATE_NOOP("S50S70Page", "减值"),
         "23",
         true},
    };
    for (const ValueSection& section : valueSections)
        addValueSection(page, section);
    page->addStretch();
}

S50S70Page::ModeChoice S50S70Page::addModeChoice(QHBoxLayout* row, const ModeNames& names) {
    return {addRequestPair(this, row, names.requests, names.idle, names.all, Qt::Vertical),
            addRadioPair(this, row, names.keys, names.keyA, QStringLiteral("Key A"), names.keyB,
                         QStringLiteral("Key B"), Qt::Vertical)};
}

void S50S70Page::addBlockSection(QVBoxLayout* page, const BlockSection& section) {
    QVBoxLayout* rows = nullptr;
    QHBoxLayout* row = addSection(this, page, &rows);
    const ModeChoice mode = addModeChoice(row, section.mode);
    auto* start = makeChoice(this, section.start, blockItems(), QStringLiteral("10"), 48);
    auto* count = makeChoice(this, section.count, countItems, QLatin1String(section.countText), 44);
    auto* key = makeChoice(this, section.key, keyItems, transportKey, 150);
    auto* grid = new QGridLayout;
    grid->addWidget(makeLabel(this, tr(section.startLabel)), 0, 0);
    grid->addWidget(start, 0, 1);
    grid->addWidget(makeLabel(this, tr(section.countLabel)), 0, 2);
    grid->addWidget(count, 0, 3);
    grid->addWidget(makeLabel(this, tr(section.keyLabel)), 1, 0);
    grid->addWidget(key, 1, 1, 1, 3);
    row->addLayout(grid);
    auto* buttons = new QVBoxLayout;
    auto* button = makeButton(this, section.button, tr(section.caption));
    auto* loop = makeCheckBox(this, section.loopBox, tr(section.loopCaption));
    buttons->addWidget(button);
    buttons->addWidget(loop);
    row->addLayout(buttons);
    row->addStretch();
    QLineEdit* data = nullptr;
    if (section.data) {
        data = makeEdit(this, section.data,
                        QStringLiteral("FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"));
        rows->addWidget(data);
    }

    // Code, mode, count, start block, key, and the data of a write.
    (data ? writePayload_ : readPayload_) = [code = QLatin1String(section.code), mode, count, start,
                                             key, data] {
        return code + mode.byte() + count->currentText() + start->currentText() +
               key->currentText() + (data ? data->text() : QString());
    };
    void (S50S70Page::*blocks)() = data ? &S50S70Page::writeBlocks : &S50S70Page::readBlocks;
    connect(button, &QPushButton::clicked, this, blocks);
    addContinuousMode(context_,
                      {loop, [this, blocks] { (this->*blocks)(); }, false, section.extraMs});
}

void S50S70Page::addAddressSection(QVBoxLayout* page) {
    QHBoxLayout* row = addSection(this, page);
    auto* addressSwitch = makeGroup(this, "GroupBox26", QString());
    auto* switchRow = new QHBoxLayout(addressSwitch);
    switchRow->setContentsMargins(4, 0, 4, 0);
    auto* radioButton2 = makeRadio(addressSwitch, "RadioButton2", QStringLiteral("10"));
    auto* radioButton1 = makeRadio(addressSwitch, "RadioButton1", QStringLiteral("11"));
    switchRow->addWidget(radioButton2);
    switchRow->addWidget(radioButton1);
    row->addWidget(addressSwitch);
    row->addSpacing(12);
    auto* checkBox12 = makeCheckBox(this, "CheckBox12", QStringLiteral("CheckBox12"));
    row->addWidget(checkBox12);
    row->addStretch();

    for (QRadioButton* radio : {radioButton2, radioButton1})
        connect(radio, &QRadioButton::clicked, this, [this, radioButton2, radioButton1] {
            if (radioButton2->isChecked())
                emit addressSelected(16);
            else if (radioButton1->isChecked())
                emit addressSelected(17);
        });
    // The cycle pauses N + 10 ms after the write as well as after the read.
    addContinuousMode(context_, {checkBox12,
                                 [this] {
                                     writeBlocks();
                                     context_.link.Delayy(context_.hfInterval() + 10);
                                     readBlocks();
                                 },
                                 false, 10});
}

void S50S70Page::addCardNumberSection(QVBoxLayout* page) {
    QHBoxLayout* row = addSection(this, page);
    auto* haltLabels = new QVBoxLayout;
    haltLabels->addWidget(makeLabel(this, tr("Halt命令：     ")));
    haltLabels->addWidget(makeLabel(this, tr("需要录入数据      ")));
    row->addLayout(haltLabels);
    auto* button16 = makeButton(this, "Button16", QStringLiteral("Halt"));
    row->addWidget(fixedWidth(button16, 56));
    row->addSpacing(8);
    auto* reqa5 = addRequestPair(this, row, "Panel71", "reql5", "reqa5", Qt::Vertical);
    auto* yeshalt = addRadioPair(this, row, "Panel72", "nohalt", QStringLiteral("no halt"),
                                 "yeshalt", QStringLiteral("halt"), Qt::Vertical);
    auto* buttons = new QVBoxLayout;
    auto* button29 = makeButton(this, "Button29", tr("读卡号"));
    auto* checkBox4 = makeCheckBox(this, "CheckBox4", tr("连续读        "));
    buttons->addWidget(button29);
    buttons->addWidget(checkBox4);
    row->addLayout(buttons);
    row->addStretch();

    const ReaderCommand halt{[] { return QStringLiteral("06"); }, haltWaitMs,
                             ReplyTexts(tr("HALT操作成功   "), tr("HALT操作失败   "))};
    connectCommand(button16, context_, halt);

    ReaderLink& link = context_.link;
    ReplyTexts texts(success(), tr("读卡号操作失败   "));
    texts.successLines = [&link](const QString& reply, const QString& time) {
        link.log(success() + time + kCrLf);
        link.log(tr("返回卡号为:") + reply::bytes(reply, 6, 9));
        // Byte 5 tells one card (00) from several (01); other values add nothing.
        const QString cards = reply::byte(reply, 5);
        if (cards == QLatin1String("00"))
            link.log(tr("检测到的卡的数量为一张卡..") + kCrLf);
        else if (cards == QLatin1String("01"))
            link.log(tr("检测到的卡的数量为多张卡..") + kCrLf);
    };
    const ReaderCommand cardNumber{
        [reqa5, yeshalt] {
            return QStringLiteral("25") +
                   (reqa5->isChecked() ? QStringLiteral("52") : QStringLiteral("26")) +
                   (yeshalt->isChecked() ? QStringLiteral("01") : QStringLiteral("00"));
        },
        haltWaitMs, texts};
    auto readNumber = [this, cardNumber] { runCommand(context_, cardNumber); };
    connect(button29, &QPushButton::clicked, this, readNumber);
    addContinuousMode(context_, {checkBox4, readNumber, true, 10});
}

void S50S70Page::addValueSection(QVBoxLayout* page, const ValueSection& section) {
    QHBoxLayout* row = addSection(this, page);
    const ModeChoice mode = addModeChoice(row, section.mode);
    auto* sector = makeEdit(this, section.sector, QStringLiteral("01"));
    auto* amount = makeEdit(this, section.amount, QLatin1String(section.amountText));
    auto* key = makeEdit(this, section.key, transportKey);
    auto* grid = new QGridLayout;
    grid->addWidget(makeLabel(this, tr("扇区   ")), 0, 0);
    grid->addWidget(fixedWidth(sector, 36), 0, 1);
    grid->addWidget(makeLabel(this, tr(section.amountLabel)), 0, 2);
    grid->addWidget(fixedWidth(amount, 96), 0, 3);
    grid->addWidget(makeLabel(this, tr("密钥     ")), 1, 0);
    grid->addWidget(fixedWidth(key, 150), 1, 1, 1, 3);
    row->addLayout(grid);
    auto* button = makeButton(this, section.button, tr(section.caption));
    row->addWidget(button);
    row->addStretch();

    QList<ReplyField> fields = {{tr("返回卡ID号为:"), 5, 8, !section.remaining}};
    if (section.remaining)
        fields << ReplyField{tr("剩余值为为: "), 9, 12, true};
    const ReaderCommand command{
        [code = QLatin1String(section.code), mode, sector, key, amount] {
            return code + mode.byte() + sector->text() + key->text() + amount->text();
        },
        cardWaitMs, fieldReport(context_.link, success(), cardFailure(), false, fields)};
    connectCommand(button, context_, command);
}

void S50S70Page::readBlocks() {
    runCommand(context_, {readPayload_, cardWaitMs,
                          fieldReport(context_.link, success(), cardFailure(), false,
                                      {{tr("卡号为:"), 5, 8}, {tr("卡的数据为:"), 9, 0, true}})});
}

void S50S70Page::writeBlocks() {
    ReaderLink& link = context_.link;
    const QString payload = writePayload_();
    const QString refusal = brokenTrailer(hex::toBytes(payload));
    if (!refusal.isEmpty()) {
        link.log(refusal + link.time() + kCrLf);
        return;
    }
    runCommand(context_,
               {[payload] { return payload; }, cardWaitMs,
                fieldReport(link, success(), cardFailure(), false, {{tr("卡号为:"), 5, 8}})});
}
