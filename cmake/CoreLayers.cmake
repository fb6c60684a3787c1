# The core's folders form layers: a file may include from its own folder and from the layers
# below it, never from one above. The order, lowest first:
#
#   text, util  ->  files  ->  net  ->  settings  ->  sites  ->  workflow
#
# text and util are both at the bottom and need nothing of each other. The configure step stops
# with the offending line when a file breaks the order, so that no cycle can grow back.
set(_albumora_layers text util files net settings sites workflow)
set(_albumora_rank_text 0)
set(_albumora_rank_util 0)
set(_albumora_rank_files 1)
set(_albumora_rank_net 2)
set(_albumora_rank_settings 3)
set(_albumora_rank_sites 4)
set(_albumora_rank_workflow 5)

foreach(_layer IN LISTS _albumora_layers)
    file(GLOB_RECURSE _layer_files "${CMAKE_SOURCE_DIR}/src/core/${_layer}/*.h"
         "${CMAKE_SOURCE_DIR}/src/core/${_layer}/*.cpp" "${CMAKE_SOURCE_DIR}/src/core/${_layer}/*.inl")
    foreach(_file IN LISTS _layer_files)
        file(STRINGS "${_file}" _includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"core/[a-z]+/")
        foreach(_line IN LISTS _includes)
            string(REGEX REPLACE "^[^\"]*\"core/([a-z]+)/.*$" "\\1" _used "${_line}")
            if(_used STREQUAL _layer)
                continue()
            endif()
            if(NOT DEFINED _albumora_rank_${_used})
                message(FATAL_ERROR "${_file}: ${_line}\n  src/core/${_used} is no layer of the core; "
                                    "add it to cmake/CoreLayers.cmake")
            endif()
            if(NOT _albumora_rank_${_used} LESS _albumora_rank_${_layer})
                string(REPLACE ";" " -> " _order "${_albumora_layers}")
                message(FATAL_ERROR "${_file}: ${_line}\n  src/core/${_layer} may include only from the "
                                    "layers below it (${_order})")
            endif()
        endforeach()
    endforeach()
endforeach()
