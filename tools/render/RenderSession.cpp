#include "RenderSession.h"

#include "PipelinedWriter.h"
#include "SystemCalls.h"
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
    offline.Close();
    module.Unload();
}

bool RenderSession::Open(const std::string& pluginPath, int sampleRateHz, int newBlockFrames,
                         std::string* error)
{
    if (!module.Load(pluginPath)) {
        *error = "cannot load the plug-in '" + pluginPath + "': " + module.Error();
        return false;
    }
    if (!module.FindClass(kVstAudioEffectClass, classId)) {
        *error = "'" + pluginPath + "' offers no audio effect";
        return false;
    }
    if (!offline.Create(module.Factory(), classId)) {
        *error = "'" + pluginPath + "' did not create its effect";
        return false;
    }
    return offline.Start("toneloom-render", sampleRateHz, newBlockFrames, error);
}

bool RenderSession::QueueLinesAt(const Schedule& schedule, int64_t position, size_t* next,
                                 std::string* error)
{
    host::ProcessDataBuilder& blocks = offline.Blocks();
    const int last = static_cast<int>(offline.PresetNames().size()) - 1;
    for (; *next < schedule.lines.size() && schedule.lines[*next].frame <= position; ++*next) {
        const ScheduleLine& line = schedule.lines[*next];
        if (!line.isPreset) {
            if (!blocks.Changes().Add(line.id, 0, line.normalised)) {
                *error = schedule.Where(line) + ": too many changes at one time";
                return false;
            }
            continue;
        }
        if (last < 1) {
            *error = "the plug-in has no presets";
            return false;
        }
        if (blocks.Changes().getParameterCount() > 0 && !offline.ProcessWithoutAudio(error)) {
            return false;
        }
        blocks.Changes().Add(toneloom::kPresetParamId, 0, double(line.presetSlot) / last);
        if (!offline.ProcessWithoutAudio(error)) {
            return false;
        }
    }
    return true;
}

bool RenderSession::Render(const RenderTimeline& timeline, AudioFileWriter* writer,
                           ProgressBar* progress, std::string* error)
{
    host::ProcessDataBuilder& blocks = offline.Blocks();
    const int blockFrames = offline.BlockFrames();
    const auto total = static_cast<int64_t>(std::llround(timeline.seconds * offline.SampleRate()));
    blocks.SetTempo(timeline.tempoBpm);
    blocks.SetPlaying(timeline.playing);
    blocks.SetProjectTimeSamples(0);
    static const Schedule kNoSchedule;
    const Schedule& schedule = timeline.schedule != nullptr ? *timeline.schedule : kNoSchedule;
    const std::vector<ScheduleLine>& lines = schedule.lines;
    size_t nextLine = 0; // the first line not yet sent
    // Ramps by the sample they start from; those under way.
    std::vector<const ScheduleLine*> rampsByStart;
    for (const ScheduleLine& line : lines) {
        if (line.ramp) {
            rampsByStart.push_back(&line);
        }
    }
    std::stable_sort(rampsByStart.begin(), rampsByStart.end(),
                     [](const ScheduleLine* a, const ScheduleLine* b) {
                         return a->rampFromFrame < b->rampFromFrame;
                     });
    size_t nextRamp = 0;
    std::vector<const ScheduleLine*> ramping;

    // Whole blocks per chunk, about a third of a second at 48 kHz.
    const int chunkFrames = std::max(1, kChunkFrames / blockFrames) * blockFrames;
    PipelinedWriter pipeline(writer, chunkFrames, kStereo);
    for (int64_t done = 0; done < total;) {
        float* chunk = pipeline.Chunk();
        int filled = 0;
        while (filled < chunkFrames && done + filled < total) {
            if (InterruptExitCode() != 0) {
                pipeline.Cancel();
                progress->Finish();
                *error = "interrupted";
                return false;
            }
            const int64_t position = done + filled;
            int64_t frames =
                std::min<int64_t>({blockFrames, total - position, chunkFrames - filled});
            if (!lines.empty()) {
                if (!QueueLinesAt(schedule, position, &nextLine, error)) {
                    pipeline.Finish(error);
                    return false;
                }
                if (nextLine < lines.size()) {
                    frames = std::min(frames, lines[nextLine].frame - position);
                }
                for (; nextRamp < rampsByStart.size() &&
                       rampsByStart[nextRamp]->rampFromFrame <= position;
                     ++nextRamp) {
                    ramping.push_back(rampsByStart[nextRamp]);
                }
                ramping.erase(std::remove_if(ramping.begin(), ramping.end(),
                                             [position](const ScheduleLine* ramp) {
                                                 return ramp->frame <= position;
                                             }),
                              ramping.end());
                // A ramp's point is its value at the block's last sample, where
                // a host's automation curve would put it: the plug-in takes a
                // queue's last value for the whole block, and a ramp that ends
                // the render reaches its value.
                const int64_t blockEnd = position + frames;
                for (const ScheduleLine* ramp : ramping) {
                    const double progressed = double(blockEnd - ramp->rampFromFrame) /
                                              double(ramp->frame - ramp->rampFromFrame);
                    const double plain =
                        ramp->rampFromPlain + (ramp->plain - ramp->rampFromPlain) * progressed;
                    blocks.Changes().Add(ramp->id, static_cast<int32>(frames - 1),
                                         offline.Parameters().NormalisedOf(ramp->id, plain));
                }
            }
            const int count = static_cast<int>(frames);
            ProcessData& data = blocks.Block(count);
            if (offline.Instance().Process(data) != kResultOk) {
                *error = "the plug-in failed to process a block";
                pipeline.Finish(error);
                return false;
            }
            const float* left = blocks.Output32(0, 0);
            const float* right = blocks.Output32(0, 1);
            float* out = chunk + static_cast<ptrdiff_t>(filled) * kStereo;
            for (int i = 0; i < count; ++i) {
                out[2 * i] = left[i];
                out[2 * i + 1] = right[i];
            }
            blocks.Advance(count);
            filled += count;
        }
        if (!pipeline.Submit(filled, error)) {
            return false;
        }
        done += filled;
        progress->Update(done);
    }
    const bool written = pipeline.Finish(error);
    progress->Finish();
    return written;
}

bool RenderSession::SaveState(std::vector<uint8_t>* bytes)
{
    return offline.Instance().SaveState(bytes);
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
        PresetFile::savePreset(stream, FUID::fromTUID(classId), offline.Instance().Component());
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
        } else if (!file.restoreComponentState(offline.Instance().Component())) {
            *error = "'" + path + "' holds a state the plug-in refuses: the file is damaged";
        } else {
            loaded = true;
        }
    }
    stream->release();
    return loaded;
}

} // namespace toneloom
