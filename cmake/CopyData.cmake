# Mirrors one build folder's built data tree into another's:
#   cmake -DFROM=<build>/data -DTO=<other build>/data -P cmake/CopyData.cmake
# Files that changed are copied (file timestamps kept, so an unchanged file is skipped), files
# the source tree no longer has are removed. What the game writes beside its data and the
# program itself are neither copied nor removed: each build folder has its own.
if(NOT IS_DIRECTORY "${FROM}" OR NOT EXISTS "${FROM}/main.pak")
    message(FATAL_ERROR "No built data in ${FROM}: build that folder's `data` target first")
endif()

set(own_files "^(orlo|log\\.txt|main\\.pak\\..*|.*\\.dmo)$")
set(own_folders "^(_screenshots|_dump|players|cached)(/|$)")

file(COPY "${FROM}/" DESTINATION "${TO}"
    PATTERN "orlo" EXCLUDE
    PATTERN "log.txt" EXCLUDE
    PATTERN "main.pak.*" EXCLUDE
    PATTERN "*.dmo" EXCLUDE
    PATTERN "_screenshots" EXCLUDE
    PATTERN "_dump" EXCLUDE
    PATTERN "players" EXCLUDE
    PATTERN "cached" EXCLUDE)

file(GLOB_RECURSE copied LIST_DIRECTORIES false RELATIVE "${TO}" "${TO}/*")
foreach(file IN LISTS copied)
    if(file MATCHES "${own_folders}" OR file MATCHES "${own_files}")
        continue()
    endif()
    if(NOT EXISTS "${FROM}/${file}")
        file(REMOVE "${TO}/${file}")
    endif()
endforeach()
