#include "inventory_page.h"

#include "module_settings_group.h"
#include "pages/page_support.h"
#include "read_rate_plot.h"
#include "tag_table_model.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPointer>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {
QString startCaption() {
    return InventoryPage::tr("开始盘点");
}
QString stopCaption() {
    return InventoryPage::tr("停止盘点");
}
} // namespace

InventoryPage::InventoryPage(PageContext& context, const Clock& clock, QWidget* parent)
    : QWidget(parent), context_(context), statistics_(clock),
      inventory_(context.link, statistics_) {
    setObjectName(QStringLiteral("InventorySheet"));
    model_ = new TagTableModel(statistics_, this);

    run_ = makeCheckBox(this, "InventoryRun", startCaption());
    context_.registerLoopBox(run_);
    connect(run_, &QCheckBox::clicked, this, &InventoryPage::InventoryRunClick);
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
    auto* copy = makeButton(this, "CopyButton", tr("复制"));
    connect(copy, &QPushButton::clicked, this, &InventoryPage::CopyClick);
    auto* csv = makeButton(this, "CsvButton", tr("导出CSV"));
    connect(csv, &QPushButton::clicked, this, &InventoryPage::CsvClick);

    auto* controls = new QHBoxLayout;
    controls->addWidget(run_);
    controls->addStretch();
    controls->addWidget(makeLabel(this, tr("未见灰显")));
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
    run_->setText(run_->isChecked() ? stopCaption() : startCaption());
    if (!run_->isChecked())
        return;
    // Changing a setting under a running inventory would answer one round's
    // wait with another command's reply.
    settings_->setEnabled(false);
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
        context_.link.log(tr("盘点：%1   ").arg(lastError) + context_.link.time());
    });
    if (!alive)
        return;
    statistics_.end();
    repaint_->stop();
    shownRevision_ = ~quint64(0);
    repaintView();
    settings_->setEnabled(true);
    run_->setText(startCaption());
    context_.link.log(tr("盘点结束：%1 个标签，读到 %2 次，%3 轮   ")
                          .arg(statistics_.distinctTags())
                          .arg(statistics_.reads())
                          .arg(inventory_.rounds()) +
                      context_.link.time());
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
