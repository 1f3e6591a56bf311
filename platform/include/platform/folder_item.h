#pragma once
// Folder and file items, and the folders the program asks for by role.
#include "platform/picture.h"

#include <QString>
#include <memory>

namespace platform {

// A place in the file system, whether or not anything exists there.
class FolderItem {
public:
    explicit FolderItem(QString absolutePath);

    // The item for name directly inside this folder; nullptr when no item can be made
    // (an empty name, or one holding "/" or a NUL character).
    std::unique_ptr<FolderItem> Child(const QString& name) const;
    // The folder holding this item; nullptr for the root.
    std::unique_ptr<FolderItem> Parent() const;
    bool Exists() const;
    QString Name() const;
    QString NativePath() const { return path_; }
    // The path as it stands in a shell command line: single-quoted, each ' as '\''.
    QString ShellPath() const;
    // The picture read from the file; nullptr when none can be read.
    std::shared_ptr<Picture> OpenAsPicture() const;
    // The error number of the last failed operation on this item, 0 when none failed.
    int LastErrorCode() const { return lastErrorCode_; }
    void setLastErrorCode(int code) const { lastErrorCode_ = code; }

private:
    QString path_;
    mutable int lastErrorCode_ = 0;
};

// The current user's preferences folder: the XDG configuration folder ($XDG_CONFIG_HOME,
// else ~/.config), created when missing; nullptr when it cannot be had.
std::unique_ptr<FolderItem> SpecialFolderPreferences();

// The application's resources folder: <folder of the executable>/../share/<application
// name>/Resources, the same rule in the build tree and in an installed tree; nullptr
// when there is no such folder.
std::unique_ptr<FolderItem> GetApplicationBundleResources();

} // namespace platform
