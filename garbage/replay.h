// Replay scripts of the catching game: reading them, driving the engine by hand from them, and
// recording live input in the same format.
//
// Format: the first line is "garbage-replay 1"; "#" starts a comment line; blank lines are
// ignored. Commands, one a line:
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

// Parses a whole script. On a malformed line returns nothing with *error naming the file and
// the line number.
std::optional<std::vector<TReplayCommand>> ParseReplay(const std::string& text,
                                                       const std::string& fileName,
                                                       std::string* error);

// Reads and parses a script file; a missing file is an error like a malformed line.
std::optional<std::vector<TReplayCommand>> ReadReplay(const std::string& fileName,
                                                      std::string* error);

// Reads a script one line at a time, from a file or a pipe, checking every line.
class TReplayReader {
  public:
    enum Result { kCommand, kNothing, kError };
    explicit TReplayReader(std::string fileName) : fileName_(std::move(fileName)) {}
    // One line without its line feed: a command (in *out), nothing (the magic line, a comment, a
    // blank line), or an error naming the file and line (in *error).
    Result Feed(std::string line, TReplayCommand* out, std::string* error);
    int Line() const { return line_; }

  private:
    std::string fileName_;
    int line_ = 0;
    bool started_ = false;  // a command other than seed was seen
};

// The pointer and button as the script left them, for the messages' lParam and wParam.
struct TReplayPointer {
    uint32_t x = 0, y = 0;
    bool pressed = false;
    uint32_t LParam() const;
    uint32_t Buttons() const;
};

// One replay being played against the bound engine in manual mode (the start-up must have
// run). The game starts (init, clock 0) at the first command that is not a seed; seeds before
// it set GameSeed unless the command line fixed it. After the engine was told to quit the
// commands are ignored.
class TReplayRun {
  public:
    TReplayRun(std::FILE* dump, bool seedFixed) : dump_(dump), seedFixed_(seedFixed) {}
    void Execute(const TReplayCommand& c);
    // The engine was told to quit: the rest of the script is ignored.
    bool Done() const;
    // Starts the game if no command did, then ends it (free).
    void Finish();

  private:
    void Start();
    std::FILE* dump_;
    bool seedFixed_;
    bool started_ = false;
    TReplayPointer pointer_;
};

// Plays a whole parsed script; dump lines go to `dump`.
void RunReplay(const std::vector<TReplayCommand>& commands, std::FILE* dump, bool seedFixed);

// Plays a script as its lines arrive (a pipe: a bot or a test can drive the game and read its
// dumps). Returns 2 after a malformed line (the game is ended first), else 0.
int RunReplayStream(std::FILE* in, const std::string& name, std::FILE* dump, bool seedFixed);

// Largest counts a script may ask for.
inline constexpr uint64_t kMostUpdatesPerCommand = 10'000'000;
inline constexpr uint64_t kLargestKeyCode = 255;
inline constexpr uint64_t kLargestCoordinate = 65535;

// Live recording: from now on the updates and the main window's messages are written to
// `out` as a replay script (the header first, the seed once init has chosen it).
void StartRecording(std::FILE* out);
// Writes the updates not yet written; call when the loop has returned.
void FinishRecording();
