// Writes that fail part-way, as on a full disk, for tests of saves that must not lose a file.
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace duvara::test {

// Lowers the file size limit for the scope, so writes fail part-way as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_saved = {};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace duvara::test
