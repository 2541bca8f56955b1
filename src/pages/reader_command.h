#pragma once

#include "pages/page_context.h"
#include "protocol/command_parameters.h"
#include "protocol/conversion.h"

#include <QString>
#include <functional>
#include <type_traits>

class QPushButton;
class QWidget;

// The texts of the common reply check for a command: fixed, or asked after
// the wait, so that texts naming a control's state show it as the reply is judged.
class CommandTexts {
  public:
    CommandTexts() : CommandTexts(ReplyTexts(QString(), QString())) {}
    CommandTexts(ReplyTexts fixed) : texts_([fixed = std::move(fixed)] { return fixed; }) {}
    template <class AtJudgement,
              class = std::enable_if_t<std::is_invocable_r_v<ReplyTexts, AtJudgement>>>
    CommandTexts(AtJudgement atJudgement) : texts_(std::move(atJudgement)) {}
    ReplyTexts operator()() const { return texts_(); }

  private:
    std::function<ReplyTexts()> texts_;
};

// One command of a page: its payload, built from the page's inputs at the
// time of the click, the wait for the reply, and the texts of the reply check.
struct ReaderCommand {
    std::function<QString()> payload;
    int waitMs = 0;
    CommandTexts texts;
};

// Sends the command, waits and reports the reply with the common reply check.
// Input the payload refuses (InputError, a conversion error too) shows the
// error box, and nothing is sent.
void runCommand(const PageContext& context, const ReaderCommand& command);

// The button runs the command when clicked.
void connectCommand(QPushButton* button, const PageContext& context, const ReaderCommand& command);

// A page's button for one command: objectName, caption, command.
struct CommandButton {
    const char* name;
    QString caption;
    ReaderCommand command;
};
QPushButton* makeCommandButton(QWidget* parent, const PageContext& context,
                               const CommandButton& button);
