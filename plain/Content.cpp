// Content: the file lists, the sound slots, and the loaders of music and effects that game
// initialisation, F3 and F4 run.
#include "Content.h"

#include "Random.h"
#include "Zodav.h"

ContentState content;

void LoadMusic() {
    if (content.Music.loaded) SoundStop(content.Music);
    if (!content.MusicList.empty()) {
        const std::string& name =
            content.MusicList[Random(static_cast<std::uint32_t>(content.MusicList.size()))];
        // Streamed: a track of any length plays, and F3 never waits for a whole decode.
        SoundLoad(content.Music, ContentFolder + name, true, 1.0f, true);
    }
    gameState.musicOn = 1;
    SoundPlay(content.Music);
}

void LoadSounds() {
    for (TSound& slot : content.Sounds)
        if (slot.loaded) SoundStop(slot);
    if (content.SoundList.empty()) return;
    // Each slot draws on its own: two slots may get the same file. Nothing starts here; the game
    // starts and pauses its effects itself.
    for (TSound& slot : content.Sounds) {
        const std::string& name =
            content.SoundList[Random(static_cast<std::uint32_t>(content.SoundList.size()))];
        SoundLoad(slot, ContentFolder + name, true, 0.5f);
    }
}
