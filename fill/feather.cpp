// Feather: every edge pixel of the fill area is stamped with a
// linear fall-off, so blue ramps from 32768 at the edge to 0 at the feather
// distance outside it.
//
// A stamp raises blue to max(stamp, blue), and the fall-off depends on the
// squared distance alone, decreasing with it. So the order of the stamps does
// not matter: a pixel ends with the stamp value of its nearest edge pixel, or
// keeps its blue. The stage works row by row: it marks the edges a few rows
// ahead of the row it writes, and works out each pixel's best stamp either
// from the edges near the row (small radii) or from the exact squared
// distance to the nearest edge (large radii, whose squares would cost radius
// squared per edge pixel). Both give the blue of the straightforward form
// (reference/fill/feather.cpp), which the tests compare; its edge marks in
// alpha, which nothing after the stage reads, are not written.
#include "fill/feather.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "detect/red_mask.h"
#include "detect/row_bits.h"
#include "render/row_workers.h"
#include "render/worlds/pixels.h"

namespace {

constexpr float FULL_STRENGTH = FULL_SCALE;  // of a stamp
// From this radius on, a row's best stamps come from the distance transform.
constexpr A_long DISTANCE_FROM_RADIUS = 8;
constexpr float NO_STAMP = -std::numeric_limits<float>::infinity();

// A stamp raises blue to the stamp's value, never above full scale.
float stampedBlue(float blue, float stamp) {
    return std::min(std::max(stamp, blue), FULL_STRENGTH);
}

A_u_short roundedBlue(float blue) {
    return static_cast<A_u_short>(static_cast<A_long>(blue + 0.5f));
}

// The world as the stamp sees it: cut to the frame, so that where a host
// records more than the frame's width no stamp reaches past the frame.
PF_LayerDef frameView(const PF_LayerDef &world, A_long width, A_long height) {
    PF_LayerDef view = world;
    view.width = std::min(world.width, width);
    view.height = std::min(world.height, height);
    return view;
}

// The stamp of an edge pixel at offset (dx, dy), computed as the plain form's
// stamp computes it; it depends on dx * dx + dy * dy alone.
float stampValue(const FloatBlurPlotKernel &kernel, A_long dx, A_long dy) {
    return FULL_STRENGTH * kernel.plot[kernel.centreIndex + dy * kernel.size + dx] *
           kernel.centreScale;
}

// Per row of the swept area within the radius of the row being written, in
// a ring: its edge pixels and its full blue pixels (those a stamp leaves as
// they are; 0 where not read), one plane of bits each.
enum EdgePlane { EDGE, FULL_BLUE, EDGE_PLANES };

class EdgeRows {
  public:
    EdgeRows(A_long width, A_long radius)
        : words_(bitWordsFor(width)),
          slots_(2 * radius + 2),
          bits_(static_cast<std::size_t>(slots_) * EDGE_PLANES * words_, 0),
          extents_(static_cast<std::size_t>(slots_), Extent{width, -1}) {}

    // The first and last column of row y's edge pixels (first > last: none),
    // worked out once the row's planes are set.
    struct Extent {
        A_long first;
        A_long last;
    };
    void noteExtent(A_long y) {
        const BitWord *bits = row(y);
        Extent e{words_ * BITS_PER_WORD, -1};
        for (A_long w = 0; w < words_; ++w) {
            if (bits[w] == 0) continue;
            e.first = std::min(e.first, w * BITS_PER_WORD + __builtin_ctzll(bits[w]));
            e.last = w * BITS_PER_WORD + 63 - __builtin_clzll(bits[w]);
        }
        extents_[y % slots_] = e;
    }
    const Extent &extent(A_long y) const { return extents_[y % slots_]; }
    A_long words() const { return words_; }
    // Both planes of row y, one after the other.
    BitWord *planes(A_long y) {
        return bits_.data() + static_cast<std::size_t>(y % slots_) * EDGE_PLANES * words_;
    }
    const BitWord *row(A_long y, EdgePlane plane = EDGE) const {
        return bits_.data() + (static_cast<std::size_t>(y % slots_) * EDGE_PLANES + plane) * words_;
    }
    bool has(A_long x, A_long y) const {
        return (row(y)[x / BITS_PER_WORD] >> (x % BITS_PER_WORD)) & 1;
    }

