#include "protocol/frames.h"

#include <QTest>

class FramesTest : public QObject {
    Q_OBJECT
  private slots:
    void hfFrames_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("payload");
        QTest::addColumn<QString>("frame");
        QTest::newRow("read address") << "00"
                                      << "83"
                                      << "AA00018382BB";
        QTest::newRow("lower case kept") << "00"
                                         << "0f01"
                                         << "AA00020f010CBB";
        QTest::newRow("no digits") << "00"
                                   << "xyz"
                                   << "AA000000BB";
        QTest::newRow("blank inside") << "00"
                                      << "CD 00"
                                      << "AA0002CD00CFBB";
        QTest::newRow("line break") << "00"
                                    << "CD\r\n00"
                                    << "AA0002CD00CFBB";
        QTest::newRow("switch to serial") << "00"
                                          << "B8"
                                          << "AA0001B8B9BB";
        QTest::newRow("address 1a") << "1a"
                                    << "83"
                                    << "AA1a018398BB";
    }
    void hfFrames() {
        QFETCH(QString, address);
        QFETCH(QString, payload);
        QFETCH(QString, frame);
        QCOMPARE(hfFrame(address, payload), frame);
    }

    void tunnelFrameCountsAndXorsTheTunnelByte() {
        QCOMPARE(tunnelFrame("00", "bb 00 22 00 00 22 7e "), QString("AA0008cebb00220000227e03BB"));
    }

    void oddDigitsAreRefused() {
        QString error;
        QCOMPARE(hfFrame("00", "8 3 1", &error), QString());
        QVERIFY(error.contains(QString::fromUtf8("3 位")));
        error.clear();
        QCOMPARE(tunnelFrame("00", "bb0", &error), QString());
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(FramesTest)
#include "frames_test.moc"
