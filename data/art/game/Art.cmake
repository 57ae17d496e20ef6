# The play interface: list notes, objective panel and its buttons, set stickers and their
# buttons, the find effect, pencil and the mini-games' pictures. Every output is rendered at
# its exact size (see "Resource manifest" in data/README.md). A family file holds several
# pictures drawn in the same place; each output shows one of them with the others hidden.

set(game_art art/game)

# orlo_game_art_variant(<source.svg> <output> <shown id> <all ids...>): renders the family
# with every id except the shown one hidden.
function(orlo_game_art_variant source output shown)
    set(hidden)
    foreach(id IN LISTS ARGN)
        if(NOT id STREQUAL shown)
            list(APPEND hidden ${id})
        endif()
    endforeach()
    orlo_render_svg(${source} images/interface/${output}.png HIDE ${hidden})
    set(data_outputs ${data_outputs} PARENT_SCOPE)
endfunction()

# Sticky notes 1..8.
set(game_notes note1 note2 note3 note4 note5 note6 note7 note8)
foreach(n RANGE 1 8)
    orlo_game_art_variant(${game_art}/notes.svg post_${n} note${n} ${game_notes})
endforeach()

# Objective panel, its back and hint buttons, the hint charge bar and the two glows.
orlo_render_svg(${game_art}/panel.svg images/interface/post_back.png)
set(game_panel_buttons back_normal back_hover back_pressed hint_base hint_charge hint_hover hint_pressed)
orlo_game_art_variant(${game_art}/panel_buttons.svg post_back_b back_normal ${game_panel_buttons})
orlo_game_art_variant(${game_art}/panel_buttons.svg post_back_bh back_hover ${game_panel_buttons})
orlo_game_art_variant(${game_art}/panel_buttons.svg post_back_bp back_pressed ${game_panel_buttons})
orlo_game_art_variant(${game_art}/panel_buttons.svg post_hint_bc hint_base ${game_panel_buttons})
orlo_game_art_variant(${game_art}/panel_buttons.svg post_hint_b hint_charge ${game_panel_buttons})
orlo_game_art_variant(${game_art}/panel_buttons.svg post_hint_bh hint_hover ${game_panel_buttons})
orlo_game_art_variant(${game_art}/panel_buttons.svg post_hint_bp hint_pressed ${game_panel_buttons})
orlo_game_art_variant(${game_art}/panel_glows.svg post_back_bg back_glow back_glow hint_glow)
orlo_game_art_variant(${game_art}/panel_glows.svg post_hint_bg hint_glow back_glow hint_glow)

# Bookmark tabs of the current set, their blinking glows and their buttons.
set(game_tabs tab1r tab1l tab2r tab2l tab3r tab3l)
set(game_tab_glows glow1 glow2 glow3)
foreach(n RANGE 1 3)
    orlo_game_art_variant(${game_art}/stickers.svg sticker_${n}r tab${n}r ${game_tabs})
    orlo_game_art_variant(${game_art}/stickers.svg sticker_${n}l tab${n}l ${game_tabs})
    orlo_game_art_variant(${game_art}/sticker_glows.svg sticker_${n}rg glow${n} ${game_tab_glows})
endforeach()
set(game_icons icon_gl icon_gr icon_gr_x icon_ml icon_mr icon_mr_x)
foreach(icon IN LISTS game_icons)
    orlo_game_art_variant(${game_art}/sticker_icons.svg ${icon} ${icon} ${game_icons})
endforeach()

# Board and frame pieces: find effect (8 cels), pencil, pointing hand, tries counter (6 cels),
# the differences outline (6 cels).
orlo_render_svg(${game_art}/effect.svg images/interface/effect.png)
orlo_render_svg(${game_art}/pencil.svg images/interface/pencil.png)
orlo_render_svg(${game_art}/finger.svg images/interface/finger.png)
orlo_render_svg(${game_art}/try.svg images/interface/try.png)
orlo_render_svg(${game_art}/mg6_outline.svg images/interface/mg6_outline.png)

# Glasses of the insects and fireflies pages, the magnifier's handle, the capture button held
# down, the fireflies page's lamp and the customs scanner's beam.
orlo_game_art_variant(${game_art}/glasses.svg glass glass9 glass9 glass8)
orlo_game_art_variant(${game_art}/glasses.svg glass8 glass8 glass9 glass8)
orlo_render_svg(${game_art}/glass8_handle.svg images/interface/glass8_handle.png)
orlo_render_svg(${game_art}/glass_btn.svg images/interface/glass_btn.png)
orlo_render_svg(${game_art}/mg9_light.svg images/interface/mg9_light.png)
orlo_render_svg(${game_art}/mg5_scanner_light.svg images/interface/mg5_scanner_light.png)

# Mini-game buttons with their words (normal and pressed) and the apothecary page's marks.
set(game_mg_buttons check_up check_down reset_up reset_down replay_up replay_down)
orlo_game_art_variant(${game_art}/mg_buttons.svg mg4_rb check_up ${game_mg_buttons})
orlo_game_art_variant(${game_art}/mg_buttons.svg mg4_rbn check_down ${game_mg_buttons})
orlo_game_art_variant(${game_art}/mg_buttons.svg mg4_sb reset_up ${game_mg_buttons})
orlo_game_art_variant(${game_art}/mg_buttons.svg mg4_sbn reset_down ${game_mg_buttons})
orlo_game_art_variant(${game_art}/mg_buttons.svg mg3_pb replay_up ${game_mg_buttons})
orlo_game_art_variant(${game_art}/mg_buttons.svg mg3_pbn replay_down ${game_mg_buttons})
orlo_game_art_variant(${game_art}/mg4_marks.svg mg4_yes yes yes no)
orlo_game_art_variant(${game_art}/mg4_marks.svg mg4_no no yes no)

# Signs of the bell-ringer's page.
set(game_mg3_signs ready ready_fast watch watch_fast)
orlo_game_art_variant(${game_art}/mg3_signs.svg sms ready ${game_mg3_signs})
orlo_game_art_variant(${game_art}/mg3_signs.svg sms_s ready_fast ${game_mg3_signs})
orlo_game_art_variant(${game_art}/mg3_signs.svg mms watch ${game_mg3_signs})
orlo_game_art_variant(${game_art}/mg3_signs.svg mms_s watch_fast ${game_mg3_signs})

# The final game's note strip, its arrows and its page indicator (4 cels).
orlo_render_svg(${game_art}/mglast_note.svg images/interface/mglast_note.png)
orlo_render_svg(${game_art}/mglast_pages.svg images/interface/mglast_pages.png)
set(game_arrows left_up left_down right_up right_down)
orlo_game_art_variant(${game_art}/mglast_arrows.svg mglast_larr left_up ${game_arrows})
orlo_game_art_variant(${game_art}/mglast_arrows.svg mglast_larrd left_down ${game_arrows})
orlo_game_art_variant(${game_art}/mglast_arrows.svg mglast_rarr right_up ${game_arrows})
orlo_game_art_variant(${game_art}/mglast_arrows.svg mglast_rarrd right_down ${game_arrows})
