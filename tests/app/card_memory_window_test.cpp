#include "app/card_memory_window.h"

#include <QLabel>
#include <QtTest>

class CardMemoryWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void showsThePictureUnclipped();
};

void CardMemoryWindowTest::showsThePictureUnclipped() {
    QWidget owner;
    auto* form = new TForm3(&owner);
    QCOMPARE(form->objectName(), QString("Form3"));
    QCOMPARE(form->windowTitle(), QString("卡片存储器结构"));
    QCOMPARE(form->size(), QSize(668, 585));
    QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));

    auto* image = form->findChild<QLabel*>("Image1");
    QVERIFY(image);
    QVERIFY2(image->text().isEmpty(), qPrintable(image->text()));
    QCOMPARE(image->pixmap().size(), QSize(664, 547));

    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QVERIFY(image->width() >= 664 && image->height() >= 547);
    QVERIFY(form->rect().contains(image->geometry()));
}

QTEST_MAIN(CardMemoryWindowTest)
#include "card_memory_window_test.moc"
