// Overlaps rendering with writing: the caller fills one chunk of interleaved
// frames while a second thread writes earlier chunks to the file. A ring of
// chunks lets rendering run on while the system holds up a write (as it does
// when much unwritten data waits for the disk).
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
    // Hands the first `filledFrames` frames of the chunk to the writing thread and
    // moves on to the next chunk of the ring once it is free. False, with the reason,
    // when an earlier write failed.
    bool Submit(int filledFrames, std::string* error);
    // Waits until everything submitted is written. False if a write failed.
    bool Finish(std::string* error);
    // Drops every chunk not yet written and waits only for a write already
    // under way (for a render that is given up).
    void Cancel();

private:
    void WriteLoop();

    AudioFileWriter* writer;
    int chunkFrames;
    static constexpr int kRingChunks = 16;
    std::vector<float> buffers[kRingChunks];
    int frames[kRingChunks] = {};
    int current = 0; // the chunk being filled

    std::mutex mutex;
    std::condition_variable changed;
    int oldest = 0; // the next chunk to write
    int queued = 0; // chunks submitted and not yet written
    bool stopping = false;
    bool failed = false;
    std::string failure;
    std::thread thread;
};

} // namespace toneloom
