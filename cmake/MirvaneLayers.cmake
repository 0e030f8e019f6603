# mirvane_layer_includes(<target> <folder>...)
#
# Gives a library of one layer its include directory: a folder under the build tree that
# shows only the named folders of the project (the layer itself and those it may use), so
# that `#include <folder/header.h>` of any other layer does not compile. Where links
# cannot be made (Windows without the right to make them), the project root serves and
# the direction goes unchecked.
function(mirvane_layer_includes target)
    list(JOIN ARGN "-" shown)
    set(view "${PROJECT_BINARY_DIR}/layers/${target}/${shown}")
    set(linked TRUE)
    foreach(folder IN LISTS ARGN)
        if(NOT IS_DIRECTORY "${view}/${folder}")
            file(MAKE_DIRECTORY "${view}")
            file(CREATE_LINK "${PROJECT_SOURCE_DIR}/${folder}" "${view}/${folder}" RESULT result SYMBOLIC)
            if(NOT result EQUAL 0)
                set(linked FALSE)
            endif()
        endif()
    endforeach()
    if(linked)
        target_include_directories(${target} PUBLIC "$<BUILD_INTERFACE:${view}>")
    else()
        target_include_directories(${target} PUBLIC "$<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>")
    endif()
endfunction()

# mirvane_layer_refuses(<library> <header>)
#
# A test that `#include <header>` does not compile with the include directory of
# <library>: the header belongs to a layer the library may not use. Only for compilers
# with GCC's options, and only where the layer views are links.
function(mirvane_layer_refuses library header)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        return()
    endif()
    get_target_property(includes ${library} INTERFACE_INCLUDE_DIRECTORIES)
    if(includes MATCHES "${PROJECT_SOURCE_DIR}>")
        return() # the project root serves: nothing to check
    endif()
    string(MAKE_C_IDENTIFIER "${library}_${header}" name)
    set(probe "${CMAKE_CURRENT_BINARY_DIR}/layer_probes/${name}.cpp")
    file(WRITE "${probe}" "#include <${header}>\n")
    add_test(NAME layers_${name}
             COMMAND ${CMAKE_CXX_COMPILER} -fsyntax-only
                     "-I$<JOIN:$<TARGET_PROPERTY:${library},INTERFACE_INCLUDE_DIRECTORIES>,;-I>" "${probe}"
             COMMAND_EXPAND_LISTS)
    string(REPLACE "." "\\." pattern "${header}")
    set_tests_properties(layers_${name} PROPERTIES LABELS layers
        PASS_REGULAR_EXPRESSION "${pattern}: No such file|'${pattern}' file not found")
endfunction()
