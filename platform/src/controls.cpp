#include "platform/exceptions.h"
#include "platform/window.h"
#include "ui_private.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <limits>
#include <set>

namespace platform {

namespace detail {

QVariant ToVariant(const PropertyValue& value)
{
    return std::visit(
        [](const auto& v) -> QVariant {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, Color>)
                return QColor(v.red, v.green, v.blue);
            else
                return QVariant::fromValue(v);
        },
        value);
}

} // namespace detail

namespace {

using detail::KeptProperty;

std::int32_t asInt(const PropertyValue& v) { return std::get<std::int32_t>(v); }
bool asBool(const PropertyValue& v) { return std::get<bool>(v); }
QString asString(const PropertyValue& v) { return std::get<QString>(v); }
QColor asColor(const PropertyValue& v)
{
    const Color c = std::get<Color>(v);
    return QColor(c.red, c.green, c.blue);
}

// Records are applied to constructed controls only; a control without its widget is a
// missing object.
QWidget& widgetOf(PropertyTarget& target)
{
    QWidget* w = static_cast<RectControl&>(target).widget();
    if (!w)
        throw NilObjectException(QStringLiteral("the control has not been constructed"));
    return *w;
}

template <class W>
W& widgetAs(PropertyTarget& target)
{
    return static_cast<W&>(widgetOf(target));
}

QObject* keptOnWidget(PropertyTarget& target) { return &widgetOf(target); }

PropertyDescriptor kept(const char* name, PropertyType type) { return KeptProperty(name, type, keptOnWidget); }

void changeFont(QWidget& w, const std::function<void(QFont&)>& change)
{
    QFont f = w.font();
    change(f);
    w.setFont(f);
}

void setColorRole(QWidget& w, QPalette::ColorRole role, const QColor& color)
{
    QPalette p = w.palette();
    p.setColor(role, color);
    w.setPalette(p);
}

// 0 is the platform's natural alignment; 1 left, 2 centre, 3 right.
Qt::Alignment horizontalAlignment(int code)
{
    switch (code) {
    case 2:
        return Qt::AlignHCenter;
    case 3:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

const std::set<std::string>& headNames()
{
    static const std::set<std::string> names{"Name",     "Index",    "Left",      "Top",
                                             "Width",    "Height",   "LockLeft",  "LockTop",
                                             "LockRight", "LockBottom", "TabPanelIndex"};
    return names;
}

// A class's table: the head every control declares, the shared entries the class
// declares (by name) and the class's own.
std::vector<PropertyDescriptor> makeTable(const std::vector<PropertyDescriptor>& base,
                                          std::initializer_list<const char*> shared,
                                          std::vector<PropertyDescriptor> own)
{
    std::vector<PropertyDescriptor> table;
    for (const auto& d : base) {
        const bool wanted = headNames().count(d.name) > 0 ||
                            std::any_of(shared.begin(), shared.end(), [&](const char* n) { return d.name == n; });
        if (wanted)
            table.push_back(d);
    }
    for (auto& d : own)
        table.push_back(std::move(d));
    return table;
}

class CanvasWidget : public QWidget {
public:
    using QWidget::QWidget;
    std::shared_ptr<Picture> backdrop;

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!backdrop)
            return;
        QPainter painter(this);
        painter.drawImage(0, 0, backdrop->image());
    }
};

} // namespace

// --- RectControl -----------------------------------------------------------------------

RectControl::RectControl(Window* window) : window_(window) {}

RectControl::~RectControl() { delete widget_; }

void RectControl::Constructor()
{
    if (!window_ || !window_->content())
        throw NilObjectException(QStringLiteral("a control needs a constructed window"));
    if (widget_)
        return;
    widget_ = createWidget(window_->content());
    // The window may destroy the widget first (it owns its content); forget it then.
    QObject::connect(widget_, &QObject::destroyed, [this] { widget_ = nullptr; });
    if (!acceptsFocus())
        widget_->setFocusPolicy(Qt::NoFocus);
    if (!name_.isEmpty())
        widget_->setObjectName(name_);
    // A child added to a window already on screen stays hidden unless shown.
    widget_->setVisible(visible_);
}

