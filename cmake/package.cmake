# The Debian package (`make package`): the program, the libretro core, the
# ROM sets and demo.elf under share/bevorel, the desktop entry, icons,
# AppStream metainfo, the manual page, the copyright and changelog files.
# CPack's DEB generator packs what these install rules install; dpkg-shlibdeps
# works out the libraries it depends on.

set(package_files ${CMAKE_SOURCE_DIR}/tools/package)
set(package_build ${CMAKE_BINARY_DIR}/package)

# The icon at the theme's sizes and the changelog compressed as Debian keeps
# it (gzip -9n: no name or time inside, so the same every build); app/ makes
# the manual page's bevorel.6.gz.
set(icon_sizes 16 32 48 64 128 256)
add_executable(make_icon ${package_files}/make_icon.cpp)
target_link_libraries(make_icon PRIVATE romset)
set(icons)
foreach(size ${icon_sizes})
  list(APPEND icons ${package_build}/icons/${size}.png)
endforeach()
add_custom_command(OUTPUT ${icons}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${package_build}/icons
  COMMAND make_icon ${package_build}/icons ${icon_sizes}
  DEPENDS make_icon VERBATIM)
add_custom_command(OUTPUT ${package_build}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${package_build}
  COMMAND sh -c "gzip -9n < ${package_files}/changelog > ${package_build}/changelog.gz"
  DEPENDS ${package_files}/changelog VERBATIM)
add_custom_target(package_files ALL DEPENDS ${icons} ${package_build}/changelog.gz)
add_dependencies(package_files man_page)  # bevorel.6.gz

install(TARGETS bevorel RUNTIME DESTINATION bin COMPONENT program)
install(FILES ${package_files}/bevorel.desktop DESTINATION share/applications COMPONENT program)
install(FILES ${package_files}/bevorel.metainfo.xml DESTINATION share/metainfo
        RENAME invalid.users.bevorel.metainfo.xml COMPONENT program)
foreach(size ${icon_sizes})
  install(FILES ${package_build}/icons/${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME bevorel.png COMPONENT program)
endforeach()
install(FILES ${package_build}/bevorel.6.gz DESTINATION share/man/man6 COMPONENT program)
install(FILES ${package_files}/copyright ${package_build}/changelog.gz DESTINATION share/doc/bevorel
        COMPONENT program)
install(FILES ${package_files}/lintian-overrides DESTINATION share/lintian/overrides RENAME bevorel
        COMPONENT program)
if(BEVOREL_ROMS_BUILT)
  install(DIRECTORY ${DEMO_ROM_BASE}/Roms/ DESTINATION share/bevorel/Roms COMPONENT program)
  install(DIRECTORY ${SELFTEST_ROM_BASE}/Roms/ DESTINATION share/bevorel/selftest/Roms COMPONENT program)
  install(DIRECTORY ${CALLS_ROM_BASE}/Roms/ DESTINATION share/bevorel/calls/Roms COMPONENT program)
  install(FILES ${CMAKE_BINARY_DIR}/bevorel-demo.zip ${CMAKE_BINARY_DIR}/bevorel-selftest.zip
                ${CMAKE_BINARY_DIR}/bevorel-calls.zip ${DEMO_ROM_BASE}/demo.elf
          DESTINATION share/bevorel COMPONENT program)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME bevorel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The BeVorel developers <bevorel@users.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "emulator and debugger of a 68000 sprite arcade board")
set(CPACK_PACKAGE_DESCRIPTION
"An exact emulator of one arcade board: a 68000 at 8 MHz and a picture made
of 480 sprites over one background colour. It plays the board's game and a
homebrew demo that comes with it, and it is built for studying 68000 code:
a console monitor with a disassembler, a workbench window, a gdb stub with
reverse execution, rewind, movies and save states. The package also holds
the board as a libretro core for RetroArch.")
set(CPACK_DEBIAN_PACKAGE_SECTION otherosfs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL program libretro)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
