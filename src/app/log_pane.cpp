#include "log_pane.h"

#include <QGlyphRun>
#include <QPaintEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <algorithm>

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

namespace {

// Whether the characters of the text are drawn from left to right in their
// order, so that those between the two at the edges of the view are all those
// in it: no right-to-left or complex script, which all come from U+0590 on.
bool drawnInOrder(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x0590; });
}

// Draws the glyphs of the layout's lines that fall in the exposed rectangle,
// and a line's height either side for ink beyond a glyph's advance.
void drawVisibleGlyphs(QPainter& painter, const QTextLayout& layout, QPointF origin,
                       const QRect& exposed) {
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        const qreal margin = line.height();
        const int first =
            line.xToCursor(exposed.left() - origin.x() - margin, QTextLine::CursorOnCharacter);
        const int end = qMin(line.xToCursor(exposed.right() + 1 - origin.x() + margin,
                                            QTextLine::CursorOnCharacter) +
                                 1,
                             line.textStart() + line.textLength());
        if (first >= end)
            continue;
        for (const QGlyphRun& run : line.glyphRuns(first, end - first))
            painter.drawGlyphRun(origin, run);
    }
}

} // namespace

// Paints as the edit box does, but of a line that runs past the view only
// the glyphs in it: a line of received bytes is 4,096 characters, a screen
// shows a hundred of them, and drawing all of them at each paint was the most
// of what the pane cost under a steady feed. The pane holds plain text, shows
// no placeholder and never overwrites, so it has no block backgrounds,
// placeholder or block cursor to draw.
void LogPane::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    QPointF offset = contentOffset();
    QRect exposed = event->rect();
    // The right margin stays clear of the cursor's and selections' ends.
    const qreal width = document()->documentLayout()->documentSize().width();
    exposed.setRight(
        qMin(exposed.right(), int(offset.x() + qMax(qreal(viewport()->width()), width) -
                                  document()->documentMargin() + cursorWidth())));
    painter.setBrushOrigin(offset);
    painter.setClipRect(exposed);
    const QAbstractTextDocumentLayout::PaintContext context = getPaintContext();
    painter.setPen(context.palette.text().color());
    for (QTextBlock block = firstVisibleBlock();
         block.isValid() && offset.y() <= viewport()->height(); block = block.next()) {
        const QRectF bounds = blockBoundingRect(block).translated(offset);
        if (block.isVisible() && bounds.bottom() >= exposed.top() &&
            bounds.top() <= exposed.bottom())
            paintBlock(painter, block, offset, exposed, context);
        offset.ry() += bounds.height();
    }
}

void LogPane::paintBlock(QPainter& painter, const QTextBlock& block, QPointF offset,
                         const QRect& exposed,
                         const QAbstractTextDocumentLayout::PaintContext& context) {
    QTextLayout* layout = block.layout();
    const int position = block.position();
    QList<QTextLayout::FormatRange> selections;
    for (const QAbstractTextDocumentLayout::Selection& range : context.selections) {
        const int start = range.cursor.selectionStart() - position;
        const int end = range.cursor.selectionEnd() - position;
        if (start < block.length() && end > 0 && end > start)
            selections.append({start, end - start, range.format});
    }
    const QString preedit = layout->preeditAreaText();
    // Only a layout that keeps its glyphs is drawn in part: the edit box's
    // drawing frees the glyphs of the others after it. Selected and preedit
    // text are drawn by the edit box, as are lines all in view.
    const qreal left = offset.x() + layout->position().x();
    const bool runsPastTheView =
        left < exposed.left() || left + layout->maximumWidth() > exposed.right() + 1;
    if (selections.isEmpty() && preedit.isEmpty() && layout->cacheEnabled() && runsPastTheView &&
        drawnInOrder(block.text()))
        drawVisibleGlyphs(painter, *layout, offset + layout->position(), exposed);
    else
        layout->draw(&painter, offset, selections, exposed);

    const bool cursorShown =
        !isReadOnly() || (textInteractionFlags() & Qt::TextSelectableByKeyboard);
    const int cursor = context.cursorPosition;
    if (cursorShown && cursor >= position && cursor < position + block.length())
        layout->drawCursor(&painter, offset, cursor - position, cursorWidth());
    else if (!isReadOnly() && cursor < -1 && !preedit.isEmpty())
        layout->drawCursor(&painter, offset, layout->preeditAreaPosition() - (cursor + 2),
                           cursorWidth());
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
