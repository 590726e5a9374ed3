# What `cmake --install` puts under the prefix: the three programs, their helpers,
# the desktop entry, the metainfo, the icon theme files and the
# manual pages; python/CMakeLists.txt adds the Python module and its type stub. The sample generator, tests and benchmarks stay in the build tree.
include(GNUInstallDirs)

set(WAVELET_DATA_DIR ${CMAKE_SOURCE_DIR}/data)
set(WAVELET_ICON_SIZES 16 22 24 32 48 64 128 256)

install(TARGETS wavelet wavelet-batch wavelet-average wavelet-cohort RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# wavelet-batch --reports runs the page helper, reading a recording in libbiosig's
# formats runs the reader, wavelet-cohort runs its picture helper; nobody else calls
# them, so they live off PATH.
install(TARGETS wavelet-report-pages wavelet-read-recording wavelet-cohort-pictures
        RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/wavelet)

install(FILES ${WAVELET_DATA_DIR}/${WAVELET_DESKTOP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

configure_file(${WAVELET_DATA_DIR}/${WAVELET_DESKTOP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/data/${WAVELET_DESKTOP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/data/${WAVELET_DESKTOP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(icon_dir ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${WAVELET_DATA_DIR}/icons/wavelet.svg
        DESTINATION ${icon_dir}/scalable/apps RENAME ${WAVELET_DESKTOP_ID}.svg)
foreach(size ${WAVELET_ICON_SIZES})
  install(FILES ${WAVELET_DATA_DIR}/icons/wavelet-${size}.png
          DESTINATION ${icon_dir}/${size}x${size}/apps RENAME ${WAVELET_DESKTOP_ID}.png)
endforeach()

# Manual pages carry the build's version; installed compressed, as man-db expects
# them on Debian (-n: no name or time stamp, so the package is reproducible).
set(man_pages)
foreach(page wavelet wavelet-batch wavelet-average wavelet-cohort)
  set(page_source ${CMAKE_BINARY_DIR}/man/${page}.1)
  configure_file(${CMAKE_SOURCE_DIR}/man/${page}.1.in ${page_source} @ONLY)
  add_custom_command(OUTPUT ${page_source}.gz
                     COMMAND gzip -9 -n -k -f ${page_source}
                     DEPENDS ${page_source}
                     COMMENT "Compressing the manual page ${page}(1)")
  list(APPEND man_pages ${page_source}.gz)
endforeach()
add_custom_target(wavelet_manual_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# An install into a scratch prefix: exactly the expected files, valid metadata,
# manual pages that render cleanly, and the installed tool's version.
add_test(NAME install_tree
         COMMAND ${CMAKE_SOURCE_DIR}/tests/install/check-install.sh ${CMAKE_COMMAND}
                 ${CMAKE_BINARY_DIR} ${PROJECT_VERSION} ${WAVELET_DESKTOP_ID}
                 ${Python_EXECUTABLE} ${WAVELET_PYTHON_SYSTEM_DIR} ${WAVELET_PYTHON_MODULE_FILE})
if(WAVELET_PYTHON_PRELOAD)
  # An instrumented module imports only with the sanitizer's runtime loaded first.
  set_tests_properties(install_tree PROPERTIES ENVIRONMENT "WAVELET_PYTHON_PRELOAD=${WAVELET_PYTHON_PRELOAD}")
endif()
