#include "log_pane.h"

#include <QRegularExpression>
#include <QScrollBar>

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
    // operator's own edits and is dropped at each appended line, so that the
    // undo history cannot grow with the log.
    document()->setUndoRedoEnabled(true);
}

void LogPane::appendLine(const QString& text) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r"));
    QString normalised = text;
    normalised.replace(lineBreak, QStringLiteral("\n"));
    document()->setUndoRedoEnabled(false);
    appendPlainText(normalised);
    document()->setUndoRedoEnabled(true);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

QStringList LogPane::lines() const {
    if (document()->isEmpty())
        return {};
    return toPlainText().split(QLatin1Char('\n'));
}
