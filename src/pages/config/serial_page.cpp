#include "serial_page.h"

#include "pages/page_support.h"
#include "protocol/baud_rates.h"
#include "protocol/conversion.h"
#include "protocol/frames.h"
#include "protocol/reply.h"
#include "serial/port_discovery.h"
#include "serial/serial_link.h"
#include "terminal_memo.h"

#include <QButtonGroup>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPointer>
#include <QStringDecoder>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString noPort() {
    return SerialPage::tr("没有可用串口");
}
constexpr int kReplyWaitMs = 300;

// The read modes of Button75, in the order of their radio buttons. code is
// the mode a C1 frame carries and the reader echoes; the memory-area mode
// has its own C9 frame, built from the edits.
const struct ReadMode {
    const char* radio;
    const char* caption;
    const char* frame;
    int code;
    const char* name;
} kReadModes[] = {
    {"RadioButton39", QT_TRANSLATE_NOOP("SerialPage", "主动-寻单张卡EPC号                 "),
     "BB 00 C1 00 01 01 C3 7E", 0x01, QT_TRANSLATE_NOOP("SerialPage", "主动寻单卡EPC号")},
    {"RadioButton40", QT_TRANSLATE_NOOP("SerialPage", "被动读写器模式                 "),
     "BB 00 C1 00 01 00 C2 7E", 0x00, QT_TRANSLATE_NOOP("SerialPage", "被动读写器模式")},
    {"RadioButton41", QT_TRANSLATE_NOOP("SerialPage", "主动-寻多张卡EPC号        "),
     "BB 00 C1 00 01 02 C4 7E", 0x02, QT_TRANSLATE_NOOP("SerialPage", "主动寻多张卡EPC号")},
    {"RadioButton42", QT_TRANSLATE_NOOP("SerialPage", "主动-读TID号 "), "BB 00 C1 00 01 03 C5 7E",
     0x03, QT_TRANSLATE_NOOP("SerialPage", "主动读TID号")},
    {"RadioButton43", QT_TRANSLATE_NOOP("SerialPage", "主动读取存储扇区"), nullptr, -1, ""},
};
constexpr int kTidRadio = 3;
constexpr int kMemoryAreaRadio = 4;

QString userName() {
    const passwd* user = getpwuid(geteuid());
    return user ? QString::fromLocal8Bit(user->pw_name) : QStringLiteral("$USER");
}

// The result byte of a UHF module reply (byte 6).
QString resultByte(const QString& reply) {
    return reply::byte(reply, 6);
}

// The error code after a failure result of the USB HID switch: byte 7 when
// the reply's parameter length (bytes 4-5) says it carries a second parameter
// byte; a reply with the result alone has nothing more to tell than 01.
QString switchFailureCode(const QString& reply) {
    bool ok = false;
    const int parameters = reply::bytes(reply, 4, 5).toInt(&ok, 16);
    const QString code = reply::byte(reply, 7);
    return ok && parameters >= 2 && code.size() == 2 ? code : QStringLiteral("01");
}

// Text files only: a control byte other than blank space means the file is
// something else.
bool isText(const QByteArray& bytes) {
    return std::none_of(bytes.begin(), bytes.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        const bool space = c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
        return (u < 0x20 && !space) || u == 0x7F;
    });
}

// Text that is not UTF-8 is read as GB18030, as a Chinese Windows editor
// saves it.
QString decodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        QStringDecoder chinese("GB18030");
        text = chinese.isValid() ? QString(chinese.decode(bytes)) : QString::fromLatin1(bytes);
    }
    // The lines of the file: the break after the last one ends it, it does
    // not start another.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

} // namespace

