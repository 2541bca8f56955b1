#pragma once

#include <QStringList>

// The looks offered in the "风格选择" menu: six stored looks made of Qt's own
// styles and palettes, plus the look the program starts with.
namespace styles {

const QStringList& storedNames();
void applyStartup();
// Applies the stored look at index; an index beyond the store does nothing.
void applyStored(int index);
// Name of the look in use: "startup" or one of storedNames().
QString current();

} // namespace styles
