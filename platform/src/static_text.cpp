#include "platform/static_text.h"

#include <QLabel>

namespace platform {

QWidget* StaticText::createWidget(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QString StaticText::Text() const
{
    auto* w = static_cast<QLabel*>(widget());
    return w ? w->text() : QString();
}

void StaticText::SetText(const QString& text) { static_cast<QLabel&>(constructedWidget("label")).setText(text); }

} // namespace platform
