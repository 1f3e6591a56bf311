#include "platform/window.h"

#include "platform/exceptions.h"
#include "ui_private.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLayout>
#include <QMenuBar>
#include <QWindow>
#include <algorithm>

namespace platform {

// --- WindowWidget ----------------------------------------------------------------------

namespace detail {

WindowWidget::WindowWidget()
{
    setButtons(closeButton, minimizeButton, maximizeButton);
}

int WindowWidget::menuBarHeight(int contentWidth) const
{
    QWidget* bar = menuWidget();
    if (!bar || bar->isHidden())
        return 0;
    // The same height Qt's main-window layout gives the bar at that width.
    int h = bar->heightForWidth(std::max(contentWidth, bar->minimumWidth()));
    if (h < 0)
        h = bar->sizeHint().height();
    return std::clamp(h, bar->minimumSizeHint().height(), bar->maximumHeight());
}

QSize WindowWidget::contentSize() const
{
    return centralWidget() ? centralWidget()->size() : QSize();
}

void WindowWidget::applyLimits(QSize content)
{
    const int bar = menuBarHeight(content.width());
    auto bounded = [](int v) { return std::clamp(v, 0, QWIDGETSIZE_MAX); };
    if (resizeable_) {
        setMinimumSize(bounded(minContent_.width()), bounded(minContent_.height() + bar));
        setMaximumSize(bounded(maxContent_.width()), bounded(maxContent_.height() + bar));
    } else {
        setFixedSize(bounded(content.width()), bounded(content.height() + bar));
    }
}

void WindowWidget::setContentSize(QSize size)
{
    size = size.expandedTo(QSize(0, 0));
    applyLimits(size);
    resize(size.width(), size.height() + menuBarHeight(size.width()));
    // Settle the layout now, even while the window is hidden, so that the content's size
    // reads back at once; correct once for any difference in the bar's height.
    if (layout()) {
        layout()->invalidate();
        layout()->activate();
        const QSize got = contentSize();
        const QSize wanted = size.boundedTo(maxContent_).expandedTo(minContent_);
        if (got != wanted && resizeable_) {
            resize(this->size() + (wanted - got));
            layout()->invalidate();
            layout()->activate();
        }
    }
}

void WindowWidget::setContentLimits(QSize minimum, QSize maximum)
{
    minContent_ = minimum;
    maxContent_ = maximum;
    setContentSize(contentSize());
}

void WindowWidget::setResizeable(bool on)
{
    const QSize content = contentSize();
    resizeable_ = on;
    if (on) {
        // Undo setFixedSize before the limits apply again.
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    setContentSize(content);
}

void WindowWidget::setButtons(bool close, bool minimize, bool maximize)
{
    closeButton = close;
    minimizeButton = minimize;
    maximizeButton = maximize;
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (close)
        flags |= Qt::WindowCloseButtonHint;
    if (minimize)
        flags |= Qt::WindowMinimizeButtonHint;
    if (maximize)
        flags |= Qt::WindowMaximizeButtonHint;
    if (flags == windowFlags())
        return;
    // setWindowFlags hides a window on screen and shows it again, and a window manager
    // may lose a window unmapped that quickly: a shown window gets its flags in place.
    if (isVisible() && windowHandle()) {
        overrideWindowFlags(flags);
        windowHandle()->setFlags(flags);
        return;
    }
    setWindowFlags(flags);
}

void WindowWidget::closeEvent(QCloseEvent* event)
{
    QMainWindow::closeEvent(event);
    // Qt's own quit on the last window closed would wait for a running handler to return
    // and leave its work going on unseen; Quit also tells that work to stop.
    if (event->isAccepted())
        Quit();
}

void WindowWidget::setMenuBarShown(bool on)
{
    const QSize content = contentSize();
    menuBarShown_ = on;
    if (QWidget* bar = menuWidget())
        bar->setVisible(on);
    setContentSize(content);
}

} // namespace detail

// --- Window ----------------------------------------------------------------------------

namespace {
detail::WindowWidget& widgetOf(PropertyTarget& target)
{
    auto* w = static_cast<detail::WindowWidget*>(static_cast<Window&>(target).qtWindow());
    if (!w)
        throw NilObjectException(QStringLiteral("the window has not been constructed"));
    return *w;
}

QObject* keptOnWindow(PropertyTarget& target) { return &widgetOf(target); }

PropertyDescriptor kept(const char* name, PropertyType type)
{
    return detail::KeptProperty(name, type, keptOnWindow);
}

std::int32_t asInt(const PropertyValue& v) { return std::get<std::int32_t>(v); }
bool asBool(const PropertyValue& v) { return std::get<bool>(v); }

// Controls by TabIndex; equal indexes keep their creation order.
std::vector<RectControl*> tabOrder(std::vector<RectControl*> controls)
{
    std::stable_sort(controls.begin(), controls.end(),
                     [](RectControl* a, RectControl* b) { return a->TabIndex() < b->TabIndex(); });
    return controls;
}

QWidget* firstInTabOrder(const std::vector<RectControl*>& controls)
{
    for (RectControl* c : tabOrder(controls)) {
        if (c->widget() && (c->widget()->focusPolicy() & Qt::TabFocus) && !c->widget()->isHidden() &&
            c->widget()->isEnabled())
            return c->widget();
    }
    return nullptr;
}
} // namespace

Window::Window(const ClassRecord* classRecord) : classRecord_(classRecord) {}

Window::~Window()
{
    detail::UnregisterOpenWindow(this);
    controls_.clear();
    menuView_.reset();
    delete qtWindow_;
}

void Window::Constructor()
{
    LogRuntimeStep(QStringLiteral("Window.Constructor"));
    if (qtWindow_)
        throw RuntimeException(QStringLiteral("the window has been constructed already"));
    auto* w = new detail::WindowWidget;
    qtWindow_ = w;
    content_ = new QWidget;
    content_->setObjectName(QStringLiteral("content"));
    w->setCentralWidget(content_);
    w->setContentSize(QSize(300, 300));
    detail::RegisterOpenWindow(this);
    if (menuBar_)
        SetMenuBar(menuBar_);

    // No catch here: during start-up an exception from these handlers must reach the
    // program's own catch-all.
    LogRuntimeStep(QStringLiteral("Layout"));
    EventLayout();
    LogRuntimeStep(QStringLiteral("CreateControls"));
    EventCreateControls();
    updateTabOrder();
    if (QWidget* first = firstInTabOrder(Controls()))
        first->setFocus(Qt::OtherFocusReason);
    LogRuntimeStep(QStringLiteral("Open"));
    EventOpen();
}

void Window::updateTabOrder()
{
    std::vector<QWidget*> chain;
    for (RectControl* c : tabOrder(Controls())) {
        if (c->widget() && c->acceptsFocus())
            chain.push_back(c->widget());
    }
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

RectControl* Window::AddControl(const QString& name, std::unique_ptr<RectControl> control)
{
    if (!control)
        throw NilObjectException(QStringLiteral("no control to add as %1").arg(name));
    control->name_ = name;
    if (control->widget_)
        control->widget_->setObjectName(name);
    controls_.push_back(std::move(control));
    return controls_.back().get();
}

RectControl* Window::ControlByName(const QString& name) const
{
    for (const auto& c : controls_) {
        if (c->Name() == name)
            return c.get();
    }
    return nullptr;
}

std::vector<RectControl*> Window::Controls() const
{
    std::vector<RectControl*> all;
    all.reserve(controls_.size());
    for (const auto& c : controls_)
        all.push_back(c.get());
    return all;
}

void Window::SetMenuBar(MenuBar* menuBar)
{
    menuBar_ = menuBar;
    auto* w = static_cast<detail::WindowWidget*>(qtWindow_);
    if (!w)
        return;
    const QSize content = w->contentSize();
    menuView_.reset();
    if (menuBar) {
        menuView_ = MenuView::build(w, *menuBar, w->menuBarShown());
    } else if (w->menuWidget()) {
        w->setMenuWidget(nullptr);
    }
    w->setContentSize(content);
}

void Window::UpdateNow()
{
    // Does the drawing that is pending, synchronously, and nothing else: no other event,
    // user input included, is delivered, and what is up to date is not drawn again.
    if (qtWindow_ && qtWindow_->isVisible())
        QCoreApplication::sendPostedEvents(qtWindow_, QEvent::UpdateRequest);
}

QString Window::Title() const { return qtWindow_ ? qtWindow_->windowTitle() : QString(); }
bool Window::Visible() const { return qtWindow_ && qtWindow_->isVisible(); }
int Window::Width() const { return content_ ? content_->width() : 0; }
int Window::Height() const { return content_ ? content_->height() : 0; }

const std::vector<PropertyDescriptor>& Window::propertyTable() const
{
    using T = PropertyType;
    using detail::WindowWidget;
    static const std::vector<PropertyDescriptor> table{
        kept("Placement", T::Integer),
        {"Width", T::Integer,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = widgetOf(t);
             w.setContentSize(QSize(asInt(v), w.contentSize().height()));
         }},
        {"Height", T::Integer,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = widgetOf(t);
             w.setContentSize(QSize(w.contentSize().width(), asInt(v)));
         }},
        {"MinWidth", T::Integer,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = widgetOf(t);
             w.setContentLimits(QSize(asInt(v), w.minContent().height()), w.maxContent());
         }},
        {"MinHeight", T::Integer,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = widgetOf(t);
             w.setContentLimits(QSize(w.minContent().width(), asInt(v)), w.maxContent());
         }},
        {"MaxWidth", T::Integer,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = widgetOf(t);
             w.setContentLimits(w.minContent(), QSize(asInt(v), w.maxContent().height()));
         }},
        {"MaxHeight", T::Integer,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = widgetOf(t);
             w.setContentLimits(w.minContent(), QSize(w.maxContent().width(), asInt(v)));
         }},
        kept("Frame", T::Integer),
        kept("Composite", T::Boolean),
        {"HasBackColor", T::Boolean,
         [](PropertyTarget& t, const PropertyValue& v) {
             widgetOf(t).centralWidget()->setAutoFillBackground(asBool(v));
         }},
        {"BackColor", T::Color,
         [](PropertyTarget& t, const PropertyValue& v) {
             QWidget* content = widgetOf(t).centralWidget();
             const Color c = std::get<Color>(v);
             QPalette p = content->palette();
             p.setColor(QPalette::Window, QColor(c.red, c.green, c.blue));
             content->setPalette(p);
         }},
        {"Title", T::String,
         [](PropertyTarget& t, const PropertyValue& v) { widgetOf(t).setWindowTitle(std::get<QString>(v)); }},
        {"Visible", T::Boolean,
         [](PropertyTarget& t, const PropertyValue& v) { widgetOf(t).setVisible(asBool(v)); }},
        {"FullScreen", T::Boolean,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = widgetOf(t);
             w.setWindowState(asBool(v) ? (w.windowState() | Qt::WindowFullScreen)
                                        : (w.windowState() & ~Qt::WindowFullScreen));
         }},
        {"MenuBarVisible", T::Boolean,
         [](PropertyTarget& t, const PropertyValue& v) { widgetOf(t).setMenuBarShown(asBool(v)); }},
        {"CloseButton", T::Boolean,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = widgetOf(t);
             w.setButtons(asBool(v), w.minimizeButton, w.maximizeButton);
         }},
        {"Resizeable", T::Boolean,
         [](PropertyTarget& t, const PropertyValue& v) { widgetOf(t).setResizeable(asBool(v)); }},
        // Qt lays the content out while the user drags; live resizing is all there is.
        kept("LiveResize", T::Boolean),
        {"MaximizeButton", T::Boolean,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = widgetOf(t);
             w.setButtons(w.closeButton, w.minimizeButton, asBool(v));
         }},
        {"MinimizeButton", T::Boolean,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = widgetOf(t);
             w.setButtons(w.closeButton, asBool(v), w.maximizeButton);
         }},
        kept("MacProcID", T::Integer),
    };
    return table;
}

RectControl* RuntimeWindowControlByName(const Window* window, const QString& name)
{
    return window ? window->ControlByName(name) : nullptr;
}

} // namespace platform
