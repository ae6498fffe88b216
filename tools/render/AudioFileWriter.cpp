#include "AudioFileWriter.h"

#include "SystemCalls.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace toneloom {

namespace {

// An AIFF file's FORM chunk counts its bytes in 32 bits; the headers before
// the samples take well under this much.
constexpr int64_t kAiffLimitBytes = 0xFFFFFFFFLL;
constexpr int64_t kHeaderAllowanceBytes = 4096;

int BytesPerSample(SampleFormat format)
{
    switch (format) {
    case SampleFormat::kInt16:
        return 2;
    case SampleFormat::kInt24:
        return 3;
    case SampleFormat::kFloat32:
        break;
    }
    return 4;
}

std::string Extension(const std::string& path)
{
    const size_t slash = LastSeparator(path);
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return "";
    }
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// The hidden file beside `path`: same folder, name starting with a dot.
std::string PartialPathFor(const std::string& path)
{
    const size_t slash = LastSeparator(path);
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + name + ".partial-" + std::to_string(ProcessId());
}

// Whether the libsndfile in use knows the container at all (a build without
// the external codec libraries has no FLAC).
bool LibraryWrites(int container)
{
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO major{};
        major.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &major, sizeof major) == 0 &&
            (major.format & SF_FORMAT_TYPEMASK) == container) {
            return true;
        }
    }
    return false;
}

} // namespace

AudioFileWriter::~AudioFileWriter()
{
    Abort();
}

bool AudioFileWriter::ContainerFor(const std::string& path, SampleFormat format, int* sndfileFormat,
                                   std::string* error)
{
    const std::string ext = Extension(path);
    int container = 0;
    if (ext == "wav") {
        container = SF_FORMAT_RF64; // a plain WAV again under 4 GiB (see Open)
    } else if (ext == "flac") {
        container = SF_FORMAT_FLAC;
    } else if (ext == "aif" || ext == "aiff") {
        container = SF_FORMAT_AIFF;
    } else {
        *error = "cannot tell the file type of '" + path + "': use a .wav, .flac or .aiff name";
        return false;
    }
    int subtype = SF_FORMAT_FLOAT;
    switch (format) {
    case SampleFormat::kFloat32:
        subtype = SF_FORMAT_FLOAT;
        break;
    case SampleFormat::kInt24:
        subtype = SF_FORMAT_PCM_24;
        break;
    case SampleFormat::kInt16:
        subtype = SF_FORMAT_PCM_16;
        break;
    }
    if (!LibraryWrites(container)) {
        *error = "this build cannot write ." + ext + " files: use a .wav or .aiff name";
        return false;
    }
    if (container == SF_FORMAT_FLAC && subtype == SF_FORMAT_FLOAT) {
        *error = "FLAC holds integer samples only: use --format int24 or int16";
        return false;
    }
    *sndfileFormat = container | subtype;
    return true;
}

bool AudioFileWriter::Holds(const std::string& path, SampleFormat format, int channels,
                            int64_t frames, std::string* error)
{
    const std::string ext = Extension(path);
    if (ext != "aif" && ext != "aiff") {
        return true;
    }
    const double bytes = double(frames) * channels * BytesPerSample(format);
    if (bytes + kHeaderAllowanceBytes <= double(kAiffLimitBytes)) {
        return true;
    }
    char size[32];
    std::snprintf(size, sizeof size, "%.1f GB", bytes / 1e9);
    *error = "'" + path + "' would hold " + size +
             " of samples, more than an AIFF file can (4 GiB): use a .wav or .flac name";
    return false;
}

bool AudioFileWriter::Open(const std::string& path, int sampleRateHz, int channels,
                           SampleFormat format, std::string* error)
{
    Abort();
    SF_INFO info{};
    info.samplerate = sampleRateHz;
    info.channels = channels;
    if (!ContainerFor(path, format, &info.format, error)) {
        return false;
    }
    if (sf_format_check(&info) == 0) {
        *error = "cannot write " + std::to_string(sampleRateHz) + " Hz, " +
                 std::to_string(channels) + " channels to '" + path + "'";
        return false;
    }
    partialPath = PartialPathFor(path);
    file = sf_open(partialPath.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        *error = "cannot write '" + path + "': " + sf_strerror(nullptr);
        std::remove(partialPath.c_str()); // libsndfile may have made it before failing
        partialPath.clear();
        return false;
    }
    // Integer formats saturate instead of wrapping around at full scale.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // The PEAK chunk holds the time of writing: without it, equal renders
    // are equal files. The RF64 writer adds none of its own, and asking it
    // for none would add one (libsndfile 1.2 turns the chunk on whenever it
    // is off), so only the others are asked.
    if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_RF64) {
        sf_command(file, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
    } else {
        sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    }
    finalPath = path;
    channelCount = channels;
    peak = 0.0f;
    framesWritten = 0;
    return true;
}

bool AudioFileWriter::Write(const float* interleaved, int64_t frames, std::string* error)
{
    if (file == nullptr) {
        *error = "no file is open";
        return false;
    }
    const int64_t samples = frames * channelCount;
    for (int64_t i = 0; i < samples; ++i) {
        peak = std::max(peak, std::fabs(interleaved[i]));
    }
    if (sf_writef_float(file, interleaved, frames) != frames) {
        *error = "cannot write '" + finalPath + "': " + sf_strerror(file);
        return false;
    }
    framesWritten += frames;
    return true;
}

bool AudioFileWriter::Commit(std::string* error)
{
    if (file == nullptr) {
        *error = "no file is open";
        return false;
    }
    const int closed = sf_close(file);
    file = nullptr;
    if (closed != 0) {
        *error = "cannot finish '" + finalPath + "': " + sf_error_number(closed);
        std::remove(partialPath.c_str());
        partialPath.clear();
        return false;
    }
    if (!MoveOver(partialPath, finalPath)) {
        *error = "cannot move the render to '" + finalPath + "'";
        std::remove(partialPath.c_str());
        partialPath.clear();
        return false;
    }
    partialPath.clear();
    return true;
}

void AudioFileWriter::Abort()
{
    if (file != nullptr) {
        sf_close(file);
        file = nullptr;
    }
    if (!partialPath.empty()) {
        std::remove(partialPath.c_str());
        partialPath.clear();
    }
}

} // namespace toneloom
