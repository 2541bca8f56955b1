#pragma once

#include "pages/page_context.h"

#include <QString>
#include <functional>
#include <stdexcept>

class QPushButton;
class QWidget;

// Operator input that a command cannot carry (a number too large for its
// byte, a name the reader would split). Like a conversion error it stops the
// command before anything is sent and shows its message in the error box.
class InputError : public std::runtime_error {
  public:
    explicit InputError(const QString& message);
    QString message() const;
};

// Parameter bytes of a command, as hex text, from the operator's controls.
namespace parameter {
// Decimal text as an integer 0..max; InputError names the text and the range.
int decimal(const QString& text, int max);
// Decimal text, 0..max, as two hex digits ("10" gives "0A").
QString decimalByte(const QString& text, int max = 255);
// Hex text read with "$" before it, 00..FF, as two hex digits.
QString hexByte(const QString& text);
// 01 when set, 00 when not.
QString flag(bool set);
} // namespace parameter

// A button that sends one command, waits for the reply and reports it with the
// common reply check. payload may raise ConversionError or InputError:
// the error box then shows and nothing is sent. texts is asked after the wait,
// so texts that name a control's state show it as the reply is judged.
struct CommandButton {
    const char* name;
    QString caption;
    std::function<QString()> payload;
    int waitMs;
    std::function<ReplyTexts()> texts;
};

// Texts that do not depend on the page's state.
std::function<ReplyTexts()> fixedTexts(const QString& success, const QString& failure,
                                       bool successLineBreak = true);

void runCommand(const PageContext& context, const CommandButton& command);

// The button, named and captioned, running its command when clicked.
QPushButton* makeCommandButton(QWidget* parent, const PageContext& context,
                               const CommandButton& command);
