#pragma once

#include "app/ContentModel.h"
#include "app/GameConfig.h"
#include "app/LocalTexts.h"
#include "framework/appbase/VeskAppBase.h"

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class Board;
class BoardHost;
class Cover;
class MiniGame;
class Page;
class ResourceManager;
class Tutorial;
class UCD;
class XMLParser;
struct SaveData;

// The game's application object: the start-up and shut-down of Orlo on top of the framework's
// application base, the configuration and content of the publication, the current player and
// their progress, and the log file. One instance, reachable through gGameApp; the entry point
// creates it (RunGame) and destroys it after Start returns, which saves the player's progress.
class GameApp : public VeskAppBase
{
public:
    GameApp();
    ~GameApp() override;

    void LoadingThreadCompleted() override;
    void LoadingThreadProc() override;
    // Asks the player, opens the web links of "play.url", starts the companion program and
    // stops the application.
    void Shutdown() override;
    // The base start-up, a fresh log, the resource manifest and the groups "Common" and
    // "Interface" bound to the game's identifiers, then the configuration and the current
    // player's progress. A resource that cannot be read, loaded or bound is shown in a popup and
    // shuts the application down.
    void Init() override;

    // Appends one line (and CR LF) to "log.txt" when that file exists; otherwise the line is
    // dropped. No log file is ever created.
    void Log(const std::string& text) override;

    // Reads config.xml and local.xml, picks the player (the registry's, else the default name
    // for a new player) and loads their progress. A file that cannot be opened is reported in a
    // message box and shuts the application down.
    void LoadConfiguration();
    // One pass over the parser's open file (config.xml): typed keys and content records.
    void ReadConfigValues();
    // One pass over the parser's open file (local.xml): texts.
    void ReadLocalTexts();
    // A pass over the parser's freshly opened config.xml that fills the page records and
    // renders their faces.
    bool ReadPagesData();
    // Reads the hidden objects of the page at pageIndex from dir + "picture.cfg" and their
    // names from "images/local/page<pageIndex + 1>.lng"; called when a page starts.
    void LoadPageItems(const std::string& dir, int pageIndex);
    void UpdateMiniGamesAvailable() { content.UpdateMiniGamesAvailable(); }

    // Loads a picture the way the scene player does: logs "   Loading <path>", commits and
    // palettizes it; a missing picture is reported ("Image <path> not found.", "Scene error")
    // and "images/404" stands in for it. Null only when the stand-in is missing as well.
    std::unique_ptr<DDImage> LoadSceneImage(const std::string& path);
    // The done face of a page, ready to be drawn on (the name stamp): when it is shared with
    // another page, the page first gets a copy of its own, so the other page stays as it was.
    // Null when the page has no done face.
    DDImage* DoneFaceForDrawing(int row);

    // The scene player's side of the game, as the screens call it: PlayScene logs the event and
    // has the scene player play it; SceneState is the player's state (empty: no scene running);
    // ResumeFromPlaytime lets a scene waiting for the game go on.
    virtual void PlayScene(const std::string& event);
    // What the scene player's "done" event does besides its scene: for a page completed the first
    // time, the publication stamps the player's name on it on the way back (at once, without a
    // camera path of the page's own).
    void PrepareNameStamp();
    virtual std::string SceneState() const;
    virtual void ResumeFromPlaytime();

    // The publication's printed faces that change with progress (GameAppContents.cpp). Each
    // draws onto the page faces already rendered and does nothing without them; a missing font
    // or picture leaves its part undrawn.
    //
    // The contents note (IMAGE_POST_CONT) drawn afresh from "images/interface/postit_contents".
    void RedrawContentsNote();
    // The cover face drawn afresh with the six menu pictures over their shadows and the
    // player's name, right-aligned at Common/NameX.
    void RedrawCoverFace();
    // The whole contents page: the note, the opening of pages (and lastReachablePage), every
    // title in the open or closed ink with its picture, then the mini-game list. Each title's
    // textHeight becomes its body's wrapped height.
    void RedrawContentsPage();
    // After page was completed: the pages that may open now open and their titles are inked
    // over in the open colour, the pictures of titles whose rules page satisfied turn on, and
    // the mini-game list entries of page are inked over; nothing is cleared. A title or entry
    // inked here gets its IL added to its textHeight.
    void RedrawContentsPageLight(int page);
    // Inks every mini-game list entry over the faces of the "MGList" pages, open or closed;
    // textHeight becomes IL plus the body's wrapped height.
    void RedrawMiniGameList();
    // The last page a forward turn may reach (0-based), set by the contents redraws.
    int lastReachablePage = 0;

