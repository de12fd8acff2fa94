# The download of one Windows build, made by CPack's ZIP generator:
# SpectrumAnalyser-<version>-win32.zip or -win64.zip in ANALYSER_DIST_DIR,
# one top folder of the same name holding the stripped program, the user's
# guide, README.txt (CRLF) and COPYING. tools/session.sh (package_windows)
# runs cpack for both builds and writes SHA256SUMS beside the zips.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(DOWNLOAD_ARCH win64)
else()
  set(DOWNLOAD_ARCH win32)
endif()
set(ANALYSER_DIST_DIR "${CMAKE_SOURCE_DIR}/build/dist" CACHE PATH
    "Folder that receives the zips of the Windows builds")
set(DOWNLOAD_NAME "SpectrumAnalyser-${PROJECT_VERSION}-${DOWNLOAD_ARCH}")

set(license /usr/share/common-licenses/GPL-3)
if(NOT EXISTS ${license})
  message(FATAL_ERROR "${license} is missing (Debian's base-files holds it)")
endif()
configure_file(resources/README.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)

install(TARGETS spectrum RUNTIME DESTINATION .)
install(FILES "resources/help spectrum.htm" ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)
install(FILES ${license} DESTINATION . RENAME COPYING)

set(CPACK_GENERATOR ZIP)
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_PACKAGE_NAME SpectrumAnalyser)
set(CPACK_PACKAGE_FILE_NAME ${DOWNLOAD_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/cpack)
set(CPACK_OUTPUT_FILE_PREFIX ${ANALYSER_DIST_DIR})
include(CPack)