  private:
    A_long words_;
    A_long slots_;
    std::vector<BitWord> bits_;
    std::vector<Extent> extents_;
};

// The exact squared distance from each pixel of a row to the nearest edge
// pixel, for distances below (radius + 1)^2; larger ones are left large.
// Columns carry the vertical distance to the nearest edge above and below
// (within the radius); each row then takes the lower envelope of the
// parabolas (x - i)^2 + g(i)^2 in integers.
class EdgeDistance {
  public:
    EdgeDistance(A_long width, A_long radius)
        : width_(width),
          radius_(radius),
          far_(radius + 1),
          above_(static_cast<std::size_t>(width), radius + 1),
          below_(static_cast<std::size_t>(width), NONE),
          g2_(static_cast<std::size_t>(width)),
          sites_(static_cast<std::size_t>(width)),
          starts_(static_cast<std::size_t>(width)),
          squared_(static_cast<std::size_t>(width)) {}

    // Moves to row y; the edge rows up to y + radius are known.
    void advance(const EdgeRows &edges, A_long y, A_long firstRow) {
        const bool first = y == firstRow;
        for (A_long x = 0; x < width_; ++x) {
            if (edges.has(x, y))
                above_[x] = 0;
            else if (!first && above_[x] <= radius_)
                above_[x] += 1;
            if (first || below_[x] == y - 1) below_[x] = nextEdgeBelow(edges, x, y, y);
        }
        // The row entering the window.
        const A_long entering = y + radius_;
        const BitWord *bits = edges.row(entering);
        for (A_long w = 0; w < edges.words(); ++w)
            forEachBit(bits[w], w, [&](A_long x) {
                if (x < width_ && below_[x] == NONE) below_[x] = entering;
            });
    }

    // Squared distances of row y, pixel by pixel.
    const std::vector<std::int64_t> &row(A_long y) {
        const std::int64_t big =
            4 * static_cast<std::int64_t>(far_) * far_ + static_cast<std::int64_t>(width_) * width_;
        for (A_long x = 0; x < width_; ++x) {
            A_long g = above_[x];
            if (below_[x] != NONE) g = std::min(g, below_[x] - y);
            g2_[x] = g <= radius_ ? static_cast<std::int64_t>(g) * g : big;
        }
        lowerEnvelope();
        return squared_;
    }

  private:
    static constexpr A_long NONE = -1;

    // The first edge in column x at rows from..y + radius, or NONE.
    A_long nextEdgeBelow(const EdgeRows &edges, A_long x, A_long from, A_long y) const {
        for (A_long r = from; r <= y + radius_; ++r)
            if (edges.has(x, r)) return r;
        return NONE;
    }

    std::int64_t parabola(A_long x, A_long i) const {
        const std::int64_t d = x - i;
        return d * d + g2_[i];
    }
    // The first column from which parabola u lies below parabola i (i < u).
    std::int64_t separation(A_long i, A_long u) const {
        const std::int64_t num =
            static_cast<std::int64_t>(u) * u - static_cast<std::int64_t>(i) * i + g2_[u] - g2_[i];
        const std::int64_t den = 2 * static_cast<std::int64_t>(u - i);
        // Floor division; num may be negative. In 32 bits, several times as
        // fast, whenever the operands fit (frames up to some 20000 wide).
        constexpr std::int64_t FITS = std::int64_t{1} << 30;
        if (num > -FITS && num < FITS && den < FITS) {
            const std::int32_t n = static_cast<std::int32_t>(num);
            const std::int32_t d = static_cast<std::int32_t>(den);
            return n >= 0 ? n / d : -((-n + d - 1) / d);
        }
        return num >= 0 ? num / den : -((-num + den - 1) / den);
    }

