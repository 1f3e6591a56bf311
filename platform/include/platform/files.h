#pragma once
// Folder and file items, pictures read from files, and binary streams.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <memory>

namespace platform {

class Picture {
public:
    explicit Picture(QImage image) : image_(std::move(image)) {}
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    const QImage& image() const { return image_; }

private:
    QImage image_;
};

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
    bool Directory() const;
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

// A binary stream on one file.
class BinaryStream {
public:
    ~BinaryStream();
    BinaryStream(const BinaryStream&) = delete;
    BinaryStream& operator=(const BinaryStream&) = delete;

    // Opens the file for reading, at its first byte. Raises IOException carrying the error
    // number (also kept as the item's LastErrorCode) when it cannot be opened.
    static std::unique_ptr<BinaryStream> Open(const FolderItem& item);
    // A new, empty file in place of item, owner-only (mode 0600) from creation on. What is
    // written goes to a temporary file beside it, which Close() puts in place of the old
    // file; a stream destroyed without Close() leaves the old file as it was. Raises
    // IOException when the file cannot be made.
    static std::unique_ptr<BinaryStream> Create(const FolderItem& item);

    // One length byte, then that many bytes, returned as text. A file that ends early
    // gives what was there. Raises IOException on a read error.
    QString ReadPString();
    // One length byte, then the text's UTF-8 bytes. Raises IOException on a write error,
    // and when the text has more than 255 bytes (nothing is written then).
    void WritePString(const QString& text);
    // Finishes the stream: for a created file, flushes it to disk and puts it in place.
    // Raises IOException when that fails (the old file then stays as it was).
    void Close();
    int LastErrorCode() const { return lastErrorCode_; }

private:
    BinaryStream() = default;
    struct Impl;
    std::unique_ptr<Impl> impl_;
    int lastErrorCode_ = 0;
};

} // namespace platform
