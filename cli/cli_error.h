// The one kind of failure the renderer reports to its user: a single line
// naming the file or option at fault. Every bad input ends in one of these.
#pragma once

#include <stdexcept>
#include <string>

// Exit codes: a usage error (unknown option, value out of range) and any
// other failure (files, the effect, the host).
inline constexpr int EXIT_USAGE_ERROR = 2;
inline constexpr int EXIT_RUN_ERROR = 1;

struct CliError : std::runtime_error {
    CliError(const std::string &message, int exitCode = EXIT_RUN_ERROR)
        : std::runtime_error(message), exitCode(exitCode) {}
    int exitCode;
};

// A mistake in the command line itself.
inline CliError usageError(const std::string &message) {
    return CliError(message, EXIT_USAGE_ERROR);
}
