// Screens, texts: every text the screens show, written here in UTF-8 and turned into the
// Windows-1251 bytes the font draws once, at first use.
#include "ScreensText.h"

#include "media/Cp1251.h"

namespace {

std::string Cp(const char* utf8) {
    return media::Utf8ToCp1251(utf8);
}

void MakeMenuTexts(ScreenTexts& t) {
    t.timeLabel = Cp("Время: ");
    t.scoreLabel = Cp("Очки: ");
    t.author = Cp("       K O R V E N");
    t.continueRow = Cp(" Продолжить ");
    t.newGame = Cp("  Новая игра");
    t.help = Cp("     Помощь ");
    t.options = Cp("      Опции ");
    t.exit = Cp("      Выход ");
    t.back = Cp("   НАЗАД ");
    t.dedication = Cp(" Игра сделана для конкурса разработчиков игр на gamedev.ru ");
}

void MakeHelpAndOptionTexts(ScreenTexts& t) {
    t.helpLines[0] = Cp(" Цель  игры - взорвать  как  можно  больше  шаров ");
    t.helpLines[1] = Cp(" за  ограниченное  время.  Шары  взрываются  при  ");
    t.helpLines[2] = Cp(" столкновении или выстраивании в линию больше 3-х ");
    t.helpLines[3] = Cp(" в  зависимости  от  уровня.  Для  манипулирования");
    t.helpLines[4] = Cp(" шарами   используются   различные   виды  оружия.");
    t.helpLines[5] = Cp(" П.К.М. - оружие №1          Л.К.М. - оружие №2   ");
    t.helpLines[6] = Cp(" F1 - отображение справки F2 - обновление текстур ");
    t.helpLines[7] = Cp(" F3 - обновление музыки   F4 - обновление звуков  ");
    t.helpLines[8] = Cp(" W - вкл/откл музыку        Q - вкл/откл звук     ");
    t.helpLines[9] = Cp(" ~ - вкл/откл цвета             Esc - выход в меню");
    t.settings = Cp("      НАСТРОЙКИ ИГРЫ:         ");
    t.particles[0] = Cp(" Частицы : Нет                ");
    t.particles[1] = Cp(" Частицы : Мало               ");
    t.particles[2] = Cp(" Частицы : Нормально          ");
    t.particles[3] = Cp(" Частицы : Много              ");
    t.musicOn = Cp(" Музыка вкл                   ");
    t.musicOff = Cp(" Музыка выкл                  ");
    t.musicVolume = Cp(" Громкость музыки ");
    t.soundsOn = Cp(" Звуки вкл                    ");
    t.soundsOff = Cp(" Звуки выкл                   ");
    t.soundVolume = Cp(" Громкость звуков ");
    t.textureNone = Cp(" Обработка текстур : нет      ");
    t.textureFull = Cp(" Обработка текстур : полная   ");
    t.textureCrop = Cp(" Обработка текстур : обрезка  ");
}

void MakeGameOverAndLevelTexts(ScreenTexts& t) {
    t.gameOver = Cp(" Игра окончена! ");
    t.lasted = Cp(" Вы продержались ");
    t.ticksAbout = Cp(" тактов игры - приблизительно ");
    t.seconds = Cp(" секунд");
    t.earned = Cp(" И заработали ");
    t.points = Cp(" очков");
    t.hope = Cp(" Надеюсь вам понравилось.  ");
    t.thanks = Cp(" Спасибо, что опробовали :)");
    t.levelHeader = Cp(" ВЫБОР УРОВНЯ (Тип игры / Оружие) :");
    t.levels[0] = Cp("       1. Столкновения/Вакуум      ");
    t.levels[1] = Cp("       2. Вертикаль/Вакуум         ");
    t.levels[2] = Cp("       3. Горизонталь/Вакуум       ");
    t.levels[3] = Cp("       4. Столкновения/Вихрь       ");
    t.levels[4] = Cp("       5. Вертикаль/Вихрь          ");
    t.levels[5] = Cp("       6. Горизонталь/Вихрь        ");
    t.levels[6] = Cp("       7. Столкновения/Пылесос     ");
    t.levels[7] = Cp("       8. Вертикаль/Пылесос        ");
    t.levels[8] = Cp("       9. Горизонталь/Пылесос      ");
}

}  // namespace

const ScreenTexts& Texts() {
    static const ScreenTexts texts = [] {
        ScreenTexts t;
        MakeMenuTexts(t);
        MakeHelpAndOptionTexts(t);
        MakeGameOverAndLevelTexts(t);
        return t;
    }();
    return texts;
}
