#include "support/keyed_frames.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double PI = 3.14159265358979323846;

// A small, fully specified generator, so frames are the same on every
// platform and standard library.
struct Rng {
    std::uint64_t state;

    std::uint32_t next() {
        state += 0x9E3779B97F4A7C15ull;
        std::uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<std::uint32_t>((z ^ (z >> 31)) >> 32);
    }
    double uniform() { return next() / 4294967296.0; }
    double between(double lo, double hi) { return lo + (hi - lo) * uniform(); }
};

// Per-pixel noise that depends on the position on the subject, so it moves
// with it from frame to frame.
double pixelNoise(A_long x, A_long y, std::uint32_t seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 0x8DA6B343u ^
                      static_cast<std::uint32_t>(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h / 4294967296.0;
}

double clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }

enum class MarkKind { ClearHole, Patch, Dust };

// A disc cut into (or, for dust, added to) the matte; positions are in
// pixels relative to the subject's centre.
struct Mark {
    MarkKind kind;
    double x;
    double y;
    double radius;
    double level;  // alpha inside a patch
    bool leaks;    // a clear hole with a narrow channel out of the subject
    double channelHalfWidth;
};

struct Speck {
    double x;
    double y;
    double alpha;
};

struct Layout {
    double radiusX;
    double radiusY;
    double softness;
    std::vector<Mark> marks;
    std::vector<Speck> specks;
};

// The outline wobbles so that the band is not a plain ellipse.
double wobble(double theta) {
    return 1.0 + 0.06 * std::sin(5.0 * theta) + 0.035 * std::sin(11.0 * theta + 1.3) +
           0.02 * std::sin(23.0 * theta + 0.4);
}

// Signed distance in pixels from the outline (positive inside), close enough
// for a soft edge.
double outlineDistance(const Layout &l, double dx, double dy) {
    const double ex = dx / l.radiusX;
    const double ey = dy / l.radiusY;
    const double theta = std::atan2(ey, ex);
    const double w = wobble(theta);
    const double rho = std::sqrt(ex * ex + ey * ey) / w;
    const double scale = std::hypot(l.radiusX * std::cos(theta), l.radiusY * std::sin(theta)) * w;
    return (1.0 - rho) * scale;
}

// A point inside the subject at the given share of the way to the outline.
void pointInside(const Layout &l, double share, double theta, double &x, double &y) {
    const double w = wobble(theta) * share;
    x = l.radiusX * w * std::cos(theta);
    y = l.radiusY * w * std::sin(theta);
}

Layout makeLayout(const KeyedFrameOptions &o) {
    Layout l;
    // An ellipse of pi * rx * ry ~ half the frame.
    l.radiusX = 0.36 * o.width;
    l.radiusY = 0.44 * o.height;
    l.softness = o.edgeSoftness > 0 ? o.edgeSoftness : std::max<A_long>(2, o.height / 60);
    Rng rng{o.seed * 0x100000001B3ull + 17};
    const double area = static_cast<double>(o.width) * o.height;
    const A_long holes = o.holeCount >= 0 ? o.holeCount : static_cast<A_long>(area / 8000.0);
    const double largest =
        o.largestHoleRadius > 0 ? o.largestHoleRadius : std::max(2.0, o.height / 20.0);
    for (A_long i = 0; i < holes; ++i) {
        Mark m{};
        const double pick = rng.uniform();
        m.kind = pick < 0.6 ? MarkKind::ClearHole : pick < 0.85 ? MarkKind::Patch : MarkKind::Dust;
        // Many small holes, a few large ones; dust stays small.
        const double u = rng.uniform();
        const double smallest = std::max<A_long>(1, o.smallestHoleRadius);
        m.radius = smallest + std::max(0.0, largest - smallest) * u * u * u;
        if (m.kind == MarkKind::Dust) m.radius = std::min(m.radius, 1.0 + largest / 8.0);
        const double theta = rng.between(-PI, PI);
        const double share =
            m.kind == MarkKind::Dust ? rng.between(1.08, 1.6) : std::sqrt(rng.uniform()) * 0.85;
        pointInside(l, share, theta, m.x, m.y);
        m.level = rng.between(0.15, 0.75);
        m.leaks = m.kind == MarkKind::ClearHole && share > 0.6 && rng.uniform() < 0.2;
        m.channelHalfWidth = rng.between(0.5, 1.4);
        l.marks.push_back(m);
    }
    // Isolated clear or solid pixels, mostly in the band and the patches.
    const A_long specks = static_cast<A_long>(area / 2000.0);
    for (A_long i = 0; i < specks; ++i) {
        double x, y;
        pointInside(l, rng.between(0.0, 1.02), rng.between(-PI, PI), x, y);
        l.specks.push_back(Speck{x, y, rng.uniform() < 0.5 ? 0.0 : 1.0});
    }
    return l;
}

