// Finding the speech in a film: its audio stream alone is decoded (FFmpeg), mixed down to mono
// at 8 kHz and handed to the voice activity detector. A long film is decoded as several parts
// at once, one per core, each by its own demuxer and decoder. Plain C++ and FFmpeg, no Qt.
#pragma once

#include "media/speech_detection.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace duvara {

enum class FilmSpeechStatus {
    Found, // `intervals` holds the speech (possibly none)
    Cancelled,
    Failed, // `error` says why
};

struct FilmSpeech
{
    FilmSpeechStatus status = FilmSpeechStatus::Failed;
    std::string error;
    std::vector<SpeechInterval> intervals;
    int64_t durationMs = 0; // of the audio analysed
};

struct FilmSpeechOptions
{
    // Parts decoded side by side; 0 means one per core. Films shorter than a few minutes are
    // decoded in one part: a second demuxer would cost more than it saves.
    int parts = 0;
    // Called now and then with the share done (0..1), from the calling thread only.
    std::function<void(double)> progress;
    // Set from any thread to stop early; the answer is then Cancelled.
    const std::atomic<bool> *cancel = nullptr;
    SpeechDetectionOptions detection;
};

// Keeps FFmpeg's own diagnostics off stderr for the rest of the process, for a command-line
// program whose errors already say what went wrong. The player leaves them to its media log.
void SilenceFfmpegMessages();

// Blocks until the film's audio has been analysed, failed or been cancelled.
FilmSpeech FindFilmSpeech(const std::string &path, const FilmSpeechOptions &options = {});

} // namespace duvara
