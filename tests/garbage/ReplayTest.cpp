// Replay scripts: what is read from them, and the malformed lines that must stop the program
// with the file and line named.
#include "replay.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "eXgine_binding.h"
#include "game_state.h"
#include "garbage.h"
#include "window.h"

namespace {

TEST(ParseReplay, ReadsEveryCommand) {
    const std::string script =
        "garbage-replay 1\r\n# a comment\n\n  seed 9\nupdate 3\nmouse 10 20\npress\nrelease\n"
        "key 27\nclose\ndump\nscreenshot out.bmp\n\tupdate   0  \n";
    std::string error;
    auto c = ParseReplay(script, "s.txt", &error);
    ASSERT_TRUE(c) << error;
    using R = TReplayCommand;
    std::vector<R::Kind> kinds;
    for (const R& r : *c)
        kinds.push_back(r.Command);
    EXPECT_EQ(kinds,
              (std::vector<R::Kind>{R::kSeed, R::kUpdate, R::kMouse, R::kPress, R::kRelease,
                                    R::kKey, R::kClose, R::kDump, R::kScreenshot, R::kUpdate}));
    EXPECT_EQ((*c)[0].A, 9u);
    EXPECT_EQ((*c)[2].A, 10u);
    EXPECT_EQ((*c)[2].B, 20u);
    EXPECT_EQ((*c)[2].Line, 6);
    EXPECT_EQ((*c)[8].File, "out.bmp");
}

TEST(ParseReplay, MalformedLinesNameFileAndLine) {
    struct Case {
        const char* fault;
        std::string script;
        const char* where;
    };
    const Case cases[] = {
        {"missing magic accepted", "update 1\n", "s.txt:1:"},
        {"wrong version accepted", "garbage-replay 2\n", "s.txt:1:"},
        {"other game's replay accepted", "zodav-replay 1\n", "s.txt:1:"},
        {"empty file accepted", "", "s.txt: the script is empty"},
        {"only comments accepted", "# nothing\n\n", "s.txt: the script is empty"},
        {"unknown command skipped", "garbage-replay 1\nupdate 1\njump\n", "s.txt:3:"},
        {"negative count wrapped", "garbage-replay 1\nupdate -1\n", "s.txt:2:"},
        {"count without number", "garbage-replay 1\nupdate\n", "s.txt:2:"},
        {"huge count runs for ever", "garbage-replay 1\nupdate 99999999999\n", "s.txt:2:"},
        {"mouse with one coordinate", "garbage-replay 1\nmouse 5\n", "s.txt:2:"},
        {"mouse beyond 16 bits", "garbage-replay 1\nmouse 70000 5\n", "s.txt:2:"},
        {"extra argument ignored", "garbage-replay 1\npress 1\n", "s.txt:2:"},
        {"key beyond a byte", "garbage-replay 1\nkey 300\n", "s.txt:2:"},
        {"screenshot without file", "garbage-replay 1\nscreenshot\n", "s.txt:2:"},
        {"seed after the start", "garbage-replay 1\nupdate 1\nseed 4\n", "s.txt:3:"},
        {"fractional count", "garbage-replay 1\n\n\nupdate 1.5\n", "s.txt:4:"},
        {"comment glued to a number", "garbage-replay 1\nupdate 5#x\n", "s.txt:2:"},
        {"endless line kept in memory",
         "garbage-replay 1\nupdate 1 " + std::string(5000, ' ') + "\n", "s.txt:2:"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseReplay(c.script, "s.txt", &error)) << c.fault;
        EXPECT_EQ(error.rfind(c.where, 0), 0u) << c.fault << ": " << error;
    }
}

// The lines the shared reader lets through: comments after a command, blank lines and comments
// before the first line, signs, and Windows line ends.
TEST(ParseReplay, SharedConventionsAccepted) {
    std::string error;
    auto c = ParseReplay(
        "# made by hand\n\ngarbage-replay 1 # v1\nupdate +2 # two\nmouse 0 065535\r\n"
        "screenshot a#b.bmp\n",
        "s.txt", &error);
    ASSERT_TRUE(c) << error;
    ASSERT_EQ(c->size(), 3u);
    EXPECT_EQ((*c)[0].A, 2u);
    EXPECT_EQ((*c)[0].Line, 4);
    EXPECT_EQ((*c)[1].B, 65535u);
    EXPECT_EQ((*c)[2].File, "a#b.bmp") << "only a word that starts with # is a comment";
}

TEST(CheckReplay, FilesAreNamedWithTheirTrueFault) {
    TempFolder dir;
    dir.Write("ok.txt", "garbage-replay 1\nupdate 2\n");
    dir.Write("bad.txt", "garbage-replay 1\nupdate 2\nhop\n");
    std::filesystem::create_directories(dir / "folder");
    struct Case {
        const char* fault;
        std::string path;
        const char* message;  // empty: accepted
    };
    const Case cases[] = {
        {"a good script refused", dir / "ok.txt", ""},
        {"a bad line not named", dir / "bad.txt", "bad.txt:3: unknown command"},
        {"a missing file not named", dir / "none.txt", "No such file or directory"},
        {"a folder read as an empty script", dir / "folder", "is a folder"},
    };
    for (const Case& c : cases) {
        std::string error;
        media::ScriptFile f = media::OpenScript(c.path, &error);
        if (f) CheckReplay(f.get(), c.path, &error);
        if (*c.message == 0)
            EXPECT_EQ(error, "") << c.fault;
        else
            EXPECT_NE(error.find(c.message), std::string::npos) << c.fault << ": " << error;
    }
}

}  // namespace

