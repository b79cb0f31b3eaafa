// A file the player named for output (a dump, a recording), or standard output, written with
// every write, flush and close checked. The first failure is kept as a sentence naming the file
// and the system's reason ("cannot write the dump \"/dev/full\": No space left on device"); after
// it nothing more is written.
#pragma once

#include <cstdio>
#include <string>

namespace media {

class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile() { Close(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens (creates or truncates) `path`, or takes standard output when `path` is empty. `what`
    // names the file in messages: "dump", "recording".
    bool Open(const std::string& path, const std::string& what);
    // Writes `text` as it is; false once any write has failed.
    bool Write(const std::string& text);
    // Pushes buffered text to the system; false once any write has failed.
    bool Flush();
    // Flushes and closes (standard output is only flushed); false when anything failed.
    bool Close();

    bool IsOpen() const { return file_ != nullptr; }
    bool Failed() const { return !error_.empty(); }
    const std::string& Error() const { return error_; }
    const std::string& Path() const { return path_; }

  private:
    bool Fail(int code);
    std::FILE* file_ = nullptr;
    std::string path_;
    std::string what_;
    std::string error_;
};

}  // namespace media
