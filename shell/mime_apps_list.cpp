#include "shell/mime_apps_list.h"

namespace duvara {

namespace {

QByteArray headingOf(const QByteArray &content)
{
    const QByteArray trimmed = content.trimmed();
    if (trimmed.size() >= 2 && trimmed.startsWith('[') && trimmed.endsWith(']'))
        return trimmed.mid(1, trimmed.size() - 2);
    return {};
}

bool isHeading(const QByteArray &content)
{
    const QByteArray trimmed = content.trimmed();
    return trimmed.startsWith('[') && trimmed.endsWith(']');
}

bool isBlank(const QByteArray &content)
{
    return content.trimmed().isEmpty();
}

// The key of a "key=value" line; null for comments, headings, blank and broken lines.
QByteArray keyOf(const QByteArray &content)
{
    const QByteArray trimmed = content.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith('#') || isHeading(trimmed))
        return {};
    const int equals = trimmed.indexOf('=');
    if (equals <= 0)
        return {};
    return trimmed.left(equals).trimmed();
}

QByteArrayList idsOf(const QByteArray &content)
{
    QByteArrayList ids;
    const QByteArray value = content.mid(content.indexOf('=') + 1);
    for (const QByteArray &id : value.split(';')) {
        const QByteArray trimmed = id.trimmed();
        if (!trimmed.isEmpty())
            ids.append(trimmed);
    }
    return ids;
}

} // namespace

MimeAppsList::MimeAppsList(const QByteArray &text)
{
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype newline = text.indexOf('\n', start);
        if (newline < 0) {
            m_lines.push_back({text.mid(start), {}});
            break;
        }
        QByteArray content = text.mid(start, newline - start);
        QByteArray ending = QByteArrayLiteral("\n");
        if (content.endsWith('\r')) {
            content.chop(1);
            ending = QByteArrayLiteral("\r\n");
        }
        m_lines.push_back({content, ending});
        start = newline + 1;
    }
}

QByteArray MimeAppsList::text() const
{
    QByteArray text;
    for (const Line &line : m_lines)
        text += line.content + line.ending;
    return text;
}

QByteArrayList MimeAppsList::desktopIds(const QByteArray &group, const QByteArray &mimeType) const
{
    const std::vector<std::size_t> lines = keyLines(group, mimeType);
    if (lines.empty())
        return {};
    return idsOf(m_lines[lines.back()].content);
}

void MimeAppsList::putFirst(const QByteArray &group, const QByteArray &mimeType,
                            const QByteArray &desktopId)
{
    place(group, mimeType, desktopId, Placement::First);
}

void MimeAppsList::add(const QByteArray &group, const QByteArray &mimeType,
                       const QByteArray &desktopId)
{
    place(group, mimeType, desktopId, Placement::Last);
}

void MimeAppsList::place(const QByteArray &group, const QByteArray &mimeType,
                         const QByteArray &desktopId, Placement placement)
{
    const std::vector<std::size_t> lines = keyLines(group, mimeType);
    if (lines.empty()) {
        insertKey(group, mimeType, desktopId + ';');
        return;
    }
    // Every line of the key gets it: readers differ in which of two lines they believe.
    for (std::size_t index : lines) {
        const QByteArrayList ids = idsOf(m_lines[index].content);
        QByteArrayList placed = ids;
        if (placement == Placement::First) {
            placed.removeAll(desktopId);
            placed.prepend(desktopId);
        } else if (!placed.contains(desktopId)) {
            placed.append(desktopId);
        }
        if (placed != ids)
            setValue(index, placed);
    }
}

