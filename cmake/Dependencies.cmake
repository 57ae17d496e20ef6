# Third-party libraries, all from Debian packages (see scripts/packages.txt).
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
# Sound and music: Ogg Vorbis through the integer decoder Tremor, MP3, module music.
# Tremor exports the same vorbis_* names as libvorbis (which libopenmpt uses through
# vorbisfile). Tremor's own references are versioned, libvorbis' users' are not: libvorbis is
# linked ahead of Tremor so that an unversioned vorbis_* name always finds libvorbis first.
pkg_check_modules(VORBIS REQUIRED IMPORTED_TARGET vorbis)
pkg_check_modules(TREMOR REQUIRED IMPORTED_TARGET vorbisidec)
pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)
pkg_check_modules(OPENMPT REQUIRED IMPORTED_TARGET libopenmpt)

# The Vorbis encoder makes test and benchmark tunes (see the note on Tremor above).
if(ORLO_TESTS OR ORLO_BENCH)
    pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)
endif()

if(ORLO_TESTS)
    find_package(GTest REQUIRED)
    include(GoogleTest)
endif()
if(ORLO_BENCH)
    find_package(benchmark REQUIRED)
endif()
