#include "inventory_page.h"

#include "module_settings_group.h"
#include "pages/page_support.h"
#include "protocol/hex_text.h"
#include "read_rate_plot.h"
#include "tag_dialog.h"
#include "tag_table_model.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPointer>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace {
const QString startCaption = QStringLiteral("开始盘点");
const QString stopCaption = QStringLiteral("停止盘点");
} // namespace

InventoryPage::InventoryPage(PageContext& context, const Clock& clock, QWidget* parent)
    : QWidget(parent), context_(context), statistics_(clock),
      inventory_(context.link, statistics_) {
    setObjectName(QStringLiteral("InventorySheet"));
    model_ = new TagTableModel(statistics_, this);

    run_ = makeCheckBox(this, "InventoryRun", startCaption);
    context_.registerLoopBox(run_);
    connect(run_, &QCheckBox::clicked, this, &InventoryPage::InventoryRunClick);
    greyAfter_ = named(new QSpinBox(this), "GreyAfterSpin");
    greyAfter_->setRange(0, 3600);
    greyAfter_->setValue(5);
    greyAfter_->setSuffix(QStringLiteral(" 秒"));
    greyAfter_->setToolTip(QStringLiteral("超过这段时间没有读到的标签显示为灰色（0：不灰显）"));
    model_->setGreyAfter(greyAfter_->value());
    connect(greyAfter_, &QSpinBox::valueChanged, this, [this](int seconds) {
        model_->setGreyAfter(seconds);
        shownRevision_ = ~quint64(0);
        repaintView();
    });
    oneTag_ = makeButton(this, "OneTagButton", tr("单个标签..."));
    oneTag_->setToolTip(tr("盘点一次，对场内唯一的标签进行读写、锁定和灭活"));
    connect(oneTag_, &QPushButton::clicked, this, &InventoryPage::OneTagClick);
    auto* copy = makeButton(this, "CopyButton", QStringLiteral("复制"));
    connect(copy, &QPushButton::clicked, this, &InventoryPage::CopyClick);
    auto* csv = makeButton(this, "CsvButton", QStringLiteral("导出CSV"));
    connect(csv, &QPushButton::clicked, this, &InventoryPage::CsvClick);

    auto* controls = new QHBoxLayout;
    controls->addWidget(run_);
    controls->addWidget(oneTag_);
    controls->addStretch();
    controls->addWidget(makeLabel(this, QStringLiteral("未见灰显")));
    controls->addWidget(greyAfter_);
    controls->addWidget(copy);
    controls->addWidget(csv);

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
    if (!run_->isChecked())
        settings_->readAll();
}

void InventoryPage::InventoryRunClick() {
    run_->setText(run_->isChecked() ? stopCaption : startCaption);
    if (!run_->isChecked())
        return;
    // Changing a setting under a running inventory would answer one round's
    // wait with another command's reply.
    settings_->setEnabled(false);
    oneTag_->setEnabled(false);
    statistics_.begin();
    repaint_->start();
    const QPointer<InventoryPage> alive(this);
    QString lastError;
    repeatWhileChecked(run_, [&] {
        inventory_.round();
        // A failure is said once until it changes, not once per round.
        if (inventory_.errorText() == lastError)
            return;
        lastError = inventory_.errorText();
        context_.link.log(QStringLiteral("盘点：") + lastError + QStringLiteral("   ") +
                          context_.link.time());
    });
    if (!alive)
        return;
    statistics_.end();
    repaint_->stop();
    shownRevision_ = ~quint64(0);
    repaintView();
    settings_->setEnabled(true);
    oneTag_->setEnabled(true);
    run_->setText(startCaption);
    context_.link.log(QStringLiteral("盘点结束：%1 个标签，读到 %2 次，%3 轮   ")
                          .arg(statistics_.distinctTags())
                          .arg(statistics_.reads())
                          .arg(inventory_.rounds()) +
                      context_.link.time());
    if (!dialogEpc_.isEmpty())
        openTagDialog(std::exchange(dialogEpc_, QByteArray()));
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
    totals_->setText(QStringLiteral("标签 %1 个   读到 %2 次   现在 %3 次/秒   平均 %4 次/秒   "
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
    session_->setText(QStringLiteral("%1：%2").arg(
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
    const QString fileName = QFileDialog::getSaveFileName(
        this, QStringLiteral("导出盘点结果"), QString(), QStringLiteral("CSV 文件 (*.csv)"));
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
