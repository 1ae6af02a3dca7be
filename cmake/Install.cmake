# Install layout and the Debian package.
#
#   bin/hengjian, bin/hengjian-cli
#   share/hengjian/dat-default/       default data files, copied into a fresh data folder
#   share/applications/, share/icons/hicolor/, share/metainfo/, share/man/man1/
#
# The programs find their defaults as ../share/hengjian/dat-default from their own folder, so
# bin/ and share/ stay siblings whatever the prefix (an unpacked package works the same).

set(HJ_APP_ID org.example.Hengjian)
set(HJ_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/resources/desktop)

install(TARGETS hengjian-cli RUNTIME DESTINATION bin)
if(TARGET hengjian)
  install(TARGETS hengjian RUNTIME DESTINATION bin)
endif()

file(GLOB HJ_INSTALL_DEFAULT_DATA CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/dat/*)
list(FILTER HJ_INSTALL_DEFAULT_DATA EXCLUDE REGEX "/README[^/]*$")
install(FILES ${HJ_INSTALL_DEFAULT_DATA} DESTINATION share/hengjian/dat-default)

install(FILES ${HJ_DESKTOP_DIR}/${HJ_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${HJ_DESKTOP_DIR}/${HJ_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${HJ_DESKTOP_DIR}/icons/hengjian.svg DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${HJ_DESKTOP_DIR}/icons/hengjian-${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME hengjian.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/hengjian)

# The package's copyright file and its changelog (a native package: changelog.gz, one entry per
# release, dated by the release entry of the metainfo so that the two never disagree).
set(HJ_MAINTAINER "衡鉴 maintainers <hengjian@example.org>")
set(HJ_DEBIAN_DIR ${PROJECT_SOURCE_DIR}/resources/debian)
file(READ ${HJ_DESKTOP_DIR}/${HJ_APP_ID}.metainfo.xml HJ_METAINFO)
if(NOT HJ_METAINFO MATCHES "<release version=\"${PROJECT_VERSION}\" date=\"([0-9-]+)\"")
  message(FATAL_ERROR "${HJ_APP_ID}.metainfo.xml has no release entry for version ${PROJECT_VERSION}")
endif()
execute_process(COMMAND date -u -R -d "${CMAKE_MATCH_1}"
                OUTPUT_VARIABLE HJ_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
configure_file(${HJ_DEBIAN_DIR}/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
  COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/debian/changelog > ${CMAKE_BINARY_DIR}/debian/changelog.gz
  DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog
  COMMENT "Compressing the package changelog")
add_custom_target(hj_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz)
install(FILES ${HJ_DEBIAN_DIR}/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
        DESTINATION share/doc/hengjian)

# Manual pages: hengjian-cli's is written from its own help texts at build time, so it always
# matches the options; the desktop program's is kept by hand.
set(HJ_MAN_DIR ${CMAKE_BINARY_DIR}/man)
add_custom_command(
  OUTPUT ${HJ_MAN_DIR}/hengjian-cli.1.gz ${HJ_MAN_DIR}/hengjian.1.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${HJ_MAN_DIR}
  COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/make-manpage.sh $<TARGET_FILE:hengjian-cli>
          ${HJ_MAN_DIR}/hengjian-cli.1 ${PROJECT_VERSION}
  COMMAND gzip -9nf ${HJ_MAN_DIR}/hengjian-cli.1
  COMMAND gzip -9nc ${HJ_DESKTOP_DIR}/hengjian.1 > ${HJ_MAN_DIR}/hengjian.1.gz
  DEPENDS hengjian-cli ${PROJECT_SOURCE_DIR}/cmake/make-manpage.sh ${HJ_DESKTOP_DIR}/hengjian.1
  COMMENT "Writing the manual pages")
add_custom_target(hj_manpages ALL DEPENDS ${HJ_MAN_DIR}/hengjian-cli.1.gz ${HJ_MAN_DIR}/hengjian.1.gz)
install(FILES ${HJ_MAN_DIR}/hengjian-cli.1.gz DESTINATION share/man/man1)
if(TARGET hengjian)
  install(FILES ${HJ_MAN_DIR}/hengjian.1.gz DESTINATION share/man/man1)
endif()

# The installed tree, checked from a scratch prefix.
if(HJ_BUILD_TESTS)
  add_test(NAME install_tree
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/install/install_test.sh ${CMAKE_BINARY_DIR} ${HJ_APP_ID})
endif()

# `make package` (cpack): one .deb. Its Depends come from dpkg-shlibdeps over the installed
# binaries; the CJK font is only recommended, as any CJK font will do.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hengjian)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${HJ_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "four pillars charts and three-lives readings (衡鉴)")
# Lines of the long description stay within 72 columns (lintian allows 80 with the leading space).
set(CPACK_PACKAGE_DESCRIPTION
    "衡鉴 casts Chinese four-pillars (八字) charts and writes a long report
with the three-lives method, keeps cases in a local case store, and
offers a perpetual calendar, a reverse search from four pillars to
dates, true solar time by place, and name and stroke tools.
hengjian-cli gives the same engine to scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk")
include(CPack)
