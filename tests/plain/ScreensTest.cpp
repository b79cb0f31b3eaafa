// Screens and menus: the HUD and row positions, every screen's rows byte for byte, the clicks
// and their actions, the option cycles, the level rows, the game-over figures and the hover and
// button-flag rules. Runs without a window, as a headless replay does.
#include <gtest/gtest.h>

#include "Balls.h"
#include "Content.h"
#include "FreshProgram.h"
#include "Screens.h"
#include "Zodav.h"
#include "media/Cp1251.h"

namespace {

const std::vector<std::string> kHelpLines = {" Цель  игры - взорвать  как  можно  больше  шаров ",
                                             " за  ограниченное  время.  Шары  взрываются  при  ",
                                             " столкновении или выстраивании в линию больше 3-х ",
                                             " в  зависимости  от  уровня.  Для  манипулирования",
                                             " шарами   используются   различные   виды  оружия.",
                                             " П.К.М. - оружие №1          Л.К.М. - оружие №2   ",
                                             " F1 - отображение справки F2 - обновление текстур ",
                                             " F3 - обновление музыки   F4 - обновление звуков  ",
                                             " W - вкл/откл музыку        Q - вкл/откл звук     ",
                                             " ~ - вкл/откл цвета             Esc - выход в меню"};
const std::vector<std::string> kLevels = {
    "       1. Столкновения/Вакуум      ", "       2. Вертикаль/Вакуум         ",
    "       3. Горизонталь/Вакуум       ", "       4. Столкновения/Вихрь       ",
    "       5. Вертикаль/Вихрь          ", "       6. Горизонталь/Вихрь        ",
    "       7. Столкновения/Пылесос     ", "       8. Вертикаль/Пылесос        ",
    "       9. Горизонталь/Пылесос      "};

const std::string kBack = "   НАЗАД ";
const std::string kAuthor = "       K O R V E N";

class ScreensTest : public ::testing::Test {
  protected:
    void SetUp() override {
        FreshProgram();
        GameInitialisation(7);
    }

    // The texts of the thirteen rows after one screen update, in UTF-8.
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        for (const TTextElement& row : screens.menuRows)
            rows.push_back(media::Cp1251ToUtf8(row.text));
        return rows;
    }

    std::vector<std::string> Update() {
        UpdateScreens();
        return Rows();
    }

    // Puts the pointer on the middle of row i's box.
    void PointAt(int i) {
        const TTextElement& row = screens.menuRows[i];
        spine.pointerX = row.x / spine.viewScale - spine.viewOffsetX;
        spine.pointerY = (row.y + 0.15f) / spine.viewScale - spine.viewOffsetY;
    }

    // One left click on row i during one screen update.
    void Click(int i) {
        PointAt(i);
        spine.leftHeld = 1;
        UpdateScreens();
    }
};

std::vector<std::string> Expect(std::initializer_list<std::pair<int, std::string>> filled) {
    std::vector<std::string> rows(13);
    for (const auto& [i, text] : filled)
        rows[i] = text;
    return rows;
}

TEST_F(ScreensTest, ElementsSitAtTheirPlaces) {
    EXPECT_NEAR(screens.timeText.x, -3.9f, 1e-5);
    EXPECT_NEAR(screens.timeText.y, 2.832f, 1e-5);
    EXPECT_EQ(screens.timeText.align, 0);
    EXPECT_EQ(screens.timeText.visible, 0);
    EXPECT_NEAR(screens.scoreText.x, 3.9f, 1e-5);
    EXPECT_EQ(screens.scoreText.align, 2);
    EXPECT_NEAR(screens.timeBonusText.x, -3.88f, 1e-5);
    EXPECT_NEAR(screens.timeBonusText.y, 2.482f, 1e-5);
    EXPECT_NEAR(screens.scoreBonusText.x, 3.88f, 1e-5);
    EXPECT_EQ(screens.scoreBonusText.visible, 1);
    for (int i = 0; i < 13; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(screens.menuRows[i].x, -0.02f, 1e-5);
        EXPECT_NEAR(screens.menuRows[i].y, 2.032f - 0.35f * i, 1e-5);
        EXPECT_EQ(screens.menuRows[i].align, 1);
    }
}

TEST_F(ScreensTest, HudTextsAndBonusPopups) {
    gameState.timeLeft = 987;
    gameState.score = 40;
    screens.bonusShowTicks = 2;
    UpdateScreens();
    EXPECT_EQ(media::Cp1251ToUtf8(screens.timeText.text), "Время: 987");
    EXPECT_EQ(media::Cp1251ToUtf8(screens.scoreText.text), "Очки: 40");
    EXPECT_EQ(screens.timeBonusText.visible, 1);
    UpdateScreens();
    EXPECT_EQ(screens.scoreBonusText.visible, 1);
    EXPECT_EQ(screens.bonusShowTicks, 0);
    UpdateScreens();
    EXPECT_EQ(screens.timeBonusText.visible, 0);
    EXPECT_EQ(screens.scoreBonusText.visible, 0);
}

