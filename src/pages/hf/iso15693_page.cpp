#include "iso15693_page.h"

#include "pages/page_support.h"
#include "protocol/hex_text.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>

namespace {

QString done() {
    return Iso15693Page::tr("操作成功   ");
}
QString failed() {
    return Iso15693Page::tr("操作失败   ");
}
const QString addressedFlags = QStringLiteral("22");

struct FieldSpec {
    const char* edit = nullptr;
    const char* label = nullptr; // nullptr: no label
    const char* text = "";
};

struct RowSpec {
    const char* code;
    const char* flagsBox;
    const char* flagsItem;
    QList<FieldSpec> fields;
    FieldSpec uid;
    bool uidAlways;
    QList<FieldSpec> data;
    const char* button;
    const char* caption;
    const char* loopBox;
    const char* loopCaption;
    ReplyTexts texts;
};

// The request-flags byte of each item of a flags box. The box's whole text is
// compared exactly; any other text gives no flags byte.
const struct {
    const char* item;
    const char* flags;
} flagItems[] = {
    {"TI", "42"},      // high data rate, option
    {"Philips", "02"}, // high data rate
    {"uid", "22"},     // high data rate, address: the row's UID goes along
    {"Other", "52"},   // high data rate, select, option
};

QString flagsByte(const QString& text) {
    for (const auto& item : flagItems)
        if (text == QLatin1String(item.item))
            return QLatin1String(item.flags);
    return QString();
}

QComboBox* makeFlagsBox(QWidget* parent, const char* name, const char* selected) {
    QStringList items;
    for (const auto& item : flagItems)
        items << QLatin1String(item.item);
    auto* box = makeCombo(parent, name, items, true);
    // The text is taken as typed: no completion to an item.
    box->setCompleter(nullptr);
    box->setCurrentText(QLatin1String(selected));
    box->setFixedWidth(72);
    return box;
}

QLineEdit* addField(QWidget* parent, QHBoxLayout* line, const FieldSpec& entry, int width) {
    if (line->count())
        line->addSpacing(8);
    if (entry.label)
        line->addWidget(makeLabel(parent, Iso15693Page::tr(entry.label)));
    auto* edit = makeEdit(parent, entry.edit, QString::fromUtf8(entry.text));
    edit->setFixedWidth(width);
    line->addWidget(edit);
    return edit;
}

// A UID holds eight bytes, written with blanks; the other fields a byte or four.
constexpr int byteWidth = 30;
constexpr int uidWidth = 160;
constexpr int dataWidth = 100;

} // namespace

