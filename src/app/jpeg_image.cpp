#include "jpeg_image.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {

// Larger pictures are refused before any memory is taken for them: a few
// corrupt header bytes must not make the program allocate gigabytes.
const quint64 kMaxImageBytes = 256ull * 1024 * 1024;

// The message buffer belongs to the caller of decodeInto(), whose frame the
// longjmp does not leave, so its content stays valid after the jump.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char* message;
};

// Keeps the first message instead of printing it. Warnings count as
// errors: libjpeg only warns about truncated data and fills the rest grey.
void keepMessage(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (manager->message[0] == '\0')
        manager->base.format_message(cinfo, manager->message);
}

[[noreturn]] void jumpOut(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    manager->message[0] = '\0';
    manager->base.format_message(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

// Only trivially destructible objects live in this frame, so that the
// longjmp out of libjpeg skips no destructor.
bool decodeInto(const QByteArray& data, QImage* image, char* message) {
    jpeg_decompress_struct cinfo;
    ErrorManager manager;
    manager.message = message;
    cinfo.err = jpeg_std_error(&manager.base);
    manager.base.error_exit = jumpOut;
    manager.base.output_message = keepMessage;
    if (setjmp(manager.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }

    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&cinfo);
    if (quint64(cinfo.output_width) * cinfo.output_height * 3 > kMaxImageBytes) {
        std::snprintf(message, JMSG_LENGTH_MAX, "JPEG image too large: %u x %u pixels",
                      cinfo.output_width, cinfo.output_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }

    jpeg_start_decompress(&cinfo);
    *image = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB888);
    if (image->isNull()) {
        std::snprintf(message, JMSG_LENGTH_MAX, "Not enough memory for a %u x %u pixel image",
                      cinfo.output_width, cinfo.output_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image->scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);

    return manager.base.num_warnings == 0;
}

} // namespace

QImage decodeJpeg(const QByteArray& data, QString* error) {
    QImage image;
    char message[JMSG_LENGTH_MAX] = {};
    if (decodeInto(data, &image, message)) {
        if (error)
            error->clear();
        return image;
    }
    if (error)
        *error = QString::fromLocal8Bit(message);
    return QImage();
}