double distanceToSegment(double px, double py, double ax, double ay, double bx, double by) {
    const double vx = bx - ax, vy = by - ay;
    const double t = clamp01(((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy));
    return std::hypot(px - ax - t * vx, py - ay - t * vy);
}

// The alpha plane, 0..1, subject centred at (cx, cy).
class AlphaPlane {
  public:
    AlphaPlane(A_long width, A_long height)
        : width_(width), height_(height), a_(static_cast<std::size_t>(width) * height) {}

    double &at(A_long x, A_long y) { return a_[static_cast<std::size_t>(y) * width_ + x]; }
    double at(A_long x, A_long y) const { return a_[static_cast<std::size_t>(y) * width_ + x]; }

    // Visits the pixels of a box around (x, y), clipped to the frame.
    template <typename Visit>
    void around(double x, double y, double reach, Visit visit) {
        const A_long x0 = std::max<A_long>(0, static_cast<A_long>(std::floor(x - reach)));
        const A_long x1 = std::min<A_long>(width_ - 1, static_cast<A_long>(std::ceil(x + reach)));
        const A_long y0 = std::max<A_long>(0, static_cast<A_long>(std::floor(y - reach)));
        const A_long y1 = std::min<A_long>(height_ - 1, static_cast<A_long>(std::ceil(y + reach)));
        for (A_long py = y0; py <= y1; ++py)
            for (A_long px = x0; px <= x1; ++px) visit(px, py, at(px, py));
    }

    A_long width() const { return width_; }
    A_long height() const { return height_; }

  private:
    A_long width_;
    A_long height_;
    std::vector<double> a_;
};

void paintSubject(AlphaPlane &plane, const Layout &l, double cx, double cy, std::uint32_t seed) {
    for (A_long y = 0; y < plane.height(); ++y) {
        for (A_long x = 0; x < plane.width(); ++x) {
            double a = clamp01(0.5 + outlineDistance(l, x - cx, y - cy) / l.softness);
            // A ragged fringe, as keyed hair and fur leave it.
            if (a > 0.0 && a < 1.0) {
                const double n = pixelNoise(static_cast<A_long>(std::lround(x - cx)),
                                            static_cast<A_long>(std::lround(y - cy)), seed);
                a = clamp01(a + (n - 0.5) * 0.35);
            }
            plane.at(x, y) = a;
        }
    }
}

void paintMark(AlphaPlane &plane, const Mark &m, double cx, double cy) {
    const double x = cx + m.x, y = cy + m.y;
    const double soft = std::max(1.0, m.radius / 3.0);
    if (m.kind == MarkKind::Patch) {
        plane.around(x, y, m.radius + soft, [&](A_long px, A_long py, double &a) {
            const double c = clamp01((m.radius - std::hypot(px - x, py - y)) / soft + 0.5);
            a = a * (1.0 - c) + std::min(a, m.level) * c;
        });
    } else if (m.kind == MarkKind::Dust) {
        plane.around(x, y, m.radius + soft, [&](A_long px, A_long py, double &a) {
            a = std::max(a, clamp01((m.radius - std::hypot(px - x, py - y)) / soft + 0.5));
        });
    } else {
        plane.around(x, y, m.radius + soft, [&](A_long px, A_long py, double &a) {
            a *= clamp01((std::hypot(px - x, py - y) - m.radius) / soft + 0.5);
        });
    }
}

// A narrow clear channel from a hole straight out of the subject: the pocket
// leaks until the gap bridging closes it.
void paintChannel(AlphaPlane &plane, const Layout &l, const Mark &m, double cx, double cy) {
    const double length = std::hypot(m.x / l.radiusX, m.y / l.radiusY);
    const double reach = 1.25 / std::max(length, 1e-6);
    const double ax = cx + m.x, ay = cy + m.y;
    const double bx = cx + m.x * reach, by = cy + m.y * reach;
    const double ramp = 1.5;
    const double margin = m.channelHalfWidth + ramp + 1.0;
    const A_long x0 = std::max<A_long>(0, static_cast<A_long>(std::min(ax, bx) - margin));
    const A_long x1 =
        std::min<A_long>(plane.width() - 1, static_cast<A_long>(std::max(ax, bx) + margin));
    const A_long y0 = std::max<A_long>(0, static_cast<A_long>(std::min(ay, by) - margin));
    const A_long y1 =
        std::min<A_long>(plane.height() - 1, static_cast<A_long>(std::max(ay, by) + margin));
    for (A_long py = y0; py <= y1; ++py)
        for (A_long px = x0; px <= x1; ++px)
            plane.at(px, py) *=
                clamp01((distanceToSegment(px, py, ax, ay, bx, by) - m.channelHalfWidth) / ramp);
}

// Background: a green screen with noise; subject: a smooth texture. Partly
// transparent pixels carry some of the screen's colour, as keyed edges do.
void colourPixel(double a, A_long x, A_long y, double cx, double cy, std::uint32_t seed,
                 double rgb[3]) {
    const double sx = x - cx, sy = y - cy;
    const double n = pixelNoise(x, y, seed ^ 0x55u) - 0.5;
    const double screen[3] = {0.12 + 0.05 * n, 0.72 + 0.08 * n, 0.22 + 0.05 * n};
    const double subject[3] = {0.55 + 0.35 * std::sin(sx / 37.0 + sy / 91.0),
                               0.45 + 0.30 * std::sin(sx / 53.0 - sy / 29.0 + 1.0),
                               0.40 + 0.30 * std::cos(sx / 71.0 + sy / 43.0)};
    for (int c = 0; c < 3; ++c) rgb[c] = clamp01(subject[c] * a + screen[c] * (1.0 - a));
}

void storePixels(const AlphaPlane &plane, OwnedWorld &world, double cx, double cy,
                 std::uint32_t seed) {
    for (A_long y = 0; y < world.height(); ++y) {
        for (A_long x = 0; x < world.width(); ++x) {
            const double a = plane.at(x, y);
            double rgb[3];
            colourPixel(a, x, y, cx, cy, seed, rgb);
            if (world.deep()) {
                auto q = [](double v) { return static_cast<A_u_short>(std::lround(v * 32768.0)); };
                *world.pixel16(x, y) = PF_Pixel16{q(a), q(rgb[0]), q(rgb[1]), q(rgb[2])};
            } else {
                auto q = [](double v) { return static_cast<A_u_char>(std::lround(v * 255.0)); };
                *world.pixel8(x, y) = PF_Pixel{q(a), q(rgb[0]), q(rgb[1]), q(rgb[2])};
            }
        }
    }
}

}  // namespace

