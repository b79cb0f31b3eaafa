// Bass: the audio layer on SDL2_mixer.
#include "Bass.h"

std::uint32_t BASS_GetVersion() {
    return 0x02040000;
}
int BASS_Init(int, std::uint32_t, std::uint32_t, void*, void*) {
    return 0;
}
int BASS_Free() {
    return 1;
}
HSTREAM BASS_StreamCreateFile(int, const char*, std::uint64_t, std::uint64_t, std::uint32_t) {
    return 0;
}
std::uint32_t BASS_ChannelFlags(std::uint32_t, std::uint32_t, std::uint32_t) {
    return 0;
}
int BASS_ChannelSetAttribute(std::uint32_t, std::uint32_t, float) {
    return 0;
}
int BASS_ChannelPlay(std::uint32_t, int) {
    return 0;
}
int BASS_ChannelPause(std::uint32_t) {
    return 0;
}
int BASS_ChannelStop(std::uint32_t) {
    return 0;
}
std::uint32_t BASS_ChannelIsActive(std::uint32_t) {
    return BASS_ACTIVE_STOPPED;
}
int BASS_StreamFree(std::uint32_t) {
    return 0;
}
