#include "uhf/epc_number.h"
#include "uhf/gs1_epc.h"

#include <QRandomGenerator>
#include <QTest>

using gs1::Scheme;

namespace {

QString digits(QRandomGenerator& random, int count) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += QChar('0' + random.bounded(10));
    return text;
}

QString integer(QRandomGenerator& random, quint64 max) {
    return QString::number(random.generate64() % (max + 1));
}

// The field a series counts.
QString& counted(gs1::Epc& epc) {
    return epc.scheme == Scheme::Sscc96 || epc.scheme == Scheme::Giai96 ? epc.reference
                                                                        : epc.serial;
}

} // namespace

class Gs1EpcTest : public QObject {
    Q_OBJECT

  private slots:
    void workedExamples_data() {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QString>("tagUri");
        QTest::addColumn<QString>("key"); // GTIN-14 or SSCC-18
        QTest::addColumn<QString>("elementString");
        QTest::addColumn<int>("prefixLength");
        QTest::newRow("SGTIN-96, filter 3") << "3074257BF7194E4000001A85"
                                            << "urn:epc:tag:sgtin-96:3.0614141.812345.6789"
                                            << "80614141123458"
                                            << "(01)80614141123458(21)6789" << 7;
        QTest::newRow("SGTIN-96, filter 1") << "3034F4E4E478900000000001"
                                            << "urn:epc:tag:sgtin-96:1.4012345.123456.1"
                                            << "14012345234562"
                                            << "(01)14012345234562(21)1" << 7;
        QTest::newRow("SSCC-96") << "3154257BF4499602D2000000"
                                 << "urn:epc:tag:sscc-96:2.0614141.1234567890"
                                 << "106141412345678908"
                                 << "(00)106141412345678908" << 7;
    }
    void workedExamples() {
        QFETCH(QString, hex);
        QFETCH(QString, tagUri);
        QFETCH(QString, key);
        QFETCH(QString, elementString);
        QFETCH(int, prefixLength);
        QString why;
        const std::optional<gs1::Epc> epc = gs1::decode(hex, &why);
        QVERIFY2(epc, qPrintable(why));
        QCOMPARE(epc->tagUri(), tagUri);
        QCOMPARE(epc->gtin().isEmpty() ? epc->sscc() : epc->gtin(), key);
        QCOMPARE(gs1::encode(*gs1::fromTagUri(tagUri, &why), &why), hex);
        const int filter = epc->filter;
        const std::optional<gs1::Epc> fromElements =
            gs1::fromElementString(elementString, prefixLength, filter, &why);
        QVERIFY2(fromElements, qPrintable(why));
        QCOMPARE(gs1::encode(*fromElements, &why), hex);
        QCOMPARE(gs1::decode(hex.toLower(), &why)->pureIdentityUri(),
                 tagUri.replace(QStringLiteral(":tag:"), QStringLiteral(":id:"))
                     .replace(QRegularExpression(QStringLiteral("-96:\\d\\.")), ":"));
    }

