#include "log_pane.h"

#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

LogPane::LogPane(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("RichEdit1"));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(13);
    setFont(font);
    setMaximumBlockCount(capacity);
    // Limiting the block count switches undo off; undo stays for the
    // operator's own edits and is dropped at each appended batch, so that the
    // undo history cannot grow with the log.
    document()->setUndoRedoEnabled(true);
    frame_.setSingleShot(true);
    frame_.setInterval(frameMs);
    connect(&frame_, &QTimer::timeout, this, &LogPane::flush);
}

void LogPane::appendLine(const QString& text) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r"));
    QString normalised = text;
    normalised.replace(lineBreak, QStringLiteral("\n"));
    for (const QString& line : normalised.split(QLatin1Char('\n'))) {
        pending_ << line;
        pendingCharacters_ += line.size() + 1;
    }
    dropOldestPending();
    if (pendingCharacters_ >= burstCharacters)
        flush();
    else if (!frame_.isActive())
        frame_.start();
}

// Lines that could not stay in the pane anyway are not kept waiting for it.
void LogPane::dropOldestPending() {
    while (pending_.size() > 1 &&
           (pending_.size() > capacity || pendingCharacters_ > characterBudget)) {
        pendingCharacters_ -= pending_.constFirst().size() + 1;
        pending_.removeFirst();
    }
}

void LogPane::flush() {
    frame_.stop();
    if (pending_.isEmpty())
        return;
    QString text = pending_.join(QLatin1Char('\n'));
    const int appended = int(pending_.size());
    pending_.clear();
    pendingCharacters_ = 0;
    document()->setUndoRedoEnabled(false);
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    if (!document()->isEmpty())
        cursor.insertBlock();
    cursor.insertText(text);
    cursor.endEditBlock();
    trimDocument();
    document()->setUndoRedoEnabled(true);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    keepShapedTextOfLastLines(appended);
}

// A text layout shapes its line afresh at every paint unless it keeps the
// shaped glyphs, and lines of received bytes are thousands of characters
// long: repainting the pane after each reception would shape every line on
// screen again. The lines at the bottom, where the pane is scrolled to, keep
// their glyphs; a line that moved away from there gives them up, so the
// memory they take stays that of one screen. (The lines cached before are
// one run just above those appended now, so the walk ends at the first line
// above both that caches none.)
void LogPane::keepShapedTextOfLastLines(int appended) {
    const int kept = viewport()->height() / qMax(1, fontMetrics().lineSpacing()) + 2;
    int counted = 0;
    for (QTextBlock block = document()->lastBlock(); block.isValid(); block = block.previous()) {
        QTextLayout* layout = block.layout();
        if (counted++ < kept) {
            layout->setCacheEnabled(true);
            continue;
        }
        if (!layout->cacheEnabled()) {
            if (counted <= appended)
                continue;
            break;
        }
        layout->setCacheEnabled(false);
        // Drops its glyphs and lines; the pane lays the line out again when
        // it is scrolled to.
        layout->setText(QString());
    }
}

// The line count is bounded by the document itself; this bounds the
// characters, taking whole lines from the top and keeping at least the last.
void LogPane::trimDocument() {
    qsizetype excess = document()->characterCount() - characterBudget;
    if (excess <= 0)
        return;
    QTextBlock block = document()->firstBlock();
    while (excess > 0 && block.next().isValid()) {
        excess -= block.length();
        block = block.next();
    }
    QTextCursor cursor(document());
    cursor.setPosition(block.position(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

QStringList LogPane::lines() {
    flush();
    if (document()->isEmpty())
        return {};
    return toPlainText().split(QLatin1Char('\n'));
}

void LogPane::clear() {
    pending_.clear();
    pendingCharacters_ = 0;
    frame_.stop();
    QPlainTextEdit::clear();
}

void LogPane::selectAll() {
    flush();
    QPlainTextEdit::selectAll();
}
