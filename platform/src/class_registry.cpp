#include "platform/class_registry.h"

#include "runtime_private.h"
#include "testing_private.h"

#include <map>
#include <memory>
#include <vector>

namespace platform {

namespace {

// Class records live until the process ends: the program keeps pointers to them in its
// own caches, so they are never freed.
struct ClassRegistry {
    std::vector<std::unique_ptr<ClassRecord>> inOrder;
    std::map<QString, ClassRecord*> byName;
};

ClassRegistry& registry()
{
    static ClassRegistry r;
    return r;
}

} // namespace

const ClassRecord* RegisterClass(const QString& fullName, const ClassRecord* base)
{
    ClassRegistry& r = registry();
    if (auto it = r.byName.find(fullName); it != r.byName.end())
        return it->second;
    auto record = std::make_unique<ClassRecord>(ClassRecord{fullName, base});
    ClassRecord* raw = record.get();
    r.inOrder.push_back(std::move(record));
    r.byName.emplace(fullName, raw);
    return raw;
}

const ClassRecord* FindClass(const QString& fullName)
{
    const ClassRegistry& r = registry();
    auto it = r.byName.find(fullName);
    return it == r.byName.end() ? nullptr : it->second;
}

const std::vector<std::unique_ptr<ClassRecord>>& detail::ClassRecordsInOrder() { return registry().inOrder; }

const ClassRecord* ApplicationClass() { return RegisterClass(QStringLiteral("Application"), nullptr); }
const ClassRecord* WindowClass() { return RegisterClass(QStringLiteral("Window"), nullptr); }

const ClassRecord* MenuBarClass()
{
    const ClassRecord* menuItem = RegisterClass(QStringLiteral("MenuItem"), nullptr);
    return RegisterClass(QStringLiteral("MenuBar"), menuItem);
}

void InitializeFrameworkClasses()
{
    ApplicationClass();
    WindowClass();
    MenuBarClass();
    RegisterClass(QStringLiteral("QuitMenuItem"), FindClass(QStringLiteral("MenuItem")));
    detail::ClearOpenWindowList();
}

} // namespace platform