Iso15693Page::Iso15693Page(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet6"));
    ReaderLink& link = context_.link;

    // One grid row per line: flags box, its caption, the fields, the button; a
    // row's second line holds its UID and data and, under the button, its
    // continuous box.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(2, 1);
    int line = 0;

    auto* button37 = makeButton(this, "Button37", tr("防冲突"));
    grid->addWidget(button37, line, 0, 1, 2);
    auto* checkBox5 = makeCheckBox(this, "CheckBox5", tr("连续读   "));
    grid->addWidget(checkBox5, line++, 3);
    ReplyTexts inventory(done(), failed());
    inventory.successLines = [this](const QString& replyText, const QString& time) {
        logInventory(replyText, time);
    };
    inventory_ = {[] { return QStringLiteral("10060000"); }, 1000, inventory};
    connect(button37, &QPushButton::clicked, this, &Iso15693Page::Button37Click);
    addContinuousMode(context_, {checkBox5, [this] { Button37Click(); }, true, 10});

    const QString blockReadFailed = tr("读卡失败   ");
    const RowSpec specs[] = {
        {"11",
         "ComboBox10",
         "Philips",
         {{"Edit14", QT_TRANSLATE_NOOP("Iso15693Page", "起始块  "), "01"},
          {"Edit13", QT_TRANSLATE_NOOP("Iso15693Page", "块数量  "), "05"}},
         {"Edit55", QT_TRANSLATE_NOOP("Iso15693Page", "卡的uid信息    ")},
         false,
         {},
         "Button38",
         QT_TRANSLATE_NOOP("Iso15693Page", "卡片读"),
         "CheckBox6",
         QT_TRANSLATE_NOOP("Iso15693Page", "连续读     "),
         fieldReport(link, done(), blockReadFailed, false,
                     {{tr("标志位为："), 5, 5}, {tr("读卡返回数据为："), 6, 0, true}})},
        {"12",
         "ComboBox11",
         "TI",
         {{"Edit48", QT_TRANSLATE_NOOP("Iso15693Page", "起始块  "), "05"},
          {"Edit49", QT_TRANSLATE_NOOP("Iso15693Page", "块数量  "), "01"}},
         {"Edit50", QT_TRANSLATE_NOOP("Iso15693Page", "卡uid  ")},
         false,
         {{"Edit16", QT_TRANSLATE_NOOP("Iso15693Page", "要写的数据    "), "11 22 33 44"}},
         "Button39",
         QT_TRANSLATE_NOOP("Iso15693Page", "卡片写"),
         "CheckBox7",
         QT_TRANSLATE_NOOP("Iso15693Page", "连续写   "),
         ReplyTexts(tr("写卡操作成功   "), tr("写卡失败   "))},
        // The lock row has no UID field, so in "uid" mode it sends flags 22 alone.
        {"13",
         "ComboBox12",
         "Philips",
         {{"Edit18", QT_TRANSLATE_NOOP("Iso15693Page", "要锁的块号           "), "05"}},
         {},
         false,
         {},
         "Button40",
         QT_TRANSLATE_NOOP("Iso15693Page", "锁定块"),
         nullptr,
         nullptr,
         ReplyTexts(tr("锁操作成功   "), tr("锁操作失败   "))},
        {"15",
         "ComboBox13",
         "uid",
         {},
         {"Edit19", QT_TRANSLATE_NOOP("Iso15693Page", "卡的uid信息  ")},
         true,
         {},
         "Button42",
         QT_TRANSLATE_NOOP("Iso15693Page", "选择卡"),
         nullptr,
         nullptr,
         ReplyTexts(tr("选择卡操作成功   "), tr("选择卡操作失败   "))},
        {"17",
         "ComboBox14",
         "Philips",
         {{"Edit15", "AFI", "06"}},
         {"Edit28", QT_TRANSLATE_NOOP("Iso15693Page", "卡uid  ")},
         false,
         {},
         "Button44",
         QT_TRANSLATE_NOOP("Iso15693Page", "写AFI"),
         nullptr,
         nullptr,
         ReplyTexts(tr("写AFI操作成功   "), tr("写AFI操作失败   "))},
        {"18",
         "ComboBox15",
         "Philips",
         {},
         {"Edit32", QT_TRANSLATE_NOOP("Iso15693Page", "卡的uid信息  ")},
         false,
         {},
         "Button45",
         QT_TRANSLATE_NOOP("Iso15693Page", "锁定AFI"),
         nullptr,
         nullptr,
         ReplyTexts(tr("锁定AFI操作成功   "), tr("锁定AFI操作失败   "))},
        {"19",
         "ComboBox16",
         "Philips",
         {{"Edit17", "DSFID", "08"}},
         {"Edit36", QT_TRANSLATE_NOOP("Iso15693Page", "卡uid  ")},
         false,
         {},
         "Button46",
         QT_TRANSLATE_NOOP("Iso15693Page", "写DSFID"),
         nullptr,
         nullptr,
         ReplyTexts(tr("写DSFID操作成功   "), tr("写DSFID操作失败   "))},
        {"1A",
         "ComboBox17",
         "Philips",
         {},
         {"Edit38", QT_TRANSLATE_NOOP("Iso15693Page", "卡的uid信息  ")},
         false,
         {},
         "Button47",
         QT_TRANSLATE_NOOP("Iso15693Page", "锁定DSFID"),
         nullptr,
         nullptr,
         ReplyTexts(tr("锁定DSFID操作成功   "), tr("锁定DSFID操作失败   "))},
        // The fields sit at fixed places whatever the information flags say.
        {"1B",
         "ComboBox18",
         "Philips",
         {},
         {"Edit41", QT_TRANSLATE_NOOP("Iso15693Page", "卡的uid信息  ")},
         false,
         {},
         "Button48",
         QT_TRANSLATE_NOOP("Iso15693Page", "系统信息"),
         nullptr,
         nullptr,
         fieldReport(link, done(), failed(), false,
                     {{tr("  Flags值为： "), 5, 5},
                      {tr("  INFO Flags值为： "), 6, 6},
                      {tr("  卡UID值为： "), 7, 14},
                      {tr("  DSFID值为： "), 15, 15},
                      {tr("  AFI值为： "), 16, 16},
                      {tr("  Other fields值为： "), 17, 0, true}})},
        {"1C",
         "ComboBox19",
         "Philips",
         {{"Edit21", QT_TRANSLATE_NOOP("Iso15693Page", "起始块号  "), "00"},
          {"Edit20", QT_TRANSLATE_NOOP("Iso15693Page", "数据长度  "), "05"}},
         {"Edit43"},
         false,
         {},
         "Button49",
         QT_TRANSLATE_NOOP("Iso15693Page", "块安全位"),
         nullptr,
         nullptr,
         fieldReport(link, done(), tr("读卡块安全位失败   "), false,
                     {{tr("标志位为："), 5, 5}, {tr("块安全位状态为："), 6, 0, true}})},
    };

    for (const RowSpec& entry : specs) {
        auto* separator = new QFrame(this);
        separator->setFrameShape(QFrame::HLine);
        separator->setFrameShadow(QFrame::Sunken);
        grid->addWidget(separator, line++, 0, 1, 4);

        Row row{QLatin1String(entry.code),
                makeFlagsBox(this, entry.flagsBox, entry.flagsItem),
                {},
                nullptr,
                entry.uidAlways,
                {},
                {{}, 500, entry.texts}};
        grid->addWidget(row.flags, line, 0);
        grid->addWidget(makeLabel(this, tr("标志位    ")), line, 1);
        auto* first = new QHBoxLayout;
        for (const FieldSpec& field : entry.fields)
            row.fields << addField(this, first, field, byteWidth);
        // Rows with two fields of their own put the UID and data on a second line.
        QHBoxLayout* second = first;
        if (entry.fields.size() > 1) {
            second = new QHBoxLayout;
            second->addSpacing(20);
        }
        if (entry.uid.edit)
            row.uid = addField(this, second, entry.uid, uidWidth);
        for (const FieldSpec& field : entry.data)
            row.data << addField(this, second, field, dataWidth);
        first->addStretch();
        grid->addLayout(first, line, 2);
        auto* button = makeButton(this, entry.button, tr(entry.caption));
        grid->addWidget(button, line, 3);

        const int index = rows_.size();
        row.command.payload = [this, index] { return payload(rows_[index]); };
        rows_ << row;
        auto run = [this, index] { runCommand(context_, rows_[index].command); };
        connect(button, &QPushButton::clicked, this, run);
        if (entry.loopBox) {
            auto* box = makeCheckBox(this, entry.loopBox, tr(entry.loopCaption));
            grid->addWidget(box, line + 1, 3);
            addContinuousMode(context_, {box, run, true, 10});
        }
        ++line;
        if (second != first) {
            second->addStretch();
            grid->addLayout(second, line++, 0, 1, 3);
        }
    }
    grid->setRowStretch(line, 1);
}

