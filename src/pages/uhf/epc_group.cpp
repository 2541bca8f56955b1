#include "epc_group.h"

#include "gs1_start_dialog.h"
#include "pages/page_support.h"
#include "protocol/conversion.h"
#include "protocol/frames.h"
#include "protocol/hex_text.h"
#include "uhf/epc_number.h"
#include "uhf/gs1_epc.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QSettings>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

namespace {

const QString notExist = QStringLiteral("The card is not exist..!   ");
const QString noData = QStringLiteral("error,no data  receive..   ");

// Automatic issuing pauses Edit61 plus this many milliseconds between attempts.
constexpr int pauseExtra = 100;

// Where the key file "写后锁定" uses is kept.
const QString keyFileSetting = QStringLiteral("issuing/accessKeyFile");

QSettings settings() {
    return QSettings(QStringLiteral("rfid-setup"), QStringLiteral("rfid-setup"));
}

} // namespace

EpcGroup::EpcGroup(PageContext& context, QWidget* parent)
    : QGroupBox(tr("EPC自动写卡"), parent), context_(context), operations_(context.link) {
    setObjectName(QStringLiteral("GroupBox35"));

    number_ = makeEdit(this, "Edit54", QStringLiteral("000000000000000000000001"));
    QFont large = number_->font();
    large.setPixelSize(32);
    number_->setFont(large);
    step_ = makeEdit(this, "Edit62", QStringLiteral("1"));
    password_ = makeEdit(this, "Edit63", QStringLiteral("00 00 00 00"));
    pause_ = makeEdit(this, "Edit61", QStringLiteral("2"));
    step_->setFixedWidth(70);
    password_->setFixedWidth(110);
    pause_->setFixedWidth(50);

    auto* order = makeGroup(this, "GroupBox37", QString());
    auto* orderRow = new QHBoxLayout(order);
    orderRow->setContentsMargins(6, 2, 6, 2);
    forward_ = makeRadio(order, "Forward", tr("正加"), true);
    orderRow->addWidget(forward_);
    reverse_ = makeRadio(order, "reverse", tr("反加"));
    orderRow->addWidget(reverse_);

    readEpc_ = makeEdit(this, "Edit53", QString());
    foundEpc_ = makeEdit(this, "Edit60", QString());
    epcbuf_ = makeEdit(this, "epcbuf", QStringLiteral("epcbuf"));
    epcbuf_->setEnabled(false);
    for (QLineEdit* hidden : {readEpc_, foundEpc_, epcbuf_})
        hidden->hide();

    issuing_ = makeCheckBox(this, "CheckBox20", tr("自动发卡  "));
    context_.registerLoopBox(issuing_);

    // Under the number rather than beside it, where it would hide some of the
    // number's 24 digits at the large font.
    gs1Start_ = makeButton(this, "Gs1StartButton", QStringLiteral("GS1..."));
    gs1Start_->setToolTip(tr("由 GTIN 和序列号生成起始EPC号"));
    gs1Start_->hide();
    connect(gs1Start_, &QPushButton::clicked, this, [this] {
        Gs1StartDialog dialog(this);
        if (dialog.exec() == QDialog::Accepted)
            number_->setText(dialog.epc());
    });

    auto* stepRow = new QHBoxLayout;
    stepRow->addWidget(makeLabel(this, tr("每次累加      ")));
    stepRow->addWidget(step_);
    stepRow->addWidget(order);
    stepRow->addStretch();
    stepRow->addWidget(gs1Start_);

    auto* settingsRow = new QHBoxLayout;
    settingsRow->addWidget(makeLabel(this, tr("访问密码(16进制):   ")));
    settingsRow->addWidget(password_);
    settingsRow->addStretch();
    settingsRow->addWidget(makeLabel(this, tr("写卡等待时间:        ")));
    settingsRow->addWidget(pause_);
    settingsRow->addWidget(makeLabel(this, tr("毫秒   ")));

    // Off by default: automatic issuing then writes as it always has.
    lockAfterWrite_ = makeCheckBox(this, "LockAfterWriteCheck", tr("写后锁定"));
    lockAfterWrite_->setToolTip(
        tr("写卡并读回后，给每个标签设置由密钥和TID生成的访问密码，锁定EPC和访问密码，并验证"));
    auto* keyButton = makeButton(this, "AccessKeyButton", tr("密钥文件..."));
    connect(keyButton, &QPushButton::clicked, this, &EpcGroup::chooseKeyFile);
    keyFile_ = makeLabel(this, QString());
    keyFile_->setObjectName(QStringLiteral("AccessKeyPath"));
    keyFile_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long path must not widen the page; the whole of it is in the tool tip.
    keyFile_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    showKeyFile();
    auto* lockRow = new QHBoxLayout;
    lockRow->addWidget(lockAfterWrite_);
    lockRow->addWidget(keyButton);
    lockRow->addWidget(keyFile_, 1);

    // One descriptor per button: control name, caption, handler.
    const struct {
        const char* name;
        const char* caption;
        void (EpcGroup::*click)();
    } buttons[] = {
        {"Button65", QT_TRANSLATE_NOOP("EpcGroup", "读EPC号"), &EpcGroup::Button65Click},
        {"Button67", QT_TRANSLATE_NOOP("EpcGroup", "读卡"), &EpcGroup::Button67Click},
        {"Button66", QT_TRANSLATE_NOOP("EpcGroup", "写卡"), &EpcGroup::Button66Click},
        {"Button70", QT_TRANSLATE_NOOP("EpcGroup", "清除界面"), &EpcGroup::Button70Click},
    };
    auto* buttonRow = new QHBoxLayout;
    for (const auto& button : buttons) {
        auto* widget = makeButton(this, button.name, tr(button.caption));
        connect(widget, &QPushButton::clicked, this, button.click);
        buttonRow->addWidget(widget);
    }
    // Automatic issuing sits beside the write button it repeats.
    buttonRow->insertWidget(3, issuing_);
    connect(issuing_, &QCheckBox::clicked, this, &EpcGroup::CheckBox20Click);

    // Compact: the read-mode and relay groups share the page above.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    order->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 4, 6, 4);
    column->setSpacing(4);
    column->addWidget(number_);
    column->addLayout(stepRow);
    column->addLayout(settingsRow);
    column->addLayout(lockRow);
    column->addLayout(buttonRow);
}

