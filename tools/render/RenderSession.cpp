#include "RenderSession.h"

#include "PipelinedWriter.h"
#include "SystemCalls.h"
#include "TimelineDriver.h"
#include "Vst3Ids.h"

#include "base/source/fobject.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "public.sdk/source/vst/vstpresetfile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace toneloom {

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr int kStereo = 2;
constexpr int kChunkFrames = 16384; // frames handed to the writing thread at a time

} // namespace

RenderSession::RenderSession() = default;

RenderSession::~RenderSession()
{
    // The instance goes before the module that holds its code.
    effectHost.Close();
    module.Unload();
}

bool RenderSession::Open(const std::string& pluginPath, int sampleRateHz, int newBlockFrames,
                         std::string* error, const std::string& hostName, int32 processMode)
{
    if (!module.Load(pluginPath)) {
        *error = "cannot load the plug-in '" + pluginPath + "': " + module.Error();
        return false;
    }
    if (!module.FindClass(kVstAudioEffectClass, classId)) {
        *error = "'" + pluginPath + "' offers no audio effect";
        return false;
    }
    if (!effectHost.Create(module.Factory(), classId)) {
        *error = "'" + pluginPath + "' did not create its effect";
        return false;
    }
    return effectHost.Start(hostName, sampleRateHz, newBlockFrames, error, processMode);
}

bool RenderSession::Render(const RenderTimeline& timeline, AudioFileWriter* writer,
                           ProgressBar* progress, std::string* error)
{
    const auto total =
        static_cast<int64_t>(std::llround(timeline.seconds * effectHost.SampleRate()));
    TimelineDriver driver(effectHost, TimelineDriver::ScheduleClock::kAlwaysRuns);
    if (!driver.Prepare(timeline.schedule, timeline.tempoBpm, error)) {
        return false;
    }
    driver.SetPlaying(timeline.playing);

    // Whole blocks per chunk, about a third of a second at 48 kHz.
    const int blockFrames = effectHost.BlockFrames();
    const int chunkFrames = std::max(1, kChunkFrames / blockFrames) * blockFrames;
    PipelinedWriter pipeline(writer, chunkFrames, kStereo);
    for (int64_t done = 0; done < total;) {
        if (InterruptExitCode() != 0) {
            pipeline.Cancel();
            progress->Finish();
            *error = "interrupted";
            return false;
        }
        const int64_t frames = std::min<int64_t>(chunkFrames, total - done);
        if (!driver.Process(frames, pipeline.Chunk())) {
            *error = driver.FailureText();
            pipeline.Finish(error);
            return false;
        }
        if (!pipeline.Submit(static_cast<int>(frames), error)) {
            return false;
        }
        done += frames;
        progress->Update(done);
    }
    const bool written = pipeline.Finish(error);
    progress->Finish();
    return written;
}

bool RenderSession::SaveState(std::vector<uint8_t>* bytes)
{
    return effectHost.Instance().SaveState(bytes);
}

bool RenderSession::ExportPreset(const std::string& path, std::string* error)
{
    const std::string partial = path + ".partial-" + std::to_string(ProcessId());
    IBStream* stream = FileStream::open(partial.c_str(), "wb");
    if (stream == nullptr) {
        *error = "cannot write '" + path + "'";
        return false;
    }
    const bool saved =
        PresetFile::savePreset(stream, FUID::fromTUID(classId), effectHost.Instance().Component());
    stream->release();
    if (!saved || !MoveOver(partial, path)) {
        std::remove(partial.c_str());
        *error = "cannot write '" + path + "'";
        return false;
    }
    return true;
}

bool RenderSession::LoadPresetFile(const std::string& path, std::string* error)
{
    IBStream* stream = FileStream::open(path.c_str(), "rb");
    if (stream == nullptr) {
        *error = "cannot read '" + path + "'";
        return false;
    }
    bool loaded = false;
    {
        PresetFile file(stream);
        if (!file.readChunkList()) {
            *error = "'" + path + "' is not a VST 3 preset file, or it is damaged";
        } else if (file.getClassID() != FUID::fromTUID(classId)) {
            *error = "'" + path + "' is a preset for another plug-in";
        } else if (!file.restoreComponentState(effectHost.Instance().Component())) {
            *error = "'" + path + "' holds a state the plug-in refuses: the file is damaged";
        } else {
            loaded = true;
        }
    }
    stream->release();
    return loaded;
}

} // namespace toneloom
