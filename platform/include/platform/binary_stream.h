#pragma once
#include "platform/folder_item.h"

#include <QString>
#include <memory>

namespace platform {

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
