#include "cli/contact_sheet.h"

#include <algorithm>

namespace {

constexpr int CHECKER_SIZE = 8;
constexpr float CHECKER_LIGHT = 0.60f;
constexpr float CHECKER_DARK = 0.40f;
constexpr std::uint8_t SHEET_GROUND = 32;
constexpr int PANELS_PER_ROW = 3;

// One pixel's straight colour and alpha on 0..1.
void readUnit(const PF_LayerDef &world, int x, int y, float rgba[4]) {
    const char *row =
        reinterpret_cast<const char *>(world.data) + std::ptrdiff_t(y) * world.rowbytes;
    if ((world.world_flags & PF_WorldFlag_DEEP) != 0) {
        const PF_Pixel16 p = reinterpret_cast<const PF_Pixel16 *>(row)[x];
        const std::uint16_t c[4] = {p.red, p.green, p.blue, p.alpha};
        for (int k = 0; k < 4; ++k) rgba[k] = std::min<std::uint16_t>(c[k], 32768) / 32768.0f;
    } else {
        const PF_Pixel p = reinterpret_cast<const PF_Pixel *>(row)[x];
        const std::uint8_t c[4] = {p.red, p.green, p.blue, p.alpha};
        for (int k = 0; k < 4; ++k) rgba[k] = c[k] / 255.0f;
    }
}

// Straight colour over the checkerboard at (x, y) of the full-size frame.
void overChecker(const float rgba[4], int x, int y, float out[3]) {
    const bool light = ((x / CHECKER_SIZE) + (y / CHECKER_SIZE)) % 2 == 0;
    const float ground = light ? CHECKER_LIGHT : CHECKER_DARK;
    for (int k = 0; k < 3; ++k) out[k] = rgba[k] * rgba[3] + ground * (1.0f - rgba[3]);
}

void pastePanel(FileImage &sheet, const FileImage &panel, int left, int top) {
    for (int y = 0; y < panel.height; ++y) {
        const std::size_t from = std::size_t(y) * panel.width * 4;
        const std::size_t to = (std::size_t(top + y) * sheet.width + left) * 4;
        std::copy(panel.u8.begin() + from, panel.u8.begin() + from + panel.width * 4,
                  sheet.u8.begin() + to);
    }
}

}  // namespace

std::vector<long> sample_ContactFrames(const std::vector<long> &frames, std::size_t maxRows) {
    if (frames.size() <= maxRows) return frames;
    std::vector<long> sampled;
    for (std::size_t i = 0; i < maxRows; ++i) {
        sampled.push_back(frames[i * (frames.size() - 1) / (maxRows - 1)]);
    }
    return sampled;
}

int contactShrinkFactor(int width, int maxWidth) {
    return std::max(1, (width + maxWidth - 1) / maxWidth);
}

FileImage make_ContactPanel(const PF_LayerDef &world, int factor) {
    FileImage panel = make_FileImage(std::max(1, world.width / factor),
                                     std::max(1, world.height / factor), SampleDepth::Eight);
    for (int py = 0; py < panel.height; ++py) {
        for (int px = 0; px < panel.width; ++px) {
            float sum[3] = {0.0f, 0.0f, 0.0f};
            int count = 0;
            for (int y = py * factor; y < std::min(world.height, (py + 1) * factor); ++y) {
                for (int x = px * factor; x < std::min(world.width, (px + 1) * factor); ++x) {
                    float rgba[4], shown[3];
                    readUnit(world, x, y, rgba);
                    overChecker(rgba, x, y, shown);
                    for (int k = 0; k < 3; ++k) sum[k] += shown[k];
                    ++count;
                }
            }
            const std::size_t i = (std::size_t(py) * panel.width + px) * 4;
            for (int k = 0; k < 3; ++k) {
                panel.u8[i + k] =
                    static_cast<std::uint8_t>(sum[k] / std::max(count, 1) * 255.0f + 0.5f);
            }
            panel.u8[i + 3] = 255;
        }
    }
    return panel;
}

ContactSheet::ContactSheet(const std::vector<long> &frames, int frameWidth, int frameHeight)
    : sampled_(sample_ContactFrames(frames, CONTACT_SHEET_MAX_ROWS)),
      factor_(contactShrinkFactor(frameWidth, CONTACT_SHEET_MAX_PANEL_WIDTH)),
      panelWidth_(std::max(1, frameWidth / factor_)),
      panelHeight_(std::max(1, frameHeight / factor_)) {}

bool ContactSheet::wants(long frame) const {
    return std::find(sampled_.begin(), sampled_.end(), frame) != sampled_.end();
}

void ContactSheet::addRow(long frame, const PF_LayerDef &input, const PF_LayerDef &result,
                          const PF_LayerDef &info) {
    std::vector<FileImage> panels;
    for (const PF_LayerDef *world : {&input, &result, &info}) {
        panels.push_back(make_ContactPanel(*world, factor_));
    }
    std::lock_guard<std::mutex> lock(mutex_);
    rows_[frame] = std::move(panels);
}

FileImage ContactSheet::assemble() const {
    std::lock_guard<std::mutex> lock(mutex_);
    const int rows = static_cast<int>(std::max<std::size_t>(rows_.size(), 1));
    FileImage sheet = make_FileImage(
        PANELS_PER_ROW * (panelWidth_ + CONTACT_SHEET_GAP) + CONTACT_SHEET_GAP,
        rows * (panelHeight_ + CONTACT_SHEET_GAP) + CONTACT_SHEET_GAP, SampleDepth::Eight);
    for (std::size_t i = 0; i < sheet.u8.size(); ++i)
        sheet.u8[i] = (i % 4 == 3) ? 255 : SHEET_GROUND;
    int row = 0;
    for (const auto &entry : rows_) {
        const int top = CONTACT_SHEET_GAP + row * (panelHeight_ + CONTACT_SHEET_GAP);
        for (int column = 0; column < PANELS_PER_ROW; ++column) {
            const int left = CONTACT_SHEET_GAP + column * (panelWidth_ + CONTACT_SHEET_GAP);
            pastePanel(sheet, entry.second[column], left, top);
        }
        ++row;
    }
    return sheet;
}
