#include "terminal_memo.h"

#include <QMimeData>
#include <QTextCursor>
#include <algorithm>

TerminalMemo::TerminalMemo(qsizetype limit, const QString& text, QWidget* parent)
    : QPlainTextEdit(text, parent), limit_(limit) {}

QString TerminalMemo::brokenLines(const QString& text) {
    QString broken;
    broken.reserve(text.size() + text.size() / kLineLength);
    qsizetype run = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('\n')) {
            run = 0;
        } else if (run == kLineLength) {
            broken += QLatin1Char('\n');
            run = 1;
        } else {
            ++run;
        }
        broken += c;
    }
    return broken;
}

void TerminalMemo::insertFromMimeData(const QMimeData* source) {
    if (!source->hasText())
        return;
    QTextCursor cursor = textCursor();
    // characterCount counts the end of the last line as well.
    const qsizetype kept =
        document()->characterCount() - 1 - (cursor.selectionEnd() - cursor.selectionStart());
    const qsizetype room = std::max<qsizetype>(limit_ - kept, 0);
    QString text = source->text();
    const qsizetype dropped = std::max<qsizetype>(text.size() - room, 0);
    text.truncate(room);
    cursor.insertText(brokenLines(text));
    ensureCursorVisible();
    if (dropped > 0)
        emit insertionCut(dropped);
}
