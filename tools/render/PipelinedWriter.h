// Overlaps rendering with writing: the caller fills one chunk of interleaved
// frames while a second thread writes the previous chunk to the file.
#pragma once

#include "AudioFileWriter.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace toneloom {

class PipelinedWriter
{
public:
    // `chunkFrames` frames of `channels` interleaved samples per chunk.
    PipelinedWriter(AudioFileWriter* writer, int chunkFrames, int channels);
    // Waits for the writing thread.
    ~PipelinedWriter();
    PipelinedWriter(const PipelinedWriter&) = delete;
    PipelinedWriter& operator=(const PipelinedWriter&) = delete;

    // The chunk to fill now (chunkFrames x channels samples).
    float* Chunk() { return buffers[current].data(); }
    int ChunkFrames() const { return chunkFrames; }
    // Hands the first `frames` frames of the chunk to the writing thread and
    // moves on to the other chunk once it is free. False, with the reason,
    // when an earlier write failed.
    bool Submit(int frames, std::string* error);
    // Waits until everything submitted is written. False if a write failed.
    bool Finish(std::string* error);

private:
    void WriteLoop();

    AudioFileWriter* writer;
    int chunkFrames;
    std::vector<float> buffers[2];
    int current = 0;

    std::mutex mutex;
    std::condition_variable changed;
    int pendingChunk = -1; // the chunk waiting to be written, or -1
    int pendingFrames = 0;
    bool stopping = false;
    bool failed = false;
    std::string failure;
    std::thread thread;
};

} // namespace toneloom
