#include "protocol/text_encoding.h"

#include <QTest>

class TextEncodingTest : public QObject {
    Q_OBJECT

  private slots:
    void toGbkAndBack_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("gbk");
        QTest::newRow("ASCII") << "Net-1, 9100" << QByteArray("Net-1, 9100");
        QTest::newRow("Chinese") << "办公室WiFi" << QByteArray("\xB0\xEC\xB9\xAB\xCA\xD2WiFi");
        QTest::newRow("full-width comma") << "，" << QByteArray("\xA3\xAC");
        QTest::newRow("empty") << "" << QByteArray();
    }
    void toGbkAndBack() {
        QFETCH(QString, text);
        QFETCH(QByteArray, gbk);
        QCOMPARE(toGbk(text).value_or("(none)"), gbk);
        bool ok = false;
        QCOMPARE(fromGbk(gbk, &ok), text);
        QVERIFY(ok);
    }

    // Characters GBK has no bytes for: nothing, rather than a text with gaps.
    void textWithoutGbkForm() {
        QVERIFY(!toGbk(QString::fromUtf8("a\xF0\x9F\x98\x80")));
        QVERIFY(!toGbk(QString(QChar(0xD800))));
    }

    void bytesThatAreNoGbk_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("FF") << QByteArray("A\xFF"
                                          "B")
                            << QString("A\uFFFDB");
        QTest::newRow("lead byte at the end") << QByteArray("A\xB0") << QString("A\uFFFD");
        QTest::newRow("bad trail byte") << QByteArray("\xB0\x20"
                                                      "C")
                                        << QString("\uFFFD C");
    }
    void bytesThatAreNoGbk() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        bool ok = true;
        QCOMPARE(fromGbk(bytes, &ok), text);
        QVERIFY(!ok);
    }
};

QTEST_MAIN(TextEncodingTest)
#include "text_encoding_test.moc"
