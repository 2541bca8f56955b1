#include "card_page_tools.h"

#include "pages/page_support.h"
#include "protocol/hex_text.h"

#include <QCheckBox>

namespace reply {

QString bytes(const QString& replyText, int first, int last) {
    if (last < first)
        return QString();
    return hex::mid(replyText, 2 * first - 1, 2 * (last - first + 1));
}

QString bytesToEnd(const QString& replyText, int first) {
    const int length = hex::mid(replyText, 5, 2).toInt(nullptr, 16);
    return bytes(replyText, first, length + 3);
}

} // namespace reply

ReplyTexts fieldReport(ReaderLink& link, const QString& success, const QString& failure,
                       bool successLineBreak, const QList<ReplyField>& fields) {
    ReplyTexts texts(success, failure, successLineBreak);
    texts.successLines = [&link, success, successLineBreak, fields](const QString& replyText,
                                                                    const QString& time) {
        const QString crlf = QStringLiteral("\r\n");
        link.log(success + time + (successLineBreak ? crlf : QString()));
        for (const ReplyField& field : fields) {
            const QString data = field.last ? reply::bytes(replyText, field.first, field.last)
                                            : reply::bytesToEnd(replyText, field.first);
            link.log(field.label + data + (field.lineBreak ? crlf : QString()));
        }
    };
    return texts;
}

void runCardCommand(const PageContext& context, const CardCommand& command) {
    guarded(context,
            [&] { context.link.command(command.payload(), command.waitMs, command.texts); });
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
