#include "cli/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace {

bool isClosed(int descriptor) { return ::fcntl(descriptor, F_GETFD) == -1 && errno == EBADF; }

// open() returns the lowest free descriptor, so reopening 0, 1, 2 in order
// puts each closed one back in its own place.
void reopenOnDevNull(int descriptor) {
    const int opened = ::open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != descriptor) {
        ::dup2(opened, descriptor);
        ::close(opened);
    }
}

}  // namespace

StandardStreams prepare_StandardStreams() {
    StandardStreams streams;
    for (int descriptor : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (!isClosed(descriptor)) continue;
        reopenOnDevNull(descriptor);
        if (descriptor == STDOUT_FILENO) streams.outputWasClosed = true;
    }
    streams.diagnostics = stderr;
    if (std::FILE *nowhere = std::fopen("/dev/null", "w")) stderr = nowhere;
    return streams;
}
