#include "journal_window.h"

#include "epcis_export_dialog.h"
#include "uhf/gs1_epc.h"
#include "uhf/issuing_journal.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int shownRecords = 200;

const char* const outcomeTexts[] = {
    QT_TRANSLATE_NOOP("JournalWindow", "待定"), QT_TRANSLATE_NOOP("JournalWindow", "已写"),
    QT_TRANSLATE_NOOP("JournalWindow", "不明"), QT_TRANSLATE_NOOP("JournalWindow", "未写")};

// Records keep UTC; the operator reads the time of the desk. A time that
// does not parse is shown as stored.
QString localTime(const QString& stored) {
    const QDateTime time = QDateTime::fromString(stored, Qt::ISODateWithMs);
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                          : stored;
}

// The lock of a record in words: what was locked and whether it holds.
QString lockState(const IssuingJournal::Lock& lock) {
    using Step = IssuingJournal::Step;
    if (!lock.inUse())
        return QString();
    const QString plan = QString(lock.plan).replace(QLatin1Char(','), QStringLiteral(", "));
    if (lock.verified == Step::Done)
        return QCoreApplication::translate("JournalWindow", "%1：已锁定，已验证").arg(plan);
    if (lock.failed())
        return QCoreApplication::translate("JournalWindow", "%1：锁定失败，标签未受保护").arg(plan);
    return QCoreApplication::translate("JournalWindow", "%1：锁定未完成，待核对").arg(plan);
}

} // namespace

JournalWindow::JournalWindow(IssuingJournal& journal, std::function<void(const QString&)> showError,
                             QWidget* parent)
    : QDialog(parent), journal_(journal), showError_(std::move(showError)) {
    setObjectName(QStringLiteral("JournalWindow"));
    setWindowTitle(tr("发卡记录"));
    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("JournalTable"));
    table_->setColumnCount(7);
    table_->setHorizontalHeaderLabels({tr("EPC号"), QStringLiteral("TID"), tr("工位"), tr("时间"),
                                       tr("结果"), tr("GS1编码"), tr("锁定")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    const QList<IssuingJournal::Record> records = journal_.records(shownRecords);
    table_->setRowCount(int(records.size()));
    for (int row = 0; row < records.size(); ++row) {
        const IssuingJournal::Record& r = records[row];
        const QString texts[] = {r.epc,
                                 r.tid,
                                 r.station,
                                 localTime(r.time),
                                 tr(outcomeTexts[int(r.outcome)]),
                                 gs1::tagUriOf(r.epc),
                                 lockState(r.lock)};
        for (int column = 0; column < 7; ++column)
            table_->setItem(row, column, new QTableWidgetItem(texts[column]));
    }
    // Columns as wide as their texts, the last taking what is left.
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->scrollToBottom();

    auto* exportButton = new QPushButton(tr("导出..."), this);
    exportButton->setObjectName(QStringLiteral("JournalExport"));
    connect(exportButton, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getSaveFileName(
            this, tr("导出发卡记录"), QStringLiteral("journal.csv"), QStringLiteral("CSV (*.csv)"));
        if (!file.isEmpty())
            exportTo(QFileInfo(file).suffix().isEmpty() ? file + QStringLiteral(".csv") : file);
    });
    auto* epcisButton = new QPushButton(tr("EPCIS导出..."), this);
    epcisButton->setObjectName(QStringLiteral("JournalEpcisExport"));
    connect(epcisButton, &QPushButton::clicked, this, [this] {
        EpcisExportDialog dialog(journal_, IssuingJournal::configuredAddress(QString()), showError_,
                                 this);
        dialog.exec();
    });
    auto* close = new QPushButton(tr("关闭"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exportButton);
    buttons->addWidget(epcisButton);
    buttons->addWidget(close);
    auto* column = new QVBoxLayout(this);
    column->addWidget(table_);
    column->addLayout(buttons);
    resize(820, 420);
}

bool JournalWindow::exportTo(const QString& fileName) {
    QFile file(fileName);
    const QList<IssuingJournal::Record> records = journal_.records();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(IssuingJournal::csv(records).toUtf8()) < 0 || !file.flush()) {
        showError_(tr("%1：%2").arg(fileName, file.errorString()));
        return false;
    }
    if (log_)
        log_(tr("已导出 %1 条发卡记录到 %2   ").arg(records.size()).arg(fileName));
    return true;
}
