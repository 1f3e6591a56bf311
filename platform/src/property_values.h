#pragma once
// Reading a decoded property value in the setters of the property tables; not part of
// the layer's interface.
#include "platform/properties.h"

#include <QColor>
#include <QString>
#include <cstdint>
#include <variant>

namespace platform::detail {

inline std::int32_t asInt(const PropertyValue& v) { return std::get<std::int32_t>(v); }
inline bool asBool(const PropertyValue& v) { return std::get<bool>(v); }
inline QString asString(const PropertyValue& v) { return std::get<QString>(v); }
inline QColor asColor(const PropertyValue& v)
{
    const Color c = std::get<Color>(v);
    return QColor(c.red, c.green, c.blue);
}

// An entry the record holds but nothing here uses: read whole, then dropped.
inline PropertyDescriptor dropped(const char* name, PropertyType type) { return {name, type, nullptr}; }

} // namespace platform::detail
