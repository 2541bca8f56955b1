#include "card_memory_window.h"

#include "jpeg_image.h"

#include <QFile>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QVBoxLayout>

namespace {

const QString kPicture = QStringLiteral(":/assets/card_memory.jpg");

// The picture, or the reason it cannot be shown in *error.
QImage loadPicture(QString* error) {
    QFile file(kPicture);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return QImage();
    }
    return decodeJpeg(file.readAll(), error);
}

} // namespace

// Outside any namespace, as the macro requires; the reference also keeps the
// linker from dropping the resource out of the static library.
static void registerAssets() {
    Q_INIT_RESOURCE(assets);
}

TForm3::TForm3(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(tr("卡片存储器结构"));
    registerAssets();

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setMinimumSize(664, 547);
    image->setAlignment(Qt::AlignCenter);
    // The window is a little larger than the picture; a white surround
    // makes the margin part of the picture's own background.
    image->setAutoFillBackground(true);
    QPalette palette = image->palette();
    palette.setColor(QPalette::Window, Qt::white);
    image->setPalette(palette);
    QString error;
    const QImage picture = loadPicture(&error);
    if (picture.isNull()) {
        image->setWordWrap(true);
        image->setText(tr("无法显示卡片存储器结构图：%1").arg(error));
    } else {
        image->setPixmap(QPixmap::fromImage(picture));
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(image);
    resize(668, 585);
}
