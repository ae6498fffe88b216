#include "RenderSession.h"

#include "HostText.h"
#include "PipelinedWriter.h"
#include "SystemCalls.h"
#include "Vst3Ids.h"

#include "base/source/fobject.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstunits.h"
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

std::string Utf8(const String128 text)
{
    char out[512];
    Utf16ToText(text, 128, out, sizeof out);
    return out;
}

} // namespace

RenderSession::RenderSession() = default;

RenderSession::~RenderSession()
{
    // The instance goes before the module that holds its code.
    blocks.reset();
    parameters.reset();
    instance.reset();
    application.reset();
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
    instance = std::make_unique<host::PluginInstance>(module.Factory(), classId);
    if (!instance->Valid() || instance->Controller() == nullptr) {
        *error = "'" + pluginPath + "' did not create its effect";
        return false;
    }
    application = std::make_unique<host::HostApplication>("toneloom-render");
    if (instance->Initialize(application->unknownCast()) != kResultOk) {
        *error = "the plug-in refused to initialise";
        return false;
    }
    instance->ActivateDefaultBuses();
    if (instance->Setup(sampleRateHz, newBlockFrames, kSample32, kOffline) != kResultOk) {
        *error = "the plug-in refused " + std::to_string(sampleRateHz) + " Hz in blocks of " +
                 std::to_string(newBlockFrames);
        return false;
    }
    if (instance->SetActive(true) != kResultOk) {
        *error = "the plug-in refused to start";
        return false;
    }
    sampleRate = sampleRateHz;
    blockFrames = newBlockFrames;

    // One stereo bus each way, as the plug-in declares; the input stays silent.
    std::vector<int> inputs;
    for (int32 i = 0, n = instance->Component()->getBusCount(kAudio, kInput); i < n; ++i) {
        BusInfo info{};
        instance->Component()->getBusInfo(kAudio, kInput, i, info);
        inputs.push_back(info.channelCount);
    }
    blocks = std::make_unique<host::ProcessDataBuilder>(inputs, std::vector<int>{kStereo},
                                                        blockFrames, kSample32, sampleRateHz);
    // Every process call says what the setup said: this is an offline render
    // (no phase re-alignment by the wall clock, so equal settings give equal
    // samples).
    blocks->Data().processMode = kOffline;

    parameters = std::make_unique<ParameterCatalogue>(instance->Controller());
    if (IUnitInfo* units = instance->Units()) {
        ProgramListInfo list{};
        if (units->getProgramListCount() > 0 && units->getProgramListInfo(0, list) == kResultOk) {
            for (int32 slot = 0; slot < list.programCount; ++slot) {
                String128 name{};
                units->getProgramName(list.id, slot, name);
                presetNames.push_back(Utf8(name));
            }
        }
    }
    return true;
}

bool RenderSession::FindPreset(const std::string& text, int* slot, std::string* error) const
{
    const auto named = std::find(presetNames.begin(), presetNames.end(), text);
    if (named != presetNames.end()) {
        *slot = static_cast<int>(named - presetNames.begin());
        return true;
    }
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (!text.empty() && *end == '\0') {
        if (number >= 0 && number < static_cast<long>(presetNames.size())) {
            *slot = static_cast<int>(number);
            return true;
        }
        *error = "no preset slot " + text + " (slots are 0 to " +
                 std::to_string(static_cast<int>(presetNames.size()) - 1) + ")";
        return false;
    }
    *error = "unknown preset \"" + text + "\" (--list-presets shows them)";
    return false;
}

bool RenderSession::ProcessWithoutAudio(std::string* error)
{
    // A block of no samples carries only the parameter changes.
    ProcessData& data = blocks->Block(0);
    const tresult result = instance->Process(data);
    blocks->Advance(0);
    if (result != kResultOk) {
        *error = "the plug-in refused a parameter change";
        return false;
    }
    return true;
}

bool RenderSession::SelectPreset(int slot, std::string* error)
{
    const int last = static_cast<int>(presetNames.size()) - 1;
    if (slot < 0 || slot > last || last < 1) {
        *error = "no preset slot " + std::to_string(slot);
        return false;
    }
    blocks->Changes().Add(toneloom::kPresetParamId, 0, double(slot) / last);
    return ProcessWithoutAudio(error);
}

bool RenderSession::ApplyChange(ParamID id, double normalised, std::string* error)
{
    blocks->Changes().Add(id, 0, normalised);
    return ProcessWithoutAudio(error);
}

bool RenderSession::QueueLinesAt(const Schedule& schedule, int64_t position, size_t* next,
                                 std::string* error)
{
    const int last = static_cast<int>(presetNames.size()) - 1;
    for (; *next < schedule.lines.size() && schedule.lines[*next].frame <= position; ++*next) {
        const ScheduleLine& line = schedule.lines[*next];
        if (!line.isPreset) {
            if (!blocks->Changes().Add(line.id, 0, line.normalised)) {
                *error = schedule.Where(line) + ": too many changes at one time";
                return false;
            }
            continue;
        }
        if (last < 1) {
            *error = "the plug-in has no presets";
            return false;
        }
        if (blocks->Changes().getParameterCount() > 0 && !ProcessWithoutAudio(error)) {
            return false;
        }
        blocks->Changes().Add(toneloom::kPresetParamId, 0, double(line.presetSlot) / last);
        if (!ProcessWithoutAudio(error)) {
            return false;
        }
    }
    return true;
}

bool RenderSession::Render(const RenderTimeline& timeline, AudioFileWriter* writer,
                           ProgressBar* progress, std::string* error)
{
    const auto total = static_cast<int64_t>(std::llround(timeline.seconds * sampleRate));
    blocks->SetTempo(timeline.tempoBpm);
    blocks->SetPlaying(timeline.playing);
    blocks->SetProjectTimeSamples(0);
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
                    blocks->Changes().Add(ramp->id, static_cast<int32>(frames - 1),
                                          parameters->NormalisedOf(ramp->id, plain));
                }
            }
            const int count = static_cast<int>(frames);
            ProcessData& data = blocks->Block(count);
            if (instance->Process(data) != kResultOk) {
                *error = "the plug-in failed to process a block";
                pipeline.Finish(error);
                return false;
            }
            const float* left = blocks->Output32(0, 0);
            const float* right = blocks->Output32(0, 1);
            float* out = chunk + static_cast<ptrdiff_t>(filled) * kStereo;
            for (int i = 0; i < count; ++i) {
                out[2 * i] = left[i];
                out[2 * i + 1] = right[i];
            }
            blocks->Advance(count);
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
    return instance->SaveState(bytes);
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
        PresetFile::savePreset(stream, FUID::fromTUID(classId), instance->Component());
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
        } else if (!file.restoreComponentState(instance->Component())) {
            *error = "'" + path + "' holds a state the plug-in refuses: the file is damaged";
        } else {
            loaded = true;
        }
    }
    stream->release();
    return loaded;
}

} // namespace toneloom
