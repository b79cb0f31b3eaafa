// The game's binding to its engine: the root interface and the sub-interfaces held from start
// to exit. All of them stay null until the spine binds the engine, so code that runs without
// an engine (rules in tests, headless tools) must check a pointer before calling through it.
#pragma once

// The engine's one public header (same file name as this one, hence the explicit path).
#include "../engine/include/eXgine.h"

extern IEngineCore* Core;
extern IWindowHost* WindowHost;
extern IRenderer* Renderer;
extern ITextureStore* TextureStore;
extern IAudio* Audio;
