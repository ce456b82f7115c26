#pragma once

#include <AL/al.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct sf_private_tag;

// Background music: one piece at a time, streamed from its bundle file with
// libsndfile through an OpenAL source of its own (a few queued buffers,
// refilled at every step), looping for ever or played once.
//
// Requesting the piece that is already loaded changes nothing: neither its
// place, nor its volume, nor its looping, so a restarted level's music goes
// on without a break. Whether music may sound is the process-wide music
// mute (ZQ::isMusicMuted); a piece asked for while muted is made ready
// silently and starts at turnOn.
//
// A piece that is missing, not a whole CAF file, empty, has more than two
// channels or cannot be decoded is logged and plays as silence. With no
// OpenAL context (no sound device) every operation does nothing and the
// player reports stopped.
//
// Ownership: the player owns its source, its buffers and the open file; it
// releases them in tearDown, which must come before the context goes.
// Threads: main thread, with the effects player's context current.
class ZQMusicPlayerModel {
public:
    static constexpr int kBufferCount = 4;
    static constexpr int kBufferFrames = 8192;

    ZQMusicPlayerModel() = default;
    ~ZQMusicPlayerModel();
    ZQMusicPlayerModel(const ZQMusicPlayerModel&) = delete;
    ZQMusicPlayerModel& operator=(const ZQMusicPlayerModel&) = delete;

    bool isMuteMusic() const;
    // The bundle piece `name`.caf; see the class note.
    void play(const std::string& name, bool loop, float volume);
    // The same for a file named by its path.
    void playFile(const std::string& path, bool loop, float volume);
    void stop();
    void pause();
    // Resumes (or starts) the piece from where it stands, unless muted.
    void play();
    void turnOn();
    void turnOff();
    // Refills the buffers OpenAL has finished with. Once a frame is plenty:
    // the queue holds about 1.5 s of a 22050 Hz piece.
    void doStep();
    void tearDown();

    const std::string& currentPath() const { return path; }
    bool isLooping() const { return loop; }
    float volume() const { return gain; }
    bool isPlaying() const;
    // The frame of the piece now being heard (0 when none is loaded).
    int64_t position() const;

private:
    void close();
    bool ensureSource();
    // Reads up to kBufferFrames frames into `buffer` from the file's read
    // position, wrapping to the start when looping; false at the end.
    bool fill(ALuint buffer);
    void queueFrom(int64_t frame);
    void unqueueAll();

    ALuint source = 0;
    std::array<ALuint, kBufferCount> buffers{};
    std::array<int64_t, kBufferCount> bufferStart{}; // first frame of each buffer's contents
    std::array<int32_t, kBufferCount> bufferFrames{};
    sf_private_tag* file = nullptr;
    int channels = 0;
    int sampleRate = 0;
    int64_t frames = 0;           // the piece's length
    int64_t readFrame = 0;        // the next frame fill() reads
    int64_t heardFrame = 0;       // where a stopped piece resumes
    std::vector<int16_t> scratch; // one buffer's samples on their way to OpenAL
    std::string path;
    bool loop = false;
    float gain = 1.0f;
    bool queued = false; // buffers are queued on the source
    bool paused = false; // paused by pause(), resumed by play()
    bool finished = false;
};
