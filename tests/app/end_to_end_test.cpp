#include "app/log_pane.h"
#include "app/main_window.h"
#include "protocol/reader_device.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
