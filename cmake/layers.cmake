# The layering of the folders, as the build enforces it.
#
# Every folder is a library that links only the folders below it. A target compiles with an include
# folder of its own in the build tree (layers/TARGET), which holds links to exactly its own folder and
# the folders of what it links, and to nothing else: an include of a folder above fails to compile.
# Programs outside the layers (tests, benchmarks, fuzz targets, tools) use the umbrella libraries
# torvcore and torvgui, which see everything.

# The folders a target sees: its own, then all those of the libraries it links.
define_property(TARGET PROPERTY TORV_FOLDERS BRIEF_DOCS "Source folders the target may include"
                FULL_DOCS "Its own folder and those of the layer libraries it links.")

# torv_layer(TARGET FOLDER [DEPENDS layer libraries...]): links TARGET to the layer libraries and gives
# it the include folder that holds FOLDER and theirs.
function(torv_layer target folder)
    cmake_parse_arguments(PARSE_ARGV 2 ARG "" "" "DEPENDS")
    set(folders ${folder})
    foreach(dependency ${ARG_DEPENDS})
        get_target_property(seen ${dependency} TORV_FOLDERS)
        list(APPEND folders ${seen})
    endforeach()
    list(REMOVE_DUPLICATES folders)
    set_target_properties(${target} PROPERTIES TORV_FOLDERS "${folders}")
    set(view ${PROJECT_BINARY_DIR}/layers/${target})
    file(MAKE_DIRECTORY ${view})
    foreach(seen ${folders})
        if(NOT EXISTS ${view}/${seen})
            file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${seen} ${view}/${seen} SYMBOLIC COPY_ON_ERROR)
        endif()
    endforeach()
    target_include_directories(${target} PRIVATE ${view})
    target_link_libraries(${target} PUBLIC ${ARG_DEPENDS})
endfunction()

# torv_library(NAME FOLDER SOURCES files... [DEPENDS layer libraries...]): a static library of the
# folder's files, linking the libraries below it. Further links (Qt, libgensio) are added by the caller.
function(torv_library name folder)
    cmake_parse_arguments(PARSE_ARGV 2 ARG "" "" "SOURCES;DEPENDS")
    add_library(${name} STATIC ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE torv_warnings)
    torv_layer(${name} ${folder} DEPENDS ${ARG_DEPENDS})
endfunction()
