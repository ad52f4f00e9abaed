// Whole-file copies for backup and restore, without windows: the copy written beside its
// destination and renamed over it only when complete, the identical-file test, the free
// space of a directory, and path joining.
#pragma once

#include <QString>
#include <functional>

namespace filecopy
{

// The directory and a file name joined by one "/" (a directory that ends in "/", the
// root, gets none added).
QString joinPath(const QString &directory, const QString &name);

// The file `name` in `directory`: the exact name when it exists, else one whose name
// differs only in letter case (copies from media that changed it), else the exact name.
QString findFile(const QString &directory, const QString &name);

// Whether copying `a` onto `b` would copy a file over itself: the paths are equal without
// regard to letter case, or both exist and are one file (same device and inode) reached by
// two paths.
bool sameFile(const QString &a, const QString &b);

// Bytes an ordinary user may still write on the file system that holds `directory`; -1
// when it cannot be told.
qint64 freeSpace(const QString &directory);

// Copies `source` to `destination`. The bytes go to a new file beside the destination,
// which is flushed to the disk and renamed over the destination only when every byte read
// was written; any failure (source unreadable, destination directory not writable, a full
// medium, a file size limit) removes that file and leaves the destination as it was.
// An existing destination's permissions are kept. False with the reason in `why` on
// failure. `progress` is told the bytes copied so far and the source's size.
bool copyFile(const QString &source, const QString &destination, QString *why = nullptr,
              const std::function<void(qint64 done, qint64 total)> &progress = {});

// Whether another open handle (another program, or another user of a shared directory)
// has the dBase table at `path` open: every open holds a lock on its open byte. False
// when the file cannot be opened.
bool openElsewhere(const QString &path);

} // namespace filecopy
