// Port discovery: the probe list, RFID_SERIAL_PORTS, and what a page change
// does with the port list and Comm1.
#include "app/device_monitor.h"
#include "serial/comm.h"
#include "serial/port_discovery.h"
#include "serial/pseudo_terminal.h"
#include "support/form_fixture.h"
#include "support/scripted_device.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <memory>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kSerialPage = 8;

// Sets RFID_SERIAL_PORTS for one test and puts back what was there.
class PortsVariable {
  public:
    explicit PortsVariable(const QStringList& paths)
        : was_(qgetenv("RFID_SERIAL_PORTS")),
          wasSet_(qEnvironmentVariableIsSet("RFID_SERIAL_PORTS")) {
        qputenv("RFID_SERIAL_PORTS", paths.join(':').toLocal8Bit());
    }
    ~PortsVariable() {
        if (wasSet_)
            qputenv("RFID_SERIAL_PORTS", was_);
        else
            qunsetenv("RFID_SERIAL_PORTS");
    }

  private:
    QByteArray was_;
    bool wasSet_;
};

// Switches to another page and back to the serial page, as the operator does.
void switchPages(FormFixture& f) {
    f.form.pageControl()->setCurrentIndex(0);
    f.form.pageControl()->setCurrentIndex(kSerialPage);
}

QStringList items(QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

} // namespace

class PortDiscoveryTest : public QObject {
    Q_OBJECT

    ScriptedDevice device;

  private slots:
    void probesTheUsualDevicesInOrder() {
        const QByteArray was = qgetenv("RFID_SERIAL_PORTS");
        qunsetenv("RFID_SERIAL_PORTS");
        const QStringList candidates = serialPortCandidates();
        if (!was.isNull())
            qputenv("RFID_SERIAL_PORTS", was);
        QCOMPARE(candidates.size(), 32);
        QCOMPARE(candidates.first(), QString("/dev/ttyUSB0"));
        QCOMPARE(candidates[7], QString("/dev/ttyUSB7"));
        QCOMPARE(candidates[8], QString("/dev/ttyACM0"));
        QCOMPARE(candidates[16], QString("/dev/ttyS0"));
        QCOMPARE(candidates.last(), QString("/dev/ttyS15"));
    }

    void theVariableReplacesTheProbeList() {
        PseudoTerminal first, held, third;
        TComm holder;
        holder.setCommName(held.path());
        holder.OpenPort();
        // A bare name is no device, even where the working directory has one.
        const QString bare = first.path().mid(1);
        const PortsVariable ports(
            {first.path(), "", "/dev/no-such-port", held.path(), bare, third.path()});
        QCOMPARE(serialPortCandidates(),
                 QStringList({first.path(), "/dev/no-such-port", held.path(), bare, third.path()}));
        const QString workingDirectory = QDir::currentPath();
        QVERIFY(QDir::setCurrent("/"));
        const PortSurvey survey = surveySerialPorts();
        QDir::setCurrent(workingDirectory);
        QCOMPARE(survey.available, QStringList({first.path(), third.path()}));
        // Only the port that is there and held is skipped; its lock is ours.
        QCOMPARE(survey.skipped.size(), 1);
        QCOMPARE(survey.skipped[0].path, held.path());
        QVERIFY(!survey.skipped[0].denied);
        QCOMPARE(survey.skipped[0].holderPid, long(getpid()));
    }

    void aPageChangeListsTheFreePortsAndChoosesTheFirst() {
        PseudoTerminal com1, com3;
        const PortsVariable ports({com1.path(), com3.path()});
        FormFixture f(device);
        auto* list = f.find<QComboBox>("ComboBox21");
        QCOMPARE(list->count(), 0);
        QCOMPARE(f.form.serialLink().Comm1().CommName(), QString("COM1"));

        switchPages(f);
        QCOMPARE(items(list), QStringList({com1.path(), com3.path()}));
        QCOMPARE(list->currentText(), com1.path());
        QCOMPARE(f.form.serialLink().Comm1().CommName(), com1.path());
    }

    void theOpenPortStaysOpenAndShown() {
        PseudoTerminal com1, com3;
        const PortsVariable ports({com1.path(), com3.path()});
        FormFixture f(device);
        TComm& comm = f.form.serialLink().Comm1();
        comm.setCommName(com3.path());
        f.click("Button73");
        QVERIFY(comm.isOpen());

        switchPages(f);
        auto* list = f.find<QComboBox>("ComboBox21");
        QCOMPARE(items(list), QStringList({com1.path(), com3.path()}));
        QCOMPARE(list->currentText(), com3.path());
        QCOMPARE(comm.CommName(), com3.path());
        QVERIFY(comm.isOpen());
        QVERIFY(comm.WritePortData("\x42", 1));
        QCOMPARE(com3.read(1), QByteArray("\x42"));

        f.click("Button74");
        QVERIFY(!comm.isOpen());
        QVERIFY(serialplatform::canOpenExclusively(com3.path().toLocal8Bit()));
    }

