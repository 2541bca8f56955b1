#include "app/log_pane.h"
#include "app/main_window.h"
#include "protocol/reader_device.h"
#include "standin/hidapi_standin.h"
#include "support/form_fixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <dlfcn.h>

namespace {

// The library --simulate loads, counting the frames the window hands it.
class CountingLibrary : public LibraryDevice {
  public:
    using LibraryDevice::LibraryDevice;
    int frames = 0;
    int write(const QByteArray& frame) override {
        ++frames;
        return LibraryDevice::write(frame);
    }
};

// Frames the hidapi stand-in has passed on to its readers; -1 when it is not loaded, as with
// the simulated library itself.
int standinFrames() {
    void* standin = dlopen(HIDAPI_STANDIN, RTLD_NOW | RTLD_NOLOAD);
    if (!standin)
        return -1;
    auto count = reinterpret_cast<int (*)(int)>(dlsym(standin, "hidStandinCount"));
    const int frames = count ? count(HIDSTANDIN_FRAMES) : -1;
    dlclose(standin);
    return frames;
}

struct PageRow {
    const char* name;
    std::function<void(FormFixture&)> act;
    QStringList lines;
};

// A result line with its time stamp.
QString stamped(const char* text) {
    return QString::fromUtf8(text) + FormFixture::time();
}

} // namespace

// The main window with a reader library loaded through the dynamic loader, as
// the program runs.
class EndToEndTest : public QObject {
    Q_OBJECT

    FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(9, 30, 0))};

  private slots:
    void simulatedReaderAnswersAndIsShown() {
        LibraryDevice device(simulatedReaderLibrary(QCoreApplication::applicationDirPath()));
        TForm1 form(device, clock);
        QVERIFY(form.panelText(2).contains(QString::fromUtf8("模拟读卡器")));
        // No reader family knows 0x7F: the reader says so with error code 8F.
        form.link().command("7f", 300,
                            ReplyTexts(QString::fromUtf8("成功   "), QString::fromUtf8("失败   ")));
        QCOMPARE(form.link().ReplyText(), QString("AA0002018F8CBB"));
        const QStringList expected = {QString::fromUtf8("失败   09:30:00 AM"),
                                      QString::fromUtf8("读写设备接收到了未定义的命令....."), ""};
        QCOMPARE(form.logPane()->lines(), expected);
    }

    // One command of every page that talks to the reader over USB, answered by the library as
    // the program loads it: under the real_library label the real library and the hidapi
    // stand-in, so that each page's frames cross the real report path.
    void everyPageIsAnsweredThroughTheLibrary() {
        const PageRow rows[] = {
            {"system commands",
             [](FormFixture& f) {
                 f.find<QLineEdit>("Edit4")->setText("12");
                 f.click("Button11");
             },
             {stamped("读写器地址设置成功   "), ""}},
            {"S50/S70",
             [](FormFixture& f) {
                 f.find<QComboBox>("ComboBox7")->setCurrentText("21");
                 f.find<QComboBox>("ComboBox8")->setCurrentText("02");
                 f.find<QLineEdit>("Edit3")->setText(QString(64, '5'));
                 f.click("Button9");
                 f.find<QComboBox>("ComboBox3")->setCurrentText("21");
                 f.find<QComboBox>("ComboBox6")->setCurrentText("02");
                 f.click("Button8");
             },
             {stamped("操作成功   "), "卡号为:A1B2C3D4", stamped("操作成功   "), "卡号为:A1B2C3D4",
              "卡的数据为:" + QString(64, '5'), ""}},
            {"Ultralight",
             [](FormFixture& f) {
                 f.find<QListWidget>("ListBox2")->setCurrentRow(5);
                 f.find<QLineEdit>("Edit56")->setText("11 22 33 44");
                 f.click("Button54");
                 f.find<QListWidget>("ListBox1")->setCurrentRow(5);
                 f.click("Button18");
             },
             {stamped("写卡操作成功   "), "卡号为:046F2AB13C5280", "", stamped("读卡 操作成功   "),
              "读卡返回数据为: 11223344000000000000000000000000", "卡ID号为:046F2AB13C5280", ""}},
            {"ISO14443B",
             [](FormFixture& f) { f.click("Button31"); },
             {stamped("操作成功   "), "", "卡片复位数据的长度为:0C",
              "返回操作后的数据为:5041300A1000000000007171", ""}},
            {"ISO15693",
             [](FormFixture& f) {
                 f.click("Button39");
                 f.find<QLineEdit>("Edit14")->setText("05");
                 f.find<QLineEdit>("Edit13")->setText("01");
                 f.click("Button38");
             },
             {stamped("写卡操作成功   "), "", stamped("操作成功   "), "标志位为：00",
              "读卡返回数据为：11223344", ""}},
            {"output format",
             [](FormFixture& f) { f.click("Button25"); },
             {stamped("读取输出格式成功   "), "输出格式为：  10位10进制（id后4字节转换）",
              "输出格式：  前面不加分号 ", "输出格式：  中间不加逗号 ", "输出格式：  后面不加问号 ",
              "输出格式：  最后面加回车", "没有增加自定义字节输出。   ", ""}},
            {"prefix and suffix",
             [](FormFixture& f) {
                 f.find<QLineEdit>("Edit52")->setText("10");
                 f.click("Button62");
             },
             {stamped("射频输出功率设置 失败   "), "输入的参数大于最大允许范围，溢出.....", ""}},
            {"read mode",
             [](FormFixture& f) { f.click("Button69"); },
             {stamped("设置 主动寻单卡EPC号 成功   ")}},
            {"WiFi", [](FormFixture& f) { f.click("Button80"); }, {stamped("读取Wifi成功   "), ""}},
            {"EPC read and write",
             [](FormFixture& f) {
                 f.click("Button65");
                 f.click("Button66");
             },
             {"the epc is: E20047139020602107401234", "写卡成功,卡号000000000000000000000001"}},
            {"serial terminal over USB",
             [](FormFixture& f) {
                 // A reader frame: the stand-in hands its reader the bytes from AA on.
                 f.find<QPlainTextEdit>("Memo1")->setPlainText("AA 00 02 CD 00 CF BB");
                 f.find<QRadioButton>("RadioButton38")->setChecked(true);
                 f.click("Button3");
             },
             {}},
            {"inventory RF settings",
             [](FormFixture& f) { f.click("ModuleReadButton"); },
             {stamped(
                 "模块：SIM-UHF 26dBm V1.0 · V1.0.0 · rfid-setup simulator，功率 26.00 dBm，中国 "
                 "900 MHz，信道 0: 920.125 MHz，S0 A Q=4   ")}},
        };
        CountingLibrary device(simulatedReaderLibrary(QCoreApplication::applicationDirPath()));
        const bool overStandin = qEnvironmentVariableIsSet("READERHID_SIM_LIBRARY");
        for (const PageRow& row : rows) {
            FormFixture f(device);
            const int before = device.frames;
            const int standinBefore = standinFrames();
            row.act(f);
            QVERIFY2(device.frames > before, row.name);
            QVERIFY2(f.errors.isEmpty(), row.name);
            QCOMPARE(f.lines(), row.lines);
            if (overStandin)
                QCOMPARE(standinFrames() - standinBefore, device.frames - before);
        }
    }

    void realLibraryWithoutADeviceReportsNoData() {
        // An id no reader has: neither one plugged into the test machine nor the simulated
        // ones of the hidapi stand-in, when a test before has loaded it.
        qputenv("READERHID_DEVICE", "ffff:fffe");
        LibraryDevice device(QStringLiteral(REAL_LIBRARY));
        TForm1 form(device, clock);
        QCOMPARE(form.panelText(2), QString::fromUtf8("RFID   未找到读卡器"));
        form.link().command("83", 300, ReplyTexts(QString(), QString()));
        const QStringList expected = {QString::fromUtf8("无有效数据，请检查设备是否联接...."),
                                      QString::fromUtf8("通讯错误，没有接收到数据..   09:30:00 AM"),
                                      ""};
        QCOMPARE(form.logPane()->lines(), expected);
    }

    void missingLibraryIsOneLineNotACrash() {
        LibraryDevice device(QStringLiteral("libreaderhid-missing.so"));
        TForm1 form(device, clock);
        form.link().command("83", 0, ReplyTexts(QString(), QString()));
        const QStringList lines = form.logPane()->lines();
        QCOMPARE(lines.size(), 3);
        QVERIFY(
            lines[0].startsWith(QString::fromUtf8("无法加载读卡器库 libreaderhid-missing.so：")));
        QCOMPARE(lines[1], QString::fromUtf8("通讯错误，没有接收到数据..   09:30:00 AM"));
    }

    void libraryWithoutTheExportsIsOneLine() {
        // Any shared object without the two exports will do.
        LibraryDevice device(QStringLiteral("libm.so.6"));
        QCOMPARE(device.unavailableReason(),
                 QString::fromUtf8("读卡器库 libm.so.6 缺少函数 hidWriteData"));
        QVERIFY(!device.simulated());
    }

    // --simulate finds the simulated library beside the program, installed or in the build tree.
    void simulatedLibraryIsFoundInEitherLayout_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("found");
        const QString installed = QStringLiteral("lib/rfid-setup/sim/libreaderhid.so");
        const QString buildTree = QStringLiteral("sim/libreaderhid.so");
        QTest::newRow("installed") << QStringList{installed} << installed;
        QTest::newRow("build tree") << QStringList{buildTree} << buildTree;
        QTest::newRow("both: the installed one") << QStringList{buildTree, installed} << installed;
        QTest::newRow("neither") << QStringList{QStringLiteral("lib/rfid-setup/libreaderhid.so")}
                                 << QString();
    }
    void simulatedLibraryIsFoundInEitherLayout() {
        QFETCH(QStringList, present);
        QFETCH(QString, found);
        QTemporaryDir root;
        const QDir dir(root.path());
        QVERIFY(dir.mkpath(QStringLiteral("bin")));
        for (const QString& file : present) {
            QVERIFY(dir.mkpath(QFileInfo(file).path()));
            QFile library(dir.filePath(file));
            QVERIFY(library.open(QIODevice::WriteOnly));
        }
        const QString expected =
            found.isEmpty() ? QString() : QFileInfo(dir.filePath(found)).canonicalFilePath();
        QCOMPARE(simulatedLibraryPath(dir.filePath(QStringLiteral("bin"))), expected);
    }
};

QTEST_MAIN(EndToEndTest)
#include "end_to_end_test.moc"
