#include "track_files.h"

#include "subtitles/file_io.h"
#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_track.h"
#include "subtitles/subtitle_writer.h"

#include <cerrno>
#include <cstring>
#include <new>

namespace duvara {

namespace {

std::string TooLarge(const std::string &path)
{
    return path + ": too large: its entries do not fit in memory";
}

} // namespace

std::string ReadTrack(SubtitleTrack &track, const std::string &path)
{
    // Read here rather than by ReadSubtitleFile, which does not say why a file could not be read.
    FileBytes bytes;
    MemoryBudget budget;
    try {
        if (!bytes.Read(path, budget)) {
            switch (bytes.Error()) {
            case ENOENT:
                return path + ": no such file";
            case EISDIR:
                return path + ": is a folder, not a file";
            default:
                return path + ": cannot read: " + std::strerror(bytes.Error());
            }
        }
    } catch (const std::bad_alloc &) {
        return TooLarge(path);
    }
    if (bytes.View().empty())
        return path + ": is empty";
    switch (ReadSubtitleBuffer(track, bytes.View(), path)) {
    case LoadResult::Loaded:
    case LoadResult::Unreadable: // no line of text, such as a binary file that begins with 0
        break;
    case LoadResult::TooLarge:
        return TooLarge(path);
    }
    if (track.Subs.empty()) {
        return path + ": not a subtitle file (no "
            + (GrammarForFileName(path) == SubtitleGrammar::MicroDvd ? "MicroDVD" : "SubRip")
            + " entry in it)";
    }
    return {};
}

std::string SaveTrack(const SubtitleTrack &track, int32_t shift, const std::string &path)
{
    int error = 0;
    if (SaveSubtitles(track, shift, path, &error))
        return {};
    if (error == EISDIR)
        return path + ": is a folder, not a file";
    return path + ": cannot save: " + std::strerror(error);
}

} // namespace duvara
