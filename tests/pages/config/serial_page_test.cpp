// The serial page: controls, the link-mode commands over the serial port and
// USB HID, the terminal, and losing the serial connection. Serial replies
// come from the simulated reader's serial port program or from a scripted
// reader on a pseudo-terminal.
#include "pages/config/serial_page.h"
#include "pages/page_checks.h"
#include "serial/pseudo_terminal.h"
#include "support/file_size_limit.h"
#include "support/sim_serial_port.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <sys/stat.h>
#include <thread>

namespace {

const QString noReplyLine = QStringLiteral("通讯错误，没有接收到数据..   ") + FormFixture::time();

// The main window with its serial port open on the given device path.
struct SerialForm {
    explicit SerialForm(const QString& path) {
        form.form.serialLink().Comm1().setCommName(path);
        form.click("Button73");
        if (!form.form.serialLink().Comm1().isOpen())
            qFatal("port %s did not open", qPrintable(path));
    }

    ScriptedDevice device;
    FormFixture form{device};
};

// Clicks a serial command until its reply made it within the command's wait,
// which a loaded machine may stretch; the line settles between tries.
QStringList clickAnswered(FormFixture& f, const char* button) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        f.clearLog();
        f.click(button);
        if (!f.lines().contains(noReplyLine))
            break;
        QTest::qWait(1000);
    }
    return f.lines();
}

QStringList received(const QString& reply) {
    return {QStringLiteral("232RX Data.."), reply};
}

} // namespace

class SerialPageTest : public QObject {
    Q_OBJECT

  private slots:
    void controlsStartAsDesigned() {
        ScriptedDevice device;
        FormFixture f(device);
        const struct {
            const char* name;
            const char* caption;
            bool checked;
        } buttons[] = {
            {"Button73", "COM打开", false},
            {"Button74", "COM关闭", false},
            {"Button76", "设置", false},
            {"Button71", "设置", false},
            {"Button75", "设置", false},
            {"Button77", "扇区结构", false},
            {"RadioButton39", "主动-寻单张卡EPC号                 ", true},
            {"RadioButton40", "被动读写器模式                 ", false},
            {"RadioButton41", "主动-寻多张卡EPC号        ", false},
            {"RadioButton42", "主动-读TID号 ", false},
            {"RadioButton43", "主动读取存储扇区", false},
            {"RadioButton37", "串口发送", true},
            {"RadioButton38", "USB发送", false},
            {"CheckBox3", "自动发送", false},
            {"Button3", "发送数据", false},
            {"Button6", "载入数据", false},
            {"Button5", "另存为", false},
            {"Button7", "清空发送框", false},
            {"RadioButton3", "读写状态", true},
            {"RadioButton4", "串口调试状态状态", false},
            {"RadioButton19", "自动检测卡状态", false},
        };
        for (const auto& b : buttons) {
            auto* button = f.find<QAbstractButton>(b.name);
            QCOMPARE(button->text(), QString::fromUtf8(b.caption));
            QCOMPARE(button->isChecked(), b.checked);
        }
        const struct {
            const char* name;
            const char* text;
        } edits[] = {{"Edit69", "03"},
                     {"Edit70", "00 00 00 00"},
                     {"Edit71", "00"},
                     {"Edit72", "08"},
                     {"Edit6", "1000"}};
        for (const auto& e : edits)
            QCOMPARE(f.find<QLineEdit>(e.name)->text(), QString(e.text));
        QCOMPARE(f.find<QPlainTextEdit>("Memo1")->toPlainText(), QString("BB 00 C3 00 00 C3 7E"));
        QCOMPARE(f.find<QComboBox>("ComboBox21")->count(), 0);
        auto* rates = f.find<QComboBox>("ComboBox22");
        QCOMPARE(rates->count(), 5);
        QCOMPARE(rates->currentText(), QString("9600"));
        QCOMPARE(rates->itemText(4), QString("115200"));

        QStringList labels;
        for (auto* label : f.find("TabSheet9")->findChildren<QLabel*>())
            labels << label->text();
        for (const char* text :
             {"通讯COM口：", "波特率选择：", "切换成USB_HID模式：       ", "切换成USB键盘输出： ",
              "USB键盘模式切换：  ", "切换成USB虚拟串口：  ", "扇区   ", "密码   ", "地址   ",
              "长度     ", "周期：", "毫秒      "})
            QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
        for (const char* group : {"GroupBox38", "GroupBox4", "GroupBox5", "GroupBox39"})
            f.find(group);
    }