int RectControl::Left() const { return widget_ ? widget_->x() : 0; }
int RectControl::Top() const { return widget_ ? widget_->y() : 0; }
int RectControl::Width() const { return widget_ ? widget_->width() : 0; }
int RectControl::Height() const { return widget_ ? widget_->height() : 0; }
bool RectControl::Enabled() const { return widget_ ? widget_->isEnabled() : true; }

void RectControl::Refresh(bool)
{
    if (widget_)
        widget_->repaint();
}

std::vector<PropertyDescriptor> RectControl::baseProperties()
{
    using T = PropertyType;
    auto self = [](PropertyTarget& t) -> RectControl& { return static_cast<RectControl&>(t); };
    return {
        // The head: every control declares these.
        {"Name", T::String,
         [self](PropertyTarget& t, const PropertyValue& v) {
             RectControl& c = self(t);
             c.name_ = asString(v);
             widgetOf(t).setObjectName(c.name_);
         }},
        kept("Index", T::Integer),
        {"Left", T::Integer, [](PropertyTarget& t, const PropertyValue& v) {
             QWidget& w = widgetOf(t);
             w.move(asInt(v), w.y());
         }},
        {"Top", T::Integer, [](PropertyTarget& t, const PropertyValue& v) {
             QWidget& w = widgetOf(t);
             w.move(w.x(), asInt(v));
         }},
        {"Width", T::Integer, [](PropertyTarget& t, const PropertyValue& v) {
             QWidget& w = widgetOf(t);
             w.resize(std::max(0, asInt(v)), w.height());
         }},
        {"Height", T::Integer, [](PropertyTarget& t, const PropertyValue& v) {
             QWidget& w = widgetOf(t);
             w.resize(w.width(), std::max(0, asInt(v)));
         }},
        // Controls sit at absolute positions inside the content, so a control locked to
        // the left and top keeps its place and size whatever the window does.
        kept("LockLeft", T::Boolean),
        kept("LockTop", T::Boolean),
        kept("LockRight", T::Boolean),
        kept("LockBottom", T::Boolean),
        kept("TabPanelIndex", T::Integer),

        // Shared entries, each declared by some of the classes.
        {"TabIndex", T::Integer, [self](PropertyTarget& t, const PropertyValue& v) {
             RectControl& c = self(t);
             c.tabIndex_ = asInt(v);
             if (c.window_)
                 c.window_->updateTabOrder();
         }},
        {"TabStop", T::Boolean, [self](PropertyTarget& t, const PropertyValue& v) {
             RectControl& c = self(t);
             QWidget& w = widgetOf(t);
             if (!c.acceptsFocus())
                 return;
             if (!asBool(v))
                 w.setFocusPolicy(Qt::ClickFocus);
             else if (!(w.focusPolicy() & Qt::TabFocus))
                 w.setFocusPolicy(Qt::StrongFocus);
         }},
        {"Visible", T::Boolean, [self](PropertyTarget& t, const PropertyValue& v) {
             RectControl& c = self(t);
             c.visible_ = asBool(v);
             widgetOf(t).setVisible(c.visible_);
         }},
        {"Enabled", T::Boolean,
         [](PropertyTarget& t, const PropertyValue& v) { widgetOf(t).setEnabled(asBool(v)); }},
        {"HelpTag", T::String,
         [](PropertyTarget& t, const PropertyValue& v) { widgetOf(t).setToolTip(asString(v)); }},
        {"TextFont", T::String, [](PropertyTarget& t, const PropertyValue& v) {
             const QString name = asString(v);
             changeFont(widgetOf(t), [&](QFont& f) {
                 if (name.isEmpty() || name == QLatin1String("System")) {
                     // The application's default font, keeping the style already set.
                     QFont system = QApplication::font();
                     system.setBold(f.bold());
                     system.setItalic(f.italic());
                     system.setUnderline(f.underline());
                     f = system;
                 } else {
                     f.setFamily(name);
                 }
             });
         }},
        {"Bold", T::Boolean, [](PropertyTarget& t, const PropertyValue& v) {
             changeFont(widgetOf(t), [&](QFont& f) { f.setBold(asBool(v)); });
         }},
        {"Italic", T::Boolean, [](PropertyTarget& t, const PropertyValue& v) {
             changeFont(widgetOf(t), [&](QFont& f) { f.setItalic(asBool(v)); });
         }},
        {"Underline", T::Boolean, [](PropertyTarget& t, const PropertyValue& v) {
             changeFont(widgetOf(t), [&](QFont& f) { f.setUnderline(asBool(v)); });
         }},
        kept("AutoDeactivate", T::Boolean),
        kept("UseFocusRing", T::Boolean),
        kept("AcceptTabs", T::Boolean),
        kept("DataSource", T::String),
        kept("DataField", T::String),
        kept("InitialParent", T::String),
    };
}

