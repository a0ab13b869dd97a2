#include "detect/seed_stack.h"

#include <algorithm>

namespace {

// The span a seed at column x of row y would find: the run of pocket codes
// around x within the limit columns left..right, less a limit column the run
// reaches. x must be a pocket code. `last` is the run's last column.
struct RunAround {
    A_long spanLeft, spanRight, last;
};

inline RunAround runAround(const MaskCode *row, A_long x, A_long left, A_long right) {
    A_long first = x, last = x;
    while (first - 8 >= left && eightPocketCodes(row + first - 8)) first -= 8;
    while (first > left && isPocketCode(row[first - 1])) --first;
    while (last + 8 <= right && eightPocketCodes(row + last + 1)) last += 8;
    while (last < right && isPocketCode(row[last + 1])) ++last;
    return RunAround{first > left ? first : left + 1, last < right ? last : right - 1, last};
}

void paintPocketSpan(MaskCode *row, A_long y, A_long left, A_long right, FillTag &tag,
                     std::vector<PocketSpan> &painted) {
    recodeRun(row, left, right, static_cast<MaskCode>(~0), CODE_TAGGED);
    tag.area += right - left;
    tag.minX = std::min(tag.minX, left);
    tag.maxX = std::max(tag.maxX, right);
    tag.minY = std::min(tag.minY, y);
    tag.maxY = std::max(tag.maxY, y);
    painted.push_back(PocketSpan{y, left, right, 0, 0, -1});
}

// What one flood works on and writes.
struct Flood {
    const AnalysisMask &mask;
    FillTag &tag;
    const FillLimitsArray &limits;
    std::vector<PocketSpan> &pending;
    std::vector<PocketSpan> &painted;
};

// The seeds a painted span would emit into row ny, at its columns but the
// last, found in one walk along the row: each run met is painted (if two
// pixels or more) and the walk goes on past it, since a seed anywhere in a
// run finds the same span. The span the searched one was found from is
// painted already and skipped.
void searchNeighbourRow(const PocketSpan &s, A_long ny, Flood &f) {
    if (ny < f.limits.firstRow || ny > f.limits.lastRow) return;
    const A_long left = f.limits.left[ny];
    const A_long right = f.limits.right[ny];
    MaskCode *row = f.mask.row(ny);
    const A_long last = std::min(s.right - 1, right);
    for (A_long x = std::max(s.left, left); x <= last; ++x) {
        if (ny == s.fromY && x >= s.fromLeft && x <= s.fromRight) {
            x = s.fromRight;
            continue;
        }
        if (!isPocketCode(row[x])) {
            // Most of a searched row is painted already: eight at a time.
            while (x + 8 <= last && noPocketCodeInEight(row + x + 1)) x += 8;
            continue;
        }
        const RunAround run = runAround(row, x, left, right);
        if (run.spanRight - run.spanLeft >= 1) {
            paintPocketSpan(row, ny, run.spanLeft, run.spanRight, f.tag, f.painted);
            f.pending.push_back(PocketSpan{ny, run.spanLeft, run.spanRight, s.y, s.left, s.right});
        }
        x = run.last;
    }
}

}  // namespace

Seed::Seed()
    : state(0),
      x(0),
      y(0),
      spanLeft(0),
      spanRight(0),
      parent(0),
      isRoot(false),
      isBelowParent(false),
      canGoUp(false),
      canGoDown(false),
      upDone(false),
      cursor(0),
      cursorEnd(0) {}

SeedStack::SeedStack() : count(0) {}

void floodPocketFrom(A_long x, A_long y, const AnalysisMask &mask, A_long height, FillTag &tag,
                     const FillLimitsArray &limits, std::vector<PocketSpan> &pending,
                     std::vector<PocketSpan> &painted) {
    pending.clear();
    if (y < limits.firstRow || y > limits.lastRow || y < 0 || y >= height) return;
    const A_long left = limits.left[y];
    const A_long right = limits.right[y];
    if (x < left || x > right) return;
    MaskCode *row = mask.row(y);
    if (!isPocketCode(row[x])) return;
    const RunAround run = runAround(row, x, left, right);
    if (run.spanRight - run.spanLeft < 1) return;
    paintPocketSpan(row, y, run.spanLeft, run.spanRight, tag, painted);
    // The first span came from no row: its own row is never searched.
    pending.push_back(PocketSpan{y, run.spanLeft, run.spanRight, y, 0, -1});
    Flood f{mask, tag, limits, pending, painted};
    while (!pending.empty()) {
        const PocketSpan s = pending.back();
        pending.pop_back();
        if (s.y > 0) searchNeighbourRow(s, s.y - 1, f);
        if (s.y + 1 < height) searchNeighbourRow(s, s.y + 1, f);
    }
}