TEST_F(ScreensTest, EachScreenWritesItsRows) {
    struct Case {
        const char* fault;
        std::uint8_t screen;
        bool inGame;
        std::vector<std::string> rows;
    };
    std::vector<std::string> helpRows(13);
    helpRows[0] = kAuthor;
    for (int i = 0; i < 10; ++i)
        helpRows[2 + i] = kHelpLines[i];
    helpRows[12] = kBack;
    std::vector<std::string> levelRows(13);
    levelRows[0] = " ВЫБОР УРОВНЯ (Тип игры / Оружие) :";
    for (int k = 0; k < 9; ++k)
        levelRows[2 + k] = kLevels[k];
    levelRows[12] = kBack;
    const Case cases[] = {
        {"main menu offers continue without a game", kScreenMainMenu, false,
         Expect({{0, kAuthor},
                 {6, "  Новая игра"},
                 {7, "     Помощь "},
                 {8, "      Опции "},
                 {9, "      Выход "}})},
        {"main menu hides continue during a game", kScreenMainMenu, true,
         Expect({{0, kAuthor},
                 {5, " Продолжить "},
                 {6, "  Новая игра"},
                 {7, "     Помощь "},
                 {8, "      Опции "},
                 {9, "      Выход "}})},
        {"help rows misplaced", kScreenHelp, false, helpRows},
        {"options rows misplaced", kScreenOptions, false,
         Expect({{1, "      НАСТРОЙКИ ИГРЫ:         "},
                 {3, " Частицы : Мало               "},
                 {4, " Музыка вкл                   "},
                 {5, " Громкость музыки 100%        "},
                 {6, " Звуки вкл                    "},
                 {7, " Громкость звуков 50%         "},
                 {8, " Обработка текстур : полная   "},
                 {10, kBack}})},
        {"level rows misplaced", kScreenLevelChoice, false, levelRows},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        gameState.screenState = c.screen;
        spine.gameInProgress = c.inGame ? 1 : 0;
        std::vector<std::string> rows = Update();
        if (c.screen == kScreenHelp) {
            EXPECT_FALSE(rows[1].empty());  // the dedication line
            rows[1].clear();
        }
        EXPECT_EQ(rows, c.rows);
        for (const TTextElement& row : screens.menuRows)
            EXPECT_EQ(row.visible, 1);
    }
    // Options row 5 at 100 %: label, digits, percent sign and eight blanks.
    gameState.screenState = kScreenOptions;
    UpdateScreens();
    EXPECT_EQ(screens.menuRows[5].text.size(), 30u);
}

TEST_F(ScreensTest, PlayHidesRowsButKeepsTheirTexts) {
    UpdateScreens();
    gameState.screenState = kScreenPlay;
    const std::vector<std::string> before = Rows();
    EXPECT_EQ(Update(), before);
    for (const TTextElement& row : screens.menuRows)
        EXPECT_EQ(row.visible, 0);
}

TEST_F(ScreensTest, MainMenuClicks) {
    struct Case {
        const char* fault;
        int row;
        bool inGame;
        std::uint8_t screen;
    };
    const Case cases[] = {
        {"continue ignored with a game", 5, true, kScreenPlay},
        {"empty continue row reacts", 5, false, kScreenMainMenu},
        {"new game does not open the level choice", 6, false, kScreenLevelChoice},
        {"help row", 7, false, kScreenHelp},
        {"options row", 8, false, kScreenOptions},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        gameState.screenState = kScreenMainMenu;
        spine.gameInProgress = c.inGame ? 1 : 0;
        UpdateScreens();
        Click(c.row);
        EXPECT_EQ(gameState.screenState, c.screen);
        // A click that switched to play stays for the weapon; any other is used up.
        EXPECT_EQ(spine.leftHeld, c.screen == kScreenPlay ? 1 : 0);
    }
    gameState.screenState = kScreenMainMenu;
    UpdateScreens();
    Click(9);
    EXPECT_TRUE(spine.shutDown);
}

TEST_F(ScreensTest, RightButtonAndHoverAloneDoNothing) {
    UpdateScreens();
    PointAt(6);
    spine.rightHeld = 1;
    UpdateScreens();
    EXPECT_EQ(gameState.screenState, kScreenMainMenu);
    EXPECT_EQ(screens.menuRows[6].hover, 1);
    EXPECT_EQ(spine.rightHeld, 0);
}

TEST_F(ScreensTest, BackRowsLeadToPlayOrMenu) {
    struct Case {
        const char* fault;
        std::uint8_t screen;
        int row;
        bool inGame;
        std::uint8_t to;
    };
    const Case cases[] = {
        {"help back without game", kScreenHelp, 12, false, kScreenMainMenu},
        {"help back with game", kScreenHelp, 12, true, kScreenPlay},
        {"options back with game", kScreenOptions, 10, true, kScreenPlay},
        {"options back without game", kScreenOptions, 10, false, kScreenMainMenu},
        {"level back with game", kScreenLevelChoice, 12, true, kScreenPlay},
        {"game over back goes to play instead of the menu", kScreenGameOver, 12, true,
         kScreenMainMenu},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        gameState.screenState = c.screen;
        spine.gameInProgress = c.inGame ? 1 : 0;
        UpdateScreens();
        Click(c.row);
        EXPECT_EQ(gameState.screenState, c.to);
    }
}

