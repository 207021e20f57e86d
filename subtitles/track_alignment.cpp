#include "subtitles/track_alignment.h"

#include "subtitles/corrections.h"
#include "subtitles/subtitle_track.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace duvara {

namespace {

// Offsets are voted for in bins this wide; a bin and its two neighbours make a peak, wide enough
// for boundaries timed a frame or two apart and narrow enough that neighbouring captions, seconds
// apart, do not blur into it.
constexpr double CoarseBinMs = 100;

// The scales are screened on at most this many boundaries of each kind: a few hundred pairs
// already stand far above chance, and every scale tried costs a pass over them.
constexpr std::size_t ScreeningBoundaries = 800;

// Screening is only a first guess; the best few scales each get the full fit.
constexpr std::size_t RefinedScales = 3;

// The fit starts by pairing boundaries up to a second apart, since the screening's offset and its
// fixed scale can be that far off at the ends of a film, and narrows to what good timing gives.
constexpr double FirstWindowMs = 1000;
constexpr double FinalWindowMs = 150;
constexpr int MaxGrowingRounds = 12;
constexpr int NarrowingRounds = 5;

// A freely fitted scale is kept only when it differs from the screened one by more than this
// many standard errors; otherwise the frame-rate ratio is the better estimate.
constexpr double ScaleEvidence = 3;

// The scale is fitted freely only when the pairs spread over this much time (standard
// deviation); closer together they pin the offset but not the stretch.
constexpr double MinScaleSpreadMs = 60000;

// The search tries hundreds of thousands of scales and offsets, so a count of matched entries
// that chance gives once in a million tries is to be expected somewhere. A fit is believed when
// chance would give it less than once in a thousand searches.
constexpr double FalseFitOdds = 1e-3;

struct Boundaries
{
    std::vector<double> starts; // absolute ms, ascending
    std::vector<double> ends;
};

Boundaries SortedBoundaries(const SubtitleTrack &track)
{
    Boundaries b;
    b.starts.reserve(track.Subs.size());
    b.ends.reserve(track.Subs.size());
    for (const TSubT &entry : track.Subs) {
        const double start = double(track.BaseTime) + RelativeMs(entry.StartTime);
        const double end = double(track.BaseTime) + RelativeMs(entry.EndTime);
        b.starts.push_back(start);
        b.ends.push_back(std::max(start, end));
    }
    std::sort(b.starts.begin(), b.starts.end());
    std::sort(b.ends.begin(), b.ends.end());
    return b;
}

std::vector<double> EveryNth(const std::vector<double> &values, std::size_t limit)
{
    if (values.size() <= limit)
        return values;
    std::vector<double> picked;
    const double step = double(values.size()) / double(limit);
    for (std::size_t i = 0; i < limit; ++i)
        picked.push_back(values[static_cast<std::size_t>(double(i) * step)]);
    return picked;
}

// A map reference = scale * track + offset, in absolute ms.
struct LinearMap
{
    double scale = 1;
    double offset = 0;
    double Apply(double x) const { return scale * x + offset; }
};

// Adds a vote for offset y - scale * x for every pair of boundaries whose offset lies in
// [low, low + bins * CoarseBinMs). Both lists ascend, so the window over `ys` only moves forward.
void VoteOffsets(const std::vector<double> &xs, const std::vector<double> &ys, double scale,
                 double low, std::vector<uint32_t> &votes)
{
    const double high = low + double(votes.size()) * CoarseBinMs;
    std::size_t first = 0;
    for (const double x : xs) {
        const double scaled = scale * x;
        while (first < ys.size() && ys[first] < scaled + low)
            ++first;
        for (std::size_t j = first; j < ys.size() && ys[j] < scaled + high; ++j) {
            const auto bin = static_cast<std::size_t>((ys[j] - scaled - low) / CoarseBinMs);
            ++votes[std::min(bin, votes.size() - 1)];
        }
    }
}

struct Screened
{
    LinearMap map;
    uint32_t score = 0;
};

// The best offset for one scale: the peak of the votes, three bins wide, placed at the
// centre of its votes.
Screened ScreenScale(const Boundaries &track, const Boundaries &reference, double scale,
                     double baseTime, double searchRange)
{
    // The offset control moves the first entry: offset = (scale - 1) * base + control.
    const double low = (1 - scale) * baseTime - searchRange;
    std::vector<uint32_t> votes(static_cast<std::size_t>(2 * searchRange / CoarseBinMs) + 1);
    VoteOffsets(track.starts, reference.starts, scale, low, votes);
    VoteOffsets(track.ends, reference.ends, scale, low, votes);

    Screened best;
    best.map.scale = scale;
    for (std::size_t k = 1; k + 1 < votes.size(); ++k) {
        const uint32_t score = votes[k - 1] + votes[k] + votes[k + 1];
        if (score <= best.score)
            continue;
        best.score = score;
        const double centre = (double(votes[k + 1]) - double(votes[k - 1])) / score;
        best.map.offset = low + (double(k) + 0.5 + centre) * CoarseBinMs;
    }
    return best;
}

struct Pair
{
    double x; // track, absolute ms
    double y; // reference
};

// Pairs each boundary in `xs` with the nearest one in `ys` after mapping, when that lies within
// `window`.
void CollectPairs(const std::vector<double> &xs, const std::vector<double> &ys,
                  const LinearMap &map, double window, std::vector<Pair> &pairs)
{
    std::size_t next = 0; // first reference boundary at or after the mapped one
    for (const double x : xs) {
        const double mapped = map.Apply(x);
        while (next < ys.size() && ys[next] < mapped)
            ++next;
        double nearest = window + 1;
        double y = 0;
        if (next < ys.size() && ys[next] - mapped < nearest) {
            nearest = ys[next] - mapped;
            y = ys[next];
        }
        if (next > 0 && mapped - ys[next - 1] < nearest) {
            nearest = mapped - ys[next - 1];
            y = ys[next - 1];
        }
        if (nearest <= window)
            pairs.push_back({x, y});
    }
}

struct LineFit
{
    LinearMap map;
    double scaleError = HUGE_VAL; // standard error of a freely fitted scale
    double spread = 0; // of the residuals, robustly estimated
};

// Least squares over the pairs; the scale only when the pairs spread far enough to fix it.
LineFit FitLine(const std::vector<Pair> &pairs, LinearMap map, bool freeScale)
{
    const double n = double(pairs.size());
    double mx = 0;
    double my = 0;
    for (const Pair &p : pairs) {
        mx += p.x;
        my += p.y;
    }
    mx /= n;
    my /= n;
    double sxx = 0;
    double sxy = 0;
    for (const Pair &p : pairs) {
        sxx += (p.x - mx) * (p.x - mx);
        sxy += (p.x - mx) * (p.y - my);
    }
    const bool spreadFixesScale = sxx > MinScaleSpreadMs * MinScaleSpreadMs * n;
    if (freeScale && spreadFixesScale)
        map.scale = sxy / sxx;
    map.offset = my - map.scale * mx;

    LineFit fit;
    fit.map = map;
    if (freeScale && spreadFixesScale && pairs.size() > 2) {
        double squares = 0;
        for (const Pair &p : pairs)
            squares += (p.y - map.Apply(p.x)) * (p.y - map.Apply(p.x));
        fit.scaleError = std::sqrt(squares / (n - 2) / sxx);
    }
    return fit;
}

double Median(std::vector<double> values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Fits, drops the pairs that lie far out from the rest (a missing entry paired with its
// neighbour, half of a split one), and fits again.
LineFit RobustFit(std::vector<Pair> &pairs, const LinearMap &map, bool freeScale)
{
    LineFit fit = FitLine(pairs, map, freeScale);
    std::vector<double> residuals;
    residuals.reserve(pairs.size());
    for (const Pair &p : pairs)
        residuals.push_back(p.y - fit.map.Apply(p.x));
    const double centre = Median(residuals);
    for (double &r : residuals)
        r = std::abs(r - centre);
    // 1.4826 * MAD estimates the standard deviation of the good pairs; below a frame at 25 fps
    // it is no more than the timing's own rounding.
    const double spread = 1.4826 * Median(residuals);
    const double limit = std::max(3 * spread, 40.0);
    std::vector<Pair> kept;
    kept.reserve(pairs.size());
    for (const Pair &p : pairs) {
        if (std::abs(p.y - fit.map.Apply(p.x) - centre) <= limit)
            kept.push_back(p);
    }
    if (kept.size() >= 2) {
        pairs.swap(kept);
        fit = FitLine(pairs, fit.map, freeScale);
    }
    fit.spread = spread;
    return fit;
}

struct Refined
{
    LineFit fit;
    std::vector<Pair> pairs; // the pairs of the last fit
    bool valid = false;
};

// Pairs boundaries up to a window apart and fits, as long as each fit pairs more of them: a
// scale a little off the screened one lines up only part of the film at first, and each fit
// over that part reaches further. Then pairs again within a window narrowed to what the
// residuals show. Loosely timed tracks keep a wider window: narrowed below their own scatter,
// pairing would only confirm whatever the fit already believes.
Refined Refine(const Boundaries &track, const Boundaries &reference, const LinearMap &start,
               bool freeScale)
{
    Refined refined;
    refined.fit.map = start;
    const auto fitWithin = [&](double window) {
        std::vector<Pair> pairs;
        CollectPairs(track.starts, reference.starts, refined.fit.map, window, pairs);
        CollectPairs(track.ends, reference.ends, refined.fit.map, window, pairs);
        if (pairs.size() < 2)
            return false;
        refined.fit = RobustFit(pairs, refined.fit.map, freeScale);
        refined.pairs.swap(pairs);
        return true;
    };

    double window = FirstWindowMs;
    std::size_t paired = 0;
    for (int round = 0; round < MaxGrowingRounds; ++round) {
        if (!fitWithin(window))
            return {};
        const bool grew = double(refined.pairs.size()) > 1.01 * double(paired);
        paired = refined.pairs.size();
        if (!grew)
            break;
    }
    for (int round = 0; round < NarrowingRounds; ++round) {
        window = std::clamp(3 * refined.fit.spread, FinalWindowMs, window);
        if (!fitWithin(window))
            return {};
    }
    refined.valid = true;
    return refined;
}

double NearestDistance(const std::vector<double> &sorted, double value)
{
    const auto next = std::lower_bound(sorted.begin(), sorted.end(), value);
    double distance = HUGE_VAL;
    if (next != sorted.end())
        distance = *next - value;
    if (next != sorted.begin())
        distance = std::min(distance, value - *std::prev(next));
    return distance;
}

// For every entry of the track, how far its mapped start lies from the nearest reference start
// or its mapped end from the nearest end, whichever is closer.
template<typename MapTime>
std::vector<double> EntryDistances(const SubtitleTrack &track, const Boundaries &reference,
                                   MapTime mapTime)
{
    std::vector<double> distances;
    distances.reserve(track.Subs.size());
    for (const TSubT &entry : track.Subs) {
        const double start = mapTime(entry.StartTime);
        const double end = std::max(start, mapTime(entry.EndTime));
        distances.push_back(std::min(NearestDistance(reference.starts, start),
                                     NearestDistance(reference.ends, end)));
    }
    return distances;
}

int CountWithin(const std::vector<double> &distances, double tolerance)
{
    return static_cast<int>(std::count_if(distances.begin(), distances.end(),
                                          [tolerance](double d) { return d <= tolerance; }));
}

// The share of the time line that lies within `tolerance` of some reference start or end: the
// chance that an entry placed at random matches.
double ChanceOfMatch(const Boundaries &reference, double tolerance)
{
    const double first = reference.starts.front();
    const double extent = std::max(reference.ends.back() - first, 1.0) + 2 * tolerance;
    const double perKind = std::min(1.0, 2 * tolerance * double(reference.starts.size()) / extent);
    return 1 - (1 - perKind) * (1 - perKind);
}

AlignmentResiduals Summarise(std::vector<double> distances, double tolerance)
{
    AlignmentResiduals summary;
    summary.entries = static_cast<int>(distances.size());
    distances.erase(std::remove_if(distances.begin(), distances.end(),
                                   [tolerance](double d) { return !(d <= tolerance); }),
                    distances.end());
    summary.matchedEntries = static_cast<int>(distances.size());
    if (distances.empty())
        return summary;
    std::sort(distances.begin(), distances.end());
    const auto rank = [&distances](double share) {
        const auto index = static_cast<std::size_t>(std::ceil(share * double(distances.size())));
        return distances[std::clamp<std::size_t>(index, 1, distances.size()) - 1];
    };
    summary.medianMs = rank(0.5);
    summary.p95Ms = rank(0.95);
    summary.maxMs = distances.back();
    return summary;
}

// The natural log of the chance that `matched` or more of `entries` line up at random, each
// with chance `p`: the tail's first term, times the geometric series its terms fall faster
// than.
double LogChanceOfAtLeast(int matched, int entries, double p)
{
    const double n = entries;
    const double m = matched;
    if (m <= n * p)
        return 0;
    p = std::clamp(p, 1e-12, 1 - 1e-12);
    const double first = std::lgamma(n + 1) - std::lgamma(m + 1) - std::lgamma(n - m + 1)
        + m * std::log(p) + (n - m) * std::log(1 - p);
    const double ratio = (n - m) / (m + 1) * p / (1 - p);
    return std::min(0.0, first - std::log1p(-std::min(ratio, 0.5)));
}

bool BeyondChance(int matched, int entries, double chance, double tries,
                  const AlignmentOptions &options)
{
    return matched >= options.minMatchedEntries
        && double(matched) >= options.minMatchedFraction * double(entries)
        && LogChanceOfAtLeast(matched, entries, chance) + std::log(tries) <= std::log(FalseFitOdds);
}

} // namespace

const std::vector<double> &FrameRateRatios()
{
    static const std::vector<double> ratios = [] {
        const double rates[] = {24000.0 / 1001, 24, 25, 30000.0 / 1001, 30};
        std::vector<double> all;
        for (const double from : rates) {
            for (const double to : rates) {
                const double ratio = to / from;
                const bool known = std::any_of(all.begin(), all.end(), [ratio](double r) {
                    return std::abs(r - ratio) < 1e-9;
                });
                if (!known)
                    all.push_back(ratio);
            }
        }
        std::sort(all.begin(), all.end());
        return all;
    }();
    return ratios;
}

TrackAlignment AlignTracks(const SubtitleTrack &track, const SubtitleTrack &reference,
                           const AlignmentOptions &options)
{
    TrackAlignment result;
    result.residuals.entries = track.SubCount();
    if (track.Subs.empty()) {
        result.failure = AlignmentFailure::EmptyTrack;
        return result;
    }
    if (reference.Subs.empty()) {
        result.failure = AlignmentFailure::EmptyReference;
        return result;
    }

    const Boundaries own = SortedBoundaries(track);
    const Boundaries other = SortedBoundaries(reference);
    const double tolerance = std::max(options.matchToleranceMs, 0);
    const double searchRange = std::max(options.searchRangeMs, 0);
    const int32_t span = TrackSpan(track);
    // A track that ends where it starts cannot be stretched by its duration control.
    const bool stretchable = span > 0;

    std::vector<double> scales = options.scales.empty() ? FrameRateRatios() : options.scales;
    if (!stretchable)
        scales.assign(1, 1.0);

    const Boundaries sample {EveryNth(own.starts, ScreeningBoundaries),
                             EveryNth(own.ends, ScreeningBoundaries)};
    std::vector<Screened> screened;
    for (const double scale : scales) {
        if (scale > 0)
            screened.push_back(ScreenScale(sample, other, scale, track.BaseTime, searchRange));
    }
    std::sort(screened.begin(), screened.end(),
              [](const Screened &a, const Screened &b) { return a.score > b.score; });
    screened.resize(std::min(screened.size(), RefinedScales));

    // The screened guesses each fitted in full; the fit that lines up most entries wins. Frame
    // rates are what stretches tracks, so a guess keeps its ratio unless the free fit's scale
    // differs from it clearly: on few or loosely timed entries the free scale is mostly noise.
    Refined best;
    int bestMatched = -1;
    for (const Screened &guess : screened) {
        if (guess.score == 0)
            continue;
        Refined refined = Refine(own, other, guess.map, stretchable);
        const bool ratioHolds = !refined.valid
            || std::abs(refined.fit.map.scale - guess.map.scale)
                <= ScaleEvidence * refined.fit.scaleError;
        if (ratioHolds && stretchable) {
            Refined pinned = Refine(own, other, guess.map, false);
            if (pinned.valid)
                refined = std::move(pinned);
        }
        if (!refined.valid)
            continue;
        const LinearMap map = refined.fit.map;
        const int matched = CountWithin(
            EntryDistances(track, other,
                           [&](uint32_t t) { return map.Apply(track.BaseTime + RelativeMs(t)); }),
            tolerance);
        if (matched > bestMatched) {
            bestMatched = matched;
            best = std::move(refined);
        }
    }
    if (!best.valid)
        return result;

    // The controls hold whole milliseconds and a single-precision factor; the offset is fitted
    // again under the factor the span gives, so that it absorbs that rounding.
    result.scale = best.fit.map.scale;
    result.spanMs
        = stretchable ? std::llround(best.fit.map.scale * span) : ClampTargetSpan(span, span);
    const float factor = DurationFactor(result.spanMs, span);
    double offsetSum = 0;
    for (const Pair &p : best.pairs) {
        const auto stored = static_cast<uint32_t>(static_cast<int32_t>(p.x - track.BaseTime));
        offsetSum += p.y - double(CorrectedTime(stored, factor, track.BaseTime));
    }
    result.offsetMs = std::llround(offsetSum / double(best.pairs.size()));

    // Unclamped, so that a fit beyond the controls' reach is still judged on its own merits.
    const int64_t shift = result.offsetMs + track.BaseTime;
    const std::vector<double> distances = EntryDistances(
        track, other, [&](uint32_t t) { return double(CorrectedTime(t, factor, 0) + shift); });
    result.residuals = Summarise(distances, tolerance);
    result.matchedFraction = double(result.residuals.matchedEntries) / double(track.Subs.size());

    // Distinct placements: every scale tried, at offsets a match tolerance apart.
    const double tries
        = double(scales.size()) * std::max(1.0, searchRange / std::max(tolerance, 1.0));
    if (!BeyondChance(result.residuals.matchedEntries, track.SubCount(),
                      ChanceOfMatch(other, tolerance), tries, options))
        result.failure = AlignmentFailure::NothingInCommon;
    else if (result.offsetMs < -MaxUserOffset || result.offsetMs > MaxUserOffset)
        result.failure = AlignmentFailure::OffsetOutOfReach;
    else if (ClampTargetSpan(result.spanMs, span) != result.spanMs)
        result.failure = AlignmentFailure::SpanOutOfReach;
    else
        result.failure = AlignmentFailure::None;
    result.found = result.failure == AlignmentFailure::None;
    return result;
}

} // namespace duvara
