# Install rules: the shared library with its CMake package and pkg-config file,
# the public headers only, the vo host (vo-secmaster with VO_INSTALL_TOOLS) and
# the documentation.
include(CMakePackageConfigHelpers)

install(TARGETS voservices_shared EXPORT voservicesTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY include/voservices DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h")
install(TARGETS vo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(VO_INSTALL_TOOLS)
  install(TARGETS vo-secmaster RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

set(VO_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/voservices)
install(EXPORT voservicesTargets NAMESPACE voservices:: DESTINATION ${VO_CMAKE_DIR})
configure_package_config_file(cmake/voservicesConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/voservicesConfig.cmake INSTALL_DESTINATION ${VO_CMAKE_DIR})
# 0.x releases keep the ABI of SONAME 0, so any 0.y at least the one asked for will do.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/voservicesConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/voservicesConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/voservicesConfigVersion.cmake DESTINATION ${VO_CMAKE_DIR})

# The .pc file finds its prefix from where it lies, so a staged or relocated
# install (cmake --install --prefix P) stays right.
file(RELATIVE_PATH VO_PC_PREFIX_FROM_PCDIR
  /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(cmake/voservices.pc.in ${CMAKE_CURRENT_BINARY_DIR}/voservices.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/voservices.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(FILES README.md LICENSE CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR})
