// The faces of the publication that change with the player's progress: the cover with its menu
// and the player's name, the contents page with its titles in open and closed ink, the
// contents note and the mini-game list. They are drawn once into the page faces, so the
// publication screen paints and turns them like any other page.
#include "app/GameApp.h"
#include "app/Resources.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"

#include <algorithm>

namespace Vesk
{

namespace
{

// A title and its body as the contents page and the mini-game list print them: the title in
// FONT_SMALL_BOLD with its own line spacing, the body IL below in FONT_SMALL. Returns the body's
// wrapped height (0 without the body's font).
int DrawEntryText(Graphics& graphics, const std::string& title, const std::string& body, int x, int y, int w, int IL,
                  int il)
{
    if (FONT_SMALL_BOLD != nullptr)
    {
        graphics.SetFont(FONT_SMALL_BOLD);
        graphics.DrawStringWordWrapped(title, x, y, w, IL, -1);
    }
    if (FONT_SMALL == nullptr)
        return 0;
    graphics.SetFont(FONT_SMALL);
    graphics.DrawStringWordWrapped(body, x, y + IL, w, il, -1);
    return graphics.GetWordWrappedHeight(w, body, il);
}

} // namespace

void GameApp::RedrawContentsNote()
{
    auto* note = dynamic_cast<MemoryImage*>(IMAGE_POST_CONT);
    if (note == nullptr)
        return;
    if (!contentsNotePicture)
        contentsNotePicture = GetImage("images/interface/postit_contents", true);
    note->Clear();
    if (contentsNotePicture)
        Graphics(note).DrawImage(contentsNotePicture.get(), 0, 0);
    note->CommitBits();
}

void GameApp::RedrawCoverFace()
{
    PageRecord& cover = content.pages[0];
    if (!cover.faceImage)
        return;
    DDImage* face = cover.faceImage.get();
    if (!cleanCoverFace || cleanCoverFace->filePath != cover.face)
        cleanCoverFace = std::make_unique<DDImage>(*RenderFace(cover.face, 0, nullptr));
    Graphics graphics(face);
    face->Clear();
    graphics.DrawImage(cleanCoverFace.get(), 0, 0);

    const GameConfig::PagesSection& pages = config.pages;
    const struct
    {
        Image* picture;
        Image* shadow;
        int x;
        int y;
    } menu[] = {
        {IMAGE_BUT_CHANGE, IMAGE_BUT_CHANGE_SH, pages.ProfileX, pages.ProfileY},
        {IMAGE_BUT_OPTIONS, IMAGE_BUT_OPTIONS_SH, pages.OptionsX, pages.OptionsY},
        {IMAGE_BUT_MGAMES, IMAGE_BUT_MGAMES_SH, pages.MinigamesX, pages.MinigamesY},
        {IMAGE_BUT_CREDITS, IMAGE_BUT_CREDITS_SH, pages.CreditsX, pages.CreditsY},
        {IMAGE_BUT_PLAY, IMAGE_BUT_PLAY_SH, pages.PlayX, pages.PlayY},
        {IMAGE_BUT_EXIT, IMAGE_BUT_EXIT_SH, pages.ExitX, pages.ExitY},
    };
    for (const auto& button : menu)
        graphics.DrawImage(button.shadow, button.x, button.y);
    for (const auto& button : menu)
        graphics.DrawImage(button.picture, button.x, button.y);

    if (FONT_DEFAULT != nullptr)
    {
        // Character by character from the left, so the name ends exactly at NameX.
        graphics.SetFont(FONT_DEFAULT);
        graphics.SetColor(Color());
        const int width = FONT_DEFAULT->StringWidth(playerName);
        for (size_t i = 0; i < playerName.size(); ++i)
        {
            const int x = config.common.NameX - width + FONT_DEFAULT->StringWidth(playerName.substr(0, i));
            graphics.DrawString(playerName.substr(i, 1), x, config.common.NameY);
        }
    }
    face->CommitBits();
}

void GameApp::RedrawContentsPage()
{
    Log("Redrawing contents page");
    RedrawContentsNote();
    content.OpenPages();
    lastReachablePage = content.LastReachablePage();

    DDImage* face = content.pages[1].faceImage.get();
    if (face != nullptr)
    {
        Graphics graphics(face);
        // The background is the bare picture: the page edges go over it again, as on every face.
        if (content.contentsBackground)
            graphics.DrawImage(content.contentsBackground.get(), 0, 0);
        graphics.DrawImage(IMAGE_PAGES, 0, 0);
        const GameConfig::PagesSection& pages = config.pages;
        const Color openInk(pages.opr, pages.opg, pages.opb);
        const Color closedInk(pages.cpr, pages.cpg, pages.cpb);
        for (int row = 0; row < config.pages.TitlesNumber; ++row)
        {
            ContentsEntry& entry = content.titles[static_cast<size_t>(row)];
            const bool open = ContentModel::IsPage(entry.page) && content.pages[static_cast<size_t>(entry.page)].open;
            graphics.SetColor(open ? openInk : closedInk);
            graphics.DrawImage(open ? entry.onImage.get() : entry.offImage.get(), entry.nX, entry.nY);
            entry.textHeight =
                DrawEntryText(graphics, entry.titleText, entry.bodyText, entry.x, entry.y, entry.w, entry.IL, entry.il);
        }
        face->CommitBits();
    }
    RedrawMiniGameList();
    Log("Redrawing contents page done");
}

void GameApp::RedrawContentsPageLight(int page)
{
    Log("Redrawing contents page ligth");
    RedrawContentsNote();
    const std::vector<int> opened = content.OpenPages();
    const Color openInk(config.pages.opr, config.pages.opg, config.pages.opb);

    DDImage* face = content.pages[1].faceImage.get();
    if (face != nullptr)
    {
        Graphics graphics(face);
        graphics.SetColor(openInk);
        for (int row = 0; row < config.pages.TitlesNumber; ++row)
        {
            ContentsEntry& entry = content.titles[static_cast<size_t>(row)];
            if (std::find(opened.begin(), opened.end(), entry.page) == opened.end())
                continue;
            entry.textHeight = entry.IL + DrawEntryText(graphics, entry.titleText, entry.bodyText, entry.x, entry.y,
                                                        entry.w, entry.IL, entry.il);
        }
        for (int r = 0; r < content.openRuleCount; ++r)
        {
            const OpenRule& rule = content.openRules[static_cast<size_t>(r)];
            if (rule.requiredPage != page || content.HeldBackByRule(rule.targetPage))
                continue;
            for (int row = 0; row < config.pages.TitlesNumber; ++row)
            {
                const ContentsEntry& entry = content.titles[static_cast<size_t>(row)];
                if (entry.page == rule.targetPage)
                    graphics.DrawImage(entry.onImage.get(), entry.nX, entry.nY);
            }
        }
        face->CommitBits();
    }
    lastReachablePage = content.LastReachablePage();

    for (int row = 0; row < content.pageCount && ContentModel::IsPage(page); ++row)
    {
        PageRecord& list = content.pages[static_cast<size_t>(row)];
        if (list.type != "MGList" || !list.faceImage)
            continue;
        Graphics graphics(list.faceImage.get());
        graphics.SetColor(openInk);
        for (int e = 0; e < config.pages.MGNumber; ++e)
        {
            MiniGameEntry& entry = content.miniGameEntries[static_cast<size_t>(e)];
            if (entry.page != page || !content.pages[static_cast<size_t>(page)].open)
                continue;
            entry.textHeight = entry.IL + DrawEntryText(graphics, entry.titleText, entry.bodyText, entry.x, entry.y,
                                                        entry.w, entry.IL, entry.il);
        }
        list.faceImage->CommitBits();
    }
    Log("Redrawing light contents page done");
}

void GameApp::RedrawMiniGameList()
{
    Log("Redrawing MGList");
    const Color openInk(config.pages.opr, config.pages.opg, config.pages.opb);
    const Color closedInk(config.pages.cpr, config.pages.cpg, config.pages.cpb);
    for (int row = 0; row < content.pageCount; ++row)
    {
        PageRecord& list = content.pages[static_cast<size_t>(row)];
        if (list.type != "MGList" || !list.faceImage)
            continue;
        Graphics graphics(list.faceImage.get());
        for (int e = 0; e < config.pages.MGNumber; ++e)
        {
            MiniGameEntry& entry = content.miniGameEntries[static_cast<size_t>(e)];
            const bool open = ContentModel::IsPage(entry.page) && content.pages[static_cast<size_t>(entry.page)].open;
            graphics.SetColor(open ? openInk : closedInk);
            entry.textHeight = entry.IL + DrawEntryText(graphics, entry.titleText, entry.bodyText, entry.x, entry.y,
                                                        entry.w, entry.IL, entry.il);
        }
        list.faceImage->CommitBits();
    }
    Log("Redrawing MGList done");
}

} // namespace Vesk
