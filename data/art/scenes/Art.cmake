# The story scenes: the characters with their faces, the text box, the buttons, name tags and
# props. Scripts in data/scenes name these pictures as "images/scenes/<name>".

set(scene_art art/scenes)
set(scene_out images/scenes)

# Each character is one SVG: the group "body" is the portrait without a face, and each face
# group expression_frame (three frames: mouth closed, half open, open) is drawn over it. The
# portrait renders without the faces; every face renders alone on the portrait's canvas, so a
# script places it with [anim ... 0 0].
set(scene_faces)
foreach(expression neutral happy sad surprised)
    foreach(frame 1 2 3)
        list(APPEND scene_faces ${expression}_${frame})
    endforeach()
endforeach()
foreach(character maren tobin pip)
    orlo_render_svg(${scene_art}/${character}.svg ${scene_out}/${character}.png HIDE ${scene_faces})
    foreach(face IN LISTS scene_faces)
        set(others ${scene_faces})
        list(REMOVE_ITEM others ${face})
        orlo_render_svg(${scene_art}/${character}.svg ${scene_out}/${character}_${face}.png HIDE body ${others})
    endforeach()
endforeach()

# The text box (cut into 3 x 3 cells by the player), the buttons and the name tags.
orlo_render_svg(${scene_art}/box.svg ${scene_out}/box.png)
foreach(button skip ok yes notyet more)
    orlo_render_svg(${scene_art}/buttons.svg ${scene_out}/${button}.png ELEMENT ${button})
endforeach()
foreach(name maren tobin pip)
    orlo_render_svg(${scene_art}/tags.svg ${scene_out}/tag_${name}.png ELEMENT tag_${name})
endforeach()

# Props: the astronomer's letter, the route map and the comet.
foreach(prop letter map comet)
    orlo_render_svg(${scene_art}/props.svg ${scene_out}/${prop}.png ELEMENT ${prop})
endforeach()
