#pragma once
#include <QString>

namespace platform {

// The system clipboard.
class Clipboard {
public:
    // The clipboard then holds exactly text, in place of its previous content.
    void SetText(const QString& text);
    // What the clipboard holds as text now.
    QString Text() const;
};

} // namespace platform
