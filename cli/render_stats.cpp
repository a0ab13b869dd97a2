#include "cli/render_stats.h"

#include <algorithm>
#include <cstdio>

double medianOf(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    if (values.size() % 2 == 1) return values[middle];
    return (values[middle - 1] + values[middle]) / 2.0;
}

std::string format_RenderStats(const std::vector<double> &milliseconds, int width, int height) {
    if (milliseconds.empty()) return "render per frame: no frames rendered";
    const auto [low, high] = std::minmax_element(milliseconds.begin(), milliseconds.end());
    char text[192];
    std::snprintf(text, sizeof text,
                  "render per frame: min %.2f ms, median %.2f ms, max %.2f ms (%zu frame%s, "
                  "%d x %d)",
                  *low, medianOf(milliseconds), *high, milliseconds.size(),
                  milliseconds.size() == 1 ? "" : "s", width, height);
    return text;
}