// Command code, flags byte, the row's fields, the UID (with flags 22, or
// always on the select row), then the data to write.
QString Iso15693Page::payload(const Row& row) const {
    const QString flags = flagsByte(row.flags->currentText());
    QString text = row.code + flags;
    for (const QLineEdit* field : row.fields)
        text += field->text();
    if (row.uid && (row.uidAlways || flags == addressedFlags))
        text += row.uid->text();
    for (const QLineEdit* field : row.data)
        text += field->text();
    return text;
}

void Iso15693Page::Button37Click() {
    runCommand(context_, inventory_);
}

// Byte 5 is the number of cards; ten bytes per card follow: response flags,
// DSFID and the UID, least significant byte first. The number of records comes
// from the reply's length; a last partial record is left out.
void Iso15693Page::logInventory(const QString& replyText, const QString& time) {
    ReaderLink& link = context_.link;
    link.log(done() + time);
    link.log(tr("域内的卡片数量为：") + reply::byte(replyText, 5));
    link.log(tr("域内的卡片数据为：") + reply::bytesToEnd(replyText, 6));
    const int records = qMax(0, int(replyText.size()) - 14) / 20;
    for (int k = 1; k <= records; ++k)
        link.log(tr("第%1张卡卡号为：").arg(k) +
                 cdate(reply::bytes(replyText, 10 * k - 2, 10 * k + 5)));
    link.log(QString());
}