    void readModesAgainstTheSimulatedReader_data() {
        QTest::addColumn<QByteArray>("radio");
        QTest::addColumn<QStringList>("lines");
        const QString time = FormFixture::time();
        QTest::newRow("single EPC")
            << QByteArray("RadioButton39")
            << received("BB01C1000101C47E") + QStringList{"设置 主动寻单卡EPC号 成功   " + time};
        QTest::newRow("passive") << QByteArray("RadioButton40")
                                 << received("BB01C1000100C37E") +
                                        QStringList{"设置 被动读写器模式 成功   " + time};
        QTest::newRow("several EPCs")
            << QByteArray("RadioButton41")
            << received("BB01C1000102C57E") + QStringList{"设置 主动寻多张卡EPC号 成功   " + time};
        QTest::newRow("TID") << QByteArray("RadioButton42")
                             << received("BB01C1000103C67E") +
                                    QStringList{"设置 主动读TID号 成功   " + time};
        QTest::newRow("memory area")
            << QByteArray("RadioButton43")
            << QStringList{"BB 00 C9 00 07 0300 00 00 000008DB7E"} + received("BB01C9000103CE7E") +
                   QStringList{"设置 主动读取存储扇区 成功   " + time};
    }
    void readModesAgainstTheSimulatedReader() {
        QFETCH(QByteArray, radio);
        QFETCH(QStringList, lines);
        SimulatedSerialPort reader;
        SerialForm s(reader.path);
        s.form.find<QRadioButton>(radio)->setChecked(true);
        QCOMPARE(clickAnswered(s.form, "Button75"), lines);
    }

    void aRefusedMemoryAreaGivesTheFailureCode() {
        SimulatedSerialPort reader;
        SerialForm s(reader.path);
        s.form.find<QRadioButton>("RadioButton43")->setChecked(true);
        s.form.find<QLineEdit>("Edit69")->setText("04");
        QCOMPARE(clickAnswered(s.form, "Button75"),
                 QStringList{"BB 00 C9 00 07 0400 00 00 000008DC7E"} +
                     received("BB01C90001814C7E") +
                     QStringList({"设置失败   " + FormFixture::time(), "参数设置失败....", ""}));
    }

    void readModeResults_data() {
        QTest::addColumn<QByteArray>("radio");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("outcome");
        const QString time = FormFixture::time();
        QTest::newRow("echo 02") << QByteArray("RadioButton41") << "BB01C1000102C57E"
                                 << QStringList{"设置 主动寻多张卡EPC号 成功   " + time};
        QTest::newRow("code 81") << QByteArray("RadioButton41") << "BB01C1000181447E"
                                 << QStringList{"设置主动寻多张卡EPC号失败   " + time,
                                                "参数设置失败....", ""};
        QTest::newRow("code 0A is a failure")
            << QByteArray("RadioButton39") << "BB01C100010ACD7E"
            << QStringList{"设置主动寻单卡EPC号失败   " + time, "", ""};
        QTest::newRow("03 without the TID or memory mode")
            << QByteArray("RadioButton39") << "BB01C1000103C67E"
            << QStringList{"设置  成功   " + time};
        QTest::newRow("07 has no name") << QByteArray("RadioButton40") << "BB01C1000107CA7E"
                                        << QStringList{"设置  成功   " + time};
        QTest::newRow("too short for a result")
            << QByteArray("RadioButton39") << "BB01C1"
            << QStringList{"数据丢包，流水校验出错   " + time, ""};
    }
    void readModeResults() {
        QFETCH(QByteArray, radio);
        QFETCH(QString, reply);
        QFETCH(QStringList, outcome);
        ScriptedSerialReader reader;
        reader.reply = QByteArray::fromHex(reply.toLatin1());
        SerialForm s(reader.terminal.path());
        s.form.find<QRadioButton>(radio)->setChecked(true);
        QCOMPARE(clickAnswered(s.form, "Button75"), received(reply) + outcome);
        const QString frames[] = {"BB00C1000101C37E", "BB00C1000100C27E", "BB00C1000102C47E"};
        QCOMPARE(reader.frames.last(), frames[radio.right(2).toInt() - 39]);
    }

