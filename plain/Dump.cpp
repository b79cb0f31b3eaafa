// Dump: state to JSON. Floats go out with at most 9 significant digits (a float's exact value).
#include "Dump.h"

#include <nlohmann/json.hpp>

#include <map>

#include "Balls.h"
#include "Bass.h"
#include "Content.h"
#include "Particles.h"
#include "Screens.h"
#include "Zodav.h"
#include "media/Cp1251.h"

namespace {

using Json = nlohmann::basic_json<std::map, std::vector, std::string, bool, std::int64_t,
                                  std::uint64_t, float>;

Json Vec(const TVec2& v) {
    return Json::array({v.x, v.y});
}

Json GameStateJson() {
    const GameState& g = gameState;
    return Json{{"screenState", g.screenState},
                {"maxBalls", g.maxBalls},
                {"timeLeft", g.timeLeft},
                {"score", g.score},
                {"ticksPlayed", g.ticksPlayed},
                {"timeBonus", g.timeBonus},
                {"ready", g.ready},
                {"gameType", static_cast<int>(g.gameType)},
                {"damping", g.damping},
                {"weapon", static_cast<int>(g.weapon)},
                {"markDuration", g.markDuration},
                {"tintAlways", g.tintAlways},
                {"textureProcessing", g.textureProcessing},
                {"textureFull", g.textureFull},
                {"soundsOn", g.soundsOn},
                {"musicOn", g.musicOn},
                {"soundVolume", g.soundVolume},
                {"musicVolume", g.musicVolume},
                {"particleLevel", g.particleLevel}};
}

void AddSpine(Json& j) {
    const Spine& s = spine;
    j["gameInProgress"] = s.gameInProgress;
    j["leftHeld"] = s.leftHeld;
    j["rightHeld"] = s.rightHeld;
    j["pointerPixelX"] = s.pointerPixelX;
    j["pointerPixelY"] = s.pointerPixelY;
    j["pointerX"] = s.pointerX;
    j["pointerY"] = s.pointerY;
    j["screenWidth"] = s.screenWidth;
    j["screenHeight"] = s.screenHeight;
    j["fieldLeft"] = s.fieldLeft;
    j["fieldBottom"] = s.fieldBottom;
    j["fieldRight"] = s.fieldRight;
    j["fieldTop"] = s.fieldTop;
    j["sweepA"] = Vec(s.sweepA);
    j["sweepB"] = Vec(s.sweepB);
    j["tick"] = s.tick;
}

Json BallsJson() {
    Json list = Json::array();
    for (int i = 0; i < kBallSlots; ++i) {
        const Ball& b = balls.BallPool[i];
        if (!b.alive) continue;
        list.push_back(Json{{"slot", i},
                            {"x", b.position.x},
                            {"y", b.position.y},
                            {"vx", b.velocity.x},
                            {"vy", b.velocity.y},
                            {"radius", b.radius},
                            {"colour", b.colour},
                            {"mark", b.mark},
                            {"burst", b.burst}});
    }
    return list;
}

Json Text(const TTextElement& t) {
    return Json{{"text", media::Cp1251ToUtf8(t.text)},
                {"align", t.align},
                {"visible", t.visible},
                {"hover", t.hover},
                {"appear", t.appear},
                {"x", t.x},
                {"y", t.y}};
}

Json Sound(const TSound& s) {
    const std::uint32_t active = s.handle ? BASS_ChannelIsActive(s.handle) : BASS_ACTIVE_STOPPED;
    // A slot whose file could not be read holds no stream: it is not reported as loaded.
    return Json{{"loaded", s.loaded && s.handle != 0},
                {"started", s.started},
                {"playing", active == BASS_ACTIVE_PLAYING},
                {"paused", active == BASS_ACTIVE_PAUSED},
                {"file", s.file}};
}

void AddPresentation(Json& j) {
    j["timeText"] = Text(screens.timeText);
    j["scoreText"] = Text(screens.scoreText);
    j["timeBonusText"] = Text(screens.timeBonusText);
    j["scoreBonusText"] = Text(screens.scoreBonusText);
    Json rows = Json::array();
    for (const TTextElement& row : screens.menuRows)
        rows.push_back(Text(row));
    j["menuRows"] = rows;
    j["music"] = Sound(content.Music);
    Json sounds = Json::array();
    for (const TSound& s : content.Sounds)
        sounds.push_back(Sound(s));
    j["sounds"] = sounds;
    Json textures = Json::array();
    for (const TextureSlot& t : content.Textures)
        textures.push_back(Json{{"width", t.width}, {"height", t.height}});
    j["textures"] = textures;
}

}  // namespace

std::string DumpState() {
    Json j = GameStateJson();
    AddSpine(j);
    j["lastAward"] = balls.lastAward;
    j["bonusShowTicks"] = screens.bonusShowTicks;
    j["balls"] = BallsJson();
    j["sparks"] = LiveParticleCount();
    j["pictureNames"] = balls.pictureNames;
    j["pictureList"] = content.PictureList;
    j["musicList"] = content.MusicList;
    j["soundList"] = content.SoundList;
    AddPresentation(j);
    // Bytes that are not UTF-8 (a file name from another system) are replaced, never thrown on.
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}
