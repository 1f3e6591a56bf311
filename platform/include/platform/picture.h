#pragma once
// A picture read from a file. The image itself stays behind the layer: the program only
// hands it to a canvas.
#include <memory>

class QImage;

namespace platform {

class Picture {
public:
    explicit Picture(const QImage& image);
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    const QImage& image() const { return *image_; }

private:
    std::unique_ptr<const QImage> image_;
};

} // namespace platform