    void lowerEnvelope() {
        A_long q = 0;
        sites_[0] = 0;
        starts_[0] = 0;
        for (A_long u = 1; u < width_; ++u) {
            while (q >= 0 && parabola(starts_[q], sites_[q]) > parabola(starts_[q], u)) --q;
            if (q < 0) {
                q = 0;
                sites_[0] = u;
            } else {
                const std::int64_t start = 1 + separation(sites_[q], u);
                if (start < width_) {
                    ++q;
                    sites_[q] = u;
                    starts_[q] = static_cast<A_long>(start);
                }
            }
        }
        for (A_long u = width_ - 1; u >= 0; --u) {
            squared_[u] = parabola(u, sites_[q]);
            if (u == starts_[q]) --q;
        }
    }

    A_long width_;
    A_long radius_;
    A_long far_;
    std::vector<A_long> above_;  // rows up to the nearest edge at or above (radius + 1: none)
    std::vector<A_long> below_;  // row of the nearest edge at or below within the radius
    std::vector<std::int64_t> g2_;
    std::vector<A_long> sites_;
    std::vector<A_long> starts_;
    std::vector<std::int64_t> squared_;
};

// The feather's sweep: the rows it marks and the rows it writes.
struct SweptRows {
    A_long markRight;   // the swept area's last column, from the frame's width
    A_long sweptFirst;  // the swept rows
    A_long sweptLast;
    A_long first;  // the rows a stamp reaches, which are written
    A_long last;
};

SweptRows sweptRowsOf(const PF_LayerDef &frame, const FillLimitsArray &limits, A_long radius) {
    SweptRows r;
    r.markRight = frame.width - 2;
    r.sweptFirst = std::max<A_long>(limits.firstRow, 1);
    r.sweptLast = std::min({frame.height - 2, limits.lastRow, FILL_LIMITS_MAX_ROWS - 1});
    // Stamps reach the radius around the swept rows; rows 0 and beyond the
    // frame are never written.
    r.first = std::max<A_long>(1, r.sweptFirst - radius);
    r.last = std::min(frame.height - 1, r.sweptLast + radius);
    return r;
}

// The edge bits of rows: full blue pixels with a 4-neighbour of another
// blue, 64 at a time, from the blue of the row and the rows beside it as
// they are when it is marked.
class EdgeMarker {
  public:
    EdgeMarker(const PF_LayerDef &frame, const BlueBits &blue, const FillLimitsArray &limits,
               const SweptRows &rows)
        : limits_(limits), rows_(rows), words_(bitWordsFor(frame.width)), blue_(blue) {}

    // The planes of row y (EdgeRows' layout).
    void mark(A_long y, BitWord *planes) {
        BitWord *bits = planes + EDGE * words_;
        BitWord *full = planes + FULL_BLUE * words_;
        std::fill(planes, planes + EDGE_PLANES * words_, 0);
        if (y < rows_.sweptFirst || y > rows_.sweptLast) return;
        const A_long left = std::max<A_long>(limits_.left[y], 1);
        const A_long right = std::min(rows_.markRight, limits_.right[y]);
        if (left > right) return;
        const A_long first = left / BITS_PER_WORD, last = right / BITS_PER_WORD;
        const BitWord *above = blue_.fullRow(y - 1);
        const BitWord *below = blue_.fullRow(y + 1);
        const A_long hereFirst = std::max<A_long>(0, first - 1);
        const A_long hereLast = std::min(words_ - 1, last + 1);
        const BitWord *here = blue_.fullRow(y);
        std::copy(here + hereFirst, here + hereLast + 1, full + hereFirst);
        for (A_long w = first; w <= last; ++w) {
            const BitWord fromLeft = (here[w] << 1) | (w > 0 ? here[w - 1] >> 63 : 0);
            const BitWord fromRight = (here[w] >> 1) | (w + 1 < words_ ? here[w + 1] << 63 : 0);
            bits[w] = here[w] & ~(fromLeft & fromRight & above[w] & below[w]) &
                      columnBits(w, left, right);
        }
    }