    // A chosen port that has been unplugged: opening it or sending to it says
    // so in one line with what to do, and the list is made again.
    void aPortThatHasGoneIsSaidAndTheListMadeAgain_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::newRow("open") << QByteArray("Button73");
        QTest::newRow("send") << QByteArray("Button3");
    }
    void aPortThatHasGoneIsSaidAndTheListMadeAgain() {
        QFETCH(QByteArray, button);
        PseudoTerminal com1;
        const PortsVariable ports({com1.path()});
        FormFixture f(device);
        f.form.serialLink().Comm1().setCommName("/dev/ttyUSB-unplugged");
        f.find<QComboBox>("ComboBox21")->addItem("/dev/ttyUSB-unplugged");
        f.click(button.constData());
        QCOMPARE(f.lines(),
                 QStringList{QString::fromUtf8(
                                 "串口 /dev/ttyUSB-unplugged 已不存在（读卡器或串口线已拔下）："
                                 "请重新插上，再在“通讯COM口”中选择串口   ") +
                             FormFixture::time()});
        QCOMPARE(f.errors, QStringList());
        QCOMPARE(items(f.find<QComboBox>("ComboBox21")), QStringList({com1.path()}));
        QCOMPARE(f.form.serialLink().Comm1().CommName(), com1.path());
    }

    void withoutAFreePortTheListSaysSo() {
        const PortsVariable ports({"/dev/no-such-port"});
        FormFixture f(device);
        switchPages(f);
        auto* list = f.find<QComboBox>("ComboBox21");
        QCOMPARE(items(list), QStringList({QString::fromUtf8("没有可用串口")}));
        QCOMPARE(list->currentIndex(), 0);
        QCOMPARE(f.form.serialLink().Comm1().CommName(), QString("none"));

        f.click("Button73");
        QCOMPARE(f.errors, QStringList({"the com is not exist!..."}));
        QVERIFY(f.find<QPushButton>("Button73")->isEnabled());
        QVERIFY(f.find<QPushButton>("Button74")->isEnabled());

        // Choosing the entry tries to open it, with the same message.
        emit list->activated(0);
        QCOMPARE(f.errors.size(), 2);
        QCOMPARE(f.errors.last(), QString("the com is not exist!..."));
    }

    // Ports that are there but cannot be opened stay off the list; each page
    // change says why, once per port: held by another program (named), not
    // permitted (with the command that permits it). The port open here is
    // left unsaid, and listed.
    void aPageChangeSaysWhyAPortIsNotListed() {
        PseudoTerminal free, held, denied, own;
        QProcess holder;
        holder.start("flock", {"--exclusive", held.path(), "sleep", "60"});
        QVERIFY(holder.waitForStarted());
        // flock takes the lock before it starts sleep.
        QTRY_VERIFY(!serialplatform::canOpenExclusively(held.path().toLocal8Bit()));
        const bool root = geteuid() == 0;
        if (!root)
            QVERIFY(::chmod(denied.path().toLocal8Bit().constData(), 0) == 0);
        const PortsVariable ports({free.path(), held.path(), denied.path(), own.path()});
        FormFixture f(device);
        f.form.serialLink().Comm1().setCommName(own.path());
        f.click("Button73");

        switchPages(f);
        const QString user = QString::fromLocal8Bit(getpwuid(geteuid())->pw_name);
        QStringList expected{QString("串口 %1 未列出：正被进程 %2（flock）使用   09:30:00 AM")
                                 .arg(held.path())
                                 .arg(holder.processId())};
        if (!root)
            expected << QString("串口 %1 未列出：没有使用权限，请把用户加入 dialout 组（sudo "
                                "usermod -aG dialout %2），重新登录后生效   09:30:00 AM")
                            .arg(denied.path(), user);
        QCOMPARE(f.lines(), expected);
        QStringList listed{free.path()};
        if (root)
            listed << denied.path();
        listed << own.path();
        QCOMPARE(items(f.find<QComboBox>("ComboBox21")), listed);
        holder.kill();
        holder.waitForFinished();
    }

    void aPageChangeSetsNineThousandSixHundredBaud() {
        PseudoTerminal com1;
        const PortsVariable ports({com1.path()});
        FormFixture f(device);
        switchPages(f);
        auto* rates = f.find<QComboBox>("ComboBox22");
        QCOMPARE(rates->currentText(), QString("9600"));
        rates->setCurrentIndex(4);
        emit rates->activated(4);
        TComm& comm = f.form.serialLink().Comm1();
        QCOMPARE(comm.BaudRate(), quint32(115200));
        // Choosing a rate opens the port, even when it was closed.
        QVERIFY(comm.isOpen());
        QVERIFY(!f.find<QPushButton>("Button73")->isEnabled());
        QVERIFY(f.find<QPushButton>("Button74")->isEnabled());
        const termios before = com1.settings();
        QCOMPARE(cfgetospeed(&before), speed_t(B115200));

        switchPages(f);
        QCOMPARE(rates->currentText(), QString("115200"));
        QCOMPARE(comm.BaudRate(), quint32(9600));
        const termios after = com1.settings();
        QCOMPARE(cfgetospeed(&after), speed_t(B9600));
    }

    void choosingAPortReopensOnIt() {
        PseudoTerminal com1, com3;
        const PortsVariable ports({com1.path(), com3.path()});
        FormFixture f(device);
        switchPages(f);
        auto* list = f.find<QComboBox>("ComboBox21");
        f.click("Button73");
        list->setCurrentIndex(1);
        emit list->activated(1);
        TComm& comm = f.form.serialLink().Comm1();
        QCOMPARE(comm.CommName(), com3.path());
        QVERIFY(comm.isOpen());
        QVERIFY(serialplatform::canOpenExclusively(com1.path().toLocal8Bit()));
        QVERIFY(!serialplatform::canOpenExclusively(com3.path().toLocal8Bit()));
    }

    void aPageChangeStopsTheFirstElevenContinuousModes() {
        const PortsVariable ports({});
        FormFixture f(device);
        std::vector<std::unique_ptr<QCheckBox>> boxes;
        for (const char* name : {"CheckBox5", "CheckBox11", "CheckBox12", "CheckBox20"}) {
            boxes.push_back(std::make_unique<QCheckBox>());
            boxes.back()->setObjectName(name);
            boxes.back()->setChecked(true);
            f.form.registerLoopBox(boxes.back().get());
        }
        switchPages(f);
        QVERIFY(!boxes[0]->isChecked());
        QVERIFY(!boxes[1]->isChecked());
        QVERIFY(boxes[2]->isChecked());
        QVERIFY(boxes[3]->isChecked());
    }

    // A tty coming: the list is rebuilt around the port in use, which stays
    // chosen, listed in its place and open.
    void aPortPluggedInKeepsTheChoice() {
        PseudoTerminal com1, com3;
        // Another program holds COM1 until it is "plugged in".
        int holder = ::open(com1.path().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(holder >= 0 && flock(holder, LOCK_EX | LOCK_NB) == 0);
        const PortsVariable ports({com1.path(), com3.path()});
        FormFixture f(device);
        DeviceMonitor monitor;
        f.form.watch(monitor);
        switchPages(f);
        auto* list = f.find<QComboBox>("ComboBox21");
        emit list->activated(0);
        TComm& comm = f.form.serialLink().Comm1();
        QVERIFY(comm.isOpen());
        QCOMPARE(comm.CommName(), com3.path());

        ::close(holder);
        monitor.handle({"tty", "add", com1.path()});
        QCOMPARE(items(list), QStringList({com1.path(), com3.path()}));
        QCOMPARE(list->currentText(), com3.path());
        QCOMPARE(comm.CommName(), com3.path());
        QVERIFY(comm.isOpen());
    }

    // The chosen port gone: the first one left is taken, as after a page
    // change, but the baud rate is not touched.
    void aChosenPortUnpluggedGivesWayToTheFirst() {
        PseudoTerminal com1;
        auto com3 = std::make_unique<PseudoTerminal>();
        const QString gone = com3->path();
        const PortsVariable ports({com1.path(), gone});
        FormFixture f(device);
        DeviceMonitor monitor;
        f.form.watch(monitor);
        switchPages(f);
        auto* list = f.find<QComboBox>("ComboBox21");
        list->setCurrentIndex(1);
        TComm& comm = f.form.serialLink().Comm1();
        comm.setCommName(gone);
        comm.setBaudRate(115200);

        com3.reset();
        monitor.handle({"tty", "remove", gone});
        QCOMPARE(items(list), QStringList({com1.path()}));
        QCOMPARE(list->currentText(), com1.path());
        QCOMPARE(comm.CommName(), com1.path());
        QCOMPARE(comm.BaudRate(), 115200u);

        // Another kind of event leaves the list alone.
        list->clear();
        monitor.handle({"tty", "change", com1.path()});
        monitor.handle({"usb", "add", "/dev/bus/usb/001/004"});
        QCOMPARE(list->count(), 0);
    }
};

QTEST_MAIN(PortDiscoveryTest)
#include "port_discovery_test.moc"