void EpcGroup::Button65Click() {
    ReaderLink& link = context_.link;
    const QString reply = operations_.exchange(EpcOperations::inventoryFrame);
    if (reply.size() == 16)
        link.log(notExist + link.time() + kCrLf);
    else if (reply.isEmpty())
        link.log(noData + link.time() + kCrLf);
    else if (reply.size() > 20) {
        link.log(QStringLiteral("the epc is: ") + uhfReply::epc(reply));
        logGs1(uhfReply::epc(reply));
    }
}

void EpcGroup::Button67Click() {
    ReaderLink& link = context_.link;
    const QString reply = operations_.exchange(EpcOperations::inventoryFrame);
    if (reply.size() == 16) {
        link.log(notExist + link.time() + kCrLf);
        return;
    }
    // Without a reply the select and read still go out, with no EPC to select.
    if (reply.isEmpty())
        link.log(noData + link.time() + kCrLf);
    else if (reply.size() > 20) {
        link.log(QStringLiteral("the epc is: ") + hex::mid(reply, 17, 24));
        logGs1(hex::mid(reply, 17, 24));
    }
    readEpc_->setText(hex::mid(reply, 17, 24));

    // This select goes to the reader as it is, not through the tunnel; neither
    // its reply nor that of the read is looked at.
    const QString select =
        QStringLiteral(" 00 0c 00  13 01 00 00  00 20 60 00 ") + readEpc_->text();
    link.SendHex(uhfFrame(select));
    link.Delay(EpcOperations::replyWait);
    operations_.exchange(uhfReadFrame(QStringLiteral("00 00 00 00"), gen2::epcBank, 0, 8));
}

void EpcGroup::Button66Click() {
    writeCard();
}

bool EpcGroup::numberCanBeWritten() {
    const QString epc = number_->text();
    // Anything else would reach the tag cut short; an odd digit count is
    // said in these words too, not as a conversion error.
    const QString problem = epcNumberProblem(epc);
    if (!problem.isEmpty()) {
        context_.showError(tr("%1，未写卡").arg(problem));
        return false;
    }
    try {
        addhex(epc, step_->text(), reverse_->isChecked());
    } catch (const ConversionError& error) {
        context_.showError(error.message());
        return false;
    }
    return true;
}

bool EpcGroup::writeCard() {
    ReaderLink& link = context_.link;
    number_->setText(hex::digitsOf(number_->text()));
    if (!numberCanBeWritten())
        return false;

    const QString tag = operations_.exchange(EpcOperations::inventoryFrame);
    if (tag.size() == 16) {
        link.log(notExist + link.time());
        return true;
    }
    if (tag.isEmpty()) {
        link.log(noData + link.time() + kCrLf);
        return true;
    }
    foundEpc_->setText(uhfReply::epc(tag));
    // The tag already carries the number written last. Typed numbers may be
    // lower case, while the tag reads back in upper case.
    if (epcbuf_->text().compare(foundEpc_->text(), Qt::CaseInsensitive) == 0)
        return true;
    operations_.selectEpc(foundEpc_->text());
    // Words from 0: the StoredCRC as read, the PC word, the EPC.
    const QString epc = number_->text();
    operations_.writeEpc(password_->text(), uhfReply::storedCrc(tag), epc);
    const QString written = context_.link.ReplyText();
    const QString command = uhfReply::command(written);
    if (written.isEmpty()) {
        link.log(noData + link.time() + kCrLf);
    } else if (command == QLatin1String("49")) {
        link.log(tr("写卡成功,卡号") + epc);
        logGs1(epc);
        epcbuf_->setText(epc);
        try {
            number_->setText(addhex(epc, step_->text(), reverse_->isChecked()));
        } catch (const ConversionError& error) {
            context_.showError(error.message());
            return false;
        }
    } else if (command == QLatin1String("FF")) {
        // The module refused the write: the tag does not carry the number.
        link.log(tr("写卡失败   ") + link.time() + kCrLf);
    } else {
        link.log(QStringLiteral("check sum error.....   ") + link.time() + kCrLf);
    }
    return true;
}

