#include "AudioDevice.h"

#include <portaudio.h>
#if defined(__linux__)
#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <jack/jack.h>
#include <pa_jack.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace toneloom {

namespace {

constexpr int kStereo = 2;
// Rates offered when a device refuses the one asked for, in Hz.
constexpr int kUsualRates[] = {22050, 32000, 44100, 48000, 88200, 96000, 176400, 192000};
// The default buffer: the largest power of two within the device's own
// low-latency suggestion, kept within these (frames).
constexpr int kSmallestDefaultBuffer = 64;
constexpr int kLargestDefaultBuffer = 2048;

std::string Lower(std::string text)
{
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string NameList(const std::vector<OutputDevice>& devices)
{
    std::string list;
    for (const OutputDevice& device : devices) {
        list += (list.empty() ? "\"" : ", \"") + device.name + "\"";
    }
    return list.empty() ? "none" : list;
}

PaStreamParameters StereoOut(int device, double latencySeconds)
{
    PaStreamParameters parameters{};
    parameters.device = device;
    parameters.channelCount = kStereo;
    parameters.sampleFormat = paFloat32;
    parameters.suggestedLatency = latencySeconds;
    parameters.hostApiSpecificStreamInfo = nullptr;
    return parameters;
}

int DefaultBuffer(const OutputDevice& device, int sampleRate)
{
    const double suggested = device.lowLatencySeconds * sampleRate;
    int frames = kSmallestDefaultBuffer;
    while (frames * 2 <= suggested && frames * 2 <= kLargestDefaultBuffer) {
        frames *= 2;
    }
    return frames;
}

// [audio thread] PortAudio's callback: hands the buffer to the source.
int StreamCallback(const void* /*input*/, void* output, unsigned long frames,
                   const PaStreamCallbackTimeInfo* /*timeInfo*/, PaStreamCallbackFlags flags,
                   void* userData)
{
    auto* source = static_cast<AudioSource*>(userData);
    source->RenderAudio(static_cast<float*>(output), static_cast<int>(frames),
                        (flags & paOutputUnderflow) != 0);
    return paContinue;
}

#if defined(__linux__)
// ALSA and JACK tell standard error about every device they try and every
// server that is not running while PortAudio looks for devices; the player
// words its own errors.
void QuietAlsa(const char* /*file*/, int /*line*/, const char* /*function*/, int /*error*/,
               const char* /*format*/, ...)
{
}
void QuietJack(const char* /*message*/) {}
#endif

// While one lives, standard error goes nowhere: PortAudio's ALSA host prints
// every ALSA call that fails while it probes devices and formats, with no
// way to turn that off. Main thread only, around PortAudio calls.
class QuietStderr
{
public:
    QuietStderr()
    {
#if defined(__linux__)
        std::fflush(stderr);
        saved = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        if (saved >= 0 && null >= 0) {
            dup2(null, STDERR_FILENO);
        }
        if (null >= 0) {
            close(null);
        }
#endif
    }
    ~QuietStderr()
    {
#if defined(__linux__)
        if (saved >= 0) {
            dup2(saved, STDERR_FILENO);
            close(saved);
        }
#endif
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved = -1;
};

} // namespace

AudioDevice::AudioDevice()
{
#if defined(__linux__)
    snd_lib_error_set_handler(QuietAlsa);
    jack_set_error_function(QuietJack);
    jack_set_info_function(QuietJack);
    // The name JACK shows for the player's ports ("toneloom-play:out_0").
    PaJack_SetClientName("toneloom-play");
#endif
    const PaError result = [] {
        QuietStderr quiet;
        return Pa_Initialize();
    }();
    ready = result == paNoError;
    if (!ready) {
        initError = std::string("cannot start the audio system: ") + Pa_GetErrorText(result);
    }
}

AudioDevice::~AudioDevice()
{
    Close();
    if (ready && !abandoned) {
        Pa_Terminate();
    }
}

std::vector<OutputDevice> AudioDevice::Devices() const
{
    std::vector<OutputDevice> devices;
    if (!ready) {
        return devices;
    }
    const PaDeviceIndex defaultOutput = Pa_GetDefaultOutputDevice();
    for (PaDeviceIndex i = 0, n = Pa_GetDeviceCount(); i < n; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info == nullptr || info->maxOutputChannels < 1) {
            continue;
        }
        OutputDevice device;
        device.index = i;
        device.name = info->name != nullptr ? info->name : "";
        const PaHostApiInfo* api = Pa_GetHostApiInfo(info->hostApi);
        device.hostApi = api != nullptr && api->name != nullptr ? api->name : "";
        device.channels = info->maxOutputChannels;
        device.defaultSampleRate = info->defaultSampleRate;
        device.lowLatencySeconds = info->defaultLowOutputLatency;
        device.isDefault = i == defaultOutput;
        devices.push_back(device);
    }
    return devices;
}

bool AudioDevice::Find(const std::string& text, OutputDevice* found, std::string* error) const
{
    const std::vector<OutputDevice> devices = Devices();
    if (devices.empty()) {
        *error = "no output device";
        return false;
    }
    if (text.empty()) {
        for (const OutputDevice& device : devices) {
            if (device.isDefault) {
                *found = device;
                return true;
            }
        }
        *error = "no default output device (--device picks one of " + NameList(devices) + ")";
        return false;
    }
    char* end = nullptr;
    const long index = std::strtol(text.c_str(), &end, 10);
    if (*end == '\0') {
        for (const OutputDevice& device : devices) {
            if (device.index == index) {
                *found = device;
                return true;
            }
        }
        *error = "no output device " + text + " (--list-devices shows them)";
        return false;
    }
    for (const OutputDevice& device : devices) {
        if (device.name == text) {
            *found = device;
            return true;
        }
    }
    std::vector<OutputDevice> matches;
    for (const OutputDevice& device : devices) {
        if (Lower(device.name).find(Lower(text)) != std::string::npos) {
            matches.push_back(device);
        }
    }
    if (matches.size() == 1) {
        *found = matches.front();
        return true;
    }
    if (matches.empty()) {
        *error = "unknown output device \"" + text + "\"; the devices are " + NameList(devices);
    } else {
        *error = "\"" + text + "\" names several output devices: " + NameList(matches);
    }
    return false;
}

std::vector<int> AudioDevice::AcceptedRates(const OutputDevice& device) const
{
    QuietStderr quiet;
    std::vector<int> rates;
    const PaStreamParameters parameters = StereoOut(device.index, device.lowLatencySeconds);
    for (int rate : kUsualRates) {
        if (Pa_IsFormatSupported(nullptr, &parameters, rate) == paFormatIsSupported) {
            rates.push_back(rate);
        }
    }
    const auto own = static_cast<int>(std::lround(device.defaultSampleRate));
    if (own > 0 && std::find(rates.begin(), rates.end(), own) == rates.end() &&
        Pa_IsFormatSupported(nullptr, &parameters, own) == paFormatIsSupported) {
        rates.insert(std::upper_bound(rates.begin(), rates.end(), own), own);
    }
    return rates;
}

bool AudioDevice::Open(StreamRequest request, AudioSource* newSource, std::string* error)
{
    Close();
    const PaDeviceInfo* info = request.device >= 0 ? Pa_GetDeviceInfo(request.device) : nullptr;
    if (!ready || info == nullptr || info->maxOutputChannels < 1) {
        *error = ready ? "no output device " + std::to_string(request.device) : initError;
        return false;
    }
    OutputDevice chosen;
    for (const OutputDevice& candidate : Devices()) {
        if (candidate.index == request.device) {
            chosen = candidate;
        }
    }
    if (chosen.channels < kStereo) {
        *error = "the device \"" + chosen.name + "\" has one output channel; stereo needs two";
        return false;
    }
    if (request.sampleRate == 0) {
        request.sampleRate = static_cast<int>(std::lround(chosen.defaultSampleRate));
    }
    if (request.bufferFrames == 0) {
        request.bufferFrames = DefaultBuffer(chosen, request.sampleRate);
    }
    if (request.bufferFrames < kMinBufferFrames || request.bufferFrames > kMaxBufferFrames) {
        *error = "a buffer of " + std::to_string(request.bufferFrames) +
                 " frames is out of range (" + std::to_string(kMinBufferFrames) + " to " +
                 std::to_string(kMaxBufferFrames) + ")";
        return false;
    }
    // Ask for no more latency than the buffer itself needs, and no less than
    // the device's own low-latency suggestion.
    const double latency =
        std::max(chosen.lowLatencySeconds, double(request.bufferFrames) / request.sampleRate);
    const PaStreamParameters parameters = StereoOut(chosen.index, latency);
    bool supported = false;
    {
        QuietStderr quiet;
        supported =
            Pa_IsFormatSupported(nullptr, &parameters, request.sampleRate) == paFormatIsSupported;
    }
    if (!supported) {
        std::string accepted;
        for (int rate : AcceptedRates(chosen)) {
            accepted += (accepted.empty() ? "" : ", ") + std::to_string(rate);
        }
        *error = "the device \"" + chosen.name + "\" refuses " +
                 std::to_string(request.sampleRate) + " Hz; it takes " +
                 (accepted.empty() ? "none of the usual rates" : accepted + " Hz");
        return false;
    }
    PaStream* opened = nullptr;
    PaError result = paNoError;
    {
        QuietStderr quiet;
        result = Pa_OpenStream(&opened, nullptr, &parameters, request.sampleRate,
                               static_cast<unsigned long>(request.bufferFrames), paClipOff,
                               StreamCallback, newSource);
    }
    if (result != paNoError) {
        *error = "cannot open \"" + chosen.name + "\" at " + std::to_string(request.sampleRate) +
                 " Hz with a buffer of " + std::to_string(request.bufferFrames) +
                 " frames: " + Pa_GetErrorText(result);
        return false;
    }
    stream = opened;
    source = newSource;
    device = chosen;
    sampleRate = request.sampleRate;
    bufferFrames = request.bufferFrames;
    const PaStreamInfo* streamInfo = Pa_GetStreamInfo(opened);
    latencySeconds = streamInfo != nullptr ? streamInfo->outputLatency : latency;
    return true;
}

bool AudioDevice::Start(std::string* error)
{
    const PaError result = stream != nullptr ? Pa_StartStream(stream) : paBadStreamPtr;
    if (result != paNoError) {
        *error = "cannot start \"" + device.name + "\": " + Pa_GetErrorText(result);
        return false;
    }
    started = true;
    return true;
}

void AudioDevice::Stop()
{
    if (stream != nullptr && started) {
        Pa_StopStream(stream);
    }
    started = false;
}

void AudioDevice::Close()
{
    if (stream == nullptr) {
        return;
    }
    if (Lost()) {
        // PortAudio's JACK host waits for ever for a server that has gone
        // to take the stream back: let it go with the process instead.
        Abandon();
        return;
    }
    if (started) {
        // A device that went away may not take a stop any more.
        Pa_AbortStream(stream);
        started = false;
    }
    Pa_CloseStream(stream);
    stream = nullptr;
    source = nullptr;
}

void AudioDevice::Abandon()
{
    abandoned = abandoned || stream != nullptr;
    stream = nullptr;
    source = nullptr;
    started = false;
}

bool AudioDevice::Lost() const
{
    return stream != nullptr && started && Pa_IsStreamActive(stream) != 1;
}

} // namespace toneloom
