#include "platform/picture.h"

#include <QImage>

namespace platform {

Picture::Picture(const QImage& image) : image_(std::make_unique<const QImage>(image)) {}

Picture::~Picture() = default;

int Picture::Width() const { return image_->width(); }
int Picture::Height() const { return image_->height(); }

} // namespace platform
