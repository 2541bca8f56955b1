#include "inventory_page.h"

#include "module_settings_group.h"
#include "pages/page_support.h"
#include "protocol/baud_rates.h"
#include "protocol/hex_text.h"
#include "read_rate_plot.h"
#include "serial/port_discovery.h"
#include "tag_dialog.h"
#include "tag_table_model.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace {
QString startCaption() {
    return InventoryPage::tr("开始盘点");
}
QString stopCaption() {
    return InventoryPage::tr("停止盘点");
}
// The longest mask: what the Select command's length byte and the EPC hold.
constexpr int maskBytesMax = 31;
} // namespace

InventoryPage::InventoryPage(PageContext& context, const Clock& clock, const TComm& terminal,
                             QWidget* parent)
    : QWidget(parent), context_(context), statistics_(clock), inventory_(context.link, statistics_),
      serialInventory_(context.link, statistics_), terminal_(terminal) {
    setObjectName(QStringLiteral("InventorySheet"));
    model_ = new TagTableModel(statistics_, this);

    run_ = makeCheckBox(this, "InventoryRun", startCaption());
    context_.registerLoopBox(run_);
    connect(run_, &QCheckBox::clicked, this, &InventoryPage::InventoryRunClick);
    // A serial run ends where it is stopped (a page change, closing), so that
    // its port is free again before anything else looks at the ports.
    connect(run_, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            endSerialRun();
    });
    link_ = makeCombo(this, "LinkCombo", {tr("USB HID"), tr("串口")});
    link_->setToolTip(tr("USB HID：经读卡器逐轮盘点；串口：读卡器的 USB 虚拟串口或串口上的模块，"
                         "连续盘点"));
    ports_ = makeCombo(this, "PortCombo", {});
    ports_->setMinimumContentsLength(10);
    baudRates_ = makeCombo(this, "BaudCombo", kBaudRates);
    baudRates_->setCurrentText(QString::number(SerialInventoryPort::defaultBaud));
    const auto serialChosen = [this] {
        const bool serial = link_->currentIndex() == int(Link::Serial);
        ports_->setEnabled(serial);
        baudRates_->setEnabled(serial);
        if (serial)
            listPorts();
    };
    connect(link_, &QComboBox::currentIndexChanged, this, serialChosen);
    serialChosen();
    mask_ = makeEdit(this, "MaskEdit", QString());
    mask_->setPlaceholderText(tr("EPC 开头"));
    mask_->setToolTip(
        tr("只盘点 EPC 以这些字节开头的标签（十六进制，1 到 31 个字节）；空：不过滤"));
    mask_->setFixedWidth(96);
    filter_ = named(new QLabel(this), "FilterLabel");
    filter_->setStyleSheet(QStringLiteral("color: #b05000; font-weight: bold"));
    filter_->hide();
    greyAfter_ = named(new QSpinBox(this), "GreyAfterSpin");
    greyAfter_->setRange(0, 3600);
    greyAfter_->setValue(5);
    greyAfter_->setSuffix(tr(" 秒"));
    greyAfter_->setToolTip(tr("超过这段时间没有读到的标签显示为灰色（0：不灰显）"));
    model_->setGreyAfter(greyAfter_->value());
    connect(greyAfter_, &QSpinBox::valueChanged, this, [this](int seconds) {
        model_->setGreyAfter(seconds);
        shownRevision_ = ~quint64(0);
        repaintView();
    });
    oneTag_ = makeButton(this, "OneTagButton", tr("单个标签..."));
    oneTag_->setToolTip(tr("盘点一次，对场内唯一的标签进行读写、锁定和灭活"));
    connect(oneTag_, &QPushButton::clicked, this, &InventoryPage::OneTagClick);
    auto* copy = makeButton(this, "CopyButton", tr("复制"));
    connect(copy, &QPushButton::clicked, this, &InventoryPage::CopyClick);
    auto* csv = makeButton(this, "CsvButton", tr("导出CSV"));
    connect(csv, &QPushButton::clicked, this, &InventoryPage::CsvClick);

    auto* controls = new QHBoxLayout;
    controls->addWidget(run_);
    controls->addWidget(oneTag_);
    controls->addStretch();
    controls->addWidget(makeLabel(this, tr("未见灰显")));
    controls->addWidget(greyAfter_);
    controls->addWidget(copy);
    controls->addWidget(csv);
    auto* linkRow = new QHBoxLayout;
    linkRow->addWidget(makeLabel(this, tr("链路")));
    linkRow->addWidget(link_);
    linkRow->addWidget(ports_, 1);
    linkRow->addWidget(baudRates_);
    linkRow->addWidget(makeLabel(this, tr("掩码")));
    linkRow->addWidget(mask_);

    totals_ = named(new QLabel(this), "TotalsLabel");
    session_ = named(new QLabel(this), "SessionLabel");
    session_->setWordWrap(true);

    table_ = named(new QTableView(this), "TagTable");
    table_->setModel(model_);
    table_->setSortingEnabled(true);
    table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    table_->verticalHeader()->hide();
    table_->setColumnHidden(TagTableModel::Uri, true);
    table_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(table_, &QTableView::customContextMenuRequested, this, &InventoryPage::showTagMenu);
    table_->setColumnWidth(TagTableModel::Epc, 200);
    for (int column = TagTableModel::Pc; column < TagTableModel::ColumnCount; ++column)
        table_->setColumnWidth(column, 66);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                selectedEpc_ = current.isValid()
                                   ? statistics_.tag(model_->tagRow(current.row())).epc
                                   : QByteArray();
                showSelectedTag();
            });

    plot_ = new ReadRatePlot(this);
    plot_->setFixedHeight(110);
    settings_ = new ModuleSettingsGroup(context_, this);
    connect(settings_, &ModuleSettingsGroup::queryChanged, this, &InventoryPage::showSession);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->setSpacing(3);
    page->addLayout(controls);
    page->addLayout(linkRow);
    page->addWidget(filter_);
    page->addWidget(totals_);
    page->addWidget(session_);
    page->addWidget(table_, 1);
    page->addWidget(plot_);
    page->addWidget(settings_);

    repaint_ = new QTimer(this);
    repaint_->setInterval(repaintMs);
    connect(repaint_, &QTimer::timeout, this, &InventoryPage::repaintView);
    showSession(settings_->query());
    repaintView();
}

