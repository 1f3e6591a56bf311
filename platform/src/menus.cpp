#include "platform/menus.h"

#include "platform/exceptions.h"

namespace platform {

void MenuItem::Append(std::unique_ptr<MenuItem> item)
{
    if (!item)
        throw NilObjectException(QStringLiteral("MenuItem.Append was given no item"));
    children_.push_back(std::move(item));
}

MenuItem* MenuItem::Child(const QString& name) const
{
    for (const auto& child : children_) {
        if (child->Name() == name)
            return child.get();
    }
    return nullptr;
}

MenuItem* MenuItem::Lookup(const QString& name)
{
    if (name_ == name)
        return this;
    for (const auto& child : children_) {
        if (MenuItem* found = child->Lookup(name))
            return found;
    }
    return nullptr;
}

MenuItem* MenuItem::Item(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return children_[static_cast<std::size_t>(index)].get();
}

} // namespace platform
