// Writing a movie: frames in order, encoded into a temporary file beside the
// output, which takes the output's name only once it is complete and reads
// back; any failure (or an interrupted run) leaves no movie behind.
#pragma once

#include <optional>
#include <string>

#include "cli/clip_discovery.h"
#include "cli/movie_audio.h"
#include "cli/movie_codecs.h"
#include "cli/movie_input.h"
#include "cli/movie_pixels.h"
#include "cli/temporary_files.h"

struct MovieOutputSettings {
    const MovieCodec *codec = nullptr;
    SampleDepth depth = SampleDepth::Eight;  // of the frames written: Eight or Sixteen
    int width = 0;
    int height = 0;
    AVRational frameRate{24, 1};
    AVRational timeBase{0, 1};  // wished for the stream; {0, 1}: one tick per frame
    std::string timecode;       // of the first frame written; empty: none
    AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
    AVColorSpace colorSpace = AVCOL_SPC_UNSPECIFIED;
    // The movie whose audio streams are copied, and the frames of it written
    // (their sound goes with them); empty: no audio.
    std::string audioSource;
    FrameRange audioFrames;
    long sourceFrameCount = 0;
};

// The settings for writing `rendered` of a clip: a movie input's rate, time
// base, timecode (moved to the first rendered frame), colour tags and audio;
// an image sequence's frames at `fps`.
MovieOutputSettings movieSettingsFor(const MovieCodec &codec, SampleDepth depth,
                                     const MovieInfo *input, const FrameRange &rendered, int width,
                                     int height, unsigned fps);

class MovieOutput {
  public:
    // Opens the encoder and the temporary file and writes the header, so that
    // an encoder that is missing or refuses the size stops the run before
    // the first frame. Throws CliError naming `path`.
    MovieOutput(const std::string &path, const MovieOutputSettings &settings);
    MovieOutput(const MovieOutput &) = delete;
    MovieOutput &operator=(const MovieOutput &) = delete;

    // Appends the next frame: straight RGBA at 8 or 16 bits, of the size
    // given. Throws CliError naming the output.
    void write(const ImageFrame &frame);

    // Flushes the encoder, finishes the file, checks that it holds every
    // frame written and renames it into place.
    void finish();

    // Gives the movie up at once: its temporary file is closed and removed.
    // Nothing may be written after.
    void abandon();

  private:
    void openEncoder();
    void openMuxer();
    void writePackets();
    [[noreturn]] void fail(const std::string &problem) const;

    std::string path_;
    MovieOutputSettings settings_;
    // Declared before the muxer, so the muxer closes the file before the
    // temporary name is removed.
    TemporaryFile temporary_;
    OutputContext muxer_;
    CodecContext encoder_;
    FrameHandle picture_;
    PacketHandle packet_;
    ScalerHandle scaler_;
    YuvEncoding encoding_;
    std::optional<AudioCopy> audio_;
    int videoStream_ = 0;
    long written_ = 0;
};
