// Bass, file checks: the decoded size of a WAV or MP3 file judged from its headers, and the
// preparation of a file's bytes for the mixer's decoders.
#pragma once

#include <cstdint>
#include <vector>

// How many decoded bytes a sound file asks for at the mixer's rate and channels (16-bit), judged
// from its headers only; false when the file is not a WAV or MP3 we can judge or declares a rate
// outside kMinFileRate..kMaxFileRate.
bool EstimateDecodedBytes(const std::uint8_t* data, std::uint64_t size, int mixRate,
                          int mixChannels, std::uint64_t& bytes);

// Refuses (false) a file that cannot be judged or would decode to more than kMaxDecodedBytes;
// otherwise mends what the WAV decoder would trip on (a data size past the end of the file).
bool PrepareSoundFile(std::vector<std::uint8_t>& data, int mixRate, int mixChannels);

// The bytes of an ID3v2 tag at the start of `data` (0 when there is none); the sound follows it.
std::uint64_t Id3TagBytes(const std::uint8_t* data, std::uint64_t size);

// The sample rate a WAV file or the first MP3 frame declares; 0 when there is none.
int DeclaredRate(const std::vector<std::uint8_t>& data);
