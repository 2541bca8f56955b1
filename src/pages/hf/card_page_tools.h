#pragma once

#include "pages/page_context.h"

#include <QList>
#include <QString>
#include <functional>

class QCheckBox;

// Reply bytes are counted from 1 at the header AA of the HF reply frame: byte 3
// is the length L, byte 4 the status, bytes 5 to L + 3 the data, byte L + 4 the XOR.
namespace reply {
// Bytes first..last as compact hex; a short reply gives a short or empty field.
QString bytes(const QString& replyText, int first, int last);
// Bytes first..L + 3: the rest of the data.
QString bytesToEnd(const QString& replyText, int first);
} // namespace reply

// One line of a card command's success report: a label and reply bytes.
struct ReplyField {
    QString label;
    int first;
    int last = 0; // 0: up to the end of the data (byte L + 3)
    bool lineBreak = false;
};

// The reply texts of a card command whose success report is the success text
// with the time stamp (a line break after it when successLineBreak), then one
// line per field.
ReplyTexts fieldReport(ReaderLink& link, const QString& success, const QString& failure,
                       bool successLineBreak, const QList<ReplyField>& fields);

// A button's command: payload built from the page's inputs at the time of the
// click, wait, and the texts of the common reply check.
struct CardCommand {
    std::function<QString()> payload;
    int waitMs = 0;
    ReplyTexts texts{QString(), QString()};
};

// Sends the command, waits and judges the reply; a conversion error in the
// payload shows the error box and sends nothing.
void runCardCommand(const PageContext& context, const CardCommand& command);

// A continuous mode: while box stays checked, the operation runs and then the
// loop pauses for the HF interval (Edit22) plus extraMs, read afresh each pass.
// A pause with untilReply ends as soon as a reply is there (Delay); otherwise it
// lasts the full time (Delayy). The loop starts when the operator ticks the box,
// and the box is registered so that closing the window unticks it.
struct ContinuousMode {
    QCheckBox* box;
    std::function<void()> operation;
    bool untilReply;
    int extraMs;
};
void addContinuousMode(PageContext& context, const ContinuousMode& mode);