const std::vector<PropertyDescriptor>& RectControl::propertyTable() const
{
    static const std::vector<PropertyDescriptor> table = makeTable(baseProperties(), {}, {});
    return table;
}

// --- Canvas ----------------------------------------------------------------------------

QWidget* Canvas::createWidget(QWidget* parent)
{
    auto* w = new CanvasWidget(parent);
    w->backdrop = backdrop_;
    return w;
}

void Canvas::SetBackdrop(std::shared_ptr<Picture> picture)
{
    backdrop_ = std::move(picture);
    if (auto* w = static_cast<CanvasWidget*>(widget())) {
        w->backdrop = backdrop_;
        w->update();
    }
}

const std::vector<PropertyDescriptor>& Canvas::propertyTable() const
{
    using T = PropertyType;
    static const std::vector<PropertyDescriptor> table = makeTable(
        baseProperties(),
        {"TabIndex", "TabStop", "Visible", "HelpTag", "AutoDeactivate", "Enabled", "UseFocusRing", "AcceptTabs",
         "InitialParent"},
        {kept("AcceptFocus", T::Boolean), kept("DoubleBuffer", T::Boolean), kept("EraseBackground", T::Boolean)});
    return table;
}

// --- TextField -------------------------------------------------------------------------

QWidget* TextField::createWidget(QWidget* parent) { return new QLineEdit(parent); }

QString TextField::Text() const
{
    auto* w = static_cast<QLineEdit*>(widget());
    return w ? w->text() : QString();
}

void TextField::SetText(const QString& text)
{
    auto* w = static_cast<QLineEdit*>(widget());
    if (!w)
        throw NilObjectException(QStringLiteral("the text field has not been constructed"));
    w->setText(text);
}

const std::vector<PropertyDescriptor>& TextField::propertyTable() const
{
    using T = PropertyType;
    auto edit = [](PropertyTarget& t) -> QLineEdit& { return widgetAs<QLineEdit>(t); };
    static const std::vector<PropertyDescriptor> table = makeTable(
        baseProperties(),
        {"TabIndex", "TabStop", "UseFocusRing", "Enabled", "Visible", "HelpTag", "AutoDeactivate", "TextFont",
         "Bold", "Italic", "Underline", "AcceptTabs", "DataSource", "DataField"},
        {
            {"Border", T::Boolean, [edit](PropertyTarget& t, const PropertyValue& v) { edit(t).setFrame(asBool(v)); }},
            {"Password", T::Boolean,
             [edit](PropertyTarget& t, const PropertyValue& v) {
                 edit(t).setEchoMode(asBool(v) ? QLineEdit::Password : QLineEdit::Normal);
             }},
            {"TextColor", T::Color,
             [edit](PropertyTarget& t, const PropertyValue& v) { setColorRole(edit(t), QPalette::Text, asColor(v)); }},
            {"BackColor", T::Color,
             [edit](PropertyTarget& t, const PropertyValue& v) { setColorRole(edit(t), QPalette::Base, asColor(v)); }},
            kept("Format", T::String),
            {"CueText", T::String,
             [edit](PropertyTarget& t, const PropertyValue& v) { edit(t).setPlaceholderText(asString(v)); }},
            {"Text", T::String, [edit](PropertyTarget& t, const PropertyValue& v) { edit(t).setText(asString(v)); }},
            // The framework's mask syntax is not Qt's input mask: kept, not applied.
            kept("Mask", T::String),
            {"ReadOnly", T::Boolean,
             [edit](PropertyTarget& t, const PropertyValue& v) { edit(t).setReadOnly(asBool(v)); }},
            // 0 means no limit; Qt's line edit would otherwise stop at 32767 characters.
            {"LimitText", T::Integer,
             [edit](PropertyTarget& t, const PropertyValue& v) {
                 const int limit = asInt(v);
                 edit(t).setMaxLength(limit > 0 ? limit : std::numeric_limits<int>::max());
             }},
            {"Alignment", T::Integer,
             [edit](PropertyTarget& t, const PropertyValue& v) {
                 edit(t).setAlignment(horizontalAlignment(asInt(v)) | Qt::AlignVCenter);
             }},
        });
    return table;
}