SerialPage::SerialPage(PageContext& context, SerialLink& serial, QWidget* parent)
    : QWidget(parent), context_(context), serial_(serial) {
    setObjectName(QStringLiteral("TabSheet9"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(createPortGroup());
    layout->addWidget(createLinkModeGroup());
    layout->addWidget(createTerminalGroup());
    layout->addStretch();
    layout->addWidget(createStateGroup());

    connect(&serial_, &SerialLink::connectionLost, this, &SerialPage::portLost);
}

// Periodic sending over a port that is gone would send nothing while its box
// still says it does.
void SerialPage::portLost() {
    Button74Click();
    if (serialTransport_->isChecked())
        autoSend_->setChecked(false);
}

QGroupBox* SerialPage::createPortGroup() {
    auto* group = makeGroup(this, "GroupBox38", tr("通讯信息"));
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setVerticalSpacing(2);
    ports_ = makeCombo(group, "ComboBox21", {});
    baudRates_ = makeCombo(group, "ComboBox22", kBaudRates);
    open_ = makeButton(group, "Button73", tr("COM打开"));
    close_ = makeButton(group, "Button74", tr("COM关闭"));
    grid->addWidget(makeLabel(group, tr("通讯COM口：")), 0, 0);
    grid->addWidget(ports_, 0, 1);
    grid->addWidget(open_, 0, 2);
    grid->addWidget(makeLabel(group, tr("波特率选择：")), 1, 0);
    grid->addWidget(baudRates_, 1, 1);
    grid->addWidget(close_, 1, 2);
    grid->setColumnStretch(1, 1);

    // Only the operator's choice runs the handlers, not a selection from code.
    connect(ports_, &QComboBox::activated, this, [this] { ComboBox21Change(); });
    connect(baudRates_, &QComboBox::activated, this,
            [this] { guarded(context_, [this] { ComboBox22Change(); }); });
    connect(open_, &QPushButton::clicked, this, &SerialPage::Button73Click);
    connect(close_, &QPushButton::clicked, this, &SerialPage::Button74Click);
    return group;
}

QGroupBox* SerialPage::createLinkModeGroup() {
    auto* group = makeGroup(this, "GroupBox4", QString());
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(2);

    auto* toHid = makeButton(group, "Button76", tr("设置"));
    auto* toSerial = makeButton(group, "Button71", tr("设置"));
    grid->addWidget(makeLabel(group, tr("切换成USB_HID模式：       ")), 0, 0, 1, 2);
    grid->addWidget(makeLabel(group, tr("切换成USB键盘输出： ")), 0, 2, 1, 2);
    grid->addWidget(toHid, 0, 4);
    grid->addWidget(makeLabel(group, tr("USB键盘模式切换：  ")), 1, 0, 1, 2);
    grid->addWidget(makeLabel(group, tr("切换成USB虚拟串口：  ")), 1, 2, 1, 2);
    grid->addWidget(toSerial, 1, 4);
    connect(toHid, &QPushButton::clicked, this, &SerialPage::Button76Click);
    connect(toSerial, &QPushButton::clicked, this, &SerialPage::Button71Click);

    auto* modes = new QButtonGroup(group);
    for (const ReadMode& mode : kReadModes) {
        const int index = readModes_.size();
        auto* radio = makeRadio(group, mode.radio, tr(mode.caption), index == 0);
        modes->addButton(radio);
        readModes_ << radio;
        grid->addWidget(radio, 2 + index / 2, (index % 2) * 2, 1, 2);
    }
    auto* cardMemory = makeButton(group, "Button77", tr("扇区结构"));
    grid->addWidget(cardMemory, 4, 2, 1, 2, Qt::AlignLeft);
    connect(cardMemory, &QPushButton::clicked, this, [this] { context_.showCardMemory(); });

    auto* area = new QHBoxLayout;
    bank_ = makeEdit(group, "Edit69", QStringLiteral("03"));
    password_ = makeEdit(group, "Edit70", QStringLiteral("00 00 00 00"));
    address_ = makeEdit(group, "Edit71", QStringLiteral("00"));
    length_ = makeEdit(group, "Edit72", QStringLiteral("08"));
    const struct {
        const char* label;
        QLineEdit* edit;
        int width;
    } fields[] = {{QT_TRANSLATE_NOOP("SerialPage", "扇区   "), bank_, 36},
                  {QT_TRANSLATE_NOOP("SerialPage", "密码   "), password_, 96},
                  {QT_TRANSLATE_NOOP("SerialPage", "地址   "), address_, 36},
                  {QT_TRANSLATE_NOOP("SerialPage", "长度     "), length_, 36}};
    for (const auto& field : fields) {
        field.edit->setFixedWidth(field.width);
        area->addWidget(makeLabel(group, tr(field.label)));
        area->addWidget(field.edit);
    }
    auto* setMode = makeButton(group, "Button75", tr("设置"));
    area->addStretch();
    area->addWidget(setMode);
    grid->addLayout(area, 5, 0, 1, 5);
    connect(setMode, &QPushButton::clicked, this, &SerialPage::Button75Click);
    return group;
}

QGroupBox* SerialPage::createTerminalGroup() {
    auto* group = makeGroup(this, "GroupBox5", tr("发送信息"));
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(6, 2, 6, 4);
    layout->setSpacing(3);
    memo_ =
        named(new TerminalMemo(kLoadLimit, QStringLiteral("BB 00 C3 00 00 C3 7E"), group), "Memo1");
    connect(memo_, &TerminalMemo::insertionCut, this, [this](qsizetype dropped) {
        log(tr("发送框最多容纳 %1 个字符，粘贴的数据多出的 %2 个字符未放入   ")
                .arg(kLoadLimit)
                .arg(dropped) +
            context_.link.time());
    });
    memo_->setFixedHeight(110);
    layout->addWidget(memo_);

    auto* settings = new QHBoxLayout;
    auto* transports = makeGroup(group, "GroupBox40", QString());
    auto* transportRow = new QHBoxLayout(transports);
    transportRow->setContentsMargins(4, 0, 4, 0);
    serialTransport_ = makeRadio(transports, "RadioButton37", tr("串口发送"), true);
    transportRow->addWidget(serialTransport_);
    transportRow->addWidget(makeRadio(transports, "RadioButton38", tr("USB发送")));
    settings->addWidget(transports);
    period_ = makeEdit(group, "Edit6", QStringLiteral("1000"));
    period_->setFixedWidth(56);
    settings->addWidget(makeLabel(group, tr("周期：")));
    settings->addWidget(period_);
    settings->addWidget(makeLabel(group, tr("毫秒      ")));
    autoSend_ = makeCheckBox(group, "CheckBox3", tr("自动发送"));
    context_.registerLoopBox(autoSend_);
    settings->addWidget(autoSend_);
    settings->addStretch();
    layout->addLayout(settings);

    auto* buttons = new QHBoxLayout;
    const struct {
        const char* name;
        const char* caption;
        void (SerialPage::*handler)();
    } actions[] = {
        {"Button3", QT_TRANSLATE_NOOP("SerialPage", "发送数据"), &SerialPage::Button3Click},
        {"Button6", QT_TRANSLATE_NOOP("SerialPage", "载入数据"), &SerialPage::Button6Click},
        {"Button5", QT_TRANSLATE_NOOP("SerialPage", "另存为"), &SerialPage::Button5Click},
        {"Button7", QT_TRANSLATE_NOOP("SerialPage", "清空发送框"), &SerialPage::Button7Click}};
    for (const auto& action : actions) {
        auto* button = makeButton(group, action.name, tr(action.caption));
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, handler = action.handler] {
            guarded(context_, [this, handler] { (this->*handler)(); });
        });
    }
    layout->addLayout(buttons);
    connect(autoSend_, &QCheckBox::clicked, this, &SerialPage::CheckBox3Click);
    return group;
}