InventoryPage::~InventoryPage() = default;

// The GS1 column follows the window's GS1 view.
void InventoryPage::showGs1(bool on) {
    table_->setColumnHidden(TagTableModel::Uri, !on);
}

void InventoryPage::pageOpened() {
    if (run_->isChecked())
        return;
    settings_->readAll();
    if (link_->currentIndex() == int(Link::Serial))
        listPorts();
}

// The ports that can be opened now, and the one the serial page's terminal
// holds (a run on it is refused with the reason).
void InventoryPage::listPorts() {
    if (run_->isChecked())
        return;
    const QString chosen = ports_->currentText();
    QStringList ports = surveySerialPorts().available;
    if (terminal_.isOpen() && !ports.contains(terminal_.openedName()))
        ports << terminal_.openedName();
    ports_->clear();
    ports_->addItems(ports);
    if (ports.contains(chosen))
        ports_->setCurrentText(chosen);
}

bool InventoryPage::readMask(QString* mask) {
    const QString text = mask_->text().trimmed();
    if (text.isEmpty()) {
        mask->clear();
        return true;
    }
    if (hex::strictDigits(text, mask) && mask->size() <= 2 * maskBytesMax)
        return true;
    context_.showError(tr("掩码“%1”不是 1 到 %2 个字节的十六进制数").arg(text).arg(maskBytesMax));
    return false;
}

void InventoryPage::logLine(const QString& text) {
    context_.link.log(text + QStringLiteral("   ") + context_.link.time());
}

