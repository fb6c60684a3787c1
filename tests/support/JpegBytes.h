#pragma once

// For the programs that link Qt only: a picture that decodes, as a site would serve it.
#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <string>

namespace albumora::test {

// A JPEG of one colour.
inline std::string JpegBytes(QColor fill, QSize size = {60, 40}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes.toStdString();
}

}  // namespace albumora::test
