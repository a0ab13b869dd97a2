// What a command left behind, and the clean-up after it.
#include <sstream>

#include "host/host_state.h"

bool CommandReport::clean() const {
    return worldsLeft == 0 && checkoutsLeft == 0 && handlesLeft == 0 && suitesLeft.empty() &&
           unknownWorldDisposals == 0 && unmatchedReleases == 0 && unknownCheckins == 0 &&
           unknownHandleDisposals == 0 && badEffectRefs == 0 && truncatedTexts == 0 &&
           !exceptionEscaped;
}

std::string CommandReport::describe() const {
    std::ostringstream text;
    text << "command " << cmd << " returned " << err << "\n";
    auto line = [&text](int count, const char *what) {
        if (count != 0) text << "  " << count << " " << what << "\n";
    };
    line(worldsLeft, "world(s) not disposed");
    line(checkoutsLeft, "layer(s) not checked in");
    line(handlesLeft, "handle(s) not disposed");
    for (const auto &suite : suitesLeft)
        text << "  suite " << suite.first << " acquired " << suite.second
             << " more time(s) than released\n";
    line(unknownWorldDisposals, "disposal(s) of a world the host does not hold");
    line(unmatchedReleases, "release(s) of a suite not acquired");
    line(unknownCheckins, "checkin(s) of a layer not checked out");
    line(unknownHandleDisposals, "disposal(s) of an unknown handle");
    line(badEffectRefs, "callback(s) with a foreign effect_ref");
    line(truncatedTexts, "text(s) cut at the message size");
    if (exceptionEscaped) text << "  an exception left the entry point\n";
    return text.str();
}

void finishReport(HostState &host, PF_Cmd cmd, PF_Err err) {
    CommandReport &report = host.report;
    report.cmd = cmd;
    report.err = err;
    report.worldsLeft = int(host.worlds.size());
    report.checkoutsLeft = int(host.checkedOut.size());
    report.handlesLeft = int(host.handles.size());
    report.suitesLeft = host.suiteCounts;
}

// The host takes back whatever the effect kept, as a real host does when an
// effect instance goes away, so one faulty command does not taint the next.
void reclaimLeftovers(HostState &host) {
    host.worlds.clear();
    host.checkedOut.clear();
    host.handles.clear();
    host.suiteCounts.clear();
    host.renderInput = nullptr;
}
