// Some stages keep marks in the red mask beyond their result: scratch marks in
// its alpha (the gap bridging, grow and shrink, the feather) or, for the edge
// multiplier, red cleared over the whole world first. The stage functions
// write them as specified; the render asks for its own path, which leaves
// them out where nothing after the stage reads them, or where the render's
// mask already holds them (each stage says which).
#pragma once

enum class MaskMarks { Written, LeftOut };