  private:
    const FillLimitsArray &limits_;
    SweptRows rows_;
    A_long words_;
    // Full blue as it was before the stage: marking reads each row before
    // the writing reaches it.
    const BlueBits &blue_;
};

// The edge rows around the edge between two bands of rows worked on at once,
// marked before either band writes: a band's marks there read the other
// band's rows, which it may be writing. Rows edge - radius .. edge + radius - 1
// are all the marks of either band that read a row of the other.
struct BandEdgeMarks {
    A_long firstRow = 0;
    A_long rows = 0;
    A_long words = 0;
    std::vector<BitWord> bits;

    bool holds(A_long y) const { return y >= firstRow && y < firstRow + rows; }
    // Both planes of row y, as EdgeRows holds them.
    const BitWord *planes(A_long y) const {
        return bits.data() + static_cast<std::size_t>(y - firstRow) * EDGE_PLANES * words;
    }
};

BandEdgeMarks marksAroundBandEdge(const PF_LayerDef &frame, const BlueBits &blue,
                                  const FillLimitsArray &limits, const SweptRows &swept,
                                  A_long radius, A_long edge) {
    BandEdgeMarks m;
    m.firstRow = std::max(swept.first, edge - radius);
    m.rows = std::max<A_long>(0, edge + radius - m.firstRow);
    m.words = bitWordsFor(frame.width);
    m.bits.assign(static_cast<std::size_t>(m.rows) * EDGE_PLANES * m.words, 0);
    EdgeMarker marker(frame, blue, limits, swept);
    for (A_long y = m.firstRow; y < m.firstRow + m.rows; ++y)
        marker.mark(
            y, m.bits.data() + static_cast<std::size_t>(y - m.firstRow) * EDGE_PLANES * m.words);
    return m;
}

class Feather {
  public:
    // above, below: the marks around the band's edges with the bands
    // beside it (null where there is none).
    Feather(const PF_LayerDef &redMask, const PF_LayerDef &frame, BlueBits &blue,
            const FillLimitsArray &limits, const FloatBlurPlotKernel &kernel,
            const SweptRows &swept, const BandEdgeMarks *above, const BandEdgeMarks *below)
        : mask_(redMask),
          frame_(frame),
          radius_(kernel.radius),
          swept_(swept),
          sweptFirst_(swept.sweptFirst),
          sweptLast_(swept.sweptLast),
          above_(above),
          below_(below),
          edges_(frame.width, kernel.radius),
          marker_(frame, blue, limits, swept),
          blue_(blue),
          onlyFillWritten_(blue.onlyFillWritten),
          best_(static_cast<std::size_t>(frame.width), NO_STAMP),
          near_(static_cast<std::size_t>(radius_ + 1) * edges_.words()) {
        // The stamp for each squared distance below (radius + 1)^2.
        const A_long r = radius_;
        byDistance_.assign(static_cast<std::size_t>((r + 1) * (r + 1)), NO_STAMP);
        for (A_long dy = 0; dy <= r; ++dy)
            for (A_long dx = 0; dx <= r; ++dx)
                if (dx * dx + dy * dy < (r + 1) * (r + 1)) {
                    byDistance_[dx * dx + dy * dy] = stampValue(kernel, dx, dy);
                    offsets_.push_back(Offset{dx, dy, stampValue(kernel, dx, dy)});
                }
        std::stable_sort(offsets_.begin(), offsets_.end(), [](const Offset &a, const Offset &b) {
            return a.dx * a.dx + a.dy * a.dy < b.dx * b.dx + b.dy * b.dy;
        });
    }

