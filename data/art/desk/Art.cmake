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
