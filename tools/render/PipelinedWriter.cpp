#include "PipelinedWriter.h"

namespace toneloom {

PipelinedWriter::PipelinedWriter(AudioFileWriter* newWriter, int newChunkFrames, int channels)
    : writer(newWriter), chunkFrames(newChunkFrames)
{
    for (std::vector<float>& buffer : buffers) {
        buffer.resize(static_cast<size_t>(chunkFrames) * static_cast<size_t>(channels));
    }
    thread = std::thread([this] { WriteLoop(); });
}

PipelinedWriter::~PipelinedWriter()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    thread.join();
}

void PipelinedWriter::WriteLoop()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return pendingChunk >= 0 || stopping; });
        if (pendingChunk < 0) {
            return; // stopping with nothing left
        }
        const int chunk = pendingChunk;
        const int frames = pendingFrames;
        const bool skip = failed;
        lock.unlock();
        std::string error;
        const bool written = skip || writer->Write(buffers[chunk].data(), frames, &error);
        lock.lock();
        if (!written) {
            failed = true;
            failure = error;
        }
        pendingChunk = -1;
        changed.notify_all();
    }
}

bool PipelinedWriter::Submit(int frames, std::string* error)
{
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return pendingChunk < 0; });
    if (failed) {
        *error = failure;
        return false;
    }
    pendingChunk = current;
    pendingFrames = frames;
    current = 1 - current;
    changed.notify_all();
    return true;
}

bool PipelinedWriter::Finish(std::string* error)
{
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return pendingChunk < 0; });
    if (failed) {
        *error = failure;
        return false;
    }
    return true;
}

} // namespace toneloom