    // Writes rows bandFirst..bandEnd - 1. The edges of the radius of rows
    // above the band are marked (and taken into the distances) first.
    void run(A_long bandFirst, A_long bandEnd) {
        const A_long start = std::max(swept_.first, bandFirst - radius_);
        std::unique_ptr<EdgeDistance> distance;
        if (radius_ >= DISTANCE_FROM_RADIUS)
            distance = std::make_unique<EdgeDistance>(frame_.width, radius_);
        A_long marked = start - 1;
        for (A_long y = start; y < bandEnd; ++y) {
            // Marking reads the blue of a row's neighbours before any of them
            // is written: it stays ahead of the writing by the radius.
            while (marked < y + radius_) markRow(++marked);
            if (distance) distance->advance(edges_, y, start);
            if (y < bandFirst) continue;
            if (!distance) {
                writeNearEdges(y);
                continue;
            }
            const Reach reach = edgeColumnsNear(y);
            if (reach.first > reach.last) continue;  // no stamp reaches this row
            bestFromDistance(distance->row(y), reach);
            writeRow(y, reach);
        }
    }

  private:
    // The edge bits of row y: marked before the band started where they
    // read another band's rows, else now.
    void markRow(A_long y) {
        BitWord *planes = edges_.planes(y);
        const BandEdgeMarks *early = above_ && above_->holds(y)   ? above_
                                     : below_ && below_->holds(y) ? below_
                                                                  : nullptr;
        if (early)
            std::copy_n(early->planes(y), EDGE_PLANES * edges_.words(), planes);
        else
            marker_.mark(y, planes);
        edges_.noteExtent(y);
    }

    // The columns of the row a stamp can reach.
    struct Reach {
        A_long first;
        A_long last;
    };

    // The edges of the rows within the radius of row y: none means no stamp
    // reaches the row.
    Reach edgeColumnsNear(A_long y) const {
        Reach reach{frame_.width, -1};
        for (A_long cy = std::max(y - radius_, sweptFirst_);
             cy <= std::min(y + radius_, sweptLast_); ++cy) {
            const EdgeRows::Extent &e = edges_.extent(cy);
            reach.first = std::min(reach.first, e.first);
            reach.last = std::max(reach.last, e.last);
        }
        return Reach{std::max<A_long>(1, reach.first - radius_),
                     std::min(frame_.width - 1, reach.last + radius_)};
    }

    void bestFromDistance(const std::vector<std::int64_t> &squared, const Reach &reach) {
        const std::int64_t within = static_cast<std::int64_t>(byDistance_.size());
        for (A_long x = reach.first; x <= reach.last; ++x) {
            const std::int64_t s = squared[x];
            best_[x] = s < within ? byDistance_[s] : NO_STAMP;
        }
    }

    // Whether some edge pixel's square reaches (x, y).
    bool stampReaches(A_long x, A_long y) const {
        for (A_long cy = std::max(y - radius_, sweptFirst_);
             cy <= std::min(y + radius_, sweptLast_); ++cy)
            for (A_long cx = std::max<A_long>(0, x - radius_);
                 cx <= std::min(frame_.width - 1, x + radius_); ++cx)
                if (edges_.has(cx, cy)) return true;
        return false;
    }

    void writeRow(A_long y, const Reach &reach) {
        PF_Pixel16 *row = getPixel16(mask_, 0, y);
        for (A_long x = reach.first; x <= reach.last; ++x) {
            const A_u_short blue = blueAt(row, x, y);
            // A stamp moves blue only when it is higher; above full scale a
            // reached pixel is brought down to it.
            if (blue > FULL_SCALE) {
                if (stampReaches(x, y)) row[x].blue = FULL_SCALE;
            } else if (best_[x] > static_cast<float>(blue)) {
                setBlue(row, x, y, roundedBlue(stampedBlue(static_cast<float>(blue), best_[x])));
            }
        }
    }

