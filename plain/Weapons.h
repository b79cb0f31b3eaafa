// Weapons: the pointer in field units and the three weapons driven by the mouse buttons.
#pragma once

#include <cstdint>

#include "Zodav.h"

// Reads the pointer; in play fires the weapon of each held button and plays or pauses the weapon
// sounds.
void UpdatePointerAndWeapons();
// One force effect at the field point (x, y) with the given reach, and its sparks.
void ApplyWeapon(WeaponEffect effect, float x, float y, float reach);
