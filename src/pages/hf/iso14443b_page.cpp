#include "iso14443b_page.h"

#include "pages/page_support.h"
#include "protocol/frames.h"
#include "protocol/hex_text.h"

#include <QGridLayout>
#include <QVBoxLayout>

namespace {

QString done() {
    return Iso14443bPage::tr("操作成功   ");
}
QString failed() {
    return Iso14443bPage::tr("操作失败   ");
}

// The message of the data exchange (Button36) for the code after a failed
// status: the reader's message for the card's codes (80 and up), two of them
// in this exchange's own words; the reader's lower codes are not named here.
QString passDataMessage(const QString& code) {
    if (code == QLatin1String("80"))
        return Iso14443bPage::tr("参数设置成功.....");
    if (code == QLatin1String("8F"))
        return QStringLiteral("Reader received unknown command....");
    return code >= QLatin1String("80") ? falsereason(code) : QString();
}

} // namespace

Iso14443bPage::Iso14443bPage(PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TabSheet5"));
    ReaderLink& link = context_.link;
    const QString loopRead = tr("连续读      ");

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(6, 6, 6, 6);

    auto* typeB = makeGroup(this, "GroupBox21", QStringLiteral("ISO14443 Type-B Commands"));
    auto* typeBGrid = new QGridLayout(typeB);
    auto* button31 = makeButton(typeB, "Button31", tr("卡请求"));
    typeBGrid->addWidget(button31, 0, 2);
    auto* checkBox11 = makeCheckBox(typeB, "CheckBox11", loopRead);
    typeBGrid->addWidget(checkBox11, 0, 3);
    // The anticollision and reset buttons stay disabled, as the page was designed.
    auto* button32 = makeButton(typeB, "Button32", tr("防冲突"));
    button32->setEnabled(false);
    typeBGrid->addWidget(button32, 1, 2);
    typeBGrid->addWidget(makeLabel(typeB, tr("请输入卡ID号码：         ")), 2, 0);
    edit76_ = makeEdit(typeB, "Edit76", QStringLiteral("41 30 0A 10"));
    typeBGrid->addWidget(edit76_, 2, 1);
    auto* button33 = makeButton(typeB, "Button33", QStringLiteral("Attrib"));
    typeBGrid->addWidget(button33, 2, 2);
    auto* button34 = makeButton(typeB, "Button34", tr("复位卡"));
    button34->setEnabled(false);
    typeBGrid->addWidget(button34, 3, 2);
    typeBGrid->addWidget(makeLabel(typeB, tr("数据：    ")), 4, 0);
    edit77_ = makeEdit(typeB, "Edit77", QStringLiteral("05 00 00"));
    typeBGrid->addWidget(edit77_, 4, 1);
    auto* button36 = makeButton(typeB, "Button36", tr("发送数据"));
    typeBGrid->addWidget(button36, 4, 2);
    typeBGrid->setColumnStretch(1, 1);
    page->addWidget(typeB);

    auto* identity = makeGroup(this, "GroupBox22", tr("第二代居民身份证"));
    auto* identityGrid = new QGridLayout(identity);
    identityGrid->addWidget(makeLabel(identity, tr("读身份证ID号：     ")), 0, 0);
    auto* button19 = makeButton(identity, "Button19", tr("读取"));
    identityGrid->addWidget(button19, 0, 1);
    auto* checkBox13 = makeCheckBox(identity, "CheckBox13", loopRead);
    identityGrid->addWidget(checkBox13, 0, 2);
    identityGrid->addWidget(makeLabel(identity, tr("读身份证文件ID号：   ")), 1, 0);
    auto* button22 = makeButton(identity, "Button22", tr("读取"));
    identityGrid->addWidget(button22, 1, 1);
    auto* checkBox14 = makeCheckBox(identity, "CheckBox14", loopRead);
    identityGrid->addWidget(checkBox14, 1, 2);
    identityGrid->setColumnStretch(3, 1);
    page->addWidget(identity);
    page->addStretch();

    request_ = {[] { return QStringLiteral("09"); }, 500,
                fieldReport(link, done(), failed(), true,
                            {{tr("卡片复位数据的长度为:"), 5, 5},
                             {tr("返回操作后的数据为:"), 6, 0, true}})};
    attrib_ = {[this] { return QStringLiteral("0B") + edit76_->text(); }, 500,
               ReplyTexts(tr("操作成功、复位成功   "), failed())};
    // The serial number of the reset card goes into the identifier field, from
    // where ATTRIB sends it.
    ReplyTexts reset =
        fieldReport(link, done(), failed(), true, {{tr("卡的序列号为："), 5, 8, true}});
    reset.successLines = [this, lines = reset.successLines](const QString& replyText,
                                                            const QString& time) {
        lines(replyText, time);
        edit76_->setText(reply::bytes(replyText, 5, 8));
    };
    reset_ = {[] { return QStringLiteral("0C"); }, 500, reset};
    // The identity card reads skip reply byte 5, the length of the number.
    const QList<ReplyField> identityNumber{{tr("返回卡号为:"), 6, 13, true}};
    const QString readFailed = tr("读卡号操作失败   ");
    identityNumber_ = {[] { return QStringLiteral("26"); }, 1000,
                       fieldReport(link, done(), readFailed, false, identityNumber)};
    fileIdentifier_ = {[] { return QStringLiteral("27"); }, 1000,
                       fieldReport(link, done(), readFailed, false, identityNumber)};

    connect(button31, &QPushButton::clicked, this, &Iso14443bPage::Button31Click);
    connect(button32, &QPushButton::clicked, this, &Iso14443bPage::Button32Click);
    connect(button33, &QPushButton::clicked, this, &Iso14443bPage::Button33Click);
    connect(button34, &QPushButton::clicked, this, &Iso14443bPage::Button34Click);
    connect(button36, &QPushButton::clicked, this, &Iso14443bPage::Button36Click);
    connect(button19, &QPushButton::clicked, this, &Iso14443bPage::Button19Click);
    connect(button22, &QPushButton::clicked, this, &Iso14443bPage::Button22Click);
    addContinuousMode(context_, {checkBox11, [this] { Button31Click(); }, true, 10});
    addContinuousMode(context_, {checkBox13, [this] { Button19Click(); }, false, 0});
    addContinuousMode(context_, {checkBox14, [this] { Button22Click(); }, false, 0});
}

