# The download of one Windows build, staged by CPack and zipped by
# cmake/ZipDownload.cmake (the reason it is not CPack's ZIP generator is
# there): SpectrumAnalyser-<version>-win32.zip or -win64.zip in
# ANALYSER_DIST_DIR, one top folder of the same name holding the stripped
# program, the user's guide, README.txt (CRLF) and COPYING (the GPL version 3
# as the repository holds it, not the build host's copy), each dated at the
# last commit. tools/session.sh (package_windows) runs cpack for both builds
# and writes SHA256SUMS and BUILDINFO.txt beside the zips.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(DOWNLOAD_ARCH win64)
else()
  set(DOWNLOAD_ARCH win32)
endif()
set(ANALYSER_DIST_DIR "${CMAKE_SOURCE_DIR}/build/dist" CACHE PATH
    "Folder that receives the zips of the Windows builds")
set(DOWNLOAD_NAME "SpectrumAnalyser-${PROJECT_VERSION}-${DOWNLOAD_ARCH}")

configure_file(resources/README.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
find_program(ZIP zip REQUIRED)
# The tools whose versions the download's bytes depend on, one path a line,
# for BUILDINFO.txt: the compiler, the driver that links the program
# (app/CMakeLists.txt), the resource compiler, strip and zip.
file(WRITE ${CMAKE_BINARY_DIR}/download-tools.txt
     "${CMAKE_CXX_COMPILER}\n${WIN32_MODEL_CXX}\n${CMAKE_RC_COMPILER}\n${CMAKE_STRIP}\n${ZIP}\n")

# cpack installs what is built and builds nothing more: a release needs the
# program alone, not the tests (tools/session.sh, package_windows).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
install(TARGETS spectrum RUNTIME DESTINATION .)
install(FILES "resources/help spectrum.htm" ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)
install(FILES COPYING DESTINATION .)

set(CPACK_GENERATOR External)
set(CPACK_EXTERNAL_REQUESTED_VERSIONS 1.0)
set(CPACK_EXTERNAL_ENABLE_STAGING ON)
set(CPACK_EXTERNAL_PACKAGE_SCRIPT ${CMAKE_SOURCE_DIR}/cmake/ZipDownload.cmake)
set(CPACK_ANALYSER_SOURCE_DIR ${CMAKE_SOURCE_DIR})
set(CPACK_ANALYSER_DIST_DIR ${ANALYSER_DIST_DIR})
set(CPACK_ANALYSER_ZIP ${ZIP})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/DownloadConfig.cmake)
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_PACKAGE_NAME SpectrumAnalyser)
set(CPACK_PACKAGE_FILE_NAME ${DOWNLOAD_NAME})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/cpack)
# Only the generator's description of the package lands here; the zip goes
# straight to ANALYSER_DIST_DIR.
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/cpack)
include(CPack)
