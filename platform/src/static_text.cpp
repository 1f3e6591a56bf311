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

void StaticText::SetBuddy(RectControl& control)
{
    auto& label = static_cast<QLabel&>(constructedWidget("label"));
    // Qt makes a mnemonic of a buddy only from an "&" in the text; without one the label
    // looks and acts as before.
    label.setBuddy(&control.constructedWidget("buddy"));
}

} // namespace platform