// --- PopupMenu -------------------------------------------------------------------------

QWidget* PopupMenu::createWidget(QWidget* parent) { return new QComboBox(parent); }

namespace {
QComboBox* comboOf(const RectControl& c) { return static_cast<QComboBox*>(c.widget()); }

QComboBox& requireCombo(const RectControl& c)
{
    QComboBox* w = comboOf(c);
    if (!w)
        throw NilObjectException(QStringLiteral("the popup menu has not been constructed"));
    return *w;
}

// Qt selects the first row added to an empty combo box; a popup's selection changes only
// when it is set.
void addRowsKeepingSelection(QComboBox& combo, const QStringList& rows)
{
    const int before = combo.currentIndex();
    combo.addItems(rows);
    if (combo.currentIndex() != before)
        combo.setCurrentIndex(before);
}
} // namespace

int PopupMenu::ListIndex() const
{
    QComboBox* w = comboOf(*this);
    return w ? w->currentIndex() : -1;
}

void PopupMenu::SetListIndex(int index) { requireCombo(*this).setCurrentIndex(index); }

QString PopupMenu::Text() const
{
    QComboBox* w = comboOf(*this);
    if (!w || w->currentIndex() < 0)
        return QString();
    return w->itemText(w->currentIndex());
}

void PopupMenu::AddRow(const QString& text) { addRowsKeepingSelection(requireCombo(*this), {text}); }

int PopupMenu::ListCount() const
{
    QComboBox* w = comboOf(*this);
    return w ? w->count() : 0;
}

QString PopupMenu::List(int row) const
{
    QComboBox* w = comboOf(*this);
    return w ? w->itemText(row) : QString();
}

const std::vector<PropertyDescriptor>& PopupMenu::propertyTable() const
{
    using T = PropertyType;
    static const std::vector<PropertyDescriptor> table = makeTable(
        baseProperties(),
        {"TabIndex", "TabStop", "Enabled", "Visible", "HelpTag", "AutoDeactivate", "TextFont", "Bold", "Italic",
         "Underline", "DataSource", "DataField", "InitialParent"},
        {
            // Rows joined by carriage returns, nothing after the last.
            {"InitialValue", T::String,
             [](PropertyTarget& t, const PropertyValue& v) {
                 QComboBox& combo = widgetAs<QComboBox>(t);
                 combo.clear();
                 const QString rows = asString(v);
                 if (!rows.isEmpty())
                     addRowsKeepingSelection(combo, rows.split(QChar(0x0D)));
             }},
            {"ListIndex", T::Integer,
             [](PropertyTarget& t, const PropertyValue& v) { widgetAs<QComboBox>(t).setCurrentIndex(asInt(v)); }},
        });
    return table;
}

// --- StaticText ------------------------------------------------------------------------

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

void StaticText::SetText(const QString& text)
{
    auto* w = static_cast<QLabel*>(widget());
    if (!w)
        throw NilObjectException(QStringLiteral("the label has not been constructed"));
    w->setText(text);
}

void StaticText::SetBuddy(RectControl& control)
{
    auto* w = static_cast<QLabel*>(widget());
    if (!w || !control.widget())
        throw NilObjectException(QStringLiteral("the label or its control has not been constructed"));
    // Qt makes a mnemonic of a buddy only from an "&" in the text; without one the label
    // looks and acts as before.
    w->setBuddy(control.widget());
}

