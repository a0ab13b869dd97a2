#include "tests/windows/driver/pam_image.h"

#include <fstream>
#include <sstream>

namespace {

constexpr int kMaxSide = PF_MAX_WORLD_WIDTH;

struct PamHeader {
    int width = -1, height = -1, depth = -1;
    long maxval = -1;
    std::string tupleType;
};

// Reads "KEY value" lines up to ENDHDR; the file position is left on the
// first sample byte.
bool readHeader(std::istream &in, PamHeader &header, std::string &error) {
    std::string line;
    if (!std::getline(in, line) || line != "P7") {
        error = "not a PAM file (no P7 line)";
        return false;
    }
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "ENDHDR") return true;
        if (key == "WIDTH")
            fields >> header.width;
        else if (key == "HEIGHT")
            fields >> header.height;
        else if (key == "DEPTH")
            fields >> header.depth;
        else if (key == "MAXVAL")
            fields >> header.maxval;
        else if (key == "TUPLTYPE")
            fields >> header.tupleType;
        else {
            error = "unknown PAM header line: " + line;
            return false;
        }
    }
    error = "PAM header has no ENDHDR";
    return false;
}

bool checkHeader(const PamHeader &header, std::string &error) {
    if (header.width <= 0 || header.height <= 0 || header.width > kMaxSide ||
        header.height > kMaxSide)
        error = "PAM size out of range";
    else if (header.depth != 4 || header.tupleType != "RGB_ALPHA")
        error = "PAM must be RGB_ALPHA with depth 4";
    else if (header.maxval != long(kPam8BitMaxval) && header.maxval != long(kPam16BitMaxval))
        error = "PAM maxval must be 255 or 32768";
    return error.empty();
}

}  // namespace

PamImage makePamImage(int width, int height, unsigned maxval) {
    PamImage image;
    image.width = width;
    image.height = height;
    image.maxval = maxval;
    image.samples.assign(std::size_t(width) * height * 4, 0);
    return image;
}

bool readPam(const std::string &path, PamImage &image, std::string &error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    PamHeader header;
    if (!readHeader(in, header, error) || !checkHeader(header, error)) {
        error = path + ": " + error;
        return false;
    }
    image = makePamImage(header.width, header.height, unsigned(header.maxval));
    const std::size_t sampleBytes = image.deep() ? 2 : 1;
    std::vector<unsigned char> bytes(image.samples.size() * sampleBytes);
    in.read(reinterpret_cast<char *>(bytes.data()), std::streamsize(bytes.size()));
    if (std::size_t(in.gcount()) != bytes.size()) {
        error = path + ": PAM file is shorter than its header says";
        return false;
    }
    for (std::size_t i = 0; i < image.samples.size(); ++i) {
        const unsigned value =
            sampleBytes == 2 ? unsigned(bytes[2 * i]) << 8 | bytes[2 * i + 1] : unsigned(bytes[i]);
        if (value > image.maxval) {
            error = path + ": sample above maxval";
            return false;
        }
        image.samples[i] = std::uint16_t(value);
    }
    return true;
}

bool writePam(const std::string &path, const PamImage &image) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "P7\nWIDTH " << image.width << "\nHEIGHT " << image.height << "\nDEPTH 4\nMAXVAL "
        << image.maxval << "\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    std::vector<char> bytes;
    bytes.reserve(image.samples.size() * 2);
    for (std::uint16_t sample : image.samples) {
        if (image.deep()) bytes.push_back(char(sample >> 8));
        bytes.push_back(char(sample & 0xFF));
    }
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.close();
    return bool(out);
}

PixelDepth worldDepthForPam(const PamImage &image, HostApp app) {
    return image.deep() || app == HostApp::Premiere ? PixelDepth::Sixteen : PixelDepth::Eight;
}

OwnedWorld worldFromPam(const PamImage &image, HostApp app, A_long rowPaddingBytes) {
    const PixelDepth depth = worldDepthForPam(image, app);
    OwnedWorld world(image.width, image.height, depth, rowPaddingBytes);
    const unsigned scale = depth == PixelDepth::Sixteen && !image.deep() ? 128u : 1u;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint16_t *s = image.pixel(x, y);
            if (depth == PixelDepth::Sixteen) {
                *world.pixel16(x, y) = PF_Pixel16{A_u_short(s[3] * scale), A_u_short(s[0] * scale),
                                                  A_u_short(s[1] * scale), A_u_short(s[2] * scale)};
            } else {
                *world.pixel8(x, y) =
                    PF_Pixel{A_u_char(s[3]), A_u_char(s[0]), A_u_char(s[1]), A_u_char(s[2])};
            }
        }
    }
    return world;
}

PamImage pamFromWorld(const PF_LayerDef &world) {
    const bool deep = (world.world_flags & PF_WorldFlag_DEEP) != 0;
    PamImage image =
        makePamImage(world.width, world.height, deep ? kPam16BitMaxval : kPam8BitMaxval);
    const auto *base = reinterpret_cast<const std::uint8_t *>(world.data);
    for (int y = 0; y < world.height; ++y) {
        const std::uint8_t *row = base + std::size_t(y) * world.rowbytes;
        for (int x = 0; x < world.width; ++x) {
            std::uint16_t *s = image.pixel(x, y);
            if (deep) {
                const auto *p = reinterpret_cast<const PF_Pixel16 *>(row) + x;
                s[0] = p->red, s[1] = p->green, s[2] = p->blue, s[3] = p->alpha;
            } else {
                const auto *p = reinterpret_cast<const PF_Pixel *>(row) + x;
                s[0] = p->red, s[1] = p->green, s[2] = p->blue, s[3] = p->alpha;
            }
        }
    }
    return image;
}
