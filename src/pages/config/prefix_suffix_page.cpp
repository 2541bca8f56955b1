#include "prefix_suffix_page.h"

#include "pages/page_support.h"
#include "pages/reader_command.h"
#include "protocol/baud_rates.h"
#include "settings/setting_frames.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

const char* const kByteLabels[] = {QT_TRANSLATE_NOOP("PrefixSuffixPage", "第一个字节      "),
                                   QT_TRANSLATE_NOOP("PrefixSuffixPage", "第二个字节      "),
                                   QT_TRANSLATE_NOOP("PrefixSuffixPage", "第三个字节      "),
                                   QT_TRANSLATE_NOOP("PrefixSuffixPage", "第四个字节      ")};

} // namespace

PrefixSuffixPage::PrefixSuffixPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet7"));
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->setSpacing(4);
    page->addWidget(makeAffixGroup());
    page->addWidget(makeMachineGroup());
    page->addStretch();
}

QString PrefixSuffixPage::editText(const char* name) const {
    return findChild<QLineEdit*>(QLatin1String(name))->text();
}

bool PrefixSuffixPage::checked(const char* name) const {
    return findChild<QRadioButton*>(QLatin1String(name))->isChecked();
}

QWidget* PrefixSuffixPage::makeAffixGroup() {
    auto* group = makeGroup(this, "GroupBox29", tr("前后缀设置"));
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setVerticalSpacing(2);
    for (int i = 0; i < 4; ++i)
        grid->addWidget(makeLabel(group, tr(kByteLabels[i])), 0, i + 1);
    int row = 1;
    for (const settings::Affix& affix : settings::kAffixes) {
        grid->addWidget(makeLabel(group, settingsText(affix.label)), row, 0);
        for (int i = 0; i < 4; ++i) {
            auto* edit = makeEdit(group, affix.edits[i], QLatin1String(affix.texts[i]));
            edit->setFixedWidth(48);
            grid->addWidget(edit, row, i + 1);
        }
        const CommandButton command{affix.button, settingsText(affix.caption),
                                    [this, &affix] {
                                        QStringList texts;
                                        for (const char* edit : affix.edits)
                                            texts << editText(edit);
                                        return settings::affixPayload(affix, texts);
                                    },
                                    settings::kSettingWait, settings::affixTexts(affix)};
        grid->addWidget(makeCommandButton(group, context_, command), row, 5);
        ++row;
    }
    return group;
}

// The rows' "设置" buttons are narrow, to leave room for the range labels.
QPushButton* PrefixSuffixPage::setButton(QWidget* group, const CommandButton& command) {
    QPushButton* button = makeCommandButton(group, context_, command);
    button->setFixedWidth(52);
    return button;
}

QWidget* PrefixSuffixPage::makeMachineGroup() {
    auto* group = makeGroup(this, "GroupBox30", tr("915M机器信息"));
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setVerticalSpacing(2);
    grid->setColumnStretch(2, 1);
    int row = 0;

    auto addEditRows = [&](int first, int end) {
        for (int i = first; i < end; ++i) {
            const settings::MachineParameter& parameter = settings::kMachineParameters[i];
            grid->addWidget(makeLabel(group, settingsText(parameter.label)), row, 0);
            auto* edit = makeEdit(group, parameter.edit, QLatin1String(parameter.text));
            edit->setFixedWidth(48);
            grid->addWidget(edit, row, 1);
            grid->addWidget(makeLabel(group, settingsText(parameter.range)), row, 2);
            const CommandButton command{
                parameter.button, tr("设置"),
                [this, &parameter] {
                    return settings::machineParameterPayload(parameter, editText(parameter.edit));
                },
                settings::kSettingWait, settings::machineParameterTexts(parameter)};
            grid->addWidget(setButton(group, command), row, 3);
            ++row;
        }
    };
    addEditRows(0, settings::kParametersBeforeInterfaces);

    grid->addWidget(makeLabel(group, tr("输出接口设置：  ")), row, 0);
    // Each pair is a column: the on buttons above, the off buttons below.
    auto* pairs = new QGridLayout;
    pairs->setVerticalSpacing(0);
    int column = 0;
    for (const settings::InterfacePair& pair : settings::kInterfaces) {
        auto* buttons = new QButtonGroup(group);
        auto* on = makeRadio(group, pair.on, settingsText(pair.onCaption), true);
        auto* off = makeRadio(group, pair.off, settingsText(pair.offCaption));
        buttons->addButton(on);
        buttons->addButton(off);
        pairs->addWidget(on, 0, column);
        pairs->addWidget(off, 1, column++);
    }
    pairs->setColumnStretch(column, 1);
    grid->addLayout(pairs, row, 1, 1, 2);
    const CommandButton interfaces{"Button41", tr("设置"),
                                   [this] {
                                       bool on[3];
                                       for (int i = 0; i < 3; ++i)
                                           on[i] = checked(settings::kInterfaces[i].on);
                                       return settings::interfacesPayload(on);
                                   },
                                   settings::kSettingWait, settings::interfacesTexts()};
    grid->addWidget(setButton(group, interfaces), row++, 3);

    grid->addWidget(makeLabel(group, tr("设置波特率:      ")), row, 0);
    auto* baud = makeCombo(group, "ComboBox20", kBaudRates, true);
    auto* baudRow = new QHBoxLayout;
    baudRow->addWidget(baud);
    baudRow->addWidget(makeLabel(group, tr("（要设置的波特率）              ")));
    baudRow->addStretch();
    grid->addLayout(baudRow, row, 1, 1, 2);
    const CommandButton baudRate{"Button51", tr("设置"),
                                 [baud] { return settings::baudRatePayload(baud->currentText()); },
                                 settings::kSettingWait, settings::baudRateTexts()};
    grid->addWidget(setButton(group, baudRate), row++, 3);

    addEditRows(settings::kParametersBeforeInterfaces,
                int(std::size(settings::kMachineParameters)));
    return group;
}
