#include "styles.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

namespace styles {
namespace {

struct Look {
    const char* name;
    const char* style;
    QRgb window, text, base, button, highlight;
};

// Stored in the order of the menu entries "风格1" … "风格6".
const Look storedLooks[] = {
    {"Skin5", "Windows", 0xd4d0c8, 0x000000, 0xffffff, 0xd4d0c8, 0x0a246a},
    {"skin1", "Fusion", 0x353535, 0xf0f0f0, 0x252525, 0x454545, 0x2a82da},
    {"skin2", "Fusion", 0xdce6f4, 0x102040, 0xffffff, 0xc5d6ee, 0x3a6ea5},
    {"skin3", "Fusion", 0xe2efda, 0x1e3214, 0xffffff, 0xcde3bf, 0x4a7f2c},
    {"skin4", "Fusion", 0x000000, 0xffff00, 0x000000, 0x202020, 0x00a0ff},
    {"Skin6", "Fusion", 0xf3e9d7, 0x3a2a14, 0xfffaf0, 0xe6d3b3, 0xa0522d},
};
const Look startupLook = {"startup", "Fusion", 0xefefef, 0x000000, 0xffffff, 0xe8e8e8, 0x308cc6};

QString currentName = QStringLiteral("startup");

// Halfway between the text and the ground it stands on: dim enough to read as
// disabled, still legible.
QColor faded(QRgb text, QRgb ground) {
    return QColor((qRed(text) + qRed(ground)) / 2, (qGreen(text) + qGreen(ground)) / 2,
                  (qBlue(text) + qBlue(ground)) / 2);
}

void apply(const Look& look) {
    QApplication::setStyle(QStyleFactory::create(QLatin1String(look.style)));
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(look.window));
    palette.setColor(QPalette::WindowText, QColor(look.text));
    palette.setColor(QPalette::Base, QColor(look.base));
    palette.setColor(QPalette::AlternateBase, QColor(look.button));
    palette.setColor(QPalette::Text, QColor(look.text));
    palette.setColor(QPalette::Button, QColor(look.button));
    palette.setColor(QPalette::ButtonText, QColor(look.text));
    palette.setColor(QPalette::Highlight, QColor(look.highlight));
    palette.setColor(QPalette::HighlightedText, QColor(0xffffff));
    palette.setColor(QPalette::ToolTipBase, QColor(look.base));
    palette.setColor(QPalette::ToolTipText, QColor(look.text));
    // The calls above set every group; disabled controls get faded text and,
    // for edit fields, the window's ground instead of the edit colour.
    palette.setColor(QPalette::Disabled, QPalette::WindowText, faded(look.text, look.window));
    palette.setColor(QPalette::Disabled, QPalette::Text, faded(look.text, look.window));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, faded(look.text, look.button));
    palette.setColor(QPalette::Disabled, QPalette::Base, QColor(look.window));
    palette.setColor(QPalette::Disabled, QPalette::Highlight, faded(look.highlight, look.window));
    QApplication::setPalette(palette);
    currentName = QLatin1String(look.name);
}

} // namespace

const QStringList& storedNames() {
    static const QStringList names = [] {
        QStringList list;
        for (const Look& look : storedLooks)
            list << QLatin1String(look.name);
        return list;
    }();
    return names;
}

void applyStartup() {
    apply(startupLook);
}

void applyStored(int index) {
    if (index >= 0 && index < int(std::size(storedLooks)))
        apply(storedLooks[index]);
}

QString current() {
    return currentName;
}

} // namespace styles
