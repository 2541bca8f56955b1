#include "app/log_pane.h"
#include "app/main_window.h"
#include "app/styles.h"
#include "app/version_window.h"
#include "pages/page_support.h"
#include "support/file_size_limit.h"
#include "support/scripted_device.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QMenu>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <cerrno>

// A device that records how far the glyphs drawn on it reach, whatever the
// clip: its engine draws glyphs as paths, which it measures.
class GlyphReach : public QPaintDevice, QPaintEngine {
  public:
    GlyphReach() : QPaintEngine(AllFeatures) {}
    QRectF reached;

    QPaintEngine* paintEngine() const override { return const_cast<GlyphReach*>(this); }
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    Type type() const override { return User; }
    void drawTextItem(const QPointF& at, const QTextItem& item) override {
        inText_ = true;
        QPaintEngine::drawTextItem(at, item);
        inText_ = false;
    }
    void drawPath(const QPainterPath& path) override {
        if (inText_)
            reached |= painter()->transform().map(path).boundingRect();
    }

  protected:
    int metric(PaintDeviceMetric metric) const override {
        return metric == PdmDevicePixelRatioScaled ? int(devicePixelRatioFScale())
               : metric == PdmDevicePixelRatio     ? 1
                                                   : 96; // sizes too: the pane is drawn unclipped
    }

  private:
    bool inText_ = false;
};

class MainWindowTest : public QObject {
    Q_OBJECT

