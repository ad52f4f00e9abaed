// Finishing a file written beside the old one (QSaveFile) only when all of it is there.
#pragma once

#include <QSaveFile>
#include <QString>

namespace platform
{

// QSaveFile::commit() renames the new file over the old one even when the medium took
// only part of the bytes still buffered (a disk that filled up during the write): the old
// file would be replaced by one cut short. This flushes first and commits only when the
// new file holds every byte written to it; otherwise the old file stays as it was.
inline bool commitWhole(QSaveFile &file)
{
    if (!file.flush() || file.size() != file.pos()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// What to tell the user when commitWhole() failed.
inline QString saveFailure(const QSaveFile &file)
{
    return file.error() == QFileDevice::NoError || file.error() == QFileDevice::WriteError
               ? QStringLiteral("not all of it could be written (the disk may be full)")
               : file.errorString();
}

} // namespace platform
