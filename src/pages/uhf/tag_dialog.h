#pragma once

#include "pages/page_context.h"
#include "uhf/tag_access.h"

#include <QDialog>
#include <QString>
#include <functional>

class HexWordsModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableView;

// Operations on one chosen tag: read any bank, edit the User bank word by
// word, set its passwords, lock its areas, kill it. The tag is selected by its
// TID once that is known (its EPC until then), before every operation; the
// title and every log line name it.
class TagDialog : public QDialog {
    Q_OBJECT
  public:
    // The five lock areas, in the lock payload's order.
    static constexpr int lockAreas = 5;

    TagDialog(PageContext& context, const QByteArray& epc, QWidget* parent = nullptr);
    ~TagDialog() override;

    // Chooses the tag by its EPC, which reads its TID: from then on it is
    // chosen by that.
    void identify();
    // How the tag is named in the title and the log: its TID when known.
    QString tagName() const;
    HexWordsModel* userWords() const { return userWords_; }

    void ReadClick();
    void UserReadClick();
    void UserWriteClick();
    void AccessPasswordClick();
    void KillPasswordClick();
    void LockClick();
    void KillClick();

  protected:
    void reject() override;

  private:
    // Runs one operation with the controls greyed, so that no second one
    // starts in its waits; refused input shows the error box.
    void operation(const std::function<void()>& body);
    // The line logged for the tag: "标签 <name>：<text>   <time>".
    void logLine(const QString& text);
    // Chooses the tag again before an operation; false (and the line why)
    // when that failed.
    bool choose();
    // Chooses the tag and reads words of a bank; the outcome is logged.
    bool readBank(int bank, int word, int count, QByteArray* words);
    // Why the last operation failed, without the tag's name.
    QString reason() const;
    // A password edit's 8 hex digits; anything else is refused, naming what.
    static quint32 password(const QLineEdit* edit, const QString& what);
    quint32 accessPassword() const;
    // Writes the new access (or kill) password typed to the Reserved bank.
    void setPassword(bool kill);
    void showIdentity();
    static QString bankName(int bank);
    static QString tidDescription(const QByteArray& tid);

    PageContext& context_;
    uhf::TagAccess access_;
    uhf::TagId tag_;
    bool busy_ = false;
    bool killed_ = false;
    QLabel* identity_;
    QLineEdit* password_;
    QTabWidget* tabs_;
    QComboBox* bank_;
    QSpinBox* address_;
    QSpinBox* count_;
    QPlainTextEdit* readResult_;
    QSpinBox* userAddress_;
    QSpinBox* userCount_;
    QTableView* userTable_;
    HexWordsModel* userWords_;
    QPushButton* userWrite_;
    QLabel* userChanged_;
    QLineEdit* newAccess_;
    QLineEdit* newKill_;
    QComboBox* lock_[lockAreas];
    QLineEdit* killPassword_;
};
