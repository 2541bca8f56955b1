#include "profile_window.h"

#include "protocol/reader_link.h"
#include "settings/configuration_record.h"
#include "settings/profile_applier.h"
#include "uhf/issuing_journal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using settings::SettingResult;

namespace {

QString outcomeCaption(SettingResult::Outcome outcome) {
    switch (outcome) {
    case SettingResult::Outcome::Success:
        return ProfileWindow::tr("成功");
    case SettingResult::Outcome::Refused:
        return ProfileWindow::tr("失败");
    case SettingResult::Outcome::NoReply:
        return ProfileWindow::tr("没有应答");
    case SettingResult::Outcome::Garbled:
        return ProfileWindow::tr("数据出错");
    case SettingResult::Outcome::Mismatch:
        return ProfileWindow::tr("读回不符");
    case SettingResult::Outcome::NotSent:
        break;
    }
    return ProfileWindow::tr("未发送");
}

QTableWidget* makeTable(QWidget* parent, const char* name, const QStringList& headers) {
    auto* table = new QTableWidget(0, int(headers.size()), parent);
    table->setObjectName(QLatin1String(name));
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setWordWrap(false);
    table->verticalHeader()->setDefaultSectionSize(22);
    return table;
}

void addRow(QTableWidget* table, const QStringList& cells) {
    const int row = table->rowCount();
    table->insertRow(row);
    for (int column = 0; column < cells.size(); ++column)
        table->setItem(row, column, new QTableWidgetItem(cells[column]));
}

QString readerName(const ReaderInfo& reader) {
    if (reader.vendorId == 0)
        return ProfileWindow::tr("当前读卡器");
    return reader.id() + QLatin1Char(' ') + (reader.serial.isEmpty() ? reader.path : reader.serial);
}

} // namespace

QMap<QString, QString> profileValuesOf(const QWidget* form) {
    using settings::ProfileEntry;
    auto control = [form](const char* name) {
        return form->findChild<QWidget*>(QLatin1String(name));
    };
    auto checked = [&](const char* name) {
        const auto* button = qobject_cast<QAbstractButton*>(control(name));
        return button && button->isChecked();
    };
    QMap<QString, QString> values;
    for (const ProfileEntry& entry : settings::kProfileEntries) {
        QWidget* widget = control(entry.control);
        if (!*entry.control || !widget)
            continue;
        QString value;
        if (entry.kind == ProfileEntry::Kind::Flag)
            value = checked(entry.control) ? QStringLiteral("on") : QStringLiteral("off");
        else if (auto* edit = qobject_cast<QLineEdit*>(widget))
            value = edit->text();
        else if (auto* combo = qobject_cast<QComboBox*>(widget))
            value = combo->currentText();
        values.insert(settings::entryName(entry), value);
    }
    values.insert(QStringLiteral("output_format.format"), QStringLiteral("custom"));
    for (const settings::FormatChoice& format : settings::kFormats)
        if (checked(format.radio))
            values.insert(QStringLiteral("output_format.format"),
                          QString::fromLatin1(format.code).toUpper());
    for (const settings::Affix& affix : settings::kAffixes) {
        QStringList bytes;
        for (const char* name : affix.edits)
            if (auto* edit = qobject_cast<QLineEdit*>(control(name));
                edit && !edit->text().isEmpty())
                bytes << edit->text();
        values.insert(QStringLiteral("prefix_suffix.") + QLatin1String(affix.key),
                      bytes.join(QLatin1Char(' ')));
    }
    for (const settings::ReadMode& mode : settings::kReadModes)
        if (checked(mode.radio))
            values.insert(QStringLiteral("read_mode.mode"), QLatin1String(mode.key));
    // No network named: nothing to join.
    if (values.value(QStringLiteral("wifi.name")).isEmpty()) {
        values.remove(QStringLiteral("wifi.name"));
        values.remove(QStringLiteral("wifi.password"));
    }
    return values;
}

