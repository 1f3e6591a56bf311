#pragma once
#include <QString>

namespace platform {

// The system clipboard.
class Clipboard {
public:
    // The clipboard then holds exactly text, in place of its previous content.
    void SetText(const QString& text);
};

} // namespace platform