TEST_F(ScreensTest, OptionCycles) {
    gameState.screenState = kScreenOptions;
    UpdateScreens();
    // The row shows the value before the click; the new one shows on the next tick.
    Click(3);
    EXPECT_EQ(gameState.particleLevel, 2);
    EXPECT_EQ(Rows()[3], " Частицы : Мало               ");
    EXPECT_EQ(Update()[3], " Частицы : Нормально          ");
    Click(3);
    Click(3);
    EXPECT_EQ(gameState.particleLevel, 0);
    EXPECT_EQ(Update()[3], " Частицы : Нет                ");

    std::vector<int> music, sound;
    for (int i = 0; i < 10; ++i) {
        Click(5);
        music.push_back(gameState.musicVolume);
        Click(7);
        sound.push_back(gameState.soundVolume);
    }
    EXPECT_EQ(music, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
    EXPECT_EQ(sound, (std::vector<int>{60, 70, 80, 90, 100, 10, 20, 30, 40, 50}));

    Click(4);
    EXPECT_EQ(gameState.musicOn, 0);
    EXPECT_EQ(Update()[4], " Музыка выкл                  ");
    Click(4);
    EXPECT_EQ(gameState.musicOn, 1);
    Click(6);
    EXPECT_EQ(gameState.soundsOn, 0);
    EXPECT_EQ(Update()[6], " Звуки выкл                   ");
}

TEST_F(ScreensTest, TextureOptionCyclesAndReloads) {
    gameState.screenState = kScreenOptions;
    UpdateScreens();
    struct Step {
        std::uint8_t processing, full;
        const char* text;
    };
    const Step steps[] = {{0, 0, " Обработка текстур : нет      "},
                          {1, 0, " Обработка текстур : обрезка  "},
                          {1, 1, " Обработка текстур : полная   "}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.text);
        content.Textures[3].width = 0;  // a reload sets it again
        Click(8);
        EXPECT_EQ(gameState.textureProcessing, s.processing);
        EXPECT_EQ(gameState.textureFull, s.full);
        EXPECT_EQ(content.Textures[3].width, 128);
        EXPECT_EQ(Update()[8], s.text);
    }
}

TEST_F(ScreensTest, LevelRowsStartTheirGame) {
    for (int k = 0; k < 9; ++k) {
        SCOPED_TRACE(k);
        gameState.screenState = kScreenLevelChoice;
        spine.leftHeld = 0;
        UpdateScreens();
        Click(2 + k);
        EXPECT_EQ(gameState.screenState, kScreenPlay);
        EXPECT_EQ(static_cast<int>(gameState.weapon), k / 3);
        EXPECT_EQ(static_cast<int>(gameState.gameType), k % 3 + 1);
        EXPECT_EQ(spine.gameInProgress, 1);
        EXPECT_EQ(spine.leftHeld, 1);  // the weapon sees the click on the first tick of play
    }
}

TEST_F(ScreensTest, GameOverFiguresAndKeptHover) {
    gameState.screenState = kScreenLevelChoice;
    UpdateScreens();
    Click(5);  // level 4
    ASSERT_EQ(gameState.screenState, kScreenPlay);
    spine.leftHeld = 0;
    for (int i = 0; i < 1000; ++i)
        Tick();
    ASSERT_EQ(gameState.screenState, kScreenPlay);
    Tick();
    ASSERT_EQ(gameState.screenState, kScreenGameOver);
    ASSERT_EQ(gameState.ticksPlayed, 1001);
    gameState.score = 30;
    spine.pointerX = spine.pointerY = -100;  // nowhere near a row
    const std::vector<std::string> rows = Update();
    EXPECT_EQ(rows, Expect({{0, kAuthor},
                            {5, " Игра окончена! "},
                            {6, " Вы продержались 1001"},
                            {7, " тактов игры - приблизительно 16 секунд"},
                            {8, " И заработали 30 очков"},
                            {9, " Надеюсь вам понравилось.  "},
                            {10, " Спасибо, что опробовали :)"},
                            {12, kBack}}));
    // Game over neither clears hover flags nor tests row 5: the level row stays highlighted.
    EXPECT_EQ(screens.menuRows[5].hover, 1);
    EXPECT_EQ(screens.menuRows[12].hover, 0);
}

TEST_F(ScreensTest, ButtonFlagsClearedOnlyOffPlay) {
    gameState.screenState = kScreenPlay;
    spine.leftHeld = spine.rightHeld = 1;
    UpdateScreens();
    EXPECT_EQ(spine.leftHeld, 1);
    EXPECT_EQ(spine.rightHeld, 1);
    gameState.screenState = kScreenHelp;
    UpdateScreens();
    EXPECT_EQ(spine.leftHeld, 0);
    EXPECT_EQ(spine.rightHeld, 0);
}

}  // namespace
