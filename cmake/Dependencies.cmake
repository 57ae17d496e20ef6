# Third-party libraries, all from Debian packages (see scripts/packages.txt).
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)

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
