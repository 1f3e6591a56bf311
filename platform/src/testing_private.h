#pragma once
// What platform/testing.h reads inside the layer; not part of the layer's interface.
#include <memory>
#include <vector>

namespace platform {
class Application;
struct ClassRecord;
namespace test {
class DialogSeam;
}
} // namespace platform

namespace platform::detail {

// The records in the order they were built.
const std::vector<std::unique_ptr<ClassRecord>>& ClassRecordsInOrder();
// The application object of the run, or nullptr.
Application* AppObject();
// The seam the dialogs pass through; nullptr: Qt's own.
extern test::DialogSeam* dialogSeam;

} // namespace platform::detail