QGroupBox* SerialPage::createStateGroup() {
    auto* states = makeGroup(this, "GroupBox39", QString());
    auto* row = new QHBoxLayout(states);
    row->addWidget(makeRadio(states, "RadioButton3", tr("读写状态"), true));
    debug_ = makeRadio(states, "RadioButton4", tr("串口调试状态状态"));
    row->addWidget(debug_);
    row->addWidget(makeRadio(states, "RadioButton19", tr("自动检测卡状态")));
    return states;
}

bool SerialPage::debugLogging() const {
    return debug_->isChecked();
}

void SerialPage::GetCom() {
    ports_->clear();
    portName_ = QStringLiteral("none");
    PortSurvey survey = surveySerialPorts();
    skipped_ = std::move(survey.skipped);
    for (const QString& path : survey.available) {
        ports_->addItem(path);
        if (portName_ == QLatin1String("none"))
            portName_ = path;
    }
}

void SerialPage::refreshPorts() {
    GetCom();
    // The open port stays the one shown, as sending goes to it.
    if (listOpenPort()) {
        serial_.Comm1().setCommName(serial_.Comm1().openedName());
        ports_->setCurrentIndex(ports_->findText(serial_.Comm1().openedName()));
    } else {
        selectFirstPort();
    }
    serial_.Comm1().setBaudRate(9600);
    logSkippedPorts();
}

// A port left out of the list is said once per page change, with what stands
// in the way, so that an empty list has a reason. The port open here is not
// news.
void SerialPage::logSkippedPorts() {
    const TComm& comm = serial_.Comm1();
    for (const SkippedPort& port : skipped_) {
        if (comm.isOpen() && comm.openedName() == port.path)
            continue;
        QString why;
        if (port.denied)
            why = tr("没有使用权限，请把用户加入 dialout 组（sudo usermod -aG dialout "
                     "%1），重新登录后生效")
                      .arg(userName());
        else if (port.holderPid)
            why = tr("正被进程 %1（%2）使用").arg(port.holderPid).arg(port.holderName);
        else
            why = tr("正被其他程序使用");
        log(tr("串口 %1 未列出：%2   ").arg(port.path, why) + context_.link.time());
    }
}

