#include "epcis_export_dialog.h"

#include "uhf/epcis_export.h"
#include "uhf/issuing_journal.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace {

enum Since { All, AfterLast, FromTime };

} // namespace

EpcisExportDialog::EpcisExportDialog(IssuingJournal& journal, const QString& writeAddress,
                                     std::function<void(const QString&)> showError, QWidget* parent)
    : QDialog(parent), journal_(journal), writeAddress_(writeAddress),
      showError_(std::move(showError)) {
    setObjectName(QStringLiteral("EpcisExportDialog"));
    setWindowTitle(tr("导出 EPCIS 事件"));
    auto combo = [this](const char* name, const QStringList& items) {
        auto* box = new QComboBox(this);
        box->setObjectName(QLatin1String(name));
        box->addItems(items);
        return box;
    };
    format_ = combo("EpcisFormat", {QStringLiteral("JSON-LD"), QStringLiteral("XML")});
    since_ =
        combo("EpcisSince", {tr("全部记录"), tr("上次导出之后的记录"), tr("从以下时间起的记录")});
    sinceTime_ = new QDateTimeEdit(QDateTime::currentDateTime().addDays(-1), this);
    sinceTime_->setObjectName(QStringLiteral("EpcisSinceTime"));
    sinceTime_->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    sinceTime_->setEnabled(false);
    connect(since_, &QComboBox::currentIndexChanged, this,
            [this](int index) { sinceTime_->setEnabled(index == FromTime); });
    series_ = combo("EpcisSeries", {tr("全部号段")});
    station_ = combo("EpcisStation", {tr("全部工位")});
    QStringList stations;
    for (const IssuingJournal::SeriesSummary& summary : journal_.seriesSummaries()) {
        series_->addItem(tr("号段 %1：%2").arg(summary.series.id).arg(summary.series.start),
                         summary.series.id);
        for (const QString& name : summary.stations)
            if (!stations.contains(name))
                stations << name;
    }
    stations.sort();
    station_->addItems(stations);
    locations_ = EpcisStations(journal_.database()).locations().value_or(locations_);
    auto edit = [this](const char* name) {
        auto* line = new QLineEdit(this);
        line->setObjectName(QLatin1String(name));
        line->setPlaceholderText(QStringLiteral("urn:epc:id:sgln:…"));
        line->setMinimumWidth(320);
        return line;
    };
    readPoint_ = edit("EpcisReadPoint");
    bizLocation_ = edit("EpcisBizLocation");
    connect(station_, &QComboBox::currentIndexChanged, this, &EpcisExportDialog::stationChosen);
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("EpcisResult"));

    auto* form = new QFormLayout;
    form->addRow(tr("格式："), format_);
    form->addRow(tr("记录："), since_);
    form->addRow(QString(), sinceTime_);
    form->addRow(tr("号段："), series_);
    form->addRow(tr("工位："), station_);
    form->addRow(tr("读取点 (readPoint)："), readPoint_);
    form->addRow(tr("业务地点 (bizLocation)："), bizLocation_);
    auto* save = new QPushButton(tr("导出..."), this);
    save->setObjectName(QStringLiteral("EpcisSave"));
    connect(save, &QPushButton::clicked, this, [this] {
        const bool xml = format_->currentIndex() == 1;
        const QString file = QFileDialog::getSaveFileName(
            this, tr("导出 EPCIS 事件"),
            xml ? QStringLiteral("epcis.xml") : QStringLiteral("epcis.jsonld"),
            xml ? QStringLiteral("EPCIS XML (*.xml)")
                : QStringLiteral("EPCIS JSON-LD (*.jsonld *.json)"));
        if (!file.isEmpty())
            exportTo(file);
    });
    auto* close = new QPushButton(tr("关闭"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(result_, 1);
    buttons->addWidget(save);
    buttons->addWidget(close);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addLayout(buttons);
}

void EpcisExportDialog::stationChosen() {
    // A station's own location is shown; "every station" uses each one's own.
    const EpcisStations::Location own = station_->currentIndex() > 0
                                            ? locations_.value(station_->currentText())
                                            : EpcisStations::Location();
    readPoint_->setText(own.readPoint);
    bizLocation_->setText(own.bizLocation);
}

bool EpcisExportDialog::exportTo(const QString& fileName) {
    epcis::Request request;
    request.xml = format_->currentIndex() == 1;
    request.sinceLast = since_->currentIndex() == AfterLast;
    if (since_->currentIndex() == FromTime)
        request.since = sinceTime_->dateTime();
    request.series = series_->currentData().toLongLong();
    if (station_->currentIndex() > 0)
        request.station = station_->currentText();
    const EpcisStations::Location own = locations_.value(request.station);
    for (auto [edit, field, kept] :
         {std::tuple{readPoint_, &request.given.readPoint, &own.readPoint},
          std::tuple{bizLocation_, &request.given.bizLocation, &own.bizLocation}}) {
        const QString text = edit->text().trimmed();
        if (text.isEmpty() || (!request.station.isEmpty() && text == *kept))
            continue;
        if (const QString problem = epcis::sglnProblem(text); !problem.isEmpty()) {
            showError_(problem);
            return false;
        }
        *field = text;
    }
    IssuingJournal writer;
    EpcisStations stations(writer.database());
    if (epcis::writes(request)) {
        if (!writer.open(writeAddress_)) {
            showError_(writer.errorText());
            return false;
        }
        stations = EpcisStations(writer.database());
        if (!stations.prepare()) {
            showError_(stations.errorText());
            return false;
        }
    }
    epcis::Failure failure;
    const std::optional<epcis::Export> done =
        epcis::build(journal_, request, QDateTime::currentDateTimeUtc(), &failure);
    if (!done) {
        showError_(failure.text);
        return false;
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(done->document) < 0 || !file.commit()) {
        showError_(tr("%1：%2").arg(fileName, file.errorString()));
        return false;
    }
    if (epcis::writes(request) && !epcis::keep(stations, request, *done)) {
        showError_(stations.errorText());
        return false;
    }
    if (epcis::writes(request))
        locations_ = stations.locations().value_or(locations_);
    result_->setText(tr("已导出 %1 个事件").arg(done->events) +
                     (done->leftOut.isEmpty() ? QString() : tr("；%1").arg(done->leftOut)));
    return true;
}
