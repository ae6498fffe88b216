// Writes interleaved float frames to a .wav, .flac or .aiff file through
// libsndfile. The file appears under its name only once Commit succeeds:
// until then the samples go to a hidden file beside it, which Abort (or the
// destructor) removes, so a failed render leaves nothing behind.
//
// A .wav is written as RF64 that libsndfile turns back into a plain WAV when
// it closes a file under 4 GiB, so long renders stay readable and short ones
// stay as compatible as ever. No chunk carries a time stamp (libsndfile's
// PEAK chunk does, so it is left out): the same samples give the same bytes.
#pragma once

#include <cstdint>
#include <string>

struct sf_private_tag;

namespace toneloom {

enum class SampleFormat
{
    kFloat32,
    kInt24,
    kInt16,
};

class AudioFileWriter
{
public:
    AudioFileWriter() = default;
    ~AudioFileWriter();
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    // The container the file name asks for; false (with a reason) for an
    // extension we do not write or a sample format the container cannot hold.
    static bool ContainerFor(const std::string& path, SampleFormat format, int* sndfileFormat,
                             std::string* error);

    // Whether `frames` frames of `channels` channels fit the container `path`
    // asks for: an AIFF file counts its bytes in 32 bits (WAV becomes RF64
    // and FLAC has no such limit). False with a reason and a way out.
    static bool Holds(const std::string& path, SampleFormat format, int channels, int64_t frames,
                      std::string* error);

    // Opens the hidden file for `path`. False with a one-line reason.
    bool Open(const std::string& path, int sampleRateHz, int channels, SampleFormat format,
              std::string* error);
    // Appends `frames` interleaved frames. False with a reason on a write error.
    bool Write(const float* interleaved, int64_t frames, std::string* error);
    // Closes the file and moves it to its name. False with a reason.
    bool Commit(std::string* error);
    // Closes and removes the hidden file.
    void Abort();

    // Largest absolute sample written so far (1.0 is full scale).
    float Peak() const { return peak; }
    int64_t FramesWritten() const { return framesWritten; }

private:
    sf_private_tag* file = nullptr;
    std::string finalPath;
    std::string partialPath;
    int channelCount = 0;
    float peak = 0.0f;
    int64_t framesWritten = 0;
};

} // namespace toneloom
