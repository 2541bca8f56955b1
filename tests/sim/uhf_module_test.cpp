#include "sim/uhf_module.h"
#include "sim_bytes.h"

#include <QTest>

namespace {

const QByteArray kNoTag("BB 01 FF 00 01 15 16 7E");
const QByteArray kBadCommand("BB 01 FF 00 01 17 18 7E");

} // namespace

class UhfModuleTest : public QObject {
    Q_OBJECT

  private slots:
    void answers_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("reply");
        // No tag is in the field, so every tag command goes unanswered.
        QTest::newRow("inventory") << QByteArray("BB 00 22 00 00 22 7E") << kNoTag;
        QTest::newRow("select") << QByteArray("BB 00 0C 00 01 01 0E 7E") << kNoTag;
        QTest::newRow("read") << QByteArray("BB 00 39 00 09 00000000 01 0000 0008 4B 7E") << kNoTag;
        QTest::newRow("write") << QByteArray("BB 00 49 00 01 00 4A 7E") << kNoTag;
        QTest::newRow("unknown command") << QByteArray("BB 00 A5 00 01 01 A7 7E") << kBadCommand;
        QTest::newRow("bad checksum") << QByteArray("BB 00 22 00 00 23 7E") << kBadCommand;
        QTest::newRow("wrong header") << QByteArray("AA 00 22 00 00 22 7E") << kBadCommand;
        QTest::newRow("wrong end mark") << QByteArray("BB 00 22 00 00 22 7F") << kBadCommand;
        QTest::newRow("length too large") << QByteArray("BB 00 22 00 01 23 7E") << kBadCommand;
        QTest::newRow("length too small") << QByteArray("BB 00 22 00 00 05 27 7E") << kBadCommand;
        QTest::newRow("response, not command") << QByteArray("BB 01 22 00 00 23 7E") << kBadCommand;
        QTest::newRow("too short") << QByteArray("BB 7E") << kBadCommand;
        QTest::newRow("empty") << QByteArray() << kBadCommand;
    }
    void answers() {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, reply);
        sim::UhfModule module;
        QCOMPARE(hex(module.answer(bytes(frame))), reply);
    }
};

QTEST_GUILESS_MAIN(UhfModuleTest)
#include "uhf_module_test.moc"
