#pragma once

#include "framework/graphics/Point.h"
#include "support/GameDriver.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Vesk
{
class MG1;
class MG2;
class MG3;
class MG4;
class MG5;
class MG6;
class MG8;
class MG9;
class MGLast;
class DDImage;
class ButtonWidget;
} // namespace Vesk

namespace Vesk::TestSupport
{

// The winning moves of the publication's pages, played through a GameDriver as a player plays
// them: each move is read off the game as it lies (pictures, places, the order a show gave),
// as a player reads it off the screen, and made with the mouse. The per-page end-to-end tests
// and the whole play-through share them.
//
// The Win functions start on a page that is entered and playable (WaitForMiniGame) and return
// once the page is done, before its done scene and the name stamp; failures are reported with
// ADD_FAILURE and a false result.

// The game mode of a page type ("MG1" 1 ... "MGLast" 10); 0 for a hidden-object page or another.
int ModeOfPageType(const std::string& type);

// The button pressed at its middle.
void PressButton(GameDriver& game, const ButtonWidget& button);
// Whether no scene holds the game (none running, or one waiting for the player to play).
bool PlayTime(GameDriver& game);
// Mini-game mode is on the screen with its notes in place and the page-turn blur over.
bool WaitForMiniGame(GameDriver& game, int mode, int maxUpdates = 4000);
// The mini-game of mode has been left and the publication lies still, past the name stamp.
bool BackOnThePublication(GameDriver& game, int mode);
// Clicks the sticker of page on the open contents page (the set's stickers stick out there).
bool ClickSticker(GameDriver& game, int page);

// The opaque pixel (alpha over minAlpha) of a picture lying with its corner at origin nearest
// the picture's middle, skipping the first row and column (edges are strict); none without one.
std::optional<Point> OpaquePointNearMiddle(const DDImage& image, Point origin, int minAlpha);

// --- Hidden-object pages
// Whether the list entry of slot is taken: its item found (or being struck), no group member left.
bool ListSlotDone(GameDriver& game, int slot);
// Finds the first count entries of the list not yet complete, an item at a time.
bool FindListed(GameDriver& game, int count);
// Finds every listed object of the board's page and waits until page is done.
bool PlayHiddenObjectPage(GameDriver& game, int page);
// The board plays page: the publication hidden, the notes in place.
bool WaitForBoard(GameDriver& game, int page);

// --- MG1, piece matching
std::optional<Point> MG1PiecePoint(GameDriver& game, int index);
Point MG1OutlinePoint(GameDriver& game, int index);
int MG1LoosePiece(GameDriver& game);
bool MG1PlacePiece(GameDriver& game, int index);
bool WinMG1(GameDriver& game);

// --- MG2, container sorting
Point MG2ItemPoint(GameDriver& game, int index);
Point MG2ContainerPoint(GameDriver& game, int index);
bool WinMG2(GameDriver& game);

// --- MG3, bell sequence
// Watches the show to its end and gives the bells the window showed, in turn; onSecond (when
// set) runs when the second one shows.
std::vector<int> MG3WatchShow(GameDriver& game, const std::function<void()>& onSecond = {});
std::optional<Point> MG3ItemPoint(GameDriver& game, int index);
Point MG3DishPoint(GameDriver& game);
bool MG3DropByDrag(GameDriver& game, int index);
bool WinMG3(GameDriver& game);

// --- MG4, shelf arrangement
std::optional<Point> MG4GrabPoint(GameDriver& game, int index);
bool MG4PlaceByDrag(GameDriver& game, int index);
bool WinMG4(GameDriver& game);

// --- MG5, customs scanner
// A point a click takes piece index of the belt at while it lies wholly right of the middle.
std::optional<Point> MG5PiecePoint(GameDriver& game, int index);
// The next piece of the kind asked for that can be clicked now; -1 none.
int MG5ClickablePiece(GameDriver& game, bool suspicious);
bool WinMG5(GameDriver& game);

// --- MG6, coloured-glass differences
// Where a player sees difference index of round on the left or the right picture: the opaque
// pixel of its patch nearest the middle.
Point MG6PatchPoint(GameDriver& game, int round, int index, bool left);
bool WinMG6(GameDriver& game);

// --- MG8, insects in the order of the cards
std::optional<Point> MG8InsectPoint(GameDriver& game, int index);
bool WinMG8(GameDriver& game);

// --- MG9, fireflies under the glass
int MG9WantedFirefly(GameDriver& game);
std::optional<Point> MG9FireflyPoint(GameDriver& game, int index);
// The glass over the wanted firefly, its button pressed and let go, the catch settled.
bool MG9CatchFirefly(GameDriver& game);
bool WinMG9(GameDriver& game);

// --- MGLast, the notes pressed onto their pages
bool LeafTo(GameDriver& game, int row);
bool MGLastShowOnStrip(GameDriver& game, int index);
Point MGLastNotePoint(GameDriver& game, int index);
// Takes note index off the strip and presses it onto the page lying open; beforePress (when
// set) runs with the note held over the page.
bool MGLastPressNote(GameDriver& game, int index, const std::function<void()>& beforePress = {});
// From the cover or another page: the menu's mini-game list, one page back to the final game
// (at once when the publication lies there), its tab, and the game played with no scene over it.
bool EnterFinalGame(GameDriver& game);
bool WinMGLast(GameDriver& game);

// Wins the mini-game of mode (1 ... 10).
bool WinMiniGame(GameDriver& game, int mode);

// --- Bonus pictures
// Leafs to the page before bonus pick index's page, lifts the corner far over it, lets go and
// waits until the bonus is counted; underTheCorner (when set) runs with the corner lifted.
bool TakeBonus(GameDriver& game, int pick, const std::function<void()>& underTheCorner = {});

} // namespace Vesk::TestSupport