void EpcGroup::CheckBox20Click() {
    const QPointer<EpcGroup> alive(this);
    lock_.reset();
    if (issuing_->isChecked() && lockAfterWrite_->isChecked() && !startLocking()) {
        issuing_->setChecked(false);
        return;
    }
    if (issuer_)
        issuer_->setLock(lock_);
    showIssuingCaption();
    repeatWhileChecked(issuing_, [this] {
        if (!(journal_ ? issueWithJournal() : writeCard())) {
            issuing_->setChecked(false);
            return;
        }
        int pause = 0;
        try {
            pause = strToInt(pause_->text());
        } catch (const ConversionError& error) {
            context_.showError(error.message());
            issuing_->setChecked(false);
            return;
        }
        context_.link.Delayy(int(std::min<qint64>(qint64(pause) + pauseExtra, INT_MAX)));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    });
    if (alive)
        showIssuingCaption();
}

void EpcGroup::showIssuingCaption() {
    issuing_->setText(issuing_->isChecked() ? tr("停止发卡") : tr("自动发卡"));
}

void EpcGroup::Button70Click() {
    context_.clearLog();
}

EpcGroup::~EpcGroup() = default;

bool EpcGroup::issuing() const {
    return attempting_ || issuing_->isChecked();
}

void EpcGroup::showGs1(bool on) {
    gs1_ = on;
    gs1Start_->setVisible(on);
}

void EpcGroup::logGs1(const QString& epc) {
    if (!gs1_)
        return;
    QString why;
    const std::optional<gs1::Epc> decoded = gs1::decode(epc, &why);
    context_.link.log(decoded ? QStringLiteral("GS1: ") + decoded->tagUri()
                              : tr("GS1: 不是GS1编码 (%1)").arg(why));
}

void EpcGroup::useJournal(IssuingJournal* journal) {
    issuer_.reset();
    journal_ = journal;
    if (!journal_)
        return;
    ReaderLink& link = context_.link;
    if (const std::optional<IssuingJournal::Series> series =
            journal_->lastSeries(journal_->station())) {
        makeIssuer(*series);
        const EpcIssuer::Settlement settled = issuer_->settlePending();
        for (const IssuingJournal::Record& record : settled.uncertain)
            link.log(tr("卡号 %1 写卡结果不明（标签 %2 不在场），此号不再使用   ")
                         .arg(record.epc, record.tid) +
                     link.time() + kCrLf);
        step_->setText(series->step);
        (series->reverse ? reverse_ : forward_)->setChecked(true);
    }
    showSeries();
}

// Edit54 shows the number the journal's series gives next.
void EpcGroup::showSeries() {
    if (!issuer_)
        return;
    if (const std::optional<QString> next = journal_->nextNumber(issuer_->series()))
        number_->setText(*next);
}

