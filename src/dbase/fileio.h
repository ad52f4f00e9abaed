// Small file helpers shared by the table and index code: little-endian fields, whole
// reads and writes with errors that name the file, and the write-new-then-rename step.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

namespace dbase
{

inline uint16_t getLe16(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return static_cast<uint16_t>(u[0] | (u[1] << 8));
}
inline uint32_t getLe32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return static_cast<uint32_t>(u[0]) | (static_cast<uint32_t>(u[1]) << 8) |
           (static_cast<uint32_t>(u[2]) << 16) | (static_cast<uint32_t>(u[3]) << 24);
}
inline void putLe16(char *p, uint16_t v)
{
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>(v >> 8);
}
inline void putLe32(char *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The file name without its directory, for messages.
std::string fileLabel(const std::string &path);
std::string errnoText();

// Read exactly `size` bytes at `offset`; false when the file is shorter.
bool readAt(int fd, void *buf, std::size_t size, uint64_t offset);
void readAtOrThrow(int fd, void *buf, std::size_t size, uint64_t offset, const std::string &path);
void writeAtOrThrow(int fd, const void *buf, std::size_t size, uint64_t offset,
                    const std::string &path);
uint64_t fileSize(int fd, const std::string &path);

// Today's date in the dBase header form YY MM DD (YY = year - 1900).
void putHeaderDate(char *p);

// Test hook: called with a name at points where a write can be interrupted, e.g.
// "pack:before-rename", and with "sync:" and the file's name before each flush of a file
// to the disk. A test makes it throw to simulate a failure there.
void setFaultHook(std::function<void(std::string_view)> hook);
void faultPoint(std::string_view name);

// Gives the open file `fd` the permission bits and group of the file at `path`, so that a
// replacement does not lock out the other users of a shared collection. Nothing happens
// when `path` does not exist; a group that cannot be set is left.
void keepModeOf(const std::string &path, int fd);

// Test hook: called before every write, truncation, rename and removal the engine makes
// to a table or index file, so that a test can stop the process at each of them in turn.
void setWriteHook(std::function<void()> hook);
void writePoint();

// Flushes a file's data to the disk (fdatasync); throws when the disk refuses.
void syncFile(int fd, const std::string &path);

// The name of the new file written beside `path` before it replaces it.
std::string newFilePath(const std::string &path);

// Writes a new file beside `path` through `fill`, with the mode and group of `path`,
// flushes it and renames it over `path`.
// On any failure the new file is removed and `path` is left as it was. `beforeRename`
// runs with the new file's descriptor (to take locks on it). With keepOpen the descriptor
// of the renamed file is returned; otherwise it is closed and -1 is returned. Without
// `rename` the flushed new file is left beside `path` for installNewFile().
int replaceFile(const std::string &path,
                const std::function<void(int fd, const std::string &tmp)> &fill,
                const char *faultName, const std::function<void(int fd)> &beforeRename = {},
                bool keepOpen = false, bool rename = true);

// Renames the new file beside `path` over it and flushes the directory. On failure the
// new file is removed.
void installNewFile(const std::string &path);

} // namespace dbase
