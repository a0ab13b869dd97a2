// --contact-sheet: one image with a row per rendered frame (at most 8,
// spread over the run): the input, the repaired result and the Show info
// view side by side, each over a checkerboard so that holes show.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "api/effect_api.h"
#include "cli/image_file.h"

inline constexpr std::size_t CONTACT_SHEET_MAX_ROWS = 8;
// Panels wider than this are shrunk by a whole factor.
inline constexpr int CONTACT_SHEET_MAX_PANEL_WIDTH = 640;
inline constexpr int CONTACT_SHEET_GAP = 4;

// Every frame when there are at most maxRows, otherwise maxRows frames
// spread evenly from the first to the last.
std::vector<long> sample_ContactFrames(const std::vector<long> &frames, std::size_t maxRows);

// The smallest whole factor that brings width within maxWidth.
int contactShrinkFactor(int width, int maxWidth);

// One world (8 or 16-bit, straight alpha) over the checkerboard, shrunk by
// averaging factor x factor blocks; opaque 8-bit RGBA.
FileImage make_ContactPanel(const PF_LayerDef &world, int factor);

class ContactSheet {
  public:
    ContactSheet(const std::vector<long> &frames, int frameWidth, int frameHeight);

    bool wants(long frame) const;
    // Safe to call from any render thread.
    void addRow(long frame, const PF_LayerDef &input, const PF_LayerDef &result,
                const PF_LayerDef &info);
    // The sheet: rows in frame order, three panels each, on a dark ground.
    FileImage assemble() const;

  private:
    std::vector<long> sampled_;
    int factor_;
    int panelWidth_;
    int panelHeight_;
    std::map<long, std::vector<FileImage>> rows_;
    mutable std::mutex mutex_;
};
