#include "pages/page_checks.h"
#include "support/sim_device.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>

namespace {

// StringGrid1's header is the grid's fixed row 0: grid row n is table row n - 1.
int gridRows(QTableWidget* grid) {
    return grid->rowCount() + 1;
}
int gridCurrentRow(QTableWidget* grid) {
    return grid->currentRow() + 1;
}
QString cell(QTableWidget* grid, int column, int gridRow) {
    const QTableWidgetItem* item = grid->item(gridRow - 1, column);
    return item ? item->text() : QString();
}

// A list-read reply whose data are the given bytes.
QString listReply(const QByteArray& data) {
    return replyFrame("00" + QString::fromLatin1(data.toHex().toUpper()));
}

} // namespace

class WifiPageTest : public QObject {
    Q_OBJECT

  private slots:
    void gridAtStart() {
        ScriptedDevice device;
        FormFixture form(device);
        auto* grid = form.find<QTableWidget>("StringGrid1");
        QCOMPARE(grid->columnCount(), 4);
        QCOMPARE(gridRows(grid), 11);
        QVERIFY(grid->isColumnHidden(0));
        const char* headers[] = {"序号", "WIFI名称", "信号强度"};
        const int widths[] = {64, 320, 84};
        for (int column = 1; column < 4; ++column) {
            QCOMPARE(grid->horizontalHeaderItem(column)->text(),
                     QString::fromUtf8(headers[column - 1]));
            QCOMPARE(grid->columnWidth(column), widths[column - 1]);
        }
        QCOMPARE(form.find<QLineEdit>("Edit73")->text(), QString());
    }

