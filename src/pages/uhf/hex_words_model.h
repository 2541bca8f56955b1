#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>

// Words of a tag's memory bank as an editable hex table, eight words a row.
// Every word keeps the value read from the tag; a word edited to another
// value is marked, and only the runs of marked words are written back.
class HexWordsModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int wordsPerRow = 8;

    // Consecutive changed words: the data of one write.
    struct Run {
        int wordAddress = 0;
        QByteArray data; // two bytes a word, high byte first
        bool operator==(const Run& other) const {
            return wordAddress == other.wordAddress && data == other.data;
        }
    };

    explicit HexWordsModel(QObject* parent = nullptr);

    // The words as read from the tag, the first at firstWord; nothing is changed.
    void load(int firstWord, const QByteArray& words);
    int firstWord() const { return firstWord_; }
    int wordCount() const { return int(read_.size()); }
    // The current words (as edited).
    QByteArray words() const;

    bool changed(int index) const { return read_[index] != current_[index]; }
    int changedCount() const;
    // The changed words, cut into runs of at most maxWords words.
    QList<Run> changedRuns(int maxWords) const;
    // The tag took this run: its words are now what the tag holds.
    void written(const Run& run);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Takes one to four hex digits (blanks ignored); anything else is refused
    // and the word keeps its value.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  signals:
    void changedCountChanged(int count);

  private:
    // The word of a cell; -1 past the last word.
    int wordAt(const QModelIndex& index) const;

    int firstWord_ = 0;
    QList<quint16> read_;
    QList<quint16> current_;
};