    ScriptedDevice device;
    FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(0, 4, 9))};

    // Closes the modal window that opens next, once it is up.
    static void closeNextModal(QWidget** seen) {
        QTimer::singleShot(0, [seen] {
            QWidget* modal = QApplication::activeModalWidget();
            *seen = modal;
            if (modal)
                modal->close();
        });
    }

    // 2,048 received bytes as the serial page shows them.
    static QString receivedBytes(int i) {
        QByteArray bytes;
        for (int j = 0; j < 2048; ++j)
            bytes += char(i * 7 + j);
        return "232RX Data..\r" + QString::fromLatin1(bytes.toHex().toUpper());
    }

    // Received bytes, and lines the pane draws whole: Chinese, right-to-left
    // text, and one with a tab.
    static void fillWithReceivedLines(LogPane& pane) {
        for (int i = 0; i < 24; ++i)
            pane.appendLine(receivedBytes(i));
        pane.appendLine(QString::fromUtf8("读写器地址设置成功   12:04:09 AM"));
        pane.appendLine(QString::fromUtf8("设置成功").repeated(400));
        pane.appendLine("tab\there" + QString(3000, QChar('x')));
        pane.appendLine(QString::fromUtf8("שלום 12 ab ").repeated(300));
        pane.appendLine(receivedBytes(24));
        pane.flush();
    }

  private slots:
    void startShowsTheWindowAsDesigned() {
        TForm1 form(device, clock);
        QCOMPARE(form.objectName(), QString("Form1"));
        QCOMPARE(form.windowTitle(), QString::fromUtf8("设置输出格式软件 V2.9"));
        QCOMPARE(form.size(), QSize(857, 647));
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));

        const struct {
            const char* name;
            const char* caption;
            bool shown;
        } pages[] = {{"TabSheet1", "读卡器状态 输出格式", true},
                     {"TabSheet4", "系统命令", false},
                     {"TabSheet2", "S50/S70", false},
                     {"TabSheet3", "Ultralight", false},
                     {"TabSheet5", "ISO14443B", false},
                     {"TabSheet6", "ISO15693", false},
                     {"TabSheet7", "前后缀数据输入", true},
                     {"TabSheet8", "配置读卡模式", true},
                     {"TabSheet9", "串口功能", true},
                     {"TabSheet10", "Wifi功能", true},
                     {"InventorySheet", "标签盘点", true}};
        QTabWidget* control = form.pageControl();
        QCOMPARE(control->count(), 11);
        for (int i = 0; i < 11; ++i) {
            QCOMPARE(control->widget(i)->objectName(), QString(pages[i].name));
            QCOMPARE(control->tabText(i), QString::fromUtf8(pages[i].caption));
            QCOMPARE(control->isTabVisible(i), pages[i].shown);
        }
        QCOMPARE(control->currentIndex(), 0);

        auto* setadd = form.findChild<QComboBox*>("setadd");
        QVERIFY(setadd);
        QCOMPARE(setadd->count(), 33);
        QCOMPARE(setadd->currentText(), QString("00"));
        QCOMPARE(setadd->itemText(10), QString("0a"));
        QCOMPARE(setadd->itemText(32), QString("20"));
    }

    // The window icon is the desktop entry's SVG, drawn by Qt's SVG plugin.
    void programIconRenders() {
        const QImage icon =
            QIcon(QStringLiteral(":/assets/rfid-setup.svg")).pixmap(64, 64).toImage();
        QCOMPARE(icon.size(), QSize(64, 64));
        QCOMPARE(icon.pixelColor(25, 40), QColor(0x2b, 0x6c, 0xb0));
    }

    void statusBarShowsPanelsAndTicksTheClock() {
        TForm1 form(device, clock);
        QCOMPARE(form.panelText(0), QString("  RFID"));
        QCOMPARE(form.panelText(1), QString());
        QCOMPARE(form.panelText(2), QString("RFID"));
        QCOMPARE(form.panelText(3), QString("   2026.12.08   12:04:09 AM   "));
        clock.set(QDateTime(QDate(2026, 12, 8), QTime(13, 0, 0)));
        QTRY_COMPARE_WITH_TIMEOUT(form.panelText(3), QString("   2026.12.08   01:00:00 PM   "),
                                  5000);
        clock.set(QDateTime(QDate(2026, 12, 8), QTime(0, 4, 9)));
    }

    void logPaneAppendsLines() {
        TForm1 form(device, clock);
        LogPane* pane = form.logPane();
        pane->appendLine("first");
        pane->appendLine(QString::fromUtf8("成功   12:00:00 PM\r\n"));
        pane->appendLine("232RX Data..\rAA01");
        const QStringList expected = {"first", QString::fromUtf8("成功   12:00:00 PM"), "",
                                      "232RX Data..", "AA01"};
        QCOMPARE(pane->lines(), expected);
        form.MenuItem1Click();
        QCOMPARE(pane->lines(), QStringList());
        pane->appendLine("again");
        QCOMPARE(pane->lines(), QStringList{"again"});
        // A line not yet shown goes with the rest.
        pane->appendLine("not yet shown");
        form.MenuItem1Click();
        QCOMPARE(pane->lines(), QStringList());
    }

    void logPaneKeepsTheNewestWholeLinesWithinItsCharacterBudget_data() {
        QTest::addColumn<int>("linesPerFrame");
        QTest::newRow("one burst") << 0;
        QTest::newRow("shown in two frames") << 10;
    }
    void logPaneKeepsTheNewestWholeLinesWithinItsCharacterBudget() {
        QFETCH(int, linesPerFrame);
        LogPane pane;
        constexpr int kLength = 1 << 20;
        for (int i = 0; i < 20; ++i) {
            pane.appendLine(QString(kLength, QChar('a' + i)));
            if (linesPerFrame && i % linesPerFrame == linesPerFrame - 1)
                pane.flush();
        }
        pane.appendLine("last");
        // Each line takes its length and a line break.
        const int kept = int((LogPane::characterBudget - 5) / (kLength + 1));
        const QStringList lines = pane.lines();
        QCOMPARE(lines.size(), kept + 1);
        for (int i = 0; i < kept; ++i)
            QVERIFY(lines[i] == QString(kLength, QChar('a' + 20 - kept + i)));
        QCOMPARE(lines.last(), QString("last"));
    }

    // The lines at the bottom keep their shaped glyphs between paints; lines
    // that moved up give them up, and are laid out again when scrolled to.
    void logPaneKeepsTheGlyphsOfTheLastScreenOnly() {
        LogPane pane;
        pane.resize(400, 200);
        pane.show();
        for (int i = 0; i < 300; ++i) {
            pane.appendLine(QString(64, QChar('a' + i % 26)));
            // Each batch more than a screen.
            if (i % 50 == 49)
                pane.flush();
        }
        QTextDocument* document = pane.document();
        const int kept = pane.viewport()->height() / pane.fontMetrics().lineSpacing() + 2;
        int cached = 0;
        for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next())
            cached += block.layout()->cacheEnabled();
        QCOMPARE(cached, kept);
        QVERIFY(document->lastBlock().layout()->cacheEnabled());
        // The last line of the batch before, at the bottom until this one,
        // gave up its glyphs, and is laid out again when scrolled to.
        const QTextBlock left = document->findBlockByNumber(249);
        QVERIFY(!left.layout()->cacheEnabled());
        QCOMPARE(left.layout()->lineCount(), 0);
        pane.verticalScrollBar()->setValue(249 - 3);
        pane.viewport()->repaint();
        QApplication::processEvents();
        QCOMPARE(left.layout()->lineCount(), 1);
        QCOMPARE(pane.lines().size(), 300);
    }

    // Of a line that runs past the view the pane draws only the glyphs in
    // it, and yet it looks as a plain edit box with the same text: scrolled
    // to either end or between, with the cursor in a line or part of one
    // selected (which the edit box draws).
    void logPaneLooksAsAPlainEditBox_data() {
        QTest::addColumn<double>("scrolled"); // share of the horizontal range
        QTest::addColumn<bool>("cursorShown");
        QTest::addColumn<bool>("selected");
        QTest::newRow("left") << 0.0 << false << false;
        QTest::newRow("between") << 0.37 << false << false;
        QTest::newRow("right") << 1.0 << false << false;
        QTest::newRow("between, cursor in a line") << 0.37 << true << false;
        QTest::newRow("between, part of a line selected") << 0.37 << false << true;
    }
    void logPaneLooksAsAPlainEditBox() {
        QFETCH(double, scrolled);
        QFETCH(bool, cursorShown);
        QFETCH(bool, selected);
        LogPane pane;
        QPlainTextEdit plain;
        plain.setFont(pane.font());
        plain.setLineWrapMode(QPlainTextEdit::NoWrap);
        plain.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        plain.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        QApplication::setCursorFlashTime(0); // a cursor shown stays so
        QPlainTextEdit* const edits[] = {&plain, &pane};
        for (QPlainTextEdit* edit : edits) {
            edit->resize(500, 300);
            edit->show();
        }
        fillWithReceivedLines(pane);
        plain.setPlainText(pane.lines().join('\n'));
        for (QPlainTextEdit* edit : edits) {
            edit->setFocusPolicy(cursorShown ? Qt::StrongFocus : Qt::NoFocus);
            QTextCursor cursor(edit->document()->findBlockByNumber(45));
            cursor.setPosition(cursor.position() + 1500);
            if (selected)
                cursor.setPosition(cursor.position() + 40, QTextCursor::KeepAnchor);
            edit->setTextCursor(cursor);
        }
        const int across = int(scrolled * pane.horizontalScrollBar()->maximum());
        QImage shown[2];
        for (int i = 0; i < 2; ++i) {
            if (cursorShown) {
                edits[i]->activateWindow();
                edits[i]->setFocus();
                QTRY_VERIFY(edits[i]->hasFocus());
            }
            edits[i]->horizontalScrollBar()->setValue(across);
            edits[i]->verticalScrollBar()->setValue(edits[i]->verticalScrollBar()->maximum());
            shown[i] = edits[i]->viewport()->grab().toImage();
        }
        QVERIFY(shown[0] == shown[1]);
        QApplication::setCursorFlashTime(1000);
    }

    // Scrolled to the middle of the lines of received bytes, the pane draws
    // the glyphs in view and hardly more, not the whole lines.
    void logPaneDrawsTheGlyphsInViewOnly() {
        LogPane pane;
        pane.resize(500, 300);
        pane.show();
        for (int i = 0; i < 20; ++i)
            pane.appendLine(receivedBytes(i));
        pane.flush();
        pane.horizontalScrollBar()->setValue(pane.horizontalScrollBar()->maximum() / 2);
        GlyphReach device;
        QPainter painter(&device);
        pane.viewport()->render(&painter);
        painter.end();
        const qreal margin = 3 * pane.fontMetrics().lineSpacing();
        QVERIFY2(device.reached.left() > -margin && device.reached.left() < margin &&
                     device.reached.right() > pane.viewport()->width() - margin &&
                     device.reached.right() < pane.viewport()->width() + margin,
                 qPrintable(QString("glyphs from %1 to %2")
                                .arg(device.reached.left())
                                .arg(device.reached.right())));
    }

    void logPaneDropsTheOldestLinesBeyondItsCapacity() {
        LogPane pane;
        for (int i = 0; i < LogPane::capacity + 5; ++i)
            pane.appendLine(QString::number(i));
        const QStringList lines = pane.lines();
        QCOMPARE(lines.size(), LogPane::capacity);
        QCOMPARE(lines.first(), QString("5"));
        QCOMPARE(lines.last(), QString::number(LogPane::capacity + 4));
    }

    void popupMenuHoldsTheEditOperations() {
        TForm1 form(device, clock);
        auto* popup = form.findChild<QMenu*>("PopupMenu1");
        QVERIFY(popup);
        QStringList captions;
        for (QAction* action : popup->actions())
            captions << (action->isSeparator() ? QString("-") : action->text());
        const QStringList expected = {
            QString::fromUtf8("清空"), QString::fromUtf8("保存"), "-",
            QString::fromUtf8("撤消"), QString::fromUtf8("全选"), "-",
            QString::fromUtf8("剪切"), QString::fromUtf8("复制"), QString::fromUtf8("粘贴...")};
        QCOMPARE(captions, expected);
    }

    void styleEntriesApplyTheStoredLooks() {
        TForm1 form(device, clock);
        const char* items[] = {"N11", "N12", "N13", "N14", "N51", "N61"};
        for (int i = 0; i < 6; ++i) {
            form.findChild<QAction*>(items[i])->trigger();
            QCOMPARE(styles::current(), styles::storedNames().at(i));
        }
        QCOMPARE(styles::storedNames(),
                 (QStringList{"Skin5", "skin1", "skin2", "skin3", "skin4", "Skin6"}));
        styles::applyStored(6);
        QCOMPARE(styles::current(), QString("Skin6"));
    }

    // After "COM打开" the open button is disabled: in every look it must not
    // read as clickable.
    void everyLookShowsDisabledControlsAsDisabled() {
        for (int look = -1; look < int(styles::storedNames().size()); ++look) {
            if (look < 0)
                styles::applyStartup();
            else
                styles::applyStored(look);
            QPushButton button;
            button.setEnabled(false);
            const QPalette palette = button.palette();
            for (QPalette::ColorRole role :
                 {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
                QVERIFY2(palette.color(QPalette::Disabled, role) !=
                             palette.color(QPalette::Active, role),
                         qPrintable(styles::current() + " role " + QString::number(role)));
        }
        styles::applyStartup();
    }

    // While a page without a tab is current, no tab is drawn as selected: the
    // first tab looks as it does beside another page's selected tab, in every
    // look, with no sliver of a hidden tab over it.
    void aPageWithoutATabSelectsNoTab() {
        TForm1 form(device, clock);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTabBar* bar = form.pageControl()->tabBar();
        const QRect firstTabLeftHalf(0, 0, bar->tabRect(0).width() / 2, bar->height());
        for (int look = -1; look < int(styles::storedNames().size()); ++look) {
            if (look < 0)
                styles::applyStartup();
            else
                styles::applyStored(look);
            form.pageControl()->setCurrentIndex(6);
            const QImage unselected = bar->grab(firstTabLeftHalf).toImage();
            form.pageControl()->setCurrentIndex(2);
            QVERIFY2(bar->grab(firstTabLeftHalf).toImage() == unselected,
                     qPrintable(styles::current()));
        }
        styles::applyStartup();
    }

    // At the default size every shown tab can be brought into the bar, its
    // caption whole.
    void everyTabCaptionIsReachableAndWhole() {
        TForm1 form(device, clock);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTabBar* bar = form.pageControl()->tabBar();
        for (int i = 0; i < bar->count(); ++i) {
            if (!bar->isTabVisible(i))
                continue;
            form.pageControl()->setCurrentIndex(i);
            QApplication::processEvents();
            const QRect tab = bar->tabRect(i);
            QVERIFY2(tab.left() >= 0 && tab.right() < bar->width(), qPrintable(bar->tabText(i)));
            QVERIFY2(tab.width() > bar->fontMetrics().horizontalAdvance(bar->tabText(i)),
                     qPrintable(bar->tabText(i)));
        }
    }

    void savedLogIsRtfAndAFailureKeepsThePane() {
        TForm1 form(device, clock);
        QString error;
        form.context().showError = [&](const QString& message) { error = message; };
        form.logPane()->appendLine(QString::fromUtf8("读写器地址设置成功   12:04:09 AM\r\n"));
        QTemporaryDir dir;
        const QString path = dir.filePath("log.txt");
        QVERIFY(form.saveLog(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray rtf = file.readAll();
        QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg936"));
        QVERIFY(rtf.contains("\\'b6\\'c1")); // 读 in GBK
        QVERIFY(error.isEmpty());

        QVERIFY(!form.saveLog(dir.filePath("missing/folder/log.txt")));
        QVERIFY(error.contains("missing/folder/log.txt"));
        QCOMPARE(form.logPane()->lines().size(), 2);
    }

    void aLogSaveThatDoesNotFitKeepsTheOldFile() {
        TForm1 form(device, clock);
        QStringList errors;
        form.context().showError = [&](const QString& message) { errors << message; };
        for (int i = 0; i < 2000; ++i)
            form.logPane()->appendLine(QString::fromUtf8("读写器地址设置成功   12:04:09 AM"));
        QTemporaryDir dir;
        const QString path = writeFile(dir, "log.txt", "the log saved before");
        {
            const FileSizeLimit limit(4096);
            QVERIFY(!form.saveLog(path));
        }
        QCOMPARE(readFile(path), QByteArray("the log saved before"));
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(path) && errors[0].contains(qt_error_string(EFBIG)),
                 qPrintable(errors[0]));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"log.txt"});
    }

    void versionWindowIsFreshOnEachRequest() {
        TForm1 form(device, clock);
        form.createSecondaryWindows();
        QVERIFY(form.versionWindow());
        QVERIFY(form.versionWindow()->isHidden());
        for (int i = 0; i < 2; ++i) {
            QWidget* seen = nullptr;
            closeNextModal(&seen);
            form.N5Click();
            QVERIFY(seen && seen->objectName() == "Form2");
            QVERIFY(!form.versionWindow());
        }
        QWidget* seen = nullptr;
        closeNextModal(&seen);
        form.Button72Click();
        QVERIFY(seen && seen->objectName() == "Form3");
        QVERIFY(!form.cardMemoryWindow());
    }

    void closingEndsEveryContinuousLoop() {
        auto* form = new TForm1(device, clock);
        auto* outer = new QCheckBox(form);
        auto* inner = new QCheckBox(form);
        form->registerLoopBox(outer);
        form->registerLoopBox(inner);
        outer->setChecked(true);
        inner->setChecked(true);
        int outerPasses = 0;
        int innerPasses = 0;
        ReaderLink& link = form->link();
        // The inner loop runs nested in the outer loop's wait; closing the
        // window from within both must end both.
        QTimer::singleShot(10, form, [&] {
            repeatWhileChecked(inner, [&] {
                ++innerPasses;
                link.Delayy(20);
            });
        });
        QTimer::singleShot(200, form, [form] { form->N4Click(); });
        repeatWhileChecked(outer, [&] {
            ++outerPasses;
            link.Delayy(30);
        });
        QVERIFY(!outer->isChecked());
        QVERIFY(!inner->isChecked());
        QVERIFY(outerPasses >= 1);
        QVERIFY(innerPasses >= 1);
        delete form;
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
