#include "support/BuiltPictureSizes.h"

namespace Vesk::TestSupport
{

const std::vector<BuiltPictureSizes::Entry>& BuiltPictureSizes::All()
{
    static const std::vector<Entry> entries = {
        // data/art/desk: the desk and its common pictures, the faces of the pages that are not played,
        // the logos and the bonus pictures.
        {"desk", "images/common/page_tab.png", 90, 60},
        {"desk", "images/common/bgtile.png", 600, 400},
        {"desk", "images/common/cur_eraser.png", 48, 48},
        {"desk", "images/common/cur_finger.png", 32, 32},
        {"desk", "images/common/cur_hourglass.png", 32, 32},
        {"desk", "images/common/cur_pointer.png", 32, 32},
        {"desk", "images/common/cur_thumbtack.png", 32, 32},
        {"desk", "images/common/frontpage.png", 767, 588},
        {"desk", "images/common/mask.png", 767, 588},
        {"desk", "images/common/pages.png", 767, 588},
        {"desk", "images/common/stroke.png", 120, 10},
        {"desk", "images/pages/page01.png", 767, 588},
        {"desk", "images/pages/page02.png", 767, 588},
        {"desk", "images/pages/page19.png", 767, 588},
        {"desk", "images/pages/page20.png", 767, 588},
        {"desk", "fsdata/logo_na.png", 400, 200},
        {"desk", "fsdata/logo_a.png", 400, 200},
        {"desk", "images/bonus/bonus1.png", 96, 120},
        {"desk", "images/bonus/bonus2.png", 96, 120},
        {"desk", "images/bonus/bonus3.png", 96, 120},
        {"desk", "images/bonus/bonus4.png", 96, 120},
        {"desk", "images/bonus/bonus5.png", 96, 120},
        {"desk", "images/bonus/bonus6.png", 96, 120},
        // data/art/game: the play interface.
        {"game", "images/interface/post_1.png", 170, 122},
        {"game", "images/interface/post_2.png", 170, 122},
        {"game", "images/interface/post_3.png", 170, 122},
        {"game", "images/interface/post_4.png", 170, 122},
        {"game", "images/interface/post_5.png", 170, 122},
        {"game", "images/interface/post_6.png", 170, 122},
        {"game", "images/interface/post_7.png", 170, 122},
        {"game", "images/interface/post_8.png", 170, 122},
        {"game", "images/interface/post_back.png", 200, 122},
        {"game", "images/interface/post_back_b.png", 80, 40},
        {"game", "images/interface/post_back_bg.png", 100, 60},
        {"game", "images/interface/post_back_bh.png", 80, 40},
        {"game", "images/interface/post_back_bp.png", 80, 40},
        {"game", "images/interface/post_hint_b.png", 80, 40},
        {"game", "images/interface/post_hint_bc.png", 80, 40},
        {"game", "images/interface/post_hint_bg.png", 100, 60},
        {"game", "images/interface/post_hint_bh.png", 80, 40},
        {"game", "images/interface/post_hint_bp.png", 80, 40},
        {"game", "images/interface/sticker_1l.png", 90, 150},
        {"game", "images/interface/sticker_1r.png", 90, 150},
        {"game", "images/interface/sticker_1rg.png", 110, 170},
        {"game", "images/interface/sticker_2l.png", 90, 150},
        {"game", "images/interface/sticker_2r.png", 90, 150},
        {"game", "images/interface/sticker_2rg.png", 110, 170},
        {"game", "images/interface/sticker_3l.png", 90, 150},
        {"game", "images/interface/sticker_3r.png", 90, 150},
        {"game", "images/interface/sticker_3rg.png", 110, 170},
        {"game", "images/interface/icon_gl.png", 40, 40},
        {"game", "images/interface/icon_gr.png", 40, 40},
        {"game", "images/interface/icon_gr_x.png", 40, 40},
        {"game", "images/interface/icon_ml.png", 40, 40},
        {"game", "images/interface/icon_mr.png", 40, 40},
        {"game", "images/interface/icon_mr_x.png", 40, 40},
        {"game", "images/interface/effect.png", 768, 96},
        {"game", "images/interface/finger.png", 48, 48},
        {"game", "images/interface/glass.png", 120, 120},
        {"game", "images/interface/glass8.png", 120, 120},
        {"game", "images/interface/glass8_handle.png", 70, 70},
        {"game", "images/interface/glass_btn.png", 24, 24},
        {"game", "images/interface/mg3_pb.png", 70, 40},
        {"game", "images/interface/mg3_pbn.png", 70, 40},
        {"game", "images/interface/mg4_no.png", 48, 48},
        {"game", "images/interface/mg4_rb.png", 70, 40},
        {"game", "images/interface/mg4_rbn.png", 70, 40},
        {"game", "images/interface/mg4_sb.png", 70, 40},
        {"game", "images/interface/mg4_sbn.png", 70, 40},
        {"game", "images/interface/mg4_yes.png", 48, 48},
        {"game", "images/interface/mg5_scanner_light.png", 120, 24},
        {"game", "images/interface/mg6_outline.png", 384, 64},
        {"game", "images/interface/mg9_light.png", 24, 20},
        {"game", "images/interface/mglast_larr.png", 32, 32},
        {"game", "images/interface/mglast_larrd.png", 32, 32},
        {"game", "images/interface/mglast_note.png", 200, 420},
        {"game", "images/interface/mglast_pages.png", 240, 16},
        {"game", "images/interface/mglast_rarr.png", 32, 32},
        {"game", "images/interface/mglast_rarrd.png", 32, 32},
        {"game", "images/interface/mms.png", 160, 60},
        {"game", "images/interface/mms_s.png", 160, 60},
        {"game", "images/interface/pencil.png", 60, 60},
        {"game", "images/interface/sms.png", 160, 60},
        {"game", "images/interface/sms_s.png", 160, 60},
        {"game", "images/interface/try.png", 240, 40},
        // data/art/ui: buttons, the cover menu, dialog windows, frames and stamps.
        {"ui", "images/interface/bch_add.png", 48, 25},
        {"ui", "images/interface/bcn_add.png", 48, 25},
        {"ui", "images/interface/blh_simple.png", 48, 34},
        {"ui", "images/interface/bln_simple.png", 48, 34},
        {"ui", "images/interface/brg_delete.png", 24, 22},
        {"ui", "images/interface/brh_delete.png", 24, 22},
        {"ui", "images/interface/brh_simple.png", 48, 34},
        {"ui", "images/interface/brn_delete.png", 24, 22},
        {"ui", "images/interface/brn_simple.png", 48, 34},
        {"ui", "images/interface/but_change.png", 220, 44},
        {"ui", "images/interface/but_change_sh.png", 220, 44},
        {"ui", "images/interface/but_credits.png", 220, 44},
        {"ui", "images/interface/but_credits_sh.png", 220, 44},
        {"ui", "images/interface/but_exit.png", 220, 44},
        {"ui", "images/interface/but_exit_sh.png", 220, 44},
        {"ui", "images/interface/but_mgames.png", 220, 44},
        {"ui", "images/interface/but_mgames_c.png", 220, 44},
        {"ui", "images/interface/but_mgames_sh.png", 220, 44},
        {"ui", "images/interface/but_options.png", 220, 44},
        {"ui", "images/interface/but_options_sh.png", 220, 44},
        {"ui", "images/interface/but_play.png", 220, 44},
        {"ui", "images/interface/but_play_sh.png", 220, 44},
        {"ui", "images/interface/checkbox.png", 56, 28},
        {"ui", "images/interface/decor_o.png", 120, 60},
        {"ui", "images/interface/decor_p.png", 120, 60},
        {"ui", "images/interface/decor_q.png", 160, 50},
        {"ui", "images/interface/slider_thumb.png", 24, 24},
        {"ui", "images/interface/w_name.png", 420, 240},
        {"ui", "images/interface/w_options.png", 440, 380},
        {"ui", "images/interface/w_profile.png", 460, 360},
        {"ui", "images/interface/w_simple.png", 420, 220},
        {"ui", "images/interface/w_warning.png", 420, 220},
        {"ui", "images/interface/candy.png", 800, 600},
        {"ui", "images/interface/check.png", 28, 28},
        {"ui", "images/interface/shad_l.png", 40, 590},
        {"ui", "images/interface/shad_r.png", 40, 590},
        {"ui", "images/interface/post_cont.png", 120, 160},
        {"ui", "images/interface/postit_contents.png", 120, 160},
        {"ui", "images/interface/stamp.png", 180, 120},
        {"ui", "images/interface/stamp_replay.png", 160, 100},
        {"ui", "images/interface/tutor_back.png", 520, 320},
        {"ui", "images/interface/tutor_obj.png", 232, 168},
    };
    return entries;
}

std::vector<BuiltPictureSizes::Entry> BuiltPictureSizes::Group(const std::string& group)
{
    std::vector<Entry> entries;
    for (const Entry& entry : All())
    {
        if (entry.group == group)
            entries.push_back(entry);
    }
    return entries;
}

const BuiltPictureSizes::Entry* BuiltPictureSizes::Find(const std::string& path)
{
    for (const Entry& entry : All())
    {
        if (entry.path == path)
            return &entry;
    }
    return nullptr;
}

} // namespace Vesk::TestSupport
