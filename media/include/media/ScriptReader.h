// The reader both games' replay scripts share: lines, words, comments, numbers, limits and the
// wording of errors. The formats keep their own commands; this part knows none of them.
//
// A script is read as a stream, one line at a time, so its length costs no memory and a pipe's
// lines are acted on as they arrive. Conventions:
// - lines end at a line feed; one carriage return before it is dropped; the last line needs none;
//   a UTF-8 byte-order mark at the very start is skipped;
// - words are separated by blanks and tabs; a word that starts with "#" begins a comment that
//   runs to the end of the line; a line without words is skipped;
// - the first line with words must be the format's magic ("zodav-replay 1");
// - a line may hold at most kLongestScriptLine bytes;
// - errors read "FILE:LINE: what is wrong" for one line (lines count from 1, blank and comment
//   lines included) and "FILE: what is wrong" for the script as a whole.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace media {

inline constexpr std::size_t kLongestScriptLine = 4096;
// The most ticks or updates one command may ask for.
inline constexpr std::int64_t kMostStepsPerCommand = 1'000'000'000;
// Virtual-key codes are one byte.
inline constexpr std::int64_t kLargestKeyCode = 255;

// Closes the script's file when it is not standard input.
struct ScriptFileCloser {
    void operator()(std::FILE* f) const;
};
using ScriptFile = std::unique_ptr<std::FILE, ScriptFileCloser>;

// Opens a script: standard input for "-", else the file. Null with *error naming the cause (a
// missing file, a folder, no permission).
ScriptFile OpenScript(const std::string& path, std::string* error);
// True when the script can be read twice (a plain file: it is checked whole before it runs).
bool ScriptIsRewindable(std::FILE* f);

class ScriptReader {
  public:
    enum Result { kWords, kSkip, kEnd, kError };
    // Reads from `in` (not owned); `name` is the file as messages show it.
    ScriptReader(std::FILE* in, std::string name, std::string magic);

    // The next line with words, after the magic line: its words in *words (comments dropped).
    // kEnd at the end of the script; kError with Error() set on a read failure, a line too long,
    // a wrong or missing magic.
    Result Next(std::vector<std::string>* words);
    // Takes one line given as text (without its line feed) as Next would read it: kSkip for the
    // magic, a comment or a blank line. For scripts that are not in a file (tests, fuzzing).
    Result Feed(std::string line, std::vector<std::string>* words);
    // At the end of the input: kEnd, or kError when the magic never came.
    Result End();

    // Records an error about the current line for the format's own checks; returns kError.
    Result Fail(const std::string& why);
    const std::string& Error() const { return error_; }
    int Line() const { return line_; }
    const std::string& Name() const { return name_; }

  private:
    Result ReadLine(std::string* line);
    Result FailWhole(const std::string& why);
    std::FILE* in_;
    std::string name_;
    std::string magic_;
    std::string error_;
    int line_ = 0;
    bool sawMagic_ = false;
};

// A whole decimal number within [lo, hi]: an optional sign, then digits only.
bool ScriptNumber(const std::string& word, std::int64_t lo, std::int64_t hi, std::int64_t* out);
// A whole unsigned 64-bit decimal number (a seed): digits only.
bool ScriptSeed(const std::string& word, std::uint64_t* out);

}  // namespace media
