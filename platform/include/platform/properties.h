#pragma once
// The mass property setter: applies a property record (a byte string of named, typed
// values) to an object whose class declares those properties.
//
// Record format, entries back to back, no header or terminator:
//   name (ASCII letters) ' ' value
// where the value's encoding is given by the property's declared type:
//   Integer  4 bytes, signed, most significant first
//   Boolean  1 byte, 0 or 1
//   Color    3 bytes, one per component
//   String   4-byte big-endian count n, then n bytes of UTF-8
#include "platform/exceptions.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace platform {

struct Color {
    std::uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const Color&, const Color&) = default;
};

enum class PropertyType { Integer, Boolean, Color, String };

using PropertyValue = std::variant<std::int32_t, bool, Color, QString>;

class PropertyTarget;

// An entry a class declares. Without set, the entry is read whole and dropped: the record
// holds it, nothing here uses it.
struct PropertyDescriptor {
    std::string name;
    PropertyType type;
    std::function<void(PropertyTarget&, const PropertyValue&)> set;
};

class PropertyTarget {
public:
    virtual ~PropertyTarget() = default;
    // The properties this object's class declares, its bases' included.
    virtual const std::vector<PropertyDescriptor>& propertyTable() const = 0;
};

// Applies every entry of record to target in record order. An unknown name, a missing
// separator, a value cut short or an invalid Boolean byte raises PropertyRecordError.
void SetProperties(PropertyTarget& target, std::span<const std::uint8_t> record);

} // namespace platform