void InventoryPage::InventoryRunClick() {
    run_->setText(run_->isChecked() ? stopCaption() : startCaption());
    if (!run_->isChecked())
        return;
    const bool serial = link_->currentIndex() == int(Link::Serial);
    QString mask;
    bool refused = !readMask(&mask);
    if (!refused && serial && ports_->currentText().isEmpty()) {
        logLine(tr("盘点：没有可用串口"));
        refused = true;
    }
    // One owner of a port at a time: the terminal's open port is the
    // operator's, with its own line settings and receptions, and stays theirs.
    if (!refused && serial && terminal_.isOpen() &&
        terminal_.openedName() == ports_->currentText()) {
        logLine(tr("盘点：串口 %1 已在“串口功能”页打开，由终端使用；请先在那里点“COM关闭”，"
                   "再开始盘点")
                    .arg(ports_->currentText()));
        refused = true;
    }
    if (refused) {
        run_->setChecked(false);
        run_->setText(startCaption());
        return;
    }
    // Changing a setting under a running inventory would answer one round's
    // wait with another command's reply.
    settings_->setEnabled(false);
    for (QWidget* control : {static_cast<QWidget*>(link_), static_cast<QWidget*>(ports_),
                             static_cast<QWidget*>(baudRates_), static_cast<QWidget*>(mask_)})
        control->setEnabled(false);
    oneTag_->setEnabled(false);
    statistics_.begin();
    repaint_->start();
    showFilter(mask);
    const QPointer<InventoryPage> alive(this);
    if (serial)
        runSerial(mask);
    else
        runHid(mask);
    if (!alive)
        return;
    statistics_.end();
    repaint_->stop();
    shownRevision_ = ~quint64(0);
    repaintView();
    showFilter(QString());
    settings_->setEnabled(true);
    link_->setEnabled(true);
    mask_->setEnabled(true);
    ports_->setEnabled(serial);
    baudRates_->setEnabled(serial);
    oneTag_->setEnabled(true);
    run_->setChecked(false);
    run_->setText(startCaption());
    if (serial)
        logLine(tr("盘点结束：%1 个标签，读到 %2 次（串口 %3）")
                    .arg(statistics_.distinctTags())
                    .arg(statistics_.reads())
                    .arg(serialInventory_.portName()));
    else
        context_.link.log(tr("盘点结束：%1 个标签，读到 %2 次，%3 轮   ")
                              .arg(statistics_.distinctTags())
                              .arg(statistics_.reads())
                              .arg(inventory_.rounds()) +
                          context_.link.time());
    if (!dialogEpc_.isEmpty())
        openTagDialog(std::exchange(dialogEpc_, QByteArray()));
}

void InventoryPage::runHid(const QString& mask) {
    inventory_.restart();
    if (inventory_.setMask(mask) != HidInventory::Outcome::Done) {
        logLine(tr("盘点：设置掩码失败：%1").arg(inventory_.errorText()));
        return;
    }
    const QPointer<InventoryPage> alive(this);
    QString lastError;
    repeatWhileChecked(run_, [&] {
        inventory_.round();
        // A failure is said once until it changes, not once per round.
        if (inventory_.errorText() == lastError)
            return;
        lastError = inventory_.errorText();
        context_.link.log(tr("盘点：%1   ").arg(lastError) + context_.link.time());
    });
    // The EPC page's reads rely on the module's default select mode.
    if (alive && !mask.isEmpty())
        inventory_.clearMask();
}

void InventoryPage::runSerial(const QString& mask) {
    stopAnswered_ = true;
    if (!serialInventory_.start(ports_->currentText(), baudRates_->currentText().toInt(),
                                SerialInventory::maxRounds, mask)) {
        logLine(tr("盘点：") + serialInventory_.errorText());
        return;
    }
    const QPointer<QCheckBox> box(run_);
    serialInventory_.run([box] { return box && box->isChecked(); });
    if (!box)
        return;
    endSerialRun();
    if (serialInventory_.lost())
        logLine(tr("盘点：串口 %1 的连接已断开（设备已拔出或已切换模式），盘点已停止")
                    .arg(serialInventory_.portName()));
    else if (!stopAnswered_)
        logLine(tr("盘点：模块没有回答停止盘点 (28)，它也许还在盘点"));
    if (!serialInventory_.inventory().errorText().isEmpty())
        logLine(tr("盘点：") + serialInventory_.inventory().errorText());
}

void InventoryPage::endSerialRun() {
    if (serialInventory_.isOpen())
        stopAnswered_ = serialInventory_.stop();
}

