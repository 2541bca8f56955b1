#include "read_mode_page.h"

#include "pages/page_support.h"
#include "pages/reader_command.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

// The read modes: radio button, caption, payload, and the name the outcome
// lines give the mode. The memory-area mode has no name; its parameters follow
// its payload.
struct Mode {
    const char* radio;
    const char* caption;
    const char* payload;
    const char* name;
};
const Mode kModes[] = {
    {"RadioButton30", "主动-寻单张卡EPC号                 ", "0f01", "主动寻单卡EPC号"},
    {"RadioButton31", "被动读写器模式                 ", "0f02", "被动读写器模式"},
    {"RadioButton32", "主动-寻多张卡EPC号        ", "0f03", "主动寻多张卡EPC号"},
    {"RadioButton33", "主动-读TID号 ", "0f04", "主动读TID号"},
    {"RadioButton36", "主动读取存储扇区", "BC", ""},
};

// Memory area of the memory-area mode: bank, access password, first word, words.
struct AreaField {
    const char* label;
    const char* edit;
    const char* text;
    int width;
};
const AreaField kAreaFields[] = {
    {"扇区   ", "Edit65", "03", 30},
    {"密码   ", "Edit66", "00 00 00 00", 90},
    {"地址   ", "Edit67", "00", 30},
    {"长度     ", "Edit68", "08", 30},
};

} // namespace

ReadModePage::ReadModePage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context), layout_(new QVBoxLayout(this)) {
    setObjectName(QStringLiteral("TabSheet8"));
    layout_->setContentsMargins(4, 4, 4, 4);
    layout_->setSpacing(4);
    // Compact, so that the EPC group below gets the rest of the page.
    auto* groups = new QHBoxLayout;
    for (QWidget* group : {makeReadModeGroup(), makeRelayGroup()}) {
        group->setSizePolicy(group->sizePolicy().horizontalPolicy(), QSizePolicy::Maximum);
        groups->addWidget(group, 0, Qt::AlignTop);
    }
    groups->setStretch(0, 1);
    layout_->addLayout(groups);
}

void ReadModePage::addEpcGroup(QWidget* group) {
    layout_->addWidget(group);
    layout_->addStretch();
}

QWidget* ReadModePage::makeReadModeGroup() {
    auto* group = makeGroup(this, "GroupBox36", QStringLiteral("读卡模式切换"));
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setVerticalSpacing(2);
    for (int i = 0; i < 4; ++i)
        grid->addWidget(
            makeRadio(group, kModes[i].radio, QString::fromUtf8(kModes[i].caption), i == 0), i / 2,
            i % 2);

    const Mode& area = kModes[4];
    grid->addWidget(makeRadio(group, area.radio, QString::fromUtf8(area.caption)), 2, 0);

    // The mode's name is the one checked when the reply is judged.
    const CommandButton set{
        "Button69", QStringLiteral("设置"), [this] { return modePayload(); }, 300,
        [this] {
            const QString name = modeName();
            return ReplyTexts(QStringLiteral("设置 ") + name + QStringLiteral(" 成功   "),
                              QStringLiteral("设置") + name + QStringLiteral("失败   "), false);
        }};
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(makeCommandButton(group, context_, set));
    auto* structure = makeButton(group, "Button72", QStringLiteral("扇区结构"));
    connect(structure, &QPushButton::clicked, this, [this] { context_.showCardMemory(); });
    buttons->addWidget(structure);
    buttons->addStretch();
    grid->addLayout(buttons, 2, 1);

    auto* areaRow = new QHBoxLayout;
    areaRow->setSpacing(2);
    for (const AreaField& field : kAreaFields) {
        areaRow->addWidget(makeLabel(group, QString::fromUtf8(field.label)));
        auto* edit = makeEdit(group, field.edit, QString::fromUtf8(field.text));
        edit->setFixedWidth(field.width);
        areaRow->addWidget(edit);
    }
    areaRow->addStretch();
    grid->addLayout(areaRow, 3, 0, 1, 2);
    return group;
}

QWidget* ReadModePage::makeRelayGroup() {
    auto* group = makeGroup(this, "GroupBox43", QStringLiteral("继电器信号控制"));
    auto* column = new QVBoxLayout(group);
    column->setContentsMargins(6, 2, 6, 4);
    const CommandButton relay[] = {
        {"Button81", QStringLiteral("继电器开"), [] { return QStringLiteral("87 01"); }, 300,
         ReplyTexts(QStringLiteral("继电器打开设置成功   "),
                    QStringLiteral("继电器打开设置失败   "))},
        {"Button82", QStringLiteral("继电器关"), [] { return QStringLiteral("87 00"); }, 300,
         ReplyTexts(QStringLiteral("继电器关闭设置成功   "),
                    QStringLiteral("继电器关闭设置失败   "))},
    };
    for (const CommandButton& command : relay)
        column->addWidget(makeCommandButton(group, context_, command));
    column->addStretch();
    return group;
}

QString ReadModePage::modePayload() const {
    for (const Mode& mode : kModes) {
        if (!findChild<QRadioButton*>(QLatin1String(mode.radio))->isChecked())
            continue;
        QString payload = QLatin1String(mode.payload);
        if (&mode == &kModes[4])
            for (const AreaField& field : kAreaFields)
                payload += findChild<QLineEdit*>(QLatin1String(field.edit))->text();
        return payload;
    }
    return QString();
}

QString ReadModePage::modeName() const {
    for (const Mode& mode : kModes)
        if (findChild<QRadioButton*>(QLatin1String(mode.radio))->isChecked())
            return QString::fromUtf8(mode.name);
    return QString();
}
