#include "platform/picture.h"

#include <QImage>

namespace platform {

Picture::Picture(const QImage& image) : image_(std::make_unique<const QImage>(image)) {}

Picture::~Picture() = default;

} // namespace platform
