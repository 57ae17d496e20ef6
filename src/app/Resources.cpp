#include "app/Resources.h"

#include "framework/graphics/Image.h"
#include "framework/resources/LoadedFont.h"
#include "framework/resources/LoadedImage.h"
#include "framework/resources/ResourceManager.h"
#include "framework/resources/ResourceManagerException.h"

namespace Vesk
{

Font* FONT_DEFAULT = nullptr;
Font* FONT_MAIN18 = nullptr;
Font* FONT_MAIN22 = nullptr;
Font* FONT_MAIN24 = nullptr;
Font* FONT_POST_IT_21 = nullptr;
Font* FONT_POST_IT_24 = nullptr;
Font* FONT_SCRIPT = nullptr;
Font* FONT_SMALL = nullptr;
Font* FONT_SMALL_BOLD = nullptr;

Image* IMAGE_404 = nullptr;
Image* IMAGE_BGTILE = nullptr;
Image* IMAGE_CUR_ERASER = nullptr;
Image* IMAGE_CUR_FINGER = nullptr;
Image* IMAGE_CUR_HOURGLASS = nullptr;
Image* IMAGE_CUR_POINTER = nullptr;
Image* IMAGE_CUR_THUMBTACK = nullptr;
Image* IMAGE_FRONTPAGE = nullptr;
Image* IMAGE_MASK = nullptr;
Image* IMAGE_PAGES = nullptr;
Image* IMAGE_STROKE = nullptr;
Image* IMAGE_BCH_ADD = nullptr;
Image* IMAGE_BCN_ADD = nullptr;
Image* IMAGE_BLH_SIMPLE = nullptr;
Image* IMAGE_BLN_SIMPLE = nullptr;
Image* IMAGE_BRG_DELETE = nullptr;
Image* IMAGE_BRH_DELETE = nullptr;
Image* IMAGE_BRH_SIMPLE = nullptr;
Image* IMAGE_BRN_DELETE = nullptr;
Image* IMAGE_BRN_SIMPLE = nullptr;
Image* IMAGE_BUT_CHANGE = nullptr;
Image* IMAGE_BUT_CHANGE_SH = nullptr;
Image* IMAGE_BUT_CREDITS = nullptr;
Image* IMAGE_BUT_CREDITS_SH = nullptr;
Image* IMAGE_BUT_EXIT = nullptr;
Image* IMAGE_BUT_EXIT_SH = nullptr;
Image* IMAGE_BUT_MGAMES = nullptr;
Image* IMAGE_BUT_MGAMES_C = nullptr;
Image* IMAGE_BUT_MGAMES_SH = nullptr;
Image* IMAGE_BUT_OPTIONS = nullptr;
Image* IMAGE_BUT_OPTIONS_SH = nullptr;
Image* IMAGE_BUT_PLAY = nullptr;
Image* IMAGE_BUT_PLAY_SH = nullptr;
Image* IMAGE_CANDY = nullptr;
Image* IMAGE_CHECK = nullptr;
Image* IMAGE_CHECKBOX = nullptr;
Image* IMAGE_DECOR_O = nullptr;
Image* IMAGE_DECOR_P = nullptr;
Image* IMAGE_DECOR_Q = nullptr;
Image* IMAGE_EFFECT = nullptr;
Image* IMAGE_FINGER = nullptr;
Image* IMAGE_GLASS = nullptr;
Image* IMAGE_GLASS8 = nullptr;
Image* IMAGE_GLASS8_HANDLE = nullptr;
Image* IMAGE_GLASS_BTN = nullptr;
Image* IMAGE_ICON_GL = nullptr;
Image* IMAGE_ICON_GR = nullptr;
Image* IMAGE_ICON_GR_X = nullptr;
Image* IMAGE_ICON_ML = nullptr;
Image* IMAGE_ICON_MR = nullptr;
Image* IMAGE_ICON_MR_X = nullptr;
Image* IMAGE_MG3_PB = nullptr;
Image* IMAGE_MG3_PBN = nullptr;
Image* IMAGE_MG4_NO = nullptr;
Image* IMAGE_MG4_RB = nullptr;
Image* IMAGE_MG4_RBN = nullptr;
Image* IMAGE_MG4_SB = nullptr;
Image* IMAGE_MG4_SBN = nullptr;
Image* IMAGE_MG4_YES = nullptr;
Image* IMAGE_MG5_SCANNER_LIGHT = nullptr;
Image* IMAGE_MG6_OUTLINE = nullptr;
Image* IMAGE_MG9_LIGHT = nullptr;
Image* IMAGE_MGLAST_LARR = nullptr;
Image* IMAGE_MGLAST_LARRD = nullptr;
Image* IMAGE_MGLAST_NOTE = nullptr;
Image* IMAGE_MGLAST_PAGES = nullptr;
Image* IMAGE_MGLAST_RARR = nullptr;
Image* IMAGE_MGLAST_RARRD = nullptr;
Image* IMAGE_MMS = nullptr;
Image* IMAGE_MMS_S = nullptr;
Image* IMAGE_PENCIL = nullptr;
Image* IMAGE_POST_1 = nullptr;
Image* IMAGE_POST_2 = nullptr;
Image* IMAGE_POST_3 = nullptr;
Image* IMAGE_POST_4 = nullptr;
Image* IMAGE_POST_5 = nullptr;
Image* IMAGE_POST_6 = nullptr;
Image* IMAGE_POST_7 = nullptr;
Image* IMAGE_POST_8 = nullptr;
Image* IMAGE_POST_BACK = nullptr;
Image* IMAGE_POST_BACK_B = nullptr;
Image* IMAGE_POST_BACK_BG = nullptr;
Image* IMAGE_POST_BACK_BH = nullptr;
Image* IMAGE_POST_BACK_BP = nullptr;
Image* IMAGE_POST_CONT = nullptr;
Image* IMAGE_POST_HINT_B = nullptr;
Image* IMAGE_POST_HINT_BC = nullptr;
Image* IMAGE_POST_HINT_BG = nullptr;
Image* IMAGE_POST_HINT_BH = nullptr;
Image* IMAGE_POST_HINT_BP = nullptr;
Image* IMAGE_SHAD_L = nullptr;
Image* IMAGE_SHAD_R = nullptr;
Image* IMAGE_SLIDER_THUMB = nullptr;
Image* IMAGE_SMS = nullptr;
Image* IMAGE_SMS_S = nullptr;
Image* IMAGE_STAMP = nullptr;
Image* IMAGE_STAMP_REPLAY = nullptr;
Image* IMAGE_STICKER_1L = nullptr;
Image* IMAGE_STICKER_1R = nullptr;
Image* IMAGE_STICKER_1RG = nullptr;
Image* IMAGE_STICKER_2L = nullptr;
Image* IMAGE_STICKER_2R = nullptr;
Image* IMAGE_STICKER_2RG = nullptr;
Image* IMAGE_STICKER_3L = nullptr;
Image* IMAGE_STICKER_3R = nullptr;
Image* IMAGE_STICKER_3RG = nullptr;
Image* IMAGE_TRY = nullptr;
Image* IMAGE_TUTOR_BACK = nullptr;
Image* IMAGE_TUTOR_OBJ = nullptr;
Image* IMAGE_W_NAME = nullptr;
Image* IMAGE_W_OPTIONS = nullptr;
Image* IMAGE_W_PROFILE = nullptr;
Image* IMAGE_W_SIMPLE = nullptr;
Image* IMAGE_W_WARNING = nullptr;

int SOUND_BONUS = -1;
int SOUND_CAMERA_MOVE = -1;
int SOUND_CLICK = -1;
int SOUND_HINT = -1;
int SOUND_LOUPE_CLICK = -1;
int SOUND_MG3_DISH = -1;
int SOUND_MG3_MIX = -1;
int SOUND_MG3_SMS = -1;
int SOUND_MG4_OBJ = -1;
int SOUND_MG5_SCANER = -1;
int SOUND_MG8_OBJ = -1;
int SOUND_MG9_BUTTON = -1;
int SOUND_MG9_LIGHT = -1;
int SOUND_MG_FAIL = -1;
int SOUND_MG_FIND = -1;
int SOUND_MG_LIFE = -1;
int SOUND_MG_ROUND = -1;
int SOUND_NEW = -1;
int SOUND_NO_OBJ = -1;
int SOUND_NO_TIME = -1;
int SOUND_OBJ_FIND = -1;
int SOUND_OBJ_LIST = -1;
int SOUND_PAGES_TURN = -1;
int SOUND_PAGE_TURN = -1;
int SOUND_PENALTY = -1;
int SOUND_POST_IT = -1;
int SOUND_POST_IT_IN = -1;
int SOUND_POST_IT_OUT = -1;
int SOUND_STAMP = -1;
int SOUND_TIP = -1;
int SOUND_WARNING = -1;
int SOUND_WINDOW_MOVE = -1;

namespace
{

struct FontBinding
{
    const char* id;
    Font** variable;
};

struct ImageBinding
{
    const char* id;
    Image** variable;
};

struct SoundBinding
{
    const char* id;
    int* variable;
};

#define VESK_BIND(name)                                                                                                \
    {                                                                                                                  \
#name, &name                                                                                                   \
    }

const FontBinding kCommonFonts[] = {
    VESK_BIND(FONT_DEFAULT), VESK_BIND(FONT_MAIN18),     VESK_BIND(FONT_MAIN22),
    VESK_BIND(FONT_MAIN24),  VESK_BIND(FONT_POST_IT_21), VESK_BIND(FONT_POST_IT_24),
    VESK_BIND(FONT_SCRIPT),  VESK_BIND(FONT_SMALL),      VESK_BIND(FONT_SMALL_BOLD),
};

const ImageBinding kCommonImages[] = {
    VESK_BIND(IMAGE_404),           VESK_BIND(IMAGE_BGTILE),        VESK_BIND(IMAGE_CUR_ERASER),
    VESK_BIND(IMAGE_CUR_FINGER),    VESK_BIND(IMAGE_CUR_HOURGLASS), VESK_BIND(IMAGE_CUR_POINTER),
    VESK_BIND(IMAGE_CUR_THUMBTACK), VESK_BIND(IMAGE_FRONTPAGE),     VESK_BIND(IMAGE_MASK),
    VESK_BIND(IMAGE_PAGES),         VESK_BIND(IMAGE_STROKE),
};

const ImageBinding kInterfaceImages[] = {
    VESK_BIND(IMAGE_BCH_ADD),
    VESK_BIND(IMAGE_BCN_ADD),
    VESK_BIND(IMAGE_BLH_SIMPLE),
    VESK_BIND(IMAGE_BLN_SIMPLE),
    VESK_BIND(IMAGE_BRG_DELETE),
    VESK_BIND(IMAGE_BRH_DELETE),
    VESK_BIND(IMAGE_BRH_SIMPLE),
    VESK_BIND(IMAGE_BRN_DELETE),
    VESK_BIND(IMAGE_BRN_SIMPLE),
    VESK_BIND(IMAGE_BUT_CHANGE),
    VESK_BIND(IMAGE_BUT_CHANGE_SH),
    VESK_BIND(IMAGE_BUT_CREDITS),
    VESK_BIND(IMAGE_BUT_CREDITS_SH),
    VESK_BIND(IMAGE_BUT_EXIT),
    VESK_BIND(IMAGE_BUT_EXIT_SH),
    VESK_BIND(IMAGE_BUT_MGAMES),
    VESK_BIND(IMAGE_BUT_MGAMES_C),
    VESK_BIND(IMAGE_BUT_MGAMES_SH),
    VESK_BIND(IMAGE_BUT_OPTIONS),
    VESK_BIND(IMAGE_BUT_OPTIONS_SH),
    VESK_BIND(IMAGE_BUT_PLAY),
    VESK_BIND(IMAGE_BUT_PLAY_SH),
    VESK_BIND(IMAGE_CANDY),
    VESK_BIND(IMAGE_CHECK),
    VESK_BIND(IMAGE_CHECKBOX),
    VESK_BIND(IMAGE_DECOR_O),
    VESK_BIND(IMAGE_DECOR_P),
    VESK_BIND(IMAGE_DECOR_Q),
    VESK_BIND(IMAGE_EFFECT),
    VESK_BIND(IMAGE_FINGER),
    VESK_BIND(IMAGE_GLASS),
    VESK_BIND(IMAGE_GLASS8),
    VESK_BIND(IMAGE_GLASS8_HANDLE),
    VESK_BIND(IMAGE_GLASS_BTN),
    VESK_BIND(IMAGE_ICON_GL),
    VESK_BIND(IMAGE_ICON_GR),
    VESK_BIND(IMAGE_ICON_GR_X),
    VESK_BIND(IMAGE_ICON_ML),
    VESK_BIND(IMAGE_ICON_MR),
    VESK_BIND(IMAGE_ICON_MR_X),
    VESK_BIND(IMAGE_MG3_PB),
    VESK_BIND(IMAGE_MG3_PBN),
    VESK_BIND(IMAGE_MG4_NO),
    VESK_BIND(IMAGE_MG4_RB),
    VESK_BIND(IMAGE_MG4_RBN),
    VESK_BIND(IMAGE_MG4_SB),
    VESK_BIND(IMAGE_MG4_SBN),
    VESK_BIND(IMAGE_MG4_YES),
    VESK_BIND(IMAGE_MG5_SCANNER_LIGHT),
    VESK_BIND(IMAGE_MG6_OUTLINE),
    VESK_BIND(IMAGE_MG9_LIGHT),
    VESK_BIND(IMAGE_MGLAST_LARR),
    VESK_BIND(IMAGE_MGLAST_LARRD),
    VESK_BIND(IMAGE_MGLAST_NOTE),
    VESK_BIND(IMAGE_MGLAST_PAGES),
    VESK_BIND(IMAGE_MGLAST_RARR),
    VESK_BIND(IMAGE_MGLAST_RARRD),
    VESK_BIND(IMAGE_MMS),
    VESK_BIND(IMAGE_MMS_S),
    VESK_BIND(IMAGE_PENCIL),
    VESK_BIND(IMAGE_POST_1),
    VESK_BIND(IMAGE_POST_2),
    VESK_BIND(IMAGE_POST_3),
    VESK_BIND(IMAGE_POST_4),
    VESK_BIND(IMAGE_POST_5),
    VESK_BIND(IMAGE_POST_6),
    VESK_BIND(IMAGE_POST_7),
    VESK_BIND(IMAGE_POST_8),
    VESK_BIND(IMAGE_POST_BACK),
    VESK_BIND(IMAGE_POST_BACK_B),
    VESK_BIND(IMAGE_POST_BACK_BG),
    VESK_BIND(IMAGE_POST_BACK_BH),
    VESK_BIND(IMAGE_POST_BACK_BP),
    VESK_BIND(IMAGE_POST_CONT),
    VESK_BIND(IMAGE_POST_HINT_B),
    VESK_BIND(IMAGE_POST_HINT_BC),
    VESK_BIND(IMAGE_POST_HINT_BG),
    VESK_BIND(IMAGE_POST_HINT_BH),
    VESK_BIND(IMAGE_POST_HINT_BP),
    VESK_BIND(IMAGE_SHAD_L),
    VESK_BIND(IMAGE_SHAD_R),
    VESK_BIND(IMAGE_SLIDER_THUMB),
    VESK_BIND(IMAGE_SMS),
    VESK_BIND(IMAGE_SMS_S),
    VESK_BIND(IMAGE_STAMP),
    VESK_BIND(IMAGE_STAMP_REPLAY),
    VESK_BIND(IMAGE_STICKER_1L),
    VESK_BIND(IMAGE_STICKER_1R),
    VESK_BIND(IMAGE_STICKER_1RG),
    VESK_BIND(IMAGE_STICKER_2L),
    VESK_BIND(IMAGE_STICKER_2R),
    VESK_BIND(IMAGE_STICKER_2RG),
    VESK_BIND(IMAGE_STICKER_3L),
    VESK_BIND(IMAGE_STICKER_3R),
    VESK_BIND(IMAGE_STICKER_3RG),
    VESK_BIND(IMAGE_TRY),
    VESK_BIND(IMAGE_TUTOR_BACK),
    VESK_BIND(IMAGE_TUTOR_OBJ),
    VESK_BIND(IMAGE_W_NAME),
    VESK_BIND(IMAGE_W_OPTIONS),
    VESK_BIND(IMAGE_W_PROFILE),
    VESK_BIND(IMAGE_W_SIMPLE),
    VESK_BIND(IMAGE_W_WARNING),
};

const SoundBinding kInterfaceSounds[] = {
    VESK_BIND(SOUND_BONUS),       VESK_BIND(SOUND_CAMERA_MOVE), VESK_BIND(SOUND_CLICK),
    VESK_BIND(SOUND_HINT),        VESK_BIND(SOUND_LOUPE_CLICK), VESK_BIND(SOUND_MG3_DISH),
    VESK_BIND(SOUND_MG3_MIX),     VESK_BIND(SOUND_MG3_SMS),     VESK_BIND(SOUND_MG4_OBJ),
    VESK_BIND(SOUND_MG5_SCANER),  VESK_BIND(SOUND_MG8_OBJ),     VESK_BIND(SOUND_MG9_BUTTON),
    VESK_BIND(SOUND_MG9_LIGHT),   VESK_BIND(SOUND_MG_FAIL),     VESK_BIND(SOUND_MG_FIND),
    VESK_BIND(SOUND_MG_LIFE),     VESK_BIND(SOUND_MG_ROUND),    VESK_BIND(SOUND_NEW),
    VESK_BIND(SOUND_NO_OBJ),      VESK_BIND(SOUND_NO_TIME),     VESK_BIND(SOUND_OBJ_FIND),
    VESK_BIND(SOUND_OBJ_LIST),    VESK_BIND(SOUND_PAGES_TURN),  VESK_BIND(SOUND_PAGE_TURN),
    VESK_BIND(SOUND_PENALTY),     VESK_BIND(SOUND_POST_IT),     VESK_BIND(SOUND_POST_IT_IN),
    VESK_BIND(SOUND_POST_IT_OUT), VESK_BIND(SOUND_STAMP),       VESK_BIND(SOUND_TIP),
    VESK_BIND(SOUND_WARNING),     VESK_BIND(SOUND_WINDOW_MOVE),
};

#undef VESK_BIND

const char* const kButtonStrips[] = {
    "IMAGE_BLH_SIMPLE", "IMAGE_BLN_SIMPLE", "IMAGE_BRH_SIMPLE", "IMAGE_BRN_SIMPLE",
    "IMAGE_BCN_ADD",    "IMAGE_BCH_ADD",    "IMAGE_BRN_DELETE", "IMAGE_BRH_DELETE",
};

template <typename Binding>
void AppendIdentifiers(std::vector<ResourceIdentifier>& list, ResourceKind kind, const Binding& bindings)
{
    for (const auto& binding : bindings)
        list.push_back({kind, binding.id});
}

void Bind(ResourceManager& manager, const FontBinding& binding)
{
    *binding.variable = manager.RequireFont(binding.id)->GetFont();
}

void Bind(ResourceManager& manager, const ImageBinding& binding)
{
    *binding.variable = manager.RequireImage(binding.id)->GetImage();
}

void Bind(ResourceManager& manager, const SoundBinding& binding)
{
    *binding.variable = manager.RequireSound(binding.id);
}

template <typename Bindings> void BindAll(ResourceManager& manager, const Bindings& bindings)
{
    for (const auto& binding : bindings)
        Bind(manager, binding);
}

template <typename Bindings, typename Value> void ResetAll(const Bindings& bindings, Value empty)
{
    for (const auto& binding : bindings)
        *binding.variable = empty;
}

} // namespace

std::vector<ResourceIdentifier> CommonResourceIdentifiers()
{
    std::vector<ResourceIdentifier> list;
    AppendIdentifiers(list, ResourceKind::Font, kCommonFonts);
    AppendIdentifiers(list, ResourceKind::Image, kCommonImages);
    return list;
}

std::vector<ResourceIdentifier> InterfaceResourceIdentifiers()
{
    std::vector<ResourceIdentifier> list;
    AppendIdentifiers(list, ResourceKind::Image, kInterfaceImages);
    AppendIdentifiers(list, ResourceKind::Sound, kInterfaceSounds);
    return list;
}

bool BindCommonResources(ResourceManager& resourceManager)
{
    try
    {
        BindAll(resourceManager, kCommonFonts);
        BindAll(resourceManager, kCommonImages);
    }
    catch (const ResourceManagerException&)
    {
        return false;
    }
    return true;
}

bool BindInterfaceResources(ResourceManager& resourceManager)
{
    try
    {
        BindAll(resourceManager, kInterfaceImages);
        BindAll(resourceManager, kInterfaceSounds);
    }
    catch (const ResourceManagerException&)
    {
        return false;
    }
    return true;
}

void SetButtonStripCells(ResourceManager& resourceManager)
{
    // The dialog button strips hold three states side by side.
    for (const char* id : kButtonStrips)
    {
        try
        {
            if (Image* image = resourceManager.RequireImage(id)->GetImage())
                image->columns = 3;
        }
        catch (const ResourceManagerException&)
        {
            // Not bound: the binding has already failed and the game is stopping.
        }
    }
}

void ResetResourceIdentifiers()
{
    ResetAll(kCommonFonts, nullptr);
    ResetAll(kCommonImages, nullptr);
    ResetAll(kInterfaceImages, nullptr);
    ResetAll(kInterfaceSounds, -1);
}

} // namespace Vesk
