#include "app/version_window.h"

#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

class VersionWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void holdsTheFourteenLines();
    void isAFixedCaptionedWindowWithoutMaximise();
};

void VersionWindowTest::holdsTheFourteenLines() {
    const QStringList expected = {
        " 版本更新记录：",
        "1.6版本  增加GS1格式的读卡功能",
        "1.7版本  增加TID 和 多卡识读功能",
        "1.8版本  增加USB透传 和 USB调试功能，支持USB数据发送和接收",
        "1.9版本  增加不同长度的EPC号码的读卡",
        "2.0版本  增加不同长度的EPC号码的写卡",
        "2.1版本  测试调试版本",
        "2.2版本  增加存储扇区的读卡，可以指定任意扇区",
        "2.3版本  增加虚拟串口切换",
        "2.4版本  增加显示RSSI功能",
        "2.5版本  增加自动累加，自动写卡功能",
        "2.6版本  增加串口接收显示，增加USB_COM切换成USB_HID",
        "2.7版本  增加WIFI功能，增加WIFI列表显示",
        "2.8版本  增加继电器的控制功能",
    };
    TForm2 form;
    auto* text = form.findChild<QTextEdit*>("RichEdit1");
    QVERIFY(text);
    QStringList paragraphs;
    for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next())
        paragraphs << block.text();
    QCOMPARE(paragraphs, expected);
}

void VersionWindowTest::isAFixedCaptionedWindowWithoutMaximise() {
    QWidget owner;
    auto* form = new TForm2(&owner);
    QCOMPARE(form->objectName(), QString("Form2"));
    QCOMPARE(form->windowTitle(), QString("RFID"));
    QCOMPARE(form->size(), QSize(739, 528));
    QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(form->windowFlags() & Qt::WindowSystemMenuHint);
    QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));

    auto* text = form->findChild<QTextEdit*>("RichEdit1");
    QVERIFY(text);
    QVERIFY(!text->isEnabled());
    QCOMPARE(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(text->font().pixelSize(), 13);

    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QCOMPARE(text->size(), QSize(717, 476));
    QCOMPARE(text->geometry().center(), form->rect().center());
    // A larger window gives the box the room.
    form->resize(900, 700);
    QTRY_COMPARE(text->size(), QSize(900 - 22, 700 - 52));
}

QTEST_MAIN(VersionWindowTest)
#include "version_window_test.moc"
