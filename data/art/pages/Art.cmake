# The faces of the playable pages (3 to 18) and the contents pictures of pages 3 to 17.
# Each face is one SVG of the whole spread; each contents picture is a postage stamp that
# crops its page's built face (contentsNN.svg links to pageNN.png), rendered once in colour for
# an open page and once faded for a closed one.

# The hidden-object pages (kind "Game" or "NGame" in config.xml) are compiled into the folders
# the board plays (the folder their "dir" names, and images/local/pageN.lng) together with their
# faces, so that the board's pictures and the face come from one render.
set(config_file ${CMAKE_CURRENT_SOURCE_DIR}/properties/config.xml)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${config_file})
file(STRINGS ${config_file} hidden_object_pages REGEX "<Page[0-9]+ [^>]*type=\"N?Game\"")
# The list notes and the objective panel slide in over the page from Common/ListY down: objects
# there get a warning.
file(STRINGS ${config_file} list_y REGEX "<ListY>" LIMIT_COUNT 1)
file(STRINGS ${config_file} board_y REGEX "<BoardY>" LIMIT_COUNT 1)
string(REGEX REPLACE ".*<ListY>([0-9]+)<.*" "\\1" list_y "${list_y}")
string(REGEX REPLACE ".*<BoardY>([0-9]+)<.*" "\\1" board_y "${board_y}")
math(EXPR notes_top "${list_y} - ${board_y}")
math(EXPR notes_height "532 - ${notes_top}")
set(compiled_pages)
foreach(line IN LISTS hidden_object_pages)
    string(REGEX MATCH "<Page([0-9]+) " _ "${line}")
    set(page ${CMAKE_MATCH_1})
    string(REGEX MATCH " dir=\"([^\"]+)/\"" _ "${line}")
    set(dir ${CMAKE_MATCH_1})
    string(REGEX REPLACE "^([0-9])$" "0\\1" nn ${page})
    if(NOT dir)
        message(FATAL_ERROR "config.xml: hidden-object page ${page} has no dir")
    endif()
    orlo_compile_page(art/pages/page${nn}.svg ${dir} images/local/page${page}.lng
        FACE images/pages/page${nn}.png NOTES_AREA 0,${notes_top},767,${notes_height})
    list(APPEND compiled_pages ${page})
endforeach()

foreach(page RANGE 3 18)
    string(REGEX REPLACE "^([0-9])$" "0\\1" nn ${page})
    if(NOT page IN_LIST compiled_pages)
        orlo_render_svg(art/pages/page${nn}.svg images/pages/page${nn}.png SIZE 767x588)
    endif()
endforeach()

foreach(page RANGE 3 17)
    string(REGEX REPLACE "^([0-9])$" "0\\1" nn ${page})
    # The stamp crops the page's built face, so it follows that face's changes without
    # rendering the whole page again.
    orlo_render_svg(art/pages/contents${nn}.svg images/contents/${page}_on.png HIDE vignette-closed
        LINKED images/pages/page${nn}.png)
    orlo_render_svg(art/pages/contents${nn}.svg images/contents/${page}_off.png HIDE vignette-open
        LINKED images/pages/page${nn}.png)
endforeach()