void SerialPage::selectFirstPort() {
    serial_.Comm1().setCommName(portName_);
    ports_->setCurrentIndex(ports_->findText(portName_));
    if (portName_ == QLatin1String("none")) {
        ports_->addItem(noPort());
        ports_->setCurrentIndex(ports_->count() - 1);
    }
}

// The port open here is not listed by discovery, which cannot open it a
// second time, but it is still there: it keeps its place in the list.
bool SerialPage::listOpenPort() {
    const TComm& comm = serial_.Comm1();
    const QString open = comm.openedName();
    if (!comm.isOpen() || !QFileInfo::exists(open))
        return false;
    if (ports_->findText(open) >= 0)
        return true;
    const QStringList order = serialPortCandidates();
    int at = 0;
    while (at < ports_->count() && order.indexOf(ports_->itemText(at)) < order.indexOf(open))
        ++at;
    ports_->insertItem(at, open);
    return true;
}

void SerialPage::portsChanged() {
    const QString current = ports_->currentText();
    GetCom();
    listOpenPort();
    const int kept = ports_->findText(current);
    if (kept >= 0)
        ports_->setCurrentIndex(kept);
    else
        selectFirstPort();
}

void SerialPage::ComboBox21Change() {
    serial_.Comm1().setCommName(ports_->currentText());
    Button74Click();
    Button73Click();
}

void SerialPage::ComboBox22Change() {
    serial_.Comm1().setBaudRate(quint32(strToInt(baudRates_->currentText())));
    Button74Click();
    Button73Click();
}

void SerialPage::Button73Click() {
    try {
        serial_.Comm1().OpenPort();
    } catch (const ECommsError& error) {
        if (!portGone(serial_.Comm1().CommName()))
            context_.showError(error.message());
        return;
    }
    open_->setEnabled(false);
    close_->setEnabled(true);
}

void SerialPage::Button74Click() {
    serial_.Comm1().ClosePort();
    close_->setEnabled(false);
    open_->setEnabled(true);
}

QString SerialPage::serialExchange(const QString& frame, bool logFrame) {
    serial_.Send232HEX(frame);
    if (logFrame)
        log(frame);
    // Only what arrives after the frame answers it; a slow adapter may hand
    // the reply over in pieces.
    return serial_.collectReply(kReplyWaitMs);
}

void SerialPage::Button76Click() {
    const QString reply = serialExchange(QStringLiteral("BB 00 C2 00 01 00 C3 7E"), false);
    const ReplyStatus status = replyStatus(!reply.isEmpty(), resultByte(reply));
    context_.link.report(status,
                         ReplyTexts(tr("USB_HID模式设置成功   "), tr("USB_HID模式设置失败   ")),
                         reply, switchFailureCode(reply));
    // The reader leaves its virtual serial port for USB HID.
    if (status == ReplyStatus::Success)
        Button74Click();
}

void SerialPage::Button71Click() {
    // Always reader 00, whatever the address selector shows.
    context_.link.SendHex(QStringLiteral("AA 00 01 B8 B9 BB"));
    context_.link.Delay(kReplyWaitMs);
    context_.link.judge(ReplyTexts(tr("USB虚拟串口设置成功   "), tr("USB虚拟串口设置失败   ")));
}

int SerialPage::checkedReadMode() const {
    for (int i = 0; i < readModes_.size(); ++i)
        if (readModes_[i]->isChecked())
            return i;
    return 0;
}

QString SerialPage::memoryAreaFrame() const {
    const QString area = bank_->text() + password_->text() + address_->text() + length_->text();
    const QString checksum = uhfChecksum(QStringLiteral("00 C9 00 07 ") + area);
    return QStringLiteral("BB 00 C9 00 07 ") + area + checksum + QStringLiteral("7E");
}

QString SerialPage::readModeSuccessName(int code) const {
    // The reader answers both the TID mode and the memory-area mode with 03.
    if (code == kReadModes[kTidRadio].code) {
        if (readModes_[kTidRadio]->isChecked())
            return tr(kReadModes[kTidRadio].name);
        return readModes_[kMemoryAreaRadio]->isChecked()
                   ? tr("主动读取存储扇区", "read mode in a log line")
                   : QString();
    }
    for (const ReadMode& mode : kReadModes)
        if (mode.code == code)
            return tr(mode.name);
    return QString();
}

