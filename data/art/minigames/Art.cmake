# The mini-game pages' picture sets: every page of config.xml whose type starts with "MG" and
# that has a data/art/minigames/pageNN.svg gets that set compiled into the folder its "dir"
# names (pictures and picture.cfg; the source convention is in data/README.md). The sets are
# drawn in screen space; the board's corner comes from Common/BoardX and BoardY.
set(config_file ${CMAKE_CURRENT_SOURCE_DIR}/properties/config.xml)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${config_file})
file(STRINGS ${config_file} minigame_pages REGEX "<Page[0-9]+ [^>]*type=\"MG")
file(STRINGS ${config_file} board_x REGEX "<BoardX>" LIMIT_COUNT 1)
file(STRINGS ${config_file} board_y REGEX "<BoardY>" LIMIT_COUNT 1)
string(REGEX REPLACE ".*<BoardX>([0-9]+)<.*" "\\1" board_x "${board_x}")
string(REGEX REPLACE ".*<BoardY>([0-9]+)<.*" "\\1" board_y "${board_y}")
foreach(line IN LISTS minigame_pages)
    string(REGEX MATCH "<Page([0-9]+) " _ "${line}")
    set(page ${CMAKE_MATCH_1})
    string(REGEX REPLACE "^([0-9])$" "0\\1" nn ${page})
    # A set drawn later is picked up when cmake runs again (the glob below watches the folder).
    file(GLOB set_source CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/art/minigames/page${nn}.svg)
    if(NOT set_source)
        continue()
    endif()
    string(REGEX MATCH " dir=\"([^\"]+)/\"" _ "${line}")
    set(dir ${CMAKE_MATCH_1})
    if(NOT dir)
        message(FATAL_ERROR "config.xml: mini-game page ${page} has a picture set but no dir")
    endif()
    orlo_compile_set(art/minigames/page${nn}.svg ${dir} BOARD ${board_x},${board_y})
endforeach()

# The final game reads its picture.cfg from its page's folder but its notes as localised pictures
# from images/local/, so the notes are copied there as well.
foreach(line IN LISTS minigame_pages)
    if(NOT line MATCHES "type=\"MGLast\"")
        continue()
    endif()
    string(REGEX MATCH "<Page([0-9]+) " _ "${line}")
    string(REGEX REPLACE "^([0-9])$" "0\\1" nn ${CMAKE_MATCH_1})
    set(set_source ${CMAKE_CURRENT_SOURCE_DIR}/art/minigames/page${nn}.svg)
    if(NOT EXISTS ${set_source})
        continue()
    endif()
    string(REGEX MATCH " dir=\"([^\"]+)/\"" _ "${line}")
    set(dir ${CMAKE_MATCH_1})
    file(READ ${set_source} svg)
    string(REGEX REPLACE "<!--([^-]|-[^-])*-->" "" svg "${svg}")
    string(REGEX MATCHALL "id=[\"']pic-[A-Za-z0-9_]+[\"']" ids "${svg}")
    foreach(id IN LISTS ids)
        string(REGEX REPLACE "id=.pic-(.*)." "\\1" name "${id}")
        add_custom_command(
            OUTPUT ${ORLO_DATA_OUT}/images/local/${name}.png
            COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ORLO_DATA_OUT}/${dir}/${name}.png
                ${ORLO_DATA_OUT}/images/local/${name}.png
            DEPENDS ${ORLO_DATA_OUT}/${dir}/${name}.png
            COMMENT "Data: images/local/${name}.png"
            VERBATIM)
        list(APPEND data_outputs ${ORLO_DATA_OUT}/images/local/${name}.png)
    endforeach()
endforeach()
