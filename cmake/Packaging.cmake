# The release packages: on Linux the Debian package (CPack), on Windows the portable zip and the
# per-user installer (target win32-packages). scripts/package turns this on in its own build
# trees; everywhere else it is off, so ordinary builds and `cmake --install` stay as they are.
# The version is the project's, and the date is SOURCE_DATE_EPOCH's when it is set, so a rebuild
# of the same sources gives the same texts.
option(BRIVANTO_PACKAGE "Set up the release packages (scripts/package)" OFF)
if(NOT BRIVANTO_PACKAGE)
  return()
endif()
if(NOT BRIVANTO_BUILD_PROGRAM)
  message(FATAL_ERROR "BRIVANTO_PACKAGE needs the program: set BRIVANTO_BUILD_PROGRAM ON")
endif()

set(BRIVANTO_PACKAGING_SOURCE ${CMAKE_SOURCE_DIR}/packaging)
set(BRIVANTO_PACKAGING_BINARY ${CMAKE_BINARY_DIR}/packaging)
set(BRIVANTO_COPYRIGHT_HOLDER "The BrivantoRepairDb developers")
string(TIMESTAMP BRIVANTO_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP BRIVANTO_RELEASE_TIME "%a, %d %b %Y %H:%M:%S +0000" UTC)

if(WIN32)
  find_program(BRIVANTO_MAKENSIS makensis REQUIRED)
  find_program(BRIVANTO_ZIP zip)

  set(top BrivantoRepairDb-${PROJECT_VERSION})
  set(stage ${BRIVANTO_PACKAGING_BINARY}/stage)
  set(texts ${BRIVANTO_PACKAGING_BINARY}/texts)
  set(zip_file ${BRIVANTO_PACKAGING_BINARY}/${top}-win32.zip)
  set(setup_file ${BRIVANTO_PACKAGING_BINARY}/${top}-win32-setup.exe)
  file(MAKE_DIRECTORY ${stage})

  # Notepad before Windows 10 shows a text without CR LF as one long line.
  configure_file(${BRIVANTO_PACKAGING_SOURCE}/windows/LEESMIJ.txt.in ${texts}/LEESMIJ.txt
                 @ONLY NEWLINE_STYLE CRLF)
  configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${texts}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)

  if(BRIVANTO_ZIP)
    set(zip_command ${BRIVANTO_ZIP} -X -q -r -9 ${zip_file} ${top})
  else()
    set(zip_command ${CMAKE_COMMAND} -E tar cf ${zip_file} --format=zip ${top})
  endif()
  add_custom_command(
    OUTPUT ${zip_file} ${setup_file}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}/${top} ${zip_file} ${setup_file}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/${top}
    COMMAND ${CMAKE_STRIP} --strip-all -o ${stage}/${top}/BrivantoRepairDb.exe
            $<TARGET_FILE:BrivantoRepairDb>
    COMMAND ${CMAKE_COMMAND} -E copy ${texts}/LEESMIJ.txt ${texts}/LICENSE.txt ${stage}/${top}
    COMMAND ${zip_command}
    COMMAND ${BRIVANTO_MAKENSIS} -V2 -DPRODUCT_VERSION=${PROJECT_VERSION}
            -DSOURCE_DIR=${stage}/${top}
            -DICON_FILE=${CMAKE_SOURCE_DIR}/src/frontends/win32/icons/database.ico
            -DOUTPUT_FILE=${setup_file} ${BRIVANTO_PACKAGING_SOURCE}/windows/BrivantoRepairDb.nsi
    WORKING_DIRECTORY ${stage}
    DEPENDS BrivantoRepairDb ${texts}/LEESMIJ.txt ${texts}/LICENSE.txt
            ${BRIVANTO_PACKAGING_SOURCE}/windows/BrivantoRepairDb.nsi
            ${CMAKE_SOURCE_DIR}/src/frontends/win32/icons/database.ico
    COMMENT "Packing ${top}-win32.zip and ${top}-win32-setup.exe"
    VERBATIM)
  add_custom_target(win32-packages DEPENDS ${zip_file} ${setup_file})
  return()
