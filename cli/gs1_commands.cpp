#include "gs1_commands.h"

#include "cli_support.h"
#include "protocol/hex_text.h"
#include "uhf/gs1_epc.h"

#include <limits>

namespace {

constexpr int maxEpcBytes = 62;

QJsonObject fieldsOf(const gs1::Epc& epc) {
    QJsonObject object;
    for (const auto& [name, value] : epc.fields())
        if (name == QLatin1String("filter") || name == QLatin1String("partition"))
            object.insert(name, value.toInt());
        else
            object.insert(name, value);
    object.insert(QStringLiteral("tagUri"), epc.tagUri());
    return object;
}

// The tag URI first, then one "name value" line per field.
void printFields(const gs1::Epc& epc) {
    printOut(epc.tagUri());
    for (const auto& [name, value] : epc.fields())
        printOut(name + QLatin1Char(' ') + value);
}

// --company-prefix-length and --filter, read strictly; -1 when good.
int startOptions(const QString& name, const CommandParser& command, const QString& text,
                 qint64* prefixLength, qint64* filter) {
    const bool elements = text.trimmed().startsWith(QLatin1Char('('));
    const QString lengthOption = QStringLiteral("company-prefix-length");
    const QString filterOption = QStringLiteral("filter");
    if (elements != command.isSet(lengthOption))
        return usageError(name, name + (elements ? QStringLiteral(": an element string needs "
                                                                  "--company-prefix-length")
                                                 : QStringLiteral(": a tag URI names its "
                                                                  "company prefix: leave out "
                                                                  "--company-prefix-length")));
    if (!elements && command.isSet(filterOption))
        return usageError(name, name + QStringLiteral(": a tag URI names its filter: leave out "
                                                      "--filter"));
    *prefixLength = 0;
    *filter = 0;
    const int refused = elements ? decimalArgument(name, QStringLiteral("--company-prefix-length"),
                                                   command.value(lengthOption), 6, 12, prefixLength)
                                 : -1;
    if (refused >= 0 || !command.isSet(filterOption))
        return refused;
    return decimalArgument(name, QStringLiteral("--filter"), command.value(filterOption), 0, 7,
                           filter);
}

} // namespace

int epcDecodeCommand(const QStringList& arguments) {
    CommandParser command(QStringLiteral("epc decode"),
                          QStringLiteral("Show what a GS1 EPC (SGTIN-96, SGTIN-198, SSCC-96, "
                                         "SGLN-96, GRAI-96, GIAI-96, GID-96) holds: its tag URI, "
                                         "then one line per field. No reader is needed."));
    command.parser().addPositionalArgument(QStringLiteral("HEX"), QStringLiteral("the EPC"));
    const int parsed = command.parse(arguments, 1, 1);
    if (parsed >= 0)
        return parsed;
    QString digits;
    const int refused = hexArgument(QStringLiteral("epc decode"), QStringLiteral("HEX"),
                                    command.positional().at(0), 1, maxEpcBytes, &digits);
    if (refused >= 0)
        return refused;
    QString why;
    const std::optional<gs1::Epc> epc = gs1::decode(digits, &why);
    if (!epc)
        return usageError(command.name(), QStringLiteral("epc decode: not a GS1 EPC: ") + why);
    if (command.isSet(QStringLiteral("json"))) {
        QJsonObject object = fieldsOf(*epc);
        object.insert(QStringLiteral("epc"), digits);
        printJson(object);
    } else {
        printFields(*epc);
    }
    return exitOk;
}

int epcEncodeCommand(const QStringList& arguments) {
    CommandParser command(
        QStringLiteral("epc encode"),
        QStringLiteral("The EPC hex of a tag URI (urn:epc:tag:sgtin-96:3.0614141.812345.6789) or "
                       "of a GS1 element string ((01)80614141123458(21)6789, (00)..., (414)..., "
                       "(8003)..., (8004)...) with its company prefix length. No reader is "
                       "needed."));
    command.parser().addPositionalArgument(QStringLiteral("URI|ELEMENT-STRING"),
                                           QStringLiteral("what to encode"));
    addGs1StartOptions(command.parser());
    const int parsed = command.parse(arguments, 1, 1);
    if (parsed >= 0)
        return parsed;
    const QString text = command.positional().at(0);
    qint64 prefixLength = 0;
    qint64 filter = 0;
    const int refused =
        startOptions(QStringLiteral("epc encode"), command, text, &prefixLength, &filter);
    if (refused >= 0)
        return refused;
    QString why;
    const std::optional<gs1::Epc> epc = gs1::fromText(text, int(prefixLength), int(filter), &why);
    if (!epc)
        return usageError(command.name(), QStringLiteral("epc encode: ") + why);
    const QString hex = *gs1::encode(*epc, &why);
    if (command.isSet(QStringLiteral("json"))) {
        QJsonObject object = fieldsOf(*epc);
        object.insert(QStringLiteral("epc"), hex);
        printJson(object);
    } else {
        printOut(hex);
        printFields(*epc);
    }
    return exitOk;
}

QJsonObject gs1Fields(const QString& epc) {
    const std::optional<gs1::Epc> decoded = gs1::decode(epc, nullptr);
    return decoded ? fieldsOf(*decoded) : QJsonObject();
}

QString gs1Suffix(const QString& epc) {
    const QString uri = gs1::tagUriOf(epc);
    return uri.isEmpty() ? QString() : QStringLiteral(" uri ") + uri;
}

void addGs1StartOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {QStringLiteral("company-prefix-length"),
         QStringLiteral("Digits of the company prefix in an element string (6 to 12)."),
         QStringLiteral("n")},
        {QStringLiteral("filter"),
         QStringLiteral("Filter value for an element string (0 to 7, default 0)."),
         QStringLiteral("n")},
    });
}

bool isGs1Start(const QString& start) {
    const QString text = start.trimmed();
    return text.startsWith(QLatin1Char('(')) ||
           text.startsWith(QLatin1String("urn:"), Qt::CaseInsensitive);
}

int gs1Series(const CommandParser& command, QString* start, QString* step, QString* last) {
    const QString text = command.value(QStringLiteral("start"));
    qint64 prefixLength = 0;
    qint64 filter = 0;
    int refused = startOptions(QStringLiteral("issue"), command, text, &prefixLength, &filter);
    if (refused >= 0)
        return refused;
    if (command.isSet(QStringLiteral("reverse")))
        return usageError(QStringLiteral("issue"),
                          QStringLiteral("issue: a GS1 series counts its serial field "
                                         "big-endian: leave out --reverse"));
    qint64 stepValue = 0;
    refused = decimalArgument(QStringLiteral("issue"), QStringLiteral("--step"),
                              command.value(QStringLiteral("step")), 1,
                              std::numeric_limits<qint64>::max(), &stepValue);
    if (refused >= 0)
        return refused;
    QString why;
    const std::optional<gs1::Epc> epc = gs1::fromText(text, int(prefixLength), int(filter), &why);
    const std::optional<gs1::Series> series =
        epc ? gs1::series(*epc, quint64(stepValue), &why) : std::nullopt;
    if (!series)
        return usageError(QStringLiteral("issue"), QStringLiteral("issue: --start: ") + why);
    *start = series->start;
    *step = series->step;
    *last = series->last;
    return -1;
}
