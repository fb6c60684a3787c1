# The core must stay free of Qt so that the command-line front end and the tests run without it.
file(GLOB_RECURSE _core_files "${CMAKE_SOURCE_DIR}/src/core/*.h" "${CMAKE_SOURCE_DIR}/src/core/*.cpp")
foreach(_file IN LISTS _core_files)
    file(STRINGS "${_file}" _qt_includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]+|Qt[A-Za-z]*/)")
    if(_qt_includes)
        message(FATAL_ERROR "${_file} includes Qt, but src/core must not: ${_qt_includes}")
    endif()
endforeach()