endif()

# The Debian package. Its paths are written into the driver registration, so it is built for the
# prefix it installs into.
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "The Debian package installs into /usr: configure with "
                      "-DCMAKE_INSTALL_PREFIX=/usr (now ${CMAKE_INSTALL_PREFIX})")
endif()
find_program(BRIVANTO_GZIP gzip REQUIRED)

set(CPACK_PACKAGE_NAME brivantorepairdb)
set(CPACK_PACKAGE_CONTACT "${BRIVANTO_COPYRIGHT_HOLDER} <brivantorepairdb@example.org>")
set(app_id nl.brivanto.brivantorepairdb)
set(component ${CPACK_PACKAGE_NAME})
set(deb ${BRIVANTO_PACKAGING_BINARY}/deb)
# The stand-in is no library for others to link: it lives in the package's own folder, and
# unixODBC finds it through the full path in odbcinst.ini.
set(private_libdir ${CMAKE_INSTALL_LIBDIR}/${CPACK_PACKAGE_NAME})
set(BRIVANTO_STANDIN_PATH
    ${CMAKE_INSTALL_PREFIX}/${private_libdir}/${CMAKE_SHARED_MODULE_PREFIX}brivanto-access-odbc${CMAKE_SHARED_MODULE_SUFFIX})
set(BRIVANTO_ODBCINST_TEMPLATE
    ${CMAKE_INSTALL_FULL_DATADIR}/${CPACK_PACKAGE_NAME}/access-driver.odbcinst.ini)
get_target_property(standin_prefix brivanto-access-odbc PREFIX)
get_target_property(standin_name brivanto-access-odbc OUTPUT_NAME)
if(NOT BRIVANTO_STANDIN_PATH MATCHES "/${standin_prefix}${standin_name}${CMAKE_SHARED_MODULE_SUFFIX}$")
  message(FATAL_ERROR "The stand-in is built as ${standin_prefix}${standin_name}: update "
                      "BRIVANTO_STANDIN_PATH in ${CMAKE_CURRENT_LIST_FILE}")
endif()

configure_file(${BRIVANTO_PACKAGING_SOURCE}/linux/odbcinst.ini.in
               ${deb}/access-driver.odbcinst.ini @ONLY)
configure_file(${BRIVANTO_PACKAGING_SOURCE}/linux/postinst.in ${deb}/control/postinst @ONLY)
configure_file(${BRIVANTO_PACKAGING_SOURCE}/linux/prerm.in ${deb}/control/prerm @ONLY)
configure_file(${BRIVANTO_PACKAGING_SOURCE}/linux/${app_id}.metainfo.xml.in
               ${deb}/${app_id}.metainfo.xml @ONLY)