    void aReplyInPiecesIsJudgedWhole_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QStringList>("outcome");
        const QString time = FormFixture::time();
        QTest::newRow("read mode")
            << QByteArray("Button75") << "BB01C1"
            << "000101C47E" << QStringList{"设置 主动寻单卡EPC号 成功   " + time};
        QTest::newRow("to USB HID") << QByteArray("Button76") << "BB01C20001"
                                    << "00C47E" << QStringList{"USB_HID模式设置成功   " + time, ""};
    }
    void aReplyInPiecesIsJudgedWhole() {
        QFETCH(QByteArray, button);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QStringList, outcome);
        ScriptedDevice device;
        FormFixture f(device);
        SerialLink& serial = f.form.serialLink();
        // A slow adapter hands the reply over in two receptions 120 ms apart.
        const auto receive = [&serial](const QString& hex) {
            const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
            serial.Comm1ReceiveData(&serial.Comm1(), bytes.constData(), quint16(bytes.size()));
        };
        QTimer::singleShot(0, [&] { receive(first); });
        QTimer::singleShot(120, [&] { receive(second); });
        f.click(button.constData());
        QCOMPARE(f.lines(), received(first) + received(second) + outcome);
    }

    void theMemoryAreaFrameIsSentAndLoggedAsBuilt() {
        ScriptedSerialReader reader;
        SerialForm s(reader.terminal.path());
        s.form.find<QRadioButton>("RadioButton43")->setChecked(true);
        const char* edits[] = {"Edit69", "Edit70", "Edit71", "Edit72"};
        const char* texts[] = {"01", "12345678", "02", "06"};
        for (int i = 0; i < 4; ++i)
            s.form.find<QLineEdit>(edits[i])->setText(texts[i]);
        s.form.click("Button75");
        // 00+C9+00+07+01+12+34+56+78+02+06 = 0x1ED
        QCOMPARE(s.form.lines().value(0), QString("BB 00 C9 00 07 01123456780206ED7E"));
        QTRY_COMPARE_WITH_TIMEOUT(reader.frames, QStringList{"BB00C9000701123456780206ED7E"},
                                  10000);
    }

    void eachSerialCommandJudgesOnlyItsOwnReply() {
        ScriptedSerialReader reader;
        reader.reply = QByteArray::fromHex("BB01C1000101C47E");
        SerialForm s(reader.terminal.path());
        // A USB HID reply already in ReplyText does not end the serial wait.
        s.form.form.link().setReplyText("AA00010000BB");
        QCOMPARE(clickAnswered(s.form, "Button75").last(),
                 QString("设置 主动寻单卡EPC号 成功   ") + FormFixture::time());
        // A reader that stays silent is reported as such, not with the last reply.
        reader.reply.clear();
        s.form.clearLog();
        s.form.click("Button75");
        QCOMPARE(s.form.lines(), QStringList({noReplyLine, ""}));
    }

    // A silent USB HID reader is no reply on the HID button of this page, and
    // leaves the serial commands judging their own replies.
    void aSilentUsbReaderLeavesTheSerialCommandsAlone() {
        ScriptedSerialReader reader;
        reader.reply = QByteArray::fromHex("BB01C1000101C47E");
        SerialForm s(reader.terminal.path());
        s.form.click("Button71");
        QCOMPARE(s.device.written, QStringList{"AA0001B8B9BB"});
        QCOMPARE(s.form.lines(), QStringList({noReplyLine, ""}));
        QCOMPARE(clickAnswered(s.form, "Button75"),
                 received("BB01C1000101C47E") +
                     QStringList{QString("设置 主动寻单卡EPC号 成功   ") + FormFixture::time()});
    }

    void aClosedPortGivesNoReply() {
        ScriptedDevice device;
        FormFixture f(device);
        for (const char* button : {"Button75", "Button76"}) {
            f.clearLog();
            f.click(button);
            QCOMPARE(f.lines(), QStringList({noReplyLine, ""}));
        }
    }

    void switchingToUsbHidClosesThePort() {
        SimulatedSerialPort reader;
        SerialForm s(reader.path);
        QCOMPARE(clickAnswered(s.form, "Button76"),
                 received("BB01C2000100C47E") +
                     QStringList({"USB_HID模式设置成功   " + FormFixture::time(), ""}));
        QVERIFY(!s.form.form.serialLink().Comm1().isOpen());
        QVERIFY(s.form.find<QPushButton>("Button73")->isEnabled());
        QVERIFY(!s.form.find<QPushButton>("Button74")->isEnabled());
        // The reader's port goes away; the closed port has nothing more to report.
        QTRY_COMPARE_WITH_TIMEOUT(reader.process.state(), QProcess::NotRunning, 20000);
        QTest::qWait(200);
        QCOMPARE(s.form.lines().size(), 4);
    }

    void switchToUsbHidOutcomes_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("outcome");
        const QString time = FormFixture::time();
        QTest::newRow("failure with its code in byte 7")
            << "BB01C2000201854B7E"
            << QStringList{"USB_HID模式设置失败   " + time, "输入参数或者输入命令格式错误....", ""};
        QTest::newRow("failure with the result alone")
            << "BB01C2000101C57E"
            << QStringList{"USB_HID模式设置失败   " + time, "命令操作失败.....", ""};
        QTest::newRow("other result")
            << "BB01C2000105C97E" << QStringList{"数据丢包，流水校验出错   " + time, ""};
    }
    void switchToUsbHidOutcomes() {
        QFETCH(QString, reply);
        QFETCH(QStringList, outcome);
        ScriptedSerialReader reader;
        reader.reply = QByteArray::fromHex(reply.toLatin1());
        SerialForm s(reader.terminal.path());
        QCOMPARE(clickAnswered(s.form, "Button76"), received(reply) + outcome);
        QCOMPARE(reader.frames.value(0), QString("BB00C2000100C37E"));
        QVERIFY(s.form.form.serialLink().Comm1().isOpen());
    }

    void switchToVirtualSerialPortOutcomes_data() {
        outcomeColumns();
        addOutcomeRows("Button71", "USB虚拟串口设置成功   ", "USB虚拟串口设置失败   ", true);
    }
    void switchToVirtualSerialPortOutcomes() {
        QFETCH(QByteArray, button);
        QFETCH(QString, reply);
        QFETCH(QStringList, lines);
        ScriptedDevice device;
        FormFixture f(device);
        // Reader 00, whatever the address selector shows.
        f.find<QComboBox>("setadd")->setCurrentIndex(5);
        QCOMPARE(clickWithReply(device, f, button, reply), lines);
        QCOMPARE(device.written, QStringList{"AA0001B8B9BB"});
    }

    void theTerminalSendsOverTheSerialPort() {
        SimulatedSerialPort simulated;
        SerialForm s(simulated.path);
        s.form.find<QPlainTextEdit>("Memo1")->setPlainText("BB 00 C3\n00 00 C3 7E");
        s.form.find<QLineEdit>("Edit6")->setText("10");
        s.form.click("Button3");
        // The simulated reader does not know C3 and answers with its error frame.
        QTRY_COMPARE_WITH_TIMEOUT(s.form.lines(), received("BB01FF000117187E"), 10000);

        ScriptedSerialReader reader;
        SerialForm t(reader.terminal.path());
        t.form.find<QPlainTextEdit>("Memo1")->setPlainText("BB 00 C3\n00 00 C3 7E");
        t.form.find<QLineEdit>("Edit6")->setText("10");
        t.form.click("Button3");
        QTRY_COMPARE_WITH_TIMEOUT(reader.received, QByteArray::fromHex("BB00C30000C37E"), 10000);
        QCOMPARE(t.form.lines(), QStringList());
    }

    void theTerminalSendsOverUsbHid() {
        ScriptedDevice device;
        FormFixture f(device);
        f.find<QRadioButton>("RadioButton38")->setChecked(true);
        f.find<QLineEdit>("Edit6")->setText("10");
        f.click("Button3");
        QCOMPARE(device.written, QStringList{"BB00C30000C37E"});
    }

    void terminalTextBeyondTheBufferIsRefused() {
        ScriptedSerialReader reader;
        SerialForm s(reader.terminal.path());
        auto* memo = s.form.find<QPlainTextEdit>("Memo1");
        s.form.find<QLineEdit>("Edit6")->setText("10");
        memo->setPlainText(QString("00").repeated(50001));
        s.form.click("Button3");
        QCOMPARE(s.form.lines(),
                 QStringList{"发送数据有 50001 字节，超过 50000 字节的串口发送缓冲，未发送   " +
                             FormFixture::time()});
        memo->setPlainText(QString("5A").repeated(50000));
        s.form.click("Button3");
        QTRY_COMPARE_WITH_TIMEOUT(reader.received.size(), 50000, 20000);
        QCOMPARE(reader.received, QByteArray(50000, 0x5A));
    }

    void aPortThatDoesNotDrainIsReportedOnce() {
        PseudoTerminal terminal; // nobody reads the reader's end
        SerialForm s(terminal.path());
        SerialLink& serial = s.form.form.serialLink();
        const QString text = QString("A5").repeated(SerialLink::kTransmitCapacity);
        const QString full = QString("串口 %1 没有取走已发送的数据（发送队列已满 1048576 "
                                     "字节），数据未发送   ")
                                 .arg(terminal.path()) +
                             FormFixture::time();
        for (int round = 1; round <= 2; ++round) {
            for (int i = 0; i < 40; ++i)
                serial.Send232HEX(text);
            QCOMPARE(s.form.lines(), QStringList(round, full));
            QVERIFY(serial.Comm1().transmitBacklog() <= TComm::kTransmitQueueLimit);
            // The line drains; the next send goes out, and a new backlog is
            // reported again.
            terminal.read(2 * TComm::kTransmitQueueLimit, 1500);
            QTRY_COMPARE_WITH_TIMEOUT(serial.Comm1().transmitBacklog(), qsizetype(0), 10000);
            serial.Send232HEX(text);
            QCOMPARE(s.form.lines().size(), round);
        }
    }

    void aPeriodThatIsNotANumberStopsAfterTheSend() {
        ScriptedSerialReader reader;
        SerialForm s(reader.terminal.path());
        s.form.find<QLineEdit>("Edit6")->setText("abc");
        s.form.click("Button3");
        QCOMPARE(s.form.errors, QStringList{"'abc' is not a valid integer value"});
        QTRY_COMPARE_WITH_TIMEOUT(reader.frames, QStringList{"BB00C30000C37E"}, 10000);

        auto* box = s.form.find<QCheckBox>("CheckBox3");
        s.form.click("CheckBox3");
        QCOMPARE(s.form.errors.size(), 2);
        QVERIFY(!box->isChecked());
    }

    void periodicSendingRunsUntilThePageChanges() {
        ScriptedSerialReader reader;
        reader.reply = QByteArray::fromHex("BB01FF000117187E");
        SerialForm s(reader.terminal.path());
        s.form.find<QLineEdit>("Edit6")->setText("20");
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (reader.frames.size() >= 3)
                s.form.form.pageControl()->setCurrentIndex(6);
        });
        watch.start(10);
        s.form.click("CheckBox3"); // returns when the loop has ended
        QVERIFY(!s.form.find<QCheckBox>("CheckBox3")->isChecked());
        QVERIFY(reader.frames.size() >= 3);
        QCOMPARE(s.form.errors, QStringList());
    }

    // The open port (a pseudo-terminal, which the port list leaves out) stays
    // the one shown after a page change, as sending still goes to it.
    void aPageChangeKeepsTheOpenPortShown() {
        ScriptedSerialReader reader;
        SerialForm s(reader.terminal.path());
        s.form.form.pageControl()->setCurrentIndex(6);
        s.form.form.pageControl()->setCurrentIndex(3);
        QCOMPARE(s.form.find<QComboBox>("ComboBox21")->currentText(), reader.terminal.path());
        QCOMPARE(s.form.form.serialLink().Comm1().CommName(), reader.terminal.path());
    }

    void terminalTextIsLoadedAndSaved() {
        ScriptedDevice device;
        FormFixture f(device);
        auto* page = f.find<SerialPage>("TabSheet9");
        auto* memo = f.find<QPlainTextEdit>("Memo1");
        QTemporaryDir dir;
        const QString saved = dir.filePath("frames.txt");
        memo->setPlainText("BB 00 22 00 00 22 7E\nBB 00 C3 00 00 C3 7E");
        QVERIFY(page->saveTerminalText(saved));
        f.click("Button7");
        QCOMPARE(memo->toPlainText(), QString());
        QVERIFY(page->loadTerminalText(saved));
        QCOMPARE(memo->toPlainText(), QString("BB 00 22 00 00 22 7E\nBB 00 C3 00 00 C3 7E"));

        const QString chinese = dir.filePath("chinese.txt");
        QFile gbk(chinese);
        QVERIFY(gbk.open(QIODevice::WriteOnly));
        gbk.write("\xB2\xE2\xCA\xD4 BB 00 C3\r\n"); // "测试" in GB18030
        gbk.close();
        QVERIFY(page->loadTerminalText(chinese));
        QCOMPARE(memo->toPlainText(), QString::fromUtf8("测试 BB 00 C3"));
    }

    void filesThatAreNoTerminalTextAreRefused() {
        ScriptedDevice device;
        FormFixture f(device);
        auto* page = f.find<SerialPage>("TabSheet9");
        auto* memo = f.find<QPlainTextEdit>("Memo1");
        QTemporaryDir dir;
        const auto write = [&dir](const char* name, const QByteArray& bytes) {
            QFile file(dir.filePath(name));
            file.open(QIODevice::WriteOnly);
            file.write(bytes);
            return file.fileName();
        };
        const QString files[] = {write("large.txt", QByteArray(SerialPage::kLoadLimit + 1, 'A')),
                                 write("binary.bin", QByteArray("BB 00\0C3", 8)),
                                 dir.filePath("missing.txt"), QStringLiteral("/dev/zero")};
        for (const QString& file : files) {
            f.errors.clear();
            QVERIFY(!page->loadTerminalText(file));
            QCOMPARE(f.errors.size(), 1);
            QVERIFY2(f.errors[0].contains(file), qPrintable(f.errors[0]));
            QCOMPARE(memo->toPlainText(), QString("BB 00 C3 00 00 C3 7E"));
        }
        f.errors.clear();
        QVERIFY(!page->saveTerminalText(dir.filePath("no-such-folder/out.txt")));
        QCOMPARE(f.errors.size(), 1);
    }

    void aSaveThatDoesNotFitKeepsTheOldFile() {
        ScriptedDevice device;
        FormFixture f(device);
        auto* page = f.find<SerialPage>("TabSheet9");
        f.find<QPlainTextEdit>("Memo1")->setPlainText(
            QString("BB 00 22 00 00 22 7E\n").repeated(5000));
        QTemporaryDir dir;
        const QString path = writeFile(dir, "frames.txt", "BB 00 C3 00 00 C3 7E\n");
        {
            const FileSizeLimit limit(4096);
            QVERIFY(!page->saveTerminalText(path));
        }
        QCOMPARE(readFile(path), QByteArray("BB 00 C3 00 00 C3 7E\n"));
        QCOMPARE(f.errors.size(), 1);
        QVERIFY2(f.errors[0].contains(path) && f.errors[0].contains(qt_error_string(EFBIG)),
                 qPrintable(f.errors[0]));
    }

    void onlyRegularFilesAreLoadedAndNoneBlocks() {
        ScriptedDevice device;
        FormFixture f(device);
        auto* page = f.find<SerialPage>("TabSheet9");
        QTemporaryDir dir;
        const QString fifo = dir.filePath("fifo");
        QCOMPARE(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        // A load that waits in open() for a writer is let go, and found out.
        std::atomic<bool> done{false}, waited{false};
        std::thread watchdog([&] {
            while (!done) {
                const int fd = ::open(fifo.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    waited = true;
                    ::close(fd);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
        for (const QString& file : {fifo, dir.path()}) {
            f.errors.clear();
            QVERIFY(!page->loadTerminalText(file));
            QCOMPARE(f.errors, QStringList{QString("文件 %1 不是文本文件，未载入").arg(file)});
        }
        done = true;
        watchdog.join();
        QVERIFY(!waited);
        QCOMPARE(f.find<QPlainTextEdit>("Memo1")->toPlainText(), QString("BB 00 C3 00 00 C3 7E"));
    }

    void aLongPasteIsCutAndItsLinesBroken() {
        ScriptedDevice device;
        FormFixture f(device);
        auto* memo = f.find<QPlainTextEdit>("Memo1");
        const qsizetype limit = SerialPage::kLoadLimit;
        QApplication::clipboard()->setText(QString("0123456789ABCDEF").repeated(limit / 16 + 2));
        memo->selectAll();
        memo->paste();
        const QStringList lines = memo->toPlainText().split('\n');
        QCOMPARE(lines.join(QString()), QString("0123456789ABCDEF").repeated(limit / 16));
        for (const QString& line : lines)
            QVERIFY(line.size() <= 1024);
        QCOMPARE(f.lines(), QStringList{"发送框最多容纳 1048576 个字符，粘贴的数据多出的 32 "
                                        "个字符未放入   " +
                                        FormFixture::time()});

        // A full memo takes nothing more; a paste that fits is taken whole.
        memo->moveCursor(QTextCursor::End);
        memo->paste();
        QCOMPARE(f.lines().size(), 2);
        f.click("Button7");
        f.clearLog();
        QApplication::clipboard()->setText("BB 00 C3\n00 00 C3 7E");
        memo->paste();
        QCOMPARE(memo->toPlainText(), QString("BB 00 C3\n00 00 C3 7E"));
        QCOMPARE(f.lines(), QStringList());
    }

    void losingTheDeviceClosesThePort() {
        ScriptedSerialReader reader;
        SerialForm s(reader.terminal.path());
        // A page change points CommName at another port; the open one is named.
        s.form.form.serialLink().Comm1().setCommName("/dev/ttyS9");
        reader.hangUp();
        QTRY_COMPARE_WITH_TIMEOUT(
            s.form.lines(),
            QStringList({QString("串口 %1 的连接已断开（设备已拔出或已切换模式），串口已关闭   ")
                                 .arg(reader.terminal.path()) +
                             FormFixture::time(),
                         ""}),
            10000);
        QVERIFY(!s.form.form.serialLink().Comm1().isOpen());
        QVERIFY(s.form.find<QPushButton>("Button73")->isEnabled());
        QVERIFY(!s.form.find<QPushButton>("Button74")->isEnabled());
    }

    void periodicSendingStopsWhenThePortGoesAway() {
        ScriptedSerialReader reader;
        SerialForm s(reader.terminal.path());
        s.form.find<QLineEdit>("Edit6")->setText("20");
        auto* box = s.form.find<QCheckBox>("CheckBox3");
        bool hungUp = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!hungUp && reader.frames.size() >= 2) {
                hungUp = true;
                reader.hangUp();
            }
        });
        watch.start(10);
        // Ends a loop that would otherwise run on.
        QTimer::singleShot(30000, box, [box] { box->setChecked(false); });
        QElapsedTimer running;
        running.start();
        s.form.click("CheckBox3"); // returns when the loop has ended
        QVERIFY(running.elapsed() < 30000);
        QVERIFY(!box->isChecked());
        QVERIFY(!s.form.form.serialLink().Comm1().isOpen());
    }

    void cardMemoryButtonShowsThePicture() {
        ScriptedDevice device;
        FormFixture f(device);
        int shown = 0;
        f.form.context().showCardMemory = [&shown] { ++shown; };
        f.click("Button77");
        QCOMPARE(shown, 1);
    }

    void closingTheWindowClosesThePort() {
        ScriptedSerialReader reader;
        SerialForm s(reader.terminal.path());
        s.form.form.close();
        QVERIFY(!s.form.form.serialLink().Comm1().isOpen());
        QVERIFY(serialplatform::canOpenExclusively(reader.terminal.path().toLocal8Bit()));
    }
};

QTEST_MAIN(SerialPageTest)
#include "serial_page_test.moc"
