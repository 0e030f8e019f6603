# What the Windows programs need beside them, and no more: the Qt libraries they link, the Qt
# plugins they load (the Windows platform and its style, SVG pictures; printing is part of
# Qt's PrintSupport library there) and the MinGW runtime the compiler links everything against.
install(IMPORTED_RUNTIME_ARTIFACTS
            Qt6::Core Qt6::Gui Qt6::Widgets Qt6::PrintSupport Qt6::SerialPort Qt6::Svg
        RUNTIME DESTINATION ${MIRVANE_PROGRAM_DIR})

# Qt looks for each plugin in a folder named after its kind, beside the program.
foreach(plugin_and_kind
        QWindowsIntegrationPlugin:platforms
        QWindowsVistaStylePlugin:styles
        QSvgPlugin:imageformats
        QSvgIconPlugin:iconengines)
    string(REPLACE ":" ";" plugin_and_kind "${plugin_and_kind}")
    list(GET plugin_and_kind 0 plugin)
    list(GET plugin_and_kind 1 kind)
    if(NOT TARGET Qt6::${plugin})
        message(FATAL_ERROR "This Qt has no ${plugin}, which the Windows programs load")
    endif()
    install(IMPORTED_RUNTIME_ARTIFACTS Qt6::${plugin} LIBRARY DESTINATION ${MIRVANE_PROGRAM_DIR}/${kind})
endforeach()

if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    foreach(library libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${library}
                        OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
            message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${library} is")
        endif()
        install(FILES "${found}" DESTINATION ${MIRVANE_PROGRAM_DIR})
    endforeach()
endif()
