#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Decodes JPEG data with libjpeg into an RGB image. Corrupt, truncated or
// unsupported data gives a null image and, if asked for, the reason in
// *error; libjpeg never prints to stderr and never ends the program.
QImage decodeJpeg(const QByteArray& data, QString* error = nullptr);
