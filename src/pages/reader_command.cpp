#include "reader_command.h"

#include "pages/page_support.h"

void runCommand(const PageContext& context, const ReaderCommand& command) {
    guarded(context, [&] {
        ReaderLink& link = context.link;
        link.Send(command.payload());
        link.Delay(command.waitMs);
        link.judge(command.texts());
    });
}

void connectCommand(QPushButton* button, const PageContext& context, const ReaderCommand& command) {
    QObject::connect(button, &QPushButton::clicked, button,
                     [&context, command] { runCommand(context, command); });
}

QPushButton* makeCommandButton(QWidget* parent, const PageContext& context,
                               const CommandButton& button) {
    QPushButton* widget = makeButton(parent, button.name, button.caption);
    connectCommand(widget, context, button.command);
    return widget;
}
