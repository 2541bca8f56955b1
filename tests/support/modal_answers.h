#pragma once

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// Answers the message boxes and input dialogs that come up, in turn: "yes"
// and "no" for a message box, "cancel" or the text to type for an input
// dialog. Keeps the text of each; one asked beyond the answers is refused.
class ModalAnswers {
  public:
    explicit ModalAnswers(QStringList answers) : answers_(std::move(answers)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { answerOne(); });
        timer_.start(5);
    }

    QStringList asked;

  private:
    void answerOne() {
        QWidget* modal = QApplication::activeModalWidget();
        const QString answer = answers_.isEmpty() ? QStringLiteral("cancel") : answers_.first();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            asked << box->text();
            box->button(answer == QLatin1String("yes") ? QMessageBox::Yes : QMessageBox::No)
                ->click();
        } else if (auto* input = qobject_cast<QInputDialog*>(modal)) {
            asked << input->labelText();
            input->setTextValue(answer);
            answer == QLatin1String("cancel") ? input->reject() : input->accept();
        } else {
            return;
        }
        if (!answers_.isEmpty())
            answers_.removeFirst();
    }

    QStringList answers_;
    QTimer timer_;
};
