// The catching game's one state record: the two bins, the falling pieces, score, level, lives,
// the throw gesture, the sun, the font/picture/sound handles and the end flags.
// The single instance GameState lives in rules.cpp; everything else reads it through here.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

// One catcher on wheels. (X, Y) is the centre of its collision circle (radius 36 s); its
// wall box is 64 s square around that centre.
struct TBin {
    float X = 0;
    float Y = 0;
    bool Grabbed = false;
    float VelX = 0;  // pixels per update, positive to the right
    bool FacingRight = false;
    int32_t Count = 0;  // pieces held, normally 0 to 5
    bool Active = false;
    int32_t PayoutTime = 0;  // clock reading when three or four held pieces pay; 0 after a payout
};

// One falling piece, drawn 32 x 32 from its top-left corner (X, Y).
struct TGarbageItem {
    float X = 0;
    float Y = 0;
    int32_t Kind = 0;  // 0 or 1: its spawner, its picture and the only bin that catches it
    float Speed = 0;   // pixels per update, fixed at the spawn
};

struct TGameState {
    int32_t Developer = 1;  // the debug overlay shows when exactly 1
    int32_t Size = 10;      // window size factor from the configuration
    float Scale = 1.0f;     // Size / 10

    std::array<TBin, 2> Bins{};
    std::vector<TGarbageItem> Items;  // in no particular order

    int32_t Spawned = 0;                     // pieces spawned since the start, both spawners
    std::array<int32_t, 2> LastSpawn{};      // clock reading of each spawner's last spawn
    std::array<int32_t, 2> SpawnInterval{};  // ms, rewritten by the level table every update
    int32_t Score = 0;
    int32_t Level = 0;  // 0 to 10
    int32_t Lives = 10;
    int32_t LastScoreTick = 0;

    int32_t MouseX = 0;
    int32_t MouseY = 0;
    int32_t Hovered = -1;  // bin under the mouse, -1 for none
    int32_t DragStartX = 0;
    int32_t DragStartY = 0;
    int32_t DragCurX = 0;
    int32_t DragCurY = 0;

    float SunPhase = 0;  // radians
    bool SunForward = false;
    int32_t SunTurnTime = 0;

    float ItemRadius = 16.0f;  // 16 s

    int32_t FontSmall = 0;
    int32_t FontTitle = 0;
    int32_t FontBig = 0;
    int32_t FontCredits = 0;

    std::array<int32_t, 2> PictureId{};  // texture on pieces of kind 0 and 1
    std::array<int32_t, 3> SoundId{};    // catch into bin 0, catch into bin 1, payout
    int32_t MusicIndex = 0;

    std::array<bool, 2> HopFlag{};     // the hop after a catch is still rising
    std::array<float, 2> HopOffset{};  // 0 down to -5

    float Fade = 0;  // end-screen darkening, rises to 0.5
    bool Defeat = false;
    bool Victory = false;
};

extern TGameState GameState;
