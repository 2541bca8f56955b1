#include "tag_dialog.h"

#include "hex_words_model.h"
#include "pages/page_support.h"
#include "protocol/conversion.h"
#include "protocol/hex_text.h"
#include "uhf/tag_access.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int maxWriteWords = uhf::TagAccess::maxWordsPerCommand;

const char* const bankNames[] = {
    QT_TRANSLATE_NOOP("TagDialog", "保留区 (Reserved)"), QT_TRANSLATE_NOOP("TagDialog", "EPC 区"),
    QT_TRANSLATE_NOOP("TagDialog", "TID 区"), QT_TRANSLATE_NOOP("TagDialog", "User 区")};

const char* const areaNames[TagDialog::lockAreas] = {
    QT_TRANSLATE_NOOP("TagDialog", "灭活密码"), QT_TRANSLATE_NOOP("TagDialog", "访问密码"),
    QT_TRANSLATE_NOOP("TagDialog", "EPC 区"), QT_TRANSLATE_NOOP("TagDialog", "TID 区"),
    QT_TRANSLATE_NOOP("TagDialog", "User 区")};

// The lock choices; item 0 leaves the area as it is.
const char* const lockChoices[] = {
    QT_TRANSLATE_NOOP("TagDialog", "不变"), QT_TRANSLATE_NOOP("TagDialog", "开放"),
    QT_TRANSLATE_NOOP("TagDialog", "锁定"), QT_TRANSLATE_NOOP("TagDialog", "永久锁定"),
    QT_TRANSLATE_NOOP("TagDialog", "永久开放")};
enum LockChoice { Unchanged, Open, Locked, PermaLocked, PermaOpen };

QString spaced(const QString& hexDigits) {
    QStringList words;
    for (int i = 0; i < hexDigits.size(); i += 4)
        words << hexDigits.mid(i, 4);
    return words.join(QLatin1Char(' '));
}

} // namespace

