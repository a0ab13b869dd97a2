// The standard streams as the renderer uses them. Started from cron or a
// farm agent, holvane may find descriptors 0, 1 or 2 closed: the next file
// it opens would take one of them, and a progress line or a library's
// message would be written into an output frame. And libraries that print
// their complaints straight to stderr (libpng) would put a second line
// beside the one-line error that already carries their reason.
#pragma once

#include <cstdio>

struct StandardStreams {
    // Where progress lines, notes and errors go: the process's stderr.
    std::FILE *diagnostics = stderr;
    // Standard output was closed at start (and is now /dev/null): figures
    // asked for there (--stats) could not be delivered.
    bool outputWasClosed = false;
};

// Call first thing in main(). Reopens closed descriptors 0, 1 and 2 on
// /dev/null, and points the C library's `stderr`, which libraries print to,
// at /dev/null; the returned diagnostics stream is the real stderr (and
// std::cerr stays on it).
StandardStreams prepare_StandardStreams();