    // Encode then decode gives the same fields, and the tag URI encodes to
    // the same hex, for random values of every scheme and partition.
    void roundTrip() {
        QRandomGenerator random(19);
        const struct {
            Scheme scheme;
            int sharedDigits;
            bool padReference;
            int serialBits; // 0: no serial; -1: SGTIN-198 characters
        } shapes[] = {{Scheme::Sgtin96, 13, true, 38}, {Scheme::Sgtin198, 13, true, -1},
                      {Scheme::Sscc96, 17, true, 0},   {Scheme::Sgln96, 12, true, 41},
                      {Scheme::Grai96, 12, true, 38},  {Scheme::Giai96, 25, false, 0}};
        const QString characters = QStringLiteral("0123456789ABCXYZabcxyz!\"%&'()*+,-./:;<=>?_");
        const int giaiBits[] = {42, 45, 48, 52, 55, 58, 62};
        for (const auto& shape : shapes)
            for (int partition = 0; partition < 7; ++partition)
                for (int round = 0; round < 40; ++round) {
                    gs1::Epc epc;
                    epc.scheme = shape.scheme;
                    epc.filter = random.bounded(8);
                    epc.partition = partition;
                    epc.companyPrefix = digits(random, 12 - partition);
                    const int referenceDigits = shape.sharedDigits - (12 - partition);
                    epc.reference =
                        shape.padReference
                            ? digits(random, referenceDigits)
                            : integer(random, round == 0 ? (quint64(1) << giaiBits[partition]) - 1
                                                         : 999999999999ULL);
                    if (shape.serialBits > 0)
                        epc.serial = integer(
                            random, round == 0 ? (quint64(1) << shape.serialBits) - 1 : 99999);
                    for (int i = random.bounded(1, 21); shape.serialBits < 0 && i > 0; --i)
                        epc.serial += characters[random.bounded(int(characters.size()))];
                    QString why;
                    const std::optional<QString> hex = gs1::encode(epc, &why);
                    QVERIFY2(hex, qPrintable(epc.tagUri() + ": " + why));
                    const std::optional<gs1::Epc> back = gs1::decode(*hex, &why);
                    QVERIFY2(back, qPrintable(*hex + ": " + why));
                    QCOMPARE(back->fields(), epc.fields());
                    const std::optional<gs1::Epc> parsed = gs1::fromTagUri(back->tagUri(), &why);
                    QVERIFY2(parsed, qPrintable(back->tagUri() + ": " + why));
                    QCOMPARE(gs1::encode(*parsed, &why), *hex);
                }
        for (int round = 0; round < 40; ++round) {
            gs1::Epc gid;
            gid.scheme = Scheme::Gid96;
            gid.companyPrefix = integer(random, (1 << 28) - 1);
            gid.reference = integer(random, (1 << 24) - 1);
            gid.serial = integer(random, (quint64(1) << 36) - 1);
            QString why;
            const std::optional<gs1::Epc> back = gs1::decode(*gs1::encode(gid, &why), &why);
            QVERIFY2(back, qPrintable(why));
            QCOMPARE(back->tagUri(), gid.tagUri());
        }
    }

