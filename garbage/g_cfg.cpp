// Reading integer settings from "config.txt": key=value lines, first match wins, a missing
// file is created with the one line asked for. Failures fall back to the defaults and say why.
#include "g_cfg.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kEndOfFile = 26;  // Ctrl+Z: nothing after it is read

std::string SystemError(const std::string& what, const std::string& file, int code) {
    return what + " \"" + file + "\": " + std::strerror(code);
}

// Strips every carriage return: one before the line feed ends the text, a lone one is dropped.
void DropCarriageReturns(std::string& line) {
    std::erase(line, '\r');
}

// A file saved as "UTF-8 with BOM" by a text editor starts with these bytes; left in place they
// would become part of the first key and hide it.
void DropByteOrderMark(std::string& line) {
    if (line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
}

// Scans the open file line by line for key; true with *value set on the first match.
// *ok is false when a read failed.
bool FindKey(std::FILE* f, const std::string& key, std::string* value, bool* ok) {
    std::string line;
    bool ended = false;
    for (bool first = true; !ended; first = false) {
        line.clear();
        int c = 0;
        while ((c = getc_unlocked(f)) != EOF && c != '\n' && c != kEndOfFile)
            line.push_back(char(c));
        ended = c == EOF || c == kEndOfFile;
        if (c == EOF && std::ferror(f)) {
            *ok = false;
            return false;
        }
        if (ended && line.empty()) break;
        if (first) DropByteOrderMark(line);
        DropCarriageReturns(line);
        std::size_t eq = line.find('=');
        std::string name = line.substr(0, eq);
        if (name == key) {
            *value = eq == std::string::npos ? std::string() : line.substr(eq + 1);
            return true;
        }
    }
    return false;
}

// Opens the file for reading. Without waiting: a pipe by that name would otherwise hold the
// start-up until some other program wrote into it. Null with *missing set when there is no such
// file, null with *error set when it cannot be read.
std::FILE* OpenExisting(const std::string& file, bool* missing, std::string* error) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *missing = errno == ENOENT || errno == ENOTDIR;
        if (!*missing && error) *error = SystemError("cannot open", file, errno);
        return nullptr;
    }
    struct stat st {};
    std::FILE* f = nullptr;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error) *error = "cannot read \"" + file + "\": not a plain file";
    } else if (!(f = ::fdopen(fd, "rb")) && error) {
        *error = SystemError("cannot open", file, errno);
    }
    if (!f) ::close(fd);
    return f;
}

// Creates the missing file with the one line key=fallback and a Windows line end.
bool CreateWithDefault(const std::string& file, const std::string& key, const std::string& fallback,
                       std::string* error) {
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (error) *error = SystemError("cannot create", file, errno);
        return false;
    }
    std::string line = key + "=" + fallback + "\r\n";
    bool ok = ::write(fd, line.data(), line.size()) == ssize_t(line.size());
    int code = errno;
    ok = ::close(fd) == 0 && ok;
    if (!ok && error) *error = SystemError("cannot write", file, code);
    return ok;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
    if (c <= '9') return c - '0';
    if (c >= 'a') return c - 'a' + 10;
    return c - 'A' + 10;
}

// One or more hex digits from pos to the end, at most FFFFFFFF; leading zeros allowed.
std::optional<uint32_t> ParseHex(const std::string& s, std::size_t pos) {
    if (pos >= s.size()) return std::nullopt;
    uint64_t v = 0;
    for (; pos < s.size(); ++pos) {
        if (!IsHexDigit(s[pos])) return std::nullopt;
        v = v * 16 + uint64_t(HexValue(s[pos]));
        if (v > 0xFFFFFFFFull) return std::nullopt;
    }
    return uint32_t(v);
}

// One or more decimal digits from pos to the end, the signed value within 32 bits.
std::optional<int32_t> ParseDecimal(const std::string& s, std::size_t pos, bool negative) {
    if (pos >= s.size()) return std::nullopt;
    const uint64_t limit = negative ? 2147483648ull : 2147483647ull;
    uint64_t v = 0;
    for (; pos < s.size(); ++pos) {
        if (s[pos] < '0' || s[pos] > '9') return std::nullopt;
        v = v * 10 + uint64_t(s[pos] - '0');
        if (v > limit) return std::nullopt;
    }
    return negative ? int32_t(-int64_t(v)) : int32_t(v);
}

}  // namespace

std::string ReadConfigString(const std::string& file, const std::string& key,
                             const std::string& fallback, std::string* error) {
    std::string result = fallback;
    bool missing = false;
    std::FILE* f = OpenExisting(file, &missing, error);
    if (missing) {  // make it
        CreateWithDefault(file, key, fallback, error);
        return result;
    }
    if (!f) return result;
    bool ok = true;
    std::string value;
    if (FindKey(f, key, &value, &ok)) result = value;
    if (!ok && error) *error = SystemError("cannot read", file, errno);
    std::fclose(f);
    if (result.empty()) result = fallback;
    return result;
}

std::optional<int32_t> ParseConfigInt(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    std::size_t hexStart = std::string::npos;
    if (pos < text.size() && (text[pos] == '$' || text[pos] == 'x' || text[pos] == 'X')) {
        hexStart = pos + 1;
    } else if (pos + 1 < text.size() && text[pos] == '0' &&
               (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        hexStart = pos + 2;
    }
    if (hexStart == std::string::npos) return ParseDecimal(text, pos, negative);
    std::optional<uint32_t> bits = ParseHex(text, hexStart);
    if (!bits) return std::nullopt;
    uint32_t pattern = negative ? 0u - *bits : *bits;
    return int32_t(pattern);
}

int32_t ReadConfigInt(const std::string& file, const std::string& key, int32_t fallback,
                      std::string* error) {
    std::string text = ReadConfigString(file, key, std::to_string(fallback), error);
    return ParseConfigInt(text).value_or(0);
}