void SerialPage::Button75Click() {
    const int checked = checkedReadMode();
    const ReadMode& mode = kReadModes[checked];
    // The memory-area frame is logged as built.
    const QString reply = mode.frame ? serialExchange(QString::fromLatin1(mode.frame), false)
                                     : serialExchange(memoryAreaFrame(), true);
    // Result codes below 8 are the mode the reader has taken.
    const QString result = resultByte(reply);
    const int code = result.toInt(nullptr, 16);
    const ReplyStatus status = reply.isEmpty()    ? ReplyStatus::NoReply
                               : result.isEmpty() ? ReplyStatus::Garbled
                               : code < 8         ? ReplyStatus::Success
                                                  : ReplyStatus::Failure;
    context_.link.report(status,
                         ReplyTexts(tr("设置 %1 成功   ").arg(readModeSuccessName(code)),
                                    tr("设置%1失败   ").arg(tr(mode.name)), false),
                         reply, result);
}

// A port (a device path, not "none" or the no-port entry) whose device has
// gone (unplugged): said in a line with what to do, and the list is made
// again from what is there now.
bool SerialPage::portGone(const QString& port) {
    if (!port.startsWith(QLatin1Char('/')) || QFileInfo::exists(port))
        return false;
    log(tr("串口 %1 已不存在（读卡器或串口线已拔下）：请重新插上，再在“通讯COM口”中选择串口   ")
            .arg(port) +
        context_.link.time());
    if (serial_.Comm1().isOpen() && serial_.Comm1().openedName() == port)
        Button74Click();
    refreshPorts();
    return true;
}

void SerialPage::Button3Click() {
    const QString text = memo_->toPlainText();
    if (serialTransport_->isChecked() && portGone(serial_.Comm1().CommName()))
        return;
    if (serialTransport_->isChecked())
        serial_.Send232HEX(text);
    else
        context_.link.SendHex(text);
    context_.link.Delayy(strToInt(period_->text()));
}

void SerialPage::CheckBox3Click() {
    const QPointer<QCheckBox> box(autoSend_);
    if (!box->isChecked())
        return;
    guarded(context_, [this, box] {
        repeatWhileChecked(box, [this] {
            Button3Click();
            context_.link.Delay(strToInt(period_->text()));
        });
    });
    // A period that is not a number ends the sending; the box shows it.
    if (box)
        box->setChecked(false);
}

void SerialPage::Button6Click() {
    const QString fileName = QFileDialog::getOpenFileName(this, tr("载入数据！"));
    if (!fileName.isEmpty())
        loadTerminalText(fileName);
}

void SerialPage::Button5Click() {
    const QString fileName = QFileDialog::getSaveFileName(this, tr("保存接收数据！"), QString(),
                                                          tr("文本文件(.txt) (*.txt)"));
    if (!fileName.isEmpty())
        saveTerminalText(fileName);
}

void SerialPage::Button7Click() {
    memo_->clear();
}

bool SerialPage::loadTerminalText(const QString& fileName) {
    const auto notText = [&] {
        context_.showError(tr("文件 %1 不是文本文件，未载入").arg(fileName));
        return false;
    };
    // Regular files only, looked at before opening: opening a FIFO waits for
    // a writer, and opening a device may act on it. Opened without blocking
    // and looked at again, in case the name was given another file meanwhile.
    const QByteArray path = QFile::encodeName(fileName);
    struct stat info {};
    if (::stat(path.constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return notText();
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        context_.showError(tr("无法打开文件 %1：%2").arg(fileName, qt_error_string(errno)));
        return false;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return notText();
    }
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    // Read one byte past the limit rather than trust the size, which may
    // change meanwhile.
    const QByteArray bytes = file.read(kLoadLimit + 1);
    if (bytes.size() > kLoadLimit) {
        context_.showError(tr("文件 %1 大于 1 MB，未载入").arg(fileName));
        return false;
    }
    if (!isText(bytes))
        return notText();
    memo_->setPlainText(TerminalMemo::brokenLines(decodeText(bytes)));
    return true;
}

bool SerialPage::saveTerminalText(const QString& fileName) {
    QByteArray text = memo_->toPlainText().toUtf8();
    if (!text.isEmpty())
        text += '\n';
    return saveFile(context_, fileName, text);
}
