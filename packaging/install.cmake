# What `cmake --install` puts where, under any prefix and with DESTDIR staging. The program finds
# its data files in ../share/snapvault/ relative to its own folder, so bin/ and share/ keep these
# names whatever the platform's conventions for other layouts.
set(SVX_APP_ID org.fennmoor.Snapvault)

install(TARGETS snapvault RUNTIME DESTINATION bin)
install(FILES resources/Svx.hlp DESTINATION share/snapvault)

install(FILES resources/icons/${SVX_APP_ID}.svg DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES resources/icons/${SVX_APP_ID}-${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${SVX_APP_ID}.png)
endforeach()

configure_file(packaging/${SVX_APP_ID}.metainfo.xml.in ${SVX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${SVX_APP_ID}.metainfo.xml DESTINATION share/metainfo)

# Documentation as Debian expects it: compressed reproducibly, the changelog of a native package.
function(svx_install_gzipped source destination)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${name}.gz
    COMMAND gzip -n -9 -c ${source} > ${name}.gz DEPENDS ${source} VERBATIM)
  set_property(GLOBAL APPEND PROPERTY SVX_GZIPPED ${CMAKE_BINARY_DIR}/${name}.gz)
  install(FILES ${CMAKE_BINARY_DIR}/${name}.gz DESTINATION ${destination})
endfunction()
configure_file(packaging/changelog.in changelog @ONLY)
svx_install_gzipped(${CMAKE_BINARY_DIR}/changelog share/doc/snapvault)
svx_install_gzipped(${CMAKE_SOURCE_DIR}/packaging/snapvault.1 share/man/man1)
# Everything the install rules take from the build folder besides the program.
get_property(svx_gzipped GLOBAL PROPERTY SVX_GZIPPED)
add_custom_target(svx_install_files ALL DEPENDS ${svx_gzipped})
install(FILES packaging/copyright DESTINATION share/doc/snapvault)

# The prefix is known only when installing (`cmake --install --prefix`): the launcher names the
# installed program by its full path, and the installation folder that makes the program offer
# start at login goes to the system's XDG configuration folder (/etc/xdg for /usr).
install(CODE "
  set(SVX_INSTALLED_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/bin/snapvault\")
  configure_file(\"${CMAKE_SOURCE_DIR}/packaging/${SVX_APP_ID}.desktop.in\"
                 \"${CMAKE_BINARY_DIR}/installed/${SVX_APP_ID}.desktop\" @ONLY)
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/applications\" TYPE FILE
       FILES \"${CMAKE_BINARY_DIR}/installed/${SVX_APP_ID}.desktop\")
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    set(svx_xdg_config \"/etc/xdg\")
  else()
    set(svx_xdg_config \"\${CMAKE_INSTALL_PREFIX}/etc/xdg\")
  endif()
  file(MAKE_DIRECTORY \"${CMAKE_BINARY_DIR}/installed/${SVX_VERSION_TEXT}\")
  file(INSTALL DESTINATION \"\${svx_xdg_config}/Fennmoor/Snapvault\" TYPE DIRECTORY
       FILES \"${CMAKE_BINARY_DIR}/installed/${SVX_VERSION_TEXT}\")
")
