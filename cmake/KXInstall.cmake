# Installation for embedding programs: libKXPlayer.so, the headers of the exported classes with the
# headers they include (the engine folders keep their layout under include/KXPlayer), the Qt windows
# (libKXPlayerQt.so and its headers), and a CMake package configuration, so that find_package(KXPlayer)
# gives the imported target KXPlayer::KXPlayer, and with the component Qt also KXPlayer::Qt.
include(CMakePackageConfigHelpers)
include(GNUInstallDirs)

set(KX_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/KXPlayer)
set(KX_INSTALL_CONFIGDIR ${CMAKE_INSTALL_LIBDIR}/cmake/KXPlayer)

install(TARGETS kxplayer kxplayer_qt LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
# The sound backend's headers (SDL) stay out: the library chooses its sound itself. The Qt windows'
# headers are in: an embedding program makes its video widgets with them.
foreach(dir ${KX_ENGINE_DIRS} platform platform/qt)
  file(GLOB dir_headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.h)
  install(FILES ${dir_headers} DESTINATION ${KX_INSTALL_INCLUDEDIR}/${dir})
endforeach()

configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/KXPlayerConfig.cmake.in
  ${CMAKE_BINARY_DIR}/KXPlayerConfig.cmake
  INSTALL_DESTINATION ${KX_INSTALL_CONFIGDIR}
  PATH_VARS KX_INSTALL_INCLUDEDIR CMAKE_INSTALL_LIBDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/KXPlayerConfigVersion.cmake
  VERSION 1.0.0 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/KXPlayerConfig.cmake ${CMAKE_BINARY_DIR}/KXPlayerConfigVersion.cmake
  DESTINATION ${KX_INSTALL_CONFIGDIR})
