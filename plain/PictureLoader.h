// Content, pictures on every core: a list of pictures decoded and passed on worker threads and
// handed back to the game thread in list order, for it to upload (only it touches GL).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "GLUsePicture.h"

// How many threads decode pictures: one per core.
int PictureThreads();

// Makes the pixels of every file as LoadPicturePixels would and calls `use` with each, on the
// calling thread, in list order. At most `threads` pictures are decoded ahead of the one in use,
// so memory stays a few pictures whatever the list's length. One thread: all on the caller's.
void LoadPicturesInOrder(const std::vector<std::string>& files, bool brighten, bool cropToCircle,
                         int threads,
                         const std::function<void(std::size_t, const PicturePixels&)>& use);
