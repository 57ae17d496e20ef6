// The real publication's resources as the game loads them: the built manifest and both groups
// "Common" and "Interface" from the built archive, through the application's own loader, every
// identifier bound, and every picture of the size and cell grid the screens are laid out for
// (the table of data/README.md, "Resource manifest").
#include "app/Resources.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Image.h"
#include "framework/resources/LoadedFont.h"
#include "framework/resources/LoadedImage.h"
#include "framework/resources/ResourceManager.h"
#include "framework/resources/ResourceManagerException.h"
#include "support/BuiltPictureSizes.h"
#include "support/ScopedPakInterface.h"
#include "support/TestApp.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace Vesk
{
namespace
{

// Sizes come from the art tests' table of built pictures, found by the manifest's path.
struct ExpectedPicture
{
    const char* id;
    Image** variable;
    // Cells of the picture's grid once the game has bound it: the manifest's cols, or 3 for
    // the dialog button strips the game cuts itself. The checkbox's two halves are cut by the
    // checkbox, its grid stays one cell.
    int cells;
};

const ExpectedPicture kPictures[] = {
    {"IMAGE_404", &IMAGE_404, 1},
    {"IMAGE_BGTILE", &IMAGE_BGTILE, 1},
    {"IMAGE_CUR_ERASER", &IMAGE_CUR_ERASER, 1},
    {"IMAGE_CUR_FINGER", &IMAGE_CUR_FINGER, 1},
    {"IMAGE_CUR_HOURGLASS", &IMAGE_CUR_HOURGLASS, 1},
    {"IMAGE_CUR_POINTER", &IMAGE_CUR_POINTER, 1},
    {"IMAGE_CUR_THUMBTACK", &IMAGE_CUR_THUMBTACK, 1},
    {"IMAGE_FRONTPAGE", &IMAGE_FRONTPAGE, 1},
    {"IMAGE_MASK", &IMAGE_MASK, 1},
    {"IMAGE_PAGES", &IMAGE_PAGES, 1},
    {"IMAGE_STROKE", &IMAGE_STROKE, 1},
    {"IMAGE_BCH_ADD", &IMAGE_BCH_ADD, 3},
    {"IMAGE_BCN_ADD", &IMAGE_BCN_ADD, 3},
    {"IMAGE_BLH_SIMPLE", &IMAGE_BLH_SIMPLE, 3},
    {"IMAGE_BLN_SIMPLE", &IMAGE_BLN_SIMPLE, 3},
    {"IMAGE_BRG_DELETE", &IMAGE_BRG_DELETE, 1},
    {"IMAGE_BRH_DELETE", &IMAGE_BRH_DELETE, 3},
    {"IMAGE_BRH_SIMPLE", &IMAGE_BRH_SIMPLE, 3},
    {"IMAGE_BRN_DELETE", &IMAGE_BRN_DELETE, 3},
    {"IMAGE_BRN_SIMPLE", &IMAGE_BRN_SIMPLE, 3},
    {"IMAGE_BUT_CHANGE", &IMAGE_BUT_CHANGE, 1},
    {"IMAGE_BUT_CHANGE_SH", &IMAGE_BUT_CHANGE_SH, 1},
    {"IMAGE_BUT_CREDITS", &IMAGE_BUT_CREDITS, 1},
    {"IMAGE_BUT_CREDITS_SH", &IMAGE_BUT_CREDITS_SH, 1},
    {"IMAGE_BUT_EXIT", &IMAGE_BUT_EXIT, 1},
    {"IMAGE_BUT_EXIT_SH", &IMAGE_BUT_EXIT_SH, 1},
    {"IMAGE_BUT_MGAMES", &IMAGE_BUT_MGAMES, 1},
    {"IMAGE_BUT_MGAMES_C", &IMAGE_BUT_MGAMES_C, 1},
    {"IMAGE_BUT_MGAMES_SH", &IMAGE_BUT_MGAMES_SH, 1},
    {"IMAGE_BUT_OPTIONS", &IMAGE_BUT_OPTIONS, 1},
    {"IMAGE_BUT_OPTIONS_SH", &IMAGE_BUT_OPTIONS_SH, 1},
    {"IMAGE_BUT_PLAY", &IMAGE_BUT_PLAY, 1},
    {"IMAGE_BUT_PLAY_SH", &IMAGE_BUT_PLAY_SH, 1},
    {"IMAGE_CANDY", &IMAGE_CANDY, 1},
    {"IMAGE_CHECK", &IMAGE_CHECK, 1},
    {"IMAGE_CHECKBOX", &IMAGE_CHECKBOX, 1},
    {"IMAGE_DECOR_O", &IMAGE_DECOR_O, 1},
    {"IMAGE_DECOR_P", &IMAGE_DECOR_P, 1},
    {"IMAGE_DECOR_Q", &IMAGE_DECOR_Q, 1},
    {"IMAGE_EFFECT", &IMAGE_EFFECT, 8},
    {"IMAGE_FINGER", &IMAGE_FINGER, 1},
    {"IMAGE_GLASS", &IMAGE_GLASS, 1},
    {"IMAGE_GLASS8", &IMAGE_GLASS8, 1},
    {"IMAGE_GLASS8_HANDLE", &IMAGE_GLASS8_HANDLE, 1},
    {"IMAGE_GLASS_BTN", &IMAGE_GLASS_BTN, 1},
    {"IMAGE_ICON_GL", &IMAGE_ICON_GL, 1},
    {"IMAGE_ICON_GR", &IMAGE_ICON_GR, 1},
    {"IMAGE_ICON_GR_X", &IMAGE_ICON_GR_X, 1},
    {"IMAGE_ICON_ML", &IMAGE_ICON_ML, 1},
    {"IMAGE_ICON_MR", &IMAGE_ICON_MR, 1},
    {"IMAGE_ICON_MR_X", &IMAGE_ICON_MR_X, 1},
    {"IMAGE_MG3_PB", &IMAGE_MG3_PB, 1},
    {"IMAGE_MG3_PBN", &IMAGE_MG3_PBN, 1},
    {"IMAGE_MG4_NO", &IMAGE_MG4_NO, 1},
    {"IMAGE_MG4_RB", &IMAGE_MG4_RB, 1},
    {"IMAGE_MG4_RBN", &IMAGE_MG4_RBN, 1},
    {"IMAGE_MG4_SB", &IMAGE_MG4_SB, 1},
    {"IMAGE_MG4_SBN", &IMAGE_MG4_SBN, 1},
    {"IMAGE_MG4_YES", &IMAGE_MG4_YES, 1},
    {"IMAGE_MG5_SCANNER_LIGHT", &IMAGE_MG5_SCANNER_LIGHT, 1},
    {"IMAGE_MG6_OUTLINE", &IMAGE_MG6_OUTLINE, 6},
    {"IMAGE_MG9_LIGHT", &IMAGE_MG9_LIGHT, 1},
    {"IMAGE_MGLAST_LARR", &IMAGE_MGLAST_LARR, 1},
    {"IMAGE_MGLAST_LARRD", &IMAGE_MGLAST_LARRD, 1},
    {"IMAGE_MGLAST_NOTE", &IMAGE_MGLAST_NOTE, 1},
    {"IMAGE_MGLAST_PAGES", &IMAGE_MGLAST_PAGES, 4},
    {"IMAGE_MGLAST_RARR", &IMAGE_MGLAST_RARR, 1},
    {"IMAGE_MGLAST_RARRD", &IMAGE_MGLAST_RARRD, 1},
    {"IMAGE_MMS", &IMAGE_MMS, 1},
    {"IMAGE_MMS_S", &IMAGE_MMS_S, 1},
    {"IMAGE_PENCIL", &IMAGE_PENCIL, 1},
    {"IMAGE_POST_1", &IMAGE_POST_1, 1},
    {"IMAGE_POST_2", &IMAGE_POST_2, 1},
    {"IMAGE_POST_3", &IMAGE_POST_3, 1},
    {"IMAGE_POST_4", &IMAGE_POST_4, 1},
    {"IMAGE_POST_5", &IMAGE_POST_5, 1},
    {"IMAGE_POST_6", &IMAGE_POST_6, 1},
    {"IMAGE_POST_7", &IMAGE_POST_7, 1},
    {"IMAGE_POST_8", &IMAGE_POST_8, 1},
    {"IMAGE_POST_BACK", &IMAGE_POST_BACK, 1},
    {"IMAGE_POST_BACK_B", &IMAGE_POST_BACK_B, 1},
    {"IMAGE_POST_BACK_BG", &IMAGE_POST_BACK_BG, 1},
    {"IMAGE_POST_BACK_BH", &IMAGE_POST_BACK_BH, 1},
    {"IMAGE_POST_BACK_BP", &IMAGE_POST_BACK_BP, 1},
    {"IMAGE_POST_CONT", &IMAGE_POST_CONT, 1},
    {"IMAGE_POST_HINT_B", &IMAGE_POST_HINT_B, 1},
    {"IMAGE_POST_HINT_BC", &IMAGE_POST_HINT_BC, 1},
    {"IMAGE_POST_HINT_BG", &IMAGE_POST_HINT_BG, 1},
    {"IMAGE_POST_HINT_BH", &IMAGE_POST_HINT_BH, 1},
    {"IMAGE_POST_HINT_BP", &IMAGE_POST_HINT_BP, 1},
    {"IMAGE_SHAD_L", &IMAGE_SHAD_L, 1},
    {"IMAGE_SHAD_R", &IMAGE_SHAD_R, 1},
    {"IMAGE_SLIDER_THUMB", &IMAGE_SLIDER_THUMB, 1},
    {"IMAGE_SMS", &IMAGE_SMS, 1},
    {"IMAGE_SMS_S", &IMAGE_SMS_S, 1},
    {"IMAGE_STAMP", &IMAGE_STAMP, 1},
    {"IMAGE_STAMP_REPLAY", &IMAGE_STAMP_REPLAY, 1},
    {"IMAGE_STICKER_1L", &IMAGE_STICKER_1L, 1},
    {"IMAGE_STICKER_1R", &IMAGE_STICKER_1R, 1},
    {"IMAGE_STICKER_1RG", &IMAGE_STICKER_1RG, 1},
    {"IMAGE_STICKER_2L", &IMAGE_STICKER_2L, 1},
    {"IMAGE_STICKER_2R", &IMAGE_STICKER_2R, 1},
    {"IMAGE_STICKER_2RG", &IMAGE_STICKER_2RG, 1},
    {"IMAGE_STICKER_3L", &IMAGE_STICKER_3L, 1},
    {"IMAGE_STICKER_3R", &IMAGE_STICKER_3R, 1},
    {"IMAGE_STICKER_3RG", &IMAGE_STICKER_3RG, 1},
    {"IMAGE_TRY", &IMAGE_TRY, 6},
    {"IMAGE_TUTOR_BACK", &IMAGE_TUTOR_BACK, 1},
    {"IMAGE_TUTOR_OBJ", &IMAGE_TUTOR_OBJ, 1},
    {"IMAGE_W_NAME", &IMAGE_W_NAME, 1},
    {"IMAGE_W_OPTIONS", &IMAGE_W_OPTIONS, 1},
    {"IMAGE_W_PROFILE", &IMAGE_W_PROFILE, 1},
    {"IMAGE_W_SIMPLE", &IMAGE_W_SIMPLE, 1},
    {"IMAGE_W_WARNING", &IMAGE_W_WARNING, 1},
};

#define VESK_FONT(name)                                                                                                \
    {                                                                                                                  \
#name, &name                                                                                                   \
    }
const std::pair<const char*, Font**> kFonts[] = {
    VESK_FONT(FONT_DEFAULT), VESK_FONT(FONT_MAIN18),     VESK_FONT(FONT_MAIN22),
    VESK_FONT(FONT_MAIN24),  VESK_FONT(FONT_POST_IT_21), VESK_FONT(FONT_POST_IT_24),
    VESK_FONT(FONT_SCRIPT),  VESK_FONT(FONT_SMALL),      VESK_FONT(FONT_SMALL_BOLD),
};
#undef VESK_FONT

#define VESK_SOUND(name)                                                                                               \
    {                                                                                                                  \
#name, &name                                                                                                   \
    }
const std::pair<const char*, int*> kSounds[] = {
    VESK_SOUND(SOUND_BONUS),       VESK_SOUND(SOUND_CAMERA_MOVE), VESK_SOUND(SOUND_CLICK),
    VESK_SOUND(SOUND_HINT),        VESK_SOUND(SOUND_LOUPE_CLICK), VESK_SOUND(SOUND_MG3_DISH),
    VESK_SOUND(SOUND_MG3_MIX),     VESK_SOUND(SOUND_MG3_SMS),     VESK_SOUND(SOUND_MG4_OBJ),
    VESK_SOUND(SOUND_MG5_SCANER),  VESK_SOUND(SOUND_MG8_OBJ),     VESK_SOUND(SOUND_MG9_BUTTON),
    VESK_SOUND(SOUND_MG9_LIGHT),   VESK_SOUND(SOUND_MG_FAIL),     VESK_SOUND(SOUND_MG_FIND),
    VESK_SOUND(SOUND_MG_LIFE),     VESK_SOUND(SOUND_MG_ROUND),    VESK_SOUND(SOUND_NEW),
    VESK_SOUND(SOUND_NO_OBJ),      VESK_SOUND(SOUND_NO_TIME),     VESK_SOUND(SOUND_OBJ_FIND),
    VESK_SOUND(SOUND_OBJ_LIST),    VESK_SOUND(SOUND_PAGES_TURN),  VESK_SOUND(SOUND_PAGE_TURN),
    VESK_SOUND(SOUND_PENALTY),     VESK_SOUND(SOUND_POST_IT),     VESK_SOUND(SOUND_POST_IT_IN),
    VESK_SOUND(SOUND_POST_IT_OUT), VESK_SOUND(SOUND_STAMP),       VESK_SOUND(SOUND_TIP),
    VESK_SOUND(SOUND_WARNING),     VESK_SOUND(SOUND_WINDOW_MOVE),
};
#undef VESK_SOUND

// Enabled once the publication's art is complete.
TEST(RealDataResourcesTest, BothGroupsLoadBindAndMatchTheManifestTable)
{
    const std::filesystem::path archive = std::filesystem::path(ORLO_BUILT_DATA_DIR) / "main.pak";
    ASSERT_TRUE(std::filesystem::exists(archive)) << "build the data target first: " << archive;
    TestSupport::ScopedPakInterface pak;
    ASSERT_TRUE(pak->AddPakFile(archive.string()));
    TestSupport::TestDriver driver;
    auto& app = driver.Create<TestSupport::TestApp>();
    ASSERT_TRUE(driver.Init());
    ResourceManager& manager = *app.resourceManager;

    ASSERT_TRUE(manager.ReadManifest("properties\\resources.xml")) << manager.GetErrorText();
    ResetResourceIdentifiers();
    ASSERT_TRUE(manager.LoadGroup("Common")) << manager.GetErrorText();
    ASSERT_TRUE(BindCommonResources(manager)) << manager.GetErrorText();
    ASSERT_TRUE(manager.LoadGroup("Interface")) << manager.GetErrorText();
    ASSERT_TRUE(BindInterfaceResources(manager)) << manager.GetErrorText();
    SetButtonStripCells(manager);

    // Every identifier of both groups is in the manager and in its variable.
    for (const auto& list : {CommonResourceIdentifiers(), InterfaceResourceIdentifiers()})
    {
        for (const ResourceIdentifier& identifier : list)
        {
            switch (identifier.kind)
            {
            case ResourceKind::Image:
                EXPECT_NO_THROW(manager.RequireImage(identifier.id)) << identifier.id;
                break;
            case ResourceKind::Sound:
                EXPECT_NO_THROW(manager.RequireSound(identifier.id)) << identifier.id;
                break;
            case ResourceKind::Font:
                EXPECT_NO_THROW(manager.RequireFont(identifier.id)) << identifier.id;
                break;
            }
        }
    }
    EXPECT_EQ(std::size(kPictures), 114u);
    for (const ExpectedPicture& expected : kPictures)
    {
        Image* image = *expected.variable;
        ASSERT_NE(image, nullptr) << expected.id;
        EXPECT_EQ(image, manager.RequireImage(expected.id)->GetImage()) << expected.id;
        const ResourceDeclaration* declaration = manager.GetManifest().Find(ResourceKind::Image, expected.id);
        ASSERT_NE(declaration, nullptr) << expected.id;
        const auto* size = TestSupport::BuiltPictureSizes::Find(declaration->path + ".png");
        ASSERT_NE(size, nullptr) << expected.id << ": " << declaration->path
                                 << " is not in the table of built pictures";
        EXPECT_EQ(image->GetWidth(), size->width) << expected.id;
        EXPECT_EQ(image->GetHeight(), size->height) << expected.id;
        EXPECT_EQ(image->rows * image->columns, expected.cells) << expected.id;
        EXPECT_EQ(image->rows, 1) << expected.id;
    }
    for (const auto& [id, variable] : kFonts)
    {
        ASSERT_NE(*variable, nullptr) << id;
        EXPECT_GT((*variable)->GetHeight(), 0) << id;
        EXPECT_GT((*variable)->StringWidth("Vellinor"), 0) << id;
    }
    std::set<int> soundIds;
    for (const auto& [id, variable] : kSounds)
    {
        EXPECT_GE(*variable, 0) << id;
        soundIds.insert(*variable);
    }
    EXPECT_EQ(soundIds.size(), std::size(kSounds));

    manager.UnloadGroup("");
    ResetResourceIdentifiers();
}

} // namespace
} // namespace Vesk
