#include "app/GameApp.h"

#include "app/PictureListReader.h"
#include "app/Resources.h"
#include "app/SaveFile.h"
#include "board/Board.h"
#include "board/BoardHost.h"
#include "dialogs/ProfileDialog.h"
#include "framework/appbase/Buffer.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/platform/Shell.h"
#include "framework/resources/ResourceManager.h"
#include "framework/resources/XMLParser.h"
#include "framework/sound/MusicInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "minigames/MGLast.h"
#include "minigames/MiniGames.h"
#include "publication/Cover.h"
#include "publication/Page.h"
#include "publication/Tutorial.h"
#include "scenes/UCD.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>
#include <vector>

namespace Vesk
{

GameApp* gGameApp = nullptr;

namespace
{

// How many of the 10 x 10 sample points of a picture are opaque enough to be hit, read from
// its palettized form when it has one (reading the bits would unpack it again).
int CountOpaqueSamples(DDImage& image)
{
    if (!image.IsPalettized())
        return ContentModel::CountOpaqueSamples(image.GetBits(), image.GetWidth(), image.GetHeight());
    const std::vector<uint32_t>& palette = image.GetPalette();
    const std::vector<uint8_t>& indices = image.GetColorIndices();
    std::vector<uint32_t> pixels(indices.size());
    for (size_t i = 0; i < indices.size(); ++i)
        pixels[i] = indices[i] < palette.size() ? palette[indices[i]] : 0;
    if (pixels.size() != static_cast<size_t>(image.GetWidth()) * static_cast<size_t>(image.GetHeight()))
        return -1;
    return ContentModel::CountOpaqueSamples(pixels.data(), image.GetWidth(), image.GetHeight());
}

} // namespace

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
    // The screens that exist, in the order board, mg1 .. mg6, mg8, mg9, mgLast, cover, tutorial,
    // scenePlayer, pageScreen.
    auto remove = [](Widget* screen)
    {
        if (screen != nullptr && screen->parent != nullptr)
            screen->parent->RemoveChild(screen);
    };
    remove(board.get());
    board.reset();
    for (auto& game : miniGames)
    {
        remove(game.get());
        game.reset();
    }
    remove(cover.get());
    cover.reset();
    remove(tutorial.get());
    tutorial.reset();
    remove(scenePlayer.get());
    scenePlayer.reset();
    remove(pageScreen.get());
    pageScreen.reset();
    resourceManager->UnloadGroup("Common");
    resourceManager->UnloadGroup("Interface");
    ResetResourceIdentifiers();
    for (int spot = 0; spot < content.bonusCount && spot < kMaxBonuses; ++spot)
        content.bonuses[static_cast<size_t>(spot)].image.reset();
    if (gGameApp == this)
        gGameApp = nullptr;
}

// ---------------------------------------------------------------------------------------
// Start-up and shut-down

void GameApp::Init()
{
    VeskAppBase::Init();
    Log("Init");

    // Through FileExists, so that a demo replays the same choice.
    if (FileExists("log.txt"))
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

    logosAvailable = true;
    logoNa = GetImage("fsdata/logo_na", true);
    logoA = GetImage("fsdata/logo_a", true);
    if (!logoNa || !logoA)
        logosAvailable = false;

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
    board = std::make_unique<Board>(*this);
    widgetManager->AddChild(board.get());
    for (int mode = 1; mode < kMiniGameSlots; ++mode)
    {
        miniGames[size_t(mode)] = CreateMiniGame(*this, mode);
        if (miniGames[size_t(mode)] != nullptr)
            widgetManager->AddChild(miniGames[size_t(mode)].get());
    }
    cover = std::make_unique<Cover>(*this);
    cover->SetShown(false);
    widgetManager->AddChild(cover.get());
    pageScreen = std::make_unique<Page>(*this);
    board->host = pageScreen.get();
    for (auto& game : miniGames)
        if (game != nullptr)
            game->host = pageScreen.get();
    widgetManager->AddChild(pageScreen.get());
    widgetManager->SetFocusWidget(pageScreen.get());
    tutorial = std::make_unique<Tutorial>(*this);
    widgetManager->AddChild(tutorial.get());
    scenePlayer = std::make_unique<UCD>(*this);
    widgetManager->AddChild(scenePlayer.get());
    // The final game's notes are read once, and their empty places go onto the faces.
    if (auto* last = dynamic_cast<MGLast*>(MiniGameOfMode(Page::kModeFinalGame)); last != nullptr)
        last->LoadNotesOfPublication();
    ChangeSet(false);
    pageScreen->TickRules(0.01f);
    // The intro tune follows the intro scene, or starts at once without one.
    scenePlayer->musicAfterScene = 1;
    scenePlayer->restoreMusic = true;
    PlayScene("intro");
    if (MusicInterface* music = GetMusicInterface(); music != nullptr && !scenePlayer->shown)
        music->PlayMusic(1);
    pageScreen->started = true;
    Log("Widgets created");
}

