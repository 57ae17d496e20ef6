# Content tools in the data build. Each helper adds one custom command per generated file
# (so Ninja runs them in parallel and redoes only what changed) and appends the file to
# `data_outputs` in the calling scope, which makes main.pak repack when it changes.
# Sources are named relative to the calling folder (data/), outputs relative to ORLO_DATA_OUT;
# the tools write each output whole or not at all and create its folders.
#
#   orlo_render_svg(<source.svg> <output.png>
#       [SIZE <w>x<h> | WIDTH <w> | SCALE <factor>]
#       [HIDE <id>...]                              # render without these elements
#       [ELEMENT <id> [BOUNDS <file.txt>]]          # one element cropped; BOUNDS gets "x y w h"
#       [SHEET <id>... [ALIGN center|bottom|stacked]]  # elements side by side in equal cells
#       [LINKED <output>...])                       # built pictures the document links to
#     The BOUNDS file is for other build steps (a page compiler placing the crop): it is written
#     below the calling folder's build folder (CMAKE_CURRENT_BINARY_DIR) unless absolute, and is
#     not part of the data tree.
#     LINKED names built pictures (relative to ORLO_DATA_OUT, all in one folder) that the SVG
#     links to by file name (`<image href="page03.png">`): they are read from that folder, and
#     the picture is rendered again when they change.
#   orlo_compile_page(<page.svg> <page folder> <names.lng> [FACE <face.png>] [NOTES_AREA <x,y,w,h>])
#     Compiles a hidden-object page with pagecompile: the folder gets one picture per
#     obj-NN_name group, the background (background_00.png) and picture.cfg, <names.lng> the
#     display names. A faulty object fails the build with the file and the object's id; one in
#     NOTES_AREA (board pixels, where the list notes lie during play) gets a warning. FACE
#     writes the whole page too, from the same render as the objects.
#   orlo_compile_set(<set.svg> <folder> BOARD <x>,<y>)
#     Compiles a mini-game page's picture set with pagecompile --set: every pic-NAME group of the
#     SVG (drawn in screen space, the board's corner at x, y) becomes <folder>/NAME.png, listed in
#     <folder>/picture.cfg. The names are read from the SVG when cmake runs, which it does again
#     when the SVG changes.
#   orlo_synth_sound(<source.recipe> <output.ogg|.wav>)
#   orlo_synth_tune(<source.score> <output.ogg|.wav>)

# In sanitizer builds the tools run with the system libraries' own leaks suppressed.
set(ORLO_TOOL_ENV ${CMAKE_COMMAND} -E env
    "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan-tools.supp:print_suppressions=0")

function(orlo_content_paths source output)
    if(IS_ABSOLUTE "${source}")
        set(source_path "${source}" PARENT_SCOPE)
    else()
        set(source_path "${CMAKE_CURRENT_SOURCE_DIR}/${source}" PARENT_SCOPE)
    endif()
    set(output_path "${ORLO_DATA_OUT}/${output}" PARENT_SCOPE)
endfunction()

