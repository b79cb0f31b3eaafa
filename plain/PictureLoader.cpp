// Content, pictures on every core. Each picture is decoded and passed by one worker alone, with
// the same code as on one thread, so the pixels never depend on the number of threads.
#include "PictureLoader.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace {

struct Shared {
    Shared(const std::vector<std::string>& list, bool bright, bool cropped, std::size_t window)
        : files(list), brighten(bright), crop(cropped), ahead(window) {}

    const std::vector<std::string>& files;
    bool brighten;
    bool crop;
    std::size_t ahead;
    std::mutex lock;
    std::condition_variable changed;
    std::size_t claimed = 0;  // pictures handed to workers
    std::size_t used = 0;     // pictures the game thread is done with
    std::vector<PicturePixels> slots;
    std::vector<char> ready;
    std::vector<std::vector<std::uint8_t>> spare;  // RGBA buffers to reuse
};

// Out of memory for a photo: the grey fallback, as for any picture that cannot be read.
void MakeOne(Shared& s, std::size_t k, media::RgbPicture& decoded, PicturePixels& out) {
    try {
        MakePicturePixels(s.files[k], s.brighten, s.crop, decoded, out);
    } catch (const std::bad_alloc&) {
        decoded = media::RgbPicture{};
        out.rgba = std::vector<std::uint8_t>();
        MakePicturePixels("nill", s.brighten, s.crop, decoded, out);
    }
}

void Work(Shared& s) {
    media::RgbPicture decoded;
    for (;;) {
        PicturePixels out;
        std::size_t k = 0;
        {
            std::unique_lock<std::mutex> hold(s.lock);
            s.changed.wait(
                hold, [&] { return s.claimed == s.files.size() || s.claimed < s.used + s.ahead; });
            if (s.claimed == s.files.size()) return;
            k = s.claimed++;
            if (!s.spare.empty()) {
                out.rgba = std::move(s.spare.back());
                s.spare.pop_back();
            }
        }
        MakeOne(s, k, decoded, out);
        std::lock_guard<std::mutex> hold(s.lock);
        s.slots[k] = std::move(out);
        s.ready[k] = 1;
        s.changed.notify_all();
    }
}

}  // namespace

int PictureThreads() {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

void LoadPicturesInOrder(const std::vector<std::string>& files, bool brighten, bool cropToCircle,
                         int threads,
                         const std::function<void(std::size_t, const PicturePixels&)>& use) {
    const std::size_t workers = std::min<std::size_t>(std::max(threads, 1), files.size());
    // One picture more in hand than there are workers: a worker done early starts the next
    // instead of waiting for the game thread to take a slower neighbour's picture.
    Shared s(files, brighten, cropToCircle, workers + 1);
    s.slots.resize(files.size());
    s.ready.assign(files.size(), 0);
    std::vector<std::thread> pool;
    try {
        for (std::size_t t = 0; workers > 1 && t < workers; ++t)
            pool.emplace_back(Work, std::ref(s));
    } catch (const std::system_error&) {
        // No more threads to be had: those started do the work, or this one alone.
    }
    if (pool.empty()) {
        media::RgbPicture decoded;
        PicturePixels pixels;
        for (std::size_t k = 0; k < files.size(); ++k) {
            MakePicturePixels(files[k], brighten, cropToCircle, decoded, pixels);
            use(k, pixels);
        }
        return;
    }
    for (std::size_t k = 0; k < files.size(); ++k) {
        {
            std::unique_lock<std::mutex> hold(s.lock);
            s.changed.wait(hold, [&] { return s.ready[k] != 0; });
        }
        use(k, s.slots[k]);
        std::lock_guard<std::mutex> hold(s.lock);
        s.spare.push_back(std::move(s.slots[k].rgba));
        s.used = k + 1;
        s.changed.notify_all();
    }
    for (std::thread& t : pool)
        t.join();
}