void GameApp::CompletePage(int page, BoardHost* host)
{
    if (ContentModel::IsPage(page) && !content.pages[size_t(page)].done)
    {
        content.pages[size_t(page)].done = true;
        RedrawContentsPageLight(page);
        if (host != nullptr)
            host->RedrawContentsLight(page);
    }
    // ChangeSet's "newtri" scene is answered by the scene player.
    ChangeSet(true);
    if (host != nullptr)
        host->SetPageComplete();
    SaveGame();
    if (host != nullptr)
        host->RequestPageAction();
}

MiniGame* GameApp::MiniGameOfMode(int mode) const
{
    if (mode <= 0 || mode >= kMiniGameSlots)
        return nullptr;
    return miniGames[size_t(mode)].get();
}

MiniGame* GameApp::ShownMiniGame() const
{
    for (const auto& game : miniGames)
        if (game != nullptr && game->shown)
            return game.get();
    return nullptr;
}

void GameApp::Shutdown()
{
    if (isShutdown)
        return;
    if (!ConfirmExit())
        return;
    OpenURLsFromFile("play.url");
    StartCompanionProgram("fscommand\\wgame.exe");
    VeskAppBase::Shutdown();
}

bool GameApp::ConfirmExit()
{
    // Before the screens exist there is nothing to lose and nothing to ask over; a second
    // request while the question is open waits for its answer.
    if (!pageScreen)
        return true;
    if (exitAsked)
        return false;
    exitAsked = true;
    const bool quit = (new Profile::ExitDialog(*this, pageScreen.get(), ""))->ShowModal();
    exitAsked = false;
    return quit || isShutdown;
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
        // LoadGame reads the pages again: keep clean copies of the faces for it.
        keepCleanFaces = true;
        if (parser->OpenFile("properties/config.xml"))
            ReadPagesData();
        RedrawContentsPage();
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
    // Init has made the window by now; before that (a configuration read on its own) the
    // setting is all there is to switch.
    if (GetWindow() == nullptr)
    {
        windowed = false;
        return;
    }
    SwitchScreenMode(false, Is3DAccelerated(), false);
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
    if (filled.row < 0)
        return;
    size_t row = static_cast<size_t>(filled.row);
    switch (filled.table)
    {
    case ContentModel::Table::Title:
    {
        ContentsEntry& entry = content.titles[row];
        entry.onImage = GetImage(entry.onImagePath, true);
        entry.offImage = GetImage(entry.offImagePath, true);
        break;
    }
    case ContentModel::Table::Bonus:
    {
        BonusSpot& spot = content.bonuses[row];
        spot.image = GetImage(spot.bitmap, true);
        break;
    }
    case ContentModel::Table::DeskItem:
    {
        DeskItem& item = content.deskItems[row];
        item.image = GetImage(item.imagePath, true);
        break;
    }
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
    // Every face is rendered afresh; none of the previous reading may be shared.
    for (PageRecord& page : content.pages)
    {
        page.faceImage.reset();
        page.doneFaceImage.reset();
    }
    XMLElement element;
    std::vector<int> rowsRead;
    while (parser->NextElement(element))
    {
        if (element.type != XMLElement::TYPE_START)
            continue;
        int row = content.ApplyPageTag(element.section, element.value, element.attributes);
        if (row >= 0)
            rowsRead.push_back(row);
    }
    PrefetchFacePictures(rowsRead);
    for (int row : rowsRead)
        RenderPageFaces(row);
    prefetchedFaces.clear();
    Log("Pages data extracted");
    return true;
}

void GameApp::PrefetchFacePictures(const std::vector<int>& rows)
{
    std::vector<std::string> paths;
    auto wanted = [this, &paths](const std::string& path)
    {
        if (!path.empty() && cleanFaces.count(path) == 0 && cleanFaces.count(path + "|cover") == 0 &&
            std::find(paths.begin(), paths.end(), path) == paths.end())
            paths.push_back(path);
    };
    for (int row : rows)
    {
        const PageRecord& page = content.pages[static_cast<size_t>(row)];
        wanted(page.face);
        wanted(page.doneFace);
    }
    // Decoding the pictures is most of a start-up: a second thread takes every other one.
    std::vector<std::unique_ptr<DDImage>> pictures(paths.size());
    std::thread helper(
        [this, &paths, &pictures]
        {
            for (size_t i = 1; i < paths.size(); i += 2)
                pictures[i] = GetImage(paths[i], true);
        });
    for (size_t i = 0; i < paths.size(); i += 2)
        pictures[i] = GetImage(paths[i], true);
    helper.join();
    for (size_t i = 0; i < paths.size(); ++i)
        prefetchedFaces[paths[i]] = std::move(pictures[i]);
}

void GameApp::RenderPageFaces(int row)
{
    PageRecord& page = content.pages[static_cast<size_t>(row)];
    page.faceImage = RenderFace(page.face, row, row == 1 ? &content.contentsBackground : nullptr);
    if (row == 0)
        cleanCoverFace = std::make_unique<DDImage>(*page.faceImage);

    page.doneFaceImage.reset();
    if (page.doneFaceSource == row)
        page.doneFaceImage = page.faceImage;
    else if (ContentModel::IsPage(page.doneFaceSource))
        page.doneFaceImage = content.pages[static_cast<size_t>(page.doneFaceSource)].faceImage;
    // A row whose done face is the face of a row not read yet (its tag comes later in the
    // file) renders the picture itself.
    if (!page.doneFaceImage)
        page.doneFaceImage = RenderFace(page.doneFace, row, nullptr);
}

std::shared_ptr<DDImage> GameApp::RenderFace(const std::string& path, int row, std::unique_ptr<DDImage>* keptPicture)
{
    const std::string key = row == 0 ? path + "|cover" : path;
    // A picture kept from the last reading (the contents background) is still the same file.
    const bool keptIsCurrent = keptPicture != nullptr && *keptPicture && (*keptPicture)->filePath == path;
    if (keptPicture == nullptr || keptIsCurrent)
    {
        auto cached = cleanFaces.find(key);
        if (cached != cleanFaces.end())
            return std::make_shared<DDImage>(*cached->second);
    }

    std::unique_ptr<DDImage> picture;
    auto prefetched = prefetchedFaces.find(path);
    if (prefetched != prefetchedFaces.end() && prefetched->second)
        picture = std::move(prefetched->second);
    else
        picture = GetImage(path, true);
    const bool missing = !picture;
    if (missing)
        MsgBox(path + " not found", "Pages error", 0);

    std::shared_ptr<DDImage> face;
    const int faceWidth = static_cast<int>(pageWidth);
    const int faceHeight = static_cast<int>(pageFullHeight);
    if (picture && picture->GetWidth() == faceWidth && picture->GetHeight() == faceHeight)
    {
        // A picture of the face's size is the face: no need to copy it onto a blank one.
        face =
            keptPicture != nullptr ? std::make_shared<DDImage>(*picture) : std::shared_ptr<DDImage>(picture.release());
        if (row != 0)
            Graphics(face.get()).DrawImage(IMAGE_PAGES, 0, 0);
    }
    else
    {
        face = std::make_shared<DDImage>(&GetImageSet());
        face->filePath = path;
        face->Create(faceWidth, faceHeight);
        Graphics graphics(face.get());
        graphics.DrawImage(picture.get(), 0, 0);
        if (row != 0)
            graphics.DrawImage(IMAGE_PAGES, 0, 0);
    }
    face->CommitBits();
    // Faces are drawn on afterwards glyph by glyph (the contents, the name stamp). Blending onto
    // them keeps an opaque pixel opaque, so the kind found now (a see-through margin, a soft
    // shadow) stays right: keep it, or every glyph would have the whole face scanned again.
    face->SetImageMode(face->HasTransparency(), face->HasAlpha());
    if (!missing && keepCleanFaces)
        cleanFaces[key] = std::make_unique<DDImage>(*face);
    if (keptPicture != nullptr)
        *keptPicture = std::move(picture);
    return face;
}

DDImage* GameApp::DoneFaceForDrawing(int row)
{
    if (!ContentModel::IsPage(row))
        return nullptr;
    PageRecord& page = content.pages[static_cast<size_t>(row)];
    if (!page.doneFaceImage)
        return nullptr;
    bool shared = false;
    for (int other = 0; other < kMaxPages && !shared; ++other)
    {
        const PageRecord& record = content.pages[static_cast<size_t>(other)];
        shared = other != row && (record.faceImage == page.doneFaceImage || record.doneFaceImage == page.doneFaceImage);
    }
    if (shared)
    {
        auto copy = std::make_shared<DDImage>(*page.doneFaceImage);
        if (page.faceImage == page.doneFaceImage)
            page.faceImage = copy;
        page.doneFaceImage = std::move(copy);
    }
    return page.doneFaceImage.get();
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
    PictureItem& item = content.pictureItems[static_cast<size_t>(index)];
    item.image = LoadSceneImage(item.imagePath);
    item.opaqueSamples = item.image ? CountOpaqueSamples(*item.image) : -1;
}

std::unique_ptr<DDImage> GameApp::LoadSceneImage(const std::string& path)
{
    Log("   Loading " + path);
    std::unique_ptr<DDImage> image = GetImage(path, true);
    if (!image)
    {
        MsgBox("Image " + path + " not found.", "Scene error", 0);
        image = GetImage("images/404", true);
        if (!image)
            return nullptr;
    }
    // Pictures of more than 256 colours stay as they are.
    (void)image->Palletize();
    return image;
}

void GameApp::ChangeSet(bool playScene)
{
    Log("Trying to change set");
    int previousSet = currentSet;
    currentSet = content.AdvanceSet(currentSet);
    if (currentSet != previousSet && previousSet != -1)
    {
        if (playScene)
            PlayScene("newtri");
        int picks = currentSet < static_cast<int>(config.pages.AfterSet.size())
                        ? config.pages.AfterSet[static_cast<size_t>(currentSet)]
                        : 0;
        if (picks > kMaxBonusPicks)
            Log("Pages/AfterSet" + std::to_string(currentSet) + " asks for " + std::to_string(picks) +
                " bonus pictures; the game holds " + std::to_string(kMaxBonusPicks));
        // The page the publication lies open at gets no pick: its bonus could never be uncovered.
        int shownPage = pageScreen != nullptr ? pageScreen->currentPage : -1;
        bonusPickCount = content.DrawBonusPicks(picks, shownPage, Random(), bonusPicks);
        if (pageScreen != nullptr)
            pageScreen->ClearStickerFades();
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
    if (content.pageCount <= 0)
    {
        Log("No pages to save; " + path + " is left as it is");
        return;
    }
    if (saveToKeep.path == path)
    {
        if (!KeepFileBeside(path, saveToKeep.suffix))
        {
            Log("Couldn't keep " + path + " as " + path + saveToKeep.suffix + "; progress not saved");
            return;
        }
        saveToKeep = {};
    }
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
    // The stamp goes onto the face a done page shows, as when the player earned it.
    DDImage* face = DoneFaceForDrawing(row);
    if (face == nullptr)
        return;
    const GameConfig::DesktopSection& desktop = config.desktop;
    Graphics graphics(face);
    graphics.DrawImage(IMAGE_STAMP, desktop.STAMPX, desktop.STAMPY);
    graphics.SetFont(FONT_SCRIPT);
    graphics.SetColor(Color(desktop.STAMP_Wr, desktop.STAMP_Wg, desktop.STAMP_Wb));
    graphics.DrawString(playerName, desktop.STAMP_WX, desktop.STAMP_WY);
    face->CommitBits();
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
    saveToKeep = {};
    if (!FileExists(path))
    {
        StartNewGame();
        SaveGame();
    }
    else if (!ReadBufferFromFile(path, buffer))
    {
        Log("Couldn't read " + path + "; playing a new game, the file is kept as " + path + ".unreadable");
        StartNewGame();
        saveToKeep = {path, ".unreadable"};
    }
    else
    {
        if (buffer.GetDataLen() != SaveFile::SizeFor(content.pageCount))
            saveToKeep = {path, ".old"};
        ApplySaveData(SaveFile::Read(buffer, content.pageCount));
    }

    RedrawContentsPage();
    RedrawCoverFace();
    content.UpdateMiniGamesAvailable();
    cleanFaces.clear();
    keepCleanFaces = false;
    Log("Game loaded");
}

} // namespace Vesk
