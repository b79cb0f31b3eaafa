// The engine's short log file: one line per event, flushed at once so that a crash keeps it.
#include "EngineParts.h"

namespace exg {

bool Log::Open(const std::string& path) {
    if (file_) std::fclose(file_);
    file_ = std::fopen(path.c_str(), "w");
    return file_ != nullptr;
}

void Log::Line(const std::string& text) {
    if (!file_) return;
    std::fputs(text.c_str(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
}

void Log::Close(const std::string& lastLine) {
    if (!file_) return;
    Line(lastLine);
    std::fclose(file_);
    file_ = nullptr;
}

}  // namespace exg
