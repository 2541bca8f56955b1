#include "app/jpeg_image.h"

#include <QFile>
#include <QTemporaryFile>
#include <QtTest>
#include <cstdio>
#include <unistd.h>

// Outside any namespace, as the macro requires.
static void registerAssets() {
    Q_INIT_RESOURCE(assets);
}

namespace {

QByteArray embeddedPicture() {
    registerAssets();
    QFile file(QStringLiteral(":/assets/card_memory.jpg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The picture with the size in its frame header replaced.
QByteArray withFrameSize(QByteArray jpeg, quint16 width, quint16 height) {
    const int sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    if (sof < 0)
        return {};
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xFF);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xFF);
    return jpeg;
}

// Everything written to file descriptor 2 while `work` runs.
template <class Work> QByteArray capturedStderr(Work work) {
    QTemporaryFile capture;
    if (!capture.open())
        return "<cannot capture>";
    std::fflush(stderr);
    const int saved = dup(2);
    dup2(capture.handle(), 2);
    work();
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    capture.seek(0);
    return capture.readAll();
}

} // namespace

class JpegImageTest : public QObject {
    Q_OBJECT
  private slots:
    void decodesEmbeddedPictureAsRgb();
    void refusesBadData_data();
    void refusesBadData();
    void printsNothing();
};

void JpegImageTest::decodesEmbeddedPictureAsRgb() {
    QString error = "stale";
    const QImage image = decodeJpeg(embeddedPicture(), &error);
    QCOMPARE(image.size(), QSize(664, 547));
    QVERIFY(error.isEmpty());
    // White background, and a light red kill password row: checks the
    // channel order, within the tolerance of the compression.
    const auto near = [](QRgb actual, QRgb expected) {
        return qAbs(qRed(actual) - qRed(expected)) <= 8 &&
               qAbs(qGreen(actual) - qGreen(expected)) <= 8 &&
               qAbs(qBlue(actual) - qBlue(expected)) <= 8;
    };
    QVERIFY(near(image.pixel(3, 3), qRgb(255, 255, 255)));
    QVERIFY(near(image.pixel(280, 35), qRgb(0xF8, 0xD7, 0xD3)));
}

void JpegImageTest::refusesBadData_data() {
    const QByteArray jpeg = embeddedPicture();
    QVERIFY(jpeg.size() > 1000);
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("text") << QByteArray("not a picture at all") << "Not a JPEG file";
    QTest::newRow("garbage") << QByteArray(5000, '\xA5') << "Not a JPEG file";
    QTest::newRow("markers only") << jpeg.left(2) << "";
    QTest::newRow("cut in the header") << jpeg.left(200) << "";
    QTest::newRow("cut in the middle") << jpeg.left(jpeg.size() / 2) << "Premature end";
    QTest::newRow("end marker missing") << jpeg.left(jpeg.size() - 2) << "Premature end";
    QTest::newRow("huge size in header") << withFrameSize(jpeg, 65000, 65000) << "too large";
    QTest::newRow("zero size in header") << withFrameSize(jpeg, 0, 547) << "";
}

void JpegImageTest::refusesBadData() {
    QFETCH(QByteArray, data);
    QFETCH(QString, reason);
    QString error;
    const QImage image = decodeJpeg(data, &error);
    QVERIFY(image.isNull());
    QVERIFY(!error.isEmpty());
    QVERIFY2(error.contains(reason), qPrintable(error));
    QVERIFY(decodeJpeg(data).isNull()); // no error pointer wanted
}

void JpegImageTest::printsNothing() {
    const QByteArray jpeg = embeddedPicture();
    const QByteArray printed = capturedStderr([&] {
        decodeJpeg(jpeg.left(jpeg.size() / 2));
        decodeJpeg(QByteArray(100, 'x'));
    });
    QCOMPARE(printed, QByteArray());
}

QTEST_MAIN(JpegImageTest)
#include "jpeg_image_test.moc"