ProfileWindow::ProfileWindow(ReaderLink& link, IssuingJournal* journal,
                             const settings::Profile& profile, QWidget* parent)
    : QDialog(parent), link_(link), journal_(journal), profile_(profile) {
    setObjectName(QStringLiteral("ProfileWindow"));
    setWindowTitle(tr("应用设置方案 %1").arg(profile.name()));
    resize(640, 560);
    auto* layout = new QVBoxLayout(this);

    layout->addWidget(
        new QLabel(tr("设置方案 %1 中的设置（按页面顺序发送）：").arg(profile.name())));
    auto* frames = makeTable(this, "ProfileSettings", {tr("设置"), tr("命令")});
    for (const settings::ProfileSetting& setting : profile.settings())
        addRow(frames, {setting.name, settings::displayedFrame(link.address(), setting)});
    if (const QString module = settings::moduleSettingsText(profile.module()); !module.isEmpty())
        addRow(frames, {QStringLiteral("uhf_module"), module});
    if (!profile.expectedVersion().isEmpty())
        addRow(frames, {QStringLiteral("version"), profile.expectedVersion()});
    frames->resizeColumnsToContents();
    layout->addWidget(frames, 2);

    allReaders_ = new QCheckBox(tr("设置所有已连接的读卡器"), this);
    allReaders_->setObjectName(QStringLiteral("AllReaders"));
    allReaders_->setEnabled(link.device().listsReaders());
    layout->addWidget(allReaders_);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProfileProgress"));
    progress_->setValue(0);
    layout->addWidget(progress_);
    results_ =
        makeTable(this, "ProfileResults", {tr("读卡器"), tr("设置"), tr("结果"), tr("说明")});
    results_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(results_, 3);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("ProfileSummary"));
    summary_->setWordWrap(true);
    layout->addWidget(summary_);

    auto* buttons = new QDialogButtonBox(this);
    applyButton_ = buttons->addButton(tr("应用"), QDialogButtonBox::ActionRole);
    applyButton_->setObjectName(QStringLiteral("ProfileApply"));
    auto* copy = buttons->addButton(tr("复制结果"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("ProfileCopy"));
    buttons->addButton(tr("关闭"), QDialogButtonBox::RejectRole);
    connect(applyButton_, &QPushButton::clicked, this, &ProfileWindow::apply);
    connect(copy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(resultText()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &ProfileWindow::reject);
    layout->addWidget(buttons);
}

void ProfileWindow::reject() {
    // Closing mid-way would leave the reader half set up, unrecorded.
    if (!applying_)
        QDialog::reject();
}

void ProfileWindow::addResult(const QString& reader, const SettingResult& result) {
    addRow(results_,
           {reader, result.setting, outcomeCaption(result.outcome), result.detail.trimmed()});
    results_->scrollToBottom();
}

void ProfileWindow::apply() {
    const bool everyReader = allReaders_->isChecked();
    const QList<ReaderInfo> readers = settings::EveryReader::targets(link_.device(), everyReader);
    if (readers.isEmpty()) {
        summary_->setText(tr("未找到读卡器"));
        return;
    }

    std::optional<ConfigurationRecord> record;
    if (journal_)
        record.emplace(journal_->database());

    applying_ = true;
    applyButton_->setEnabled(false);
    results_->setRowCount(0);
    progress_->setRange(
        0, qMax(1, settings::ProfileApplier::resultCount(profile_) * int(readers.size())));
    progress_->setValue(0);
    settings::ProfileApplier applier(link_);
    QStringList summary;
    settings::EveryReader every;
    every.name = readerName;
    every.progress = [this](const QString& name, const SettingResult& r, int done) {
        addResult(name, r);
        progress_->setValue(done);
    };
    every.finished = [&](const settings::EveryReader::Application& a) {
        if (a.gone) {
            addResult(a.name, {QStringLiteral("reader"), SettingResult::Outcome::NoReply,
                               tr("读卡器已断开")});
            summary << tr("%1：已断开").arg(a.name);
            return;
        }
        QString line = tr("%1：设置完成").arg(a.name);
        for (const SettingResult& r : a.results)
            if (r.outcome != SettingResult::Outcome::Success) {
                line =
                    tr("%1：设置失败（%2 %3）").arg(a.name, r.setting, outcomeCaption(r.outcome));
                break;
            }
        if (!a.recordError.isEmpty())
            line += tr("（记录失败：%1）").arg(a.recordError);
        summary << line;
        link_.log(line + QStringLiteral("   ") + link_.time() + kCrLf);
    };
    every.apply(applier, record ? &*record : nullptr, profile_, readers, everyReader);
    progress_->setValue(progress_->maximum());
    results_->resizeColumnsToContents();
    summary_->setText(summary.join(QLatin1Char('\n')));
    applyButton_->setEnabled(true);
    applying_ = false;
}

QString ProfileWindow::resultText() const {
    QStringList lines;
    for (int row = 0; row < results_->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < results_->columnCount(); ++column)
            cells << (results_->item(row, column) ? results_->item(row, column)->text()
                                                  : QString());
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
