// --stats: the time spent inside the render command per frame.
#pragma once

#include <string>
#include <vector>

// The middle value; for an even count, the mean of the two middle ones.
double medianOf(std::vector<double> values);

// "render per frame: min 10.21 ms, median 11.02 ms, max 13.50 ms (40 frames, 480 x 270)"
std::string format_RenderStats(const std::vector<double> &milliseconds, int width, int height);
