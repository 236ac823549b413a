#pragma once
// A text as a QR code picture, for a phone to scan the live timing link.

#include <QImage>
#include <QString>

namespace sw {

// Black modules on white, each module pixelsPerModule pixels square, with the
// four-module quiet zone scanners need. Error correction level M (about 15 %
// of the code may be unreadable). A null image when the text does not fit a
// QR code.
QImage qrCodeImage(const QString &text, int pixelsPerModule = 8);

} // namespace sw