function(orlo_render_svg source output)
    cmake_parse_arguments(PARSE_ARGV 2 ARG "" "SIZE;WIDTH;SCALE;ELEMENT;BOUNDS;ALIGN" "HIDE;SHEET;LINKED")
    if(ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "orlo_render_svg(${source}): unexpected arguments ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    orlo_content_paths("${source}" "${output}")

    set(size_options)
    if(ARG_SIZE)
        list(APPEND size_options --size ${ARG_SIZE})
    elseif(ARG_WIDTH)
        list(APPEND size_options --width ${ARG_WIDTH})
    elseif(ARG_SCALE)
        list(APPEND size_options --scale ${ARG_SCALE})
    endif()
    foreach(id IN LISTS ARG_HIDE)
        list(APPEND size_options --hide ${id})
    endforeach()

    set(linked_paths)
    foreach(linked IN LISTS ARG_LINKED)
        list(APPEND linked_paths ${ORLO_DATA_OUT}/${linked})
    endforeach()
    if(linked_paths)
        list(GET linked_paths 0 first_linked)
        get_filename_component(linked_folder ${first_linked} DIRECTORY)
        list(APPEND size_options --linked-from ${linked_folder})
    endif()

    set(bounds_output)
    if(ARG_ELEMENT)
        set(command element ${source_path} ${ARG_ELEMENT} ${output_path})
        if(ARG_BOUNDS)
            if(IS_ABSOLUTE "${ARG_BOUNDS}")
                set(bounds_path "${ARG_BOUNDS}")
            else()
                set(bounds_path "${CMAKE_CURRENT_BINARY_DIR}/${ARG_BOUNDS}")
            endif()
            list(APPEND command --bounds-file ${bounds_path})
            set(bounds_output ${bounds_path})
        endif()
    elseif(ARG_SHEET)
        set(command sheet ${source_path} ${output_path} ${ARG_SHEET})
        if(ARG_ALIGN)
            list(APPEND command --align ${ARG_ALIGN})
        endif()
    else()
        set(command render ${source_path} ${output_path})
    endif()

    add_custom_command(
        OUTPUT ${output_path} ${bounds_output}
        COMMAND ${ORLO_TOOL_ENV} $<TARGET_FILE:svgrender> ${command} ${size_options}
        DEPENDS svgrender ${source_path} ${linked_paths}
        COMMENT "Data: ${output}"
        VERBATIM)
    set(data_outputs ${data_outputs} ${output_path} PARENT_SCOPE)
endfunction()

function(orlo_compile_page source folder names)
    cmake_parse_arguments(PARSE_ARGV 3 ARG "" "FACE;NOTES_AREA" "")
    orlo_content_paths("${source}" "${folder}")
    set(options)
    set(face_output)
    if(ARG_FACE)
        set(face_output ${ORLO_DATA_OUT}/${ARG_FACE})
        list(APPEND options --face ${face_output})
    endif()
    if(ARG_NOTES_AREA)
        list(APPEND options --notes-area ${ARG_NOTES_AREA})
    endif()
    set(outputs ${output_path}/picture.cfg ${output_path}/background_00.png ${ORLO_DATA_OUT}/${names} ${face_output})
    add_custom_command(
        OUTPUT ${outputs}
        COMMAND ${ORLO_TOOL_ENV} $<TARGET_FILE:pagecompile> ${source_path} ${output_path} ${ORLO_DATA_OUT}/${names}
            ${options}
        DEPENDS pagecompile ${source_path}
        COMMENT "Data: ${folder}/"
        VERBATIM)
    set(data_outputs ${data_outputs} ${outputs} PARENT_SCOPE)
endfunction()

function(orlo_compile_set source folder)
    cmake_parse_arguments(PARSE_ARGV 2 ARG "" "BOARD" "")
    if(ARG_UNPARSED_ARGUMENTS OR NOT ARG_BOARD)
        message(FATAL_ERROR "orlo_compile_set(${source}): needs BOARD <x>,<y>; unexpected: ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    orlo_content_paths("${source}" "${folder}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source_path})
    file(READ ${source_path} svg)
    string(REGEX REPLACE "<!--([^-]|-[^-])*-->" "" svg "${svg}")
    string(REGEX MATCHALL "id=[\"']pic-[A-Za-z0-9_]+[\"']" ids "${svg}")
    set(outputs ${output_path}/picture.cfg)
    foreach(id IN LISTS ids)
        string(REGEX REPLACE "id=.pic-(.*)." "\\1" name "${id}")
        list(APPEND outputs ${output_path}/${name}.png)
    endforeach()
    list(REMOVE_DUPLICATES outputs)
    add_custom_command(
        OUTPUT ${outputs}
        COMMAND ${ORLO_TOOL_ENV} $<TARGET_FILE:pagecompile> --set ${source_path} ${output_path} --board ${ARG_BOARD}
        DEPENDS pagecompile ${source_path}
        COMMENT "Data: ${folder}/ (picture set)"
        VERBATIM)
    set(data_outputs ${data_outputs} ${outputs} PARENT_SCOPE)
endfunction()

function(orlo_synth_sound source output)
    orlo_content_paths("${source}" "${output}")
    add_custom_command(
        OUTPUT ${output_path}
        COMMAND ${ORLO_TOOL_ENV} $<TARGET_FILE:synth> sound ${source_path} ${output_path}
        DEPENDS synth ${source_path}
        COMMENT "Data: ${output}"
        VERBATIM)
    set(data_outputs ${data_outputs} ${output_path} PARENT_SCOPE)
endfunction()