OwnedWorld makeKeyedFrame(const KeyedFrameOptions &o) {
    const Layout layout = makeLayout(o);
    const double cx = o.width / 2.0 + o.shiftX;
    const double cy = o.height / 2.0 + o.shiftY;
    AlphaPlane plane(o.width, o.height);
    paintSubject(plane, layout, cx, cy, o.seed);
    for (const Mark &m : layout.marks) paintMark(plane, m, cx, cy);
    for (const Mark &m : layout.marks)
        if (m.leaks) paintChannel(plane, layout, m, cx, cy);
    for (const Speck &s : layout.specks) {
        const A_long x = static_cast<A_long>(std::lround(cx + s.x));
        const A_long y = static_cast<A_long>(std::lround(cy + s.y));
        if (x >= 0 && x < o.width && y >= 0 && y < o.height) plane.at(x, y) = s.alpha;
    }
    OwnedWorld world(o.width, o.height, o.depth);
    storePixels(plane, world, cx, cy, o.seed);
    return world;
}

KeyedFrameOptions neighbourFrame(const KeyedFrameOptions &current, A_long offset) {
    KeyedFrameOptions o = current;
    // About two pixels a frame at 1920 x 1080, at least one at any size.
    o.shiftX += offset * std::max<A_long>(1, current.width / 960);
    o.shiftY -= offset * std::max<A_long>(1, current.height / 1080);
    return o;
}
