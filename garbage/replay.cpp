// Replay scripts of the catching game: reading them, driving the engine by hand from them, and
// recording live input in the same format.
#include "replay.h"

#include <algorithm>
#include <cerrno>

#include "media/OwnFile.h"

#include "eXgine_binding.h"
#include "game_dump.h"
#include "garbage.h"
#include "options.h"
#include "window.h"

namespace {

// A number argument within [0, most]; false when malformed or too big.
bool Number(const std::string& text, uint64_t most, uint64_t* value) {
    int64_t v = 0;
    if (!media::ScriptNumber(text, 0, int64_t(most), &v)) return false;
    *value = uint64_t(v);
    return true;
}

// Parses one command line's words; returns an error text or "".
std::string ParseCommand(const std::vector<std::string>& w, TReplayCommand* c) {
    using C = TReplayCommand;
    const std::string& name = w[0];
    auto arity = [&](std::size_t n) { return w.size() == n + 1; };
    if (name == "seed") {
        c->Command = C::kSeed;
        if (arity(1) && media::ScriptSeed(w[1], &c->A)) return "";
        return "seed takes one whole number from 0 to 18446744073709551615";
    }
    if (name == "update") {
        c->Command = C::kUpdate;
        if (arity(1) && Number(w[1], kMostUpdatesPerCommand, &c->A)) return "";
        return "update takes a count from 0 to " + std::to_string(kMostUpdatesPerCommand);
    }
    if (name == "mouse") {
        c->Command = C::kMouse;
        if (arity(2) && Number(w[1], kLargestCoordinate, &c->A) &&
            Number(w[2], kLargestCoordinate, &c->B))
            return "";
        return "mouse takes X and Y from 0 to 65535";
    }
    if (name == "key") {
        c->Command = C::kKey;
        if (arity(1) && Number(w[1], kLargestKeyCode, &c->A)) return "";
        return "key takes a virtual-key code from 0 to 255";
    }
    if (name == "screenshot") {
        c->Command = C::kScreenshot;
        if (!arity(1)) return "screenshot takes one file name";
        c->File = w[1];
        return "";
    }
    const std::pair<const char*, C::Kind> bare[] = {
        {"press", C::kPress}, {"release", C::kRelease}, {"close", C::kClose}, {"dump", C::kDump}};
    for (const auto& [word, kind] : bare)
        if (name == word) {
            c->Command = kind;
            return arity(0) ? "" : name + " takes no arguments";
        }
    return "unknown command \"" + name + "\"";
}

// A screenshot that cannot be saved is said with its true cause; the run goes on.
void SaveScreenshot(const TReplayCommand& c) {
    errno = 0;
    if (Core->SaveScreenshot(c.File.c_str())) return;
    // The engine leaves errno at the system's reason when writing failed, and at 0 when there
    // was no frame to take (no window: a headless run).
    const int code = errno;
    const std::string why = code ? media::DescribeFileError(c.File, code)
                                 : "there is no window to take it from (a headless run)";
    GameLog("line " + std::to_string(c.Line) + ": no screenshot \"" + c.File + "\": " + why);
}

void ExecuteCommand(const TReplayCommand& c, TReplayPointer& p, media::OutputFile* dump) {
    switch (c.Command) {
        case TReplayCommand::kSeed:
            break;
        case TReplayCommand::kUpdate:
            for (uint64_t i = 0; i < c.A && !Core->QuitCalled(); ++i)
                Core->StepUpdate();
            break;
        case TReplayCommand::kMouse:
            p.x = uint32_t(c.A);
            p.y = uint32_t(c.B);
            Core->PostMessage(ExWmMouseMove, p.Buttons(), p.LParam());
            break;
        case TReplayCommand::kPress:
            p.pressed = true;
            Core->PostMessage(ExWmLButtonDown, p.Buttons(), p.LParam());
            break;
        case TReplayCommand::kRelease:
            p.pressed = false;
            Core->PostMessage(ExWmLButtonUp, p.Buttons(), p.LParam());
            break;
        case TReplayCommand::kKey:
            Core->PostMessage(ExWmKeyDown, uint32_t(c.A), 0);
            break;
        case TReplayCommand::kClose:
            Core->PostMessage(ExWmClose, 0, 0);
            break;
        case TReplayCommand::kDump:
            if (!dump->Write(GameDumpLine() + "\n") || !dump->Flush()) GameLog(dump->Error());
            break;
        case TReplayCommand::kScreenshot:
            SaveScreenshot(c);
            break;
    }
}

// Recording state: where the script goes and the updates not yet written.
media::OutputFile* recordFile = nullptr;
uint64_t pendingUpdates = 0;
bool seedWritten = false;

// Writes one line of the recording; the first failure is said at once and ends the recording.
void RecordLine(const std::string& line) {
    if (!recordFile || recordFile->Failed()) return;
    if (!recordFile->Write(line + "\n")) GameLog(recordFile->Error() + "; the recording stops");
}

void WriteSeedOnce() {
    if (seedWritten) return;
    RecordLine("seed " + std::to_string(UsedSeed));
    seedWritten = true;
}

void WritePendingUpdates() {
    WriteSeedOnce();
    if (pendingUpdates) RecordLine("update " + std::to_string(pendingUpdates));
    pendingUpdates = 0;
}

void RecordingUpdate() {
    ++pendingUpdates;
    GameUpdate();
}

void RecordingWindowProc(uint32_t msg, uint32_t wParam, uint32_t lParam) {
    const uint32_t x = lParam & 0xFFFFu, y = lParam >> 16;
    switch (msg) {
        case ExWmMouseMove:
            WritePendingUpdates();
            RecordLine("mouse " + std::to_string(x) + " " + std::to_string(y));
            break;
        case ExWmLButtonDown:
        case ExWmLButtonUp:
            WritePendingUpdates();
            RecordLine(msg == ExWmLButtonDown ? "press" : "release");
            break;
        case ExWmKeyDown:
            WritePendingUpdates();
            RecordLine("key " + std::to_string(wParam & 0xFFu));
            break;
        case ExWmClose:
        case ExWmQueryEndSession:
            WritePendingUpdates();
            RecordLine("close");
            break;
        default:
            break;
    }
    GameWindowProc(msg, wParam, lParam);
}

}  // namespace

