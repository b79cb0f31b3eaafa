// The command line of the catching game: seed, recording, replay, headless runs and dumps.
#include "options.h"

#include <limits>

namespace {

// Takes the value after option i; false when there is none.
bool TakeValue(const std::vector<std::string>& args, std::size_t* i, std::string* value) {
    if (*i + 1 >= args.size()) return false;
    *value = args[++*i];
    return true;
}

}  // namespace

bool ParseUnsigned(const std::string& text, uint64_t* value) {
    if (text.empty() || text.size() > 20) return false;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        const uint64_t digit = uint64_t(c - '0');
        if (v > (std::numeric_limits<uint64_t>::max() - digit) / 10) return false;
        v = v * 10 + digit;
    }
    *value = v;
    return true;
}

std::string UsageText() {
    return "usage: garbage [options]\n"
           "  --seed N         start the random generator from N (the same game every run)\n"
           "  --record FILE    write the live input as a replay script\n"
           "  --replay FILE    play a replay script instead of live input (\"-\": read it from\n"
           "                   standard input as it comes, e.g. from a bot)\n"
           "  --headless       no window, no sound device (needs --replay)\n"
           "  --dump FILE      where the replay's dump lines go (default: standard output)\n"
           "  --home           play in your own game folder,\n"
           "                   ${XDG_DATA_HOME:-~/.local/share}/garbage-games (made on first use)\n"
           "  --version        the program's name and version\n"
           "  --help           this text\n";
}

std::string VersionText() {
    return std::string("garbage ") + GAMES_VERSION + "\n";
}

std::optional<TOptions> ParseOptions(const std::vector<std::string>& args, std::string* error) {
    TOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string value;
        bool needsValue = a == "--seed" || a == "--record" || a == "--replay" || a == "--dump";
        if (needsValue && !TakeValue(args, &i, &value)) {
            *error = "option " + a + " needs a value";
            return std::nullopt;
        }
        if (a == "--seed") {
            uint64_t seed = 0;
            if (!ParseUnsigned(value, &seed)) {
                *error = "--seed takes a whole number from 0 to 18446744073709551615, not \"" +
                         value + "\"";
                return std::nullopt;
            }
            o.Seed = seed;
        } else if (a == "--record") {
            o.RecordFile = value;
        } else if (a == "--replay") {
            o.ReplayFile = value;
        } else if (a == "--dump") {
            o.DumpFile = value;
        } else if (a == "--headless") {
            o.Headless = true;
        } else if (a == "--help" || a == "-h") {
            o.Help = true;
        } else if (a == "--version") {
            o.Version = true;
        } else if (a == "--home") {
            o.Home = true;
        } else {
            *error = "unknown option \"" + a + "\"";
            return std::nullopt;
        }
    }
    if (o.Headless && o.ReplayFile.empty()) {
        *error = "--headless needs --replay: a headless game has no live input";
        return std::nullopt;
    }
    if (!o.RecordFile.empty() && !o.ReplayFile.empty()) {
        *error = "--record and --replay cannot be used together";
        return std::nullopt;
    }
    return o;
}