    // Moves on to the next set while the current one is done, opening its pages, and draws
    // the bonus picks for the new set. Called after every completed page and at start-up.
    void ChangeSet(bool playScene);

    // A played page has just been won (the board's or a mini-game's): the page is marked done
    // with its contents redrawn lightly, the set advances, the game is saved and the publication
    // (host, when there is one) leaves the page.
    void CompletePage(int page, BoardHost* host);

    // Writes the player to the registry and their progress to their save file. While the
    // publication has no pages nothing is written (the save would lose every page). A save that
    // LoadGame could not use as it is gets kept beside the new one first.
    void SaveGame();
    // Re-reads the pages and applies the player's save file, or, when there is none, starts a
    // new game and saves it. A save that exists but cannot be read is left as it is: a new game
    // is played and the save is kept as "save.dat.unreadable" when the game is next saved. A
    // save of another length than the pages need is read and kept as "save.dat.old".
    void LoadGame();
    std::string SaveFilePath() const;

    // Opens every web link ("http://" or "https://" up to the end of the line) listed in a text
    // file such as "play.url" or "website.url".
    void OpenURLsFromFile(const std::string& path);

    GameConfig config;
    LocalTexts texts;
    ContentModel content;

    // The page picture's size in pixels and the reciprocals the drawing code multiplies by.
    double pageWidth = 767.0;
    double pageHeight = 532.0;
    double pageFullHeight = 588.0;
    double pageWidthInv = 1.0 / 767.0;
    double pageHeightInv = 1.0 / 532.0;
    double pageFullHeightInv = 1.0 / 588.0;

    // The current player and the list the profile dialogs keep (stored verbatim).
    std::string playerName;
    std::string allPlayers;
    // What the player list dialog reported last: "index|name|...|", the index -1 after Cancel.
    std::string listResult;
    bool isNewPlayer = false;

    // Per-player flags, saved with the progress.
    bool sceneOption = true;      // tutorial scripts with page-open scenes; item 0 listed first
    bool tutorialPending = true;  // the contents-page tutorial is still to be shown
    bool introPending = true;     // the intro scene is still to be played
    bool warningPending = true;   // the misclick warning has not been shown yet
    int bonusesTaken = 0;         // bonus pictures the player has taken
    bool spareFlag1 = true;       // saved and loaded only
    bool spareFlag2 = true;       // saved and loaded only
    bool firstPagePending = true; // cleared when the first hidden-object page is entered

    // The set being played (index into content.sets) and the bonus picks drawn for it.
    int currentSet = 0;
    std::array<BonusPick, kMaxBonusPicks> bonusPicks{};
    int bonusPickCount = 0;

    // The cover's logo and its highlighted form; logosAvailable only when both loaded.
    std::unique_ptr<DDImage> logoNa;
    std::unique_ptr<DDImage> logoA;
    bool logosAvailable = false;
    // The screens, created in LoadingThreadCompleted and removed by the destructor; null before.
    std::unique_ptr<Board> board;
    // The mini-games by their mode number: mg1 .. mg9 at 1 .. 9 (there is no 7), mgLast at
    // kModeFinalGame (10). Each is hidden until the publication starts its page.
    static constexpr int kMiniGameSlots = 11;
    std::array<std::unique_ptr<MiniGame>, kMiniGameSlots> miniGames;
    // The mini-game of a mode, null when there is none.
    MiniGame* MiniGameOfMode(int mode) const;
    // The mini-game widget that is shown, null when none is.
    MiniGame* ShownMiniGame() const;
    // The inactivity veil over everything, hidden while the game is active.
    std::unique_ptr<Cover> cover;
    // The publication on the desk: the home screen, which enters and leaves the pages.
    std::unique_ptr<Page> pageScreen;
    // The erase tutorial, shown over the first hidden-object page of a new player.
    std::unique_ptr<Tutorial> tutorial;
    // The scene player over everything, shown while a scene plays.
    std::unique_ptr<UCD> scenePlayer;

