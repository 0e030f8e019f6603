# mirvane_add_test(NAME <name> SOURCES <files...> LIBRARIES <targets...>
#                  [LABELS <labels...>] [TIMEOUT <seconds>] [WINDOWS])
#
# Builds a Qt Test executable and registers it with CTest. Core tests run on the
# offscreen platform so they need no display; WINDOWS tests show real windows on
# the display they are given (Xvfb in CI).
function(mirvane_add_test)
    cmake_parse_arguments(PARSE_ARGV 0 arg "WINDOWS" "NAME;TIMEOUT" "SOURCES;LIBRARIES;LABELS")
    if(NOT arg_NAME OR NOT arg_SOURCES)
        message(FATAL_ERROR "mirvane_add_test: NAME and SOURCES are required")
    endif()
    if(arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "mirvane_add_test: unexpected arguments: ${arg_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT arg_TIMEOUT)
        set(arg_TIMEOUT 120)
    endif()

    add_executable(${arg_NAME} ${arg_SOURCES})
    target_link_libraries(${arg_NAME} PRIVATE Qt6::Test ${arg_LIBRARIES})
    target_include_directories(${arg_NAME} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests/common)

    add_test(NAME ${arg_NAME} COMMAND ${arg_NAME})
    set_tests_properties(${arg_NAME} PROPERTIES LABELS "${arg_LABELS}" TIMEOUT ${arg_TIMEOUT})
    if(NOT arg_WINDOWS)
        set_tests_properties(${arg_NAME} PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
    else()
        # One display for all: two suites at once would take the focus from each other.
        set_tests_properties(${arg_NAME} PROPERTIES RESOURCE_LOCK display)
    endif()
endfunction()