    // Blue at (x, y): 0 off the fill plane when only the fill pixels were
    // written (their memory holds anything).
    A_u_short blueAt(const PF_Pixel16 *row, A_long x, A_long y) const {
        if (onlyFillWritten_ && !blue_.isFill(x, y)) return 0;
        return row[x].blue;
    }

    // A pixel a stamp may make a fill pixel goes into the fill plane (only
    // this band writes row y's words); one that was not written before is
    // written whole.
    void setBlue(PF_Pixel16 *row, A_long x, A_long y, A_u_short blue) {
        if (onlyFillWritten_ && !blue_.isFill(x, y))
            row[x] = PF_Pixel16{0, 0, 0, blue};
        else
            row[x].blue = blue;
        if (blue != 0) blue_.fillRow(y)[x / BITS_PER_WORD] |= BitWord{1} << (x % BITS_PER_WORD);
    }

    // A stamp's effect on one pixel: blue is raised to the stamp when that is
    // higher; blue above full scale comes down to it.
    void stampPixel(PF_Pixel16 *row, A_long x, A_long y, float stamp) {
        const A_u_short blue = blueAt(row, x, y);
        if (blue > FULL_SCALE)
            row[x].blue = FULL_SCALE;
        else if (stamp > static_cast<float>(blue))
            setBlue(row, x, y, roundedBlue(stampedBlue(static_cast<float>(blue), stamp)));
    }

    // For k = 0..radius, the columns with an edge pixel at most k rows from
    // row y; false when no edge is that near.
    bool gatherNearRows(A_long y) {
        const A_long words = edges_.words();
        BitWord *near = near_.data();
        std::fill(near, near + words, 0);
        if (y >= sweptFirst_ && y <= sweptLast_) std::copy_n(edges_.row(y), words, near);
        for (A_long k = 1; k <= radius_; ++k) {
            BitWord *at = near + k * words;
            std::copy_n(at - words, words, at);
            for (A_long cy : {y - k, y + k}) {
                if (cy < sweptFirst_ || cy > sweptLast_) continue;
                const BitWord *bits = edges_.row(cy);
                for (A_long w = 0; w < words; ++w) at[w] |= bits[w];
            }
        }
        const BitWord *all = near + radius_ * words;
        return std::any_of(all, all + words, [](BitWord w) { return w != 0; });
    }

    // Bits of word w of a row moved d (0..63) columns right, and left.
    static BitWord movedRight(const BitWord *row, A_long w, A_long d) {
        return d == 0 ? row[w] : (row[w] << d) | (w > 0 ? row[w - 1] >> (64 - d) : 0);
    }
    static BitWord movedLeft(const BitWord *row, A_long w, A_long d, A_long words) {
        return d == 0 ? row[w] : (row[w] >> d) | (w + 1 < words ? row[w + 1] << (64 - d) : 0);
    }

    // Row y on the small radii. A pixel's highest stamp is that of its
    // nearest edge pixel: the offsets are tried nearest first, 64 pixels at a
    // time, and each pixel takes the first that reaches it. Full blue pixels
    // stay as they are and are passed by.
    void writeNearEdges(A_long y) {
        if (!gatherNearRows(y)) return;
        const A_long words = edges_.words();
        const BitWord *full = edges_.row(y, FULL_BLUE);
        PF_Pixel16 *row = getPixel16(mask_, 0, y);
        const BitWord *reach = near_.data() + radius_ * words;
        // The square of the stamp reaches beyond its circle from radius 3 on:
        // blue above full scale there still comes down.
        const bool corners = 2 * radius_ * radius_ >= (radius_ + 1) * (radius_ + 1);
        for (A_long w = 0; w < words; ++w) {
            if (reach[w] == 0 && (w == 0 || reach[w - 1] == 0) &&
                (w + 1 == words || reach[w + 1] == 0))
                continue;
            BitWord left = columnBits(w, 1, frame_.width - 1) & ~full[w];
            for (const Offset &o : offsets_) {
                if (left == 0) break;
                const BitWord *near = near_.data() + o.dy * words;
                const BitWord hit =
                    left & (movedRight(near, w, o.dx) | movedLeft(near, w, o.dx, words));
                if (hit == 0) continue;
                forEachBit(hit, w, [&](A_long x) { stampPixel(row, x, y, o.stamp); });
                left &= ~hit;
            }
            if (!corners || left == 0) continue;
            BitWord square = 0;
            for (A_long d = 0; d <= radius_; ++d)
                square |= movedRight(reach, w, d) | movedLeft(reach, w, d, words);
            forEachBit(left & square, w, [&](A_long x) {
                if (blueAt(row, x, y) > FULL_SCALE) row[x].blue = FULL_SCALE;
            });
        }
    }

