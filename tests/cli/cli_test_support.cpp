#include "cli_test_support.h"

#include <OpenImageIO/imageio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "holvane-cli-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::vector<std::string> ScratchFolder::entries(const std::string &subfolder) const {
    std::vector<std::string> names;
    std::error_code ec;
    const fs::path folder = subfolder.empty() ? fs::path(path_) : fs::path(path_) / subfolder;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void writeRawImage(const std::string &path, int width, int height, int channels,
                   const std::string &typeName, const void *samples) {
    auto output = OIIO::ImageOutput::create(path);
    if (!output) throw std::runtime_error("no writer for " + path);
    const OIIO::TypeDesc type(typeName);
    OIIO::ImageSpec imageSpec(width, height, channels, type);
    imageSpec.attribute("oiio:UnassociatedAlpha", 1);
    if (!output->open(path, imageSpec) || !output->write_image(type, samples) || !output->close()) {
        throw std::runtime_error("cannot write " + path + ": " + output->geterror());
    }
}

DecodedImage decodeImage(const std::string &path) {
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    auto input = OIIO::ImageInput::open(path, &config);
    if (!input) throw std::runtime_error("cannot open " + path);
    const OIIO::ImageSpec imageSpec = input->spec_dimensions(0);
    DecodedImage image;
    image.width = imageSpec.width;
    image.height = imageSpec.height;
    image.channels = imageSpec.nchannels;
    image.type = imageSpec.format.c_str();
    const std::size_t n = std::size_t(imageSpec.width) * imageSpec.height * imageSpec.nchannels;
    bool ok = false;
    if (imageSpec.format.basetype == OIIO::TypeDesc::FLOAT ||
        imageSpec.format.basetype == OIIO::TypeDesc::HALF) {
        image.f32.resize(n);
        ok = input->read_image(0, 0, 0, imageSpec.nchannels, OIIO::TypeDesc::FLOAT,
                               image.f32.data());
    } else {
        image.u16.resize(n);
        ok = input->read_image(0, 0, 0, imageSpec.nchannels, OIIO::TypeDesc::UINT16,
                               image.u16.data());
    }
    if (!ok) throw std::runtime_error("cannot read " + path);
    return image;
}

std::string describePixelDifferences(const DecodedImage &got, const DecodedImage &expected) {
    std::ostringstream text;
    if (got.width != expected.width || got.height != expected.height ||
        got.channels != expected.channels || got.type != expected.type) {
        text << "got " << got.width << "x" << got.height << "x" << got.channels << " " << got.type
             << ", expected " << expected.width << "x" << expected.height << "x"
             << expected.channels << " " << expected.type;
        return text.str();
    }
    const int c = got.channels;
    long differing = 0;
    for (std::size_t p = 0; p < std::size_t(got.width) * got.height; ++p) {
        bool differs = false;
        for (int k = 0; k < c; ++k) {
            const std::size_t i = p * c + k;
            const bool same =
                got.u16.empty() ? got.f32[i] == expected.f32[i] : got.u16[i] == expected.u16[i];
            if (same) continue;
            if (!differs && differing == 0) {
                text << "first difference at x " << p % got.width << ", y " << p / got.width
                     << ", channel " << k << ": got " << (got.u16.empty() ? got.f32[i] : got.u16[i])
                     << ", expected " << (got.u16.empty() ? expected.f32[i] : expected.u16[i]);
            }
            differs = true;
        }
        differing += differs ? 1 : 0;
    }
    if (differing > 0) text << "; " << differing << " pixel(s) differ";
    return text.str();
}

namespace {

std::string quoted(const std::string &word) {
    std::string text = "'";
    for (char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

}  // namespace

ProcessResult runHolvane(const std::vector<std::string> &args) {
    ScratchFolder streams;
    std::string command = quoted(HOLVANE_CLI_EXECUTABLE);
    for (const std::string &arg : args) command += " " + quoted(arg);
    command += " >" + quoted(streams.file("out")) + " 2>" + quoted(streams.file("err"));
    const int status = std::system(command.c_str());
    ProcessResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readFileBytes(streams.file("out"));
    result.err = readFileBytes(streams.file("err"));
    return result;
}

std::string readFileBytes(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

bool fileExists(const std::string &path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

std::string sourceFolder() { return HOLVANE_TEST_SOURCE_DIR; }

std::string sharedFolder() {
    const fs::path shared = fs::path(sourceFolder()) / ".." / "shared";
    std::error_code ec;
    return fs::is_directory(shared, ec) ? shared.lexically_normal().string() : std::string();
}
