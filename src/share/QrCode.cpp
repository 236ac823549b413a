#include "share/QrCode.h"

#include <qrencode.h>

#include <memory>

namespace sw {

QImage qrCodeImage(const QString &text, int pixelsPerModule)
{
    const QByteArray utf8 = text.toUtf8();
    if (utf8.isEmpty() || pixelsPerModule < 1)
        return {};
    // Version 0: the smallest symbol that holds the text.
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(utf8.constData(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!code)
        return {};

    constexpr int quietZone = 4;
    const int modules = code->width + 2 * quietZone;
    QImage image(modules * pixelsPerModule, modules * pixelsPerModule, QImage::Format_Grayscale8);
    image.fill(255);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x) {
            // Bit 0 of each byte is the module's colour (1 dark).
            if (!(code->data[y * code->width + x] & 1))
                continue;
            const int left = (x + quietZone) * pixelsPerModule;
            const int top = (y + quietZone) * pixelsPerModule;
            for (int py = top; py < top + pixelsPerModule; ++py) {
                uchar *line = image.scanLine(py);
                std::fill(line + left, line + left + pixelsPerModule, uchar(0));
            }
        }
    return image;
}

} // namespace sw
