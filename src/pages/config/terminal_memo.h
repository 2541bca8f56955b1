#pragma once

#include <QPlainTextEdit>

// The terminal's text box (Memo1). It holds at most a fixed number of
// characters, and breaks long lines where text comes in: one unbroken line
// of a megabyte takes the text layout more than a minute, the same text in
// lines of a kilobyte a few milliseconds. Line breaks change nothing that is
// sent, as only the hex digits count.
class TerminalMemo : public QPlainTextEdit {
    Q_OBJECT
  public:
    static constexpr qsizetype kLineLength = 1024;

    TerminalMemo(qsizetype limit, const QString& text, QWidget* parent = nullptr);

    // Text with every line longer than kLineLength broken into such lines.
    static QString brokenLines(const QString& text);

  signals:
    // A paste or drop was cut to fit: dropped characters were left out.
    void insertionCut(qsizetype dropped);

  protected:
    void insertFromMimeData(const QMimeData* source) override;

  private:
    const qsizetype limit_;
};