    // An offset from an edge pixel within the stamp's circle (dx, dy >= 0
    // standing for all four signs), with its stamp.
    struct Offset {
        A_long dx;
        A_long dy;
        float stamp;
    };

    const PF_LayerDef &mask_;
    PF_LayerDef frame_;
    A_long radius_;
    SweptRows swept_;
    A_long sweptFirst_;
    A_long sweptLast_;
    const BandEdgeMarks *above_;
    const BandEdgeMarks *below_;
    EdgeRows edges_;
    EdgeMarker marker_;
    BlueBits &blue_;  // its fill plane follows the blue written
    bool onlyFillWritten_;
    std::vector<float> best_;
    std::vector<float> byDistance_;
    std::vector<Offset> offsets_;  // nearest first (small radii)
    std::vector<BitWord> near_;    // per k: columns with an edge within k rows (small radii)
};

}  // namespace

void blur_FromBlueAddOrSubtract(const PF_InData *in_data, const PF_LayerDef &redMask, A_long width,
                                A_long height, A_long /*lastRow*/, A_long featherRadius,
                                const FillLimitsArray &limits, RowThreads threads, BlueBits *blue) {
    if (featherRadius <= 0) return;
    // The record holds 40,402 weights: too large for the stack.
    auto kernel = std::make_unique<FloatBlurPlotKernel>();
    clearFloatBlurPlotKernel(*kernel);
    makeRadialPointBlurPlotKernel(in_data, *kernel, 2 * featherRadius + 1);
    const PF_LayerDef frame = frameView(redMask, width, height);
    const SweptRows swept = sweptRowsOf(frame, limits, kernel->radius);
    if (swept.sweptFirst > swept.sweptLast) return;
    BlueBits read;
    BlueBits &bits = givenOrRead(blue, read, frame, frame.width, frame.height, threads);
    // Each band of rows writes only its own rows. The marks near the edges
    // between bands are made before any band writes; the rest of a band's
    // marks read its own rows only, ahead of its writing.
    const A_long rows = swept.last - swept.first + 1;
    const int bands = rowBandCount(threads, rows);
    std::vector<A_long> bandEdges;
    for (int band = 1; band < bands; ++band)
        bandEdges.push_back(swept.first + rowBandStart(threads, rows, band));
    std::vector<BandEdgeMarks> edgeMarks(bandEdges.size());
    forEachRowBand(threads, static_cast<A_long>(bandEdges.size()), [&](A_long first, A_long end) {
        for (A_long i = first; i < end; ++i)
            edgeMarks[i] =
                marksAroundBandEdge(frame, bits, limits, swept, kernel->radius, bandEdges[i]);
    });
    auto marksAt = [&](A_long row) -> const BandEdgeMarks * {
        const auto at = std::find(bandEdges.begin(), bandEdges.end(), row);
        return at == bandEdges.end() ? nullptr : &edgeMarks[at - bandEdges.begin()];
    };
    forEachRowBand(threads, rows, [&](A_long first, A_long end) {
        Feather(redMask, frame, bits, limits, *kernel, swept, marksAt(swept.first + first),
                marksAt(swept.first + end))
            .run(swept.first + first, swept.first + end);
    });
}