namespace {

// A headless game seeded with `seed`, recording into rec.txt of the current folder, its engine
// stepped by hand.
void StartRecordedGame(uint64_t seed, media::OutputFile* out) {
    GameSeed = seed;
    ASSERT_TRUE(BindEngine(ExHeadless));
    ASSERT_TRUE(GameStartUp(true));
    ASSERT_TRUE(out->Open("rec.txt", "recording"));
    StartRecording(out);
    ASSERT_TRUE(Core->StartManual(kUpdatesPerSecond));
}

// What live play records must read back as the same commands.
TEST(Recording, WritesWhatTheReaderReads) {
    TempFolder dir(true);
    media::OutputFile out;
    StartRecordedGame(77, &out);
    ASSERT_FALSE(HasFatalFailure());
    for (int i = 0; i < 3; ++i)
        Core->StepUpdate();
    Core->PostMessage(ExWmMouseMove, 0, ExMakeLParam(10, 20));
    Core->PostMessage(ExWmLButtonDown, ExMkLButton, ExMakeLParam(11, 21));
    Core->StepUpdate();
    Core->PostMessage(ExWmLButtonUp, 0, ExMakeLParam(11, 21));
    Core->PostMessage(ExWmKeyDown, ExVkEscape, 0);
    Core->StepUpdate();
    Core->EndManual();
    FinishRecording();
    EXPECT_TRUE(out.Close());
    UnbindEngine();
    const std::string text = dir.Read("rec.txt");
    EXPECT_EQ(text.substr(text.find("seed")),
              "seed 77\nupdate 3\nmouse 10 20\npress\nupdate 1\nrelease\nkey 27\nupdate 1\n");
    std::string error;
    auto commands = ParseReplay(text, "rec.txt", &error);
    ASSERT_TRUE(commands) << error;
    EXPECT_EQ(commands->size(), 8u);
}

}  // namespace

namespace {

// The dump lines a script gives, replayed headless in a fresh folder.
std::vector<std::string> DumpsOf(const std::string& script) {
    TempFolder dir(true);
    GameState = TGameState{};
    QuitRequested = false;
    GameSeed.reset();
    dir.Write("focus.txt", script);
    if (!BindEngine(ExHeadless)) return {};
    if (GameStartUp(true)) {
        media::OutputFile dump;
        std::FILE* in = std::fopen("focus.txt", "r");
        EXPECT_TRUE(dump.Open("dump.jsonl", "dump") && in != nullptr);
        if (in != nullptr) {
            EXPECT_EQ(RunReplayStream(in, "focus.txt", &dump, false), 0);
            std::fclose(in);
        }
        dump.Close();
    }
    UnbindEngine();
    std::vector<std::string> lines;
    std::istringstream text(dir.Read("dump.jsonl"));
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

TEST(FocusCommands, ParsedAndMalformedNamed) {
    std::string error;
    auto c = ParseReplay("garbage-replay 1\nfocus out\nfocus  in \n", "f.txt", &error);
    ASSERT_TRUE(c) << error;
    ASSERT_EQ(c->size(), 2u);
    EXPECT_EQ((*c)[0].Command, TReplayCommand::kFocusOut);
    EXPECT_EQ((*c)[1].Command, TReplayCommand::kFocusIn);
    for (const char* bad : {"focus", "focus sideways", "focus in now", "focus IN"}) {
        EXPECT_FALSE(ParseReplay(std::string("garbage-replay 1\n") + bad + "\n", "f.txt", &error))
            << bad;
        EXPECT_EQ(error.rfind("f.txt:2:", 0), 0u) << bad << ": " << error;
    }
}

// While the focus is out nothing moves, however many updates the script asks for, and the
// game goes on from where it stopped once the focus is back.
TEST(FocusCommands, NothingMovesWhileTheFocusIsOut) {
    const std::string script =
        "garbage-replay 1\nseed 3\nmouse 200 300\nupdate 300\ndump\nfocus out\nupdate 500\n"
        "mouse 100 300\ndump\nfocus in\nupdate 20\ndump\n";
    const std::vector<std::string> dumps = DumpsOf(script);
    ASSERT_EQ(dumps.size(), 3u);
    const auto before = nlohmann::json::parse(dumps[0]), paused = nlohmann::json::parse(dumps[1]),
               after = nlohmann::json::parse(dumps[2]);
    EXPECT_EQ(paused["update"], before["update"]);
    EXPECT_EQ(paused["now"], before["now"]);
    EXPECT_EQ(paused["SunPhase"], before["SunPhase"]);
    EXPECT_EQ(paused["Items"], before["Items"]);
    EXPECT_EQ(paused["MouseX"], 100) << "messages still reach the game while paused";
    EXPECT_EQ(after["update"], 320);
    EXPECT_EQ(after["now"], 6400);
    EXPECT_EQ(DumpsOf(script), dumps) << "the same script replayed differently";
}

TEST(FocusCommands, RecordedAsTheEngineReportsThem) {
    TempFolder dir(true);
    media::OutputFile out;
    StartRecordedGame(5, &out);
    ASSERT_FALSE(HasFatalFailure());
    Core->StepUpdate();
    Core->PostMessage(ExWmActivateApp, 0, 0);
    Core->StepUpdate();  // paused: no update to record
    Core->PostMessage(ExWmActivateApp, 1, 0);
    Core->StepUpdate();
    Core->EndManual();
    FinishRecording();
    EXPECT_TRUE(out.Close());
    UnbindEngine();
    const std::string text = dir.Read("rec.txt");
    EXPECT_EQ(text.substr(text.find("seed")), "seed 5\nupdate 1\nfocus out\nfocus in\nupdate 1\n");
}

}  // namespace
