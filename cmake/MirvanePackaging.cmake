# The .deb and .rpm (scripts/package) and the Windows installer (scripts/windows), made by CPack
# from the install() rules.
set(CPACK_PACKAGE_NAME mirvane)
set(CPACK_PACKAGE_VENDOR "Quorvik")
set(CPACK_PACKAGE_CONTACT "Mirvane maintainers <mirvane@quorvik.ru>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator of the Vorsen-A fire alarm control panel")
# No line may start with a dot: dpkg would read it as a control statement.
set(CPACK_PACKAGE_DESCRIPTION
"Mirvane reads the settings memory of the Vorsen-A addressable fire alarm
control panel over its USB-serial cable, lets an installer edit zones,
modules, detectors, outputs and the communicator, keeps configurations
in files and writes them back to the panel. mirvane-cli does the same
without the window; mirvane-panel stands in for the panel on a
pseudo-terminal.

Mirvane читает память настроек адресного прибора пожарной сигнализации
«Ворсен-А» через USB-кабель, позволяет править зоны, модули, извещатели,
выходы и коммуникатор, хранит конфигурации в файлах и записывает их
обратно в прибор.")
if(NOT WIN32)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The program's Tahoma stand-ins and Qt's own texts in Russian.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine, fonts-liberation2, qt6-translations-l10n")

set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_LICENSE "Proprietary")
set(CPACK_RPM_PACKAGE_GROUP "Applications/Engineering")
# Requirements by soname, so that one package serves every RPM distribution.
set(CPACK_RPM_PACKAGE_AUTOREQ ON)
set(CPACK_RPM_PACKAGE_AUTOPROV OFF)
set(CPACK_RPM_SPEC_MORE_DEFINE "%define _build_id_links none")
# Folders the system's own packages own.
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
    /usr/share/applications /usr/share/metainfo /usr/share/mime /usr/share/mime/packages
    /usr/share/man /usr/share/man/man1 /usr/share/bash-completion /usr/share/bash-completion/completions
    /usr/share/icons /usr/share/icons/hicolor /usr/share/icons/hicolor/scalable /usr/share/icons/hicolor/scalable/apps
    /usr/share/doc /usr/share/doc-base)
foreach(size 16 22 24 32 48 64 128 256)
    list(APPEND CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
         /usr/share/icons/hicolor/${size}x${size} /usr/share/icons/hicolor/${size}x${size}/apps)
endforeach()

if(WIN32)
    include(cmake/MirvaneWindowsRuntime.cmake)

    set(CPACK_PACKAGE_FILE_NAME "Mirvane-${PROJECT_VERSION}-win64")
    set(CPACK_PACKAGE_INSTALL_DIRECTORY Mirvane)
    # One key for every version, so that a newer installer replaces the older installation.
    set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Mirvane)
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
    set(CPACK_NSIS_PACKAGE_NAME Mirvane)
    set(CPACK_NSIS_DISPLAY_NAME "Mirvane ${PROJECT_VERSION}")
    set(CPACK_NSIS_INSTALLED_ICON_NAME mirvane.exe)
    set(CPACK_NSIS_CONTACT "${CPACK_PACKAGE_CONTACT}")
    set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
    set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
    # A 64-bit installer for a 64-bit program; it also runs where Wine has no 32-bit side.
    set(CPACK_NSIS_DEFINES "Target amd64-unicode")
    set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/dist/copyright")
    # The program writes "temp.tab" into its working folder: the shortcut's is the user's own
    # folder, which Program Files is not. The shell expands the variable when it starts it.
    # (Backslashes are doubled twice: once for this file, once for CPack's.)
    set(CPACK_NSIS_CREATE_ICONS_EXTRA "
  Push $OUTDIR
  StrCpy $OUTDIR '%USERPROFILE%'
  CreateShortCut '$SMPROGRAMS\\\\$STARTMENU_FOLDER\\\\Mirvane.lnk' '$INSTDIR\\\\mirvane.exe'
  Pop $OUTDIR")
    set(CPACK_NSIS_DELETE_ICONS_EXTRA "
  Delete '$SMPROGRAMS\\\\$MUI_TEMP\\\\Mirvane.lnk'")
endif()

include(CPack)
