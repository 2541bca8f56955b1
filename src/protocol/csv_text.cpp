#include "csv_text.h"

#include <QRegularExpression>

QString csvLine(QStringList fields) {
    static const QRegularExpression needsQuotes(QStringLiteral("[\",\r\n]"));
    for (QString& field : fields) {
        if (!field.isEmpty() && QStringLiteral("=+-@").contains(field.front()))
            field.prepend(QLatin1Char('\''));
        if (field.contains(needsQuotes))
            field = '"' + field.replace('"', QStringLiteral("\"\"")) + '"';
    }
    return fields.join(',') + '\n';
}
