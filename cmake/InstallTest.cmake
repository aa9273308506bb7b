# Installing over an earlier install keeps the user's own area and point files.
#   cmake -DBUILD=<build folder> -DWORK=<scratch folder> -P InstallTest.cmake
# Installs into an empty folder (the samples come), replaces the samples with the user's own
# files and removes one, installs again: the program is replaced, the user's files are byte for
# byte as they were, and the missing sample is back.
set(ENV{VORIDA_NO_MENU} 1) # no entry in the menu of whoever runs the test
set(dir "${WORK}/Vorida")
file(REMOVE_RECURSE "${WORK}")

function(install_program)
    execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${dir}"
                    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "cmake --install failed (${status}):\n${output}")
    endif()
endfunction()

install_program()
foreach(name TRANSPKT.BIN xy_LOK xy2000 vorida)
    if(NOT EXISTS "${dir}/${name}")
        message(FATAL_ERROR "the first install did not bring ${name}")
    endif()
endforeach()
foreach(name TRANSPKT.BIN xy_LOK)
    file(WRITE "${dir}/${name}" "the user's own ${name}: żółw 1 2\n")
endforeach()
file(REMOVE "${dir}/xy2000")
file(WRITE "${dir}/vorida" "an old program")

install_program()
foreach(name TRANSPKT.BIN xy_LOK)
    file(READ "${dir}/${name}" kept)
    if(NOT kept STREQUAL "the user's own ${name}: żółw 1 2\n")
        message(FATAL_ERROR "installing again replaced the user's ${name}")
    endif()
endforeach()
if(NOT EXISTS "${dir}/xy2000")
    message(FATAL_ERROR "installing again did not bring the missing sample xy2000")
endif()
file(READ "${dir}/vorida" program LIMIT 20)
if(program STREQUAL "an old program")
    message(FATAL_ERROR "installing again did not replace the program")
endif()
file(REMOVE_RECURSE "${WORK}")
