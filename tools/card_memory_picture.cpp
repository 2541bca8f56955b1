// Draws the memory map of an EPC Class-1 Gen-2 tag that the card memory
// structure window shows, and writes it as a JPEG file.
//
//   card_memory_picture OUTPUT.jpg
//
// The result is committed as src/app/assets/card_memory.jpg; run this again
// only when the picture has to change.

#include <QColor>
#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QString>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <vector>

namespace {

const int kWidth = 664;
const int kHeight = 547;
const QString kFontFamily = QStringLiteral("WenQuanYi Micro Hei");

// Horizontal layout: bank label box, bit addresses, word rows.
const int kBankX = 14;
const int kBankWidth = 130;
const int kAddressRight = 246;
const int kRowX = 256;
const int kRowWidth = 394;

// Vertical layout.
const int kTop = 12;
const int kHeaderHeight = 16;
const int kRowHeight = 29;
const int kBankGap = 13;

struct Word {
    QString address; // bit address range of the word
    QString label;
    QColor fill;
    bool continues; // stands for the rest of a bank of open-ended length
};

struct Bank {
    QString number;
    QString name;
    QColor fill;
    std::vector<Word> words;
};

QFont font(int pixelSize, bool bold = false) {
    QFont f(kFontFamily);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

std::vector<Bank> banks() {
    const QColor kill(0xF8, 0xD7, 0xD3);
    const QColor access(0xFB, 0xE6, 0xC4);
    const QColor crc(0xD3, 0xE4, 0xF8);
    const QColor pc(0xD6, 0xF0, 0xD8);
    const QColor epc(0xFF, 0xF4, 0xC2);
    const QColor tid(0xE6, 0xDC, 0xF5);
    const QColor user(0xDD, 0xF1, 0xEE);
    const QColor more(0xF4, 0xF4, 0xF4);
    return {
        {"存储区00",
         "保留内存",
         QColor(0xFD, 0xEE, 0xEC),
         {{"00h–0Fh", "灭活密码 [31:16]", kill, false},
          {"10h–1Fh", "灭活密码 [15:0]", kill, false},
          {"20h–2Fh", "访问密码 [31:16]", access, false},
          {"30h–3Fh", "访问密码 [15:0]", access, false}}},
        {"存储区01",
         "EPC存储器",
         QColor(0xEC, 0xF3, 0xFC),
         {{"00h–0Fh", "CRC-16", crc, false},
          {"10h–1Fh", "PC", pc, false},
          {"20h–2Fh", "EPC", epc, false},
          {"30h–…", "EPC（长度由PC给出）……", more, true}}},
        {"存储区02",
         "TID存储器",
         QColor(0xF3, 0xEF, 0xFA),
         {{"00h–0Fh", "TID", tid, false},
          {"10h–1Fh", "TID", tid, false},
          {"20h–…", "……", more, true}}},
        {"存储区03",
         "用户存储器",
         QColor(0xEC, 0xF7, 0xF5),
         {{"00h–0Fh", "用户数据", user, false}, {"10h–…", "……", more, true}}},
    };
}

// Draws one bank from its top edge and returns the y just below it.
int drawBank(QPainter& p, const Bank& bank, int y) {
    const QColor ink(0x20, 0x20, 0x20);
    const QColor grey(0x70, 0x70, 0x70);

    p.setFont(font(11));
    p.setPen(grey);
    const QRect header(kRowX + 4, y, kRowWidth - 8, kHeaderHeight);
    p.drawText(header, Qt::AlignLeft | Qt::AlignVCenter, "MSB");
    p.drawText(header, Qt::AlignRight | Qt::AlignVCenter, "LSB");
    y += kHeaderHeight;

    const int rowsHeight = kRowHeight * int(bank.words.size());
    const QRect label(kBankX, y, kBankWidth, rowsHeight);
    p.setPen(QPen(ink, 1.2));
    p.setBrush(bank.fill);
    p.drawRect(label);
    p.setPen(ink);
    p.setFont(font(17, true));
    p.drawText(label.adjusted(0, 0, 0, -rowsHeight / 2), Qt::AlignHCenter | Qt::AlignBottom,
               bank.number);
    p.setFont(font(15));
    p.drawText(label.adjusted(0, rowsHeight / 2 + 4, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
               bank.name);

    for (const Word& word : bank.words) {
        const QRect row(kRowX, y, kRowWidth, kRowHeight);
        p.setBrush(word.fill);
        p.setPen(QPen(ink, 1.2, word.continues ? Qt::DashLine : Qt::SolidLine));
        p.drawRect(row);
        p.setPen(ink);
        p.setFont(font(14));
        p.drawText(row, Qt::AlignCenter, word.label);
        p.setFont(font(13));
        p.drawText(QRect(kAddressRight - 100, y, 100, kRowHeight),
                   Qt::AlignRight | Qt::AlignVCenter, word.address);
        y += kRowHeight;
    }
    return y + kBankGap;
}

QImage drawPicture() {
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    int y = kTop;
    for (const Bank& bank : banks())
        y = drawBank(p, bank, y);

    p.setPen(QColor(0x70, 0x70, 0x70));
    p.setFont(font(11));
    p.drawText(QRect(kAddressRight - 100, kTop, 100, kHeaderHeight),
               Qt::AlignRight | Qt::AlignVCenter, "位地址");

    p.setPen(Qt::black);
    p.setFont(font(17, true));
    p.drawText(QRect(0, kHeight - 46, kWidth, 34), Qt::AlignCenter,
               "图 1  EPC Class-1 Gen-2 标签逻辑存储器映射");
    return image;
}

// Compresses with libjpeg itself so that the picture is the same whichever
// image plugins Qt has. 4:4:4 sampling keeps the coloured text sharp.
std::vector<unsigned char> encodeJpeg(const QImage& image) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);

    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);

    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 92, TRUE);
    cinfo.optimize_coding = TRUE;
    for (int i = 0; i < cinfo.num_components; ++i) {
        cinfo.comp_info[i].h_samp_factor = 1;
        cinfo.comp_info[i].v_samp_factor = 1;
    }

    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);

    std::vector<unsigned char> jpeg(buffer, buffer + size);
    std::free(buffer);
    return jpeg;
}

} // namespace

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);

    if (argc != 2) {
        err << "usage: card_memory_picture OUTPUT.jpg\n";
        return 2;
    }
    // Without the font the Chinese labels would come out as empty boxes.
    if (QFontInfo(font(14)).family() != kFontFamily) {
        err << "font \"" << kFontFamily << "\" is not installed (Debian: fonts-wqy-microhei)\n";
        return 1;
    }

    const std::vector<unsigned char> jpeg = encodeJpeg(drawPicture());
    QSaveFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(jpeg.data()), qint64(jpeg.size())) !=
            qint64(jpeg.size()) ||
        !file.commit()) {
        err << "cannot write " << file.fileName() << ": " << file.errorString() << "\n";
        return 1;
    }
    return 0;
}
