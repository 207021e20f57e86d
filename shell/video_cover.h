#pragma once

namespace duvara {

// Marks the video as covered (a dialog or window over it) for as long as it lives, also when
// the code around it throws: while covered, no next caption is prepared behind the dialog.
class VideoCover
{
public:
    explicit VideoCover(bool &covered)
        : m_covered(covered)
    {
        m_covered = true;
    }
    ~VideoCover() { m_covered = false; }
    VideoCover(const VideoCover &) = delete;
    VideoCover &operator=(const VideoCover &) = delete;

private:
    bool &m_covered;
};

} // namespace duvara
