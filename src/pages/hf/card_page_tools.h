#pragma once

#include "pages/reader_command.h"
#include "protocol/reply.h"

#include <QList>
#include <QString>
#include <functional>

class QCheckBox;

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
