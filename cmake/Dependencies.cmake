# Third-party libraries, all from Debian packages (see scripts/packages.txt).
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)

if(ORLO_TESTS)
    find_package(GTest REQUIRED)
    include(GoogleTest)
endif()
if(ORLO_BENCH)
    find_package(benchmark REQUIRED)
endif()
