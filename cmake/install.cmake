# Install rules: headers, the shared and static libraries, the formatter, a
# CMake package (find_package(zurbase CONFIG)) and pkg-config files.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ZURBASE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/zurbase)

set_target_properties(zurformat PROPERTIES EXPORT_NAME format)
install(TARGETS zurbase zurcore zurformat zurerrors zurbase_static zurcore_static zurbase_start_archive
        EXPORT zurbaseTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/zurbase DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(WIN32)
  # For linkers that build import libraries themselves, and for a sibling
  # run-time that replaces zurcore.dll under the same ordinals.
  install(FILES ${PROJECT_SOURCE_DIR}/platform/zurbase.def ${PROJECT_SOURCE_DIR}/zurcore/zurcore.def
          DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()

install(EXPORT zurbaseTargets NAMESPACE zurbase:: DESTINATION ${ZURBASE_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/zurbaseConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/zurbaseConfig.cmake
                              INSTALL_DESTINATION ${ZURBASE_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/zurbaseConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/zurbaseConfig.cmake ${PROJECT_BINARY_DIR}/zurbaseConfigVersion.cmake
        DESTINATION ${ZURBASE_CMAKE_DIR})

# pkg-config files that find the prefix from their own place, so the tree
# can be installed or moved anywhere.
file(RELATIVE_PATH ZURBASE_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig
     ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" ZURBASE_PC_TO_PREFIX "${ZURBASE_PC_TO_PREFIX}")
foreach(pc zurbase zurcore)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${pc}.pc.in ${PROJECT_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()
