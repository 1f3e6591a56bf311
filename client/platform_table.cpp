// Platform popup rows to the service's path segment and the element carrying a mention.
#include "window/window1.h"

#include "platform/text.h"

QString Window1::request_type(int index)
{
    return platform::NthField(QStringLiteral("twitter,website,video,facebook"), QStringLiteral(","), index);
}

QString Window1::request_type_tag(int index)
{
    return platform::NthField(QStringLiteral("message,site_title,title,comment"), QStringLiteral(","), index);
}

QString Window1::platforms(int index)
{
    switch (index) {
    case 1: return QStringLiteral("twitter");
    case 2: return QStringLiteral("facebook");
    case 3: return QStringLiteral("web");
    case 4: return QStringLiteral("video");
    case 5: return QStringLiteral("all");
    default: return QString();
    }
}

QString Window1::urlify(const QString& text)
{
    return platform::ReplaceAll(text, QStringLiteral(" "), QStringLiteral("_"));
}
