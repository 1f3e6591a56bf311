#pragma once
// Where the PondWhirl service lives, and how long a request to it may take.
#include <QString>

namespace service {

// Scheme and host of the API, plain HTTP on the default port; every request address
// starts with it.
inline const QString kBaseAddress = QStringLiteral("http://api.pondwhirl.com");
// The web site where users find their API key.
inline const QString kWebsiteDomain = QStringLiteral("www.pondwhirl.com");

// How long curl may take: to connect, and without data (curl judges the speed over a
// window of some seconds, so a stalled answer ends a few seconds after stallSeconds).
struct CurlLimits {
    int connectSeconds = 30;
    int stallSeconds = 60;
};

// The limits every request the program makes is given: the shipped ones above. Tests
// lower them to see a failure in seconds, and put them back.
inline CurlLimits requestLimits;

} // namespace service