# Compressed as Debian wants them, without a name or time stamp in the gzip header.
function(brivanto_gzipped source output)
  configure_file(${source} ${output} @ONLY)
  execute_process(COMMAND ${BRIVANTO_GZIP} -9 -n -f ${output} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip ${output} failed")
  endif()
endfunction()
brivanto_gzipped(${BRIVANTO_PACKAGING_SOURCE}/linux/BrivantoRepairDb.1.in
                 ${deb}/man/BrivantoRepairDb.1)
brivanto_gzipped(${BRIVANTO_PACKAGING_SOURCE}/linux/changelog.in ${deb}/doc/changelog)

# The machine-readable copyright file, with the licence text of LICENSE.
file(STRINGS ${CMAKE_SOURCE_DIR}/LICENSE license_lines)
set(license_body "")
set(copyright_line "")
foreach(line IN LISTS license_lines)
  if(line MATCHES "^Copyright \\(c\\) (.+)$")
    set(copyright_line "${CMAKE_MATCH_1}")
  elseif(copyright_line)
    if(line STREQUAL "")
      string(APPEND license_body " .\n")
    else()
      string(APPEND license_body " ${line}\n")
    endif()
  endif()
endforeach()
if(NOT copyright_line)
  message(FATAL_ERROR "LICENSE has no \"Copyright (c) YEAR HOLDER\" line")
endif()
string(REGEX REPLACE "^ \\.\n" "" license_body "${license_body}")
file(WRITE ${deb}/doc/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: BrivantoRepairDb\n"
  "\n"
  "Files: *\n"
  "Copyright: ${copyright_line}\n"
  "License: Expat\n"
  "${license_body}")

install(TARGETS BrivantoRepairDb RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT ${component} EXCLUDE_FROM_ALL)
install(TARGETS brivanto-access-odbc
        LIBRARY DESTINATION ${private_libdir}
                PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
        COMPONENT ${component} EXCLUDE_FROM_ALL)
install(FILES ${deb}/access-driver.odbcinst.ini
        DESTINATION ${CMAKE_INSTALL_DATADIR}/${CPACK_PACKAGE_NAME}
        COMPONENT ${component} EXCLUDE_FROM_ALL)
install(FILES ${BRIVANTO_PACKAGING_SOURCE}/linux/${app_id}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT ${component} EXCLUDE_FROM_ALL)
install(FILES ${deb}/${app_id}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT ${component} EXCLUDE_FROM_ALL)
install(FILES ${BRIVANTO_PACKAGING_SOURCE}/linux/${app_id}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        COMPONENT ${component} EXCLUDE_FROM_ALL)
install(FILES ${deb}/man/BrivantoRepairDb.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT ${component} EXCLUDE_FROM_ALL)
install(FILES ${deb}/doc/copyright ${deb}/doc/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME}
        COMPONENT ${component} EXCLUDE_FROM_ALL)
if(EXISTS ${BRIVANTO_PACKAGING_SOURCE}/linux/lintian-overrides)
  install(FILES ${BRIVANTO_PACKAGING_SOURCE}/linux/lintian-overrides
          DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${CPACK_PACKAGE_NAME}
          COMPONENT ${component} EXCLUDE_FROM_ALL)
endif()

set(CPACK_GENERATOR DEB)
# Quotes and line breaks of the description reach the control file as written.
set(CPACK_VERBATIM_VARIABLES ON)
# Only this component: the tree's plain install rules (program in bin, stand-in in lib) stay out.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};${component};/")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_DIRECTORY ${BRIVANTO_PACKAGING_BINARY}/cpack)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${BRIVANTO_COPYRIGHT_HOLDER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "repareert de Access-database van Brivanto via ODBC")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Het hulpmiddel van de supportmedewerkers voor de Access-database (.mdb)\n"
    "van het kantoorprogramma Brivanto. Het repareert het bestand via het\n"
    "ODBC-stuurprogramma \"Microsoft Access Driver (*.mdb)\", maakt eerst een\n"
    "kopie ernaast en houdt een repairlog bij met de gebruikers die nog als\n"
    "aangemeld staan. Het venster toont ook de map voor images en een\n"
    "SQL-console; --repair werkt zonder venster.\n"
    "\n"
    "Het pakket registreert onder die naam een vervanger van het\n"
    "Access-stuurprogramma: SQLite-bestanden behandelt hij zelf, echte\n"
    "Access-bestanden (Jet) kan hij met MDB Tools (aanbevolen) alleen lezen.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside what dpkg-shlibdeps finds: the installer library the program calls (also linked, named
# here so the registration cannot lose it), the odbcinst tool the maintainer scripts run, and
# the SQLite driver the stand-in loads by its path at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libodbcinst2, odbcinst, libsqliteodbc")
# MDB Tools, to which the stand-in hands real Access (Jet) files; Qt's Dutch texts for its own
# dialogs; Liberation Sans, the font with Tahoma-like widths the window's captions are made for.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "odbc-mdbtools, qt6-translations-l10n, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${deb}/control/postinst ${deb}/control/prerm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