TagDialog::TagDialog(PageContext& context, const QByteArray& epc, QWidget* parent)
    : QDialog(parent), context_(context), access_(context.link) {
    tag_.epc = epc;
    setObjectName(QStringLiteral("TagDialog"));
    identity_ = named(new QLabel(this), "TagIdentityLabel");
    identity_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    password_ = makeEdit(this, "TagAccessPassword", QStringLiteral("00000000"));
    password_->setToolTip(tr("读保留区、写入、设置密码和锁定时使用的访问密码（8 位十六进制）"));

    tabs_ = named(new QTabWidget(this), "TagTabs");

    // Any bank, read only.
    auto* readPage = new QWidget;
    QStringList banks;
    for (const char* name : bankNames)
        banks << tr(name);
    bank_ = makeCombo(readPage, "TagBankCombo", banks);
    bank_->setCurrentIndex(int(uhf::Bank::Tid));
    address_ = named(new QSpinBox(readPage), "TagWordAddress");
    address_->setRange(0, 0xFFFF);
    count_ = named(new QSpinBox(readPage), "TagWordCount");
    count_->setRange(1, maxWriteWords);
    count_->setValue(gen2::tidWords);
    auto* read = makeButton(readPage, "TagReadButton", tr("读取"));
    connect(read, &QPushButton::clicked, this, &TagDialog::ReadClick);
    readResult_ = named(new QPlainTextEdit(readPage), "TagReadResult");
    readResult_->setReadOnly(true);
    auto* readRow = new QHBoxLayout;
    readRow->addWidget(bank_);
    readRow->addWidget(makeLabel(readPage, tr("起始字")));
    readRow->addWidget(address_);
    readRow->addWidget(makeLabel(readPage, tr("字数")));
    readRow->addWidget(count_);
    readRow->addWidget(read);
    readRow->addStretch();
    auto* readColumn = new QVBoxLayout(readPage);
    readColumn->addLayout(readRow);
    readColumn->addWidget(readResult_);
    tabs_->addTab(readPage, tr("读存储区"));

    // The User bank as a hex editor.
    auto* userPage = new QWidget;
    userAddress_ = named(new QSpinBox(userPage), "UserWordAddress");
    userAddress_->setRange(0, 0xFFFF);
    userCount_ = named(new QSpinBox(userPage), "UserWordCount");
    userCount_->setRange(1, maxWriteWords);
    userCount_->setValue(maxWriteWords);
    auto* userRead = makeButton(userPage, "UserReadButton", tr("读取"));
    connect(userRead, &QPushButton::clicked, this, &TagDialog::UserReadClick);
    userWrite_ = makeButton(userPage, "UserWriteButton", tr("写入改动"));
    userWrite_->setEnabled(false);
    connect(userWrite_, &QPushButton::clicked, this, &TagDialog::UserWriteClick);
    userChanged_ =
        named(new QLabel(tr("先读取 User 区，再改写其中的字"), userPage), "UserChangedLabel");
    userWords_ = new HexWordsModel(this);
    connect(userWords_, &HexWordsModel::changedCountChanged, this, [this](int count) {
        userWrite_->setEnabled(count > 0);
        userChanged_->setText(tr("改动 %1 个字（标色），只写入改动的字").arg(count));
    });
    userTable_ = named(new QTableView(userPage), "UserTable");
    userTable_->setModel(userWords_);
    userTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    userTable_->verticalHeader()->setDefaultSectionSize(userTable_->fontMetrics().height() + 6);
    auto* userRow = new QHBoxLayout;
    userRow->addWidget(makeLabel(userPage, tr("起始字")));
    userRow->addWidget(userAddress_);
    userRow->addWidget(makeLabel(userPage, tr("字数")));
    userRow->addWidget(userCount_);
    userRow->addWidget(userRead);
    userRow->addStretch();
    userRow->addWidget(userWrite_);
    auto* userColumn = new QVBoxLayout(userPage);
    userColumn->addLayout(userRow);
    userColumn->addWidget(userTable_, 1);
    userColumn->addWidget(userChanged_);
    tabs_->addTab(userPage, tr("User 区"));

    // Passwords.
    auto* passwordPage = new QWidget;
    newAccess_ = makeEdit(passwordPage, "NewAccessPassword", QString());
    newKill_ = makeEdit(passwordPage, "NewKillPassword", QString());
    auto* setAccess = makeButton(passwordPage, "SetAccessPasswordButton", tr("设置访问密码"));
    connect(setAccess, &QPushButton::clicked, this, &TagDialog::AccessPasswordClick);
    auto* setKill = makeButton(passwordPage, "SetKillPasswordButton", tr("设置灭活密码"));
    connect(setKill, &QPushButton::clicked, this, &TagDialog::KillPasswordClick);
    auto* passwordGrid = new QGridLayout(passwordPage);
    passwordGrid->addWidget(makeLabel(passwordPage, tr("新访问密码")), 0, 0);
    passwordGrid->addWidget(newAccess_, 0, 1);
    passwordGrid->addWidget(setAccess, 0, 2);
    passwordGrid->addWidget(makeLabel(passwordPage, tr("新灭活密码")), 1, 0);
    passwordGrid->addWidget(newKill_, 1, 1);
    passwordGrid->addWidget(setKill, 1, 2);
    passwordGrid->addWidget(
        named(
            new QLabel(tr("密码为 8 位十六进制数字，写入保留区（访问密码：第 2–3 字，灭活密码：第 "
                          "0–1 字）。若访问密码已锁定，须在上方填写当前的访问密码。"),
                       passwordPage),
            "PasswordNote"),
        2, 0, 1, 3);
    passwordGrid->itemAtPosition(2, 0)->widget()->setProperty("wordWrap", true);
    passwordGrid->setRowStretch(3, 1);
    tabs_->addTab(passwordPage, tr("密码"));

    // Lock.
    auto* lockPage = new QWidget;
    auto* lockGrid = new QGridLayout(lockPage);
    QStringList choices;
    for (const char* choice : lockChoices)
        choices << tr(choice);
    static const char* const lockNames[lockAreas] = {"LockKillPassword", "LockAccessPassword",
                                                     "LockEpc", "LockTid", "LockUser"};
    for (int area = 0; area < lockAreas; ++area) {
        lock_[area] = makeCombo(lockPage, lockNames[area], choices);
        lockGrid->addWidget(makeLabel(lockPage, tr(areaNames[area])), area, 0);
        lockGrid->addWidget(lock_[area], area, 1);
    }
    auto* lock = makeButton(lockPage, "LockButton", tr("锁定"));
    connect(lock, &QPushButton::clicked, this, &TagDialog::LockClick);
    lockGrid->addWidget(lock, lockAreas - 1, 2);
    auto* lockNote = named(
        new QLabel(
            tr("标签的锁定状态无法读回：Gen2 标签没有读取锁定状态的命令，只能记下这里设定的内容。"
               "锁定后，写入（密码区还有读取）须先用访问密码；永久锁定和永久开放以后再也不能改变"
               "。"),
            lockPage),
        "LockNote");
    lockNote->setWordWrap(true);
    lockGrid->addWidget(lockNote, lockAreas, 0, 1, 3);
    lockGrid->setColumnStretch(1, 1);
    lockGrid->setRowStretch(lockAreas + 1, 1);
    tabs_->addTab(lockPage, tr("锁定"));

    // Kill.
    auto* killPage = new QWidget;
    killPassword_ = makeEdit(killPage, "KillPassword", QString());
    auto* kill = makeButton(killPage, "KillButton", tr("灭活标签"));
    connect(kill, &QPushButton::clicked, this, &TagDialog::KillClick);
    auto* killNote = named(new QLabel(tr("灭活后标签永久失效，再也不会应答。灭活密码为 00000000 "
                                         "的标签不能灭活。确认时须输入该标签的 EPC。"),
                                      killPage),
                           "KillNote");
    killNote->setWordWrap(true);
    auto* killGrid = new QGridLayout(killPage);
    killGrid->addWidget(makeLabel(killPage, tr("灭活密码")), 0, 0);
    killGrid->addWidget(killPassword_, 0, 1);
    killGrid->addWidget(kill, 0, 2);
    killGrid->addWidget(killNote, 1, 0, 1, 3);
    killGrid->setRowStretch(2, 1);
    tabs_->addTab(killPage, tr("灭活"));

    auto* close = makeButton(this, "TagCloseButton", tr("关闭"));
    connect(close, &QPushButton::clicked, this, &TagDialog::reject);
    auto* top = new QFormLayout;
    top->addRow(tr("标签："), identity_);
    top->addRow(tr("访问密码："), password_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addWidget(tabs_, 1);
    column->addLayout(buttons);
    resize(620, 460);
    showIdentity();
}

TagDialog::~TagDialog() = default;

QString TagDialog::tagName() const {
    return tag_.text();
}

void TagDialog::showIdentity() {
    setWindowTitle(tr("标签操作：%1").arg(tagName()));
    QString text = QStringLiteral("EPC ") + hex::fromBytes(tag_.epc);
    if (!tag_.tid.isEmpty())
        text += QStringLiteral("\nTID ") + hex::fromBytes(tag_.tid) + QStringLiteral("\n") +
                tidDescription(tag_.tid);
    identity_->setText(text);
}

void TagDialog::reject() {
    // Closing in the middle of an exchange would pull the dialog from under it.
    if (!busy_)
        QDialog::reject();
}

void TagDialog::operation(const std::function<void()>& body) {
    if (busy_)
        return;
    busy_ = true;
    tabs_->setEnabled(false);
    const QPointer<TagDialog> alive(this);
    guarded(context_, body);
    if (!alive)
        return;
    busy_ = false;
    tabs_->setEnabled(true);
}

void TagDialog::logLine(const QString& text) {
    context_.link.log(tr("标签 %1：%2").arg(tagName(), text) + QStringLiteral("   ") +
                      context_.link.time());
}

QString TagDialog::bankName(int bank) {
    return tr(bankNames[bank]);
}

QString TagDialog::reason() const {
    // The module's refusals name the tag; the line names it already.
    const QString prefix = access_.tag().text() + QStringLiteral("：");
    const QString text = access_.errorText();
    return text.startsWith(prefix) ? text.mid(prefix.size()) : text;
}

bool TagDialog::choose() {
    if (access_.choose(tag_) == uhf::TagAccess::Outcome::Done) {
        tag_ = access_.tag();
        return true;
    }
    logLine(tr("选择标签失败：%1").arg(reason()));
    return false;
}

bool TagDialog::readBank(int bank, int word, int count, QByteArray* words) {
    const quint32 password = accessPassword();
    if (!choose())
        return false;
    if (access_.read(uhf::Bank(bank), word, count, password, words) !=
        uhf::TagAccess::Outcome::Done) {
        logLine(tr("读 %1 第 %2 字起 %3 字失败：%4")
                    .arg(bankName(bank))
                    .arg(word)
                    .arg(count)
                    .arg(reason()));
        return false;
    }
    logLine(tr("读 %1 第 %2 字起 %3 字：%4")
                .arg(bankName(bank))
                .arg(word)
                .arg(count)
                .arg(spaced(hex::fromBytes(*words))));
    return true;
}

void TagDialog::identify() {
    operation([this] {
        if (choose())
            logLine(
                tr("已选定（EPC %1）：%2").arg(hex::fromBytes(tag_.epc), tidDescription(tag_.tid)));
        showIdentity();
    });
}

QString TagDialog::tidDescription(const QByteArray& tid) {
    const uhf::TidInfo info = uhf::decodeTid(tid);
    if (info.tidClass < 0)
        return tr("TID 未知");
    if (!info.valid)
        return tr("TID 类别 %1").arg(hex::byte(info.tidClass));
    return tr("TID 类别 %1（%2），厂商代码 %3，型号 %4")
        .arg(hex::byte(info.tidClass), info.className(),
             QStringLiteral("%1").arg(info.maskDesigner, 3, 16, QLatin1Char('0')).toUpper(),
             QStringLiteral("%1").arg(info.model, 3, 16, QLatin1Char('0')).toUpper());
}

void TagDialog::ReadClick() {
    operation([this] {
        const int bank = bank_->currentIndex();
        QByteArray words;
        if (!readBank(bank, address_->value(), count_->value(), &words))
            return;
        QString text = spaced(hex::fromBytes(words));
        if (bank == int(uhf::Bank::Tid) && address_->value() == 0)
            text += QStringLiteral("\n") + tidDescription(words);
        readResult_->setPlainText(text);
    });
}

void TagDialog::UserReadClick() {
    operation([this] {
        QByteArray words;
        if (readBank(int(uhf::Bank::User), userAddress_->value(), userCount_->value(), &words))
            userWords_->load(userAddress_->value(), words);
    });
}

void TagDialog::UserWriteClick() {
    operation([this] {
        const QList<HexWordsModel::Run> runs =
            userWords_->changedRuns(uhf::TagAccess::maxWordsPerCommand);
        const quint32 password = accessPassword();
        if (runs.isEmpty() ||
            QMessageBox::question(this, windowTitle(),
                                  tr("向标签 %1 的 User 区写入改动的 %2 个字？")
                                      .arg(tagName())
                                      .arg(userWords_->changedCount())) != QMessageBox::Yes)
            return;
        if (!choose())
            return;
        for (const HexWordsModel::Run& run : runs) {
            const int count = int(run.data.size() / 2);
            if (access_.write(uhf::Bank::User, run.wordAddress, run.data, password) !=
                uhf::TagAccess::Outcome::Done) {
                logLine(tr("写 %1 第 %2 字起 %3 字失败：%4")
                            .arg(bankName(int(uhf::Bank::User)))
                            .arg(run.wordAddress)
                            .arg(count)
                            .arg(reason()));
                return;
            }
            userWords_->written(run);
            logLine(tr("写 %1 第 %2 字起 %3 字：%4")
                        .arg(bankName(int(uhf::Bank::User)))
                        .arg(run.wordAddress)
                        .arg(count)
                        .arg(spaced(hex::fromBytes(run.data))));
        }
    });
}

quint32 TagDialog::password(const QLineEdit* edit, const QString& what) {
    QString digits;
    if (!hex::strictDigits(edit->text(), &digits) || digits.size() != 8)
        throw InputError(tr("%1须为 8 位十六进制数字（4 字节）：%2").arg(what, edit->text()));
    return digits.toUInt(nullptr, 16);
}

quint32 TagDialog::accessPassword() const {
    return password(password_, tr("访问密码"));
}

void TagDialog::setPassword(bool kill) {
    using Setter = uhf::TagAccess::Outcome (uhf::TagAccess::*)(quint32, quint32);
    static const struct {
        QLineEdit* TagDialog::*edit;
        Setter set;
        const char* what;
        const char* done;
        const char* failed;
    } passwords[] = {
        {&TagDialog::newAccess_, &uhf::TagAccess::setAccessPassword, QT_TR_NOOP("新访问密码"),
         QT_TR_NOOP("访问密码已设置"), QT_TR_NOOP("设置访问密码失败：%1")},
        {&TagDialog::newKill_, &uhf::TagAccess::setKillPassword, QT_TR_NOOP("新灭活密码"),
         QT_TR_NOOP("灭活密码已设置"), QT_TR_NOOP("设置灭活密码失败：%1")},
    };
    const auto& entry = passwords[kill];
    operation([this, &entry] {
        const quint32 next = password(this->*entry.edit, tr(entry.what));
        const quint32 current = accessPassword();
        if (!choose())
            return;
        if ((access_.*entry.set)(next, current) == uhf::TagAccess::Outcome::Done)
            logLine(tr(entry.done));
        else
            logLine(tr(entry.failed).arg(reason()));
    });
}

void TagDialog::AccessPasswordClick() {
    setPassword(false);
}

void TagDialog::KillPasswordClick() {
    setPassword(true);
}

void TagDialog::LockClick() {
    operation([this] {
        uhf::LockPlan plan;
        QStringList chosen;
        QStringList permanent;
        for (int area = 0; area < lockAreas; ++area) {
            const int choice = lock_[area]->currentIndex();
            if (choice == Unchanged)
                continue;
            const auto action = uhf::LockAction(choice - 1);
            plan.set(uhf::LockArea(area), action);
            const QString text = tr("%1：%2").arg(tr(areaNames[area]), lock_[area]->currentText());
            chosen << text;
            if (action == uhf::LockAction::Permalock || action == uhf::LockAction::Permaopen)
                permanent << text;
        }
        if (plan.isEmpty())
            throw InputError(tr("请至少为一个区域选择锁定方式"));
        const quint32 current = accessPassword();
        if (QMessageBox::question(
                this, windowTitle(),
                tr("锁定标签 %1：\n%2\n\n标签的锁定状态无法读回，请记下这次的设定。确定锁定？")
                    .arg(tagName(), chosen.join(QLatin1Char('\n')))) != QMessageBox::Yes)
            return;
        if (plan.permanent() &&
            QMessageBox::warning(
                this, windowTitle(),
                tr("以下设定是永久的，无法撤销，以后再也不能改变：\n%1\n\n仍然继续？")
                    .arg(permanent.join(QLatin1Char('\n'))),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            return;
        if (!choose())
            return;
        if (access_.lock(plan, current) == uhf::TagAccess::Outcome::Done)
            logLine(tr("已锁定：%1").arg(chosen.join(QStringLiteral("，"))));
        else
            logLine(tr("锁定失败：%1").arg(reason()));
    });
}

void TagDialog::KillClick() {
    operation([this] {
        const quint32 kill = password(killPassword_, tr("灭活密码"));
        // A tag does not take a kill with a zero password: nothing to confirm.
        if (kill == 0)
            throw InputError(tr("灭活密码为 00000000 的标签不能灭活，命令未发送。"));
        bool ok = false;
        const QString typed = QInputDialog::getText(
            this, windowTitle(),
            tr("灭活后标签 %1 永久失效，无法恢复。\n请输入该标签的 EPC 以确认：").arg(tagName()),
            QLineEdit::Normal, QString(), &ok);
        if (!ok)
            return;
        if (hex::digitsOf(typed).toUpper() != hex::fromBytes(tag_.epc))
            throw InputError(
                tr("输入的 EPC 与标签的 EPC %1 不符，未灭活。").arg(hex::fromBytes(tag_.epc)));
        if (!choose())
            return;
        if (access_.kill(kill) != uhf::TagAccess::Outcome::Done) {
            logLine(tr("灭活失败：%1").arg(reason()));
            return;
        }
        logLine(tr("已灭活"));
        killed_ = true;
    });
    // A killed tag answers nothing more.
    if (killed_)
        tabs_->setEnabled(false);
}
