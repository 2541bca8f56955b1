#include "version_window.h"

#include <QPalette>
#include <QStringList>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

QStringList history() {
    return {
        TForm2::tr(" 版本更新记录："),
        TForm2::tr("1.6版本  增加GS1格式的读卡功能"),
        TForm2::tr("1.7版本  增加TID 和 多卡识读功能"),
        TForm2::tr("1.8版本  增加USB透传 和 USB调试功能，支持USB数据发送和接收"),
        TForm2::tr("1.9版本  增加不同长度的EPC号码的读卡"),
        TForm2::tr("2.0版本  增加不同长度的EPC号码的写卡"),
        TForm2::tr("2.1版本  测试调试版本"),
        TForm2::tr("2.2版本  增加存储扇区的读卡，可以指定任意扇区"),
        TForm2::tr("2.3版本  增加虚拟串口切换"),
        TForm2::tr("2.4版本  增加显示RSSI功能"),
        TForm2::tr("2.5版本  增加自动累加，自动写卡功能"),
        TForm2::tr("2.6版本  增加串口接收显示，增加USB_COM切换成USB_HID"),
        TForm2::tr("2.7版本  增加WIFI功能，增加WIFI列表显示"),
        TForm2::tr("2.8版本  增加继电器的控制功能"),
    };
}

} // namespace

TForm2::TForm2(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("RFID"));

    auto* text = new QTextEdit(this);
    text->setObjectName(QStringLiteral("RichEdit1"));
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setLineWrapMode(QTextEdit::NoWrap);
    // Same font as the log pane.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(13);
    text->setFont(font);
    text->setPlainText(history().join(QLatin1Char('\n')));
    // The box only shows text; disabling it must not grey the text out.
    QPalette palette = text->palette();
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::Base})
        palette.setColor(QPalette::Disabled, role, palette.color(QPalette::Active, role));
    text->setPalette(palette);
    text->setEnabled(false);

    // At the designed size the box is 717 x 476 with a margin all round; it
    // follows the window when that is resized.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(11, 26, 11, 26);
    layout->addWidget(text);
    resize(739, 528);
}
