// The sound card side of live playing, through PortAudio: the output devices
// the host APIs offer (on Linux ALSA, which reaches PipeWire and PulseAudio
// through its default device, and JACK; on Windows WASAPI and MME), and one
// stereo 32-bit float output stream at a time, whose callback asks an
// AudioSource for each buffer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace toneloom {

struct OutputDevice
{
    int index = -1; // PortAudio's device index
    std::string name;
    std::string hostApi;
    int channels = 0;               // output channels
    double defaultSampleRate = 0.0; // Hz
    double lowLatencySeconds = 0.0; // the device's suggested low output latency
    bool isDefault = false;         // the system's default output
};

// What the stream's callback asks for.
class AudioSource
{
public:
    virtual ~AudioSource() = default;
    // [audio thread] Fills `interleaved` with `frames` stereo frames (left
    // first). `underflowed`: the device ran out of samples since the last
    // buffer (PortAudio's output-underflow flag). Real time: no allocation,
    // no locks, no I/O.
    virtual void RenderAudio(float* interleaved, int frames, bool underflowed) = 0;
};

// A stream to open: the device, and the rate and buffer (0: the device's
// own rate, a low-latency buffer it takes).
struct StreamRequest
{
    int device = -1;
    int sampleRate = 0;   // Hz
    int bufferFrames = 0; // frames per callback
};

class AudioDevice
{
public:
    // The buffer sizes a stream may ask for, in frames.
    static constexpr int kMinBufferFrames = 16;
    static constexpr int kMaxBufferFrames = 8192;

    // Starts PortAudio; Ready() tells whether it worked.
    AudioDevice();
    // Closes the stream and ends PortAudio.
    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    bool Ready() const { return ready; }
    const std::string& InitError() const { return initError; }

    // The devices with at least one output channel.
    std::vector<OutputDevice> Devices() const;
    // `text` as a device: an index from Devices(), an exact name, or a part
    // of one name (any case); empty for the default output. False with a
    // one-line reason that lists the names.
    bool Find(const std::string& text, OutputDevice* device, std::string* error) const;
    // The sample rates (Hz) from the usual set that `device` takes in stereo.
    std::vector<int> AcceptedRates(const OutputDevice& device) const;

    // Opens a stereo float stream on `request` that calls `source`, with the
    // rate and buffer filled in when 0. False with a one-line reason (a rate
    // the device refuses lists the ones it takes); nothing is left open.
    bool Open(StreamRequest request, AudioSource* source, std::string* error);
    bool Start(std::string* error);
    // Lets the buffers already handed to the device play out, then stops.
    void Stop();
    // Closes the stream; one whose device went away (Lost) is let go
    // without closing, and PortAudio is then left to end with the process.
    void Close();
    // Lets go of the stream without closing it (its device stopped calling
    // back, and PortAudio might wait for it for ever); PortAudio is then
    // left to end with the process.
    void Abandon();

    bool IsOpen() const { return stream != nullptr; }
    // True once an open, started stream has stopped without Stop: the
    // device went away or failed.
    bool Lost() const;
    // What the open stream runs at.
    int SampleRate() const { return sampleRate; }     // Hz
    int BufferFrames() const { return bufferFrames; } // frames per callback
    double OutputLatencySeconds() const { return latencySeconds; }
    const OutputDevice& Device() const { return device; }

private:
    bool ready = false;
    std::string initError;
    void* stream = nullptr; // PaStream
    AudioSource* source = nullptr;
    OutputDevice device;
    int sampleRate = 0;
    int bufferFrames = 0;
    double latencySeconds = 0.0;
    bool started = false;
    bool abandoned = false; // a lost stream was let go without closing
};

} // namespace toneloom
