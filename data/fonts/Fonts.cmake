# The publication's nine image fonts (group "Common" of the manifest), baked from free faces
# that Debian ships: DejaVu for the interface, Comic Neue for the handwriting on the notes,
# Dancing Script for the name written onto the stamp. Glyphs are white; the game colours the
# text as it draws it (black or red dialog texts, white button labels, ink on the notes).
#
# The interface faces are sized in points at 96 dpi. The note and stamp faces are sized by
# their em in pixels instead: the notes hold four rows 22 pixels apart in 170 pixels of
# width, and the name must fit the stamp.

set(dejavu /usr/share/fonts/truetype/dejavu)
set(comic_neue /usr/share/fonts/opentype/comic-neue)
set(dancing_script /usr/share/fonts/opentype/dancingscript)

orlo_bake_font(default FACE ${dejavu}/DejaVuSans.ttf SIZE 14 PACKAGE fonts-dejavu-core)
orlo_bake_font(small FACE ${dejavu}/DejaVuSans.ttf SIZE 12 PACKAGE fonts-dejavu-core)
orlo_bake_font(small_bold FACE ${dejavu}/DejaVuSans-Bold.ttf SIZE 13 PACKAGE fonts-dejavu-core)
orlo_bake_font(main18 FACE ${dejavu}/DejaVuSerif.ttf SIZE 18 PACKAGE fonts-dejavu-core)
# Button labels and the name being typed are white on paper: a dark shadow keeps them legible.
orlo_bake_font(main22 FACE ${dejavu}/DejaVuSerif.ttf SIZE 22 SHADOW OPACITY 0.5 PACKAGE fonts-dejavu-core)
# Dialog headers (black or red): a light shadow lifts them off the paper.
orlo_bake_font(main24 FACE ${dejavu}/DejaVuSerif.ttf SIZE 24 SHADOW OPACITY 0.3 PACKAGE fonts-dejavu-core)

orlo_bake_font(postit24 FACE ${comic_neue}/ComicNeue-Regular.otf SIZE 24 PIXELS 22 PACKAGE fonts-comic-neue)
orlo_bake_font(postit21 FACE ${comic_neue}/ComicNeue-Regular.otf SIZE 21 PIXELS 19 PACKAGE fonts-comic-neue)
# Dancing Script has no macron; DejaVu Serif lends it.
orlo_bake_font(script FACE ${dancing_script}/DancingScript-Bold.otf SIZE 28 PIXELS 30
    FALLBACK ${dejavu}/DejaVuSerif.ttf PACKAGE "fonts-dancingscript, fonts-dejavu-core")
