#include "subtitles/file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace duvara {

namespace {

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    { }
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }

    bool Close()
    {
        if (m_fd < 0)
            return true;
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string DirectoryOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Saving through a symbolic link updates the file it points to and keeps the link.
std::string ResolveLink(const std::string &path)
{
    struct stat info = {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                           &std::free);
    return real ? std::string(real.get()) : path;
}

// Created with O_EXCL under a fresh name, so a concurrent save or a stale leftover is never
// overwritten, and with mode 0666 so the umask applies as to any new file.
int CreateTemporaryBeside(const std::string &target, std::string &tempPath)
{
    static std::atomic<uint32_t> sequence {0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = target + "." + std::to_string(::getpid()) + "."
            + std::to_string(sequence.fetch_add(1)) + ".tmp";
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

void SyncDirectory(const std::string &directory)
{
    FileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid())
        ::fsync(dir.Get()); // the rename is already visible; this only hurries it to the disk
}

// The number of the first line of a file that reads with `format`, such as /proc/meminfo's
// MemAvailable line or a cgroup's memory.max; nothing when the file is missing or no line reads
// (memory.max holds "max" when there is no limit).
std::optional<std::size_t> NumberInFile(const std::string &path, const char *format)
{
    const std::unique_ptr<FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "re"),
                                                             &std::fclose);
    if (!file)
        return std::nullopt;
    char line[256];
    unsigned long long value = 0;
    while (std::fgets(line, sizeof line, file.get())) {
        if (std::sscanf(line, format, &value) == 1)
            return static_cast<std::size_t>(value);
    }
    return std::nullopt;
}

// Limit minus usage of the process's memory cgroup and each of its ancestors, the least of
// them. Version 2 lists the group as "0::/path", version 1 as "N:memory:/path" (the controller
// may share its line with others, "N:cpu,memory:/path").
std::size_t CgroupRoom()
{
    std::size_t room = std::numeric_limits<std::size_t>::max();
    const std::unique_ptr<FILE, decltype(&std::fclose)> groups(
        std::fopen("/proc/self/cgroup", "re"), &std::fclose);
    if (!groups)
        return room;
    char line[4096];
    while (std::fgets(line, sizeof line, groups.get())) {
        std::string entry(line);
        if (!entry.empty() && entry.back() == '\n')
            entry.pop_back();
        const std::size_t first = entry.find(':');
        const std::size_t second = entry.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos)
            continue;
        const std::string controllers = "," + entry.substr(first + 1, second - first - 1) + ",";
        const bool unified = controllers == ",,";
        if (!unified && controllers.find(",memory,") == std::string::npos)
            continue;
        std::string group = entry.substr(second + 1);
        const std::string root = unified ? "/sys/fs/cgroup" : "/sys/fs/cgroup/memory";
        const char *limitFile = unified ? "/memory.max" : "/memory.limit_in_bytes";
        const char *usageFile = unified ? "/memory.current" : "/memory.usage_in_bytes";
        for (;;) {
            const std::string dir = root + (group == "/" ? "" : group);
            const auto limit = NumberInFile(dir + limitFile, "%llu");
            const auto usage = NumberInFile(dir + usageFile, "%llu");
            if (limit && usage)
                room = std::min(room, *limit > *usage ? *limit - *usage : 0);
            if (group.empty() || group == "/")
                break;
            const std::size_t slash = group.rfind('/');
            group = slash == 0 || slash == std::string::npos ? "/" : group.substr(0, slash);
        }
    }
    return room;
}

} // namespace

std::size_t AvailableMemory()
{
    std::size_t available = std::numeric_limits<std::size_t>::max();
    if (const auto kilobytes = NumberInFile("/proc/meminfo", "MemAvailable: %llu kB"))
        available = *kilobytes > available / 1024 ? available : *kilobytes * 1024;
    return std::min(available, CgroupRoom());
}

bool MemoryBudget::AskAgain(std::size_t bytes)
{
    if (m_fixed)
        return false;
    // What we hold is no longer available, so the new limit counts from it.
    const std::size_t available = AvailableMemory();
    const std::size_t granted = available - available / 8;
    m_limit = granted > std::numeric_limits<std::size_t>::max() - m_used
        ? std::numeric_limits<std::size_t>::max()
        : m_used + granted;
    if (bytes > m_limit - m_used)
        return false;
    m_used += bytes;
    return true;
}

bool FileBytes::Read(const std::string &path, MemoryBudget &budget)
{
    m_data.reset();
    m_size = 0;
    m_error = 0;
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.Valid()) {
        m_error = errno;
        return false;
    }
    struct stat info = {};
    if (::fstat(file.Get(), &info) != 0) {
        m_error = errno;
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        m_error = EISDIR;
        return false;
    }

    // One byte more than the size, so the read that meets the end needs no second buffer.
    std::size_t capacity = 64 * 1024;
    if (S_ISREG(info.st_mode) && info.st_size > 0)
        capacity = static_cast<std::size_t>(info.st_size) + 1;
    budget.Take(capacity);
    std::unique_ptr<char[]> data(new char[capacity]);
    std::size_t used = 0;
    for (;;) {
        if (used == capacity) {
            if (capacity > std::numeric_limits<std::size_t>::max() / 2)
                throw std::bad_alloc();
            budget.Take(capacity * 2);
            std::unique_ptr<char[]> larger(new char[capacity * 2]);
            std::memcpy(larger.get(), data.get(), used);
            data = std::move(larger);
            budget.Give(capacity);
            capacity *= 2;
        }
        const ssize_t got = ::read(file.Get(), data.get() + used, capacity - used);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            m_error = errno;
            return false;
        }
        if (got == 0)
            break;
        used += static_cast<std::size_t>(got);
    }
    m_data = std::move(data);
    m_size = used;
    return true;
}

bool WriteFileAtomically(const std::string &path, std::string_view content, int *error)
{
    const auto fail = [error](int code) {
        if (error)
            *error = code;
        return false;
    };
    const std::string target = ResolveLink(path);
    struct stat existing = {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return fail(EISDIR);
    // A device or a pipe would be written in place, or not at all by the rename.
    if (exists && !S_ISREG(existing.st_mode))
        return fail(EPERM);
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return fail(errno);

    std::string tempPath;
    FileDescriptor temp(CreateTemporaryBeside(target, tempPath));
    if (!temp.Valid())
        return fail(errno);

    // errno right after the step that failed; the clean-up below may change it.
    int failure = 0;
    if (!WriteAll(temp.Get(), content)
        || (exists && ::fchmod(temp.Get(), existing.st_mode & 07777) != 0)
        || ::fsync(temp.Get()) != 0)
        failure = errno;
    if (!temp.Close() && failure == 0)
        failure = errno;
    if (failure == 0 && ::rename(tempPath.c_str(), target.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(tempPath.c_str());
        return fail(failure);
    }
    SyncDirectory(DirectoryOf(target));
    return true;
}

} // namespace duvara
