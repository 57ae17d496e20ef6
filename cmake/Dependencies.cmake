# Third-party libraries, all from Debian packages (see scripts/packages.txt).
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
# Sound and music: Ogg Vorbis through the integer decoder Tremor, MP3, module music.
# Tremor defines the same vorbis_* names as libvorbis, which libopenmpt loads (through
# vorbisfile) and the tests use to encode tunes; the dynamic linker would bind one library's
# calls to the other's functions. So Tremor is linked statically, its calls bound inside the
# program, and its names are kept out of the program's exported symbols (--exclude-libs).
pkg_check_modules(OGG REQUIRED IMPORTED_TARGET ogg)
find_library(TREMOR_STATIC_LIBRARY NAMES libvorbisidec.a REQUIRED)
add_library(orlo_tremor INTERFACE)
target_link_libraries(orlo_tremor INTERFACE ${TREMOR_STATIC_LIBRARY} PkgConfig::OGG)
target_link_options(orlo_tremor INTERFACE "LINKER:--exclude-libs,libvorbisidec.a")
pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)
pkg_check_modules(OPENMPT REQUIRED IMPORTED_TARGET libopenmpt)

# The Vorbis encoder makes test and benchmark tunes; it is opened at run time (see the note on
# Tremor above), so only its headers are needed here.
if(ORLO_TESTS OR ORLO_BENCH)
    pkg_check_modules(VORBISENC REQUIRED vorbisenc vorbis)
endif()

if(ORLO_TESTS)
    find_package(GTest REQUIRED)
    include(GoogleTest)
endif()
if(ORLO_BENCH)
    find_package(benchmark REQUIRED)
endif()

# Image files and fonts: PNG and JPEG through libpng/libjpeg, JPEG 2000 through OpenJPEG,
# system fonts through FreeType with fontconfig choosing the file for a face name.
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(Freetype REQUIRED)
find_package(Fontconfig REQUIRED)
pkg_check_modules(OPENJP2 REQUIRED IMPORTED_TARGET libopenjp2)
