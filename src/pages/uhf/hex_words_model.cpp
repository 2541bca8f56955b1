#include "hex_words_model.h"

#include "protocol/hex_text.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace {

QString wordText(quint16 word) {
    return QStringLiteral("%1").arg(word, 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace

HexWordsModel::HexWordsModel(QObject* parent) : QAbstractTableModel(parent) {}

void HexWordsModel::load(int firstWord, const QByteArray& words) {
    beginResetModel();
    firstWord_ = firstWord;
    read_.clear();
    for (qsizetype i = 0; i + 1 < words.size(); i += 2)
        read_ << quint16(quint8(words[i]) << 8 | quint8(words[i + 1]));
    current_ = read_;
    endResetModel();
    emit changedCountChanged(0);
}

QByteArray HexWordsModel::words() const {
    QByteArray bytes;
    for (quint16 word : current_) {
        bytes.append(char(word >> 8));
        bytes.append(char(word & 0xFF));
    }
    return bytes;
}

int HexWordsModel::changedCount() const {
    int count = 0;
    for (int i = 0; i < read_.size(); ++i)
        count += changed(i);
    return count;
}

QList<HexWordsModel::Run> HexWordsModel::changedRuns(int maxWords) const {
    QList<Run> runs;
    for (int i = 0; i < read_.size(); ++i) {
        if (!changed(i))
            continue;
        if (runs.isEmpty() || !changed(i - 1) || runs.last().data.size() == 2 * maxWords)
            runs.append(Run{firstWord_ + i, {}});
        runs.last().data.append(char(current_[i] >> 8));
        runs.last().data.append(char(current_[i] & 0xFF));
    }
    return runs;
}

void HexWordsModel::written(const Run& run) {
    for (int w = 0; w < run.data.size() / 2; ++w) {
        const int i = run.wordAddress - firstWord_ + w;
        if (i < 0 || i >= read_.size())
            continue;
        read_[i] = current_[i];
        const QModelIndex cell = index(i / wordsPerRow, i % wordsPerRow);
        emit dataChanged(cell, cell);
    }
    emit changedCountChanged(changedCount());
}

int HexWordsModel::wordAt(const QModelIndex& index) const {
    if (!index.isValid())
        return -1;
    const int i = index.row() * wordsPerRow + index.column();
    return i < read_.size() ? i : -1;
}

int HexWordsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int((read_.size() + wordsPerRow - 1) / wordsPerRow);
}

int HexWordsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : wordsPerRow;
}

QVariant HexWordsModel::data(const QModelIndex& index, int role) const {
    const int i = wordAt(index);
    if (i < 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return wordText(current_[i]);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::FontRole:
        if (changed(i)) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::BackgroundRole:
        return changed(i) ? QVariant(QBrush(QColor(255, 224, 160))) : QVariant();
    case Qt::ToolTipRole:
        return changed(i) ? tr("读到的值：%1（未写入）").arg(wordText(read_[i])) : QVariant();
    default:
        return {};
    }
}

bool HexWordsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const int i = wordAt(index);
    if (i < 0 || role != Qt::EditRole)
        return false;
    const QString text = value.toString().simplified().remove(QLatin1Char(' '));
    if (text.isEmpty() || text.size() > 4 || hex::digitsOf(text) != text)
        return false;
    const int changedBefore = changedCount();
    current_[i] = quint16(text.toUInt(nullptr, 16));
    emit dataChanged(index, index);
    if (changedCount() != changedBefore)
        emit changedCountChanged(changedCount());
    return true;
}

Qt::ItemFlags HexWordsModel::flags(const QModelIndex& index) const {
    if (wordAt(index) < 0)
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

QVariant HexWordsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return QStringLiteral("+%1").arg(section);
    return QString::number(firstWord_ + section * wordsPerRow);
}
