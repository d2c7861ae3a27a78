# Release packages, made by cpack (scripts/package): on Linux vkrandom_<version>_amd64.deb,
# in the Windows build VKRandom-<version>-win64.zip, one flat folder a robot owner unzips and
# starts VKRandom.exe from. The catalogue sits beside the programs there because the program
# reads it from the folder it was started in, and Explorer starts it in its own folder.
# cpack must run under a UTF-8 locale: the guide's file name is Japanese.

set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VKRandom developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Random-choice editor for Vesk robot programs")
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_SOURCE_DIR}/dist)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/cpack)

# Executable targets of the project whose file name (without .exe) is one of `names`.
function(vkrandom_programs_named out)
  set(found)
  set(dirs ${CMAKE_SOURCE_DIR})
  while(dirs)
    list(POP_FRONT dirs dir)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    list(APPEND dirs ${subdirs})
    foreach(target IN LISTS targets)
      get_target_property(type ${target} TYPE)
      get_target_property(file_name ${target} OUTPUT_NAME)
      if(NOT file_name)
        set(file_name ${target})
      endif()
      if(type STREQUAL "EXECUTABLE" AND file_name IN_LIST ARGN)
        list(APPEND found ${target})
      endif()
    endforeach()
  endwhile()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  # Only the `release` component goes into the zip: the programs' own install rules keep the
  # usual bin/ layout for `cmake --install`.
  vkrandom_programs_named(programs VKRandom vkrandom-cli)
  if(programs)
    install(TARGETS ${programs} RUNTIME DESTINATION . COMPONENT release)
  endif()
  # The guide names the version; its BOM and CR LF line ends are kept for Notepad.
  set(guide "${CMAKE_BINARY_DIR}/packaging/はじめにお読みください.txt")
  configure_file("${CMAKE_SOURCE_DIR}/packaging/windows/はじめにお読みください.txt.in" "${guide}" @ONLY
                 NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_SOURCE_DIR}/demo/Random.csv "${guide}" ${CMAKE_SOURCE_DIR}/LICENSE
          DESTINATION . COMPONENT release)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/demo/robot DESTINATION . COMPONENT release)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME VKRandom)
  set(CPACK_PACKAGE_FILE_NAME VKRandom-${PROJECT_VERSION}-win64)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL release)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  include(GNUInstallDirs)
  set(data ${CMAKE_INSTALL_DATADIR}/vkrandom)
  # The demo's catalogue also lies in the package's data folder, the last place the program
  # looks for one: started from the menu, in the home folder, it finds that one.
  install(FILES ${CMAKE_SOURCE_DIR}/demo/Random.csv DESTINATION ${data})
  install(FILES ${CMAKE_SOURCE_DIR}/demo/Random.csv DESTINATION ${data}/demo)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/demo/robot DESTINATION ${data}/demo)
  # The build tree holds it where an installed program finds it (bin/../share), for --demo.
  file(COPY ${CMAKE_SOURCE_DIR}/demo/Random.csv ${CMAKE_SOURCE_DIR}/demo/robot
       DESTINATION ${CMAKE_BINARY_DIR}/share/vkrandom/demo)

  # Debian's documents: the copyright (LICENSE in the machine-readable form), the changelog,
  # the man pages (gzipped without a time stamp), and the Japanese guide for Linux.
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "VKRandom developers <vkrandom@example.org>")
  set(docs ${CMAKE_BINARY_DIR}/packaging)
  file(READ ${CMAKE_SOURCE_DIR}/LICENSE license_text)
  string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" copyright_holder "${license_text}")
  set(copyright_holder ${CMAKE_MATCH_1})
  string(REGEX REPLACE "^.*Copyright[^\n]*\n\n" "" license_text "${license_text}")
  string(STRIP "${license_text}" license_text)
  string(REPLACE "\n\n" "\n.\n" license_text "${license_text}")
  string(REPLACE "\n" "\n " license_text " ${license_text}")
  configure_file(${CMAKE_SOURCE_DIR}/packaging/linux/copyright.in ${docs}/copyright @ONLY)
  string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)  # or SOURCE_DATE_EPOCH
  configure_file(${CMAKE_SOURCE_DIR}/packaging/linux/changelog.in ${docs}/changelog @ONLY)
  set(gzipped)
  foreach(page vkrandom vkrandom-cli vkrandom-card-emulator)
    configure_file(${CMAKE_SOURCE_DIR}/packaging/linux/man/${page}.1.in ${docs}/${page}.1 @ONLY)
    list(APPEND gzipped ${docs}/${page}.1)
  endforeach()
  list(APPEND gzipped ${docs}/changelog)
  list(TRANSFORM gzipped APPEND .gz OUTPUT_VARIABLE gzipped_out)
  add_custom_command(OUTPUT ${gzipped_out} COMMAND gzip -9nkf ${gzipped} DEPENDS ${gzipped})
  add_custom_target(vkrandom-package-docs ALL DEPENDS ${gzipped_out})
  list(POP_BACK gzipped_out changelog_gz)
  install(FILES ${gzipped_out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${docs}/copyright ${changelog_gz}
                "${CMAKE_SOURCE_DIR}/packaging/linux/はじめにお読みください.txt"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vkrandom)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME vkrandom)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_PACKAGE_DESCRIPTION
      "Switches each random place of a Vesk robot program between random and one\n\
fixed choice, on an SD card, over USB or on a FlashAir Wi-Fi card.\n\
Japanese interface. The demo (vkrandom --demo, or its own menu entry) is\n\
a sample robot folder and catalogue, copied for the user on first use.")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # What the programs' links cannot show: a font with Japanese glyphs, Qt's own dialog texts
  # in Japanese, and the theme that gives the desktop portal's native file dialog.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-noto-cjk | fonts-japanese-gothic, qt6-translations-l10n, qt6-xdgdesktopportal-platformtheme")
endif()

include(CPack)