void InventoryPage::showFilter(const QString& mask) {
    filter_->setText(tr("过滤中：只盘点 EPC 以 %1 开头的标签").arg(mask));
    filter_->setVisible(!mask.isEmpty());
}

void InventoryPage::repaintView() {
    showTotals();
    if (statistics_.revision() != shownRevision_) {
        shownRevision_ = statistics_.revision();
        model_->refresh();
    } else {
        // Rates, greying and the run time move on without new reads.
        table_->viewport()->update();
    }
    showSelectedTag();
}

void InventoryPage::showTotals() {
    const qint64 seconds = statistics_.runMilliseconds() / 1000;
    totals_->setText(tr("标签 %1 个   读到 %2 次   现在 %3 次/秒   平均 %4 次/秒   "
                        "用时 %5:%6")
                         .arg(statistics_.distinctTags())
                         .arg(statistics_.reads())
                         .arg(statistics_.readsPerSecondNow())
                         .arg(statistics_.readsPerSecondAverage(), 0, 'f', 1)
                         .arg(seconds / 60)
                         .arg(seconds % 60, 2, 10, QLatin1Char('0')));
}

void InventoryPage::showSelectedTag() {
    const QList<int> reads = statistics_.readsPerSecondHistory();
    const int row = selectedEpc_.isEmpty() ? -1 : statistics_.rowOf(selectedEpc_);
    const QList<double> rssi = row >= 0 ? statistics_.tagRssiHistory(row) : QList<double>();
    plot_->setSeries(QVector<int>(reads.begin(), reads.end()),
                     QVector<double>(rssi.begin(), rssi.end()));
}

void InventoryPage::showSession(const QueryParameters& query) {
    session_->setText(tr("%1：%2").arg(
        query.text(), ModuleSettings::sessionMeaning(query.session, query.targetB)));
}

void InventoryPage::CopyClick() {
    QList<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    QApplication::clipboard()->setText(model_->text(rows, false));
}

void InventoryPage::CsvClick() {
    const QString fileName =
        QFileDialog::getSaveFileName(this, tr("导出盘点结果"), QString(), tr("CSV 文件 (*.csv)"));
    if (!fileName.isEmpty())
        saveCsv(fileName);
}

bool InventoryPage::saveCsv(const QString& fileName) {
    model_->refresh();
    return saveFile(context_, fileName, model_->text({}, true).toUtf8());
}

void InventoryPage::showTagMenu(const QPoint& position) {
    const QModelIndex index = table_->indexAt(position);
    if (!index.isValid())
        return;
    const QByteArray epc = statistics_.tag(model_->tagRow(index.row())).epc;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("TagMenu"));
    QAction* open = menu.addAction(tr("标签操作：%1...").arg(hex::fromBytes(epc)));
    open->setObjectName(QStringLiteral("TagDialogAction"));
    // Opened once the menu has closed.
    connect(
        open, &QAction::triggered, this, [this, epc] { openTagDialog(epc); }, Qt::QueuedConnection);
    menu.exec(table_->viewport()->mapToGlobal(position));
}

void InventoryPage::openTagDialog(const QByteArray& epc) {
    // The dialog's exchanges must not answer a round's wait: the run ends first.
    if (run_->isChecked()) {
        dialogEpc_ = epc;
        run_->setChecked(false);
        return;
    }
    auto* dialog = new TagDialog(context_, epc, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    dialog->identify();
}

void InventoryPage::OneTagClick() {
    uhf::TagAccess access(context_.link);
    QList<QByteArray> epcs;
    if (access.tagsInField(&epcs) != uhf::TagAccess::Outcome::Done) {
        context_.showError(tr("盘点失败：%1").arg(access.errorText()));
        return;
    }
    if (epcs.size() != 1) {
        context_.showError(epcs.isEmpty()
                               ? tr("场内没有标签应答：请放一个标签在天线前。")
                               : tr("场内有 %1 个标签：请只留一个，或在表中右键点选要操作的标签。")
                                     .arg(epcs.size()));
        return;
    }
    openTagDialog(epcs.first());
}
