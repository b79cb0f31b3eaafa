// Replay scripts of the catching game: reading them, driving the engine by hand from them, and
// recording live input in the same format.
//
// Format (lines, comments, numbers and errors as media/ScriptReader.h reads every script): the
// first line is "garbage-replay 1". Commands, one a line:
//   seed N            the random seed (before any other command)
//   update N          N updates; the clock reads 0 during init and gains 20 ms before each
//   mouse X Y         the pointer moves to client pixel (X, Y)
//   press / release   left button down / up at the pointer
//   key VK            a key-down message with virtual-key code VK (27 is Esc)
//   close             a close request for the main window
//   focus out         the main window lost the focus or was minimised: no updates run and the
//                     clock stands still until "focus in"
//   focus in          the main window got the focus back or was restored
//   dump              one JSON line of the game state to the dump output
//   screenshot FILE   a BMP of the last frame (needs a window)
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "media/OutputFile.h"
#include "media/ScriptReader.h"

struct TReplayCommand {
    enum Kind {
        kSeed,
        kUpdate,
        kMouse,
        kPress,
        kRelease,
        kKey,
        kClose,
        kDump,
        kScreenshot,
        kFocusOut,
        kFocusIn
    };
    Kind Command = kUpdate;
    uint64_t A = 0;  // seed, update count, x or key code
    uint64_t B = 0;  // y
    std::string File;
    int Line = 0;  // line number in the script, for messages
};

inline constexpr const char* kReplayMagic = "garbage-replay 1";

// Largest values a script may give.
inline constexpr uint64_t kMostUpdatesPerCommand = uint64_t(media::kMostStepsPerCommand);
inline constexpr uint64_t kLargestKeyCode = uint64_t(media::kLargestKeyCode);
inline constexpr uint64_t kLargestCoordinate = 65535;  // a message carries 16 bits of each

// Reads a script's commands one at a time from a file or a pipe, checking every line.
class TReplayReader {
  public:
    TReplayReader(std::FILE* in, std::string fileName)
        : reader_(in, std::move(fileName), kReplayMagic) {}
    // The next command in *out; false at the end of the script (Error() empty) or at a
    // malformed line (Error() names the file and the line).
    bool Next(TReplayCommand* out);
    // Checks one line's words (the reader's kWords) as Next does.
    bool Take(const std::vector<std::string>& words, TReplayCommand* out);
    const std::string& Error() const { return reader_.Error(); }
    media::ScriptReader& Lines() { return reader_; }

  private:
    media::ScriptReader reader_;
    bool started_ = false;  // a command other than seed was seen
};

// Parses a whole script held in memory (tests, fuzzing). On a malformed line returns nothing
// with *error naming the file and the line number.
std::optional<std::vector<TReplayCommand>> ParseReplay(const std::string& text,
                                                       const std::string& fileName,
                                                       std::string* error);

// Reads a whole script and checks every line, keeping nothing; false with *error as above.
bool CheckReplay(std::FILE* in, const std::string& fileName, std::string* error);

// The pointer and button as the script left them, for the messages' lParam and wParam.
struct TReplayPointer {
    uint32_t x = 0, y = 0;
    bool pressed = false;
    uint32_t LParam() const;
    uint32_t Buttons() const;
};

// One replay being played against the bound engine in manual mode (the start-up must have
// run). The game starts (init, clock 0) at the first command that is not a seed; seeds before
// it set GameSeed unless the command line fixed it. After the engine was told to quit, or a dump
// line could not be written, the commands are ignored.
class TReplayRun {
  public:
    TReplayRun(media::OutputFile* dump, bool seedFixed) : dump_(dump), seedFixed_(seedFixed) {}
    void Execute(const TReplayCommand& c);
    // The engine was told to quit or the dump failed: the rest of the script is ignored.
    bool Done() const;
    // Starts the game if no command did, then ends it (free).
    void Finish();

  private:
    void Start();
    media::OutputFile* dump_;
    bool seedFixed_;
    bool started_ = false;
    TReplayPointer pointer_;
};

// Plays a script as its lines arrive (a file, or a pipe: a bot or a test can drive the game and
// read its dumps); dump lines go to `dump`. Returns 2 after a malformed line, 1 when a dump line
// could not be written (the game is ended first and the reason said), else 0.
int RunReplayStream(std::FILE* in, const std::string& name, media::OutputFile* dump,
                    bool seedFixed);

// Live recording: from now on the updates and the main window's messages are written to
// `out` as a replay script (the header first, the seed once init has chosen it). A failed write
// is said at once and ends the recording; `out` then holds the reason.
void StartRecording(media::OutputFile* out);
// Writes the updates not yet written; call when the loop has returned.
void FinishRecording();
