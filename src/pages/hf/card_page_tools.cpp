#include "card_page_tools.h"

#include "pages/page_support.h"

#include <QCheckBox>

ReplyTexts fieldReport(ReaderLink& link, const QString& success, const QString& failure,
                       bool successLineBreak, const QList<ReplyField>& fields) {
    ReplyTexts texts(success, failure, successLineBreak);
    texts.successLines = [&link, success, successLineBreak, fields](const QString& replyText,
                                                                    const QString& time) {
        link.log(success + time + (successLineBreak ? kCrLf : QString()));
        for (const ReplyField& field : fields) {
            const QString data = field.last ? reply::bytes(replyText, field.first, field.last)
                                            : reply::bytesToEnd(replyText, field.first);
            link.log(field.label + data + (field.lineBreak ? kCrLf : QString()));
        }
    };
    return texts;
}

void addContinuousMode(PageContext& context, const ContinuousMode& mode) {
    context.registerLoopBox(mode.box);
    QObject::connect(mode.box, &QCheckBox::clicked, mode.box, [&context, mode](bool checked) {
        if (!checked)
            return;
        guarded(context, [&] {
            repeatWhileChecked(mode.box, [&] {
                mode.operation();
                const int pause = context.hfInterval() + mode.extraMs;
                if (mode.untilReply)
                    context.link.Delay(pause);
                else
                    context.link.Delayy(pause);
            });
        });
    });
}
