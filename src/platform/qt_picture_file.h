#pragma once

#include <string>

class QImage;

namespace klv {

// A picture encoded in memory and put in place whole (file_replacement.h), so a reader or a
// full disk never leaves half a picture. Format as Qt names it ("PNG", "BMP").
bool writePicture(const QImage& picture, const std::string& path, const char* format);

}  // namespace klv
