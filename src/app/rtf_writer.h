#pragma once

#include <QByteArray>
#include <QStringList>

// The log pane's lines as a Rich Text Format document in the GB2312 code
// page, as Windows programs expect a saved log: each line one paragraph,
// Chinese as GBK bytes, anything GBK lacks as a Unicode escape.
QByteArray linesToRtf(const QStringList& lines);
