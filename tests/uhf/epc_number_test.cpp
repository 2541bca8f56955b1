#include "protocol/conversion.h"
#include "uhf/epc_number.h"

#include <QTest>

class EpcNumberTest : public QObject {
    Q_OBJECT

  private slots:
    void addhex_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("step");
        QTest::addColumn<bool>("littleEndian");
        QTest::addColumn<QString>("sum");
        const QString one = QStringLiteral("000000000000000000000001");
        QTest::newRow("big-endian, default") << one << "1" << false << "000000000000000000000002";
        QTest::newRow("little-endian, default") << one << "1" << true << "010000000000000000000001";
        QTest::newRow("big-endian carry") << "0000000000000000000000FF"
                                          << "1" << false << "000000000000000000000100";
        QTest::newRow("little-endian carry") << "FF0000000000000000000000"
                                             << "1" << true << "000100000000000000000000";
        QTest::newRow("carry grows, big-endian") << "FF"
                                                 << "1" << false << "0100";
        QTest::newRow("carry grows, little-endian") << "FF"
                                                    << "1" << true << "0001";
        QTest::newRow("carry through every byte") << "FFFFFF"
                                                  << "01" << false << "01000000";
        QTest::newRow("step 10 is hex") << "0000"
                                        << "10" << false << "0010";
        QTest::newRow("step 10, little-endian") << "0000"
                                                << "10" << true << "1000";
        QTest::newRow("step of two bytes, little-endian") << "FF000000"
                                                          << "0101" << true << "00020000";
        QTest::newRow("lower case in, upper case out") << "00fe"
                                                       << "1" << false << "00FF";
        QTest::newRow("blanks in both") << "00 00 00 01"
                                        << "00 00 01 00" << false << "00000101";
        QTest::newRow("step longer than the number") << "01"
                                                     << "0100" << false << "0101";
        QTest::newRow("64 bytes") << QString(128, 'F') << "1" << false << "01" + QString(128, '0');
        QTest::newRow("nothing") << ""
                                 << "" << false << "";
    }
    void addhex() {
        QFETCH(QString, number);
        QFETCH(QString, step);
        QFETCH(bool, littleEndian);
        QFETCH(QString, sum);
        QCOMPARE(::addhex(number, step, littleEndian), sum);
    }

    void refusesWhatIsNotWholeBytes_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("message");
        QTest::newRow("odd number") << "001"
                                    << "1"
                                    << "'001' is not a valid integer value";
        // Zero-filled to the longer text's length, counted before blanks go;
        // the message quotes the text that failed as typed.
        QTest::newRow("odd after zero fill") << "00 01"
                                             << "1"
                                             << "'1' is not a valid integer value";
        QTest::newRow("odd step") << "0001"
                                  << "1 1"
                                  << "'1 1' is not a valid integer value";
        QTest::newRow("not hex") << "00000001"
                                 << "0x1"
                                 << "'0x1' is not a valid integer value";
        QTest::newRow("65 bytes")
            << QString(130, '0') << "1"
            << QString("'%1' is not a valid integer value").arg(QString(130, '0'));
    }
    void refusesWhatIsNotWholeBytes() {
        QFETCH(QString, number);
        QFETCH(QString, step);
        QFETCH(QString, message);
        for (const bool littleEndian : {false, true}) {
            try {
                ::addhex(number, step, littleEndian);
                QFAIL("no conversion error");
            } catch (const ConversionError& error) {
                QCOMPARE(error.message(), message);
            }
        }
    }

    // One rule for the page and the issuer: whole words behind a PC word that
    // counts 31 of them at most.
    void epcLengthRule_data() {
        QTest::addColumn<QString>("epc");
        QTest::addColumn<QString>("problem");
        const QString rule = QStringLiteral("EPC号长度须为 2 到 62 之间的偶数个字节，");
        QTest::newRow("one word") << "0001"
                                  << "";
        QTest::newRow("62 bytes, the most") << QString(124, 'F') << "";
        QTest::newRow("lower case") << "00ab"
                                    << "";
        QTest::newRow("64 bytes") << QString(128, '0') << rule + "现为 64 字节";
        QTest::newRow("3 bytes") << "000001" << rule + "现为 3 字节";
        QTest::newRow("empty") << "" << rule + "现为 0 字节";
        QTest::newRow("odd digits") << "00001" << rule + "现为 5 位十六进制数字";
        QTest::newRow("not hex") << "00G1" << rule + "现为 4 位十六进制数字";
    }
    void epcLengthRule() {
        QFETCH(QString, epc);
        QFETCH(QString, problem);
        QCOMPARE(epcNumberProblem(epc), problem);
    }
};

QTEST_GUILESS_MAIN(EpcNumberTest)
#include "epc_number_test.moc"
