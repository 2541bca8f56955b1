#pragma once

#include "uhf/inventory.h"

#include <QAbstractTableModel>
#include <QHash>
#include <vector>

// The tag table of the inventory page over the run's statistics. The
// statistics take reads as they come; the table looks at them only when
// refresh() is called, at the page's steady repaint rate, so a flood of reads
// costs one table update per tick. Sorting is by the statistics' own keys.
class TagTableModel : public QAbstractTableModel {
  public:
    enum Column {
        Epc,
        Uri,
        Pc,
        Reads,
        RssiLast,
        RssiPeak,
        RssiAverage,
        FirstSeen,
        LastSeen,
        Rate,
        ColumnCount
    };

    explicit TagTableModel(const uhf::InventoryStatistics& statistics, QObject* parent = nullptr);

    // Takes in what the statistics gained since the last call.
    void refresh();
    // Tags not seen for this long are drawn grey; 0: never.
    void setGreyAfter(int seconds) { greyAfterMs_ = qint64(seconds) * 1000; }

    // The statistics' row of a table row.
    int tagRow(int row) const { return rows_[size_t(row)]; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The header and the rows given (all when empty), in table order, one
    // line each with the fields separated: tabs for the clipboard, CSV for a file.
    QString text(const QList<int>& rows, bool csv) const;

  private:
    QString cell(int row, int column) const;
    void resort();

    const uhf::InventoryStatistics& statistics_;
    std::vector<int> rows_;
    quint64 generation_ = 0;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    qint64 greyAfterMs_ = 0;
    // Tag URIs by statistics row: decoded once per tag.
    mutable QHash<int, QString> uris_;
};
