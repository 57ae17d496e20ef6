#pragma once

#include "framework/resources/ResourceManifest.h"

#include <vector>

namespace Vesk
{

class Font;
class Image;
class ResourceManager;

// The game's fonts, images and sounds, one game-wide variable per identifier of the resource
// manifest, named like the identifier. Right after the resource manager has loaded a group,
// the game binds the group's identifiers (BindCommonResources, BindInterfaceResources); from
// then on the game reads the variables and never looks an identifier up again. The resource
// manager owns what they point to. Before binding, and after ResetResourceIdentifiers, fonts
// and images are null and sounds -1.

// Fonts and images of the group "Common".
extern Font* FONT_DEFAULT;
extern Font* FONT_MAIN18;
extern Font* FONT_MAIN22;
extern Font* FONT_MAIN24;
extern Font* FONT_POST_IT_21;
extern Font* FONT_POST_IT_24;
extern Font* FONT_SCRIPT;
extern Font* FONT_SMALL;
extern Font* FONT_SMALL_BOLD;

extern Image* IMAGE_404;
extern Image* IMAGE_BGTILE;
extern Image* IMAGE_CUR_ERASER;
extern Image* IMAGE_CUR_FINGER;
extern Image* IMAGE_CUR_HOURGLASS;
extern Image* IMAGE_CUR_POINTER;
extern Image* IMAGE_CUR_THUMBTACK;
extern Image* IMAGE_FRONTPAGE;
extern Image* IMAGE_MASK;
extern Image* IMAGE_PAGES;
extern Image* IMAGE_STROKE;

// Images and sounds of the group "Interface".
extern Image* IMAGE_BCH_ADD;
extern Image* IMAGE_BCN_ADD;
extern Image* IMAGE_BLH_SIMPLE;
extern Image* IMAGE_BLN_SIMPLE;
extern Image* IMAGE_BRG_DELETE;
extern Image* IMAGE_BRH_DELETE;
extern Image* IMAGE_BRH_SIMPLE;
extern Image* IMAGE_BRN_DELETE;
extern Image* IMAGE_BRN_SIMPLE;
extern Image* IMAGE_BUT_CHANGE;
extern Image* IMAGE_BUT_CHANGE_SH;
extern Image* IMAGE_BUT_CREDITS;
extern Image* IMAGE_BUT_CREDITS_SH;
extern Image* IMAGE_BUT_EXIT;
extern Image* IMAGE_BUT_EXIT_SH;
extern Image* IMAGE_BUT_MGAMES;
extern Image* IMAGE_BUT_MGAMES_C;
extern Image* IMAGE_BUT_MGAMES_SH;
extern Image* IMAGE_BUT_OPTIONS;
extern Image* IMAGE_BUT_OPTIONS_SH;
extern Image* IMAGE_BUT_PLAY;
extern Image* IMAGE_BUT_PLAY_SH;
extern Image* IMAGE_CANDY;
extern Image* IMAGE_CHECK;
extern Image* IMAGE_CHECKBOX;
extern Image* IMAGE_DECOR_O;
extern Image* IMAGE_DECOR_P;
extern Image* IMAGE_DECOR_Q;
extern Image* IMAGE_EFFECT;
extern Image* IMAGE_FINGER;
extern Image* IMAGE_GLASS;
extern Image* IMAGE_GLASS8;
extern Image* IMAGE_GLASS8_HANDLE;
extern Image* IMAGE_GLASS_BTN;
extern Image* IMAGE_ICON_GL;
extern Image* IMAGE_ICON_GR;
extern Image* IMAGE_ICON_GR_X;
extern Image* IMAGE_ICON_ML;
extern Image* IMAGE_ICON_MR;
extern Image* IMAGE_ICON_MR_X;
extern Image* IMAGE_MG3_PB;
extern Image* IMAGE_MG3_PBN;
extern Image* IMAGE_MG4_NO;
extern Image* IMAGE_MG4_RB;
extern Image* IMAGE_MG4_RBN;
extern Image* IMAGE_MG4_SB;
extern Image* IMAGE_MG4_SBN;
extern Image* IMAGE_MG4_YES;
extern Image* IMAGE_MG5_SCANNER_LIGHT;
extern Image* IMAGE_MG6_OUTLINE;
extern Image* IMAGE_MG9_LIGHT;
extern Image* IMAGE_MGLAST_LARR;
extern Image* IMAGE_MGLAST_LARRD;
extern Image* IMAGE_MGLAST_NOTE;
extern Image* IMAGE_MGLAST_PAGES;
extern Image* IMAGE_MGLAST_RARR;
extern Image* IMAGE_MGLAST_RARRD;
extern Image* IMAGE_MMS;
extern Image* IMAGE_MMS_S;
extern Image* IMAGE_PENCIL;
extern Image* IMAGE_POST_1;
extern Image* IMAGE_POST_2;
extern Image* IMAGE_POST_3;
extern Image* IMAGE_POST_4;
extern Image* IMAGE_POST_5;
extern Image* IMAGE_POST_6;
extern Image* IMAGE_POST_7;
extern Image* IMAGE_POST_8;
extern Image* IMAGE_POST_BACK;
extern Image* IMAGE_POST_BACK_B;
extern Image* IMAGE_POST_BACK_BG;
extern Image* IMAGE_POST_BACK_BH;
extern Image* IMAGE_POST_BACK_BP;
extern Image* IMAGE_POST_CONT;
extern Image* IMAGE_POST_HINT_B;
extern Image* IMAGE_POST_HINT_BC;
extern Image* IMAGE_POST_HINT_BG;
extern Image* IMAGE_POST_HINT_BH;
extern Image* IMAGE_POST_HINT_BP;
extern Image* IMAGE_SHAD_L;
extern Image* IMAGE_SHAD_R;
extern Image* IMAGE_SLIDER_THUMB;
extern Image* IMAGE_SMS;
extern Image* IMAGE_SMS_S;
extern Image* IMAGE_STAMP;
extern Image* IMAGE_STAMP_REPLAY;
extern Image* IMAGE_STICKER_1L;
extern Image* IMAGE_STICKER_1R;
extern Image* IMAGE_STICKER_1RG;
extern Image* IMAGE_STICKER_2L;
extern Image* IMAGE_STICKER_2R;
extern Image* IMAGE_STICKER_2RG;
extern Image* IMAGE_STICKER_3L;
extern Image* IMAGE_STICKER_3R;
extern Image* IMAGE_STICKER_3RG;
extern Image* IMAGE_TRY;
extern Image* IMAGE_TUTOR_BACK;
extern Image* IMAGE_TUTOR_OBJ;
extern Image* IMAGE_W_NAME;
extern Image* IMAGE_W_OPTIONS;
extern Image* IMAGE_W_PROFILE;
extern Image* IMAGE_W_SIMPLE;
extern Image* IMAGE_W_WARNING;

extern int SOUND_BONUS;
extern int SOUND_CAMERA_MOVE;
extern int SOUND_CLICK;
extern int SOUND_HINT;
extern int SOUND_LOUPE_CLICK;
extern int SOUND_MG3_DISH;
extern int SOUND_MG3_MIX;
extern int SOUND_MG3_SMS;
extern int SOUND_MG4_OBJ;
extern int SOUND_MG5_SCANER;
extern int SOUND_MG8_OBJ;
extern int SOUND_MG9_BUTTON;
extern int SOUND_MG9_LIGHT;
extern int SOUND_MG_FAIL;
extern int SOUND_MG_FIND;
extern int SOUND_MG_LIFE;
extern int SOUND_MG_ROUND;
extern int SOUND_NEW;
extern int SOUND_NO_OBJ;
extern int SOUND_NO_TIME;
extern int SOUND_OBJ_FIND;
extern int SOUND_OBJ_LIST;
extern int SOUND_PAGES_TURN;
extern int SOUND_PAGE_TURN;
extern int SOUND_PENALTY;
extern int SOUND_POST_IT;
extern int SOUND_POST_IT_IN;
extern int SOUND_POST_IT_OUT;
extern int SOUND_STAMP;
extern int SOUND_TIP;
extern int SOUND_WARNING;
extern int SOUND_WINDOW_MOVE;

// One identifier the game binds, with its kind.
struct ResourceIdentifier
{
    ResourceKind kind;
    const char* id;
};

// The identifiers of each group in binding order: the manifest must declare each of them in
// that group.
std::vector<ResourceIdentifier> CommonResourceIdentifiers();
std::vector<ResourceIdentifier> InterfaceResourceIdentifiers();

// Binds the identifiers of the group, in order. The first one the manager cannot supply stops
// the binding (later variables stay as they were) and gives false; the manager's error text
// then names it ("Image resource not found: IMAGE_STROKE").
bool BindCommonResources(ResourceManager& resourceManager);
bool BindInterfaceResources(ResourceManager& resourceManager);

// The eight two-state button strips hold three cells side by side (normal, highlighted,
// pressed); called right after a successful "Interface" binding.
void SetButtonStripCells(ResourceManager& resourceManager);

// Every variable back to empty (null, sounds -1), as before binding.
void ResetResourceIdentifiers();

} // namespace Vesk
