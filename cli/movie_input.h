// A movie as a clip: its video stream's frames numbered from 1 in the order
// they are shown, each read as a straight RGBA frame (8-bit from 8-bit
// codecs, 16-bit from deeper ones), with what an output movie carries over.
#pragma once

#include <memory>
#include <string>

#include "cli/image_file.h"
#include "cli/libav_handles.h"
#include "cli/movie_index.h"
#include "cli/movie_pixels.h"

// Whether the file name ends in `extension` (".mov"), in any case.
bool has_Extension(const std::string &path, const char *extension);

// .mov, .mp4, .mkv, .webm and .avi names (any case) are movies.
bool is_MovieName(const std::string &path);

// A movie file's container, its streams probed. Only the containers above
// are read, from local files only. Throws CliError naming the file.
InputContext open_MovieContainer(const std::string &path);

struct MovieInfo {
    std::string path;
    std::string codec;  // the decoder's long name
    int width = 0;
    int height = 0;
    long frameCount = 0;
    AVRational frameRate{0, 1};
    AVRational timeBase{0, 1};
    std::string timecode;  // of the first frame, "01:00:00:00"; empty when none
    AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
    AVColorSpace colorSpace = AVCOL_SPC_UNSPECIFIED;
    AVColorRange colorRange = AVCOL_RANGE_UNSPECIFIED;
    bool hasAlpha = false;
    SampleDepth depth = SampleDepth::Eight;
    bool variableRate = false;
    std::string damage;  // why the frames end early; empty for a sound file

    // The renderer's view of every frame: size and depth, straight alpha.
    ImageHeader header() const;
};

// Reads one movie's frames forward. Asking for an earlier frame than the
// last one read seeks back to the keyframe before it.
class MovieInput {
  public:
    // Opens the movie and reads its packets once to number its frames.
    // Throws CliError naming the file when it is not a movie the renderer
    // reads, has no video stream or no frame that decodes.
    explicit MovieInput(const std::string &path);

    const MovieInfo &info() const { return info_; }

    // Frame `frame` (1..frameCount). Throws CliError naming the file and the
    // frame when it does not decode.
    ImageFrame read(long frame);

  private:
    bool decodeNext();
    long numberOfPicture() const;
    long keyframeBefore(long frame) const;  // its number, 1 when none is known
    void seekBefore(long frame);
    [[noreturn]] void failAt(long frame, const std::string &problem) const;

    MovieInfo info_;
    MovieIndex index_;
    InputContext container_;
    CodecContext decoder_;
    FrameHandle picture_;
    PacketHandle packet_;
    ScalerHandle scaler_;
    YuvEncoding encoding_;
    int stream_ = -1;
    long pictureFrame_ = 0;  // the frame `picture_` holds; 0: none
    bool drained_ = false;   // every packet has gone to the decoder
};
