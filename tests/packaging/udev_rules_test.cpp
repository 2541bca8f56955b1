#include "protocol/reader_device.h"
#include "usbhid/known_readers.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

// The udev rules file: every rule line is a list of well-formed key/value
// pairs udev understands, and the reader ids in it are the library's list.
namespace {

const QString rulesFile = QStringLiteral(SOURCE_DIR "/packaging/70-rfid-setup.rules");

struct Pair {
    QString key;
    QString attribute; // the part in braces: ATTRS{idVendor}
    QString op;
    QString value;
};

struct Rule {
    QList<Pair> pairs;
    QString error;

    QString match(const QString& key, const QString& attribute = QString()) const {
        for (const Pair& pair : pairs)
            if (pair.key == key && pair.attribute == attribute && pair.op == QLatin1String("=="))
                return pair.value;
        return QString();
    }
    bool assigns(const QString& key, const QString& attribute, const QString& op,
                 const QString& value) const {
        for (const Pair& pair : pairs)
            if (pair.key == key && pair.attribute == attribute && pair.op == op &&
                pair.value == value)
                return true;
        return false;
    }
};

const QSet<QString> matchKeys = {"ACTION",  "SUBSYSTEM", "SUBSYSTEMS", "KERNEL", "KERNELS",
                                 "DRIVERS", "ATTR",      "ATTRS",      "ENV"};
const QSet<QString> assignKeys = {"TAG", "ENV", "GROUP", "MODE", "OWNER"};
const QSet<QString> keysWithAttribute = {"ATTR", "ATTRS", "ENV"};

Rule parseRule(const QString& line) {
    static const QRegularExpression pairPattern(QStringLiteral(
        "^([A-Z]+)(?:\\{([A-Za-z_][A-Za-z0-9_]*)\\})?(==|!=|\\+=|-=|:=|=)\"([^\"]*)\"$"));
    Rule rule;
    bool matches = false;
    bool assignments = false;
    for (const QString& text : line.split(QStringLiteral(", "))) {
        const QRegularExpressionMatch found = pairPattern.match(text);
        if (!found.hasMatch()) {
            rule.error = QStringLiteral("not key, operator, quoted value: ") + text;
            return rule;
        }
        Pair pair{found.captured(1), found.captured(2), found.captured(3), found.captured(4)};
        const bool isMatch = pair.op == QLatin1String("==") || pair.op == QLatin1String("!=");
        if (!(isMatch ? matchKeys : assignKeys).contains(pair.key)) {
            rule.error =
                QStringLiteral("key not usable with ") + pair.op + QStringLiteral(": ") + text;
            return rule;
        }
        if (keysWithAttribute.contains(pair.key) == pair.attribute.isEmpty()) {
            rule.error = QStringLiteral("attribute name wrong: ") + text;
            return rule;
        }
        (isMatch ? matches : assignments) = true;
        rule.pairs.append(pair);
    }
    if (!matches || !assignments)
        rule.error = QStringLiteral("a rule needs a match and an assignment");
    return rule;
}

QList<Rule> rulesOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QList<Rule> rules;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        rules.append(parseRule(line));
    }
    return rules;
}

// udev compares the sysfs text, which is four lower-case hex digits.
QString usbId(std::uint16_t id) {
    return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0'));
}

} // namespace

class UdevRulesTest : public QObject {
    Q_OBJECT

  private slots:
    void parserRefusesMalformedLines_data() {
        QTest::addColumn<QString>("line");
        QTest::newRow("unquoted value") << "SUBSYSTEM==hidraw, TAG+=\"uaccess\"";
        QTest::newRow("unknown key") << "SUBSYTEM==\"hidraw\", TAG+=\"uaccess\"";
        QTest::newRow("match operator on a tag") << "SUBSYSTEM==\"hidraw\", TAG==\"uaccess\"";
        QTest::newRow("ATTRS without a name") << "ATTRS==\"0483\", TAG+=\"uaccess\"";
        QTest::newRow("no assignment") << "SUBSYSTEM==\"hidraw\", KERNEL==\"hidraw*\"";
        QTest::newRow("missing blank after comma") << "SUBSYSTEM==\"hidraw\",TAG+=\"uaccess\"";
    }
    void parserRefusesMalformedLines() {
        QFETCH(QString, line);
        QVERIFY(!parseRule(line).error.isEmpty());
    }

    void everyRuleLineIsWellFormed() {
        const QList<Rule> rules = rulesOf(rulesFile);
        QVERIFY2(!rules.isEmpty(), qPrintable(rulesFile));
        for (const Rule& rule : rules)
            QVERIFY2(rule.error.isEmpty(), qPrintable(rule.error));
    }

    void hidrawAccessIsGivenForExactlyTheKnownReaders() {
        QSet<QString> expected;
        for (const ReaderUsbId& id : knownReaderIds)
            expected.insert(usbId(id.vendorId) + ':' + usbId(id.productId));
        QSet<QString> granted;
        for (const Rule& rule : rulesOf(rulesFile)) {
            if (rule.match("SUBSYSTEM") != QLatin1String("hidraw"))
                continue;
            QVERIFY(rule.assigns("TAG", QString(), "+=", "uaccess"));
            granted.insert(rule.match("ATTRS", "idVendor") + ':' +
                           rule.match("ATTRS", "idProduct"));
        }
        QCOMPARE(granted, expected);
    }

    // The rule line the permission hint gives for an id the installed rule
    // lacks is one udev takes, granting that id.
    void hintForAnAddedIdIsAWellFormedRule() {
        const QString hint =
            readerFailureText({ReaderFailure::NoPermission, "/dev/hidraw4", "1a86:e010"});
        const QString line =
            hint.section(QString::fromUtf8("rules："), 1).section(QChar(0xFF0C), 0, 0);
        const Rule rule = parseRule(line);
        QVERIFY2(rule.error.isEmpty(), qPrintable(line + ": " + rule.error));
        QCOMPARE(rule.match("SUBSYSTEM"), QStringLiteral("hidraw"));
        QCOMPARE(rule.match("ATTRS", "idVendor") + ':' + rule.match("ATTRS", "idProduct"),
                 QStringLiteral("1a86:e010"));
        QVERIFY(rule.assigns("TAG", QString(), "+=", "uaccess"));
    }

    void modemManagerLeavesTheVirtualSerialPortAlone() {
        bool found = false;
        for (const Rule& rule : rulesOf(rulesFile))
            found |= rule.match("SUBSYSTEM") == QLatin1String("tty") &&
                     rule.match("ATTRS", "idVendor") == QLatin1String("0483") &&
                     rule.match("ATTRS", "idProduct") == QLatin1String("5740") &&
                     rule.assigns("ENV", "ID_MM_DEVICE_IGNORE", "=", "1");
        QVERIFY(found);
    }
};

QTEST_GUILESS_MAIN(UdevRulesTest)
#include "udev_rules_test.moc"
