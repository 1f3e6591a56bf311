#include "platform/folder_item.h"

#include "file_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QStandardPaths>
#include <utility>

namespace platform {

using detail::joinPath;

FolderItem::FolderItem(QString absolutePath) : path_(std::move(absolutePath))
{
    while (path_.size() > 1 && path_.endsWith(u'/'))
        path_.chop(1);
}

std::unique_ptr<FolderItem> FolderItem::Child(const QString& name) const
{
    if (name.isEmpty() || name.contains(u'/') || name.contains(QChar(u'\0')))
        return nullptr;
    return std::make_unique<FolderItem>(joinPath(path_, name));
}

std::unique_ptr<FolderItem> FolderItem::Parent() const
{
    const qsizetype slash = path_.lastIndexOf(u'/');
    if (slash < 0 || path_ == QStringLiteral("/"))
        return nullptr;
    return std::make_unique<FolderItem>(slash == 0 ? QStringLiteral("/") : path_.left(slash));
}

bool FolderItem::Exists() const { return QFileInfo::exists(path_); }

QString FolderItem::Name() const
{
    const qsizetype slash = path_.lastIndexOf(u'/');
    return slash < 0 ? path_ : path_.mid(slash + 1);
}

QString FolderItem::ShellPath() const
{
    QString quoted = path_;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

std::shared_ptr<Picture> FolderItem::OpenAsPicture() const
{
    QImage image;
    if (!image.load(path_))
        return nullptr;
    return std::make_shared<Picture>(image);
}

std::unique_ptr<FolderItem> SpecialFolderPreferences()
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (path.isEmpty() || !QDir::isAbsolutePath(path) || !QDir().mkpath(path))
        return nullptr;
    return std::make_unique<FolderItem>(path);
}

std::unique_ptr<FolderItem> GetApplicationBundleResources()
{
    const QString name = QCoreApplication::applicationName();
    const QString bin = QCoreApplication::applicationDirPath();
    if (name.isEmpty() || bin.isEmpty())
        return nullptr;
    const QString path = QDir::cleanPath(bin + QStringLiteral("/../share/") + name +
                                         QStringLiteral("/Resources"));
    if (!QFileInfo(path).isDir())
        return nullptr;
    return std::make_unique<FolderItem>(path);
}

} // namespace platform