void MimeAppsList::remove(const QByteArray &group, const QByteArray &mimeType,
                          const QByteArray &desktopId)
{
    std::vector<bool> dropped(m_lines.size(), false);
    std::vector<std::size_t> touchedHeadings;
    const std::vector<std::size_t> headings = headingLines(group);
    for (std::size_t index : keyLines(group, mimeType)) {
        QByteArrayList ids = idsOf(m_lines[index].content);
        if (ids.removeAll(desktopId) == 0)
            continue;
        if (!ids.isEmpty()) {
            setValue(index, ids);
            continue;
        }
        dropped[index] = true;
        for (auto heading = headings.rbegin(); heading != headings.rend(); ++heading) {
            if (*heading < index) {
                touchedHeadings.push_back(*heading);
                break;
            }
        }
    }

    // A section that held nothing but what was taken out goes as a whole, so that binding and
    // unbinding again leaves the file as it was.
    for (std::size_t heading : touchedHeadings) {
        std::size_t end = heading + 1;
        while (end < m_lines.size() && !isHeading(m_lines[end].content))
            ++end;
        bool empty = true;
        for (std::size_t index = heading + 1; index < end && empty; ++index)
            empty = dropped[index] || isBlank(m_lines[index].content);
        if (!empty)
            continue;
        for (std::size_t index = heading; index < end; ++index)
            dropped[index] = true;
        if (end == m_lines.size()) {
            // The blank lines that parted it from the section before would now end the file.
            for (std::size_t index = heading; index > 0 && isBlank(m_lines[index - 1].content);
                 --index)
                dropped[index - 1] = true;
        }
    }

    std::vector<Line> kept;
    kept.reserve(m_lines.size());
    for (std::size_t index = 0; index < m_lines.size(); ++index) {
        if (!dropped[index])
            kept.push_back(m_lines[index]);
    }
    m_lines = std::move(kept);
}

void MimeAppsList::insertKey(const QByteArray &group, const QByteArray &key,
                             const QByteArray &value)
{
    const QByteArray ending = lineEnding();
    const Line keyLine {key + '=' + value, ending};
    const std::vector<std::size_t> headings = headingLines(group);
    if (headings.empty()) {
        if (!m_lines.empty()) {
            if (m_lines.back().ending.isEmpty())
                m_lines.back().ending = ending;
            if (!isBlank(m_lines.back().content))
                m_lines.push_back({{}, ending});
        }
        m_lines.push_back({'[' + group + ']', ending});
        m_lines.push_back(keyLine);
        return;
    }
    // After the last key of the group's last section: a comment below it may well introduce the
    // next section.
    std::size_t anchor = headings.back();
    for (std::size_t index = anchor + 1;
         index < m_lines.size() && !isHeading(m_lines[index].content); ++index) {
        if (!keyOf(m_lines[index].content).isNull())
            anchor = index;
    }
    if (m_lines[anchor].ending.isEmpty())
        m_lines[anchor].ending = ending;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(anchor) + 1, keyLine);
}

void MimeAppsList::setValue(std::size_t line, const QByteArrayList &ids)
{
    m_lines[line].content = keyOf(m_lines[line].content) + '=' + ids.join(';') + ';';
}

std::vector<std::size_t> MimeAppsList::keyLines(const QByteArray &group,
                                                const QByteArray &key) const
{
    std::vector<std::size_t> found;
    bool inGroup = false;
    for (std::size_t index = 0; index < m_lines.size(); ++index) {
        const QByteArray &content = m_lines[index].content;
        if (isHeading(content))
            inGroup = headingOf(content) == group;
        else if (inGroup && keyOf(content) == key)
            found.push_back(index);
    }
    return found;
}

std::vector<std::size_t> MimeAppsList::headingLines(const QByteArray &group) const
{
    std::vector<std::size_t> found;
    for (std::size_t index = 0; index < m_lines.size(); ++index) {
        if (isHeading(m_lines[index].content) && headingOf(m_lines[index].content) == group)
            found.push_back(index);
    }
    return found;
}

// New lines end the way the file's lines already do.
QByteArray MimeAppsList::lineEnding() const
{
    for (const Line &line : m_lines) {
        if (!line.ending.isEmpty())
            return line.ending;
    }
    return QByteArrayLiteral("\n");
}

} // namespace duvara
