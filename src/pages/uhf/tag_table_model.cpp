#include "tag_table_model.h"

#include "protocol/csv_text.h"
#include "protocol/hex_text.h"
#include "uhf/gs1_epc.h"

#include <QBrush>
#include <QCoreApplication>
#include <QDateTime>
#include <QPalette>
#include <numeric>

namespace {

const char* const headers[] = {"EPC",
                               QT_TRANSLATE_NOOP("TagTableModel", "GS1 标签 URI"),
                               "PC",
                               QT_TRANSLATE_NOOP("TagTableModel", "次数"),
                               QT_TRANSLATE_NOOP("TagTableModel", "RSSI 最近"),
                               QT_TRANSLATE_NOOP("TagTableModel", "RSSI 峰值"),
                               QT_TRANSLATE_NOOP("TagTableModel", "RSSI 平均"),
                               QT_TRANSLATE_NOOP("TagTableModel", "首次读到"),
                               QT_TRANSLATE_NOOP("TagTableModel", "最近读到"),
                               QT_TRANSLATE_NOOP("TagTableModel", "读/秒 (5 s)")};

const uhf::TagOrder orders[] = {uhf::TagOrder::Epc,         uhf::TagOrder::Epc,
                                uhf::TagOrder::Pc,          uhf::TagOrder::Reads,
                                uhf::TagOrder::RssiLast,    uhf::TagOrder::RssiPeak,
                                uhf::TagOrder::RssiAverage, uhf::TagOrder::FirstSeen,
                                uhf::TagOrder::LastSeen,    uhf::TagOrder::Rate};

QString dBm(double value) {
    return QString::number(value, 'f', 1);
}

QString localTime(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

TagTableModel::TagTableModel(const uhf::InventoryStatistics& statistics, QObject* parent)
    : QAbstractTableModel(parent), statistics_(statistics) {}

int TagTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int TagTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString TagTableModel::cell(int row, int column) const {
    const int tag = rows_[size_t(row)];
    const uhf::TagStatistics& t = statistics_.tag(tag);
    switch (column) {
    case Epc:
        return hex::fromBytes(t.epc);
    case Uri: {
        auto uri = uris_.find(tag);
        if (uri == uris_.end())
            uri = uris_.insert(tag, gs1::tagUriOf(hex::fromBytes(t.epc)));
        return *uri;
    }
    case Pc:
        return hex::byte(t.pc >> 8) + hex::byte(t.pc & 0xFF);
    case Reads:
        return QString::number(t.reads);
    case RssiLast:
        return dBm(t.rssiLast);
    case RssiPeak:
        return dBm(t.rssiPeak);
    case RssiAverage:
        return dBm(t.rssiAverage());
    case FirstSeen:
        return localTime(t.firstSeen);
    case LastSeen:
        return localTime(t.lastSeen);
    case Rate:
        return QString::number(statistics_.tagReadsPerSecond(tag), 'f', 1);
    }
    return QString();
}

QVariant TagTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size()))
        return QVariant();
    if (role == Qt::DisplayRole)
        return cell(index.row(), index.column());
    if (role == Qt::TextAlignmentRole && index.column() >= Reads)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ForegroundRole && greyAfterMs_ > 0 &&
        statistics_.now() - statistics_.tag(rows_[size_t(index.row())]).lastSeen > greyAfterMs_)
        return QBrush(QPalette().color(QPalette::Disabled, QPalette::Text));
    return QVariant();
}

QVariant TagTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QCoreApplication::translate("TagTableModel", headers[section]);
}

void TagTableModel::refresh() {
    if (statistics_.generation() != generation_) {
        beginResetModel();
        generation_ = statistics_.generation();
        uris_.clear();
        rows_.resize(size_t(statistics_.tagCount()));
        std::iota(rows_.begin(), rows_.end(), 0);
        resort();
        endResetModel();
        return;
    }
    const int known = int(rows_.size());
    if (statistics_.tagCount() > known) {
        beginInsertRows(QModelIndex(), known, statistics_.tagCount() - 1);
        for (int tag = known; tag < statistics_.tagCount(); ++tag)
            rows_.push_back(tag);
        endInsertRows();
    }
    if (sortColumn_ >= 0) {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList before = persistentIndexList();
        QList<int> tags;
        for (const QModelIndex& index : before)
            tags << rows_[size_t(index.row())];
        resort();
        std::vector<int> rowOfTag(rows_.size());
        for (size_t row = 0; row < rows_.size(); ++row)
            rowOfTag[size_t(rows_[row])] = int(row);
        QModelIndexList after;
        for (int i = 0; i < before.size(); ++i)
            after << index(rowOfTag[size_t(tags[i])], before[i].column());
        changePersistentIndexList(before, after);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }
    if (!rows_.empty())
        emit dataChanged(index(0, 0), index(int(rows_.size()) - 1, ColumnCount - 1));
}

void TagTableModel::resort() {
    if (sortColumn_ < 0)
        return;
    rows_ = statistics_.sortedRows(orders[sortColumn_], sortOrder_ == Qt::DescendingOrder);
}

void TagTableModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ColumnCount)
        return;
    sortColumn_ = column;
    sortOrder_ = order;
    refresh();
}

QString TagTableModel::text(const QList<int>& rows, bool csv) const {
    const auto line = [csv](const QStringList& fields) {
        return csv ? csvLine(fields) : fields.join('\t') + '\n';
    };
    QStringList header;
    for (const char* h : headers)
        header << QCoreApplication::translate("TagTableModel", h);
    QString text = line(header);
    const auto add = [&](int row) {
        QStringList fields;
        for (int column = 0; column < ColumnCount; ++column)
            fields << cell(row, column);
        text += line(fields);
    };
    if (rows.isEmpty())
        for (int row = 0; row < int(rows_.size()); ++row)
            add(row);
    else
        for (int row : rows)
            add(row);
    return text;
}
