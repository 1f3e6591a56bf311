#pragma once
// Where the PondWhirl service lives.
#include <QString>

namespace service {

// Scheme and host of the API, plain HTTP on the default port; every request address
// starts with it.
inline const QString kBaseAddress = QStringLiteral("http://api.pondwhirl.com");
// The web site where users find their API key.
inline const QString kWebsiteDomain = QStringLiteral("www.pondwhirl.com");

} // namespace service