const std::vector<PropertyDescriptor>& StaticText::propertyTable() const
{
    using T = PropertyType;
    static const std::vector<PropertyDescriptor> table = makeTable(
        baseProperties(),
        {"TabIndex", "Enabled", "Visible", "HelpTag", "AutoDeactivate", "TextFont", "Bold", "Italic", "Underline",
         "DataSource", "DataField", "InitialParent"},
        {
            {"Text", T::String,
             [](PropertyTarget& t, const PropertyValue& v) { widgetAs<QLabel>(t).setText(asString(v)); }},
            {"TextAlign", T::Integer,
             [](PropertyTarget& t, const PropertyValue& v) {
                 widgetAs<QLabel>(t).setAlignment(horizontalAlignment(asInt(v)) | Qt::AlignVCenter);
             }},
            {"TextColor", T::Color,
             [](PropertyTarget& t, const PropertyValue& v) {
                 setColorRole(widgetOf(t), QPalette::WindowText, asColor(v));
             }},
            {"Multiline", T::Boolean,
             [](PropertyTarget& t, const PropertyValue& v) { widgetAs<QLabel>(t).setWordWrap(asBool(v)); }},
        });
    return table;
}

// --- PushButton ------------------------------------------------------------------------

QWidget* PushButton::createWidget(QWidget* parent)
{
    auto* button = new QPushButton(parent);
    // A button becomes the window's default only when its record says so.
    button->setAutoDefault(false);
    button->setDefault(false);
    QObject::connect(button, &QPushButton::clicked, button, [this] { Push(); });
    return button;
}

QString PushButton::Caption() const { return caption_; }

void PushButton::SetCaption(const QString& caption)
{
    auto* w = static_cast<QPushButton*>(widget());
    if (!w)
        throw NilObjectException(QStringLiteral("the button has not been constructed"));
    caption_ = caption;
    w->setText(caption);
}

void PushButton::InstallEventHandler(const QString& event, ActionHandler handler)
{
    if (event != QLatin1String("Action"))
        throw RuntimeException(QStringLiteral("a push button has no event named %1").arg(event));
    action_ = std::move(handler);
}

void PushButton::Push()
{
    if (!action_)
        return;
    // Copied: the handler may install another one while it runs.
    ActionHandler handler = action_;
    detail::DispatchEvent([&] { handler(*this); });
}

const std::vector<PropertyDescriptor>& PushButton::propertyTable() const
{
    using T = PropertyType;
    static const std::vector<PropertyDescriptor> table = makeTable(
        baseProperties(),
        {"TabIndex", "TabStop", "Enabled", "Visible", "HelpTag", "AutoDeactivate", "TextFont", "Bold", "Italic",
         "Underline", "InitialParent"},
        {
            {"Caption", T::String,
             [](PropertyTarget& t, const PropertyValue& v) { static_cast<PushButton&>(t).SetCaption(asString(v)); }},
            {"Default", T::Boolean,
             [](PropertyTarget& t, const PropertyValue& v) { widgetAs<QPushButton>(t).setDefault(asBool(v)); }},
            kept("Cancel", T::Boolean),
        });
    return table;
}

// --- ProgressBar -----------------------------------------------------------------------

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

int ProgressBar::ShownValue() const
{
    auto* bar = static_cast<QProgressBar*>(widget());
    return bar ? bar->value() : std::clamp(value_, 0, std::max(0, maximum_));
}

const std::vector<PropertyDescriptor>& ProgressBar::propertyTable() const
{
    using T = PropertyType;
    static const std::vector<PropertyDescriptor> table = makeTable(
        baseProperties(), {"Visible", "HelpTag", "AutoDeactivate", "Enabled", "InitialParent"},
        {
            {"Value", T::Integer,
             [](PropertyTarget& t, const PropertyValue& v) { static_cast<ProgressBar&>(t).SetValue(asInt(v)); }},
            {"Maximum", T::Integer,
             [](PropertyTarget& t, const PropertyValue& v) { static_cast<ProgressBar&>(t).SetMaximum(asInt(v)); }},
        });
    return table;
}

} // namespace platform
