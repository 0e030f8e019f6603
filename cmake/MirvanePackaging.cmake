# The .deb and .rpm made by CPack from the install() rules (scripts/package).
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
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
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
    /usr/share/doc)
foreach(size 16 22 24 32 48 64 128 256)
    list(APPEND CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
         /usr/share/icons/hicolor/${size}x${size} /usr/share/icons/hicolor/${size}x${size}/apps)
endforeach()

include(CPack)
