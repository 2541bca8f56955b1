#pragma once

#include <QString>

// The line break of the log's texts.
inline const QString kCrLf = QStringLiteral("\r\n");

// The log pane's one operation: append a line. A line break inside the text
// starts a further line, so a text ending in CR LF is followed by an empty line.
class LogSink {
  public:
    virtual ~LogSink() = default;
    virtual void appendLine(const QString& text) = 0;
};
