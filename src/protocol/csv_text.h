#pragma once

#include <QStringList>

// One CSV line of the exports (journal, configured readers), line end included:
// a field with a comma, quote or line break is quoted, and one that starts
// with = + - or @ gets a ' first, so that a spreadsheet does not run it as a
// formula; a plain negative number stays as it is.
QString csvLine(QStringList fields);
