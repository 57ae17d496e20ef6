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
