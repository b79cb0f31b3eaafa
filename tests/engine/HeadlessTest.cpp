// The engine without a display: pictures and sounds are still decoded and get ids (good files)
// or id 0 and a "refused" log line (bad ones), effects play on SDL's dummy audio driver, and
// the manual driving gives the replay driver a clock, updates and messages it fully controls.
#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "EngineTestFiles.h"

namespace {

using namespace enginetest;

TEST(HeadlessEngine, TextureIdsForGoodAndBadFiles) {
    BoundEngine engine(ExHeadless);
    ASSERT_TRUE(engine.ok());
    ITextureStore* store = engine.core()->TextureStore();
    const TempFolder& dir = engine.folder();
    Picture small = Filled(3, 2, {10, 200, 30});
    std::vector<std::uint8_t> bmp = BmpBytes(small);
    Picture photo = Filled(16, 8, {200, 100, 50});
    std::vector<std::uint8_t> cut(bmp.begin(), bmp.begin() + 30);
    struct Case {
        const char* fault;
        std::string file;
        bool good;
        int width, height;
    };
    const Case cases[] = {
        {"a good BMP is refused", dir.Write("a.bmp", bmp), true, 3, 2},
        {"a good JPEG is refused", WriteJpeg(dir / "b.jpg", photo), true, 16, 8},
        {"pictures are told apart by name, not content", dir.Write("c.jpg", bmp), true, 3, 2},
        {"a text file passes as a picture", dir.Write("d.bmp", {'h', 'e', 'l', 'l', 'o'}), false, 0,
         0},
        {"a cut-off BMP passes", dir.Write("e.bmp", cut), false, 0, 0},
        {"a cut-off JPEG passes", dir.Write("f.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 16}), false, 0, 0},
        {"an empty file passes", dir.Write("g.bmp", ""), false, 0, 0},
        {"a missing file passes", dir / "missing.bmp", false, 0, 0},
    };
    int nextId = 1;
    for (const Case& c : cases) {
        const int id = store->LoadTexture(c.file.c_str(), 0, 1, 0);
        int w = 0, h = 0;
        if (c.good) {
            EXPECT_EQ(id, nextId++) << c.fault << ": ids must count up from 1";
            EXPECT_TRUE(store->TextureSize(id, w, h)) << c.fault;
            EXPECT_EQ(w, c.width) << c.fault;
            EXPECT_EQ(h, c.height) << c.fault;
        } else {
            EXPECT_EQ(id, 0) << c.fault;
        }
    }
    const std::string log = engine.Log();
    EXPECT_NE(log.find("texture loaded: " + dir / "a.bmp"), std::string::npos) << log;
    EXPECT_NE(log.find("texture refused: " + dir / "missing.bmp"), std::string::npos) << log;
    EXPECT_NE(log.find("texture refused: " + dir / "e.bmp"), std::string::npos) << log;
    int w = 0, h = 0;
    EXPECT_FALSE(store->TextureSize(0, w, h)) << "id 0 must name no texture";
    // Binding without a GL context does nothing and must not crash.
    store->BindTexture(1, 0);
    store->UnbindTexture(0);
}

TEST(HeadlessEngine, SoundIdsForGoodAndBadFiles) {
    BoundEngine engine(ExHeadless);
    ASSERT_TRUE(engine.ok());
    IAudio* audio = engine.core()->Audio();
    EXPECT_TRUE(audio->DeviceOpen()) << "the dummy driver should open";
    const TempFolder& dir = engine.folder();
    std::vector<std::uint8_t> good = WavBytes({});
    std::vector<std::uint8_t> noData(good.begin(), good.begin() + 36);
    struct Case {
        const char* fault;
        std::string file;
        bool good;
    };
    const Case cases[] = {
        {"a good 16-bit WAV is refused", dir.Write("a.wav", good), true},
        {"a good 8-bit stereo WAV is refused",
         dir.Write("b.wav", WavBytes({.rate = 44100, .channels = 2, .bits = 8})), true},
        {"a text file passes as a sound", dir.Write("c.wav", {'n', 'o', 'i', 's', 'e'}), false},
        {"a WAV without its data chunk passes", dir.Write("d.wav", noData), false},
        {"a 1 Hz sample rate passes", dir.Write("e.wav", WavBytes({.rate = 1})), false},
        {"a 10 MHz sample rate passes", dir.Write("f.wav", WavBytes({.rate = 10000000})), false},
        {"a header asking for gigabytes is decoded",
         dir.Write("g.wav", WavBytes({.declaredData = 0xFFFFFF00LL})), false},
        {"a missing file passes", dir / "missing.wav", false},
    };
    int nextId = 1;
    for (const Case& c : cases) {
        const int id = audio->LoadSound(c.file.c_str(), 0);
        EXPECT_EQ(id, c.good ? nextId++ : 0) << c.fault;
    }
    const std::string log = engine.Log();
    EXPECT_NE(log.find("sound loaded: " + dir / "a.wav"), std::string::npos) << log;
    EXPECT_NE(log.find("sound refused: " + dir / "g.wav"), std::string::npos) << log;

    EXPECT_EQ(audio->PlayingEffects(), 0);
    audio->PlayEffect(0, 0, 0, 0, 0);
    audio->PlayEffect(99, 0, 0, 0, 0);
    EXPECT_EQ(audio->PlayingEffects(), 0) << "id 0 or an unknown id made a sound";
    audio->PlayEffect(1, 0, 0, 0, 0);
    audio->PlayEffect(2, 0, 50, -100, 0);
    EXPECT_EQ(audio->PlayingEffects(), 2) << "each PlayEffect should start one channel";
}

TEST(HeadlessEngine, MusicThatCannotBeOpenedIsRefused) {
    BoundEngine engine(ExHeadless);
    ASSERT_TRUE(engine.ok());
    IAudio* audio = engine.core()->Audio();
    const std::string junk = engine.folder().Write("x.mp3", {'n', 'o', 't', 'm', 'p', '3'});
    EXPECT_FALSE(audio->PlayMusic(junk.c_str(), true));
    EXPECT_FALSE(audio->PlayMusic((engine.folder() / "none.mp3").c_str(), true));
    EXPECT_FALSE(audio->MusicPlaying());
    // A WAV is a stream the mixer can open as music too; it loops until stopped.
    const std::string wav = engine.folder().Write("m.wav", WavBytes({}));
    EXPECT_TRUE(audio->PlayMusic(wav.c_str(), true));
    EXPECT_TRUE(audio->MusicPlaying());
    audio->StopMusic();
    EXPECT_FALSE(audio->MusicPlaying());
    EXPECT_NE(engine.Log().find("music refused: " + junk), std::string::npos);
}

// What the game's callbacks saw, in order.
std::vector<std::string> g_calls;
IEngineCore* g_core = nullptr;

void Note(const std::string& what) {
    g_calls.push_back(what + "@" + std::to_string(g_core->TimeMs()));
}
void OnInit() {
    Note("init");
}
void OnFree() {
    Note("free");
}
void OnUpdate() {
    Note("update");
}
void OnRender() {
    Note("render");
}
void OnMessage(std::uint32_t msg, std::uint32_t w, std::uint32_t l) {
    g_calls.push_back("msg " + std::to_string(msg) + " " + std::to_string(w) + " " +
                      std::to_string(l));
}
void OnWindowProc(std::uint32_t msg, std::uint32_t, std::uint32_t) {
    g_calls.push_back("proc " + std::to_string(msg));
    if (msg == ExWmDestroy) g_core->Quit();
}

void RegisterAll(IEngineCore* core) {
    g_core = core;
    g_calls.clear();
    core->SetCallback(ExUpdate, OnUpdate);
    core->SetCallback(ExRender, OnRender);
    core->SetCallback(ExInit, OnInit);
    core->SetCallback(ExFree, OnFree);
    core->SetCallback(ExMessage, OnMessage);
    core->WindowHost()->SetWindowProc(OnWindowProc);
}

TEST(HeadlessEngine, ManualDrivingOwnsTheClock) {
    BoundEngine engine(ExHeadless);
    ASSERT_TRUE(engine.ok());
    IEngineCore* core = engine.core();
    RegisterAll(core);
    ASSERT_TRUE(core->WindowHost()->CreateWindow("Scrapfall | Velmora", 0, 0, 500, 600));
    EXPECT_EQ(core->WindowHost()->Width(), 500);
    EXPECT_EQ(core->WindowHost()->Height(), 600);
    EXPECT_EQ(core->WindowHost()->Handle(), nullptr);

    ASSERT_TRUE(core->StartManual(50));
    EXPECT_FALSE(core->StartManual(50)) << "a second loop started inside the first";
    core->StepUpdate();
    core->PostMessage(ExWmMouseMove, 0, ExMakeLParam(120, 340));
    core->StepUpdate();
    core->PostMessage(ExWmKeyDown, ExVkEscape, 1);
    EXPECT_FALSE(core->QuitCalled());
    core->PostMessage(ExWmClose, 0, 0);
    EXPECT_TRUE(core->QuitCalled()) << "the window procedure's Quit on destroy was lost";
    EXPECT_EQ(core->UpdateCount(), 2);
    EXPECT_EQ(core->FrameCount(), 0) << "headless frames were drawn";
    EXPECT_FALSE(core->SaveScreenshot((engine.folder() / "shot.bmp").c_str()));
    core->EndManual();
    core->EndManual();

    const std::vector<std::string> expected = {
        "init@0",     "update@20", "proc 512",     "msg 512 0 " + std::to_string(120 | (340 << 16)),
        "update@40",  "proc 256",  "msg 256 27 1", "proc 16",
        "msg 16 0 0", "proc 2",    "msg 2 0 0",    "free@40",
    };
    EXPECT_EQ(g_calls, expected);
}

TEST(HeadlessEngine, RendererCallsDoNothingWithoutGl) {
    BoundEngine engine(ExHeadless);
    ASSERT_TRUE(engine.ok());
    IRenderer* r = engine.core()->Renderer();
    r->ClearFrame(true, true, false);
    r->Set2DView(0, 0, 500, 600);
    r->SetBlend(3);
    r->SetBlend(0);
    r->WriteText(0, "nothing to draw on", 10, 10);
    EXPECT_EQ(r->Fps(), 0);
    EXPECT_EQ(r->TextWidth(0, "no font yet"), 0) << "a width without any font made";
}

TEST(HeadlessEngine, LogTellsStartAndEnd) {
    TempFolder dir;
    IEngineCore* first = nullptr;
    IEngineCore* again = nullptr;
    ASSERT_TRUE(exInit(&first, (dir / "log.txt").c_str(), ExHeadless));
    EXPECT_TRUE(exInit(&again, (dir / "other.txt").c_str(), ExHeadless));
    EXPECT_EQ(again, first) << "a second exInit made a second engine";
    exDone();
    const std::string log = ReadText(dir / "log.txt");
    EXPECT_EQ(log.rfind("eXgine started headless", 0), 0u) << log;
    EXPECT_NE(log.find("eXgine stopped"), std::string::npos) << log;
    EXPECT_FALSE(exInit(nullptr, (dir / "x.txt").c_str(), ExHeadless));
}

int g_headlessUpdates = 0;
void QuitAfterThree() {
    if (++g_headlessUpdates == 3) g_core->Quit();
}

TEST(HeadlessEngine, LiveLoopRunsWithoutADisplay) {
    BoundEngine engine(ExHeadless);
    ASSERT_TRUE(engine.ok());
    RegisterAll(engine.core());
    g_headlessUpdates = 0;
    engine.core()->SetCallback(ExUpdate, QuitAfterThree);
    engine.core()->Run(50);
    EXPECT_EQ(engine.core()->UpdateCount(), 3) << "updates ran on after Quit";
    EXPECT_EQ(engine.core()->FrameCount(), 0) << "frames drawn without a window";
    ASSERT_GE(g_calls.size(), 2u);
    EXPECT_EQ(g_calls.front().rfind("init@", 0), 0u);
    EXPECT_EQ(g_calls.back().rfind("free@", 0), 0u);
    const int t0 = std::stoi(g_calls.front().substr(5));
    const int t1 = std::stoi(g_calls.back().substr(5));
    EXPECT_GE(t1, t0) << "the clock ran backwards";
}

TEST(HeadlessEngine, InterruptEndsAManualRun) {
    BoundEngine engine(ExHeadless);
    ASSERT_TRUE(engine.ok());
    RegisterAll(engine.core());
    ASSERT_TRUE(engine.core()->StartManual(50));
    engine.core()->StepUpdate();
    // What SDL posts on Ctrl-C or SIGTERM.
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    engine.core()->StepUpdate();
    engine.core()->EndManual();
    const std::vector<std::string> expected = {"init@0",     "update@20", "proc 17",
                                               "msg 17 0 0", "update@40", "free@40"};
    EXPECT_EQ(g_calls, expected) << "an interrupt was swallowed by a manual run";
}

TEST(HeadlessEngine, APauseStopsUpdatesAndTheClockUntilItEnds) {
    BoundEngine engine(ExHeadless);
    ASSERT_TRUE(engine.ok());
    IEngineCore* core = engine.core();
    RegisterAll(core);
    ASSERT_TRUE(core->StartManual(50));
    core->StepUpdate();
    core->PostMessage(ExWmActivateApp, 0, 0);
    core->StepUpdate();
    core->StepUpdate();
    EXPECT_EQ(core->TimeMs(), 20) << "the clock moved while paused";
    EXPECT_EQ(core->UpdateCount(), 1) << "updates ran while paused";
    core->PostMessage(ExWmActivateApp, 1, 0);
    core->StepUpdate();
    core->EndManual();
    const std::vector<std::string> expected = {"init@0",  "update@20",  "proc 28",   "msg 28 0 0",
                                               "proc 28", "msg 28 1 0", "update@40", "free@40"};
    EXPECT_EQ(g_calls, expected);
    const std::string log = engine.Log();
    EXPECT_NE(log.find("paused at 20 ms after 1 updates"), std::string::npos) << log;
    EXPECT_NE(log.find("resumed at 20 ms after 1 updates"), std::string::npos) << log;
}

// SIGHUP and SIGQUIT end a run the way SDL makes SIGINT and SIGTERM end it; a signal the
// program was started ignoring (nohup) stays ignored.
TEST(HeadlessEngine, HangUpAndQuitSignalsEndARunInOrder) {
    for (int signal : {SIGHUP, SIGQUIT}) {
        BoundEngine engine(ExHeadless);
        ASSERT_TRUE(engine.ok());
        RegisterAll(engine.core());
        ASSERT_TRUE(engine.core()->StartManual(50));
        raise(signal);
        engine.core()->StepUpdate();
        engine.core()->EndManual();
        const std::vector<std::string> expected = {"init@0", "proc 17", "msg 17 0 0", "update@20",
                                                   "free@20"};
        EXPECT_EQ(g_calls, expected) << "signal " << signal;
    }
    struct sigaction ignore {
    }, before{}, during{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGHUP, &ignore, &before);
    {
        BoundEngine engine(ExHeadless);
        sigaction(SIGHUP, nullptr, &during);
    }
    sigaction(SIGHUP, &before, nullptr);
    EXPECT_EQ(during.sa_handler, SIG_IGN) << "a hang-up ignored by nohup is caught";
}

}  // namespace