bool EpcGroup::issueWithJournal() {
    ReaderLink& link = context_.link;
    number_->setText(hex::digitsOf(number_->text()).toUpper());
    if (!numberCanBeWritten())
        return false;
    // The series goes on while the controls show its next number; anything
    // else typed there begins a series of its own.
    const bool sameSeries = issuer_ && issuer_->series().step == stepValue(step_->text()) &&
                            issuer_->series().reverse == reverse_->isChecked() &&
                            journal_->nextNumber(issuer_->series()) == number_->text();
    if (!sameSeries) {
        const std::optional<IssuingJournal::Series> series =
            journal_->openSeries(number_->text(), step_->text(), reverse_->isChecked());
        if (!series) {
            context_.showError(journal_->errorText());
            return false;
        }
        makeIssuer(*series);
        if (!keyFitsSeries())
            return false;
    }

    attempting_ = true;
    const EpcIssuer::Attempt attempt = issuer_->attempt();
    attempting_ = false;
    switch (attempt.event) {
    case EpcIssuer::Event::NoTag:
        link.log(notExist + link.time());
        break;
    case EpcIssuer::Event::NoReply:
        link.log(noData + link.time() + kCrLf);
        break;
    case EpcIssuer::Event::SameTag:
        break;
    case EpcIssuer::Event::Unreadable:
        link.log(tr("读标签TID失败：%1   ").arg(attempt.detail) + link.time() + kCrLf);
        break;
    case EpcIssuer::Event::Skipped:
        link.log(tr("标签 %1 已发卡号 %2，不再写   ").arg(attempt.tid, attempt.epc) + link.time() +
                 kCrLf);
        logLock(attempt.tid, attempt.lock, attempt.lockDetail);
        break;
    case EpcIssuer::Event::Issued:
        link.log(tr("写卡成功,卡号") + attempt.epc);
        logGs1(attempt.epc);
        epcbuf_->setText(attempt.epc);
        logLock(attempt.tid, attempt.lock, attempt.lockDetail);
        break;
    case EpcIssuer::Event::NotWritten:
        link.log(tr("写卡失败   ") + link.time() + kCrLf);
        break;
    case EpcIssuer::Event::Uncertain:
        link.log(tr("卡号 %1 写卡结果不明，此号不再使用   ").arg(attempt.epc) + link.time() +
                 kCrLf);
        break;
    case EpcIssuer::Event::Conflict:
    case EpcIssuer::Event::JournalFailed:
    case EpcIssuer::Event::Exhausted:
        context_.showError(attempt.detail);
        return false;
    }
    showSeries();
    return true;
}

void EpcGroup::makeIssuer(const IssuingJournal::Series& series) {
    issuer_ = std::make_unique<EpcIssuer>(operations_, *journal_, series, journal_->station());
    issuer_->tagDone = tagRemover(context_.link.device());
    issuer_->setLock(lock_);
}

bool EpcGroup::startLocking() {
    if (!journal_) {
        context_.showError(tr("写后锁定要把每个标签的锁定记入发卡记录：请先勾选“系统 → "
                              "自动发卡使用发卡记录”"));
        return false;
    }
    const QString file = settings().value(keyFileSetting).toString();
    if (file.isEmpty()) {
        context_.showError(tr("写后锁定需要密钥文件：请先点“密钥文件...”选择"));
        return false;
    }
    QString why;
    const std::optional<AccessKey> key = AccessKey::load(file, &why);
    if (!key) {
        context_.showError(why);
        return false;
    }
    uhf::LockPlan plan;
    plan.set(uhf::LockArea::Epc, uhf::LockAction::Lock)
        .set(uhf::LockArea::AccessPassword, uhf::LockAction::Lock);
    lock_ = EpcIssuer::LockSetup{plan, *key};
    if (!issuer_)
        return true;
    issuer_->setLock(lock_);
    if (!keyFitsSeries())
        return false;
    const EpcIssuer::Settlement settled = issuer_->settlePending();
    for (const IssuingJournal::Record& record : settled.locked + settled.lockLeft)
        logLock(record.tid, record.lock, QString());
    return true;
}

bool EpcGroup::keyFitsSeries() {
    if (!lock_)
        return true;
    const QString id = lock_->key.id();
    for (const QString& other : journal_->keyIds(issuer_->series().id))
        if (other != id) {
            context_.showError(tr("此系列的标签是用密钥 %1 锁定的，不是所选密钥 %2：请选择密钥 "
                                  "%1 的文件")
                                   .arg(other, id));
            return false;
        }
    return true;
}

void EpcGroup::chooseKeyFile() {
    const QString file = QFileDialog::getOpenFileName(this, tr("选择密钥文件"),
                                                      settings().value(keyFileSetting).toString());
    if (file.isEmpty())
        return;
    QString why;
    if (!AccessKey::load(file, &why)) {
        context_.showError(why);
        return;
    }
    settings().setValue(keyFileSetting, file);
    showKeyFile();
}

void EpcGroup::showKeyFile() {
    const QString file = settings().value(keyFileSetting).toString();
    keyFile_->setText(file.isEmpty() ? tr("未选择密钥文件") : file);
    keyFile_->setToolTip(file);
}

void EpcGroup::logLock(const QString& tid, const IssuingJournal::Lock& lock,
                       const QString& detail) {
    if (!lock.inUse())
        return;
    ReaderLink& link = context_.link;
    const QString why = detail.isEmpty() ? QString() : QStringLiteral("：") + detail;
    const QString said =
        lock.verified == IssuingJournal::Step::Done
            ? tr("标签 %1 已锁定并验证（%2）").arg(tid, lock.plan)
        : lock.failed()
            ? tr("标签 %1 锁定失败（%2）%3").arg(tid, lockText(lock), why)
            : tr("标签 %1 锁定未完成（%2），标签再次出现时补做%3").arg(tid, lockText(lock), why);
    link.log(said + QStringLiteral("   ") + link.time() + kCrLf);
}
