// The interface pointers of the bound engine; null until the spine binds it.
#include "eXgine.h"

IEngineCore* Core = nullptr;
IWindowHost* WindowHost = nullptr;
IRenderer* Renderer = nullptr;
ITextureStore* TextureStore = nullptr;
IAudio* Audio = nullptr;
