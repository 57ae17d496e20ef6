# The desk group: the desk and its items, the cursors and the other common pictures, the cover
# and the pages the game writes on (contents, mini-game list), the credits, the studio's logos
# and the bonus pictures. One SVG per picture, rendered at its natural size.

set(desk_art art/desk)

# Common pictures (the "Common" group of the manifest).
foreach(name bgtile cur_eraser cur_finger cur_hourglass cur_pointer cur_thumbtack frontpage mask pages
        stroke)
    orlo_render_svg(${desk_art}/${name}.svg images/common/${name}.png)
endforeach()
orlo_render_svg(${desk_art}/page_tab.svg images/common/page_tab.png)

# Page faces that are not played: cover, contents, mini-game list, credits.
foreach(name page01 page02 page19 page20)
    orlo_render_svg(${desk_art}/${name}.svg images/pages/${name}.png)
endforeach()

# The studio's logo for the intro scene and the cover: plain, and with its highlight.
orlo_render_svg(${desk_art}/logo.svg fsdata/logo_na.png HIDE accent accent-top)
orlo_render_svg(${desk_art}/logo.svg fsdata/logo_a.png)

# Things on the desk around the journal (placed centred at the Desktop/Item records).
foreach(name inkwell teacup compass eyeglasses quill map_roll candle seashell postcards magnifier)
    orlo_render_svg(${desk_art}/items/${name}.svg images/desk/${name}.png)
endforeach()

# Bonus pictures uncovered under a lifted page corner (96 x 120 each).
foreach(number 1 2 3 4 5 6)
    orlo_render_svg(${desk_art}/bonus/bonus${number}.svg images/bonus/bonus${number}.png)
endforeach()
