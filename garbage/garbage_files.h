// The player's content: every picture, sound effect and music file under "garbage/", walked with
// its subfolders, and the engine ids of the pictures and sounds once loaded.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// One content file with its category and the id the engine gave it.
struct TGarbageFile {
    std::string Path;      // folder prefix, subfolders each followed by "/", then the file name
    uint8_t Category = 0;  // 0 picture, 1 sound effect, 2 music
    int32_t EngineId = 0;  // texture id (pictures) or sound id (sound effects); 0 for music
};

enum : uint8_t { kCategoryPicture = 0, kCategorySound = 1, kCategoryMusic = 2 };

// Pictures first (.bmp, then .jpg), then sound effects (.wav), then music (.mp3).
extern std::vector<TGarbageFile> GarbageFiles;
extern int32_t PictureCount;
extern int32_t SoundCount;
extern int32_t MusicCount;

// Fills the list from "garbage/" (or "../../garbage/" when that yields nothing) and loads the
// pictures and sounds through the engine.
void ScanGarbageFolder();

// The listing half of ScanGarbageFolder: fills the list and counts, loads nothing.
void ListGarbageFolder();

// Loads every picture as a texture and every sound effect as a sound, storing the ids.
void LoadGarbageFiles();

// Appends every file under folder, subfolders included, whose name matches mask. An empty
// folder means the current directory; an empty mask means "*.*".
void FindGarbageFiles(std::string folder, std::string mask);

// The walk behind FindGarbageFiles: path is the folder with its trailing "/" (or empty); it is
// extended while descending and restored before returning.
void CollectFiles(std::string& path, const std::string& mask);

// Walks the tree under path once and sorts each matching file into the bucket of every mask it
// matches, in the order that one walk per mask would give.
void CollectFilesByMasks(std::string& path, std::span<const std::string> masks,
                         std::span<std::vector<TGarbageFile>> buckets);
