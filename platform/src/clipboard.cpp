#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace platform {

void Clipboard::SetText(const QString& text) { QGuiApplication::clipboard()->setText(text); }

} // namespace platform
