// The game's binding to its engine: the root interface and the sub-interfaces held from start
// to exit. All of them stay null until the spine binds the engine, so code that runs without
// an engine (rules in tests, headless tools) must check a pointer before calling through it.
#pragma once

// The engine's one public header.
#include "eXgine.h"

#include <string>

extern IEngineCore* Core;
extern IWindowHost* WindowHost;
extern IRenderer* Renderer;
extern ITextureStore* TextureStore;
extern IAudio* Audio;

// Binds the engine with its log "log.txt" (flags: 0, or ExHeadless) and fetches the
// sub-interfaces. False when the engine cannot start; the pointers then stay null.
bool BindEngine(int flags);

// Releases the engine; every pointer is null afterwards.
void UnbindEngine();

// A line for the player: on standard error and at the end of the engine's log file.
void GameLog(const std::string& text);
