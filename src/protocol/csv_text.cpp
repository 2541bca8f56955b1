#include "csv_text.h"

#include <QRegularExpression>

QString csvLine(QStringList fields) {
    static const QRegularExpression needsQuotes(QStringLiteral("[\",\r\n]"));
    // A negative number (an RSSI in dBm) is data a spreadsheet reads as such.
    static const QRegularExpression negativeNumber(QStringLiteral("^-\\d+(\\.\\d+)?$"));
    for (QString& field : fields) {
        if (!field.isEmpty() && QStringLiteral("=+-@").contains(field.front()) &&
            !negativeNumber.match(field).hasMatch())
            field.prepend(QLatin1Char('\''));
        if (field.contains(needsQuotes))
            field = '"' + field.replace('"', QStringLiteral("\"\"")) + '"';
    }
    return fields.join(',') + '\n';
}