bool TReplayReader::Take(const std::vector<std::string>& words, TReplayCommand* out) {
    TReplayCommand c;
    c.Line = reader_.Line();
    const std::string why = ParseCommand(words, &c);
    if (!why.empty()) return reader_.Fail(why), false;
    if (c.Command == TReplayCommand::kSeed && started_)
        return reader_.Fail("seed must come before the game starts (before any other command)"),
               false;
    started_ = started_ || c.Command != TReplayCommand::kSeed;
    *out = c;
    return true;
}

bool TReplayReader::Next(TReplayCommand* out) {
    std::vector<std::string> words;
    return reader_.Next(&words) == media::ScriptReader::kWords && Take(words, out);
}

std::optional<std::vector<TReplayCommand>> ParseReplay(const std::string& text,
                                                       const std::string& fileName,
                                                       std::string* error) {
    std::vector<TReplayCommand> out;
    TReplayReader reader(nullptr, fileName);
    std::vector<std::string> words;
    using R = media::ScriptReader;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = std::min(text.find('\n', start), text.size());
        R::Result r = reader.Lines().Feed(text.substr(start, end - start), &words);
        TReplayCommand c;
        if (r == R::kError || (r == R::kWords && !reader.Take(words, &c))) break;
        if (r == R::kWords) out.push_back(c);
        start = end + 1;
    }
    if (reader.Error().empty()) reader.Lines().End();
    *error = reader.Error();
    if (!error->empty()) return std::nullopt;
    return out;
}

bool CheckReplay(std::FILE* in, const std::string& fileName, std::string* error) {
    TReplayReader reader(in, fileName);
    for (TReplayCommand c; reader.Next(&c);) {
    }
    *error = reader.Error();
    return error->empty();
}

void TReplayRun::Execute(const TReplayCommand& c) {
    if (c.Command == TReplayCommand::kSeed) {
        if (!seedFixed_) GameSeed = c.A;
        return;
    }
    Start();
    if (!Core->QuitCalled()) ExecuteCommand(c, pointer_, dump_);
}

void TReplayRun::Start() {
    if (started_) return;
    started_ = true;
    Core->StartManual(kUpdatesPerSecond);
}

void TReplayRun::Finish() {
    Start();  // init and free run once even for a script without commands
    Core->EndManual();
}

int RunReplayStream(std::FILE* in, const std::string& name, media::OutputFile* dump,
                    bool seedFixed) {
    TReplayReader reader(in, name);
    TReplayRun run(dump, seedFixed);
    TReplayCommand c;
    while (!run.Done() && reader.Next(&c))
        run.Execute(c);
    run.Finish();
    if (!reader.Error().empty()) {
        GameLog(reader.Error());
        return 2;
    }
    return dump->Failed() ? 1 : 0;
}

void StartRecording(media::OutputFile* out) {
    recordFile = out;
    pendingUpdates = 0;
    seedWritten = false;
    RecordLine(std::string(kReplayMagic) + "\n# recorded from live play");
    Core->SetCallback(ExUpdate, RecordingUpdate);
    WindowHost->SetWindowProc(RecordingWindowProc);
}

void FinishRecording() {
    if (!recordFile) return;
    WritePendingUpdates();
    if (!recordFile->Failed() && !recordFile->Flush())
        GameLog(recordFile->Error() + "; the recording stops");
    recordFile = nullptr;
}

uint32_t TReplayPointer::LParam() const {
    return ExMakeLParam(int(x), int(y));
}

uint32_t TReplayPointer::Buttons() const {
    return pressed ? ExMkLButton : 0;
}

bool TReplayRun::Done() const {
    return (started_ && Core->QuitCalled()) || dump_->Failed();
}
