// Weapons: the pointer in field units, the three weapons on the two mouse buttons, and the six
// force effects they (and a vanishing ball) apply to the balls' velocities.
#include "Weapons.h"

#include "Balls.h"
#include "Content.h"
#include "Particles.h"
#include "WindUse.h"
#include "Zodav.h"
#include "bassUse.h"

namespace {

// The vacuum cleaner's beam runs from the field point drawn at the screen centre.
TVec2 BeamAnchor() {
    return {-spine.viewOffsetX, -spine.viewOffsetY};
}

void Push(Ball& ball, float angle, double length) {
    TVec2 change;
    VecFromAngle(change, angle, static_cast<float>(length));
    VecAdd(ball.velocity, change, ball.velocity);
}

// The blast, the implosion and the two whirls act within the reach around P, linearly in the
// distance.
void RadialEffect(WeaponEffect effect, const TVec2& p, double reach) {
    for (Ball& ball : balls.BallPool) {
        if (!ball.alive) continue;
        const double d = Distance(p, ball.position);
        if (!(d < reach)) continue;
        const float away = DirectionAngle(p, ball.position);
        switch (effect) {
            case WeaponEffect::Blast:  // pushes away
                Push(ball, away, (reach - d) / 7.0);
                break;
            case WeaponEffect::Implosion:  // a negative length pulls towards P
                Push(ball, away, (d - reach) / 8.0);
                break;
            case WeaponEffect::Whirl:  // inwards and clockwise
                Push(ball, NormalizeAngle(static_cast<float>(away + 45.0)), (d - reach) / 40.0);
                break;
            default:  // the counter-whirl: inwards and anticlockwise
                Push(ball, NormalizeAngle(static_cast<float>(away - 45.0)), (d - reach) / 40.0);
                break;
        }
    }
}

// Within 25 degrees either side of `aim`.
bool WithinFan(float aim, float direction) {
    return NormalizeAngle(static_cast<float>(aim + 25.0 - direction)) <= 50.0f;
}

// The two beams: the band of half-width R around the line through S and P, on the pointer's
// side of S; out drives the balls away from S past the pointer, in drives them towards S.
void BeamEffect(bool out, const TVec2& p, double reach) {
    const TVec2 s = BeamAnchor();
    const float theta = out ? DirectionAngle(s, p) : DirectionAngle(p, s);
    for (Ball& ball : balls.BallPool) {
        if (!ball.alive) continue;
        const double e = PointLineDistance(s, p, ball.position);
        if (!(e < reach)) continue;
        const float seen =
            out ? DirectionAngle(s, ball.position) : DirectionAngle(ball.position, s);
        if (!WithinFan(theta, seen)) continue;
        Push(ball, theta, (reach - e + 2.0) / 80.0);
    }
}

// One weapon action at the pointer.
void Fire(WeaponEffect effect, float reach) {
    ApplyWeapon(effect, spine.pointerX, spine.pointerY, reach);
}

// A weapon in use sounds while effects are on. With effects off its slot is paused, so that Q
// silences a weapon that is being held instead of leaving its loop running.
void PlayOrSilence(TSound& slot) {
    if (gameState.soundsOn)
        SoundPlay(slot);
    else
        SoundPause(slot);
}

void LeftButton() {
    TSound& slot = content.Sounds[2];
    if (!spine.leftHeld || gameState.screenState != kScreenPlay) {
        SoundPause(slot);
        return;
    }
    if (gameState.weapon == Weapon::Vacuum) {
        Fire(WeaponEffect::Blast, 4);  // one blast per click
        spine.leftHeld = false;
    } else if (gameState.weapon == Weapon::Whirlwind) {
        Fire(WeaponEffect::Whirl, 4);
    } else if (gameState.weapon == Weapon::VacuumCleaner) {
        Fire(WeaponEffect::BeamOut, 2);
    }
    PlayOrSilence(slot);
}

void RightButton() {
    TSound& slot = content.Sounds[3];
    if (!spine.rightHeld || gameState.screenState != kScreenPlay) {
        SoundPause(slot);
        return;
    }
    if (gameState.weapon == Weapon::Vacuum) {
        spine.rightHeld = false;  // one implosion per click
        Fire(WeaponEffect::Implosion, 5);
    } else if (gameState.weapon == Weapon::Whirlwind) {
        Fire(WeaponEffect::CounterWhirl, 4);
    } else if (gameState.weapon == Weapon::VacuumCleaner) {
        Fire(WeaponEffect::BeamIn, 2);
    }
    PlayOrSilence(slot);
}

}  // namespace

void UpdatePointerAndWeapons() {
    int x = 0, y = 0;
    GetCursorPos(x, y);
    MapPointer(x, y);
    LeftButton();
    RightButton();
}

void ApplyWeapon(WeaponEffect effect, float x, float y, float reach) {
    const TVec2 p{x, y};
    if (effect <= WeaponEffect::CounterWhirl) {
        RadialEffect(effect, p, reach);
    } else if (effect <= WeaponEffect::BeamIn) {
        const TVec2 s = BeamAnchor();
        // With the pointer on S there is no line through the two: no beam, no sparks.
        if (p.x == s.x && p.y == s.y) return;
        BeamEffect(effect == WeaponEffect::BeamOut, p, reach);
    } else {
        return;
    }
    EmitEffectSparks(effect, x, y);
}
