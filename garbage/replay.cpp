// Replay scripts of the catching game: driving the engine by hand from them, and recording live
// input in the same format (the script is read in replay_script.cpp).
#include "replay.h"

#include <cerrno>

#include "eXgine_binding.h"
#include "game_dump.h"
#include "garbage.h"
#include "media/GameHome.h"
#include "media/OwnFile.h"
#include "options.h"
#include "window.h"

namespace {

// A screenshot that cannot be saved is said with its true cause; the run goes on.
void SaveScreenshot(const TReplayCommand& c) {
    errno = 0;
    if (Core->SaveScreenshot(FromStartFolder(c.File).c_str())) return;
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
        case TReplayCommand::kFocusOut:
        case TReplayCommand::kFocusIn:
            Core->PostMessage(ExWmActivateApp, c.Command == TReplayCommand::kFocusIn ? 1 : 0, 0);
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
        case ExWmActivateApp:
            WritePendingUpdates();
            RecordLine(wParam ? "focus in" : "focus out");
            break;
        default:
            break;
    }
    GameWindowProc(msg, wParam, lParam);
}

}  // namespace

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
