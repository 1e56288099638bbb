#include "platform/qt_picture_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <string_view>

#include "platform/file_replacement.h"

namespace klv {

bool writePicture(const QImage& picture, const std::string& path, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, format))
        return false;
    return replaceFile(path, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

}  // namespace klv