function(orlo_synth_tune source output)
    orlo_content_paths("${source}" "${output}")
    add_custom_command(
        OUTPUT ${output_path}
        COMMAND ${ORLO_TOOL_ENV} $<TARGET_FILE:synth> tune ${source_path} ${output_path}
        DEPENDS synth ${source_path}
        COMMENT "Data: ${output}"
        VERBATIM)
    set(data_outputs ${data_outputs} ${output_path} PARENT_SCOPE)
endfunction()

# orlo_bake_font(<name> FACE <font file> SIZE <points> [PIXELS <em>] [FALLBACK <font file>]
#     [SHADOW [OPACITY <0..1>] | OUTLINE <pixels>] [PACKAGE <Debian package of the faces>])
#   Bakes fonts/<name>.txt with fonts/<name>.png (and fonts/<name>_outline.png for an outline)
#   from a TrueType or OpenType file. PIXELS sets the em in pixels where the point size at
#   96 dpi would not suit the face; FALLBACK supplies the characters the face lacks. A face file
#   that is missing fails the data build with its name (and the package that brings it).
function(orlo_bake_font name)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "SHADOW" "FACE;SIZE;PIXELS;FALLBACK;OPACITY;OUTLINE;PACKAGE" "")
    if(ARG_UNPARSED_ARGUMENTS OR NOT ARG_FACE OR NOT ARG_SIZE)
        message(FATAL_ERROR "orlo_bake_font(${name}): needs FACE and SIZE; unexpected: ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    set(folder ${ORLO_DATA_OUT}/fonts)
    set(outputs ${folder}/${name}.txt ${folder}/${name}.png)
    set(options --face ${ARG_FACE} --size ${ARG_SIZE} --out ${folder} --name ${name})
    if(ARG_PIXELS)
        list(APPEND options --pixels ${ARG_PIXELS})
    endif()
    if(ARG_SHADOW)
        list(APPEND options --shadow)
        if(ARG_OPACITY)
            list(APPEND options --shadow-opacity ${ARG_OPACITY})
        endif()
    elseif(ARG_OUTLINE)
        list(APPEND options --outline ${ARG_OUTLINE})
        list(APPEND outputs ${folder}/${name}_outline.png)
    endif()
    set(faces ${ARG_FACE})
    if(ARG_FALLBACK)
        list(APPEND options --fallback ${ARG_FALLBACK})
        list(APPEND faces ${ARG_FALLBACK})
    endif()

    # A missing face is not a dependency (Ninja would stop before anything runs): fontbake
    # then fails for this font and names the file.
    set(face_depends)
    foreach(face IN LISTS faces)
        if(EXISTS ${face})
            list(APPEND face_depends ${face})
        else()
            message(WARNING "Font face file missing: ${face} (Debian package ${ARG_PACKAGE}; "
                "scripts/setup.sh installs it). Baking fonts/${name} will fail.")
        endif()
    endforeach()

    add_custom_command(
        OUTPUT ${outputs}
        COMMAND ${ORLO_TOOL_ENV} $<TARGET_FILE:fontbake> ${options}
        DEPENDS fontbake ${face_depends}
        COMMENT "Data: fonts/${name}"
        VERBATIM)
    set(data_outputs ${data_outputs} ${outputs} PARENT_SCOPE)
endfunction()

# The scene scripts (data/scenes/*.scr) are checked by scenelint against the built pictures once
# everything else is built; an error in a script fails the data build with its file and line.
# Run at the end of the calling folder, when data_outputs is complete and the data target exists.
function(orlo_check_scenes)
    file(GLOB scripts CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/scenes/*.scr)
    if(NOT scripts OR NOT TARGET data)
        return()
    endif()
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/scenes-checked.stamp)
    add_custom_command(
        OUTPUT ${stamp}
        COMMAND ${ORLO_TOOL_ENV} $<TARGET_FILE:scenelint> --data ${ORLO_DATA_OUT} ${scripts}
        COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
        DEPENDS scenelint ${scripts} ${data_outputs}
        COMMENT "Data: checking the scene scripts"
        VERBATIM)
    add_custom_target(data_scenes_checked DEPENDS ${stamp})
    add_dependencies(data data_scenes_checked)
endfunction()
cmake_language(DEFER CALL orlo_check_scenes)
