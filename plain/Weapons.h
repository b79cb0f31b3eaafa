// Weapons: the pointer in field units and the three weapons driven by the mouse buttons.
#pragma once

#include <cstdint>

// Reads the pointer; in play fires the weapon of each held button and plays or pauses the weapon
// sounds.
void UpdatePointerAndWeapons();
// Effects: 0 blast, 1 implosion, 2 whirl, 3 counter-whirl, 4 and 5 the two beams.
void ApplyWeapon(std::uint8_t effect, float x, float y, float reach);
