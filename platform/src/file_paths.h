#pragma once
// Not part of the layer's interface.
#include <QString>

namespace platform::detail {

inline QString joinPath(const QString& folder, const QString& name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

} // namespace platform::detail
