// The replay scripts' shared reader: one line at a time from a file or a pipe.
#include "media/ScriptReader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <limits>

#include "media/OwnFile.h"

namespace media {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The words of a line up to the first word that starts with "#".
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i == line.size() || line[i] == '#') break;
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        words.push_back(line.substr(start, i - start));
    }
    return words;
}

bool Digits(const std::string& word, std::size_t from, std::uint64_t most, std::uint64_t* out) {
    if (from >= word.size()) return false;
    std::uint64_t value = 0;
    for (std::size_t i = from; i < word.size(); ++i) {
        if (word[i] < '0' || word[i] > '9') return false;
        const std::uint64_t digit = std::uint64_t(word[i] - '0');
        if (value > (most - digit) / 10) return false;
        value = value * 10 + digit;
    }
    *out = value;
    return true;
}

}  // namespace

void ScriptFileCloser::operator()(std::FILE* f) const {
    if (f && f != stdin) std::fclose(f);
}

ScriptFile OpenScript(const std::string& path, std::string* error) {
    if (path == "-") return ScriptFile(stdin);
    ScriptFile file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        *error = "cannot open the replay script " + DescribeFileError(path, errno);
        return nullptr;
    }
    struct stat st {};
    if (::fstat(::fileno(file.get()), &st) == 0 && S_ISDIR(st.st_mode)) {
        *error = "\"" + path + "\" is a folder, not a replay script";
        return nullptr;
    }
    return file;
}

bool ScriptIsRewindable(std::FILE* f) {
    struct stat st {};
    return f && ::fstat(::fileno(f), &st) == 0 && S_ISREG(st.st_mode);
}

ScriptReader::ScriptReader(std::FILE* in, std::string name, std::string magic)
    : in_(in), name_(std::move(name)), magic_(std::move(magic)) {}

ScriptReader::Result ScriptReader::Next(std::vector<std::string>* words) {
    for (;;) {
        std::string line;
        const Result read = ReadLine(&line);
        if (read == kEnd) return End();
        if (read == kError) return kError;
        const Result fed = Feed(std::move(line), words);
        if (fed != kSkip) return fed;
    }
}

// One line without its line feed; the line counts even when it is too long.
ScriptReader::Result ScriptReader::ReadLine(std::string* line) {
    int c = 0;
    bool any = false;
    while ((c = getc_unlocked(in_)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (line->size() == kLongestScriptLine) {
            ++line_;
            return Fail("the line is longer than " + std::to_string(kLongestScriptLine) + " bytes");
        }
        line->push_back(char(c));
    }
    if (c == EOF && std::ferror(in_))
        return FailWhole("cannot be read: " + std::string(std::strerror(errno)));
    return any ? kWords : kEnd;
}

ScriptReader::Result ScriptReader::Feed(std::string line, std::vector<std::string>* words) {
    ++line_;
    if (line.size() > kLongestScriptLine)
        return Fail("the line is longer than " + std::to_string(kLongestScriptLine) + " bytes");
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // A text editor's "UTF-8 with BOM" puts these bytes before the magic.
    if (line_ == 1 && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
    *words = Words(line);
    if (words->empty()) return kSkip;
    if (sawMagic_) return kWords;
    if (*words != Words(magic_))
        return Fail("not a replay script: the first line must be \"" + magic_ + "\"");
    sawMagic_ = true;
    return kSkip;
}

ScriptReader::Result ScriptReader::End() {
    if (sawMagic_) return kEnd;
    return FailWhole("the script is empty: its first line must be \"" + magic_ + "\"");
}

ScriptReader::Result ScriptReader::Fail(const std::string& why) {
    error_ = name_ + ":" + std::to_string(line_) + ": " + why;
    return kError;
}

ScriptReader::Result ScriptReader::FailWhole(const std::string& why) {
    error_ = name_ + ": " + why;
    return kError;
}

bool ScriptNumber(const std::string& word, std::int64_t lo, std::int64_t hi, std::int64_t* out) {
    const bool negative = !word.empty() && word[0] == '-';
    const std::size_t from = !word.empty() && (word[0] == '-' || word[0] == '+') ? 1 : 0;
    std::uint64_t magnitude = 0;
    const std::uint64_t most = std::uint64_t(std::numeric_limits<std::int64_t>::max()) + 1;
    if (!Digits(word, from, most, &magnitude)) return false;
    if (!negative && magnitude == most) return false;
    const std::int64_t value = negative ? std::int64_t(0 - magnitude) : std::int64_t(magnitude);
    if (value < lo || value > hi) return false;
    *out = value;
    return true;
}

bool ScriptSeed(const std::string& word, std::uint64_t* out) {
    return Digits(word, 0, std::numeric_limits<std::uint64_t>::max(), out);
}

}  // namespace media
