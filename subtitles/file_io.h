// Whole-file reading and atomic replacement, the only place the subtitle code touches the OS.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace duvara {

// Every byte of a file, in a buffer that is never zero-filled first: on large files clearing
// memory only to overwrite it costs as much as the reading.
class FileBytes
{
public:
    std::string_view View() const { return {m_data.get(), m_size}; }

    // Reads a file (or anything readable by path, such as a pipe). False for a missing or
    // unreadable path and for a directory.
    bool Read(const std::string &path);

private:
    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0;
};

// Writes `content` to a new file beside `path`, flushes it to the disk and renames it over
// `path`, so that readers see the old file or the new one and never a part of either. On any
// failure the temporary file is removed and an existing file at `path` stays as it was. An
// existing file that we may not write is refused; its permissions carry over to the new one.
bool WriteFileAtomically(const std::string &path, std::string_view content);

} // namespace duvara