void Iso14443bPage::Button31Click() {
    runCommand(context_, request_);
}

void Iso14443bPage::Button32Click() {
    runCommand(context_, request_);
}

void Iso14443bPage::Button33Click() {
    runCommand(context_, attrib_);
}

void Iso14443bPage::Button34Click() {
    runCommand(context_, reset_);
}

// Passes the data bytes to the card: payload 0D, the byte count N, the bytes.
// The reply is judged with this command's own messages.
void Iso14443bPage::Button36Click() {
    ReaderLink& link = context_.link;
    const QString data = edit77_->text();
    link.setReplyText(QString());
    // Half a byte would shift every byte after it and the count N would not
    // match: the frame layer's check refuses the data as typed, and nothing goes out.
    QString error;
    if (hfFrame(QString(), data, &error).isEmpty()) {
        link.log(error + link.time());
        return;
    }
    // Beyond 255 bytes the frame cannot go out anyway, which the link reports;
    // the count stays one byte so that this is what the operator reads.
    const int count = qMin(int(hex::digitsOf(data).size()) / 2, 0xFF);
    link.Send(QStringLiteral("0D") + hex::byte(count) + data);
    link.Delay(600);

    const QString replyText = link.ReplyText();
    if (replyStatus(replyText) == ReplyStatus::Success) {
        link.log(done() + link.time());
        link.log(tr("操作后的数据串为：") + reply::bytesToEnd(replyText, 5) + kCrLf);
        return;
    }
    link.log(failed() + link.time());
    if (replyText.isEmpty()) {
        link.log(tr("无数据接收..") + kCrLf);
        return;
    }
    const QString message = passDataMessage(reply::byte(replyText, 5));
    if (!message.isEmpty())
        link.log(message + kCrLf);
}

void Iso14443bPage::Button19Click() {
    runCommand(context_, identityNumber_);
}

void Iso14443bPage::Button22Click() {
    runCommand(context_, fileIdentifier_);
}
