#include "platform/progress_bar.h"

#include <QProgressBar>
#include <algorithm>

namespace platform {

namespace {
// Qt's bar ignores a value outside its range and keeps showing the old one, so the value
// is clamped before it reaches the bar.
void showClamped(QProgressBar* bar, int value, int maximum)
{
    if (!bar)
        return;
    const int top = std::max(0, maximum);
    bar->setRange(0, top);
    bar->setValue(std::clamp(value, 0, top));
}
} // namespace

QWidget* ProgressBar::createWidget(QWidget* parent)
{
    auto* bar = new QProgressBar(parent);
    bar->setTextVisible(false);
    showClamped(bar, value_, maximum_);
    return bar;
}

void ProgressBar::SetValue(int value)
{
    value_ = value;
    showClamped(static_cast<QProgressBar*>(widget()), value_, maximum_);
}

void ProgressBar::SetMaximum(int maximum)
{
    maximum_ = maximum;
    showClamped(static_cast<QProgressBar*>(widget()), value_, maximum_);
}

} // namespace platform
