#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Text that leaves the program as bytes (WiFi names and passwords) is GBK, the
// code page of a Chinese desktop, which is what the reader's modules expect.

// The GBK bytes of the text; nothing when a character has no GBK form, so that
// such a text is refused instead of sent with characters missing.
std::optional<QByteArray> toGbk(const QString& text);

// GBK bytes as text. A byte sequence that is not GBK becomes U+FFFD, one per
// bad byte, and *ok (when given) is set false.
QString fromGbk(const QByteArray& bytes, bool* ok = nullptr);
