# The Debian package (`make package`, or the `package` target of the build): the
# installed files of cmake/Install.cmake under /usr, with the library dependencies
# read from the binaries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME wavelet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "wavelet workbench developers")
set(CPACK_PACKAGE_CONTACT "wavelet workbench developers <wavelet@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "wavelet analysis of signal-averaged ECG records")
# Debian wraps the long description at 80 columns; the lines are kept short here.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "A workbench for the wavelet analysis of signal-averaged XYZ electrocardiogram\n"
    "records: the leads, a continuous Morlet wavelet transform over the QRS region as\n"
    "scale curves with ridges, a spectrogram or colour maps, per-scale features, a\n"
    "judgement of the combined lead, batch tables exported as CSV and one-page\n"
    "reports. The command wavelet-batch writes the same tables, pictures and reports\n"
    "without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The menus and lists (Japanese captions) and the reports (Courier New) name fonts
# that these packages stand in for.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, fonts-liberation")
# The Python module, built for this Python, imports numpy; the program needs neither.
math(EXPR next_python_minor "${WAVELET_PYTHON_MINOR} + 1")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS
    "python3 (>= 3.${WAVELET_PYTHON_MINOR}), python3 (<< 3.${next_python_minor}), python3-numpy")

include(CPack)
