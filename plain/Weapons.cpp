// Weapons: pointer mapping and the six weapon effects.
#include "Weapons.h"

#include "WindUse.h"
#include "Zodav.h"

void UpdatePointerAndWeapons() {
    int x = 0, y = 0;
    GetCursorPos(x, y);
    MapPointer(x, y);
}

void ApplyWeapon(std::uint8_t, float, float, float) {}
