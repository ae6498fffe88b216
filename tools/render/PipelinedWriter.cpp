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
        changed.wait(lock, [this] { return queued > 0 || stopping; });
        if (queued == 0) {
            return; // stopping with nothing left
        }
        const int chunk = oldest;
        const bool skip = failed;
        lock.unlock();
        std::string error;
        const bool written = skip || writer->Write(buffers[chunk].data(), frames[chunk], &error);
        lock.lock();
        if (!written) {
            failed = true;
            failure = error;
        }
        oldest = (oldest + 1) % kRingChunks;
        --queued;
        changed.notify_all();
    }
}

bool PipelinedWriter::Submit(int filledFrames, std::string* error)
{
    std::unique_lock<std::mutex> lock(mutex);
    frames[current] = filledFrames;
    ++queued;
    changed.notify_all();
    // The next chunk is free once fewer than all of them wait to be written.
    changed.wait(lock, [this] { return queued < kRingChunks; });
    if (failed) {
        *error = failure;
        return false;
    }
    current = (oldest + queued) % kRingChunks;
    return true;
}

bool PipelinedWriter::Finish(std::string* error)
{
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return queued == 0; });
    if (failed) {
        *error = failure;
        return false;
    }
    return true;
}
void PipelinedWriter::Cancel()
{
    std::unique_lock<std::mutex> lock(mutex);
    if (!failed) {
        failed = true; // the writing thread skips what is left
        failure = "the render was cancelled";
    }
    changed.wait(lock, [this] { return queued == 0; });
}

} // namespace toneloom
