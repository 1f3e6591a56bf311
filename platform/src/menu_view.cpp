#include "menu_view.h"

#include "platform/menus.h"
#include "platform/runtime.h"

#include <QApplication>
#include <QClipboard>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <map>
#include <optional>

namespace platform {

namespace {

using detail::EditRole;

// The framework's standard Edit items, known by their names.
std::optional<EditRole> editRoleOf(const QString& name)
{
    static const std::map<QString, EditRole> roles{
        {QStringLiteral("EditUndo"), EditRole::Undo},   {QStringLiteral("EditCut"), EditRole::Cut},
        {QStringLiteral("EditCopy"), EditRole::Copy},   {QStringLiteral("EditPaste"), EditRole::Paste},
        {QStringLiteral("EditClear"), EditRole::Clear}, {QStringLiteral("EditSelectAll"), EditRole::SelectAll},
    };
    auto it = roles.find(name);
    if (it == roles.end())
        return std::nullopt;
    return it->second;
}

// "Cmd+" and a letter: the command key, which is Ctrl here.
QKeySequence shortcutOf(const MenuItem& item)
{
    const std::optional<QString>& text = item.KeyboardShortcut();
    if (!text || text->isEmpty())
        return {};
    QStringList parts = text->split(QLatin1Char('+'));
    for (QString& part : parts) {
        if (part.compare(QLatin1String("Cmd"), Qt::CaseInsensitive) == 0)
            part = QStringLiteral("Ctrl");
    }
    return QKeySequence::fromString(parts.join(QLatin1Char('+')), QKeySequence::PortableText);
}

bool applies(EditRole role, const QLineEdit* field)
{
    if (!field)
        return false;
    const bool shown = field->echoMode() == QLineEdit::Normal;
    const bool editable = !field->isReadOnly();
    const bool selection = field->hasSelectedText();
    switch (role) {
    case EditRole::Undo:
        return editable && field->isUndoAvailable();
    case EditRole::Cut:
        return editable && shown && selection;
    case EditRole::Copy:
        return shown && selection;
    case EditRole::Paste:
        return editable && !QApplication::clipboard()->text().isEmpty();
    case EditRole::Clear:
        return editable && selection;
    case EditRole::SelectAll:
        return !field->text().isEmpty();
    }
    return false;
}

} // namespace

std::unique_ptr<Window::MenuView> Window::MenuView::build(QMainWindow* window, const MenuBar& menuBar, bool shown)
{
    std::unique_ptr<MenuView> view(new MenuView);
    view->window_ = window;
    auto* bar = new QMenuBar;
    // Linux desktops have no application-wide menu bar to hand this to: keep it in the
    // window, where the window's size accounts for it.
    bar->setNativeMenuBar(false);
    view->bar_ = bar;
    window->setMenuBar(bar);
    bar->setVisible(shown);
    view->addItems(bar, menuBar);

    MenuView* raw = view.get();
    view->connections_.push_back(QObject::connect(qApp, &QApplication::focusChanged, bar, [raw] {
        raw->watchField();
        raw->updateEnabled();
    }));
    view->connections_.push_back(QObject::connect(QApplication::clipboard(), &QClipboard::dataChanged, bar,
                                                  [raw] { raw->updateEnabled(); }));
    view->watchField();
    view->updateEnabled();
    return view;
}

Window::MenuView::~MenuView()
{
    for (const auto& c : connections_)
        QObject::disconnect(c);
    for (const auto& c : fieldConnections_)
        QObject::disconnect(c);
}

void Window::MenuView::addItems(QWidget* menu, const MenuItem& parent)
{
    for (int i = 0; i < parent.Count(); ++i) {
        const MenuItem& item = *parent.Item(i);
        if (item.Text() == QLatin1String("-")) {
            if (auto* m = qobject_cast<QMenu*>(menu))
                m->addSeparator();
            continue;
        }
        // "&" marks go to Qt as they are: they are its mnemonics too.
        if (item.Count() > 0 || menu == bar_) {
            auto* sub = new QMenu(item.Text(), menu);
            sub->setObjectName(item.Name());
            if (auto* m = qobject_cast<QMenu*>(menu))
                m->addMenu(sub);
            else
                bar_->addMenu(sub);
            addItems(sub, item);
            // A menu about to open shows what applies now.
            MenuView* self = this;
            connections_.push_back(QObject::connect(sub, &QMenu::aboutToShow, sub, [self] { self->updateEnabled(); }));
            continue;
        }
        auto* action = new QAction(item.Text(), menu);
        action->setObjectName(item.Name());
        action->setShortcut(shortcutOf(item));
        menu->addAction(action);
        if (item.IsQuitItem()) {
            // Marks the way out that stays open while a command line runs.
            action->setMenuRole(QAction::QuitRole);
            QObject::connect(action, &QAction::triggered, action, [] { Quit(); });
        } else if (auto role = editRoleOf(item.Name())) {
            editItems_.push_back({action, *role, item.AutoEnable()});
            MenuView* self = this;
            const EditRole r = *role;
            connections_.push_back(
                QObject::connect(action, &QAction::triggered, action, [self, r] { self->perform(r); }));
        }
    }
}

QLineEdit* Window::MenuView::field() const
{
    // The window's focus widget stays set while one of its menus is open.
    return window_ ? qobject_cast<QLineEdit*>(window_->focusWidget()) : nullptr;
}

void Window::MenuView::perform(EditRole role)
{
    QLineEdit* f = field();
    if (!applies(role, f))
        return;
    switch (role) {
    case EditRole::Undo:
        f->undo();
        break;
    case EditRole::Cut:
        f->cut();
        break;
    case EditRole::Copy:
        f->copy();
        break;
    case EditRole::Paste:
        f->paste();
        break;
    case EditRole::Clear:
        f->del();
        break;
    case EditRole::SelectAll:
        f->selectAll();
        break;
    }
    updateEnabled();
}

void Window::MenuView::updateEnabled()
{
    QLineEdit* f = field();
    for (const EditItem& item : editItems_) {
        if (item.action)
            item.action->setEnabled(!item.autoEnable || applies(item.role, f));
    }
}

// Follows the focused field's text and selection, so that a shortcut finds its item
// enabled exactly when it applies.
void Window::MenuView::watchField()
{
    QLineEdit* f = field();
    if (f == watched_.data())
        return;
    for (const auto& c : fieldConnections_)
        QObject::disconnect(c);
    fieldConnections_.clear();
    watched_ = f;
    if (!f)
        return;
    MenuView* self = this;
    auto update = [self] { self->updateEnabled(); };
    fieldConnections_.push_back(QObject::connect(f, &QLineEdit::textChanged, f, update));
    fieldConnections_.push_back(QObject::connect(f, &QLineEdit::selectionChanged, f, update));
}

} // namespace platform
