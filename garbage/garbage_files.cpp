// The player's content: the walk of "garbage/" and its subfolders, sorted by name in every
// folder, and the list of pictures, sound effects and music with their engine ids.
#include "garbage_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "eXgine_binding.h"

std::vector<TGarbageFile> GarbageFiles;
int32_t PictureCount = 0;
int32_t SoundCount = 0;
int32_t MusicCount = 0;

namespace {

const std::string kFolder = "garbage/";
const std::string kFallbackFolder = "../../garbage/";

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// What a directory entry is to the walk. Symbolic links to folders are not followed, so a link
// loop or a link out of the content folder cannot trap or widen the scan; fifos and devices
// are left alone because opening one could block the game.
enum class EntryKind { kSkip, kFile, kFolder };

EntryKind KindOf(int dirFd, const dirent* e) {
    struct stat st {};
    switch (e->d_type) {
        case DT_REG:
            return EntryKind::kFile;
        case DT_DIR:
            return EntryKind::kFolder;
        case DT_LNK:
            if (fstatat(dirFd, e->d_name, &st, 0) != 0) return EntryKind::kSkip;
            return S_ISREG(st.st_mode) ? EntryKind::kFile : EntryKind::kSkip;
        case DT_UNKNOWN:
            if (fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return EntryKind::kSkip;
            if (S_ISDIR(st.st_mode)) return EntryKind::kFolder;
            if (S_ISREG(st.st_mode)) return EntryKind::kFile;
            if (S_ISLNK(st.st_mode) && fstatat(dirFd, e->d_name, &st, 0) == 0 &&
                S_ISREG(st.st_mode))
                return EntryKind::kFile;
            return EntryKind::kSkip;
        default:
            return EntryKind::kSkip;
    }
}

// One matching file of a folder: its name and the masks it matched, as bits.
struct MatchedFile {
    std::string name;
    uint32_t maskBits = 0;
};

struct FolderListing {
    std::vector<MatchedFile> files;
    std::vector<std::string> folders;
};

uint32_t MatchBits(const char* name, std::span<const std::string> masks) {
    uint32_t bits = 0;
    for (std::size_t i = 0; i < masks.size() && i < 32; ++i)
        if (MaskMatches(name, masks[i])) bits |= 1u << i;
    return bits;
}

// Reads one open folder: matching files (hidden ones included) and subfolders (hidden ones,
// "." and ".." left out), each sorted by name.
FolderListing ListFolder(DIR* dir, std::span<const std::string> masks) {
    FolderListing out;
    int fd = dirfd(dir);
    while (const dirent* e = readdir(dir)) {
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
        EntryKind kind = KindOf(fd, e);
        if (kind == EntryKind::kFile) {
            uint32_t bits = MatchBits(name, masks);
            if (bits) out.files.push_back({name, bits});
        } else if (kind == EntryKind::kFolder && name[0] != '.') {
            out.folders.emplace_back(name);
        }
    }
    std::sort(out.files.begin(), out.files.end(),
              [](const MatchedFile& a, const MatchedFile& b) { return a.name < b.name; });
    std::sort(out.folders.begin(), out.folders.end());
    return out;
}

// dir is owned (closed) here. A folder that cannot be opened is skipped.
void Walk(DIR* dir, std::string& path, std::span<const std::string> masks,
          std::span<std::vector<TGarbageFile>> buckets) {
    FolderListing listing = ListFolder(dir, masks);
    for (const MatchedFile& f : listing.files)
        for (std::size_t i = 0; i < buckets.size(); ++i)
            if (f.maskBits & (1u << i)) buckets[i].push_back({path + f.name, 0, 0});
    const std::size_t length = path.size();
    for (const std::string& name : listing.folders) {
        int fd = openat(dirfd(dir), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        DIR* sub = fd < 0 ? nullptr : fdopendir(fd);
        if (!sub) {
            if (fd >= 0) close(fd);
            continue;
        }
        path += name;
        path += '/';
        Walk(sub, path, masks, buckets);
        path.resize(length);
    }
    closedir(dir);
}

// Fills the list from one folder: .bmp and .jpg pictures, .wav sounds, .mp3 music.
void ListFrom(const std::string& folder) {
    static const std::array<std::string, 4> masks = {"*.bmp", "*.jpg", "*.wav", "*.mp3"};
    static const std::array<uint8_t, 4> categories = {kCategoryPicture, kCategoryPicture,
                                                      kCategorySound, kCategoryMusic};
    std::array<std::vector<TGarbageFile>, 4> buckets;
    std::string path = folder;
    CollectFilesByMasks(path, masks, buckets);
    GarbageFiles.clear();
    for (std::size_t i = 0; i < buckets.size(); ++i)
        for (TGarbageFile& f : buckets[i]) {
            f.Category = categories[i];
            GarbageFiles.push_back(std::move(f));
        }
    PictureCount = int32_t(buckets[0].size() + buckets[1].size());
    SoundCount = int32_t(buckets[2].size());
    MusicCount = int32_t(buckets[3].size());
}

}  // namespace

bool MaskMatches(std::string_view name, std::string_view mask) {
    if (mask == "*.*" || mask == "*") return true;
    // Greedy wildcard match with one backtrack point: the last "*" seen.
    std::size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (m < mask.size() && (mask[m] == '?' || Lower(mask[m]) == Lower(name[n]))) {
            ++n;
            ++m;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

void CollectFilesByMasks(std::string& path, std::span<const std::string> masks,
                         std::span<std::vector<TGarbageFile>> buckets) {
    DIR* dir = opendir(path.empty() ? "." : path.c_str());
    if (dir) Walk(dir, path, masks, buckets);
}

void CollectFiles(std::string& path, const std::string& mask) {
    std::array<std::vector<TGarbageFile>, 1> bucket;
    CollectFilesByMasks(path, std::span(&mask, 1), bucket);
    for (TGarbageFile& f : bucket[0])
        GarbageFiles.push_back(std::move(f));
}

void FindGarbageFiles(std::string folder, std::string mask) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    if (mask.empty()) mask = "*.*";
    CollectFiles(folder, mask);
}

// A content folder that exists but cannot be read would look like an empty one: say why.
void SayIfUnreadable(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir)
        closedir(dir);
    else if (errno != ENOENT)
        GameLog("cannot read the content folder \"" + folder + "\": " + std::strerror(errno));
}

void ListGarbageFolder() {
    SayIfUnreadable(kFolder);
    ListFrom(kFolder);
    if (GarbageFiles.empty()) ListFrom(kFallbackFolder);
}

void LoadGarbageFiles() {
    for (TGarbageFile& f : GarbageFiles) {
        if (f.Category == kCategoryPicture && TextureStore)
            f.EngineId = TextureStore->LoadTexture(f.Path.c_str(), 0, 1, 0);
        else if (f.Category == kCategorySound && Audio)
            f.EngineId = Audio->LoadSound(f.Path.c_str(), 0);
    }
}

void ScanGarbageFolder() {
    ListGarbageFolder();
    LoadGarbageFiles();
}
