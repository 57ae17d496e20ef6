#include "app/GameApp.h"

#include "app/PictureListReader.h"
#include "app/Resources.h"
#include "app/SaveFile.h"
#include "framework/appbase/Buffer.h"
#include "framework/platform/Shell.h"
#include "framework/resources/ResourceManager.h"
#include "framework/resources/XMLParser.h"
#include "framework/sound/MusicInterface.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace Vesk
{

GameApp* gGameApp = nullptr;

GameApp::GameApp()
{
    gGameApp = this;
    productName = "Orlo";
    productVersion = "1.0";
    title = productName;
    registryKey = "Dranvik Games\\Vellinor";
    width = 800;
    height = 600;
    fullScreenColorDepth = 32;
    vsyncLockedUpdates = true;
    waitForVSync = true;
    autoEnable3D = true;
    content.SetLog([this](const std::string& text) { Log(text); });
}

GameApp::~GameApp()
{
    SaveGame();
    // TODO(widgets): remove from the widget manager and delete the screen widgets that exist,
    // in the order board, mg1 .. mg6, mg8, mg9, mgLast, cover, tutorial, scenePlayer, pageScreen.
    resourceManager->UnloadGroup("Common");
    resourceManager->UnloadGroup("Interface");
    ResetResourceIdentifiers();
    // TODO(images): free the bonus pictures.
    if (gGameApp == this)
        gGameApp = nullptr;
}

// ---------------------------------------------------------------------------------------
// Start-up and shut-down

void GameApp::Init()
{
    VeskAppBase::Init();
    Log("Init");

    if (LogFileExists())
    {
        Buffer restart;
        restart.WriteBytes("New game\r\n");
        WriteBufferToFile("log.txt", restart);
    }

    content.pictureItemCount = 0;
    currentSet = 0;
    content.setCount = 0;
    content.openRuleCount = 0;
    content.gameDataLoading = false;

    if (!LoadResourceManifest())
        return;
    if (!LoadResourceGroup("Common", BindCommonResources))
        return;
    // The custom cursors: the pointer's tip is its top left, the finger's tip lies about 20 px
    // from its left edge, the hourglass (32 x 32) and the board's eraser (48 x 48) are centred
    // on the pointer.
    EnableCustomCursors(true);
    SetCursorImage(0, IMAGE_CUR_POINTER);
    SetCursorImage(1, IMAGE_CUR_FINGER, 20, 0);
    SetCursorImage(2, IMAGE_CUR_FINGER, 20, 0);
    SetCursorImage(10, IMAGE_CUR_HOURGLASS, 16, 16);
    SetCursorImage(12, IMAGE_CUR_ERASER, 24, 24);
    if (!LoadResourceGroup("Interface", BindInterfaceResources))
        return;
    SetButtonStripCells(*resourceManager);
    // TODO(images): logoNa = GetImage("fsdata/logo_na", true), logoA =
    // GetImage("fsdata/logo_a", true); logosAvailable when both loaded.

    Log("Loading config");
    LoadConfiguration();
    Log("Config loaded");
}

void GameApp::LoadingThreadProc()
{
    // The five tunes, under the numbers the screens start them by.
    static const char* const tunes[] = {"sounds/intro.ogg", "sounds/Game_Theme_1.ogg", "sounds/Game_Theme_2.ogg",
                                        "sounds/Vellinor_Theme.ogg", "sounds/Dialog_Theme.ogg"};
    MusicInterface* music = GetMusicInterface();
    if (music == nullptr)
        return;
    for (int tune = 1; tune <= 5; ++tune)
        music->LoadMusic(tune, tunes[tune - 1]);
}

void GameApp::LoadingThreadCompleted()
{
    if (isShutdown)
        return;
    Log("Creating widgets");
    // TODO(widgets): create board, mg1 .. mg6, mg8, mg9, mgLast, cover (hidden, zOrder 3000),
    // pageScreen (prepared, keyboard focus), tutorial and scenePlayer at (0, 0, 800, 600) and
    // add them; hand the dir of every "MGLast" page to mgLast; draw mgLast's notes onto the
    // faces of the pages whose note is prepared but not stamped.
    ChangeSet(false);
    // TODO(widgets): scenePlayer flag on and mode 4, pageScreen->TickSmooth(0.01), play the
    // event "intro", mark pageScreen started and give every face its final preparation.
    Log("Widgets created");
}

void GameApp::Shutdown()
{
    if (isShutdown)
        return;
    // TODO(dialogs): show Profile::ExitDialog modally over pageScreen with an empty text;
    // when the player declines, return here and the game goes on.
    OpenURLsFromFile("play.url");
    StartCompanionProgram("fscommand\\wgame.exe");
    VeskAppBase::Shutdown();
}

bool GameApp::LoadResourceGroup(const std::string& group, bool (*bind)(ResourceManager&))
{
    if (resourceManager->LoadGroup(group) && bind(*resourceManager))
        return true;
    ShowResourceError(true);
    return false;
}

void GameApp::StartCompanionProgram(const std::string& path)
{
    (void)Platform::StartProgram(path);
}

void GameApp::OpenURLsFromFile(const std::string& path)
{
    Buffer buffer;
    if (!ReadBufferFromFile(path, buffer))
        return;
    while (!buffer.AtEnd())
    {
        std::string line = buffer.ReadLine();
        size_t start = std::min(line.find("http://"), line.find("https://"));
        if (start != std::string::npos)
            OpenURL(line.substr(start), false);
    }
}

// ---------------------------------------------------------------------------------------
// Log

bool GameApp::LogFileExists() const
{
    std::error_code error;
    return std::filesystem::is_regular_file("log.txt", error);
}

void GameApp::Log(const std::string& text)
{
    // Opened for update, so a missing file stays missing.
    FILE* file = std::fopen("log.txt", "r+b");
    if (file == nullptr)
        return;
    if (std::fseek(file, 0, SEEK_END) == 0)
    {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fwrite("\r\n", 1, 2, file);
    }
    std::fclose(file);
}

// ---------------------------------------------------------------------------------------
// Configuration

void GameApp::LoadConfiguration()
{
    // TODO(dialogs): clear the in-use flag of the 128 dialog-text slots of the profile dialogs.
    content.openRuleCount = 0;
    content.setCount = 0;

    if (!parser)
        parser = std::make_unique<XMLParser>();
    if (!parser->OpenFile("properties/config.xml"))
    {
        isShutdown = true;
        MsgBox("Couldn't open properties/config.xml. Error returned:\n\"" + parser->GetErrorText() + "\"", "Error", 0);
        return;
    }
    ReadConfigValues();

    if (!parser->OpenFile("properties/local.xml"))
    {
        isShutdown = true;
        MsgBox("Couldn't open properties/local.xml. Error returned:\n\"" + parser->GetErrorText() + "\"", "Error", 0);
        return;
    }
    ReadLocalTexts();

    allPlayers.clear();
    std::string registryName;
    RegistryReadString("AllPlayers", allPlayers);
    RegistryReadString("PlayerName", registryName);

    if (registryName.empty())
    {
        if (config.common.default_fullscreen)
            SwitchToFullScreen();
        isNewPlayer = true;
        playerName = texts.common.default_name;
        if (parser->OpenFile("properties/config.xml"))
            ReadPagesData();
        // TODO(publication): redraw the contents page.
    }
    else
    {
        isNewPlayer = false;
        playerName = registryName;
    }
    LoadGame();
}

void GameApp::SwitchToFullScreen()
{
    // TODO(display): SwitchScreenMode(false, the display's 3D state, false) once the display
    // exists; before the window is created the setting is all there is to switch.
    windowed = false;
}

void GameApp::ReadConfigValues()
{
    Log("Extracting XML data");
    config.ResetBeforeRead();
    XMLElement element;
    while (parser->NextElement(element))
    {
        if (element.type == XMLElement::TYPE_START)
            LoadContentPictures(content.ApplyStartTag(element.section, element.value, element.attributes));
        else if (element.type == XMLElement::TYPE_ELEMENT)
        {
            config.Apply(element.section, element.value);
            content.ApplyOpenRuleKey(element.section, element.value);
        }
    }
    SettleCounts();
    Log("XML data extracted");
}

void GameApp::SettleCounts()
{
    auto clamp = [this](int& value, int capacity, const char* key)
    {
        if (value >= 0 && value <= capacity)
            return;
        int clamped = std::clamp(value, 0, capacity);
        Log(std::string(key) + " " + std::to_string(value) + " is outside 0.." + std::to_string(capacity) + "; using " +
            std::to_string(clamped));
        value = clamped;
    };
    clamp(config.pages.PagesNumber, kMaxPages, "Pages/PagesNumber");
    clamp(config.pages.TitlesNumber, kMaxTitles, "Pages/TitlesNumber");
    clamp(config.pages.MGNumber, kMaxMiniGameEntries, "Pages/MGNumber");
    clamp(config.desktop.ItemsCount, kMaxDeskItems, "Desktop/ItemsCount");
    content.pageCount = config.pages.PagesNumber;
}

void GameApp::ReadLocalTexts()
{
    Log("XML local data extracting");
    XMLElement element;
    while (parser->NextElement(element))
    {
        if (element.type != XMLElement::TYPE_ELEMENT)
            continue;
        if (!content.ApplyEntryText(element.section, element.value))
            texts.Apply(element.section, element.value);
    }
    Log("XML local data extracted");
}

void GameApp::LoadContentPictures(ContentModel::Filled filled)
{
    switch (filled.table)
    {
    case ContentModel::Table::Title:
        // TODO(images): the entry's onImage and offImage = GetImage(onImagePath / offImagePath, true).
        break;
    case ContentModel::Table::Bonus:
        // TODO(images): the spot's image = GetImage(bitmap, true), freed by the destructor.
        break;
    case ContentModel::Table::DeskItem:
        // TODO(images): the item's picture = GetImage(image, true).
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------
// Content

bool GameApp::ReadPagesData()
{
    Log("Extracting pages data");
    content.gameDataLoading = true;
    XMLElement element;
    while (parser->NextElement(element))
    {
        if (element.type != XMLElement::TYPE_START)
            continue;
        int row = content.ApplyPageTag(element.section, element.value, element.attributes);
        if (row >= 0)
            RenderPageFaces(row);
    }
    Log("Pages data extracted");
    return true;
}

void GameApp::RenderPageFaces(int row)
{
    // TODO(images): render faceImage (767 x 588) from GetImage(face, true), "%s not found" /
    // "Pages error" when missing; for row 1 keep GetImage(face) as contentsBackground; draw
    // IMAGE_PAGES over every row but 0. doneFaceImage: faceImage of row doneFaceSource, or
    // rendered the same way from doneFace when doneFaceSource is -1.
}

void GameApp::LoadPageItems(const std::string& dir, int pageIndex)
{
    Log("Loading game data");
    content.gameDataLoading = true;
    content.pictureItemCount = 0;

    Buffer list;
    if (!ReadBufferFromFile(dir + "picture.cfg", list))
        list.Clear();
    Buffer names;
    if (!ReadBufferFromFile("images/local/page" + std::to_string(pageIndex + 1) + ".lng", names))
        names.Clear();

    content.LoadPageItems(dir, PictureListReader::ReadObjects(list), PictureListReader::ReadDisplayNames(names));
    for (int index = 0; index < content.pictureItemCount; ++index)
        LoadPictureItemPicture(index);

    content.gameDataLoading = false;
    Log("Game data loaded");
}

void GameApp::LoadPictureItemPicture(int index)
{
    // TODO(images): load imagePath through the scene player's logged image loading ("   Loading
    // <path>"; "Image %s not found." / "Scene error" when missing), prepare it, and set
    // opaqueSamples = ContentModel::CountOpaqueSamples over its pixels.
}

void GameApp::ChangeSet(bool playScene)
{
    Log("Trying to change set");
    int previousSet = currentSet;
    currentSet = content.AdvanceSet(currentSet);
    if (currentSet != previousSet && previousSet != -1)
    {
        if (playScene)
        {
            // TODO(scenes): scenePlayer->PlayScene("newtri").
        }
        int picks = currentSet < static_cast<int>(config.pages.AfterSet.size())
                        ? config.pages.AfterSet[static_cast<size_t>(currentSet)]
                        : 0;
        if (picks > kMaxBonusPicks)
            Log("Pages/AfterSet" + std::to_string(currentSet) + " asks for " + std::to_string(picks) +
                " bonus pictures; the game holds " + std::to_string(kMaxBonusPicks));
        // TODO(publication): the page the publication screen lies open at, which gets no pick.
        int shownPage = -1;
        bonusPickCount = content.DrawBonusPicks(picks, shownPage, Random(), bonusPicks);
        // TODO(publication): set the publication screen's three sticker fades to 0.
    }
    Log(currentSet == -1 ? "  Sets changing failed!" : "Sets changed");
}

// ---------------------------------------------------------------------------------------
// Player progress

std::string GameApp::SaveFilePath() const
{
    return SaveFile::PathFor(GetAppDataFolder(), playerName);
}

SaveData GameApp::CollectSaveData() const
{
    SaveData data;
    data.pages.resize(static_cast<size_t>(content.pageCount));
    for (size_t i = 0; i < data.pages.size(); ++i)
    {
        const PageRecord& page = content.pages[i];
        PageProgress& progress = data.pages[i];
        progress.open = page.open;
        progress.done = page.done;
        progress.notePrepared = page.notePrepared;
        progress.stamped = page.stamped;
        progress.openScenePlayed = page.openScenePlayed;
        progress.listSlots = page.listSlots;
        progress.itemFound = page.itemFound;
    }
    data.flags.tutorialPending = tutorialPending;
    data.flags.introPending = introPending;
    data.flags.sceneOption = sceneOption;
    data.flags.warningPending = warningPending;
    data.flags.bonusesTaken = bonusesTaken;
    data.flags.spareFlag1 = spareFlag1;
    data.flags.spareFlag2 = spareFlag2;
    data.flags.firstPagePending = firstPagePending;
    return data;
}

void GameApp::SaveGame()
{
    if (!progressLoaded)
        return;
    RegistryWriteString("PlayerName", playerName);
    RegistryWriteString("AllPlayers", allPlayers);
    std::string path = SaveFilePath();
    if (!WriteBufferToFile(path, SaveFile::Write(CollectSaveData())))
        Log("Couldn't write " + path);
}

void GameApp::ApplySaveData(const SaveData& data)
{
    for (size_t i = 0; i < data.pages.size() && i < content.pages.size(); ++i)
    {
        const PageProgress& progress = data.pages[i];
        PageRecord& page = content.pages[i];
        page.open = progress.open;
        page.done = progress.done;
        if (i > 1 && page.done && page.type != "MGList" && page.type != "Credits")
            StampDoneFace(static_cast<int>(i));
        page.notePrepared = progress.notePrepared;
        page.stamped = progress.stamped;
        page.openScenePlayed = progress.openScenePlayed;
        page.listSlots = progress.listSlots;
        page.itemFound = progress.itemFound;
    }
    tutorialPending = data.flags.tutorialPending;
    introPending = data.flags.introPending;
    sceneOption = data.flags.sceneOption;
    warningPending = data.flags.warningPending;
    bonusesTaken = data.flags.bonusesTaken;
    spareFlag1 = data.flags.spareFlag1;
    spareFlag2 = data.flags.spareFlag2;
    firstPagePending = data.flags.firstPagePending;
}

void GameApp::StampDoneFace(int row)
{
    // TODO(images): draw IMAGE_STAMP at (Desktop/STAMPX, STAMPY) onto the page's faceImage and
    // playerName in FONT_SCRIPT with the colour (STAMP_Wr, STAMP_Wg, STAMP_Wb) at
    // (Desktop/STAMP_WX, STAMP_WY).
    content.pages[static_cast<size_t>(row)].faceNameStamp = playerName;
}

void GameApp::StartNewGame()
{
    for (int i = 0; i < content.pageCount; ++i)
    {
        PageRecord& page = content.pages[static_cast<size_t>(i)];
        page.open = content.initialOpen[static_cast<size_t>(i)];
        page.done = false;
        page.notePrepared = false;
        page.stamped = false;
        page.openScenePlayed = false;
        for (int k = 0; k < kListSlotCount; ++k)
            page.listSlots[static_cast<size_t>(k)] = k;
        page.itemFound.fill(0.0);
    }
    tutorialPending = true;
    introPending = true;
    sceneOption = true;
    warningPending = true;
    spareFlag1 = true;
    spareFlag2 = true;
    firstPagePending = true;
    bonusesTaken = 0;
}

void GameApp::LoadGame()
{
    Log("Loading game");
    if (!parser)
        parser = std::make_unique<XMLParser>();
    if (parser->OpenFile("properties/config.xml"))
        ReadPagesData();
    currentSet = 0;

    std::string path = SaveFilePath();
    Buffer buffer;
    progressLoaded = true;
    if (FileExists(path) && ReadBufferFromFile(path, buffer))
        ApplySaveData(SaveFile::Read(buffer, content.pageCount));
    else
    {
        StartNewGame();
        SaveGame();
    }

    // TODO(publication): redraw the contents page, then the cover face.
    content.UpdateMiniGamesAvailable();
    Log("Game loaded");
}

} // namespace Vesk