    void joinPayloads_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("frame");
        QTest::newRow("AB, 12345678") << "AB"
                                      << "12345678"
                                      << "AA000C8A41422C3132333435363738A1BB";
        QTest::newRow("both empty") << ""
                                    << ""
                                    << "AA00028A2CA4BB";
        QTest::newRow("Chinese name as GBK") << "办公室WiFi"
                                             << ""
                                             << "AA000C8AB0ECB9ABCAD2576946692CEDBB";
    }
    void joinPayloads() {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, frame);
        ScriptedDevice device;
        FormFixture form(device);
        form.find<QLineEdit>("Edit73")->setText(name);
        form.find<QLineEdit>("Edit74")->setText(password);
        form.click("Button78");
        QCOMPARE(device.written, QStringList{frame});
    }

    void refusedNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("error");
        QTest::newRow("comma in the name") << "a,b"
                                           << "12345678"
                                           << "Wifi名称中不能有逗号，命令未发送";
        QTest::newRow("emoji in the name") << QString::fromUtf8("net\xF0\x9F\x98\x80") << ""
                                           << "Wifi名称中有不能用GBK编码的字符，命令未发送";
        QTest::newRow("password of 7")
            << "net"
            << "1234567"
            << "Wifi密码须为空或 8 到 63 个字符（现有 7 个），命令未发送："
               "请改正密码后再设置";
        QTest::newRow("password of 64")
            << "net" << QString(64, 'p')
            << "Wifi密码须为空或 8 到 63 个字符（现有 64 个），命令未发送："
               "请改正密码后再设置";
        QTest::newRow("emoji in the password") << "net" << QString::fromUtf8("\xF0\x9F\x98\x80")
                                               << "Wifi密码中有不能用GBK编码的字符，命令未发送";
    }
    void refusedNames() {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, error);
        checkRefused({{"Edit73", name}, {"Edit74", password}}, "Button78", error);
    }

    // 8A, name, 2C, password: 250 bytes fill the largest frame; one more is refused.
    void joinThatDoesNotFitOneFrame() {
        ScriptedDevice device;
        FormFixture form(device);
        form.find<QLineEdit>("Edit73")->setText(QString(185, 'A'));
        form.find<QLineEdit>("Edit74")->setText(QString(63, 'B'));
        form.click("Button78");
        QCOMPARE(device.written.size(), 1);
        QCOMPARE(device.written[0].size(), 2 * 255);

        form.clearLog();
        form.find<QLineEdit>("Edit73")->setText(QString(186, 'A'));
        form.click("Button78");
        QCOMPARE(device.written.size(), 1);
        QCOMPARE(form.lines(),
                 (QStringList{"命令帧有 256 字节，超过 255 字节的发送缓冲，未发送   " +
                                  FormFixture::time(),
                              "通讯错误，没有接收到数据..   " + FormFixture::time(), ""}));
    }

    void outcomes_data() {
        outcomeColumns();
        addOutcomeRows("Button78", "WIFI设置成功   ", "WIFI设置失败   ", true);
    }
    void outcomes() { checkOutcomeRow(); }

    void readFailures_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("lines");
        const QString time = FormFixture::time();
        QTest::newRow("IP, status 01")
            << QByteArray("Button79") << replyFrame("0101")
            << QStringList{"读取IP地址失败   " + time, "命令操作失败.....", ""};
        QTest::newRow("IP, status 05") << QByteArray("Button79") << replyFrame("05")
                                       << QStringList{"数据丢包，流水校验出错   " + time, ""};
        QTest::newRow("list, status 01")
            << QByteArray("Button80") << replyFrame("0182")
            << QStringList{"读取Wifi失败   " + time, "通讯超时 ....", ""};
        QTest::newRow("list, status 03") << QByteArray("Button80") << replyFrame("03")
                                         << QStringList{"数据丢包，流水校验出错   " + time, ""};
        QTest::newRow("list, no reply") << QByteArray("Button80") << QString()
                                        << QStringList{"无有效数据，请检查设备是否联接....",
                                                       "通讯错误，没有接收到数据..   " + time, ""};
    }
    void readFailures() { checkOutcomeRow(); }

    // Status 00 with no room for data (length byte 0): an empty address, not
    // the bytes after it.
    void readIpWithoutData() {
        ScriptedDevice device;
        FormFixture form(device);
        device.reply("AA 00 00 00 00");
        form.click("Button79");
        QCOMPARE(form.lines(),
                 (QStringList{"读取IP地址成功   " + FormFixture::time(), "IP地址为：", ""}));
    }

    void joinThenReadTheAddress() {
        SimDevice device;
        FormFixture form(device);
        form.find<QLineEdit>("Edit73")->setText("办公室WiFi");
        form.find<QLineEdit>("Edit74")->setText("secret-123");
        form.click("Button78");
        QCOMPARE(device.reader.wifiModule().joinedName,
                 std::string("\xB0\xEC\xB9\xAB\xCA\xD2WiFi"));
        QCOMPARE(device.reader.wifiModule().password, std::string("secret-123"));
        // In debug mode the frame sent is logged with the password masked.
        form.find<QRadioButton>("RadioButton4")->setChecked(true);
        form.clearLog();
        form.click("Button78");
        QCOMPARE(form.lines().value(0), "发送...AA00168a" + QStringLiteral("B0ECB9ABCAD2") +
                                            "576946692c" + QString(22, '*') + "BB");
        QVERIFY(!form.lines().join(' ').contains("7365637265"));
        form.find<QRadioButton>("RadioButton3")->setChecked(true);
        form.clearLog();
        form.click("Button79");
        QCOMPARE(device.written.last(), QString("AA00018B8ABB"));
        QCOMPARE(form.lines(), (QStringList{"读取IP地址成功   " + FormFixture::time(),
                                            "IP地址为：192.168.1.57", ""}));
    }

    void readTheListFromTheSimulatedModule() {
        SimDevice device;
        FormFixture form(device);
        form.find<QLineEdit>("Edit73")->setText("typed");
        form.click("Button80");
        QCOMPARE(device.written, QStringList{"AA00018C8DBB"});
        QCOMPARE(form.lines(), (QStringList{"读取Wifi成功   " + FormFixture::time(), ""}));
        auto* grid = form.find<QTableWidget>("StringGrid1");
        const char* names[] = {"TP-LINK_5A3C", "办公室WiFi", "ChinaNet-8F2D", "Warehouse",
                               "HUAWEI-P30"};
        const char* strengths[] = {"-45", "-52", "-67", "-73", "-81"};
        for (int row = 1; row <= 5; ++row) {
            QCOMPARE(cell(grid, 1, row), QString::number(row));
            QCOMPARE(cell(grid, 2, row), QString::fromUtf8(names[row - 1]));
            QCOMPARE(cell(grid, 3, row), QString(strengths[row - 1]));
        }
        QCOMPARE(cell(grid, 2, 6), QString());
        QCOMPARE(gridRows(grid), 6 + 11);
        QCOMPARE(gridCurrentRow(grid), 6);
        // The current row moved to an empty row, so Edit73 is empty.
        QCOMPARE(form.find<QLineEdit>("Edit73")->text(), QString());
    }

    void listParsing_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QStringList>("rows"); // "number|name|strength" per row
        QTest::addColumn<int>("rowCount");
        QTest::addColumn<int>("currentRow");
        QTest::newRow("two entries") << QByteArray("Net1,-40;Net2,-70;")
                                     << QStringList{"1|Net1|-40", "2|Net2|-70"} << 14 << 3;
        QTest::newRow("comma in a name")
            << QByteArray("Ne,t1,-40;") << QStringList{"1|Ne|t1-40"} << 13 << 2;
        QTest::newRow("bytes after the last entry dropped")
            << QByteArray("Net1,-40;Net2,-7") << QStringList{"1|Net1|-40"} << 13 << 2;
        QTest::newRow("no complete entry") << QByteArray("Net1,-40") << QStringList{} << 11 << 0;
        QTest::newRow("empty list") << QByteArray() << QStringList{} << 11 << 0;
        QTest::newRow("entry without strength")
            << QByteArray("Open;") << QStringList{"1|Open|"} << 13 << 2;
    }
    void listParsing() {
        QFETCH(QByteArray, data);
        QFETCH(QStringList, rows);
        QFETCH(int, rowCount);
        QFETCH(int, currentRow);
        ScriptedDevice device;
        FormFixture form(device);
        device.reply(listReply(data));
        form.click("Button80");
        auto* grid = form.find<QTableWidget>("StringGrid1");
        for (int row = 1; row < gridRows(grid); ++row) {
            const QString expected = rows.value(row - 1, "||");
            QCOMPARE(cell(grid, 1, row) + "|" + cell(grid, 2, row) + "|" + cell(grid, 3, row),
                     expected);
        }
        QCOMPARE(gridRows(grid), rowCount);
        QCOMPARE(gridCurrentRow(grid), currentRow);
    }

    // Every list read starts from an empty grid, whatever the reply.
    void failedReadLeavesTheGridCleared() {
        ScriptedDevice device;
        FormFixture form(device);
        device.reply(listReply("Net1,-40;Net2,-70;"));
        form.click("Button80");
        device.reply(replyFrame("0182"));
        form.click("Button80");
        auto* grid = form.find<QTableWidget>("StringGrid1");
        QCOMPARE(gridRows(grid), 11);
        for (int row = 1; row < 11; ++row)
            for (int column = 1; column < 4; ++column)
                QCOMPARE(cell(grid, column, row), QString());
    }

    void selectingACellFillsTheName() {
        ScriptedDevice device;
        FormFixture form(device);
        device.reply(listReply("Net1,-40;Net2,-70;"));
        form.click("Button80");
        auto* grid = form.find<QTableWidget>("StringGrid1");
        auto* name = form.find<QLineEdit>("Edit73");
        grid->setCurrentCell(1, 2);
        QCOMPARE(name->text(), QString("Net2"));
        // The strength cell's text goes into Edit73 as well.
        grid->setCurrentCell(0, 3);
        QCOMPARE(name->text(), QString("-40"));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(0, 2)).center());
        QCOMPARE(name->text(), QString("Net1"));
    }

    void listButtonIsDisabledDuringItsExchange() {
        ScriptedDevice device;
        device.writeResult = 0;
        FormFixture form(device);
        auto* button = form.find<QPushButton>("Button80");
        bool enabledDuringWait = true;
        // Ends the wait with a reply as another command would.
        QTimer::singleShot(50, [&] {
            enabledDuringWait = button->isEnabled();
            form.form.link().setReplyText(listReply("A,-1;"));
        });
        form.click("Button80");
        QVERIFY(!enabledDuringWait);
        QVERIFY(button->isEnabled());
        QCOMPARE(cell(form.find<QTableWidget>("StringGrid1"), 2, 1), QString("A"));
    }
};

QTEST_MAIN(WifiPageTest)
#include "wifi_page_test.moc"
