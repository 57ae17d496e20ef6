# Interface pictures: dialog button strips, the cover menu, dialog windows, frames and stamps.
# Sources are one SVG per picture or per family; a family's pictures are rendered by hiding the
# groups of its other members.
set(ui art/ui)
set(ui_out images/interface)

# Dialog button strips (three 16 px cells: left cap, stretched middle, right cap).
orlo_render_svg(${ui}/strips.svg ${ui_out}/bln_simple.png HIDE left_high right_normal right_high)
orlo_render_svg(${ui}/strips.svg ${ui_out}/blh_simple.png HIDE left_normal right_normal right_high)
orlo_render_svg(${ui}/strips.svg ${ui_out}/brn_simple.png HIDE left_normal left_high right_high)
orlo_render_svg(${ui}/strips.svg ${ui_out}/brh_simple.png HIDE left_normal left_high right_normal)
orlo_render_svg(${ui}/addbar.svg ${ui_out}/bcn_add.png HIDE add_high)
orlo_render_svg(${ui}/addbar.svg ${ui_out}/bch_add.png HIDE add_normal)
orlo_render_svg(${ui}/delete.svg ${ui_out}/brg_delete.png HIDE del_normal del_high)
orlo_render_svg(${ui}/delete.svg ${ui_out}/brn_delete.png HIDE del_grey del_high)
orlo_render_svg(${ui}/delete.svg ${ui_out}/brh_delete.png HIDE del_grey del_normal)

# The cover menu: the slip with its word, the greyed mini-games slip, and the shadows.
orlo_render_svg(${ui}/menu.svg ${ui_out}/but_change.png HIDE grey item_credits item_exit item_mgames item_options item_play)
orlo_render_svg(${ui}/menu.svg ${ui_out}/but_credits.png HIDE grey item_change item_exit item_mgames item_options item_play)
orlo_render_svg(${ui}/menu.svg ${ui_out}/but_exit.png HIDE grey item_change item_credits item_mgames item_options item_play)
orlo_render_svg(${ui}/menu.svg ${ui_out}/but_mgames.png HIDE grey item_change item_credits item_exit item_options item_play)
orlo_render_svg(${ui}/menu.svg ${ui_out}/but_options.png HIDE grey item_change item_credits item_exit item_mgames item_play)
orlo_render_svg(${ui}/menu.svg ${ui_out}/but_play.png HIDE grey item_change item_credits item_exit item_mgames item_options)
orlo_render_svg(${ui}/menu.svg ${ui_out}/but_mgames_c.png HIDE slip item_change item_credits item_exit item_mgames item_options item_play)
foreach(item change credits exit mgames options play)
    orlo_render_svg(${ui}/menu_shadow.svg ${ui_out}/but_${item}_sh.png)
endforeach()

# Dialog windows, their ornaments and the options controls.
foreach(window name options profile simple warning)
    orlo_render_svg(${ui}/w_${window}.svg ${ui_out}/w_${window}.png)
endforeach()
orlo_render_svg(${ui}/decor.svg ${ui_out}/decor_o.png HIDE decor_p)
orlo_render_svg(${ui}/decor.svg ${ui_out}/decor_p.png HIDE decor_o)
orlo_render_svg(${ui}/decor_q.svg ${ui_out}/decor_q.png)
orlo_render_svg(${ui}/controls.svg ${ui_out}/checkbox.png)
orlo_render_svg(${ui}/slider_thumb.svg ${ui_out}/slider_thumb.png)

# The screen frame, the journal's shadows, the contents note (also written as the picture the
# game redraws the note from), the "new" mark, the stamps and the tutorial.
orlo_render_svg(${ui}/candy.svg ${ui_out}/candy.png)
orlo_render_svg(${ui}/shadows.svg ${ui_out}/shad_l.png HIDE shad_r)
orlo_render_svg(${ui}/shadows.svg ${ui_out}/shad_r.png HIDE shad_l)
orlo_render_svg(${ui}/check.svg ${ui_out}/check.png)
orlo_render_svg(${ui}/post_cont.svg ${ui_out}/post_cont.png)
orlo_render_svg(${ui}/post_cont.svg ${ui_out}/postit_contents.png)
orlo_render_svg(${ui}/stamp.svg ${ui_out}/stamp.png)
orlo_render_svg(${ui}/stamp_replay.svg ${ui_out}/stamp_replay.png)
orlo_render_svg(${ui}/tutor_back.svg ${ui_out}/tutor_back.png)
orlo_render_svg(${ui}/tutor_obj.svg ${ui_out}/tutor_obj.png)
