// The property tables of the controls: what each entry of a control's record does.
#include "platform/controls.h"
#include "platform/window.h"

#include "property_values.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <limits>
#include <set>

namespace platform {

namespace {

using namespace detail;

// Records are applied to constructed controls only; a control without its widget is a
// missing object.
QWidget& widgetOf(PropertyTarget& target) { return static_cast<RectControl&>(target).constructedWidget("control"); }

template <class W>
W& widgetAs(PropertyTarget& target)
{
    return static_cast<W&>(widgetOf(target));
}

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

} // namespace

// --- RectControl -----------------------------------------------------------------------

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
        dropped("Index", T::Integer),
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
        dropped("LockLeft", T::Boolean),
        dropped("LockTop", T::Boolean),
        dropped("LockRight", T::Boolean),
        dropped("LockBottom", T::Boolean),
        dropped("TabPanelIndex", T::Integer),

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
        dropped("AutoDeactivate", T::Boolean),
        dropped("UseFocusRing", T::Boolean),
        dropped("AcceptTabs", T::Boolean),
        dropped("DataSource", T::String),
        dropped("DataField", T::String),
        dropped("InitialParent", T::String),
    };
}

const std::vector<PropertyDescriptor>& RectControl::propertyTable() const
{
    static const std::vector<PropertyDescriptor> table = makeTable(baseProperties(), {}, {});
    return table;
}

// --- Canvas ----------------------------------------------------------------------------

const std::vector<PropertyDescriptor>& Canvas::propertyTable() const
{
    using T = PropertyType;
    static const std::vector<PropertyDescriptor> table = makeTable(
        baseProperties(),
        {"TabIndex", "TabStop", "Visible", "HelpTag", "AutoDeactivate", "Enabled", "UseFocusRing", "AcceptTabs",
         "InitialParent"},
        {dropped("AcceptFocus", T::Boolean), dropped("DoubleBuffer", T::Boolean),
         dropped("EraseBackground", T::Boolean)});
    return table;
}

// --- TextField -------------------------------------------------------------------------

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
            dropped("Format", T::String),
            {"CueText", T::String,
             [edit](PropertyTarget& t, const PropertyValue& v) { edit(t).setPlaceholderText(asString(v)); }},
            {"Text", T::String, [edit](PropertyTarget& t, const PropertyValue& v) { edit(t).setText(asString(v)); }},
            // The framework's mask syntax is not Qt's input mask: not applied.
            dropped("Mask", T::String),
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
                 const QString rows = asString(v);
                 static_cast<PopupMenu&>(t).setRows(rows.isEmpty() ? QStringList() : rows.split(QChar(0x0D)));
             }},
            {"ListIndex", T::Integer,
             [](PropertyTarget& t, const PropertyValue& v) { widgetAs<QComboBox>(t).setCurrentIndex(asInt(v)); }},
        });
    return table;
}

// --- StaticText ------------------------------------------------------------------------

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
            dropped("Cancel", T::Boolean),
        });
    return table;
}

// --- ProgressBar -----------------------------------------------------------------------

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