    void refusals_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("prefixLength"); // 0: decode the input as hex
        QTest::addColumn<QString>("reason");
        const QString sgtin = QStringLiteral("3074257BF7194E4000001A85");
        QTest::newRow("another header")
            << "E2801160600002054CC2A7E5" << 0 << "头部 E2 不是 GS1 EPC 的头部";
        QTest::newRow("all zeros") << "000000000000000000000000" << 0 << "头部 00 不是";
        QTest::newRow("below the GS1 headers") << "2B" + QString(22, '0') << 0 << "头部 2B 不是";
        QTest::newRow("GDTI-96") << "2C" + QString(22, '0') << 0
                                 << "头部 2C 是本工具不解码的 GS1 编码方案（GDTI-96）";
        QTest::newRow("USDOD-96") << "2F" + QString(22, '0') << 0
                                  << "不解码的 GS1 编码方案（USDOD-96）";
        QTest::newRow("GRAI-170") << "37" + QString(42, '0') << 0
                                  << "不解码的 GS1 编码方案（GRAI-170）";
        QTest::newRow("GDTI-113") << "3A" + QString(30, '0') << 0
                                  << "不解码的 GS1 编码方案（GDTI-113）";
        QTest::newRow("SGCN-96") << "3F" + QString(22, '0') << 0
                                 << "不解码的 GS1 编码方案（SGCN-96）";
        QTest::newRow("SGTIN-198 in 48 digits")
            << "3674257BF7194E" + QString(34, '0') << 0
            << "SGTIN-198 的 EPC 有 50 或 52 个十六进制数字，这个有 48 个";
        QTest::newRow("escape in a number serial")
            << "urn:epc:tag:sgtin-96:3.0614141.812345.%3885" << 7 << "不能是“%3885”";
        QTest::newRow("escape in an SGLN extension")
            << "urn:epc:tag:sgln-96:3.0614141.12345.%31" << 7 << "不能是“%31”";
        QTest::newRow("short") << sgtin.left(20) << 0 << "有 24 个十六进制数字，这个有 20 个";
        QTest::newRow("long") << sgtin + "0000" << 0 << "有 24 个十六进制数字，这个有 28 个";
        QTest::newRow("not hex") << "30G4" << 0 << "不是十六进制的 EPC";
        QTest::newRow("partition 7") << "307C257BF7194E4000001A85" << 0 << "分区值 7 无效";
        // Partition 0: 40 bits of company prefix holding 10^12, then an item
        // reference of one digit holding 15.
        QTest::newRow("prefix over its digits")
            << "3003A3529440000000000000" << 0 << "厂商识别代码字段的值为 1000000000000";
        QTest::newRow("item reference over its digits")
            << "30000000000007C000000000" << 0 << "itemReference 字段的值为 15";
        QTest::newRow("SSCC unused bits")
            << "3154257BF4499602D2000001" << 0 << "SSCC-96 中未用的位不全为零";
        const QString sgtin198 = QStringLiteral("3674257BF7194E");
        QTest::newRow("SGTIN-198 @ in the serial")
            << sgtin198 + "6" + QString(37, '0') << 0 << "序列号的第 1 个字符为 40";
        QTest::newRow("SGTIN-198 empty serial")
            << sgtin198 + "4" + QString(37, '0') << 0 << "序列号为空";
        QTest::newRow("SGTIN-198 bits after the end")
            << sgtin198 + "60808200000000000000000000000000000000" << 0
            << "最后一个字段之后的位不全为零";
        QTest::newRow("wrong GTIN check digit")
            << "(01)80614141123459(21)6789" << 7 << "GTIN 80614141123459 的校验位应为 8";
        QTest::newRow("wrong SSCC check digit")
            << "(00)106141412345678909" << 7 << "的校验位应为 8，不是 9";
        QTest::newRow("serial above 38 bits")
            << "(01)80614141123458(21)274877906944" << 7 << "的取值为 0 到 274877906943";
        QTest::newRow("serial with leading zero")
            << "urn:epc:tag:sgtin-96:3.0614141.812345.06789" << 7 << "不带前导零";
        QTest::newRow("digits do not add up")
            << "urn:epc:tag:sgtin-96:3.0614141.81234.6789" << 7 << "合起来须有 13 位数字";
        QTest::newRow("prefix length too large")
            << "(01)80614141123458(21)6789" << 13 << "厂商识别代码的长度须为 6 到 12";
        QTest::newRow("filter 8") << "urn:epc:tag:sgtin-96:8.0614141.812345.6789" << 7
                                  << "滤值须为 0 到 7";
        QTest::newRow("pure identity URI")
            << "urn:epc:id:sgtin:0614141.812345.6789" << 7 << "是纯标识 URI";
        QTest::newRow("unknown scheme") << "urn:epc:tag:sgtin-64:3.0614141.812345.6789" << 7
                                        << "“sgtin-64”不是本工具能编码的方案";
        QTest::newRow("bare slash in a serial")
            << "urn:epc:tag:sgtin-198:3.0614141.812345.A/B" << 7 << "未转义";
        QTest::newRow("GIAI reference over 42 bits")
            << "urn:epc:tag:giai-96:0.061414112345.4398046511104" << 7
            << "的取值为 0 到 4398046511103";
        QTest::newRow("unknown element") << "(10)ABC" << 7 << "本工具能编码的元素串";
    }
    void refusals() {
        QFETCH(QString, input);
        QFETCH(int, prefixLength);
        QFETCH(QString, reason);
        QString why;
        const bool accepted = prefixLength ? bool(gs1::fromText(input, prefixLength, 0, &why))
                                           : bool(gs1::decode(input, &why));
        QVERIFY2(!accepted, qPrintable(input));
        QVERIFY2(why.contains(reason), qPrintable(why));
    }

    void sgtin198EscapesItsSerialInUris() {
        gs1::Epc epc{
            Scheme::Sgtin198,         3, 5, QStringLiteral("0614141"), QStringLiteral("812345"),
            QStringLiteral("a/b%c.d")};
        QString why;
        const QString hex = *gs1::encode(epc, &why);
        const gs1::Epc back = *gs1::decode(hex, &why);
        QCOMPARE(back.tagUri(),
                 QStringLiteral("urn:epc:tag:sgtin-198:3.0614141.812345.a%2Fb%25c.d"));
        QCOMPARE(back.serial, epc.serial);
        // Printed in whole bytes (198 bits and 2 zero bits) it is the same EPC.
        QCOMPARE(hex.size(), 52);
        QVERIFY(hex.endsWith("00"));
        const std::optional<gs1::Epc> bytes = gs1::decode(hex.left(50), &why);
        QVERIFY2(bytes, qPrintable(why));
        QCOMPARE(bytes->tagUri(), back.tagUri());
    }

    void series_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<quint64>("step");
        QTest::addColumn<QString>("stepHex");
        QTest::addColumn<QString>("lastField");
        QTest::newRow("SGTIN-96 serial") << "urn:epc:tag:sgtin-96:3.0614141.812345.6789"
                                         << quint64(1) << "000000000000000000000001"
                                         << "274877906943";
        QTest::newRow("SSCC-96 serial reference is above the unused bits")
            << "urn:epc:tag:sscc-96:2.0614141.1234567890" << quint64(3)
            << "000000000000000003000000"
            << "9999999999";
        QTest::newRow("SGLN-96 extension")
            << "urn:epc:tag:sgln-96:0.0614141.12345.7" << quint64(10) << "00000000000000000000000A"
            << "2199023255551";
        QTest::newRow("GRAI-96 serial")
            << "urn:epc:tag:grai-96:0.0614141.12345.1" << quint64(256) << "000000000000000000000100"
            << "274877906943";
        QTest::newRow("GIAI-96 asset reference, limited by its bits")
            << "urn:epc:tag:giai-96:0.061414112345.5" << quint64(1) << "000000000000000000000001"
            << "4398046511103";
        QTest::newRow("GID-96 serial")
            << "urn:epc:tag:gid-96:95100000.12345.400" << quint64(2) << "000000000000000000000002"
            << "68719476735";
    }
    // The step lands in the counted field: start + step advances that field
    // by step and keeps every other one; the last EPC holds its largest value.
    void series() {
        QFETCH(QString, start);
        QFETCH(quint64, step);
        QFETCH(QString, stepHex);
        QFETCH(QString, lastField);
        QString why;
        gs1::Epc epc = *gs1::fromTagUri(start, &why);
        const std::optional<gs1::Series> series = gs1::series(epc, step, &why);
        QVERIFY2(series, qPrintable(why));
        QCOMPARE(series->start, *gs1::encode(epc, &why));
        QCOMPARE(series->step, stepHex);
        std::optional<gs1::Epc> next =
            gs1::decode(addhex(series->start, series->step, false), &why);
        std::optional<gs1::Epc> last = gs1::decode(series->last, &why);
        QVERIFY2(next && last, qPrintable(why));
        QCOMPARE(counted(*next).toULongLong(), counted(epc).toULongLong() + step);
        QCOMPARE(counted(*last), lastField);
        counted(*next) = counted(*last) = counted(epc);
        QCOMPARE(next->fields(), epc.fields());
        QCOMPARE(last->fields(), epc.fields());
    }

    void seriesRefusals() {
        QString why;
        const gs1::Epc sgtin =
            *gs1::fromTagUri(QStringLiteral("urn:epc:tag:sgtin-96:3.0614141.812345.6789"), &why);
        QVERIFY(!gs1::series(sgtin, 0, &why));
        QVERIFY(!gs1::series(sgtin, quint64(1) << 38, &why));
        QVERIFY(why.contains(QStringLiteral("步长须为 1 到 274877906943")));
        const gs1::Epc sgtin198 =
            *gs1::fromTagUri(QStringLiteral("urn:epc:tag:sgtin-198:3.0614141.812345.A1"), &why);
        QVERIFY(!gs1::series(sgtin198, 1, &why));
        QVERIFY(why.contains(QStringLiteral("序列号是文字，不能递增")));
    }
};

QTEST_GUILESS_MAIN(Gs1EpcTest)
#include "gs1_epc_test.moc"
