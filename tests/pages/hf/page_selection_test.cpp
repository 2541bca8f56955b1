#include "support/form_fixture.h"
#include "support/scripted_device.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTabWidget>

class PageSelectionTest : public QObject {
    Q_OBJECT

    static QAction* item(FormFixture& form, const char* name) { return form.find<QAction>(name); }

  private slots:
    void menuHoldsPagesThenStates() {
        ScriptedDevice device;
        FormFixture form(device);
        auto* menu = form.find<QMenu>("PageMenu");
        QStringList captions;
        for (const QAction* action : menu->actions())
            captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(captions, (QStringList{"读卡器状态 输出格式", "系统命令", "S50/S70", "Ultralight",
                                        "ISO14443B", "ISO15693", "-", "读写状态",
                                        "串口调试状态状态", "自动检测卡状态"}));
        QVERIFY(form.form.menuBar()->actions().contains(menu->menuAction()));
    }

    // A page whose tab is hidden is still shown when the menu makes it current.
    void pageItemShowsPage_data() {
        QTest::addColumn<QByteArray>("item");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("page");
        QTest::newRow("COM1") << QByteArray("COM1") << 0 << "TabSheet1";
        QTest::newRow("N10") << QByteArray("N10") << 1 << "TabSheet4";
        QTest::newRow("S50S701") << QByteArray("S50S701") << 2 << "TabSheet2";
        QTest::newRow("Ultralight1") << QByteArray("Ultralight1") << 3 << "TabSheet3";
        QTest::newRow("ISO14443B1") << QByteArray("ISO14443B1") << 4 << "TabSheet5";
        QTest::newRow("ISO156931") << QByteArray("ISO156931") << 5 << "TabSheet6";
    }
    void pageItemShowsPage() {
        QFETCH(QByteArray, item);
        QFETCH(int, index);
        QFETCH(QString, page);
        ScriptedDevice device;
        FormFixture form(device);
        form.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form.form));
        QTabWidget* control = form.form.pageControl();
        control->setCurrentIndex(9);
        this->item(form, item)->trigger();
        QCOMPARE(control->currentIndex(), index);
        QCOMPARE(control->currentWidget()->objectName(), page);
        QTRY_VERIFY(control->currentWidget()->isVisible());
        QVERIFY(!control->widget(9)->isVisible());
        // The tabs stay as they were: only page 0 of these has one.
        for (int i = 0; i < 6; ++i)
            QCOMPARE(control->isTabVisible(i), i == 0);
    }

    void stateItemsCheckRadioButtons_data() {
        QTest::addColumn<QByteArray>("item");
        QTest::addColumn<QByteArray>("radio");
        QTest::newRow("N7") << QByteArray("N7") << QByteArray("RadioButton4");
        QTest::newRow("N8") << QByteArray("N8") << QByteArray("RadioButton19");
        QTest::newRow("N6") << QByteArray("N6") << QByteArray("RadioButton3");
    }
    void stateItemsCheckRadioButtons() {
        QFETCH(QByteArray, item);
        QFETCH(QByteArray, radio);
        ScriptedDevice device;
        FormFixture form(device);
        // Start from a state other than the one chosen.
        form.find<QRadioButton>(radio == "RadioButton4" ? "RadioButton19" : "RadioButton4")
            ->setChecked(true);
        this->item(form, item)->trigger();
        for (const char* name : {"RadioButton3", "RadioButton4", "RadioButton19"})
            QCOMPARE(form.find<QRadioButton>(name)->isChecked(), radio == name);
        // The menu shows the state when it opens.
        auto* menu = form.find<QMenu>("PageMenu");
        emit menu->aboutToShow();
        for (const char* name : {"N6", "N7", "N8"})
            QCOMPARE(this->item(form, name)->isChecked(), QByteArray(name) == item);
    }

    // Only the debug state changes what an exchange logs.
    void debugStateLogsFrames() {
        ScriptedDevice device;
        FormFixture form(device);
        device.reply("AA00010001BB");
        item(form, "N7")->trigger();
        form.click("Button16");
        item(form, "N8")->trigger();
        device.reply("AA00010001BB");
        form.click("Button16");
        const QString halted = "HALT操作成功   " + FormFixture::time();
        QCOMPARE(form.lines(), (QStringList{"发送...AA00010607BB", "接收...AA00010001BB", halted,
                                            QString(), halted, QString()}));
    }
};

QTEST_MAIN(PageSelectionTest)
#include "page_selection_test.moc"
