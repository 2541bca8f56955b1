#include "wifi_page.h"

#include "pages/page_support.h"
#include "pages/reader_command.h"
#include "protocol/conversion.h"
#include "protocol/reply.h"
#include "settings/setting_frames.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int kColumns = 4;
// The grid's rows at the start of every list read: the header and ten empty rows.
constexpr int kGridRows = 11;
const int kColumnWidths[kColumns] = {0, 64, 320, 84};
const char* const kHeaders[kColumns] = {"", QT_TRANSLATE_NOOP("WifiPage", "序号"),
                                        QT_TRANSLATE_NOOP("WifiPage", "WIFI名称"),
                                        QT_TRANSLATE_NOOP("WifiPage", "信号强度")};

} // namespace

WifiPage::WifiPage(PageContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet10"));
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->setSpacing(4);
    page->addWidget(makeSettingsGroup());
    page->addWidget(makeListGroup(), 1);
    resetGrid();
}

QWidget* WifiPage::makeSettingsGroup() {
    auto* group = makeGroup(this, "GroupBox41", tr("Wifi设置"));
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(1, 1);
    name_ = makeEdit(group, "Edit73", QString());
    password_ = makeEdit(group, "Edit74", QString());
    password_->setEchoMode(QLineEdit::Password);
    grid->addWidget(makeLabel(group, tr("Wifi名称   ")), 0, 0);
    grid->addWidget(name_, 0, 1);
    grid->addWidget(makeLabel(group, tr("Wifi密码    ")), 1, 0);
    grid->addWidget(password_, 1, 1);

    const CommandButton join{"Button78", tr("设置"),
                             [this] {
                                 const QString payload =
                                     settings::wifiJoinPayload(name_->text(), password_->text());
                                 // The module takes no other length (WPA): refused here rather than
                                 // by the reader after the send.
                                 const qsizetype length = password_->text().size();
                                 if (length != 0 && (length < 8 || length > 63))
                                     throw InputError(tr("Wifi密码须为空或 8 到 63 个字符（现有 %1 "
                                                         "个），命令未发送：请改正密码后再设置")
                                                          .arg(length));
                                 return payload;
                             },
                             settings::kSettingWait, settings::wifiJoinTexts()};
    grid->addWidget(makeLabel(group, tr("连接配置: ")), 2, 0);
    grid->addWidget(makeCommandButton(group, context_, join), 2, 1, Qt::AlignLeft);

    ReplyTexts ipTexts(QString(), tr("读取IP地址失败   "));
    ipTexts.successLines = [this](const QString& reply, const QString& time) {
        context_.link.log(tr("读取IP地址成功   ") + time);
        context_.link.log(tr("IP地址为：") + reply::text(reply::body(reply)) + kCrLf);
    };
    const CommandButton readIp{"Button79", tr("读IP地址"), [] { return QStringLiteral("8b"); }, 300,
                               [ipTexts] { return ipTexts; }};
    grid->addWidget(makeLabel(group, tr("获取WIFI设备本机IP地址:      ")), 3, 0);
    grid->addWidget(makeCommandButton(group, context_, readIp), 3, 1, Qt::AlignLeft);
    grid->addWidget(makeLabel(group, tr("WIFI端口号固定为 9100        ")), 4, 0, 1, 2);
    return group;
}

QWidget* WifiPage::makeListGroup() {
    auto* group = makeGroup(this, "GroupBox42", tr("读取WIFI列表"));
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setColumnStretch(2, 1);
    grid->addWidget(makeLabel(group, tr("读取Wifi列表：  ")), 0, 0);
    button80_ = makeButton(group, "Button80", tr("读Wifi列表"));
    connect(button80_, &QPushButton::clicked, this, &WifiPage::Button80Click);
    grid->addWidget(button80_, 0, 1);

    grid_ = named(new QTableWidget(group), "StringGrid1");
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(20);
    grid_->horizontalHeader()->setHighlightSections(false);
    connect(grid_, &QTableWidget::currentCellChanged, this,
            [this](int row, int column) { StringGrid1SelectCell(column, row); });
    grid->addWidget(grid_, 1, 0, 1, 3);
    return group;
}

void WifiPage::resetGrid() {
    // Setting the grid up selects no cell, so Edit73 keeps its text.
    const QSignalBlocker blocker(grid_);
    grid_->clearContents();
    grid_->setColumnCount(kColumns);
    grid_->setRowCount(kGridRows - 1);
    for (int column = 0; column < kColumns; ++column) {
        grid_->setHorizontalHeaderItem(column, new QTableWidgetItem(tr(kHeaders[column])));
        grid_->setColumnWidth(column, kColumnWidths[column]);
    }
    grid_->setColumnHidden(0, true);
    nextRow_ = 1;
}

void WifiPage::Button80Click() {
    resetGrid();
    button80_->setEnabled(false);
    context_.link.Send(QStringLiteral("8C"));
    context_.link.Delay(2000);
    button80_->setEnabled(true);
    const QString reply = context_.link.ReplyText();
    if (context_.link.judge(ReplyTexts(tr("读取Wifi成功   "), tr("读取Wifi失败   "))) ==
        ReplyStatus::Success)
        fillGrid(reply::body(reply));
}

// Entries are name bytes, 2C, strength bytes, 3B; bytes after the last 3B are
// dropped.
void WifiPage::fillGrid(const QString& data) {
    QString name;
    QString strength;
    bool inStrength = false;
    for (int i = 0; i + 1 < data.size(); i += 2) {
        const QString byte = data.mid(i, 2);
        if (byte == QLatin1String("2C")) {
            inStrength = true;
        } else if (byte == QLatin1String("3B")) {
            writeEntry(reply::text(name), reply::text(strength));
            name.clear();
            strength.clear();
            inStrength = false;
        } else {
            (inStrength ? strength : name) += byte;
        }
    }
}

void WifiPage::writeEntry(const QString& name, const QString& strength) {
    const int row = nextRow_ - 1;
    grid_->setItem(row, 1, new QTableWidgetItem(QString::number(nextRow_)));
    grid_->setItem(row, 2, new QTableWidgetItem(name));
    grid_->setItem(row, 3, new QTableWidgetItem(strength));
    ++nextRow_;
    grid_->setRowCount(nextRow_ + kGridRows - 1);
    // The current row moves to the next empty row, in the column it was in.
    const int column = grid_->currentColumn() > 0 ? grid_->currentColumn() : 1;
    grid_->setCurrentCell(nextRow_ - 1, column);
}

void WifiPage::StringGrid1SelectCell(int column, int row) {
    if (row < 0 || column < 0)
        return;
    const QTableWidgetItem* item = grid_->item(row, column);
    name_->setText(item ? item->text() : QString());
}
