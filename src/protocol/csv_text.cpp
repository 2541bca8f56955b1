#include "csv_text.h"

#include <QRegularExpression>

QString csvLine(QStringList fields) {
    static const QRegularExpression needsQuotes(QStringLiteral("[\",\r\n]"));
    // A negative number (an RSSI) is no formula and stays a number.
    static const QRegularExpression number(QStringLiteral("^-\\d+(\\.\\d+)?$"));
    for (QString& field : fields) {
        if (!field.isEmpty() && QStringLiteral("=+-@").contains(field.front()) &&
            !number.match(field).hasMatch())
            field.prepend(QLatin1Char('\''));
        if (field.contains(needsQuotes))
            field = '"' + field.replace('"', QStringLiteral("\"\"")) + '"';
    }
    return fields.join(',') + '\n';
}
