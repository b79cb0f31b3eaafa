// The state dump of the catching game: one JSON line with every field of the game state, the
// clock, the window size, the quit flag, the content list and the updates run so far.
#include "game_dump.h"

#include "eXgine_binding.h"
#include "game_state.h"
#include "garbage_files.h"
#include "window.h"

namespace {

DumpJson BinJson(const TBin& b) {
    return {{"X", b.X},
            {"Y", b.Y},
            {"Grabbed", b.Grabbed},
            {"VelX", b.VelX},
            {"FacingRight", b.FacingRight},
            {"Count", b.Count},
            {"Active", b.Active},
            {"PayoutTime", b.PayoutTime}};
}

DumpJson ItemJson(const TGarbageItem& i) {
    return {{"X", i.X}, {"Y", i.Y}, {"Kind", i.Kind}, {"Speed", i.Speed}};
}

template <typename T, std::size_t N>
DumpJson Array(const std::array<T, N>& values) {
    DumpJson out = DumpJson::array();
    for (const T& v : values)
        out.push_back(v);
    return out;
}

void AddState(DumpJson& j, const TGameState& s) {
    j["Developer"] = s.Developer;
    j["Size"] = s.Size;
    j["Scale"] = s.Scale;
    j["Bins"] = {BinJson(s.Bins[0]), BinJson(s.Bins[1])};
    j["Items"] = DumpJson::array();
    for (const TGarbageItem& i : s.Items)
        j["Items"].push_back(ItemJson(i));
    j["Spawned"] = s.Spawned;
    j["LastSpawn"] = Array(s.LastSpawn);
    j["SpawnInterval"] = Array(s.SpawnInterval);
    j["Score"] = s.Score;
    j["Level"] = s.Level;
    j["Lives"] = s.Lives;
    j["LastScoreTick"] = s.LastScoreTick;
    j["MouseX"] = s.MouseX;
    j["MouseY"] = s.MouseY;
    j["Hovered"] = s.Hovered;
    j["DragStartX"] = s.DragStartX;
    j["DragStartY"] = s.DragStartY;
    j["DragCurX"] = s.DragCurX;
    j["DragCurY"] = s.DragCurY;
    j["SunPhase"] = s.SunPhase;
    j["SunForward"] = s.SunForward;
    j["SunTurnTime"] = s.SunTurnTime;
    j["ItemRadius"] = s.ItemRadius;
}

void AddHandles(DumpJson& j, const TGameState& s) {
    j["FontSmall"] = s.FontSmall;
    j["FontTitle"] = s.FontTitle;
    j["FontBig"] = s.FontBig;
    j["FontCredits"] = s.FontCredits;
    j["PictureId"] = Array(s.PictureId);
    j["SoundId"] = Array(s.SoundId);
    j["MusicIndex"] = s.MusicIndex;
    j["HopFlag"] = Array(s.HopFlag);
    j["HopOffset"] = Array(s.HopOffset);
    j["Fade"] = s.Fade;
    j["Defeat"] = s.Defeat;
    j["Victory"] = s.Victory;
}

DumpJson FilesJson() {
    DumpJson files = DumpJson::array();
    for (const TGarbageFile& f : GarbageFiles)
        files.push_back({{"Path", f.Path}, {"Category", f.Category}, {"EngineId", f.EngineId}});
    return files;
}

}  // namespace

DumpJson GameDump() {
    DumpJson j = DumpJson::object();
    AddState(j, GameState);
    AddHandles(j, GameState);
    j["now"] = Core ? Core->TimeMs() : 0;
    j["width"] = WindowHost ? WindowHost->Width() : 0;
    j["height"] = WindowHost ? WindowHost->Height() : 0;
    j["QuitRequested"] = QuitRequested;
    j["GarbageFiles"] = FilesJson();
    j["PictureCount"] = PictureCount;
    j["SoundCount"] = SoundCount;
    j["MusicCount"] = MusicCount;
    j["update"] = Core ? Core->UpdateCount() : 0;
    return j;
}

std::string GameDumpLine() {
    // Replace invalid UTF-8 (file names are bytes) rather than throw.
    return GameDump().dump(-1, ' ', false, DumpJson::error_handler_t::replace);
}