    // Whether the player still gets the erase tutorial: the tutorial option is on and they have
    // not entered a hidden-object page yet (firstPagePending).
    bool NeedsEraseTutorial() const;
    // Called by the page action on entering any hidden-object page: the first time for this
    // player it clears firstPagePending and, with the tutorial option on, shows the erase
    // tutorial over the page with IMAGE_TUTOR_OBJ to rub away. Returns whether it is shown.
    bool OfferEraseTutorial();

protected:
    // Asks the player whether to quit, over the publication screen; true to quit.
    virtual bool ConfirmExit();
    // Starts the companion program that runs after the game; the result is not examined.
    virtual void StartCompanionProgram(const std::string& path);

private:
    // The exit question is open.
    bool exitAsked = false;
    // Loads a resource group and binds its identifiers; on failure shows the resource manager's
    // error and shuts down.
    bool LoadResourceGroup(const std::string& group, bool (*bind)(ResourceManager&));
    // Clamps the configured counts to what the tables hold and sets content.pageCount.
    void SettleCounts();
    // Opens the game full screen (a new player with Common/default_fullscreen).
    void SwitchToFullScreen();
    void LoadContentPictures(ContentModel::Filled filled);
    void RenderPageFaces(int row);
    // A face of 767 x 588 holding the picture at path and, on every row but the cover, the
    // page-edge overlay. A missing picture is reported ("<path> not found", "Pages error") and
    // leaves the face blank but for the overlay. The loaded picture is handed to keptPicture
    // when given.
    std::shared_ptr<DDImage> RenderFace(const std::string& path, int row, std::unique_ptr<DDImage>* keptPicture);
    // Clean renders of the faces, kept only while keepCleanFaces (a new player's start-up reads
    // the pages twice) so that each picture is decoded once. Keyed by the path, with "|cover"
    // added for row 0 (drawn without the page edges); emptied when the game is loaded.
    std::map<std::string, std::unique_ptr<DDImage>> cleanFaces;
    bool keepCleanFaces = false;
    // Decodes the face pictures of these rows that are not rendered yet, two at a time, into
    // prefetchedFaces, where RenderFace takes them from; emptied after each reading.
    void PrefetchFacePictures(const std::vector<int>& rows);
    std::map<std::string, std::unique_ptr<DDImage>> prefetchedFaces;
    void LoadPictureItemPicture(int index);
    // The contents note's picture, loaded on the first redraw of the note.
    std::unique_ptr<DDImage> contentsNotePicture;
    // The cover face as rendered from its picture, before the menu and the name go on it.
    std::unique_ptr<DDImage> cleanCoverFace;
    void StampDoneFace(int row);
    void ApplySaveData(const SaveData& data);
    void StartNewGame();
    SaveData CollectSaveData() const;

    std::unique_ptr<XMLParser> parser;
    // Set once a player's progress has been loaded: until then there is nothing to save, and
    // saving would overwrite a save file with empty progress.
    bool progressLoaded = false;
    // The save file LoadGame found but could not use as it is, and the suffix it is kept
    // under before SaveGame first replaces it; no path when it may simply be replaced.
    struct SaveToKeep
    {
        std::string path;
        std::string suffix;
    };
    SaveToKeep saveToKeep;
};

// The game's application object (null when none exists).
extern GameApp* gGameApp;

} // namespace Vesk
