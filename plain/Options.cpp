// Options: command-line parsing.
#include "Options.h"

#include <vector>

#ifndef GAMES_VERSION  // set by CMake from the project version
#define GAMES_VERSION "unknown"
#endif

namespace {

bool NeedValue(const std::vector<std::string>& args, size_t& i, std::string& value,
               std::string& error) {
    if (i + 1 >= args.size()) {
        error = "option " + args[i] + " needs a value";
        return false;
    }
    value = args[++i];
    return true;
}

bool ParseSeedValue(const std::string& text, std::uint64_t& seed) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    try {
        seed = std::stoull(text);
        return true;
    } catch (...) {
        return false;
    }
}

bool ParseProcessing(const std::string& text, Options& options) {
    if (text != "none" && text != "crop" && text != "full") return false;
    options.cropToCircle = text != "none";
    options.brighten = text == "full";
    return true;
}

}  // namespace

std::string Usage() {
    return "usage: zodav [options]\n"
           "  --windowed        a resizable window (1024 x 768 at first) instead of full screen\n"
           "  --mode-switch     full screen switches the display to 1024 x 768 (restored on exit)\n"
           "  --seed N          seed the random generator\n"
           "  --record FILE     write this session's input as a replay script\n"
           "  --replay FILE     take input from a replay script (ticks run back to back;\n"
           "                    \"-\": read it from standard input as it comes)\n"
           "  --headless        with --replay: no window, GL context or audio device\n"
           "  --dump FILE       where the replay's dump lines go (default standard output)\n"
           "  --bake-picture IN OUT.pam\n"
           "                    run the texture pass on one picture and write the RGBA result\n"
           "                    as a PAM file, then exit (no window needed)\n"
           "  --processing none|crop|full\n"
           "                    the texture processing --bake-picture uses (default full)\n"
           "  --home            play in your own game folder,\n"
           "                    ${XDG_DATA_HOME:-~/.local/share}/garbage-games (made on first "
           "use)\n"
           "  --version         the program's name and version\n"
           "  --help            this text\n";
}

std::string VersionLine() {
    return std::string("zodav ") + GAMES_VERSION + "\n";
}

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string value;
        if (a == "--windowed") {
            options.windowed = true;
        } else if (a == "--mode-switch") {
            options.modeSwitch = true;
        } else if (a == "--headless") {
            options.headless = true;
        } else if (a == "--help" || a == "-h") {
            options.help = true;
        } else if (a == "--version") {
            options.version = true;
        } else if (a == "--home") {
            options.home = true;
        } else if (a == "--seed") {
            if (!NeedValue(args, i, value, error)) return false;
            if (!ParseSeedValue(value, options.seed)) {
                error = "--seed needs a whole number, not '" + value + "'";
                return false;
            }
            options.seedGiven = true;
        } else if (a == "--record" || a == "--replay" || a == "--dump") {
            if (!NeedValue(args, i, value, error)) return false;
            (a == "--record"   ? options.record
             : a == "--replay" ? options.replay
                               : options.dump) = value;
        } else if (a == "--bake-picture") {
            if (!NeedValue(args, i, options.bakeIn, error)) return false;
            if (!NeedValue(args, i, options.bakeOut, error)) return false;
        } else if (a == "--processing") {
            if (!NeedValue(args, i, value, error)) return false;
            if (!ParseProcessing(value, options)) {
                error = "--processing takes none, crop or full, not '" + value + "'";
                return false;
            }
        } else {
            error = "unknown option '" + a + "'";
            return false;
        }
    }
    if (options.headless && options.replay.empty()) {
        error = "--headless goes with --replay";
        return false;
    }
    if (!options.record.empty() && !options.replay.empty()) {
        error = "--record and --replay cannot be used together";
        return false;
    }
    return true;
}
