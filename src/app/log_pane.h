#pragma once

#include "protocol/log_sink.h"

#include <QAbstractTextDocumentLayout>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTimer>

// The log pane RichEdit1: every outcome of the program is a line here. It
// holds at most `capacity` lines and `characterBudget` characters; beyond
// either the oldest lines go, so a continuous mode left running for days, or
// a device flooding the serial port, keeps appending fast in bounded memory.
//
// Appended lines are shown together once per display frame (or once per
// burstCharacters), so that a burst of lines costs one update of the pane,
// not one each. Whatever reads the
// pane through this class sees every line at once.
class LogPane : public QPlainTextEdit, public LogSink {
    Q_OBJECT
  public:
    static constexpr int capacity = 100000;
    // 16 M characters: thousands of 4,096-character lines of received bytes
    // as hex, about 32 MB of text.
    static constexpr qsizetype characterBudget = 16 * 1024 * 1024;
    // Twenty updates a second read as live, and a burst costs one layout.
    static constexpr int frameMs = 50;
    // A flood is shown in updates of this size, sooner than the frame, so
    // that no single update keeps the window from answering for long.
    static constexpr qsizetype burstCharacters = 128 * 1024;

    explicit LogPane(QWidget* parent = nullptr);

    // CR LF, CR and LF each start a further line.
    void appendLine(const QString& text) override;
    QStringList lines();
    // Shows the lines appended since the last frame now.
    void flush();

    // These replace the edit box's own so that they take the lines not yet
    // shown into account: clearing drops them too, selecting all takes them in.
    void clear();
    void selectAll();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void paintBlock(QPainter& painter, const QTextBlock& block, QPointF offset,
                    const QRect& exposed, const QAbstractTextDocumentLayout::PaintContext& context);
    void dropOldestPending();
    void trimDocument();
    void keepShapedTextOfLastLines(int appended);

    QStringList pending_;
    qsizetype pendingCharacters_ = 0;
    QTimer frame_;
};
