#include "platform/text_field.h"

#include <QLineEdit>

namespace platform {

QWidget* TextField::createWidget(QWidget* parent) { return new QLineEdit(parent); }

QString TextField::Text() const
{
    auto* w = static_cast<QLineEdit*>(widget());
    return w ? w->text() : QString();
}

void TextField::SetText(const QString& text) { static_cast<QLineEdit&>(constructedWidget("text field")).setText(text); }

} // namespace platform
