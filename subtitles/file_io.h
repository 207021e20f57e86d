// Whole-file reading and atomic replacement, the only place the subtitle code touches the OS.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <string>
#include <string_view>

namespace duvara {

// What the system could still give this process: the kernel's estimate of available memory,
// lowered to the room its memory cgroups leave; the largest size_t when neither is known.
std::size_t AvailableMemory();

// The memory a load may take, counted as it goes. Without a fixed limit the system is asked,
// first once the load is past 64 MiB (smaller loads cannot matter) and again whenever the
// answer is used up; 7/8 of what it reports is granted, to leave room for the estimates' error
// and everybody else. Take throws std::bad_alloc when the bytes are not granted: with memory
// overcommitted an allocation itself would not fail, the kernel would kill the process later.
class MemoryBudget
{
public:
    MemoryBudget() = default;
    explicit MemoryBudget(std::size_t limit)
        : m_limit(limit)
        , m_fixed(true)
    { }

    bool TryTake(std::size_t bytes)
    {
        if (bytes <= m_limit - m_used) {
            m_used += bytes;
            return true;
        }
        return AskAgain(bytes);
    }

    void Take(std::size_t bytes)
    {
        if (!TryTake(bytes))
            throw std::bad_alloc();
    }

    void Give(std::size_t bytes) { m_used -= bytes < m_used ? bytes : m_used; }

private:
    bool AskAgain(std::size_t bytes);

    std::size_t m_used = 0; // never above m_limit
    std::size_t m_limit = std::size_t {64} << 20;
    bool m_fixed = false;
};

// Every byte of a file, in a buffer that is never zero-filled first: on large files clearing
// memory only to overwrite it costs as much as the reading.
class FileBytes
{
public:
    std::string_view View() const { return {m_data.get(), m_size}; }

    // Reads a file (or anything readable by path, such as a pipe). False for a missing or
    // unreadable path and for a directory; std::bad_alloc when the bytes would not fit `budget`.
    bool Read(const std::string &path, MemoryBudget &budget);

    // After a failed Read, the errno of the step that failed (EISDIR for a directory), so a
    // caller can say why; 0 after a successful one.
    int Error() const { return m_error; }

private:
    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0;
    int m_error = 0;
};

// Writes `content` to a new file beside `path`, flushes it to the disk and renames it over
// `path`, so that readers see the old file or the new one and never a part of either. On any
// failure the temporary file is removed and an existing file at `path` stays as it was. An
// existing file that we may not write is refused; its permissions carry over to the new one.
// On failure `error`, when given, receives the errno of the step that failed: EISDIR when
// `path` is a directory, EPERM when it is another kind of file that is not a regular one.
bool WriteFileAtomically(const std::string &path, std::string_view content, int *error = nullptr);

} // namespace duvara
